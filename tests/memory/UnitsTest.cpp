#include "memory/Units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace qarlo {
namespace {

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr std::int32_t MAX32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t MIN32 = std::numeric_limits<std::int32_t>::min();

// Every channel step a user can type between 100 and 520 MHz must arrive as an exact multiple,
// or the check before writing would reject a perfectly good frequency.
TEST(Units, TypedChannelStepsArriveExactly) {
    int wrong = 0;
    for (std::int64_t step : {500, 625}) {
        for (std::int64_t units = 10000000; units <= 52000000; units += step) {
            // The shortest decimal text, as a person types it: 14501250 -> "145.0125".
            std::string frac = std::to_string(100000 + units % 100000).substr(1);
            while (!frac.empty() && frac.back() == '0')
                frac.pop_back();
            const std::string text =
                std::to_string(units / 100000) + (frac.empty() ? "" : ".") + frac;
            const std::int32_t got = FrequencyUnitsFromMHz(std::strtod(text.c_str(), nullptr));
            if (got != units && ++wrong <= 5) ADD_FAILURE() << text << " -> " << got;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(Units, FrequencyRoundsAndSaturates) {
    const struct {
        double mhz;
        std::int32_t units;
    } cases[] = {
        {128.0125, 12801250}, // truncation would give ...249
        {128.01, 12801000},   {0.0, 0},     {-5.0, -500000}, {21474.83647, MAX32}, {99999.0, MAX32},
        {1e300, MAX32},       {INF, MAX32}, {-1e300, MIN32}, {-INF, MIN32},        {NAN, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FrequencyUnitsFromMHz(c.mhz), c.units) << c.mhz;
    EXPECT_EQ(SaturateToInt32(-2.9), -2); // toward zero
    EXPECT_EQ(SaturateToInt32(2.9), 2);
}

// Band edges stay inside the 24-bit field: 771 MHz must not wrap to about 100 MHz and pass.
TEST(Units, BandEdgesTruncateAndStayIn24Bits) {
    const struct {
        double mhz;
        std::int32_t units;
    } cases[] = {
        {400.0, 10000000}, {480.0, 12000000},     {100.0, 2500000},  {400.5, 10012500},
        {0.0, 0},          {671.08863, 16777215}, {771.0, 0xFFFFFF}, {1e300, 0xFFFFFF},
        {-1.0, 0},         {-1e300, 0},           {NAN, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BandUnitsFromMHz(c.mhz), c.units) << c.mhz;
}

TEST(Units, TimeOutTenthsTruncateAndStayInOneByte) {
    for (int tenths = 0; tenths <= 255; ++tenths) {
        const std::string text = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
        EXPECT_EQ(TotTenthsFromMinutes(std::strtod(text.c_str(), nullptr)), tenths) << text;
    }
    // Truncated, not rounded; out of range held at the limits (never wrapped into a valid value),
    // so the check before a write still catches it.
    const struct {
        double minutes;
        int tenths;
    } cases[] = {{0.19, 1}, {30.0, 255}, {1e300, 255}, {INF, 255}, {-1.0, 0}, {NAN, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TotTenthsFromMinutes(c.minutes), c.tenths) << c.minutes;
}

// The text a listing, a printout and CSV show for a stored number.
TEST(Units, NumbersAsText) {
    constexpr std::int64_t MIN64 = std::numeric_limits<std::int64_t>::min();
    const struct {
        std::string text, expected;
    } cases[] = {
        {FormatMHz(14501250), "145.0125"},
        {FormatMHz(43000000), "430"},
        {FormatMHz(1), "0.00001"}, // never "1e-05"
        {FormatMHz(0), "0"},
        {FormatMHz(-1), "-0.00001"},
        {FormatMHz(MIN32), "-21474.83648"},
        {FormatMHz(MIN64), "-92233720368547.75808"},
        {FormatMHz(43012500, 6), "430.125000"},
        {FormatMHz(0, 6), "0.000000"},
        {FormatMHz(-1, 6), "-0.000010"},
        {FormatMHz(14501255, 2), "145.01255"},
        {FormatBandMHz(10012500), "400.5"},
        {FormatBandMHz(0xFFFFFF), "671.0886"},
        {std::to_string(BandWholeMHz(10012500)), "400"},
        {std::to_string(BandWholeMHz(9999999)), "399"},
        {std::to_string(BandWholeMHz(0xFFFFFF)), "671"},
        {FormatMinutes(50), "5"},
        {FormatMinutes(25), "2.5"},
        {FormatMinutes(1), "0.1"},
        {FormatMinutes(0), "0"},
        {FormatMinutes(255), "25.5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, c.expected);
}

} // namespace
} // namespace qarlo
