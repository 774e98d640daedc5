#pragma once
// The columns of the generic channel CSV, shared by export and import (not for other callers).
#include <array>
#include <string>
#include <string_view>

namespace qarlo::csvcolumns {

enum Column {
    COL_LOCATION,
    COL_NAME,
    COL_FREQUENCY,
    COL_DUPLEX,
    COL_OFFSET,
    COL_TONE,
    COL_RTONE,
    COL_CTONE,
    COL_DTCS,
    COL_POLARITY,
    COL_RXDTCS,
    COL_CROSS,
    COL_MODE,
    COL_TSTEP,
    COL_SKIP,
    COL_COMMENT,
    COL_URCALL,
    COL_RPT1,
    COL_RPT2,
    COL_DVCODE,
    COLUMN_COUNT
};

inline constexpr std::array<std::string_view, COLUMN_COUNT> ColumnNames{
    "Location",  "Name",     "Frequency",    "Duplex",     "Offset",    "Tone",    "rToneFreq",
    "cToneFreq", "DtcsCode", "DtcsPolarity", "RxDtcsCode", "CrossMode", "Mode",    "TStep",
    "Skip",      "Comment",  "URCALL",       "RPT1CALL",   "RPT2CALL",  "DVCODE"};

// Frequencies are MHz with six decimals, as other tools write them.
inline constexpr int MHZ_DECIMALS = 6;

inline std::string columnName(Column c) {
    return std::string(ColumnNames[c]);
}

// Where each direction's signalling goes: its tone column, its DCS code column, and its letter
// of DtcsPolarity (transmit first).
struct DirectionColumns {
    Column tone;
    Column code;
    std::size_t polarity;
};
inline constexpr DirectionColumns TX_COLUMNS{COL_RTONE, COL_DTCS, 0};
inline constexpr DirectionColumns RX_COLUMNS{COL_CTONE, COL_RXDTCS, 1};

} // namespace qarlo::csvcolumns
