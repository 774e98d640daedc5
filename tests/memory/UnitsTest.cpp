#include "memory/Units.h"
#include "memory/Bytes.h"
#include "memory/CQarloDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace qarlo {
namespace {

// The shortest decimal text of `units` 10 Hz steps in MHz, as a person would type it.
std::string typedMHz(std::int64_t units) {
    std::string text = std::to_string(units / 100000);
    std::string frac = std::to_string(100000 + units % 100000).substr(1);
    while (!frac.empty() && frac.back() == '0')
        frac.pop_back();
    if (!frac.empty()) text += "." + frac;
    return text;
}

TEST(Units, TypedTextHelper) {
    EXPECT_EQ(typedMHz(43012500), "430.125");
    EXPECT_EQ(typedMHz(14501250), "145.0125");
    EXPECT_EQ(typedMHz(10000000), "100");
    EXPECT_EQ(typedMHz(12800500), "128.005");
}

// Every channel step a user can type between 100 and 520 MHz must arrive as an exact multiple,
// or the check before writing would reject a perfectly good frequency.
TEST(Units, TypedChannelStepsArriveExactly) {
    int wrong = 0;
    for (std::int64_t step : {500, 625}) {
        for (std::int64_t units = 10000000; units <= 52000000; units += step) {
            const std::string text = typedMHz(units);
            const double mhz = std::strtod(text.c_str(), nullptr);
            const std::int32_t got = FrequencyUnitsFromMHz(mhz);
            if (got != units && ++wrong <= 5) ADD_FAILURE() << text << " -> " << got;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(Units, FrequencyExamples) {
    EXPECT_EQ(FrequencyUnitsFromMHz(128.0125), 12801250); // truncation would give ...249
    EXPECT_EQ(FrequencyUnitsFromMHz(128.01), 12801000);
    EXPECT_EQ(FrequencyUnitsFromMHz(145.0125), 14501250);
    EXPECT_EQ(FrequencyUnitsFromMHz(0.0), 0);
    EXPECT_EQ(FrequencyUnitsFromMHz(-5.0), -500000);
}

TEST(Units, FrequencySaturates) {
    constexpr auto max = std::numeric_limits<std::int32_t>::max();
    constexpr auto min = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(FrequencyUnitsFromMHz(1e300), max);
    EXPECT_EQ(FrequencyUnitsFromMHz(-1e300), min);
    EXPECT_EQ(FrequencyUnitsFromMHz(21474.83647), max);
    EXPECT_EQ(FrequencyUnitsFromMHz(99999.0), max);
    EXPECT_EQ(FrequencyUnitsFromMHz(std::numeric_limits<double>::infinity()), max);
    EXPECT_EQ(FrequencyUnitsFromMHz(-std::numeric_limits<double>::infinity()), min);
    EXPECT_EQ(FrequencyUnitsFromMHz(std::nan("")), 0);
    EXPECT_EQ(SaturateToInt32(-2.9), -2); // toward zero
    EXPECT_EQ(SaturateToInt32(2.9), 2);
    EXPECT_EQ(SaturateToInt32(std::nan("")), 0);
}

TEST(Units, BandEdges) {
    struct Case {
        double mhz;
        std::int32_t units;
        std::uint8_t bytes[3];
    };
    const Case cases[] = {
        {400.0, 10000000, {0x98, 0x96, 0x80}}, {480.0, 12000000, {0xB7, 0x1B, 0x00}},
        {470.0, 11750000, {0xB3, 0x4A, 0x70}}, {100.0, 2500000, {0x26, 0x25, 0xA0}},
        {400.5, 10012500, {0x98, 0xC7, 0x54}}, {0.0, 0, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BandUnitsFromMHz(c.mhz), c.units) << c.mhz;
        CQarloDoc doc;
        doc.setBandLow(BandUnitsFromMHz(c.mhz));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(doc.ChannelMemory[MEM_BAND_LOW + i], c.bytes[i]) << c.mhz;
        EXPECT_EQ(doc.bandLow(), c.units);
    }
    EXPECT_EQ(BandUnitsFromMHz(std::nan("")), 0);
    EXPECT_EQ(BandUnitsFromMHz(1e300), std::numeric_limits<std::int32_t>::max() / 4);
    EXPECT_EQ(BandUnitsFromMHz(-1e300), std::numeric_limits<std::int32_t>::min() / 4);
}

TEST(Units, TimeOutTenths) {
    for (int tenths = 0; tenths <= 255; ++tenths) {
        const std::string text = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
        EXPECT_EQ(TotTenthsFromMinutes(std::strtod(text.c_str(), nullptr)), tenths) << text;
    }
    EXPECT_EQ(TotTenthsFromMinutes(0.1), 1);
    EXPECT_EQ(TotTenthsFromMinutes(10.0), 100);
    EXPECT_EQ(TotTenthsFromMinutes(25.5), 255);
    EXPECT_EQ(TotTenthsFromMinutes(0.19), 1); // truncated, not rounded
    // Out of range: held at the limits so the check before a write still catches it.
    EXPECT_EQ(TotTenthsFromMinutes(30.0), 255);
    EXPECT_EQ(TotTenthsFromMinutes(1e300), 255);
    EXPECT_EQ(TotTenthsFromMinutes(-1.0), 0);
    EXPECT_EQ(TotTenthsFromMinutes(std::nan("")), 0);
    EXPECT_EQ(TotTenthsFromMinutes(std::numeric_limits<double>::infinity()), 255);
}

} // namespace
} // namespace qarlo
