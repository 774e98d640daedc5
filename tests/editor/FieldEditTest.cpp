// Typing, clicking and stepping in the form, checked against the bytes stored in the document.
#include "EditorFixture.h"

namespace qarlo::test {
namespace {

using Bytes4 = std::array<std::uint8_t, 4>;

TEST_F(EditorTest, FrequencyTypedCharacterByCharacterStoresEachStep) {
    programChannel(0, 0, 43000000);
    reloadDocument();
    view->rxFreqEdit->setFocus();
    view->rxFreqEdit->selectAll();
    const struct {
        char key;
        std::int32_t units;
        bool listed;
    } steps[] = {{'4', 400000, false},  {'3', 4300000, false}, {'8', 43800000, true},
                 {'.', 43800000, true}, {'5', 43850000, true}, {'2', 43852000, true},
                 {'5', 43852500, true}};
    for (const auto& s : steps) {
        QTest::keyClick(view->rxFreqEdit, s.key);
        EXPECT_EQ(doc.rxFreq(0), s.units) << view->rxFreqEdit->text().toStdString();
        EXPECT_EQ(programmedEntries().empty(), !s.listed) << view->rxFreqEdit->text().toStdString();
        EXPECT_EQ(view->programmedList->count(), s.listed ? 1 : 0);
    }
    // The text stays exactly as typed; it is never rewritten by the frequency handler.
    EXPECT_EQ(view->rxFreqEdit->text(), "438.525");
    EXPECT_EQ(selectedText(view->programmedList), U("01频道"));
    EXPECT_EQ(doc.flags(0) & FLAG_NARROW, 0);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(EditorTest, TrailingZerosStayAsTyped) {
    typeInto(view->txFreqEdit, "435.0250");
    EXPECT_EQ(view->txFreqEdit->text(), "435.0250");
    EXPECT_EQ(txBytes(0), (Bytes4{0x02, 0x97, 0xCB, 0xA4})); // 43502500
}

struct FrequencyCase {
    const char* typed;
    Bytes4 stored;
    bool narrow;
};

class FrequencyStoreTest : public EditorTest,
                           public ::testing::WithParamInterface<FrequencyCase> {};

TEST_P(FrequencyStoreTest, ReceiveAndTransmit) {
    const FrequencyCase& c = GetParam();
    finishTyping(view->rxFreqEdit, U(c.typed));
    EXPECT_EQ(rxBytes(0), c.stored);
    EXPECT_EQ((doc.flags(0) & FLAG_NARROW) != 0, c.narrow);
    EXPECT_EQ(selectedText(view->bandwidthList), c.narrow ? "12.5KHz" : "25KHz");

    chooseChannel(1);
    finishTyping(view->txFreqEdit, U(c.typed));
    EXPECT_EQ(txBytes(1), c.stored);
    EXPECT_EQ((doc.flags(1) & FLAG_NARROW) != 0, c.narrow);
    // Nothing but the frequency bytes and the narrow bit moved.
    EXPECT_EQ(doc.rxFreq(1), 0);
    EXPECT_EQ(doc.flags(1) & ~FLAG_NARROW, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FrequencyStoreTest,
    ::testing::Values(FrequencyCase{"145.0125", {0x00, 0xDD, 0x45, 0x82}, true},
                      // rounded to the nearest 10 Hz, not truncated one unit low
                      FrequencyCase{"128.0125", {0x00, 0xC3, 0x54, 0xE2}, true},
                      FrequencyCase{"128.01", {0x00, 0xC3, 0x53, 0xE8}, false},
                      FrequencyCase{"430.125", {0x02, 0x90, 0x51, 0x94}, false},
                      FrequencyCase{"100", {0x00, 0x98, 0x96, 0x80}, false},
                      // .0125 within a value that is no whole MHz plus .0125
                      FrequencyCase{"145.01251", {0x00, 0xDD, 0x45, 0x83}, false},
                      // beyond 32 bits: saturated, never wrapped or undefined
                      FrequencyCase{"1e20", {0x7F, 0xFF, 0xFF, 0xFF}, false},
                      FrequencyCase{"-1e20", {0x80, 0x00, 0x00, 0x00}, false},
                      // a negative value keeps the signed, truncating store of the record layout
                      FrequencyCase{"-4", {0x00, 0xFA, 0xE6, 0x80}, false}));

TEST_F(EditorTest, NarrowRuleSetsButNeverClears) {
    typeInto(view->rxFreqEdit, "145.0125");
    EXPECT_EQ(doc.flags(0), FLAG_NARROW);
    typeInto(view->rxFreqEdit, "438.5");
    EXPECT_EQ(rxBytes(0), (Bytes4{0x02, 0x9D, 0x19, 0x10}));
    EXPECT_EQ(doc.flags(0), FLAG_NARROW);
    EXPECT_EQ(selectedText(view->bandwidthList), "12.5KHz");

    // The user's own pick of 25 kHz clears it even on a .0125 frequency.
    clickRowWithText(view->bandwidthList, "25KHz");
    EXPECT_EQ(doc.flags(0), 0);
    typeInto(view->txFreqEdit, "438.5");
    EXPECT_EQ(doc.flags(0), 0);
    clickRowWithText(view->bandwidthList, "12.5KHz");
    EXPECT_EQ(doc.flags(0), FLAG_NARROW);
    // Clicking the selected row again changes nothing.
    clickRowWithText(view->bandwidthList, "12.5KHz");
    EXPECT_EQ(doc.flags(0), FLAG_NARROW);
}

TEST_F(EditorTest, TimeOutStoredInTenthsLimitedToAByte) {
    const struct {
        const char* typed;
        std::uint8_t tenths;
    } cases[] = {{"0.1", 1}, {"10", 100}, {"25.5", 255}, {"30", 255},
                 {"0", 0},   {"-2", 0},   {"0.19", 1},   {"1e9", 255}};
    for (const auto& c : cases) {
        finishTyping(view->totEdit, c.typed);
        EXPECT_EQ(doc.totTenths(), c.tenths) << c.typed;
        EXPECT_EQ(view->totEdit->text(), c.typed); // not rewritten while typing
    }
}

TEST_F(EditorTest, BandEdgesStoredBigEndianInFortyHertzUnits) {
    const struct {
        QLineEdit* edit;
        int offset;
        const char* typed;
        std::array<std::uint8_t, 3> stored;
    } cases[] = {
        {view->bandLowEdit, MEM_BAND_LOW, "400", {0x98, 0x96, 0x80}},
        {view->bandHighEdit, MEM_BAND_HIGH, "480", {0xB7, 0x1B, 0x00}},
        {view->bandHighEdit, MEM_BAND_HIGH, "470", {0xB3, 0x4A, 0x70}},
        // a huge edge is held at what 24 bits carry, not wrapped to a small one
        {view->bandLowEdit, MEM_BAND_LOW, "771", {0xFF, 0xFF, 0xFF}},
        {view->bandLowEdit, MEM_BAND_LOW, "-5", {0x00, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        finishTyping(c.edit, c.typed);
        const std::array<std::uint8_t, 3> got{
            doc.ChannelMemory[static_cast<std::size_t>(c.offset)],
            doc.ChannelMemory[static_cast<std::size_t>(c.offset + 1)],
            doc.ChannelMemory[static_cast<std::size_t>(c.offset + 2)]};
        EXPECT_EQ(got, c.stored) << c.typed;
    }
}

TEST_F(EditorTest, BandEditIsRewrittenWhileTyping) {
    typeInto(view->bandLowEdit, "0400");
    EXPECT_EQ(view->bandLowEdit->text(), "400");
    appendTo(view->bandLowEdit, ".");
    EXPECT_EQ(view->bandLowEdit->text(), "400");
    EXPECT_EQ(doc.bandLow(), 10000000);

    // Every other edit is rewritten from its member too.
    view->txFreqEdit->setText("435.0250");
    typeInto(view->bandHighEdit, "4");
    EXPECT_EQ(view->txFreqEdit->text(), "435.025");

    // Emptying brings the prompt, then the previous value back; nothing new is stored.
    messages.clear();
    emptyEdit(view->bandLowEdit);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], DataExchange::NotANumberPrompt());
    EXPECT_EQ(view->bandLowEdit->text(), "400");
    EXPECT_EQ(doc.bandLow(), 10000000);
}

TEST_F(EditorTest, EmptiedFrequencyPromptsMovesFocusAndKeepsTheValue) {
    typeInto(view->rxFreqEdit, "145");
    ASSERT_EQ(doc.rxFreq(0), 14500000);
    doc.SetModifiedFlag(false);
    modifiedSpy->clear();
    messages.clear();

    view->txFreqEdit->setFocus();
    view->rxFreqEdit->setText("");
    // Typing into the transmit edit: the exchange stops at the empty receive edit, later in order,
    // yet the transmit value before it is taken.
    typeInto(view->txFreqEdit, "1");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], DataExchange::NotANumberPrompt());
    EXPECT_TRUE(view->rxFreqEdit->hasFocus());
    EXPECT_EQ(doc.txFreq(0), 100000);
    EXPECT_EQ(doc.rxFreq(0), 14500000);

    // Emptying the receive edit itself: the previous member value is stored again.
    view->rxFreqEdit->setText("145");
    messages.clear();
    emptyEdit(view->rxFreqEdit);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(view->rxFreqEdit->hasFocus());
    EXPECT_EQ(doc.rxFreq(0), 14500000);
    EXPECT_EQ(view->rxFreqEdit->text(), "");

    // An empty edit earlier in order blocks a later one: the transmit edit comes first.
    view->txFreqEdit->setText("");
    view->rxFreqEdit->setText("145");
    messages.clear();
    typeInto(view->rxFreqEdit, "150");
    EXPECT_FALSE(messages.empty());
    EXPECT_TRUE(view->txFreqEdit->hasFocus());
    EXPECT_EQ(doc.rxFreq(0), 14500000);
}

TEST_F(EditorTest, SquelchSpinStepsWithinZeroToNine) {
    EXPECT_EQ(doc.squelch(0), 3);
    spinUp();
    EXPECT_EQ(doc.squelch(0), 4);
    EXPECT_EQ(view->squelchEdit->text(), "4");
    for (int i = 0; i < 8; ++i)
        spinUp();
    EXPECT_EQ(doc.squelch(0), 9);
    EXPECT_EQ(view->squelchSpin->GetPos(), 9);
    EXPECT_EQ(view->squelchEdit->text(), "9");
    for (int i = 0; i < 12; ++i)
        spinDown();
    EXPECT_EQ(doc.squelch(0), 0);
    EXPECT_EQ(view->squelchSpin->GetPos(), 0);
    EXPECT_EQ(view->squelchEdit->text(), "0");

    // The arrow keys in the buddy edit step it too.
    view->squelchEdit->setFocus();
    QTest::keyClick(view->squelchEdit, Qt::Key_Up);
    QTest::keyClick(view->squelchEdit, Qt::Key_Up);
    EXPECT_EQ(doc.squelch(0), 2);
    QTest::keyClick(view->squelchEdit, Qt::Key_Down);
    EXPECT_EQ(doc.squelch(0), 1);

    // A stored level beyond the range is brought back within it by the next step.
    doc.setSquelch(4, 12);
    chooseChannel(4);
    spinUp();
    EXPECT_EQ(doc.squelch(4), 9);
    EXPECT_EQ(doc.squelch(0), 1); // only the current channel's squelch is written
}

TEST_F(EditorTest, CopyReceiveToTransmit) {
    std::uint8_t* rec = doc.record(6);
    const std::uint8_t rx[4] = {0x02, 0x90, 0x51, 0x94};
    std::copy_n(rx, 4, rec + REC_RX_FREQ);
    rec[REC_RX_CODE] = 0x0A;
    rec[REC_TX_CODE] = 0x33;
    rec[REC_FLAGS] = 0x50 | FLAG_NARROW | 0x07; // receive QT, transmit uncoded, loose bits
    rec[REC_SQUELCH] = 5;
    doc.setTxFreq(6, 0);
    chooseChannel(6);
    QTest::mouseClick(view->copyRxToTxButton, Qt::LeftButton);
    EXPECT_EQ(txBytes(6), (Bytes4{0x02, 0x90, 0x51, 0x94}));
    EXPECT_EQ(doc.txCode(6), 0x0A);
    EXPECT_EQ(doc.flags(6), 0x78 | FLAG_NARROW | 0x07);
    EXPECT_EQ(doc.squelch(6), 5);
    // Shown again: the transmit side now reads like the receive side, and the channel is listed.
    EXPECT_EQ(view->txFreqEdit->text(), "430.125");
    EXPECT_EQ(selectedText(view->txCodeTypeList), "QT");
    EXPECT_EQ(selectedText(view->txCodeTableList), "97.4");
    EXPECT_EQ(programmedEntries(), (std::vector<int>{6}));
    EXPECT_EQ(selectedText(view->programmedList), U("07频道"));
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(EditorTest, CopyTransmitToReceive) {
    doc.setTxFreq(6, 14501250);
    doc.setRxFreq(6, 43000000);
    doc.setTxCode(6, 0x87);
    doc.setRxCode(6, 0x11);
    doc.setFlags(6, 0x28);
    chooseChannel(6);
    QTest::mouseClick(view->copyTxToRxButton, Qt::LeftButton);
    EXPECT_EQ(rxBytes(6), (Bytes4{0x00, 0xDD, 0x45, 0x82}));
    EXPECT_EQ(doc.rxCode(6), 0x87);
    EXPECT_EQ(doc.flags(6), 0x78);
    EXPECT_EQ(selectedText(view->rxCodeTypeList), "QT");

    // From an uncoded DCS transmit side the receive bits are cleared, not kept.
    doc.setFlags(6, 0x50);
    QTest::mouseClick(view->copyTxToRxButton, Qt::LeftButton);
    EXPECT_EQ(doc.flags(6), 0x00);
    EXPECT_EQ(selectedText(view->rxCodeTypeList), U("无"));
}

TEST_F(EditorTest, ModifiedOnlyWhenAByteChanges) {
    // Choosing, showing and clicking the type already in force of an uncoded direction change
    // no byte.
    chooseChannel(3);
    chooseChannel(0);
    clickRowWithText(view->bandwidthList, "25KHz");
    clickRowWithText(view->rxCodeTypeList, U("无"));
    spinDown();
    spinUp(); // 3 -> 2 -> 3: changes, then changes back
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(modifiedSpy->count(), 2);

    doc.SetModifiedFlag(false);
    modifiedSpy->clear();
    view->txFreqEdit->setText("0");
    typeInto(view->txFreqEdit, "0"); // same value again
    typeInto(view->totEdit, "5");    // 50 tenths, as stored
    for (int i = 0; i < 7; ++i)
        spinUp(); // 3 -> 9 changes; the rest at the end do not
    EXPECT_EQ(modifiedSpy->count(), 6);
    doc.SetModifiedFlag(false);
    modifiedSpy->clear();
    spinUp();
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(modifiedSpy->count(), 0);

    typeInto(view->totEdit, "6");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(modifiedSpy->count(), 1);
}

} // namespace
} // namespace qarlo::test
