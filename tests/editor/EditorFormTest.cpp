// The form's layout, showing channels, and choosing channels from both lists.
#include "EditorFixture.h"
#include "editor/FormLook.h"

#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>

#include <cmath>

namespace qarlo::test {
namespace {

// With the Song face's 6 x 12 px base units a dialog unit is 1.5 px either way, halves rounded
// up: these rectangles are worked out by hand from the template.
TEST_F(EditorTest, EveryControlAndCaptionOfTheTemplateInTabOrder) {
    const struct {
        const char* name;
        int x, y, w, h;
    } controls[] = {
        {"IDC_BAND_LOW", 285, 149, 45, 24},         {"IDC_TOT", 285, 209, 45, 24},
        {"IDC_CHANNEL_LIST", 626, 111, 68, 146},    {"IDC_RX_FREQ", 303, 336, 75, 24},
        {"IDC_SQUELCH", 491, 224, 30, 26},          {"IDC_SQUELCH_SPIN", 521, 224, 18, 26},
        {"IDC_RX_CODE_TYPE", 300, 389, 54, 44},     {"IDC_RX_CODE_TABLE", 380, 389, 69, 165},
        {"IDC_COPY_RX_TO_TX", 506, 336, 33, 84},    {"IDC_TX_FREQ", 663, 336, 75, 24},
        {"IDC_TX_CODE_TYPE", 663, 389, 53, 47},     {"IDC_TX_CODE_TABLE", 740, 389, 68, 165},
        {"IDC_COPY_TX_TO_RX", 506, 464, 33, 84},    {"IDC_BAND_HIGH", 353, 149, 45, 24},
        {"IDC_PROGRAMMED_LIST", 746, 114, 68, 146}, {"IDC_BANDWIDTH", 491, 149, 72, 32},
    };
    EXPECT_EQ(QFontInfo(view->font()).family(), "AR PL UMing CN");
    view->bandLowEdit->setFocus();
    for (const auto& c : controls) {
        auto* w = view->findChild<QWidget*>(c.name);
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->geometry(), QRect(c.x, c.y, c.w, c.h)) << c.name;
        // Group boxes and labels lie beneath and let the clicks through.
        const QWidget* hit = view->childAt(w->geometry().center());
        EXPECT_TRUE(hit == w || w->isAncestorOf(hit)) << c.name;
        // Template order is tab order; the spin takes no focus of its own.
        if (w == view->squelchSpin || w == view->bandLowEdit) continue;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), w) << c.name;
    }
    EXPECT_EQ(view->formSizeHint(), QSize(1038, 666));
    for (QGroupBox* g : view->findChildren<QGroupBox*>()) {
        if (g->title() == U("频道功能")) {
            EXPECT_EQ(g->geometry(), QRect(468, 89, 113, 180));
        }
        // The frame's top line (first ink at x = 4) runs through the middle of the centred
        // caption and stops short of it on both sides: the gap is as wide as its glyphs.
        const QImage image = g->grab().toImage();
        const auto inked = [&](int x, int y) { return image.pixel(x, y) != image.pixel(0, 0); };
        const auto rowInked = [&](int y) {
            for (int x = 8; x < image.width() - 8; ++x)
                if (inked(x, y)) return true;
            return false;
        };
        int line = 0, top = 0, bottom = 0, left = image.width(), right = 0;
        while (line < image.height() - 1 && !inked(4, line))
            ++line;
        while (top < image.height() - 1 && !rowInked(top))
            ++top;
        for (bottom = top; bottom + 2 < image.height(); ++bottom)
            if (!rowInked(bottom + 1) && !rowInked(bottom + 2)) break;
        for (int y = top; y < line; ++y) {
            for (int x = 8; x < image.width() - 8; ++x) {
                if (inked(x, y)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        const std::string title = g->title().toStdString();
        EXPECT_TRUE(top < line && line < bottom) << title;
        EXPECT_LE(std::abs(left + right - image.width() + 1), 2) << title;
        EXPECT_FALSE(inked(left - 2, line) || inked(right + 2, line)) << title;
    }
}

// WCAG's contrast ratio of two colours.
double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        double sum = 0;
        for (const auto& [v, weight] :
             {std::pair{c.redF(), 0.2126}, {c.greenF(), 0.7152}, {c.blueF(), 0.0722}})
            sum += weight * (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        return sum + 0.05;
    };
    return std::max(luminance(a), luminance(b)) / std::min(luminance(a), luminance(b));
}

// The copy captions are drawn in two lines, the arrow whole; the list with the keyboard shows it
// in its row colours, readable either way.
TEST_F(EditorTest, CopyCaptionsBreakBeforeTheArrowAndListFocusShows) {
    EXPECT_EQ(CaptionLines(U("复制到<==")), QStringList({U("复制到"), "<=="}));
    EXPECT_EQ(CaptionLines(U("Copy ==>")), QStringList({"Copy", "==>"}));
    EXPECT_EQ(CaptionLines(U("A到B  C")), QStringList({"A", U("到"), "B", "C"}));
    const QImage button = view->copyRxToTxButton->grab().toImage();
    // Ink in two lines of the font's height, centred, and nowhere else: the caption is not split
    // into three and not left in one.
    const int line = QFontMetrics(view->copyRxToTxButton->font()).height();
    int inLine[3] = {0, 0, 0}; // above or below the two lines, first line, second line
    for (int y = 3; y < button.height() - 3; ++y) {
        const int at = y - (button.height() / 2 - line);
        for (int x = 3; x < button.width() - 3; ++x)
            if (qGray(button.pixel(x, y)) < 170)
                ++inLine[at >= 0 && at < 2 * line ? 1 + at / line : 0];
    }
    EXPECT_EQ(inLine[0], 0);
    EXPECT_GT(inLine[1], 0);
    EXPECT_GT(inLine[2], 0);

    ListBox* lists[] = {view->channelList, view->rxCodeTypeList, view->bandwidthList};
    for (ListBox* list : lists) {
        list->setFocus();
        for (ListBox* other : lists) {
            const QPalette colours = other->palette();
            EXPECT_EQ(colours.color(QPalette::Highlight) == QColor(FOCUSED_ROW), other == list);
            EXPECT_GE(Contrast(colours.color(QPalette::Highlight),
                               colours.color(QPalette::HighlightedText)),
                      4.5);
        }
    }
}

// ShowChannel on the edge bytes: what it shows, and no byte, channel or list changed.
TEST_F(EditorTest, ShowChannelDecodesWithoutTouchingMemory) {
    const struct {
        std::uint8_t flags, rxCode, txCode;
        QStringList rx, tx; // code type, code table rows, selected code ("" none)
    } cases[] = {
        // DCS: an inverted code, a byte that names no row
        {0x10, 0x87, 0x00, {"DQT", "166", "023I"}, {U("无"), "0", ""}},
        {0x10, 0x9C, 0x00, {"DQT", "166", ""}, {U("无"), "0", ""}},
        {0x78, 0x26, 0x0A, {"QT", "38", ""}, {"QT", "38", "97.4"}}, // a tone past the table
        {0x60, 0x25, 0x87, {U("无"), "0", ""}, {U("无"), "0", ""}}, // uncoded, bits still set
    };
    const std::uint8_t freq[4] = {0x02, 0x90, 0x51, 0x94}; // 430.125 MHz
    std::copy_n(freq, 4, doc.record(2) + REC_RX_FREQ);
    doc.setTxFreq(2, 14501250);
    doc.setFlags(2, FLAG_NARROW);
    doc.setSquelch(2, 7);
    doc.setTotTenths(255);
    doc.setBandLow(10012500);  // 400.5 MHz, shown rounded down
    doc.setBandHigh(11750000); // 470 MHz
    doc.setSquelch(4, 12);     // beyond the spin's range: shown at its end, stored as it was
    doc.record(4)[11] = 0xA5;  // bytes no field owns pass through untouched as well
    view->ShowChannel(2);
    EXPECT_EQ(
        QStringList({view->txFreqEdit->text(), view->totEdit->text(), view->rxFreqEdit->text(),
                     view->bandLowEdit->text(), view->bandHighEdit->text()}),
        QStringList({"145.0125", "25.5", "430.125", "400", "470"}));
    EXPECT_EQ(view->bandLowMHz, 400.0);
    EXPECT_EQ(SelectedText(view->bandwidthList) + view->squelchEdit->text(), "12.5KHz7");
    for (const auto& c : cases) {
        std::uint8_t* rec = doc.record(4);
        rec[REC_FLAGS] = c.flags;
        rec[REC_RX_CODE] = c.rxCode;
        rec[REC_TX_CODE] = c.txCode;
        const ChannelMemoryBytes before = doc.ChannelMemory;
        view->ShowChannel(4);
        EXPECT_EQ(signalling(false), c.rx) << int(c.flags) << " " << int(c.rxCode);
        EXPECT_EQ(signalling(true), c.tx) << int(c.flags) << " " << int(c.txCode);
        EXPECT_EQ(SelectedText(view->bandwidthList) + view->squelchEdit->text(), "25KHz9");
        EXPECT_EQ(doc.ChannelMemory, before);
    }
    EXPECT_EQ(modifiedSpy->count(), 0); // showing runs no handler
}

TEST_F(EditorTest, InitialUpdateAndChoosingFromTheChannelList) {
    setFrequencies(0, 14500000, 14500000);
    setFrequencies(5, 14500000, 14600000);
    setFrequencies(9, 43000000, 43000000);
    view->currentChannel = 5; // wherever the editor was before
    reloadDocument();
    EXPECT_EQ(lists(), (Lists{0, 0, -1, Names({0, 5, 9}), U("01频道")}));
    EXPECT_EQ(view->rxFreqEdit->text(), "145");
    doc.setRxFreq(0, 0); // channel 0 not programmed: the channels listed, none selected
    reloadDocument();
    const QStringList listed = Names({5, 9});
    EXPECT_EQ(lists(), (Lists{0, 0, -1, listed, ""}));

    chooseChannel(5);
    EXPECT_EQ(lists(), (Lists{5, 5, 0, listed, U("06频道")}));
    EXPECT_EQ(doc.selectedChannel, 5);
    EXPECT_EQ(view->txFreqEdit->text(), "146");

    chooseChannel(7); // not programmed: no programmed row
    EXPECT_EQ(lists(), (Lists{7, 7, -1, listed, ""}));
    EXPECT_EQ(view->rxFreqEdit->text(), "0");
    EXPECT_FALSE(doc.IsModified());
}

// Found by fuzz_editor: a Ctrl-click cleared the channel list's selection, and the channel then
// programmed by the copy button never reached the programmed list.
TEST_F(EditorTest, ChoosingFromTheProgrammedListAndKeepingTheSelections) {
    setFrequencies(2, 14500000, 14500000);
    setFrequencies(5, 15000000, 15000000);
    setFrequencies(3, 0, 14500000);
    reloadDocument();
    ListBox* programmed = view->programmedList;
    ClickRowWithText(programmed, U("06频道"));
    EXPECT_EQ(lists(), (Lists{5, 5, 1, Names({2, 5}), U("06频道")}));
    EXPECT_EQ(view->rxFreqEdit->text(), "150");
    // The row already selected shows the channel again: an unsaved edit text is replaced. A
    // press below the last row, a right or a middle button keep the selection.
    view->rxFreqEdit->setText("150.000");
    ClickRowWithText(programmed, U("06频道"));
    EXPECT_EQ(view->rxFreqEdit->text(), "150");
    const QRect last = programmed->visualItemRect(programmed->item(1));
    QTest::mouseClick(programmed->viewport(), Qt::LeftButton, {},
                      QPoint(last.center().x(), last.bottom() + 3 * last.height()));
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton})
        QTest::mouseClick(programmed->viewport(), button, {},
                          programmed->visualItemRect(programmed->item(0)).center());
    EXPECT_EQ(lists(), (Lists{5, 5, 1, Names({2, 5}), U("06频道")}));

    chooseChannel(3);
    ClickRow(view->channelList, 3, Qt::ControlModifier);
    EXPECT_EQ(lists(), (Lists{3, 3, -1, Names({2, 5}), ""}));
    QTest::mouseClick(view->copyTxToRxButton, Qt::LeftButton);
    EXPECT_EQ(lists(), (Lists{3, 3, 1, Names({2, 3, 5}), U("04频道")}));
}

// UpdateProgrammedList after the current channel's frequencies changed: its insert and remove
// rules, the position it leaves and what the list box then shows.
TEST_F(EditorTest, ProgrammedListFollowsTheCurrentChannel) {
    std::vector<int> all(16), allBut11, allBut1;
    for (int ch = 0; ch < 16; ++ch) {
        all[std::size_t(ch)] = ch;
        if (ch != 11) allBut11.push_back(ch);
        if (ch != 1) allBut1.push_back(ch);
    }
    const std::vector<int> first15(all.begin(), all.end() - 1);
    const std::vector<int> sameTwice(16, 0); // never produced; must not be written past its end
    const struct {
        std::vector<int> listed;
        int channel;
        std::int32_t rx, tx;
        std::vector<int> after;
        int pos;
        const char* selected;
    } cases[] = {
        {{2, 5, 9}, 7, 14500000, 14500000, {2, 5, 7, 9}, 2, "08频道"},
        {{2, 5, 7, 9}, 7, 43850000, 14500000, {2, 5, 7, 9}, 2, "08频道"}, // not listed twice
        {{3}, 0, 14500000, 14500000, {0, 3}, 0, "01频道"},
        {allBut11, 11, 14500000, 14500000, all, 11, "12频道"},
        {all, 15, 14500000, 900000, first15, 15, ""},
        {{2, 5, 9}, 5, 400000, 14500000, {2, 9}, 1, ""},
        {{0}, 0, 10000000, 9999999, {}, 0, ""}, // 100 MHz with 99.99999 MHz is not programmed
        {sameTwice, 5, 14500000, 14500000, sameTwice, 16, ""},
        // unprogrammed and unlisted: nothing changes but the position; the selection stays
        {{2, 9}, 5, 400000, 0, {2, 9}, 255, "10频道"},
        // the same with fifteen listed: the search ends at the table's last entry, not past it
        {allBut1, 1, 400000, 0, allBut1, 255, "03频道"},
    };
    for (const auto& c : cases) {
        doc.ProgrammedChannelList.fill(LIST_END);
        std::copy(c.listed.begin(), c.listed.end(), doc.ProgrammedChannelList.begin());
        doc.listRefillPending = -1;
        view->programmedPos = 1;
        view->RefillProgrammedList();
        view->channelList->SetCurSel(c.channel);
        view->currentChannel = c.channel;
        setFrequencies(c.channel, c.rx, c.tx);
        view->UpdateProgrammedList();
        std::vector<int> entries(doc.ProgrammedChannelList.begin(),
                                 doc.ProgrammedChannelList.begin() + doc.programmedCount());
        EXPECT_EQ(entries, c.after) << c.channel;
        EXPECT_EQ(lists(), (Lists{c.channel, c.channel, c.pos, Names(c.after), U(c.selected)}));
    }
}

} // namespace
} // namespace qarlo::test
