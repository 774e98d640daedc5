#include "Units.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qarlo {

std::int32_t SaturateToInt32(double value) {
    if (std::isnan(value)) return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<std::int32_t>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<std::int32_t>::max());
    if (value <= lo) return std::numeric_limits<std::int32_t>::min();
    if (value >= hi) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

std::int32_t FrequencyUnitsFromMHz(double mhz) {
    return SaturateToInt32(std::round(mhz * 1000.0 * 100.0));
}

std::int32_t BandUnitsFromMHz(double mhz) {
    // Held to what the 24-bit field stores: a wrapped 771 MHz would read back as about 100 MHz
    // and pass the check before a write.
    return std::clamp(SaturateToInt32(mhz * 100000.0) / 4, 0, 0xFFFFFF);
}

std::uint8_t TotTenthsFromMinutes(double minutes) {
    const double tenths = minutes * 10.0;
    if (std::isnan(tenths) || tenths <= 0.0) return 0;
    if (tenths >= 255.0) return 255;
    return static_cast<std::uint8_t>(tenths);
}

std::string FormatMHz(std::int64_t units, int minDecimals) {
    const bool negative = units < 0;
    // Through unsigned, so the most negative value has a magnitude too.
    const std::uint64_t magnitude =
        negative ? static_cast<std::uint64_t>(-(units + 1)) + 1 : static_cast<std::uint64_t>(units);
    std::string fraction = std::to_string(100000 + magnitude % 100000).substr(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (static_cast<int>(fraction.size()) < minDecimals)
        fraction.append(static_cast<std::size_t>(minDecimals) - fraction.size(), '0');
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / 100000);
    return fraction.empty() ? text : text + "." + fraction;
}

std::string FormatBandMHz(std::int32_t units) {
    return FormatMHz(std::int64_t{units} * 4);
}

std::int32_t BandWholeMHz(std::int32_t units) {
    return static_cast<std::int32_t>(std::int64_t{units} * 4 / 100000);
}

std::string FormatMinutes(std::uint8_t tenths) {
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0) text += "." + std::to_string(tenths % 10);
    return text;
}

} // namespace qarlo
