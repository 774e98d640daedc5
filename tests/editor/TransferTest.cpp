// The editor's side of the transfers: a write that stops at a failed check, and a completed read.
#include "EditorFixture.h"

#include "radio/RadioImage.h"
#include "radio/TransferOutcome.h"

#include <QApplication>

#include "../support/FakeRadio.h"

#include <tuple>

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

// The check stops the write at a channel: its message first, then the form, both lists and every
// later edit follow the channel.
TEST_F(EditorTest, FailedCheckBringsTheFailingChannelIntoTheForm) {
    const struct {
        int channel;
        std::int32_t rx, tx;
        int pos;              // in the programmed list; -1 when not listed
        const char* selected; // programmed list row then selected, "" none
        const char* shown;    // the failing channel's receive frequency
        int check;
    } cases[] = {
        {11, 43000000, 43000100, 11, "12频道", "430", 9}, // a step of neither 5 nor 6.25 kHz
        {4, 5000000, 5000000, -1, "", "50", 6},           // unprogrammed, outside the band
    };
    int currentWhenShown = -1;
    SetMessageHandler([&](const QString& text) {
        currentWhenShown = view->currentChannel;
        messages.push_back(text);
    });
    for (const auto& c : cases) {
        makeValid(doc);
        setFrequencies(c.channel, c.rx, c.tx);
        reloadDocument();
        clickRowWithText(view->programmedList, U("03频道"));

        view->OnRadioWrite();
        SCOPED_TRACE(c.channel);
        const std::string_view message = CheckMessage({c.check, c.channel});
        EXPECT_EQ(messages, std::vector<QString>{
                                QString::fromUtf8(message.data(), qsizetype(message.size()))});
        EXPECT_EQ(currentWhenShown, 2);
        EXPECT_EQ(view->currentChannel, c.channel);
        EXPECT_EQ(doc.selectedChannel, c.channel);
        EXPECT_EQ(view->channelList->GetCurSel(), c.channel);
        EXPECT_EQ(view->programmedPos, c.pos);
        EXPECT_EQ(selectedText(view->programmedList), U(c.selected));
        EXPECT_EQ(view->rxFreqEdit->text(), c.shown);
        EXPECT_FALSE(link->isBusy());

        typeInto(view->txFreqEdit, "430");
        EXPECT_EQ(doc.txFreq(c.channel), 43000000);
    }
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
    spin(2);

    chooseChannel(2);
    typeInto(view->rxFreqEdit, "435.0125");
    typeInto(view->txFreqEdit, "435.0125");
    clickRowWithText(view->rxCodeTypeList, "DQT");
    clickRowWithText(view->rxCodeTableList, "172I");

    chooseChannel(3);
    typeInto(view->rxFreqEdit, "410");
    typeInto(view->txFreqEdit, "415");
    spin(-1);

    ASSERT_EQ(programmedEntries(), (std::vector<int>{1, 2, 3}));
    const CQarloDoc programmed = doc;
    messages.clear();
    view->OnRadioWrite();
    ASSERT_TRUE(finished.wait(8000));
    ASSERT_EQ(messages, std::vector<QString>{U("数据已写入对讲机")});
    ASSERT_EQ(radio.writtenImage.size(), 256);

    // A new document, then the radio read back into it.
    doc.OnNewDocument();
    reloadDocument();
    chooseChannel(2);
    radio.image = radio.writtenImage;
    finished.clear();
    view->OnRadioRead();
    ASSERT_TRUE(finished.wait(8000));
    ASSERT_EQ(messages, std::vector<QString>{U("数据已从对讲机中读出")});

    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        for (int b : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12})
            EXPECT_EQ(doc.record(ch)[b], programmed.record(ch)[b]) << ch << " byte " << b;
    }
    EXPECT_EQ(std::tuple(doc.totTenths(), doc.bandLow(), doc.bandHigh()),
              std::tuple(std::uint8_t{30}, 400 * 25000, 440 * 25000));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(modifiedSpy->count(), 1);
    // Channel 0 is current again; it is not programmed, so no programmed row is selected.
    EXPECT_EQ(lists(), (Lists{0, 0, -1, names({1, 2, 3}), ""}));
    EXPECT_EQ(edits(), QStringList({"0", "3", "0", "400", "440"}));
    clickRowWithText(view->programmedList, U("02频道"));
    EXPECT_EQ(signalling(false), QStringList({"QT", "38", "88.5"}));
    EXPECT_EQ(signalling(true), QStringList({"DQT", "166", "023I"}));
    EXPECT_EQ(selectedText(view->bandwidthList) + view->squelchEdit->text(), "12.5KHz5");
}

// What is typed while a read runs could only be overwritten by the image: the form takes nothing
// until the read ends, however it ends, and the keyboard is then back in its edit. A write
// leaves the form editable.
TEST_F(EditorTest, AReadHoldsTheFormUntilItEnds) {
    FakeRadio radio;
    ASSERT_TRUE(radio.ok());
    radio.image = QByteArray(256, '\0');
    link->setTimeScale(0.2);
    QSignalSpy finished(link.get(), &RadioLink::transferFinished);
    const struct {
        bool read, answers, portThere, held;
    } cases[] = {
        {true, true, true, true},   // read
        {true, false, true, true},  // a radio that never answers
        {true, true, false, false}, // no port: over before it began
        {false, true, true, false}, // write
    };
    for (const auto& c : cases) {
        makeValid(doc);
        doc.portName = c.portThere ? radio.path.toStdString() : "/dev/qarlo-no-such-port";
        radio.handshakeReply = c.answers ? bytes({0xFF, 0x11, 0x51, 0x02}) : QByteArray();
        typeInto(view->rxFreqEdit, "431");
        finished.clear();
        c.read ? view->OnRadioRead() : view->OnRadioWrite();
        EXPECT_EQ(view->isEnabled(), !c.held);
        QTest::keyClicks(view->rxFreqEdit, ".1");
        EXPECT_EQ(doc.rxFreq(0), c.held ? 43100000 : 43110000);
        ASSERT_TRUE(!finished.isEmpty() || finished.wait(5000));
        EXPECT_TRUE(view->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), view->rxFreqEdit);
    }
}

// Once a read has decoded the image, channel 0 is current in the form and in both lists (the
// round trip above has it unprogrammed).
TEST_F(EditorTest, AfterAReadChannelZeroIsCurrentInBothLists) {
    setFrequencies(0, 14500000, 14500000);
    setFrequencies(9, 14600000, 14600000);
    chooseChannel(9);
    doc.ProgrammedChannelList.fill(LIST_END); // stale: the read rebuilds it
    emit link->imageDecoded();
    EXPECT_EQ(lists(), (Lists{0, 0, 0, names({0, 9}), U("01频道")}));
    EXPECT_EQ(doc.selectedChannel, 0);
    EXPECT_EQ(view->rxFreqEdit->text(), "145");
    EXPECT_EQ(modifiedSpy->count(), 1);
}

} // namespace
} // namespace qarlo::test
