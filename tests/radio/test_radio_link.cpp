// The transfer link's sequencing against a scripted radio on a clock the test moves: every
// step, every fault, the exact bytes and their spacing to the millisecond. What only a real
// line shows (its set-up, pacing and hang-ups) runs at the end against a pseudo-terminal.
#include "RadioTestSupport.h"
#include "memory/ChannelFile.h"
#include "tests/support/FakeRadio.h"
#include "tests/support/ScriptedRadio.h"

#include <QSerialPort>

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

struct ScriptedLinkTest : ::testing::Test {
    FakeClock clock;
    ScriptedRadio radio{clock};
    CQarloDoc doc = editedDoc();        // read into
    CQarloDoc out = validDoc(43500000); // written from
    void SetUp() override {
        radio.image = imageOf(validDoc());
        doc.portName = out.portName = "COM1";
    }
    // The time each transfer finished, on the fake clock.
    bool finish(LinkRecorder& rec, qint64& at) {
        const bool done = clock.runUntil([&] { return rec.finishedCount >= 1; });
        at = clock.nowMs();
        rec.finishedCount = 0;
        return done;
    }
};

// One read after another on the same link, each against a radio answering its own way: every
// transfer starts normally after the one before failed, the request goes out 500 ms after the
// handshake and the image is looked at 2000 ms after that, and a failed read leaves the document
// exactly as it was. A compare goes the same way but never touches the document.
TEST_F(ScriptedLinkTest, ReadOutcomeFollowsTheRadiosAnswer) {
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
    RadioLink link(doc, radio.makeLine(), clock);
    LinkRecorder rec(link);
    for (const bool comparing : {false, true})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (comparing ? " compare" : " read"));
            radio.comeBack();
            radio.handshakeReply = c.reply;
            radio.imageBytes = c.imageBytes;
            radio.hangUpAfterSent = c.hangUpAfter;
            doc = editedDoc();
            doc.portName = "COM1";
            const auto before = ChannelFileBytes(doc);
            const int heard = static_cast<int>(radio.received().size());
            const qint64 start = clock.nowMs();

            comparing ? link.OnRadioCompare() : link.OnRadioRead();
            link.OnRadioRead(); // ignored while busy, here and in the image step below
            link.OnRadioWrite();
            EXPECT_EQ(link.TransferMode(), RadioLink::MODE_READ);
            const bool answered = c.reply.startsWith(FF11);
            if (answered) {
                clock.advance(501);
                link.OnRadioWrite();
                link.OnRadioRead();
            }
            qint64 end = 0;
            ASSERT_TRUE(finish(rec, end));

            EXPECT_EQ(radio.received().mid(heard), answered ? HANDSHAKE + READ_REQUEST : HANDSHAKE);
            EXPECT_EQ(end - start, answered ? 2500 : 500);
            EXPECT_EQ(answered ? *radio.arrivalOf(heard + 4) - *radio.arrivalOf(heard) : 500, 500);
            EXPECT_TRUE(rec.idleAtFinish);
            EXPECT_FALSE(radio.lineOpen());
            const QStringList progress = std::exchange(rec.progress, {});
            EXPECT_EQ(progress.value(0), "0:0/4");
            EXPECT_EQ(progress.contains("0:4/4"), c.reply.size() == 4);
            EXPECT_EQ(progress.contains("1:128/256"), c.imageBytes > 0 && answered);
            EXPECT_EQ(progress.contains("1:256/256"), c.reads);
            const bool read = c.reads && !comparing;
            const QString message = !c.reads ? MSG_CHECK_LINK
                                    : comparing ? QString::fromUtf8("对讲机中的数据与当前文档不同")
                                                : MSG_READ_DONE;
            const QStringList events = {"message:" + message,
                                        c.reads ? "finished:ok" : "finished:failed"};
            EXPECT_EQ(rec.take(), (read ? QStringList{"imageDecoded"} : QStringList()) + events);
            EXPECT_EQ(doc.IsModified(), read);
            EXPECT_TRUE(read ? imageOf(doc) == radio.image : ChannelFileBytes(doc) == before);
            EXPECT_TRUE(!c.reads || !comparing || lines(rec.last.differences) == EDITED);
            EXPECT_TRUE(c.reads ||
                        rec.last.kind == (answered ? Kind::IncompleteImage : Kind::NoHandshake));
            // The read request does not clear what the handshake received.
            EXPECT_TRUE(c.imageBytes > 0 ||
                        QByteArray(reinterpret_cast<const char*>(&link.IoBuffer[IO_INCOMING]), 4) ==
                            c.reply);
            clock.advance(1000); // a hung-up radio's last bytes
        }
}

// Only a stream that starts after the read request has gone out becomes the image: the tail of
// a handshake reply still arriving when the port is reopened, or a radio that talks on after
// FF 11, fails the read and leaves the document alone; an answer that pauses is kept.
TEST_F(ScriptedLinkTest, OnlyTheAnswerToTheRequestBecomesTheImage) {
    const struct {
        const char* name;
        int replyDelayMs, pieceBytes, talkBytes;
        bool reads;
    } cases[] = {
        // FF 11 is in by the 500 ms timer, its last byte comes while the request goes out.
        {"reply 468 ms late", 468, 0, 0, false},
        {"talks on after FF 11", 0, 0, 1000, false},
        {"image in pieces", 0, 64, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedRadio r(clock);
        r.replyDelayMs = c.replyDelayMs;
        r.pieceBytes = c.pieceBytes;
        r.handshakeReply += QByteArray(c.talkBytes, 'Z'); // talks on after the reply
        r.image = radio.image;
        r.imageBytes = c.talkBytes > 0 ? 0 : 256;
        RadioLink link(doc, r.makeLine(), clock);
        LinkRecorder rec(link);
        doc = editedDoc();
        const auto before = ChannelFileBytes(doc);
        link.OnRadioRead();
        qint64 end = 0;
        ASSERT_TRUE(finish(rec, end));
        EXPECT_EQ(r.received(), HANDSHAKE + READ_REQUEST);
        EXPECT_EQ(rec.take().contains("message:" + MSG_READ_DONE), c.reads);
        EXPECT_TRUE(c.reads ? imageOf(doc) == r.image : ChannelFileBytes(doc) == before);
        clock.advance(5000);
    }
}

// A write after one that failed starts normally; the image goes out 500 ms after the handshake
// and only with FF 11 (a stale FF 11 from an earlier exchange is no answer), and the write is
// done 2000 ms later; the bar follows the bytes as they leave.
TEST_F(ScriptedLinkTest, WriteOutcomeFollowsTheRadiosAnswer) {
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
    RadioLink link(out, radio.makeLine(), clock);
    LinkRecorder rec(link);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        radio.comeBack();
        radio.handshakeReply = c.reply;
        radio.hangUpAfterReceived = c.hangUpAfterReceived;
        const int heard = static_cast<int>(radio.received().size());
        const qint64 start = clock.nowMs();
        if (c.staleReply) std::copy_n(FF11.constData(), 2, &link.IoBuffer[IO_INCOMING]);
        link.OnRadioWrite();
        link.OnRadioRead(); // ignored while busy
        link.OnRadioWrite();
        EXPECT_EQ(link.TransferMode(), RadioLink::MODE_WRITE);
        qint64 end = 0;
        ASSERT_TRUE(finish(rec, end));
        const bool ok = c.kind == Kind::WriteDone;
        EXPECT_EQ(rec.last.kind, c.kind);
        EXPECT_EQ(rec.take(), QStringList({"message:" + (ok ? MSG_WRITE_DONE : MSG_CHECK_LINK),
                                           ok ? "finished:ok" : "finished:failed"}));
        EXPECT_TRUE(rec.idleAtFinish);
        EXPECT_FALSE(out.IsModified());
        const QStringList progress = std::exchange(rec.progress, {});
        if (ok) {
            // 50 ms after the image started, 12 bytes of it had left at 2400 baud.
            EXPECT_EQ(progress.mid(3, 2).join(' ').toStdString(), "2:0/256 2:12/256");
            EXPECT_EQ(progress.constLast(), "2:256/256");
            EXPECT_EQ(radio.received().mid(heard), HANDSHAKE + imageOf(out));
            EXPECT_EQ(*radio.arrivalOf(heard + 4) - *radio.arrivalOf(heard), 500);
            EXPECT_EQ(end - start, 2500);
        }
        EXPECT_TRUE(c.reply.startsWith(FF11) || radio.received().mid(heard) == HANDSHAKE);
        clock.advance(1000);
    }
}

// Each step that cannot open the port ends the transfer with its own message and the reason.
TEST_F(ScriptedLinkTest, StepThatCannotOpenThePortShowsItsOwnMessage) {
    const auto read = &RadioLink::OnRadioRead, write = &RadioLink::OnRadioWrite;
    const struct {
        std::size_t failingOpen; // 0: the handshake's, 1: the next step's
        OpenFailure::Why why;
        bool (RadioLink::*start)();
        QString message;
    } cases[] = {
        {0, OpenFailure::Why::HeldBy, read, MSG_OPEN_HANDSHAKE},
        {0, OpenFailure::Why::NoSuchDevice, write, MSG_OPEN_HANDSHAKE},
        {1, OpenFailure::Why::Permission, read, QString::fromUtf8("创建通信失败")},
        {1, OpenFailure::Why::NotSerialDevice, write, QString::fromUtf8("建立通信文件失败")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString() + std::to_string(c.start == write));
        ScriptedRadio r(clock);
        r.image = radio.image;
        OpenFailure failure;
        failure.why = c.why;
        failure.device = "/dev/ttyS0";
        r.openFailures.resize(c.failingOpen + 1);
        r.openFailures[c.failingOpen] = failure;
        const auto before = ChannelFileBytes(doc);
        RadioLink link(c.start == write ? out : doc, r.makeLine(), clock);
        LinkRecorder rec(link);
        (link.*c.start)();
        qint64 end = 0;
        ASSERT_TRUE(finish(rec, end));
        EXPECT_EQ(rec.events, QStringList({"message:" + c.message, "finished:failed"}));
        EXPECT_EQ(rec.last.kind, Kind::OpenFailed);
        EXPECT_EQ(rec.last.open.why, c.why);
        EXPECT_EQ(rec.last.open.device, "/dev/ttyS0");
        EXPECT_EQ(r.opened, QStringList(static_cast<int>(c.failingOpen) + 1, "COM1"));
        EXPECT_TRUE(rec.idleAtFinish);
        EXPECT_EQ(ChannelFileBytes(doc), before);
        EXPECT_FALSE(doc.IsModified());
    }
}

// The owner going away mid-transfer (OnClose, or the link destroyed): the port is let go, no
// timer carries the transfer on, and the link is idle.
TEST_F(ScriptedLinkTest, OwnerGoingAwayClosesThePortAndReturnsToIdle) {
    {
        RadioLink link(doc, radio.makeLine(), clock);
        LinkRecorder rec(link);
        link.OnRadioRead();
        clock.advance(100);
        link.OnClose();
        EXPECT_EQ(link.TransferMode(), RadioLink::MODE_IDLE);
        EXPECT_FALSE(radio.lineOpen());
        clock.advance(5000);
        EXPECT_EQ(radio.received(), HANDSHAKE);
        EXPECT_TRUE(rec.events.isEmpty());
        link.OnRadioRead();
        qint64 end = 0;
        ASSERT_TRUE(finish(rec, end));
        EXPECT_EQ(rec.take(),
                  QStringList({"imageDecoded", "message:" + MSG_READ_DONE, "finished:ok"}));
    }
    ScriptedRadio r(clock);
    std::optional<RadioLink> doomed(std::in_place, doc, r.makeLine(), clock);
    doomed->OnRadioRead();
    clock.advance(600); // the read request is on its way
    doomed.reset();
    clock.advance(5000);
    EXPECT_EQ(r.received(), HANDSHAKE + READ_REQUEST);
    EXPECT_EQ(r.opened.size(), 2);
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

bool portIsFree(const QString& path) {
    QSerialPort probe(path);
    return probe.open(QIODevice::ReadWrite);
}

// On a real pseudo-terminal at the radio's own timing: the line is set to 2400 8N1 while the
// link holds it, a radio pacing its bytes and pausing between pieces is read whole, and the
// device is let go afterwards.
TEST(PtyLink, PacedReadOnTheRealLine) {
    FakeRadio r;
    ASSERT_TRUE(r.ok());
    r.paced = true;
    r.pieceBytes = 64;
    r.image = imageOf(validDoc());
    CQarloDoc doc = editedDoc();
    doc.portName = r.path.toStdString();
    RadioLink link(doc);
    LinkRecorder rec(link);
    link.OnRadioRead();
    ASSERT_TRUE(spinUntil([&] { return r.received().size() >= 4; }));
    const termios tio = r.lineSettings().value();
    EXPECT_EQ(std::pair(cfgetospeed(&tio), cfgetispeed(&tio)),
              std::pair(speed_t(B2400), speed_t(B2400)));
    EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8));
    ASSERT_TRUE(rec.waitFinished());
    EXPECT_EQ(rec.take(), QStringList({"imageDecoded", "message:" + MSG_READ_DONE, "finished:ok"}));
    EXPECT_EQ(r.received(), HANDSHAKE + READ_REQUEST);
    const qint64 timer = *r.arrivalOf(4) - *r.arrivalOf(0);
    EXPECT_TRUE(timer >= 350 && timer < 1800) << timer; // 500 ms, loosely
    EXPECT_EQ(imageOf(doc), r.image);
    EXPECT_TRUE(portIsFree(r.path));
}

// A device that hangs up mid-transfer, as the system reports it: the read is incomplete, the
// image not taken, the document untouched.
TEST(PtyLink, HangUpEndsTheTransfer) {
    for (const bool reading : {true, false}) {
        SCOPED_TRACE(reading ? "read" : "write");
        FakeRadio r;
        ASSERT_TRUE(r.ok());
        r.handshakeReply = FF11;
        r.image = imageOf(validDoc());
        (reading ? r.hangUpAfterSent : r.hangUpAfterReceived) = 64;
        CQarloDoc doc = reading ? editedDoc() : validDoc();
        doc.portName = r.path.toStdString();
        const auto before = ChannelFileBytes(doc);
        RadioLink link(doc);
        link.setTimeScale(0.25);
        LinkRecorder rec(link);
        reading ? link.OnRadioRead() : link.OnRadioWrite();
        ASSERT_TRUE(rec.waitFinished());
        EXPECT_EQ(rec.last.kind, reading ? Kind::IncompleteImage : Kind::ImageNotTaken);
        EXPECT_EQ(ChannelFileBytes(doc), before);
        EXPECT_TRUE(rec.idleAtFinish);
    }
}

} // namespace
} // namespace qarlo::test
