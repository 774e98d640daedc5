// The form at start-up, showing channels, and choosing channels from both lists.
#include "EditorFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>

namespace qarlo::test {
namespace {

TEST_F(EditorTest, StartUpShowsChannelZeroOfANewDocument) {
    EXPECT_EQ(view->currentChannel, 0);
    EXPECT_EQ(doc.selectedChannel, 0);
    EXPECT_EQ(view->programmedPos, -1);

    ASSERT_EQ(view->channelList->count(), 16);
    EXPECT_EQ(view->channelList->GetText(0), U("01频道"));
    EXPECT_EQ(view->channelList->GetText(15), U("16频道"));
    EXPECT_EQ(view->channelList->GetCurSel(), 0);

    for (const ListBox* types : {view->txCodeTypeList, view->rxCodeTypeList}) {
        EXPECT_EQ(rows(types), QStringList({"QT", "DQT", U("无")}));
        EXPECT_EQ(types->GetCurSel(), 2);
    }
    EXPECT_EQ(view->txCodeTableList->count(), 0);
    EXPECT_EQ(view->rxCodeTableList->count(), 0);
    EXPECT_EQ(rows(view->bandwidthList), QStringList({"25KHz", "12.5KHz"}));
    EXPECT_EQ(view->bandwidthList->GetCurSel(), 0);
    EXPECT_EQ(view->squelchSpin->lower(), 0);
    EXPECT_EQ(view->squelchSpin->upper(), 9);
    EXPECT_EQ(view->squelchSpin->GetPos(), 3);
    EXPECT_EQ(view->squelchEdit->text(), "3");
    EXPECT_TRUE(view->squelchEdit->isReadOnly());

    EXPECT_EQ(view->totEdit->text(), "5");
    EXPECT_EQ(view->rxFreqEdit->text(), "0");
    EXPECT_EQ(view->txFreqEdit->text(), "0");
    EXPECT_EQ(view->bandLowEdit->text(), "0");
    EXPECT_EQ(view->bandHighEdit->text(), "0");
    EXPECT_EQ(view->programmedList->count(), 0);
    EXPECT_EQ(doc.listRefillPending, 1);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(modifiedSpy->count(), 0);
}

TEST_F(EditorTest, EveryControlIsAtItsTemplateRectangle) {
    const DialogUnits du(FormFont());
    const struct {
        const char* name;
        int x, y, w, h;
    } controls[] = {
        {"IDC_BAND_LOW", 190, 99, 30, 16},        {"IDC_TOT", 190, 139, 30, 16},
        {"IDC_CHANNEL_LIST", 417, 74, 45, 97},    {"IDC_RX_FREQ", 202, 224, 50, 16},
        {"IDC_SQUELCH", 327, 149, 32, 17},        {"IDC_SQUELCH_SPIN", 351, 151, 12, 11},
        {"IDC_RX_CODE_TYPE", 200, 259, 36, 29},   {"IDC_RX_CODE_TABLE", 253, 259, 46, 110},
        {"IDC_COPY_RX_TO_TX", 337, 224, 22, 56},  {"IDC_TX_FREQ", 442, 224, 50, 16},
        {"IDC_TX_CODE_TYPE", 442, 259, 35, 31},   {"IDC_TX_CODE_TABLE", 493, 259, 45, 110},
        {"IDC_COPY_TX_TO_RX", 337, 309, 22, 56},  {"IDC_BAND_HIGH", 235, 99, 30, 16},
        {"IDC_PROGRAMMED_LIST", 497, 76, 45, 97}, {"IDC_BANDWIDTH", 327, 99, 48, 21},
    };
    for (const auto& c : controls) {
        const auto* w = view->findChild<QWidget*>(c.name);
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->geometry(), du.rect(c.x, c.y, c.w, c.h)) << c.name;
        EXPECT_TRUE(w->isVisible()) << c.name;
    }
    EXPECT_EQ(view->formSizeHint(), du.size(692, 444));
    EXPECT_EQ(view->copyRxToTxButton->text(), U("复制到==>"));
    EXPECT_EQ(view->copyTxToRxButton->text(), U("复制到<=="));

    // Every caption of the form, spaces included, and centred group box captions.
    QStringList labels;
    for (const QLabel* l : view->findChildren<QLabel*>())
        labels << l->text();
    for (const char* text : {"编码表", "级", "分", "MHz", "频    率", "静噪等级", "频   率",
                             "TOT限时", "频  段", "编码类型", "(QT/DQT)", "到", "频道宽/窄"}) {
        EXPECT_TRUE(labels.contains(U(text))) << text;
    }
    EXPECT_EQ(labels.size(), 18);
    QStringList groups;
    for (const QGroupBox* g : view->findChildren<QGroupBox*>()) {
        groups << g->title();
        EXPECT_EQ(g->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    }
    groups.sort();
    QStringList expected{U("发射"),     U("接收"),       U("频道选择"),
                         U("整机设置"), U("已设置频道"), U("频道功能")};
    expected.sort();
    EXPECT_EQ(groups, expected);
}

TEST_F(EditorTest, TabFollowsTemplateOrder) {
    const QWidget* order[] = {view->bandLowEdit,     view->totEdit,          view->channelList,
                              view->rxFreqEdit,      view->squelchEdit,      view->rxCodeTypeList,
                              view->rxCodeTableList, view->copyRxToTxButton, view->txFreqEdit,
                              view->txCodeTypeList,  view->txCodeTableList,  view->copyTxToRxButton,
                              view->bandHighEdit,    view->programmedList,   view->bandwidthList};
    const_cast<QWidget*>(order[0])->setFocus();
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << i;
    }
}

TEST_F(EditorTest, FramesDoNotSwallowClicksOnTheControlsTheySurround) {
    // The receive frequency edit lies inside the "接收" group box, created after it.
    const QPoint inside = view->rxFreqEdit->geometry().center();
    EXPECT_EQ(view->childAt(inside), view->rxFreqEdit);
    const QPoint inList = view->channelList->geometry().center();
    EXPECT_TRUE(view->channelList->isAncestorOf(view->childAt(inList)));
}

// ShowChannel on the decoded edge bytes: what the lists show, and not a byte of memory changed.
struct SignallingCase {
    std::uint8_t flags;
    std::uint8_t rxCode;
    std::uint8_t txCode;
    const char* rxType;
    int rxRows;
    const char* rxSelected; // "" = no row selected
    const char* txType;
    int txRows;
    const char* txSelected;
};

class ShowChannelTest : public EditorTest, public ::testing::WithParamInterface<SignallingCase> {};

TEST_P(ShowChannelTest, DecodesWithoutTouchingMemory) {
    const SignallingCase& c = GetParam();
    std::uint8_t* rec = doc.record(4);
    rec[REC_FLAGS] = c.flags;
    rec[REC_RX_CODE] = c.rxCode;
    rec[REC_TX_CODE] = c.txCode;
    rec[11] = 0xA5;
    rec[13] = 0x5A; // bytes no field owns pass through untouched as well
    const ChannelMemoryBytes before = doc.ChannelMemory;

    view->currentChannel = 4;
    view->ShowChannel(4);

    EXPECT_EQ(selectedText(view->rxCodeTypeList), U(c.rxType));
    EXPECT_EQ(view->rxCodeTableList->count(), c.rxRows);
    EXPECT_EQ(selectedText(view->rxCodeTableList), U(c.rxSelected));
    EXPECT_EQ(selectedText(view->txCodeTypeList), U(c.txType));
    EXPECT_EQ(view->txCodeTableList->count(), c.txRows);
    EXPECT_EQ(selectedText(view->txCodeTableList), U(c.txSelected));
    EXPECT_EQ(doc.ChannelMemory, before);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(modifiedSpy->count(), 0);

    // Showing another channel and coming back changes nothing either.
    view->ShowChannel(0);
    view->ShowChannel(4);
    EXPECT_EQ(doc.ChannelMemory, before);
    EXPECT_FALSE(doc.IsModified());
}

INSTANTIATE_TEST_SUITE_P(EdgeBytes, ShowChannelTest,
                         ::testing::Values(
                             // transmit CTCSS 0x25 is the last tone
                             SignallingCase{0x28, 0x00, 0x25, "无", 0, "", "QT", 38, "250.3"},
                             // receive DCS: inverted, normal after the gap of "036", the byte of
                             // "036" and the byte no code has
                             SignallingCase{0x10, 0x87, 0x00, "DQT", 166, "023I", "无", 0, ""},
                             SignallingCase{0x10, 0x06, 0x00, "DQT", 166, "043N", "无", 0, ""},
                             SignallingCase{0x10, 0x05, 0x00, "DQT", 166, "032N", "无", 0, ""},
                             SignallingCase{0x10, 0x54, 0x00, "DQT", 166, "023I", "无", 0, ""},
                             SignallingCase{0x10, 0x9C, 0x00, "DQT", 166, "", "无", 0, ""},
                             SignallingCase{0x10, 0xFF, 0x00, "DQT", 166, "", "无", 0, ""},
                             // a tone byte past the table, both directions coded
                             SignallingCase{0x78, 0x26, 0x0A, "QT", 38, "", "QT", 38, "97.4"},
                             // uncoded with the CTCSS bits and code bytes still holding values
                             SignallingCase{0x60, 0x25, 0x87, "无", 0, "", "无", 0, ""},
                             // transmit DCS "172I" (0x85) and receive "754N"
                             SignallingCase{0x18, 0x53, 0x85, "DQT", 166, "754N", "DQT", 166,
                                            "172I"}));

TEST_F(EditorTest, ShowChannelFillsFrequenciesSettingsAndBandwidth) {
    const std::uint8_t freq[4] = {0x02, 0x90, 0x51, 0x94}; // 430.125 MHz
    std::copy_n(freq, 4, doc.record(2) + REC_RX_FREQ);
    doc.setTxFreq(2, 14501250);
    doc.setFlags(2, FLAG_NARROW);
    doc.setSquelch(2, 7);
    doc.setTotTenths(255);
    doc.setBandLow(10012500);  // 400.5 MHz, shown rounded down
    doc.setBandHigh(11750000); // 470 MHz
    const ChannelMemoryBytes before = doc.ChannelMemory;

    view->currentChannel = 2;
    view->ShowChannel(2);
    EXPECT_EQ(view->rxFreqEdit->text(), "430.125");
    EXPECT_EQ(view->txFreqEdit->text(), "145.0125");
    EXPECT_EQ(view->totEdit->text(), "25.5");
    EXPECT_EQ(view->bandLowEdit->text(), "400");
    EXPECT_EQ(view->bandHighEdit->text(), "470");
    EXPECT_EQ(view->bandLowMHz, 400.0);
    EXPECT_EQ(selectedText(view->bandwidthList), "12.5KHz");
    EXPECT_EQ(view->squelchEdit->text(), "7");
    // ShowChannel moves neither the current channel nor the channel list.
    EXPECT_EQ(view->channelList->GetCurSel(), 0);
    EXPECT_EQ(doc.selectedChannel, 0);
    EXPECT_EQ(doc.ChannelMemory, before);

    // A squelch byte beyond the spin's range is shown at its end, and stays stored as it was.
    doc.setSquelch(3, 12);
    view->ShowChannel(3);
    EXPECT_EQ(view->squelchSpin->GetPos(), 9);
    EXPECT_EQ(doc.squelch(3), 12);
    EXPECT_EQ(selectedText(view->bandwidthList), "25KHz");
}

TEST_F(EditorTest, OpeningADocumentListsProgrammedChannelsAndSelectsChannelZero) {
    programChannel(0, 14500000, 14500000);
    programChannel(3, 43012500, 43012500);
    programChannel(15, 43500000, 43500000);
    view->currentChannel = 5; // wherever the editor was before
    reloadDocument();
    EXPECT_EQ(view->currentChannel, 0);
    EXPECT_EQ(rows(view->programmedList), QStringList({U("01频道"), U("04频道"), U("16频道")}));
    EXPECT_EQ(view->programmedList->GetCurSel(), 0);
    EXPECT_EQ(view->rxFreqEdit->text(), "145");
    EXPECT_EQ(doc.listRefillPending, 1);

    // Channel 0 not programmed: listed channels, none selected.
    doc.setRxFreq(0, 0);
    reloadDocument();
    EXPECT_EQ(rows(view->programmedList), QStringList({U("04频道"), U("16频道")}));
    EXPECT_EQ(view->programmedList->GetCurSel(), -1);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(EditorTest, ChoosingFromTheChannelList) {
    programChannel(5, 14500000, 14600000);
    programChannel(9, 43000000, 43000000);
    reloadDocument();

    chooseChannel(5);
    EXPECT_EQ(view->currentChannel, 5);
    EXPECT_EQ(doc.selectedChannel, 5);
    EXPECT_EQ(view->rxFreqEdit->text(), "145");
    EXPECT_EQ(view->txFreqEdit->text(), "146");
    EXPECT_EQ(view->programmedPos, 0);
    EXPECT_EQ(selectedText(view->programmedList), U("06频道"));

    // A channel that is not programmed clears the programmed list's selection.
    chooseChannel(7);
    EXPECT_EQ(view->currentChannel, 7);
    EXPECT_EQ(view->rxFreqEdit->text(), "0");
    EXPECT_EQ(view->programmedPos, -1);
    EXPECT_EQ(view->programmedList->GetCurSel(), -1);

    // With the keyboard: two steps down from 7.
    view->channelList->setFocus();
    QTest::keyClick(view->channelList, Qt::Key_Down);
    QTest::keyClick(view->channelList, Qt::Key_Down);
    EXPECT_EQ(view->currentChannel, 9);
    EXPECT_EQ(selectedText(view->programmedList), U("10频道"));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(EditorTest, ChoosingFromTheProgrammedList) {
    programChannel(2, 14500000, 14500000);
    programChannel(5, 15000000, 15000000);
    reloadDocument();

    clickRowWithText(view->programmedList, U("06频道"));
    EXPECT_EQ(view->currentChannel, 5);
    EXPECT_EQ(doc.selectedChannel, 5);
    EXPECT_EQ(view->programmedPos, 1);
    EXPECT_EQ(selectedText(view->channelList), U("06频道"));
    EXPECT_EQ(view->rxFreqEdit->text(), "150");

    // Clicking the row already selected shows the channel again: an unsaved edit text is replaced.
    view->rxFreqEdit->setText("150.000");
    clickRowWithText(view->programmedList, U("06频道"));
    EXPECT_EQ(view->rxFreqEdit->text(), "150");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(EditorTest, ClickBelowTheLastRowKeepsTheSelection) {
    programChannel(2, 14500000, 14500000);
    reloadDocument();
    clickRow(view->programmedList, 0);
    ASSERT_EQ(view->currentChannel, 2);
    const QRect last = view->programmedList->visualItemRect(view->programmedList->item(0));
    QTest::mouseClick(view->programmedList->viewport(), Qt::LeftButton, {},
                      QPoint(last.center().x(), last.bottom() + 3 * last.height()));
    EXPECT_EQ(view->programmedList->GetCurSel(), 0);
    EXPECT_EQ(view->currentChannel, 2);
    EXPECT_EQ(view->channelList->GetCurSel(), 2);
}

// Found by fuzz_editor: a Ctrl-click cleared the channel list's selection, and the channel then
// programmed by the copy button never reached the programmed list.
TEST_F(EditorTest, CtrlClickOrCtrlSpaceOnTheSelectedRowKeepsIt) {
    programChannel(3, 0, 14500000);
    reloadDocument();
    chooseChannel(3);
    const QRect row = view->channelList->visualItemRect(view->channelList->item(3));
    QTest::mouseClick(view->channelList->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      row.center());
    EXPECT_EQ(view->channelList->GetCurSel(), 3);
    view->channelList->setFocus();
    QTest::keyClick(view->channelList, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(view->channelList->GetCurSel(), 3);
    EXPECT_EQ(view->currentChannel, 3);

    QTest::mouseClick(view->copyTxToRxButton, Qt::LeftButton);
    EXPECT_EQ(programmedEntries(), std::vector<int>{3});
    EXPECT_EQ(selectedText(view->programmedList), U("04频道"));
}

TEST_F(EditorTest, ProgramSelectionsRunNoHandler) {
    // Channel 6 selected by the program: the editor stays on channel 0.
    view->channelList->SetCurSel(6);
    view->programmedList->SetCurSel(0);
    view->txCodeTypeList->SetCurSel(0);
    view->bandwidthList->SetCurSel(1);
    view->squelchSpin->SetPos(9);
    EXPECT_EQ(view->currentChannel, 0);
    EXPECT_EQ(view->txCodeTableList->count(), 0);
    EXPECT_EQ(doc.flags(0), 0);
    EXPECT_EQ(doc.squelch(0), 3);
    EXPECT_FALSE(doc.IsModified());
}

// The programmed list follows the document while channels are edited.
TEST_F(EditorTest, ProgrammedListGainsAChannelInOrder) {
    for (int ch : {2, 5, 9})
        programChannel(ch, 14500000, 14500000);
    programChannel(7, 0, 14500000);
    reloadDocument();
    chooseChannel(7);
    typeInto(view->rxFreqEdit, "145");
    EXPECT_EQ(programmedEntries(), (std::vector<int>{2, 5, 7, 9}));
    EXPECT_EQ(rows(view->programmedList),
              QStringList({U("03频道"), U("06频道"), U("08频道"), U("10频道")}));
    EXPECT_EQ(selectedText(view->programmedList), U("08频道"));
    EXPECT_EQ(view->programmedPos, 2);

    // Still programmed after another edit: listed once, still selected.
    appendTo(view->rxFreqEdit, ".5");
    EXPECT_EQ(programmedEntries(), (std::vector<int>{2, 5, 7, 9}));
    EXPECT_EQ(selectedText(view->programmedList), U("08频道"));
}

TEST_F(EditorTest, ProgrammedListTakesTheSixteenthChannel) {
    for (int ch = 0; ch < 16; ++ch) {
        if (ch != 11) programChannel(ch, 14500000, 14500000);
    }
    doc.setTxFreq(11, 14500000);
    reloadDocument();
    chooseChannel(11);
    typeInto(view->rxFreqEdit, "145");
    std::vector<int> all(16);
    for (int i = 0; i < 16; ++i)
        all[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(programmedEntries(), all);
    EXPECT_EQ(view->programmedList->count(), 16);
    EXPECT_EQ(selectedText(view->programmedList), U("12频道"));
    // And the last one back out, then in again at the end.
    chooseChannel(15);
    typeInto(view->txFreqEdit, "9");
    EXPECT_EQ(view->programmedList->count(), 15);
    EXPECT_EQ(doc.ProgrammedChannelList[15], LIST_END);
    appendTo(view->txFreqEdit, "99");
    EXPECT_EQ(programmedEntries(), all);
    EXPECT_EQ(selectedText(view->programmedList), U("16频道"));
}

TEST_F(EditorTest, ProgrammedListDropsAChannelBelowHundredMHz) {
    for (int ch : {2, 5, 9})
        programChannel(ch, 14500000, 14500000);
    reloadDocument();
    clickRowWithText(view->programmedList, U("06频道"));
    typeInto(view->rxFreqEdit, "4");
    EXPECT_EQ(programmedEntries(), (std::vector<int>{2, 9}));
    EXPECT_EQ(rows(view->programmedList), QStringList({U("03频道"), U("10频道")}));
    EXPECT_EQ(view->programmedList->GetCurSel(), -1);
    EXPECT_EQ(view->programmedPos, 1);

    // An unlisted channel that stays unprogrammed leaves the list alone.
    appendTo(view->rxFreqEdit, "3");
    EXPECT_EQ(programmedEntries(), (std::vector<int>{2, 9}));
    EXPECT_EQ(view->programmedPos, 255);
}

TEST_F(EditorTest, HundredMHzAndJustBelowIsNotProgrammed) {
    typeInto(view->rxFreqEdit, "100");
    typeInto(view->txFreqEdit, "99.99999");
    EXPECT_EQ(doc.txFreq(0), 9999999);
    EXPECT_TRUE(programmedEntries().empty());
    appendTo(view->txFreqEdit, "9");
    EXPECT_EQ(doc.txFreq(0), 10000000); // 99.999999 rounds to 100 MHz
    EXPECT_EQ(programmedEntries(), (std::vector<int>{0}));
}

} // namespace
} // namespace qarlo::test
