// Picking a code type and a code in each direction, checked against flags and code bytes.
#include "EditorFixture.h"

namespace qarlo::test {
namespace {

struct Direction {
    const char* name;
    ListBox* CQarloView::*types;
    ListBox* CQarloView::*table;
    std::uint8_t coded;
    std::uint8_t ctcss;
    int codeOffset;
};

const Direction Receive{"receive",
                        &CQarloView::rxCodeTypeList,
                        &CQarloView::rxCodeTableList,
                        FLAG_RX_CODED,
                        FLAG_RX_CTCSS,
                        REC_RX_CODE};
const Direction Transmit{"transmit",
                         &CQarloView::txCodeTypeList,
                         &CQarloView::txCodeTableList,
                         FLAG_TX_CODED,
                         FLAG_TX_CTCSS,
                         REC_TX_CODE};

class CodeSelectionTest : public EditorTest, public ::testing::WithParamInterface<Direction> {
protected:
    ListBox* types() const { return (*view).*(GetParam().types); }
    ListBox* table() const { return (*view).*(GetParam().table); }
    std::uint8_t code() const { return doc.record(view->currentChannel)[GetParam().codeOffset]; }
    void setCode(std::uint8_t c) { doc.record(view->currentChannel)[GetParam().codeOffset] = c; }
    std::uint8_t flags() const { return doc.flags(view->currentChannel); }
};

TEST_P(CodeSelectionTest, EachTypePickSetsItsBitsAndRefillsTheTable) {
    const Direction& d = GetParam();
    chooseChannel(2);
    doc.setFlags(2, 0x04); // a loose bit that must survive
    setCode(0x00);

    clickRowWithText(types(), "DQT");
    EXPECT_EQ(flags(), d.coded | 0x04);
    EXPECT_EQ(code(), 0x00);
    EXPECT_EQ(table()->count(), 166);
    EXPECT_EQ(table()->GetCurSel(), -1);

    clickRowWithText(types(), "QT");
    EXPECT_EQ(flags(), d.coded | d.ctcss | 0x04);
    EXPECT_EQ(table()->count(), 38);
    EXPECT_EQ(table()->GetText(37), "250.3");

    clickRowWithText(table(), "97.4");
    EXPECT_EQ(code(), 0x0A);

    // "无" clears only the coded bit: the tone bit and the byte stay.
    clickRowWithText(types(), U("无"));
    EXPECT_EQ(flags(), d.ctcss | 0x04);
    EXPECT_EQ(code(), 0x0A);
    EXPECT_EQ(table()->count(), 0);

    // DQT later clears the tone bit again; the byte is now read as a DCS number.
    clickRowWithText(types(), "DQT");
    EXPECT_EQ(flags(), d.coded | 0x04);
    EXPECT_EQ(code(), 0x0A);
    view->ShowChannel(2);
    EXPECT_EQ(selectedText(table()), "065N");
    EXPECT_EQ(doc.flags(2) & (Receive.coded | Transmit.coded), d.coded); // other side untouched
}

TEST_P(CodeSelectionTest, PickingTheTypeInForceRefillsWithoutSelection) {
    chooseChannel(1);
    doc.setFlags(1, static_cast<std::uint8_t>(GetParam().coded | GetParam().ctcss));
    setCode(0x25);
    view->ShowChannel(1);
    ASSERT_EQ(selectedText(table()), "250.3");
    clickRowWithText(types(), "QT");
    EXPECT_EQ(table()->count(), 38);
    EXPECT_EQ(table()->GetCurSel(), -1);
    EXPECT_EQ(code(), 0x25);
    EXPECT_EQ(flags(), GetParam().coded | GetParam().ctcss);
}

TEST_P(CodeSelectionTest, CodeBytesOfTheDcsAndToneRows) {
    chooseChannel(3);
    clickRowWithText(types(), "DQT");
    const struct {
        const char* row;
        std::uint8_t byte;
    } dcs[] = {{"023N", 0x00}, {"032N", 0x04}, {"043N", 0x06}, {"754N", 0x53}, {"023I", 0x87},
               {"047I", 0x80}, {"172I", 0x85}, {"754I", 0x91}, {"025I", 0xA2}};
    for (const auto& c : dcs) {
        clickRowWithText(table(), c.row);
        EXPECT_EQ(code(), c.byte) << c.row;
    }
    // Clicking the selected row again stores the same byte again.
    clickRowWithText(table(), "754I");
    EXPECT_EQ(code(), 0x91);

    clickRowWithText(types(), "QT");
    for (int row : {0, 18, 37}) {
        clickRow(table(), row);
        EXPECT_EQ(code(), row);
    }
}

TEST_P(CodeSelectionTest, KeyboardPicksInTheCodeTable) {
    chooseChannel(3);
    clickRowWithText(types(), "QT");
    clickRow(table(), 4);
    table()->setFocus();
    QTest::keyClick(table(), Qt::Key_Down);
    EXPECT_EQ(code(), 5);
}

TEST_P(CodeSelectionTest, TypePickRewritesTheEditsFromTheirMembers) {
    view->txFreqEdit->setText("435.0250");
    view->txFreqMHz = 435.025;
    clickRowWithText(types(), "DQT");
    EXPECT_EQ(view->txFreqEdit->text(), "435.025");
    view->rxFreqEdit->setText("145.50");
    clickRowWithText(types(), U("无"));
    EXPECT_EQ(view->rxFreqEdit->text(), "0");
}

INSTANTIATE_TEST_SUITE_P(BothDirections, CodeSelectionTest, ::testing::Values(Receive, Transmit),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(EditorTest, CodeTablePickUsesFlagsNotListContents) {
    // Transmit flagged uncoded while its table still lists tones: the pick stores 0.
    chooseChannel(2);
    clickRowWithText(view->txCodeTypeList, "QT");
    doc.setFlags(2, 0x00);
    doc.setTxCode(2, 0x11);
    clickRow(view->txCodeTableList, 7);
    EXPECT_EQ(doc.txCode(2), 0x00);
}

TEST_F(EditorTest, TransmitQtToneAndShowAgain) {
    chooseChannel(9);
    clickRowWithText(view->txCodeTypeList, "QT");
    clickRowWithText(view->txCodeTableList, "250.3");
    EXPECT_EQ(doc.flags(9), FLAG_TX_CODED | FLAG_TX_CTCSS);
    EXPECT_EQ(doc.txCode(9), 0x25);
    chooseChannel(0);
    chooseChannel(9);
    EXPECT_EQ(selectedText(view->txCodeTypeList), "QT");
    EXPECT_EQ(selectedText(view->txCodeTableList), "250.3");
    EXPECT_EQ(selectedText(view->rxCodeTypeList), U("无"));
}

TEST_F(EditorTest, ChineseTypeRowReachedByKeyboard) {
    chooseChannel(1);
    clickRowWithText(view->rxCodeTypeList, "DQT");
    ASSERT_EQ(doc.flags(1), FLAG_RX_CODED);
    view->rxCodeTypeList->setFocus();
    QTest::keyClick(view->rxCodeTypeList, Qt::Key_Down);
    EXPECT_EQ(selectedText(view->rxCodeTypeList), U("无"));
    EXPECT_EQ(doc.flags(1), 0);
}

} // namespace
} // namespace qarlo::test
