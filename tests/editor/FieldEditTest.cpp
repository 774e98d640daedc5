// Typing, clicking and stepping in the form, checked against the bytes stored in the document.
#include "EditorFixture.h"

#include <QToolButton>

#include <cstring>
#include <tuple>

namespace qarlo::test {
namespace {

constexpr int RX = REC_RX_FREQ, TX = REC_TX_FREQ;

TEST_F(EditorTest, FrequencyTypedCharacterByCharacterStoresEachStep) {
    setFrequencies(0, 0, 43000000);
    reloadDocument();
    TypeInto(view->rxFreqEdit, "");
    const struct {
        Qt::Key key;
        std::int32_t units;
    } steps[] = {{Qt::Key_4, 400000},        {Qt::Key_3, 4300000},         {Qt::Key_8, 43800000},
                 {Qt::Key_Period, 43800000}, {Qt::Key_5, 43850000},        {Qt::Key_2, 43852000},
                 {Qt::Key_5, 43852500},      {Qt::Key_Backspace, 43852000}};
    for (const auto& s : steps) {
        QTest::keyClick(view->rxFreqEdit, s.key);
        const bool listed = s.units >= PROGRAMMED_MIN_FREQ;
        EXPECT_EQ(doc.rxFreq(0), s.units) << view->rxFreqEdit->text().toStdString();
        EXPECT_EQ(lists(), (Lists{0, 0, listed ? 0 : 255, listed ? Names({0}) : QStringList(),
                                  listed ? U("01频道") : QString()}));
    }
    EXPECT_EQ(view->rxFreqEdit->text(), "438.52"); // as typed: never rewritten
    EXPECT_EQ(doc.flags(0), 0);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(EditorTest, FrequenciesStoredRoundedAndTheNarrowRule) {
    const struct {
        const char* typed;
        Bytes stored;
        bool narrow;
    } cases[] = {
        {"145.0125", {0x00, 0xDD, 0x45, 0x82}, true},
        {"128.0125", {0x00, 0xC3, 0x54, 0xE2}, true}, // rounded, not truncated one unit low
        {"128.01", {0x00, 0xC3, 0x53, 0xE8}, false},
        {"1e20", {0x7F, 0xFF, 0xFF, 0xFF}, false}, // saturated, never wrapped or undefined
        {"-4", {0x00, 0xFA, 0xE6, 0x80}, false},   // the record layout's signed, truncating store
    };
    for (const auto& c : cases) {
        for (QLineEdit* edit : {view->rxFreqEdit, view->txFreqEdit}) {
            const bool rx = edit == view->rxFreqEdit;
            doc.setFlags(0, 0);
            finishTyping(edit, U(c.typed));
            EXPECT_EQ(memory(rx ? RX : TX, 4), c.stored) << c.typed;
            EXPECT_EQ(edit->text(), U(c.typed));
            EXPECT_EQ(doc.flags(0), c.narrow ? FLAG_NARROW : 0) << c.typed;
        }
    }
    // The rule never clears the flag; the user's pick of 25 kHz does, even on a .0125 frequency,
    // and picking a row again changes nothing.
    TypeInto(view->rxFreqEdit, "145.0125");
    TypeInto(view->rxFreqEdit, "438.5");
    EXPECT_EQ(SelectedText(view->bandwidthList), "12.5KHz");
    EXPECT_EQ(doc.flags(0), FLAG_NARROW);
    for (const char* row : {"25KHz", "12.5KHz", "12.5KHz", "25KHz"}) {
        ClickRowWithText(view->bandwidthList, row);
        EXPECT_EQ(doc.flags(0), row[0] == '2' ? 0 : FLAG_NARROW) << row;
    }
}

// The time-out is limited to a byte, not wrapped, and its edit is not rewritten; a band edge is
// held to 24 bits, and its edit is rewritten from the member while typing.
TEST_F(EditorTest, TimeOutAndBandEdgesAsStored) {
    const std::pair<const char*, int> tenths[] = {
        {"25.5", 255}, {"30", 255}, {"-2", 0}, {"0.19", 1}};
    for (const auto& [typed, stored] : tenths) {
        finishTyping(view->totEdit, typed);
        EXPECT_EQ(doc.totTenths(), stored) << typed;
        EXPECT_EQ(view->totEdit->text(), typed);
    }
    const struct {
        QLineEdit* edit;
        int offset;
        const char* typed;
        Bytes stored;
        const char* shown;
    } bands[] = {{view->bandLowEdit, MEM_BAND_LOW, "400", {0x98, 0x96, 0x80}, "400"},
                 {view->bandHighEdit, MEM_BAND_HIGH, "470", {0xB3, 0x4A, 0x70}, "470"},
                 {view->bandLowEdit, MEM_BAND_LOW, "771", {0xFF, 0xFF, 0xFF}, "771"},
                 {view->bandLowEdit, MEM_BAND_LOW, "-5", {0, 0, 0}, "-5"},
                 {view->bandLowEdit, MEM_BAND_LOW, "400.", {0x98, 0x96, 0x80}, "400"}};
    for (const auto& c : bands) {
        finishTyping(c.edit, c.typed);
        EXPECT_EQ(memory(c.offset, 3), c.stored) << c.typed;
        EXPECT_EQ(c.edit->text(), c.shown);
    }
}

// An edit that is no number stops the exchange with the prompt and takes the focus; the handler
// then stores its member as the exchange left it.
TEST_F(EditorTest, PromptWhenAnEditIsNoNumber) {
    QLineEdit* tx = view->txFreqEdit;
    QLineEdit* rx = view->rxFreqEdit;
    QLineEdit* low = view->bandLowEdit;
    const struct {
        QLineEdit* emptied;
        QLineEdit* typedIn; // the emptied edit itself: emptied with the keyboard
        const char* typed;
        std::int32_t tx;
        const char* shown; // the emptied edit afterwards
    } cases[] = {
        {rx, tx, "1", 100000, ""},       // earlier in order than the failing edit: taken
        {tx, rx, "150", 14500000, ""},   // later than the failing edit: not taken
        {low, low, "", 14500000, "400"}, // a band edit gets its value back
    };
    for (const auto& c : cases) {
        setFrequencies(0, 14500000, 14500000);
        doc.setTotTenths(50);
        doc.setBandLow(10000000);
        view->ShowChannel(0);
        messages.clear();
        if (c.typedIn == c.emptied) { // with the keyboard
            c.emptied->setFocus();
            c.emptied->selectAll();
            QTest::keyClick(c.emptied, Qt::Key_Backspace);
        } else {
            c.emptied->setText("");
            TypeInto(c.typedIn, c.typed);
        }
        SCOPED_TRACE(c.emptied->objectName().toStdString() + " " + c.typed);
        EXPECT_EQ(messages, std::vector<QString>(std::max<std::size_t>(1, std::strlen(c.typed)),
                                                 DataExchange::NotANumberPrompt()));
        EXPECT_TRUE(c.emptied->hasFocus());
        EXPECT_EQ(c.emptied->text(), c.shown);
        EXPECT_EQ(std::tuple(doc.rxFreq(0), doc.txFreq(0), doc.totTenths(), doc.bandLow()),
                  std::tuple(14500000, c.tx, std::uint8_t{50}, 10000000));
    }
}

TEST_F(EditorTest, SquelchSpinStepsWithinZeroToNine) {
    doc.setSquelch(4, 12); // beyond the range, as a file may hold it
    const struct {
        int steps, channel;
        std::uint8_t level;
    } cases[] = {{8, 0, 9}, {-12, 0, 0}, {2, 0, 2}, {1, 4, 9}, {-1, 4, 8}};
    for (const auto& c : cases) {
        if (view->currentChannel != c.channel) chooseChannel(c.channel);
        SpinButtonCtrl* spin = view->squelchSpin;
        for (int i = 0; i < std::abs(c.steps); ++i)
            QTest::mouseClick(c.steps > 0 ? spin->upButton() : spin->downButton(), Qt::LeftButton);
        EXPECT_EQ(doc.squelch(c.channel), c.level) << c.steps;
        EXPECT_EQ(view->squelchEdit->text(), QString::number(c.level));
    }
    EXPECT_EQ(doc.squelch(0), 2); // only the current channel's squelch is written
    // The arrow keys step it one level at a time, in the buddy edit and on the arrows themselves.
    const std::pair<QWidget*, Qt::Key> keys[] = {{view->squelchEdit, Qt::Key_Down},
                                                 {view->squelchSpin, Qt::Key_Down},
                                                 {view->squelchSpin, Qt::Key_Up}};
    int level = doc.squelch(4); // 8, left by the steps above
    for (const auto& [target, key] : keys) {
        target->setFocus();
        QTest::keyClick(target, key);
        level += key == Qt::Key_Up ? 1 : -1;
        EXPECT_EQ(doc.squelch(4), level) << target->objectName().toStdString();
    }
}

TEST_F(EditorTest, CopyButtonsCopyFrequencyCodeAndSignallingBits) {
    const std::uint8_t loose = FLAG_NARROW | 0x07; // bits neither button copies
    const struct {
        QPushButton* button;
        std::uint8_t flags, after;
        const char* type; // shown afterwards on the side copied to
    } cases[] = {
        {view->copyRxToTxButton, 0x50, 0x78, "QT"},
        {view->copyRxToTxButton, 0x28, 0x00, "无"},
        {view->copyTxToRxButton, 0x28, 0x78, "QT"},
        {view->copyTxToRxButton, 0x48, 0x18, "DQT"},
    };
    for (const auto& c : cases) {
        const bool toTx = c.button == view->copyRxToTxButton;
        setFrequencies(6, toTx ? 43012500 : 0, toTx ? 0 : 43012500);
        doc.setRxCode(6, toTx ? 0x0A : 0x33);
        doc.setTxCode(6, toTx ? 0x33 : 0x0A);
        doc.setFlags(6, c.flags | loose);
        doc.setSquelch(6, 5);
        reloadDocument();
        chooseChannel(6);
        QTest::mouseClick(c.button, Qt::LeftButton);

        SCOPED_TRACE(int(c.flags));
        const Bytes copied{0x02, 0x90, 0x51, 0x94, 0x0A}; // frequency and code byte
        EXPECT_EQ(memory(6 * 16 + RX, 5), copied);
        EXPECT_EQ(memory(6 * 16 + TX, 5), copied);
        EXPECT_EQ(doc.flags(6), c.after | loose);
        EXPECT_EQ(doc.squelch(6), 5);
        // Shown again, the side copied to reads like the other, and the channel is listed.
        EXPECT_EQ(signalling(toTx)[0], U(c.type));
        EXPECT_EQ(lists(), (Lists{6, 6, 0, Names({6}), U("07频道")}));
        EXPECT_TRUE(doc.IsModified());
    }
}

} // namespace
} // namespace qarlo::test
