#include "memory/Units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace qarlo {
namespace {

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr std::int32_t MAX32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t MIN32 = std::numeric_limits<std::int32_t>::min();

// Typed steps arrive exactly (else the check before writing rejects a good value). Out of range is
// held at the limits, never wrapped: 771 MHz must not wrap to about 100 MHz in the 24-bit band
// field and pass the check.
TEST(Units, ConversionsRoundTruncateAndSaturate) {
    using Convert = std::int64_t (*)(double);
    const Convert freq = [](double v) -> std::int64_t { return FrequencyUnitsFromMHz(v); };
    const Convert band = [](double v) -> std::int64_t { return BandUnitsFromMHz(v); };
    const Convert tot = [](double v) -> std::int64_t { return TotTenthsFromMinutes(v); };
    const struct {
        Convert convert;
        double in;
        std::int64_t out;
    } cases[] = {
        // clang-format off
        {freq, 128.0125, 12801250}, /* truncation gives ...249 */ {freq, 128.01, 12801000},
        {freq, 100.00625, 10000625}, {freq, 519.99375, 51999375}, {freq, 439.995, 43999500},
        {tot, 0.1, 1}, {tot, 0.3, 3}, {tot, 2.3, 23}, {tot, 25.5, 255},
        {freq, 0.0, 0}, {freq, -5.0, -500000}, {freq, 21474.83647, MAX32}, {freq, INF, MAX32},
        {freq, -1e300, MIN32}, {freq, -INF, MIN32}, {freq, NAN, 0}, {band, 400.0, 10000000},
        {band, 480.0, 12000000}, {band, 100.0, 2500000}, {band, 400.5, 10012500},
        {band, 671.08863, 0xFFFFFF}, {band, 771.0, 0xFFFFFF}, {band, -1.0, 0}, {band, NAN, 0},
        {tot, 0.19, 1}, {tot, INF, 255}, {tot, -1.0, 0}, {tot, NAN, 0},
        // clang-format on
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].convert(cases[i].in), cases[i].out) << "row " << i;
}

// The text a listing, a printout and CSV show for a stored number.
TEST(Units, NumbersAsText) {
    const std::pair<std::string, const char*> cases[] = {
        // clang-format off
        {FormatMHz(14501250), "145.0125"}, {FormatMHz(43000000), "430"},
        {FormatMHz(1), "0.00001"} /* never 1e-05 */, {FormatMHz(std::numeric_limits<std::int64_t>::min()), "-92233720368547.75808"},
        {FormatMHz(-1, 6), "-0.000010"}, {FormatMHz(14501255, 2), "145.01255"},
        {FormatBandMHz(0xFFFFFF), "671.0886"}, {std::to_string(BandWholeMHz(9999999)), "399"},
        {FormatMinutes(25), "2.5"}, {FormatMinutes(255), "25.5"},
        // clang-format on
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(text, expected);
}

} // namespace
} // namespace qarlo
