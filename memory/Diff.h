#pragma once
// Two channel memories compared field by field, in the words and units of the form: what a
// user needs to see before trusting a radio or choosing between two files.
#include "CQarloDoc.h"

#include <string>
#include <string_view>
#include <vector>

namespace qarlo {

enum class DiffKind {
    Programmed, // the channel is set in one and not in the other
    RxFrequency,
    TxFrequency,
    RxSignalling, // type and code as the form shows them: "QT 67", "DQT 023N", "无"
    TxSignalling,
    Bandwidth,
    Squelch,
    ReservedBits, // flag bits the form does not show
    ReservedByte, // a record or settings byte no field uses, or a code byte the form hides
    TimeOut,
    BandLow,
    BandHigh,
    SpareRow,
};

struct Difference {
    DiffKind kind;
    int row;           // channel 0..15, spare row 16..63, or SETTINGS_ROW
    std::string field; // "接收频率"
    std::string before, after;
    std::string unit; // "MHz", "分" or empty
};

inline constexpr int SETTINGS_ROW = 64;

// What is compared. Radio: what travels to the radio (channels, time-out, band). File: all of
// the channel file, the spare rows and the settings row's reserved bytes as well.
enum class DiffScope { Radio, File };

// Every difference from `a` to `b`, row by row in memory order; none when they agree.
std::vector<Difference> DiffDocuments(const CQarloDoc& a, const CQarloDoc& b, DiffScope scope);

// "03频道", "整机设置" or "备用行17".
std::string DiffRowName(int row);
// "rx-frequency": the kind's name in JSON.
std::string_view DiffKindName(DiffKind kind);
// "接收频率 438.500 → 438.525 MHz"
std::string DifferenceText(const Difference& d);
// "03频道: 接收频率 438.500 → 438.525 MHz"
std::string DifferenceLine(const Difference& d);
// One line per row: "03频道: 接收频率 438.500 → 438.525 MHz; 发射编码 QT 67 → DQT 023N".
std::vector<std::string> DifferenceLinesByRow(const std::vector<Difference>& differences);

} // namespace qarlo
