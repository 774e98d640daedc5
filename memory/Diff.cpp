#include "Diff.h"

#include "Signalling.h"
#include "Units.h"

#include <cstdio>

namespace qarlo {

namespace {

constexpr std::string_view ARROW = " → ";
constexpr int FREQUENCY_DECIMALS = 3; // 438.500, as a dealer writes it
constexpr int RESERVED_RECORD_BYTES[] = {11, 13, 14, 15};
constexpr int RESERVED_SETTINGS_BYTES[] = {0, 1, 9, 10, 11, 12, 13, 14, 15};

std::string hexBytes(const std::uint8_t* p, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, i == 0 ? "%02X" : " %02X", p[i]);
        text += byte;
    }
    return text;
}

std::string bandwidthText(std::uint8_t flags) {
    return (flags & FLAG_NARROW) != 0 ? "12.5KHz" : "25KHz";
}

class Collector {
public:
    explicit Collector(std::vector<Difference>& into) : out(into) {}
    void add(DiffKind kind, int row, std::string field, std::string before, std::string after,
             std::string unit = {}) {
        if (before == after) return;
        out.push_back(
            {kind, row, std::move(field), std::move(before), std::move(after), std::move(unit)});
    }

private:
    std::vector<Difference>& out;
};

// A direction's signalling as the form shows it; its code byte alone when the form hides it.
void diffSignalling(Collector& c, const CQarloDoc& a, const CQarloDoc& b, int r, Direction d) {
    const bool rx = d == Direction::Receive;
    const std::uint8_t codeA = rx ? a.rxCode(r) : a.txCode(r);
    const std::uint8_t codeB = rx ? b.rxCode(r) : b.txCode(r);
    const std::string textA = signallingText(a.flags(r), codeA, d);
    const std::string textB = signallingText(b.flags(r), codeB, d);
    if (textA != textB) {
        c.add(rx ? DiffKind::RxSignalling : DiffKind::TxSignalling, r, rx ? "接收编码" : "发射编码",
              textA, textB);
        return;
    }
    c.add(DiffKind::ReservedByte, r, rx ? "接收编码字节" : "发射编码字节", hexBytes(&codeA, 1),
          hexBytes(&codeB, 1));
}

// Flag bits no shown field accounts for: the spare bits, and the CTCSS bit of a direction
// whose signalling is off on both sides.
std::uint8_t hiddenFlagBits(std::uint8_t fa, std::uint8_t fb) {
    std::uint8_t shown = FLAG_NARROW | FLAG_RX_CODED | FLAG_TX_CODED;
    if (((fa | fb) & FLAG_RX_CODED) != 0) shown |= FLAG_RX_CTCSS;
    if (((fa | fb) & FLAG_TX_CODED) != 0) shown |= FLAG_TX_CTCSS;
    return static_cast<std::uint8_t>(~shown);
}

void diffChannel(Collector& c, const CQarloDoc& a, const CQarloDoc& b, int r) {
    auto yesNo = [](bool v) { return std::string(v ? "是" : "否"); };
    c.add(DiffKind::Programmed, r, "已设置", yesNo(a.IsChannelProgrammed(r)),
          yesNo(b.IsChannelProgrammed(r)));
    c.add(DiffKind::RxFrequency, r, "接收频率", FormatMHz(a.rxFreq(r), FREQUENCY_DECIMALS),
          FormatMHz(b.rxFreq(r), FREQUENCY_DECIMALS), "MHz");
    diffSignalling(c, a, b, r, Direction::Receive);
    c.add(DiffKind::TxFrequency, r, "发射频率", FormatMHz(a.txFreq(r), FREQUENCY_DECIMALS),
          FormatMHz(b.txFreq(r), FREQUENCY_DECIMALS), "MHz");
    diffSignalling(c, a, b, r, Direction::Transmit);
    c.add(DiffKind::Bandwidth, r, "频道宽/窄", bandwidthText(a.flags(r)),
          bandwidthText(b.flags(r)));
    c.add(DiffKind::Squelch, r, "静噪等级", std::to_string(a.squelch(r)),
          std::to_string(b.squelch(r)));
    const std::uint8_t hidden = hiddenFlagBits(a.flags(r), b.flags(r));
    const std::uint8_t fa = a.flags(r) & hidden, fb = b.flags(r) & hidden;
    c.add(DiffKind::ReservedBits, r, "保留标志位", hexBytes(&fa, 1), hexBytes(&fb, 1));
    for (int k : RESERVED_RECORD_BYTES)
        c.add(DiffKind::ReservedByte, r, "保留字节" + std::to_string(k),
              hexBytes(a.record(r) + k, 1), hexBytes(b.record(r) + k, 1));
}

void diffSettings(Collector& c, const CQarloDoc& a, const CQarloDoc& b, DiffScope scope) {
    c.add(DiffKind::TimeOut, SETTINGS_ROW, "TOT限时", FormatMinutes(a.totTenths()),
          FormatMinutes(b.totTenths()), "分");
    c.add(DiffKind::BandLow, SETTINGS_ROW, "频段下限", FormatBandMHz(a.bandLow()),
          FormatBandMHz(b.bandLow()), "MHz");
    c.add(DiffKind::BandHigh, SETTINGS_ROW, "频段上限", FormatBandMHz(a.bandHigh()),
          FormatBandMHz(b.bandHigh()), "MHz");
    if (scope != DiffScope::File) return;
    for (int k : RESERVED_SETTINGS_BYTES)
        c.add(DiffKind::ReservedByte, SETTINGS_ROW, "保留字节" + std::to_string(k),
              hexBytes(a.record(SETTINGS_ROW) + k, 1), hexBytes(b.record(SETTINGS_ROW) + k, 1));
}

} // namespace

std::vector<Difference> DiffDocuments(const CQarloDoc& a, const CQarloDoc& b, DiffScope scope) {
    std::vector<Difference> out;
    Collector c(out);
    for (int r = 0; r < CHANNEL_COUNT; ++r)
        diffChannel(c, a, b, r);
    if (scope == DiffScope::File) {
        for (int r = CHANNEL_COUNT; r < SETTINGS_ROW; ++r)
            c.add(DiffKind::SpareRow, r, "内容", hexBytes(a.record(r), RECORD_SIZE),
                  hexBytes(b.record(r), RECORD_SIZE));
    }
    diffSettings(c, a, b, scope);
    return out;
}

std::string DiffRowName(int row) {
    if (row >= 0 && row < CHANNEL_COUNT) return std::string(ChannelName(row));
    if (row == SETTINGS_ROW) return "整机设置";
    return "备用行" + std::to_string(row + 1);
}

std::string_view DiffKindName(DiffKind kind) {
    constexpr std::string_view names[] = {
        "programmed", "rx-frequency", "tx-frequency",  "rx-signalling", "tx-signalling",
        "bandwidth",  "squelch",      "reserved-bits", "reserved-byte", "time-out",
        "band-low",   "band-high",    "spare-row"};
    const auto index = static_cast<std::size_t>(kind);
    return index < std::size(names) ? names[index] : std::string_view();
}

std::string DifferenceText(const Difference& d) {
    std::string text = d.field + " " + d.before + std::string(ARROW) + d.after;
    return d.unit.empty() ? text : text + " " + d.unit;
}

std::string DifferenceLine(const Difference& d) {
    return DiffRowName(d.row) + ": " + DifferenceText(d);
}

std::vector<std::string> DifferenceLinesByRow(const std::vector<Difference>& differences) {
    std::vector<std::string> lines;
    int lastRow = -1;
    for (const Difference& d : differences) {
        if (d.row != lastRow || lines.empty())
            lines.push_back(DiffRowName(d.row) + ": " + DifferenceText(d));
        else
            lines.back() += "; " + DifferenceText(d);
        lastRow = d.row;
    }
    return lines;
}

} // namespace qarlo
