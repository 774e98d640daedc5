// Picking a code type and a code in each direction, checked against flags and code bytes.
#include "EditorFixture.h"

#include <QApplication>

namespace qarlo::test {
namespace {

struct Direction {
    const char* name;
    bool transmit;
    int coded, ctcss, codeOffset;
};

class CodeSelectionTest : public EditorTest, public ::testing::WithParamInterface<Direction> {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        chooseChannel(2);
    }
    ListBox* types() const {
        return GetParam().transmit ? view->txCodeTypeList : view->rxCodeTypeList;
    }
    ListBox* table() const {
        return GetParam().transmit ? view->txCodeTableList : view->rxCodeTableList;
    }
    int code() const { return doc.record(2)[GetParam().codeOffset]; }
};

TEST_P(CodeSelectionTest, PicksSetTheBitsAndCodeBytes) {
    const Direction& d = GetParam();
    doc.setFlags(2, 0x04); // a loose bit that must survive
    const struct {
        const char* pick; // a type, or a code of the table shown
        int flags, code;
        int rows; // of the code table afterwards, none selected after a type pick
    } steps[] = {
        {"DQT", d.coded, 0x00, 166},           {"QT", d.coded | d.ctcss, 0x00, 38},
        {"97.4", d.coded | d.ctcss, 0x0A, 38}, {"无", d.ctcss, 0x0A, 0}, // tone bit and byte stay
        {"DQT", d.coded, 0x0A, 166}, // the byte is kept, now read as a DCS number
        {"023N", d.coded, 0x00, 166},          {"025I", d.coded, 0xA2, 166},
        {"025I", d.coded, 0xA2, 166}, // the selected row picked again
        {"QT", d.coded | d.ctcss, 0xA2, 38},   {"250.3", d.coded | d.ctcss, 37, 38},
    };
    for (const auto& s : steps) {
        const bool typePick = !types()->findItems(U(s.pick), Qt::MatchExactly).isEmpty();
        ClickRowWithText(typePick ? types() : table(), U(s.pick));
        EXPECT_EQ(doc.flags(2), s.flags | 0x04) << s.pick;
        EXPECT_EQ(code(), s.code) << s.pick;
        EXPECT_EQ(table()->count(), s.rows) << s.pick;
        EXPECT_TRUE(!typePick || table()->GetCurSel() == -1) << s.pick;
    }
    view->ShowChannel(2);
    EXPECT_EQ(signalling(d.transmit), QStringList({"QT", "38", "250.3"}));
    EXPECT_EQ(signalling(!d.transmit), QStringList({U("无"), "0", ""})); // the other direction
    for (const auto& [key, row] : {std::pair{Qt::Key_Home, 0}, {Qt::Key_Down, 1}}) {
        ClickRowWithText(types(), "QT"); // no row selected: the caret rests on the first
        QTest::keyClick(table(), key);   // and a key that lands on a row picks it
        EXPECT_EQ(code(), row) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(
    BothDirections, CodeSelectionTest,
    ::testing::Values(Direction{"receive", false, FLAG_RX_CODED, FLAG_RX_CTCSS, REC_RX_CODE},
                      Direction{"transmit", true, FLAG_TX_CODED, FLAG_TX_CTCSS, REC_TX_CODE}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace qarlo::test
