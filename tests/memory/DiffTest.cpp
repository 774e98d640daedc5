// Two memories compared in the form's terms: every kind of field once, bytes no field uses named
// as such, and only what reaches the radio when comparing with one.
#include "memory/Diff.h"
#include "memory/CodeTables.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace qarlo {
namespace {

// 03频道 at 438.500 MHz, transmitting QT 67; band 400..440 MHz.
CQarloDoc base() {
    CQarloDoc doc;
    doc.setBandLow(400 * 25000);
    doc.setBandHigh(440 * 25000);
    doc.setRxFreq(2, 43850000);
    doc.setTxFreq(2, 43850000);
    doc.setFlags(2, FLAG_TX_CODED | FLAG_TX_CTCSS);
    doc.setTxCode(2, encodeCtcssRow(0));
    return doc;
}

std::vector<std::string> lines(const std::vector<Difference>& differences) {
    std::vector<std::string> out;
    for (const Difference& d : differences)
        out.push_back(DifferenceLine(d));
    return out;
}

TEST(Diff, EachFieldKindIsReportedOnceInTheFormsTerms) {
    using Lines = std::vector<std::string>;
    const struct {
        const char* name;
        std::function<void(CQarloDoc&)> change;
        Lines expected;
        bool radioSeesIt; // spare rows and the settings row's reserved bytes never travel
    } cases[] = {
        // clang-format off
        {"rx frequency", [](CQarloDoc& d) { d.setRxFreq(2, 43852500); },
         {"03频道: 接收频率 438.500 → 438.525 MHz"}, true},
        {"tx frequency gone", [](CQarloDoc& d) { d.setTxFreq(2, 0); },
         {"03频道: 已设置 是 → 否", "03频道: 发射频率 438.500 → 0.000 MHz"}, true},
        {"tx type and code", [](CQarloDoc& d) { d.setFlags(2, FLAG_TX_CODED); d.setTxCode(2, encodeDcsRow(0)); },
         {"03频道: 发射编码 QT 67 → DQT 023N"}, true},
        {"rx signalling on", [](CQarloDoc& d) { d.setFlags(2, d.flags(2) | FLAG_RX_CODED | FLAG_RX_CTCSS); d.setRxCode(2, encodeCtcssRow(1)); },
         {"03频道: 接收编码 无 → QT 71.9"}, true},
        {"rx code byte while off", [](CQarloDoc& d) { d.setRxCode(2, 7); },
         {"03频道: 接收编码字节 00 → 07"}, true},
        {"bandwidth", [](CQarloDoc& d) { d.setFlags(2, d.flags(2) | FLAG_NARROW); },
         {"03频道: 频道宽/窄 25KHz → 12.5KHz"}, true},
        {"spare flag bit", [](CQarloDoc& d) { d.setFlags(2, d.flags(2) | 0x01); },
         {"03频道: 保留标志位 00 → 01"}, true},
        {"squelch", [](CQarloDoc& d) { d.setSquelch(2, 9); }, {"03频道: 静噪等级 3 → 9"}, true},
        {"record bytes 11 and 15", [](CQarloDoc& d) { d.record(15)[11] = 0x5A; d.record(15)[15] = 1; },
         {"16频道: 保留字节11 00 → 5A", "16频道: 保留字节15 00 → 01"}, true},
        {"time-out", [](CQarloDoc& d) { d.setTotTenths(25); }, {"整机设置: TOT限时 5 → 2.5 分"}, true},
        {"band", [](CQarloDoc& d) { d.setBandLow(410 * 25000); d.setBandHigh(430 * 25000); },
         {"整机设置: 频段下限 400 → 410 MHz", "整机设置: 频段上限 440 → 430 MHz"}, true},
        {"spare row", [](CQarloDoc& d) { d.record(16)[15] = 0x5A; },
         {"备用行17: 内容 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 → "
          "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 5A"}, false},
        {"settings reserved byte", [](CQarloDoc& d) { d.record(SETTINGS_ROW)[9] = 1; },
         {"整机设置: 保留字节9 00 → 01"}, false},
        // clang-format on
    };
    const CQarloDoc a = base();
    EXPECT_TRUE(DiffDocuments(a, a, DiffScope::File).empty());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CQarloDoc b = base();
        c.change(b);
        EXPECT_EQ(lines(DiffDocuments(a, b, DiffScope::File)), c.expected);
        EXPECT_EQ(lines(DiffDocuments(a, b, DiffScope::Radio)),
                  c.radioSeesIt ? c.expected : Lines{});
    }
}

} // namespace
} // namespace qarlo
