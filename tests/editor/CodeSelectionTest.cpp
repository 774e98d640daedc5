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
        {"023N", d.coded, 0x00, 166},          {"043N", d.coded, 0x06, 166},
        {"023I", d.coded, 0x87, 166},          {"025I", d.coded, 0xA2, 166},
        {"025I", d.coded, 0xA2, 166}, // the selected row picked again
        {"QT", d.coded | d.ctcss, 0xA2, 38},   {"67", d.coded | d.ctcss, 0, 38},
        {"250.3", d.coded | d.ctcss, 37, 38},
    };
    for (const auto& s : steps) {
        // Every type pick rewrites the edits from their members; one that reads the same stays.
        view->txFreqEdit->setText("0.0");
        view->rxFreqEdit->setCursorPosition(0);
        const bool typePick = !types()->findItems(U(s.pick), Qt::MatchExactly).isEmpty();
        ClickRowWithText(typePick ? types() : table(), U(s.pick));
        EXPECT_EQ(doc.flags(2), s.flags | 0x04) << s.pick;
        EXPECT_EQ(code(), s.code) << s.pick;
        EXPECT_EQ(table()->count(), s.rows) << s.pick;
        EXPECT_TRUE(!typePick || table()->GetCurSel() == -1) << s.pick;
        EXPECT_EQ(view->txFreqEdit->text(), typePick ? "0" : "0.0") << s.pick;
        EXPECT_EQ(view->rxFreqEdit->cursorPosition(), 0);
    }
    view->ShowChannel(2);
    EXPECT_EQ(signalling(d.transmit), QStringList({"QT", "38", "250.3"}));
    EXPECT_EQ(signalling(!d.transmit), QStringList({U("无"), "0", ""})); // the other direction
}

// A type pick leaves the code table without a selection; reached with Tab, the navigation keys
// pick the row they land on (the caret rests on the first) and store its code.
TEST_P(CodeSelectionTest, NavigationKeysPickARowAlsoWhenNoneIsSelected) {
    const std::pair<std::vector<Qt::Key>, const char*> cases[] = {
        {{Qt::Key_Home, Qt::Key_Down}, "71.9"},
        {{Qt::Key_Up}, "67"},
        {{Qt::Key_End}, "250.3"},
        {{Qt::Key_PageDown}, ""}, // a row past the second
    };
    for (const auto& [keys, picked] : cases) {
        doc.record(2)[GetParam().codeOffset] = 30;
        ClickRowWithText(types(), "QT");
        QTest::keyClick(types(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), table());
        QSignalSpy picks(table(), &ListBox::selChange);
        for (Qt::Key key : keys)
            QTest::keyClick(table(), key);
        const int row = table()->GetCurSel();
        EXPECT_EQ(picks.count(), qsizetype(keys.size())) << picked;
        EXPECT_EQ(code(), row) << picked;
        EXPECT_TRUE(*picked ? SelectedText(table()) == picked : row > 1) << picked;
    }
}

INSTANTIATE_TEST_SUITE_P(
    BothDirections, CodeSelectionTest,
    ::testing::Values(Direction{"receive", false, FLAG_RX_CODED, FLAG_RX_CTCSS, REC_RX_CODE},
                      Direction{"transmit", true, FLAG_TX_CODED, FLAG_TX_CTCSS, REC_TX_CODE}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace qarlo::test
