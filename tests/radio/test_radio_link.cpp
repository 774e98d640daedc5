// The transfer link against a fake radio on a pseudo-terminal: the real serial code, the real
// timers, the exact bytes on the line.
#include "RadioTestSupport.h"
#include "memory/ChannelFile.h"
#include "tests/support/FakeRadio.h"

#include <QSerialPort>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace qarlo::test {
namespace {

const QByteArray HANDSHAKE = bytes({0xFF, 0x11, 0x22, 0x33});
const QByteArray READ_REQUEST = bytes({0xFF, 0x00, 0xFF, 0x00});
const QByteArray FF11 = bytes({0xFF, 0x11});
using Kind = TransferOutcome::Kind;

// A document the user has been editing, which no failed read may touch; how a radio holding
// validDoc() differs from it.
CQarloDoc editedDoc() {
    CQarloDoc doc = validDoc(44000000);
    doc.setRxFreq(7, 12345678);
    return doc;
}
const QStringList EDITED = {
    QString::fromUtf8("01频道: 接收频率 440.000 → 430.125 MHz; 发射频率 440.000 → 430.125 MHz"),
    QString::fromUtf8("08频道: 接收频率 123.45678 → 0.000 MHz")};

QStringList lines(const std::vector<Difference>& differences) {
    QStringList out;
    for (const std::string& line : DifferenceLinesByRow(differences))
        out << QString::fromStdString(line);
    return out;
}

bool portIsFree(const QString& path) {
    QSerialPort probe(path);
    return probe.open(QIODevice::ReadWrite);
}

struct LinkTest : ::testing::Test {
    FakeRadio radio;
    CQarloDoc doc = editedDoc();        // read into
    CQarloDoc out = validDoc(43500000); // written from
    void SetUp() override {
        ASSERT_TRUE(radio.ok());
        radio.image = imageOf(validDoc());
        doc.portName = out.portName = radio.path.toStdString();
    }
};

// One read after another on the same link, each against a radio answering its own way: every
// transfer starts normally after the one before failed, and a failed read leaves the document
// exactly as it was. A compare goes the same way but never touches the document.
TEST_F(LinkTest, ReadOutcomeFollowsTheRadiosAnswer) {
    const struct {
        const char* name;
        QByteArray reply; // empty: silent
        int imageBytes;
        int hangUpAfter; // >= 0: the device goes away after this many image bytes
        bool reads;
    } cases[] = {
        {"FF 11 and two bytes", bytes({0xFF, 0x11, 0x51, 0x02}), 256, -1, true},
        {"FF 11 alone", FF11, 256, -1, true},
        {"no image", bytes({0xFF, 0x11, 0x00, 0x00}), 0, -1, false},
        // Right after a read that left FF 11 at the start of the incoming half.
        {"silent", {}, 256, -1, false},
        {"wrong reply", bytes({0xFF, 0x10, 0x51, 0x02}), 256, -1, false},
        {"one byte missing", FF11, 255, -1, false},
        {"device gone mid-image", FF11, 256, 128, false},
    };
    RadioLink link(doc);
    LinkRecorder rec(link);
    for (const bool comparing : {false, true})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (comparing ? " compare" : " read"));
            link.setTimeScale(comparing ? 0.25 : 1.0); // the read's pass measures the timers
            FakeRadio r;
            r.handshakeReply = c.reply;
            r.image = radio.image;
            r.imageBytes = c.imageBytes;
            r.hangUpAfterSent = c.hangUpAfter;
            doc = editedDoc();
            doc.portName = r.path.toStdString();
            const auto before = ChannelFileBytes(doc);

            comparing ? link.OnRadioCompare() : link.OnRadioRead();
            link.OnRadioRead(); // ignored while busy, here and in the image step below
            link.OnRadioWrite();
            EXPECT_EQ(link.TransferMode(), RadioLink::MODE_READ);
            ASSERT_TRUE(spinUntil([&] { return r.received().size() >= 4; }));
            const termios tio = r.lineSettings().value(); // while the link holds the line
            EXPECT_EQ(std::pair(cfgetospeed(&tio), cfgetispeed(&tio)),
                      std::pair(speed_t(B2400), speed_t(B2400)));
            EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8));
            const bool answered = c.reply.startsWith(FF11);
            if (answered) {
                ASSERT_TRUE(spinUntil([&] { return r.received().size() >= 8; }));
                link.OnRadioWrite();
                link.OnRadioRead();
            }
            ASSERT_TRUE(rec.waitFinished(rec.finishedCount + 1));

            EXPECT_EQ(r.received(), answered ? HANDSHAKE + READ_REQUEST : HANDSHAKE);
            const qint64 timer = answered ? *r.arrivalOf(4) - *r.arrivalOf(0) : 500;
            EXPECT_TRUE(comparing || (timer >= 350 && timer < 1800)) << timer; // 500 ms, loosely
            EXPECT_TRUE(rec.idleAtFinish);
            const QStringList progress = std::exchange(rec.progress, {});
            EXPECT_EQ(progress.value(0), "0:0/4");
            EXPECT_EQ(progress.contains("1:256/256"), c.reads);
            const bool read = c.reads && !comparing;
            const QString message = !c.reads ? MSG_CHECK_LINK
                                    : comparing ? QString::fromUtf8("对讲机中的数据与当前文档不同")
                                                : MSG_READ_DONE;
            const QStringList events = {"message:" + message,
                                        c.reads ? "finished:ok" : "finished:failed"};
            EXPECT_EQ(rec.take(), (read ? QStringList{"imageDecoded"} : QStringList()) + events);
            EXPECT_EQ(doc.IsModified(), read);
            EXPECT_TRUE(read ? imageOf(doc) == r.image : ChannelFileBytes(doc) == before);
            EXPECT_TRUE(!c.reads || !comparing || lines(rec.last.differences) == EDITED);
            EXPECT_TRUE(c.reads ||
                        rec.last.kind == (answered ? Kind::IncompleteImage : Kind::NoHandshake));
            // The read request does not clear what the handshake received.
            EXPECT_TRUE(c.imageBytes > 0 ||
                        QByteArray(reinterpret_cast<const char*>(&link.IoBuffer[IO_INCOMING]), 4) ==
                            c.reply);
            EXPECT_TRUE(c.hangUpAfter >= 0 || portIsFree(r.path));
        }
}

// At the radio's own 2400 baud only a stream that starts after the read request has gone out
// becomes the image: a handshake reply still arriving when the port is reopened, or a radio that
// talks on after FF 11, fails the read and leaves the document alone; an answer that pauses is
// kept. Whether the late reply's FF 11 is in by the 500 ms timer is up to the scheduler; the read
// fails either way.
TEST_F(LinkTest, PacedRadioOnlyTheAnswerToTheRequestBecomesTheImage) {
    const struct {
        const char* name;
        int replyDelayMs, pieceBytes, talkBytes;
        bool reads;
    } cases[] = {
        {"reply 490 ms late", 490, 0, 0, false},
        {"talks on after FF 11", 0, 0, 1000, false},
        {"image in pieces", 0, 64, 0, true},
    };
    RadioLink link(doc);
    LinkRecorder rec(link);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRadio r;
        r.paced = true;
        r.replyDelayMs = c.replyDelayMs;
        r.pieceBytes = c.pieceBytes;
        r.handshakeReply += QByteArray(c.talkBytes, 'Z'); // talks on after the reply
        r.image = radio.image;
        r.imageBytes = c.talkBytes > 0 ? 0 : 256;
        doc = editedDoc();
        doc.portName = r.path.toStdString();
        const auto before = ChannelFileBytes(doc);
        link.OnRadioRead();
        ASSERT_TRUE(rec.waitFinished(rec.finishedCount + 1));
        EXPECT_TRUE(c.replyDelayMs > 0 || r.received() == HANDSHAKE + READ_REQUEST);
        EXPECT_EQ(rec.take().contains("message:" + MSG_READ_DONE), c.reads);
        EXPECT_TRUE(c.reads ? imageOf(doc) == r.image : ChannelFileBytes(doc) == before);
    }
}

// A write after one that failed starts normally; no image goes out without FF 11, and a stale
// FF 11 from an earlier exchange is no answer.
TEST_F(LinkTest, WriteOutcomeFollowsTheRadiosAnswer) {
    const struct {
        const char* name;
        QByteArray reply;
        int hangUpAfterReceived;
        bool staleReply; // an earlier FF 11 waits in the incoming half
        Kind kind;
    } cases[] = {
        {"good radio", FF11, -1, false, Kind::WriteDone},
        {"silent", {}, -1, true, Kind::NoHandshake},
        {"wrong reply", bytes({0xFF, 0x10}), -1, false, Kind::NoHandshake},
        {"device gone while taking the image", FF11, 64, false, Kind::ImageNotTaken},
        {"good radio after all that", FF11, -1, false, Kind::WriteDone},
    };
    RadioLink link(out);
    LinkRecorder rec(link);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRadio r;
        r.handshakeReply = c.reply;
        r.hangUpAfterReceived = c.hangUpAfterReceived;
        out.portName = r.path.toStdString();
        if (c.staleReply) std::copy_n(FF11.constData(), 2, &link.IoBuffer[IO_INCOMING]);
        link.OnRadioWrite();
        link.OnRadioRead(); // ignored while busy
        link.OnRadioWrite();
        EXPECT_EQ(link.TransferMode(), RadioLink::MODE_WRITE);
        ASSERT_TRUE(rec.waitFinished(rec.finishedCount + 1));
        const bool ok = c.kind == Kind::WriteDone;
        EXPECT_EQ(rec.last.kind, c.kind);
        EXPECT_EQ(rec.take(), QStringList({"message:" + (ok ? MSG_WRITE_DONE : MSG_CHECK_LINK),
                                           ok ? "finished:ok" : "finished:failed"}));
        EXPECT_TRUE(rec.idleAtFinish);
        EXPECT_FALSE(out.IsModified());
        if (ok) {
            EXPECT_EQ(std::exchange(rec.progress, {}).constLast(), "2:256/256");
            EXPECT_EQ(r.received(), HANDSHAKE + imageOf(out));
            EXPECT_GE(*r.arrivalOf(4) - *r.arrivalOf(0), 350);
        }
        EXPECT_TRUE(c.reply.startsWith(FF11) || r.received() == HANDSHAKE);
    }
}

TEST_F(LinkTest, StepThatCannotOpenThePortShowsItsOwnMessage) {
    enum Obstacle { Held, Missing, GoneAfterHandshake };
    const auto read = &RadioLink::OnRadioRead, write = &RadioLink::OnRadioWrite;
    const struct {
        Obstacle obstacle;
        bool (RadioLink::*start)();
        QString message;
    } cases[] = {
        {Held, read, MSG_OPEN_HANDSHAKE},
        {Missing, write, MSG_OPEN_HANDSHAKE},
        {GoneAfterHandshake, read, QString::fromUtf8("创建通信失败")},
        {GoneAfterHandshake, write, QString::fromUtf8("建立通信文件失败")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString() + std::to_string(c.start == write));
        const bool reading = c.start != write;
        FakeRadio r;
        QSerialPort other(r.path);
        ASSERT_TRUE(c.obstacle != Held || other.open(QIODevice::ReadWrite));
        // By a name that goes with the device: a freed pseudo-terminal number is soon reused.
        QTemporaryDir dir;
        const QString name = dir.filePath("radio");
        ASSERT_TRUE(QFile::link(r.path, name));
        doc.portName = out.portName =
            c.obstacle == Missing ? "/dev/qarlo-no-such-tty" : name.toStdString();
        const auto before = ChannelFileBytes(doc);
        RadioLink link(reading ? doc : out);
        LinkRecorder rec(link);
        (link.*c.start)();
        if (c.obstacle == GoneAfterHandshake) {
            ASSERT_TRUE(spinUntil([&] { return r.received().size() >= 4; }));
            spin(100); // the reply is in; now the device disappears
            r.hangUp();
            QFile::remove(name);
        }
        ASSERT_TRUE(rec.waitFinished());
        EXPECT_EQ(rec.events, QStringList({"message:" + c.message, "finished:failed"}));
        EXPECT_EQ(rec.last.open.why,
                  c.obstacle == Held ? OpenFailure::Why::HeldBy : OpenFailure::Why::NoSuchDevice);
        EXPECT_TRUE(rec.idleAtFinish);
        EXPECT_EQ(ChannelFileBytes(doc), before);
        EXPECT_FALSE(doc.IsModified());
    }
}

// The owner going away mid-transfer (OnClose, or the link destroyed): the port is let go, no
// timer carries the transfer on, and the link is idle.
TEST_F(LinkTest, OwnerGoingAwayClosesThePortAndReturnsToIdle) {
    RadioLink link(doc);
    LinkRecorder rec(link);
    link.OnRadioRead();
    ASSERT_TRUE(spinUntil([&] { return radio.received().size() >= 4; }));
    link.OnClose();
    EXPECT_EQ(link.TransferMode(), RadioLink::MODE_IDLE);
    EXPECT_TRUE(portIsFree(radio.path));
    spin(800);
    EXPECT_EQ(radio.received(), HANDSHAKE);
    EXPECT_TRUE(rec.events.isEmpty());
    link.OnRadioRead();
    ASSERT_TRUE(rec.waitFinished());
    EXPECT_EQ(rec.take(), QStringList({"imageDecoded", "message:" + MSG_READ_DONE, "finished:ok"}));

    std::optional<RadioLink> doomed(std::in_place, doc); // destroyed mid-transfer
    doomed->OnRadioRead();
    ASSERT_TRUE(spinUntil([&] { return radio.received().size() >= 16; }));
    doomed.reset();
    EXPECT_TRUE(portIsFree(radio.path));
}

// The radio is compared with what the document would write, not with its bytes: a band edge the
// radio keeps only in whole 10 MHz steps and a squelch level it cannot hold compare as sent.
TEST(CompareWithRadio, ComparesWhatTheDocumentWouldWrite) {
    CQarloDoc doc = validDoc();
    doc.setBandHigh(435 * 25000);
    doc.setSquelch(5, 12);
    const RadioImage sent = BuildRadioImage(doc);
    EXPECT_TRUE(CompareWithRadio(doc, sent).empty());
}

} // namespace
} // namespace qarlo::test
