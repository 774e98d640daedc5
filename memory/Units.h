#pragma once
// Conversions between what a person types or reads (MHz, minutes) and the units the radio stores.
// None of them wraps or invokes undefined behaviour on a value out of range: they saturate.
#include <cstdint>
#include <string>

namespace qarlo {

// MHz to 10 Hz units, rounded to the nearest unit so that a typed multiple of 5 kHz or 6.25 kHz
// arrives as an exact multiple of 500 or 625 units (a plain truncation lands one unit low for
// many of them). Saturates to the 32-bit range; NaN gives 0.
std::int32_t FrequencyUnitsFromMHz(double mhz);

// MHz to 40 Hz band-edge units: MHz x 100000 truncated toward zero, then divided by 4 truncating,
// limited to 0..0xFFFFFF (what the 24-bit field holds) so the stored edge never wraps; NaN gives 0.
std::int32_t BandUnitsFromMHz(double mhz);

// Minutes to tenths of a minute, truncated toward zero and limited to 0..255, so a time-out the
// radio cannot hold is caught by the check before writing rather than wrapped into a valid one.
std::uint8_t TotTenthsFromMinutes(double minutes);

// 10 Hz units as MHz text: the five decimals without their trailing zeros, then padded with zeros
// to at least `minDecimals`: 14501250 -> "145.0125", 43000000 -> "430"; with 6, "145.012500".
// Negative values keep their sign: -1 -> "-0.00001".
std::string FormatMHz(std::int64_t units, int minDecimals = 0);

// A band edge (40 Hz units) as MHz text by the same rule: 10012500 -> "400.5".
std::string FormatBandMHz(std::int32_t units);

// A band edge as the form shows it: whole MHz, rounded down (10012500 -> 400).
std::int32_t BandWholeMHz(std::int32_t units);

// Tenths of a minute as minutes: 50 -> "5", 25 -> "2.5".
std::string FormatMinutes(std::uint8_t tenths);

// Saturating conversion of a double to int32 with truncation toward zero; NaN gives 0.
std::int32_t SaturateToInt32(double value);

} // namespace qarlo
