// The editor's side of the transfers: a write that stops at a failed check, and a completed read.
#include "EditorFixture.h"

#include "radio/RadioImage.h"

namespace qarlo::test {
namespace {

void makeValid(CQarloDoc& doc) {
    doc.setBandLow(10500000);  // 420 MHz
    doc.setBandHigh(11500000); // 460 MHz
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        doc.setRxFreq(ch, 43000000);
        doc.setTxFreq(ch, 43000000);
    }
}

TEST_F(EditorTest, FailedCheckBringsTheFailingChannelIntoTheForm) {
    makeValid(doc);
    doc.setTxFreq(11, 43000100); // not a multiple of 5 or 6.25 kHz
    reloadDocument();
    messages.clear();

    view->OnRadioWrite();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].toStdString(), std::string(MSG_TX_STEP));
    EXPECT_EQ(view->currentChannel, 11);
    EXPECT_EQ(doc.selectedChannel, 11);
    EXPECT_EQ(view->channelList->GetCurSel(), 11);
    EXPECT_EQ(view->programmedPos, 11);
    EXPECT_EQ(selectedText(view->programmedList), U("12频道"));
    EXPECT_EQ(view->txFreqEdit->text(), "430.001");
    EXPECT_FALSE(link->isBusy());

    // Editing now goes to that channel.
    typeInto(view->txFreqEdit, "430");
    EXPECT_EQ(doc.txFreq(11), 43000000);
}

TEST_F(EditorTest, FailedCheckOnAnUnlistedChannelSelectsNoProgrammedRow) {
    makeValid(doc);
    doc.setRxFreq(4, 5000000); // 50 MHz: unprogrammed, outside the band
    doc.setTxFreq(4, 5000000);
    reloadDocument();
    clickRowWithText(view->programmedList, U("03频道"));
    messages.clear();
    view->OnRadioWrite();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(view->currentChannel, 4);
    EXPECT_EQ(view->channelList->GetCurSel(), 4);
    EXPECT_EQ(view->programmedPos, -1);
    EXPECT_EQ(view->programmedList->GetCurSel(), -1);
    EXPECT_EQ(view->rxFreqEdit->text(), "50");
}

} // namespace
} // namespace qarlo::test
