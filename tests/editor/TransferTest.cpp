// The editor's side of the transfers: a write that stops at a failed check, and a completed read.
#include "EditorFixture.h"

#include "radio/RadioImage.h"

#include "../radio/FakeRadio.h"

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

// What a user sets in the form for channels 1..3 goes into the radio and comes back unchanged.
TEST_F(EditorTest, ChannelsProgrammedInTheFormSurviveAWriteAndARead) {
    FakeRadio radio;
    ASSERT_TRUE(radio.ok());
    doc.portName = radio.path.toStdString();
    QSignalSpy finished(link.get(), &RadioLink::transferFinished);

    typeInto(view->bandLowEdit, "400");
    typeInto(view->bandHighEdit, "440");
    typeInto(view->totEdit, "3");

    chooseChannel(1);
    typeInto(view->rxFreqEdit, "430.125");
    clickRowWithText(view->rxCodeTypeList, "QT");
    clickRowWithText(view->rxCodeTableList, "88.5");
    QTest::mouseClick(view->copyRxToTxButton, Qt::LeftButton);
    clickRowWithText(view->txCodeTypeList, "DQT");
    clickRowWithText(view->txCodeTableList, "023I");
    clickRowWithText(view->bandwidthList, "12.5KHz");
    spinUp();
    spinUp();

    chooseChannel(2);
    typeInto(view->rxFreqEdit, "435.0125");
    typeInto(view->txFreqEdit, "435.0125");
    clickRowWithText(view->rxCodeTypeList, "DQT");
    clickRowWithText(view->rxCodeTableList, "172I");

    chooseChannel(3);
    typeInto(view->rxFreqEdit, "410");
    typeInto(view->txFreqEdit, "415");
    spinDown();

    ASSERT_EQ(programmedEntries(), (std::vector<int>{1, 2, 3}));
    const CQarloDoc programmed = doc;
    messages.clear();
    view->OnRadioWrite();
    ASSERT_TRUE(finished.wait(8000));
    ASSERT_EQ(messages, std::vector<QString>{U("数据已写入对讲机")});
    ASSERT_EQ(radio.writtenImage.size(), 256);

    // A new document, then the radio read back into it.
    doc.OnNewDocument();
    view->OnInitialUpdate();
    ASSERT_EQ(doc.rxFreq(1), 0);
    chooseChannel(2);
    radio.image = radio.writtenImage;
    finished.clear();
    messages.clear();
    view->OnRadioRead();
    ASSERT_TRUE(finished.wait(8000));
    ASSERT_EQ(messages, std::vector<QString>{U("数据已从对讲机中读出")});

    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        for (int b : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12}) {
            EXPECT_EQ(doc.record(ch)[b], programmed.record(ch)[b])
                << "channel " << ch << " byte " << b;
        }
    }
    EXPECT_EQ(doc.totTenths(), 30);
    EXPECT_EQ(doc.bandLow(), 400 * 25000);
    EXPECT_EQ(doc.bandHigh(), 440 * 25000);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_GE(modifiedSpy->count(), 1);

    // After the read channel 0 is current; it is not programmed, so no programmed row is selected.
    EXPECT_EQ(view->currentChannel, 0);
    EXPECT_EQ(view->channelList->GetCurSel(), 0);
    EXPECT_EQ(view->programmedPos, -1);
    EXPECT_EQ(rows(view->programmedList), QStringList({U("02频道"), U("03频道"), U("04频道")}));
    EXPECT_EQ(view->programmedList->GetCurSel(), -1);
    EXPECT_EQ(view->bandLowEdit->text(), "400");
    EXPECT_EQ(view->totEdit->text(), "3");

    // The channels read back show as they were set.
    chooseChannel(1);
    EXPECT_EQ(view->rxFreqEdit->text(), "430.125");
    EXPECT_EQ(view->txFreqEdit->text(), "430.125");
    EXPECT_EQ(selectedText(view->rxCodeTableList), "88.5");
    EXPECT_EQ(selectedText(view->txCodeTableList), "023I");
    EXPECT_EQ(selectedText(view->bandwidthList), "12.5KHz");
    EXPECT_EQ(view->squelchEdit->text(), "5");
    clickRowWithText(view->programmedList, U("03频道"));
    EXPECT_EQ(selectedText(view->rxCodeTableList), "172I");
    EXPECT_EQ(selectedText(view->bandwidthList), "12.5KHz");
    EXPECT_EQ(selectedText(view->txCodeTypeList), U("无"));
}

TEST_F(EditorTest, ReadSelectsChannelZeroInBothListsWhenItIsProgrammed) {
    FakeRadio radio;
    ASSERT_TRUE(radio.ok());
    CQarloDoc source;
    source.setRxFreq(0, 14500000);
    source.setTxFreq(0, 14500000);
    source.setRxFreq(9, 14600000);
    source.setTxFreq(9, 14600000);
    const RadioImage image = BuildRadioImage(source);
    radio.image = QByteArray(reinterpret_cast<const char*>(image.data()), RADIO_IMAGE_SIZE);
    doc.portName = radio.path.toStdString();

    chooseChannel(9);
    QSignalSpy finished(link.get(), &RadioLink::transferFinished);
    view->OnRadioRead();
    ASSERT_TRUE(finished.wait(8000));
    EXPECT_EQ(view->currentChannel, 0);
    EXPECT_EQ(doc.selectedChannel, 0);
    EXPECT_EQ(view->channelList->GetCurSel(), 0);
    EXPECT_EQ(view->programmedPos, 0);
    EXPECT_EQ(rows(view->programmedList), QStringList({U("01频道"), U("10频道")}));
    EXPECT_EQ(view->programmedList->GetCurSel(), 0);
    EXPECT_EQ(view->rxFreqEdit->text(), "145");
}

} // namespace
} // namespace qarlo::test
