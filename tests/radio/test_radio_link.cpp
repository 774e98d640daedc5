// The transfer link against a fake radio on a pseudo-terminal: the real serial code, the real
// timers, the exact bytes on the line.
#include "FakeRadio.h"
#include "RadioTestSupport.h"

#include "memory/ChannelFile.h"
#include "radio/RadioLink.h"
#include "radio/SerialPort.h"

#include <QSerialPort>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>

namespace qarlo::test {
namespace {

const QByteArray HANDSHAKE = bytes({0xFF, 0x11, 0x22, 0x33});
const QByteArray READ_REQUEST = bytes({0xFF, 0x00, 0xFF, 0x00});

// A document the user has been editing, which no failed read may touch.
CQarloDoc editedDoc() {
    CQarloDoc doc = validDoc(44000000);
    doc.setRxFreq(7, 12345678);
    doc.selectedChannel = 7;
    return doc;
}

std::array<std::uint8_t, CHANNEL_FILE_SIZE> fileBytes(const CQarloDoc& doc) {
    return ChannelFileBytes(doc);
}

struct LinkFixture : ::testing::Test {
    FakeRadio radio;
    CQarloDoc source = validDoc();
    CQarloDoc doc = editedDoc();
    void SetUp() override {
        ASSERT_TRUE(radio.ok());
        radio.image = imageOf(source);
        doc.portName = radio.path.toStdString();
    }
};

TEST_F(LinkFixture, ReadPutsHandshakeThenReadRequestOnTheLineAndDecodesTheImage) {
    RadioLink link(doc);
    LinkRecorder rec(link);
    link.OnRadioRead();
    EXPECT_EQ(link.TransferMode(), RadioLink::MODE_READ);
    ASSERT_TRUE(rec.waitFinished());

    EXPECT_EQ(radio.received(), HANDSHAKE + READ_REQUEST);
    const auto handshakeAt = radio.arrivalOf(0), requestAt = radio.arrivalOf(4);
    ASSERT_TRUE(handshakeAt && requestAt);
    // The read request waits for the handshake timer: about 500 ms, loosely.
    EXPECT_GE(*requestAt - *handshakeAt, 350);
    EXPECT_LT(*requestAt - *handshakeAt, 1800);

    EXPECT_EQ(rec.events, QStringList({"imageDecoded", "message:" + MSG_READ_DONE, "finished:ok"}));
    EXPECT_TRUE(rec.idleAtFinish);
    EXPECT_EQ(link.TransferMode(), RadioLink::MODE_IDLE);
    EXPECT_TRUE(doc.IsModified());
    // The document now holds the radio's channels: encoding it again gives the radio's image.
    EXPECT_EQ(imageOf(doc), radio.image);
    EXPECT_EQ(doc.rxFreq(7), 0);
    EXPECT_EQ(doc.squelch(3), 7);
    EXPECT_EQ(doc.totTenths(), 30);
}

TEST_F(LinkFixture, LineIsSetUpAt2400Baud8N1WhileTheLinkHoldsIt) {
    RadioLink link(doc);
    LinkRecorder rec(link);
    radio.handshakeReply.clear();
    link.OnRadioRead();
    ASSERT_TRUE(spinUntil([&] { return radio.received().size() >= 4; }));
    const auto tio = radio.lineSettings();
    ASSERT_TRUE(tio);
    EXPECT_EQ(cfgetospeed(&*tio), speed_t(B2400));
    EXPECT_EQ(cfgetispeed(&*tio), speed_t(B2400));
    EXPECT_EQ(tio->c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(tio->c_cflag & PARENB, tcflag_t(0));
    EXPECT_EQ(tio->c_cflag & CSTOPB, tcflag_t(0));
    ASSERT_TRUE(rec.waitFinished());
}

TEST_F(LinkFixture, WriteSendsTheCheckedImageAfterAGoodHandshake) {
    CQarloDoc out = validDoc(43500000);
    out.portName = doc.portName;
    RadioLink link(out);
    LinkRecorder rec(link);
    link.OnRadioWrite();
    EXPECT_EQ(link.TransferMode(), RadioLink::MODE_WRITE);
    ASSERT_TRUE(rec.waitFinished());

    EXPECT_EQ(radio.received(), HANDSHAKE + imageOf(out));
    EXPECT_EQ(radio.writtenImage, imageOf(out));
    const auto handshakeAt = radio.arrivalOf(0), imageAt = radio.arrivalOf(4);
    ASSERT_TRUE(handshakeAt && imageAt);
    EXPECT_GE(*imageAt - *handshakeAt, 350);
    EXPECT_EQ(rec.events, QStringList({"message:" + MSG_WRITE_DONE, "finished:ok"}));
    EXPECT_FALSE(out.IsModified());
}

TEST_F(LinkFixture, HandshakeReplyNeedsOnlyItsFirstTwoBytes) {
    for (const QByteArray& reply : {bytes({0xFF, 0x11}), bytes({0xFF, 0x11, 0x00, 0x00}),
                                    bytes({0xFF, 0x11, 0xAB, 0xCD, 0xEF})}) {
        SCOPED_TRACE(reply.toHex(' ').toStdString());
        FakeRadio r;
        r.handshakeReply = reply;
        r.image = radio.image;
        doc.portName = r.path.toStdString();
        RadioLink link(doc);
        LinkRecorder rec(link);
        link.OnRadioRead();
        ASSERT_TRUE(rec.waitFinished());
        EXPECT_EQ(rec.messages, QStringList{MSG_READ_DONE});
    }
}

// Every way a read can go wrong on the line: one message, the document exactly as it was, idle,
// and the next read works.
struct ReadFailure {
    const char* name;
    QByteArray handshakeReply;
    int imageBytes;
    int pauseAfter;
    int hangUpAfterSent;
    bool sendsReadRequest;
};

void PrintTo(const ReadFailure& c, std::ostream* os) {
    *os << c.name;
}

class ReadFailureTest : public LinkFixture, public ::testing::WithParamInterface<ReadFailure> {};

TEST_P(ReadFailureTest, FailsWithCheckConnectionAndLeavesTheDocumentUntouched) {
    const ReadFailure& c = GetParam();
    radio.handshakeReply = c.handshakeReply;
    radio.imageBytes = c.imageBytes;
    radio.pauseAfter = c.pauseAfter;
    radio.pauseMs = 400;
    radio.hangUpAfterSent = c.hangUpAfterSent;
    const auto before = fileBytes(doc);

    RadioLink link(doc);
    LinkRecorder rec(link);
    link.OnRadioRead();
    ASSERT_TRUE(rec.waitFinished());
    EXPECT_EQ(rec.events, QStringList({"message:" + MSG_CHECK_LINK, "finished:failed"}));
    EXPECT_TRUE(rec.idleAtFinish);
    EXPECT_EQ(fileBytes(doc), before);
    EXPECT_EQ(doc.selectedChannel, 7);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(radio.received(), c.sendsReadRequest ? HANDSHAKE + READ_REQUEST : HANDSHAKE);

    // After the failure the next read starts normally (on a radio that behaves).
    FakeRadio good;
    good.image = radio.image;
    doc.portName = good.path.toStdString();
    link.OnRadioRead();
    ASSERT_TRUE(rec.waitFinished(2));
    EXPECT_EQ(rec.messages.last(), MSG_READ_DONE);
}

INSTANTIATE_TEST_SUITE_P(
    Line, ReadFailureTest,
    ::testing::Values(
        ReadFailure{"SilentRadio", {}, 256, -1, -1, false},
        ReadFailure{"WrongHandshakeReply", bytes({0xFF, 0x10, 0x51, 0x02}), 256, -1, -1, false},
        ReadFailure{"ReplyStartsWithEleven", bytes({0x11, 0xFF}), 256, -1, -1, false},
        ReadFailure{"NoImage", bytes({0xFF, 0x11, 0, 0}), 0, -1, -1, true},
        ReadFailure{"ShortImage", bytes({0xFF, 0x11, 0, 0}), 100, -1, -1, true},
        ReadFailure{"OneByteMissing", bytes({0xFF, 0x11, 0, 0}), 255, -1, -1, true},
        // More than 100 ms of silence ends the read, whatever comes later.
        ReadFailure{"PauseInTheImage", bytes({0xFF, 0x11, 0, 0}), 256, 128, -1, true},
        ReadFailure{"DeviceGoesAwayMidImage", bytes({0xFF, 0x11, 0, 0}), 256, -1, 128, true}),
    [](const auto& p) { return std::string(p.param.name); });

// The reply of an earlier handshake must not pass for a new radio's answer: a read whose image
// never came leaves FF 11 at the start of the incoming half.
TEST_F(LinkFixture, SilentRadioAfterAnEarlierHandshakeStillFails) {
    radio.imageBytes = 0;
    RadioLink link(doc);
    LinkRecorder rec(link);
    link.OnRadioRead();
    ASSERT_TRUE(rec.waitFinished());
    ASSERT_EQ(link.IoBuffer[IO_INCOMING], 0xFF);
    ASSERT_EQ(link.IoBuffer[IO_INCOMING + 1], 0x11);
    radio.handshakeReply.clear();
    link.OnRadioRead();
    ASSERT_TRUE(rec.waitFinished(2));
    EXPECT_EQ(rec.messages, QStringList({MSG_CHECK_LINK, MSG_CHECK_LINK}));
    EXPECT_EQ(radio.received(), HANDSHAKE + READ_REQUEST + HANDSHAKE);

    CQarloDoc out = validDoc();
    out.portName = doc.portName;
    RadioLink writer(out);
    LinkRecorder wrec(writer);
    writer.IoBuffer[IO_INCOMING] = 0xFF;
    writer.IoBuffer[IO_INCOMING + 1] = 0x11;
    writer.OnRadioWrite();
    ASSERT_TRUE(wrec.waitFinished());
    EXPECT_EQ(wrec.messages, QStringList{MSG_CHECK_LINK});
    EXPECT_TRUE(radio.writtenImage.isEmpty());
}

TEST_F(LinkFixture, WriteFailsWhenTheRadioDoesNotAnswerTheHandshake) {
    radio.handshakeReply.clear();
    CQarloDoc out = validDoc();
    out.portName = doc.portName;
    RadioLink link(out);
    LinkRecorder rec(link);
    link.OnRadioWrite();
    ASSERT_TRUE(rec.waitFinished());
    EXPECT_EQ(rec.messages, QStringList{MSG_CHECK_LINK});
    EXPECT_EQ(radio.received(), HANDSHAKE); // the image never goes out
    EXPECT_TRUE(radio.writtenImage.isEmpty());
}

TEST_F(LinkFixture, WriteFailsWhenTheDeviceGoesAwayWhileTakingTheImage) {
    radio.hangUpAfterReceived = 64;
    CQarloDoc out = validDoc();
    out.portName = doc.portName;
    RadioLink link(out);
    LinkRecorder rec(link);
    link.OnRadioWrite();
    ASSERT_TRUE(rec.waitFinished());
    EXPECT_EQ(rec.events, QStringList({"message:" + MSG_CHECK_LINK, "finished:failed"}));
    EXPECT_EQ(link.TransferMode(), RadioLink::MODE_IDLE);
}

TEST_F(LinkFixture, InvalidDocumentStopsTheWriteBeforeThePortIsOpened) {
    CQarloDoc out = validDoc();
    out.portName = doc.portName;
    out.setRxFreq(4, 43000000);
    out.setTxFreq(4, 45000000); // more than 10 MHz apart, and out of band
    RadioLink link(out);
    LinkRecorder rec(link);
    link.OnRadioWrite();
    // Decided at once: no timer, no port.
    EXPECT_EQ(rec.finishedCount, 1);
    EXPECT_EQ(rec.events, QStringList({"message:" + QString::fromUtf8(MSG_FREQ_DIFFERENCE.data(),
                                                                      MSG_FREQ_DIFFERENCE.size()),
                                       "checkFailed:4", "finished:failed"}));
    EXPECT_EQ(out.selectedChannel, 4);
    EXPECT_EQ(link.TransferMode(), RadioLink::MODE_IDLE);
    spin(700);
    EXPECT_TRUE(radio.received().isEmpty());
    // The port is free: nothing holds it.
    QSerialPort probe(radio.path);
    EXPECT_TRUE(probe.open(QIODevice::ReadWrite));
}

TEST_F(LinkFixture, SecondCommandWhileBusyIsIgnored) {
    RadioLink link(doc);
    LinkRecorder rec(link);
    link.OnRadioRead();
    link.OnRadioRead();
    link.OnRadioWrite();
    EXPECT_EQ(link.TransferMode(), RadioLink::MODE_READ);
    ASSERT_TRUE(spinUntil([&] { return radio.received().size() >= 8; }));
    link.OnRadioWrite(); // during the image step
    link.OnRadioRead();
    ASSERT_TRUE(rec.waitFinished());
    spin(600);
    EXPECT_EQ(rec.finishedCount, 1);
    EXPECT_EQ(rec.messages, QStringList{MSG_READ_DONE});
    EXPECT_EQ(radio.received(), HANDSHAKE + READ_REQUEST);
}

TEST_F(LinkFixture, PortChosenDuringATransferIsUsedByTheNextOne) {
    FakeRadio second;
    second.image = imageOf(validDoc(43700000));
    qputenv("QARLO_COM1", radio.path.toLocal8Bit());
    qputenv("QARLO_COM2", second.path.toLocal8Bit());
    doc.portName = "COM1";
    RadioLink link(doc);
    LinkRecorder rec(link);
    link.OnRadioRead();
    doc.portName = "COM2";
    ASSERT_TRUE(rec.waitFinished());
    EXPECT_EQ(radio.received(), HANDSHAKE + READ_REQUEST);
    EXPECT_TRUE(second.received().isEmpty());
    EXPECT_EQ(imageOf(doc), radio.image);

    link.OnRadioRead();
    ASSERT_TRUE(rec.waitFinished(2));
    EXPECT_EQ(second.received(), HANDSHAKE + READ_REQUEST);
    EXPECT_EQ(radio.received(), HANDSHAKE + READ_REQUEST);
    EXPECT_EQ(imageOf(doc), second.image);
    qunsetenv("QARLO_COM1");
    qunsetenv("QARLO_COM2");
}

// The port cannot be opened at the first step: that step's message, nothing open, idle.
TEST_F(LinkFixture, PortHeldByAnotherProgramFailsTheFirstStep) {
    QSerialPort other(radio.path);
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    const auto before = fileBytes(doc);
    RadioLink link(doc);
    LinkRecorder rec(link);
    link.OnRadioRead();
    EXPECT_EQ(rec.events, QStringList({"message:" + MSG_OPEN_HANDSHAKE, "finished:failed"}));
    EXPECT_TRUE(LastOpenFailureReason().contains("held by another program"))
        << LastOpenFailureReason().toStdString();

    CQarloDoc out = validDoc();
    out.portName = doc.portName;
    RadioLink writer(out);
    LinkRecorder wrec(writer);
    writer.OnRadioWrite();
    EXPECT_EQ(wrec.messages, QStringList{MSG_OPEN_HANDSHAKE});
    EXPECT_EQ(fileBytes(doc), before);
    EXPECT_FALSE(link.isBusy());
    EXPECT_FALSE(writer.isBusy());
    spin(100);
    EXPECT_TRUE(radio.received().isEmpty());
}

TEST_F(LinkFixture, MissingDeviceFailsTheFirstStep) {
    doc.portName = "/dev/qarlo-no-such-tty";
    RadioLink link(doc);
    LinkRecorder rec(link);
    link.OnRadioRead();
    EXPECT_EQ(rec.messages, QStringList{MSG_OPEN_HANDSHAKE});
    EXPECT_EQ(LastOpenFailureReason(), "/dev/qarlo-no-such-tty: no such device");
    EXPECT_FALSE(link.isBusy());
}

// The device is there for the handshake and gone for the next step: that step's own message.
TEST_F(LinkFixture, DeviceGoneBeforeTheSecondStepShowsThatStepsMessage) {
    struct Case {
        bool reading;
        QString message;
    };
    for (const Case& c : {Case{true, MSG_OPEN_READ}, Case{false, MSG_OPEN_IMAGE}}) {
        SCOPED_TRACE(c.reading ? "read" : "write");
        FakeRadio r;
        r.image = radio.image;
        CQarloDoc d = validDoc();
        d.portName = r.path.toStdString();
        const auto before = fileBytes(d);
        RadioLink link(d);
        LinkRecorder rec(link);
        c.reading ? link.OnRadioRead() : link.OnRadioWrite();
        ASSERT_TRUE(spinUntil([&] { return r.received().size() >= 4; }));
        spin(100); // the reply is in; now the device disappears
        r.hangUp();
        ASSERT_TRUE(rec.waitFinished());
        EXPECT_EQ(rec.events, QStringList({"message:" + c.message, "finished:failed"}));
        EXPECT_EQ(fileBytes(d), before);
    }
}

TEST_F(LinkFixture, OwnerGoingAwayClosesThePortAndReturnsToIdle) {
    RadioLink link(doc);
    LinkRecorder rec(link);
    link.OnRadioRead();
    ASSERT_TRUE(spinUntil([&] { return radio.received().size() >= 4; }));
    link.OnClose();
    EXPECT_EQ(link.TransferMode(), RadioLink::MODE_IDLE);
    // Nobody holds the device any more.
    QSerialPort probe(radio.path);
    EXPECT_TRUE(probe.open(QIODevice::ReadWrite));
    probe.close();
    spin(800); // no timer is left to carry the transfer on
    EXPECT_EQ(radio.received(), HANDSHAKE);
    EXPECT_TRUE(rec.messages.isEmpty());
    // And the link takes the next command.
    link.OnRadioRead();
    ASSERT_TRUE(rec.waitFinished());
    EXPECT_EQ(rec.messages, QStringList{MSG_READ_DONE});
}

TEST_F(LinkFixture, DestroyingTheLinkMidTransferReleasesThePort) {
    {
        RadioLink link(doc);
        link.OnRadioRead();
        ASSERT_TRUE(spinUntil([&] { return radio.received().size() >= 8; }));
    }
    QSerialPort probe(radio.path);
    EXPECT_TRUE(probe.open(QIODevice::ReadWrite));
    spin(300);
}

} // namespace
} // namespace qarlo::test
