// Hundreds of reads and writes in a row through the real RadioLink against qarlo-radio-sim, each
// against a virtual radio misbehaving in a way picked at random (fixed seed). Every transfer must
// end idle with its one message, leave the document and the radio's memory alone when it fails,
// and the whole run must not leak file descriptors, running timers or memory.
#include "radio/RadioImage.h"
#include "radio/RadioLink.h"
#include "radio/TransferOutcome.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

namespace qarlo {
namespace {

enum Fault { NONE, SILENT, BAD_HANDSHAKE, SHORT_IMAGE, NO_IMAGE, HANGUP, HELD, FAULTS };
const char* const FAULT_NAMES[FAULTS] = {"none",     "silent", "bad-handshake", "short-image",
                                         "no-image", "hangup", "held"};

// Runs the event loop without a timer of its own (so the idle check counts only the link's).
bool pumpUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= ms) return false;
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    return true;
}

QByteArray saved(const QString& path) { // the last image written into a radio
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Descriptors open (only pseudo-terminals: a port left open), resident kB, timer events.
int openDescriptors(bool terminalsOnly) {
    int n = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        n += !terminalsOnly ||
             std::filesystem::read_symlink(entry, ec).string().find("/dev/pts/") == 0;
    return n;
}
long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line) && line.rfind("VmRSS:", 0) != 0) {
    }
    return std::strtol(line.c_str() + 6, nullptr, 10);
}
struct TimerEvents : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Timer;
        return false;
    }
};

TEST(TransferSoak, HundredsOfTransfersUnderRandomFaults) {
    const char* env = std::getenv("QARLO_SOAK_TRANSFERS"); // 300 unless set
    const int transfers = env ? std::max(0, std::atoi(env)) : 300;
    std::mt19937 rng(20240607);
    QTemporaryDir dir;
    // One radio per fault behind a stable link (it survives a hang-up), keeping what is written
    // into it; for "held" a second program holds its device.
    QProcess sims[FAULTS], holder; // killed when the test ends, however it ends
    auto link = [&](int f) { return dir.filePath(FAULT_NAMES[f]); };
    for (int f = 0; f < FAULTS; ++f) {
        QStringList args{"--quiet", "--no-pace", "--save", link(f) + ".saved", "--link", link(f)};
        if (f != HELD && f != NONE) args << "--fault" << FAULT_NAMES[f];
        sims[f].start(QStringLiteral(QARLO_SIM_PATH), args);
        ASSERT_TRUE(sims[f].waitForReadyRead(5000) &&
                    pumpUntil([&] { return QFile::exists(link(f)); }, 5000));
    }
    holder.start(QStringLiteral(QARLO_PORT_HOLDER_PATH), {link(HELD)});
    ASSERT_TRUE(holder.waitForReadyRead(5000) && holder.readAll().startsWith("held"));

    CQarloDoc doc;
    RadioLink radioLink(doc);
    radioLink.setTimeScale(0.2); // fast, yet a loaded machine still sees the radio in time
    QStringList messages;
    TransferOutcome last;
    bool idleAtFinish = false;
    QObject::connect(&radioLink, &RadioLink::imageDecoded, [&doc] { doc.RebuildProgrammedList(); });
    QObject::connect(&radioLink, &RadioLink::transferFinished, [&](const TransferOutcome& outcome) {
        last = outcome;
        idleAtFinish = radioLink.TransferMode() == RadioLink::MODE_IDLE;
        const std::string_view text = OutcomeMessage(outcome);
        messages << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    });
    TimerEvents timerEvents;
    QCoreApplication::instance()->installEventFilter(&timerEvents);
    auto idleTimerEvents = [&] { // once the link is idle nothing of it may tick
        timerEvents.count = 0;
        pumpUntil([] { return false; }, 1500);
        return timerEvents.count;
    };

    int bad = 0;
    auto transfer = [&](int number, int fault, bool read) {
        QCoreApplication::processEvents(); // nothing of the last transfer may arrive late
        const bool quiet =
            messages.size() <= 1 && pumpUntil([&] { return QFile::exists(link(fault)); }, 5000);
        // Passes every check (band 400..440 MHz, 5 kHz steps, a third empty); the rest random.
        for (auto& b : doc.ChannelMemory)
            b = static_cast<std::uint8_t>(rng());
        doc.setBandLow(400 * 25000);
        doc.setBandHigh(440 * 25000);
        doc.setTotTenths(static_cast<std::uint8_t>(1 + rng() % 100));
        for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
            const auto rx =
                static_cast<std::int32_t>(rng() % 3 ? 40000500 + 500 * (rng() % 8000) : 0);
            const auto tx = rx + 500 * static_cast<std::int32_t>(rng() % 4001) - 1000000;
            doc.setRxFreq(ch, rx);
            doc.setTxFreq(ch, rx ? std::clamp(tx, 40000500, 43999500) : 0);
        }
        doc.RebuildProgrammedList();
        doc.portName = link(fault).toStdString();
        doc.SetModifiedFlag(false);
        CQarloDoc expected = doc;
        const RadioImage image = BuildRadioImage(doc);
        const QByteArray outgoing(reinterpret_cast<const char*>(image.data()), RADIO_IMAGE_SIZE);
        const QByteArray before = saved(link(fault) + ".saved"); // what a read brings back
        messages.clear();
        read ? radioLink.OnRadioRead() : radioLink.OnRadioWrite();
        if (!pumpUntil([&] { return !messages.empty(); }, 10000)) radioLink.OnClose();
        // A radio that answers the handshake takes a written image even when it sends none.
        const bool success =
            fault == NONE || (!read && (fault == SHORT_IMAGE || fault == NO_IMAGE));
        const QString message = success ? (read ? "数据已从对讲机中读出" : "数据已写入对讲机")
                                : fault == HELD ? "建立通信失败"
                                                : "请检查COM口至对讲机的连接及其设置";
        if (read && success) {
            IoBufferBytes io{};
            std::copy(before.begin(), before.end(), io.begin() + IO_INCOMING);
            DecodeRadioImage(expected, io);
            expected.RebuildProgrammedList();
        }
        const bool ok =
            quiet && messages == QStringList{message} && last.succeeded() == success &&
            idleAtFinish && openDescriptors(true) == 0 &&
            (fault != HELD ||
             OpenFailureReason(last.open).find("held by qarlo-port-hold") != std::string::npos) &&
            doc.ChannelMemory == expected.ChannelMemory &&
            doc.ProgrammedChannelList == expected.ProgrammedChannelList &&
            doc.IsModified() == (read && success) &&
            pumpUntil(
                [&] {
                    return saved(link(fault) + ".saved") == (success && !read ? outgoing : before);
                },
                3000);
        EXPECT_TRUE(ok) << "transfer " << number << ": " << (read ? "read" : "write") << " against "
                        << FAULT_NAMES[fault] << ": " << messages.join(" | ").toStdString();
        bad += !ok;
    };

    // A first round of every kind, so what Qt sets up once is in place before counting; its first
    // write gives the sound radio the memory later reads must bring back.
    int number = 0;
    for (int f = 0; f < FAULTS; ++f) {
        transfer(++number, f, false);
        transfer(++number, f, true);
    }
    ASSERT_EQ(bad, 0) << "the first round already fails";
    EXPECT_EQ(idleTimerEvents(), 0) << "timers tick while the link is idle";
    const auto leftBefore = std::tuple(openDescriptors(false), radioLink.children().size());
    const long rssBefore = residentKb();
    // A sound radio twice as often as each fault, so successes keep changing what it holds.
    std::discrete_distribution<int> anyFault({2, 1, 1, 1, 1, 1, 1});
    for (int i = 0; i < transfers && bad < 5; ++i)
        transfer(++number, anyFault(rng), (rng() & 1U) != 0);
    EXPECT_EQ(idleTimerEvents(), 0) << "timers tick while the link is idle";
    EXPECT_EQ(std::tuple(openDescriptors(false), radioLink.children().size()), leftBefore)
        << "descriptors or objects (timers) left under the link";
    EXPECT_LT(residentKb() - rssBefore, 16 * 1024) << "resident memory grew";
    QCoreApplication::instance()->removeEventFilter(&timerEvents);
}

} // namespace
} // namespace qarlo

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
