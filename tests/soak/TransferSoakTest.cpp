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
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

namespace qarlo {
namespace {

// Fast enough for hundreds of transfers, slow enough that a loaded machine still sees the
// virtual radio answer in time: 100 ms handshake, 400 ms image timers, 20 ms read silence.
constexpr double TIME_SCALE = 0.2;
enum Fault { NONE, SILENT, BAD_HANDSHAKE, SHORT_IMAGE, NO_IMAGE, HANGUP, HELD, FAULTS };
const char* const FAULT_NAMES[FAULTS] = {"none",     "silent", "bad-handshake", "short-image",
                                         "no-image", "hangup", "held"};

// Runs the event loop without a timer of its own (so the idle check counts only the link's).
bool pumpUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(1);
    }
    return true;
}

// What the radio keeps of the images written into it: the last one.
QByteArray saved(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One qarlo-radio-sim behind a stable symbolic link (it survives a hang-up), keeping every image
// written into it in a file; for the "held" fault a second process holds its device.
struct VirtualRadio {
    VirtualRadio(int f, const QString& path) : fault(f), link(path), saveFile(path + ".saved") {}
    int fault;
    QString link, saveFile;
    QProcess sim, holder;

    bool start() {
        QStringList args{"--quiet", "--no-pace", "--save", saveFile, "--link", link};
        if (fault != HELD && fault != NONE) args << "--fault" << FAULT_NAMES[fault];
        sim.start(QStringLiteral(QARLO_SIM_PATH), args);
        if (!sim.waitForReadyRead(5000) || !linkReady()) return false;
        if (fault != HELD) return true;
        holder.start(QStringLiteral(QARLO_PORT_HOLDER_PATH), {link});
        return holder.waitForReadyRead(5000) && holder.readAll().startsWith("held");
    }
    ~VirtualRadio() {
        holder.closeWriteChannel();
        sim.terminate();
        for (QProcess* p : {&holder, &sim}) {
            if (!p->waitForFinished(3000)) p->kill();
            p->waitForFinished(1000);
        }
    }
    // After a hang-up the radio offers a new device under the same link; wait for it.
    bool linkReady() {
        return pumpUntil([this] { return QFileInfo(link).exists(); }, 5000);
    }
};

// Open descriptors: all, or only pseudo-terminals (a port left open).
int openDescriptors(bool terminalsOnly) {
    int n = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        n += !terminalsOnly ||
             std::filesystem::read_symlink(entry.path(), ec).string().rfind("/dev/pts/", 0) == 0;
    return n;
}

long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line) && line.rfind("VmRSS:", 0) != 0) {
    }
    return std::strtol(line.c_str() + 6, nullptr, 10);
}

// Counts timer events delivered anywhere in the process while it should sit idle.
struct TimerEventCounter : QObject {
    int count = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        count += event->type() == QEvent::Timer;
        return QObject::eventFilter(watched, event);
    }
};

TEST(TransferSoak, HundredsOfTransfersUnderRandomFaults) {
    const char* env = std::getenv("QARLO_SOAK_TRANSFERS"); // 300 unless set
    const int transfers = env ? std::max(0, std::atoi(env)) : 300;
    std::mt19937 rng(20240607);
    QTemporaryDir dir;
    std::unique_ptr<VirtualRadio> radios[FAULTS];
    for (int f = 0; f < FAULTS; ++f) {
        radios[f] = std::make_unique<VirtualRadio>(f, dir.path() + "/" + FAULT_NAMES[f]);
        ASSERT_TRUE(radios[f]->start()) << "no virtual radio " << FAULT_NAMES[f];
    }
    CQarloDoc doc;
    RadioLink link(doc);
    link.setTimeScale(TIME_SCALE);
    QStringList messages;
    TransferOutcome last;
    bool idleAtFinish = false;
    // What the window does with a decoded image: the list follows the new channels.
    QObject::connect(&link, &RadioLink::imageDecoded, [&doc] { doc.RebuildProgrammedList(); });
    QObject::connect(&link, &RadioLink::transferFinished, [&](const TransferOutcome& outcome) {
        last = outcome;
        idleAtFinish = !link.isBusy() && link.TransferMode() == RadioLink::MODE_IDLE;
        const std::string_view text = OutcomeMessage(outcome);
        messages << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    });
    TimerEventCounter timerEvents;
    QCoreApplication::instance()->installEventFilter(&timerEvents);
    // Once the link is idle nothing of it may still tick: no timer events at all for a while.
    auto idleTimerEvents = [&] {
        timerEvents.count = 0;
        pumpUntil([] { return false; }, 1500);
        return timerEvents.count;
    };

    int bad = 0;
    auto transfer = [&](int number, int fault, bool read) {
        VirtualRadio& radio = *radios[fault];
        // Nothing of the previous transfer may arrive late: no second message or finish.
        QCoreApplication::processEvents();
        const bool quiet = messages.size() <= 1 && radio.linkReady();
        // Passes every check (band 400..440 MHz, channels in it on 5 kHz steps, a third empty);
        // codes, flags, squelch and the spare rows are random bytes the checks do not look at.
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
        doc.portName = radio.link.toStdString();
        doc.SetModifiedFlag(false);
        CQarloDoc expected = doc;
        const RadioImage image = BuildRadioImage(doc);
        const QByteArray outgoing(reinterpret_cast<const char*>(image.data()), RADIO_IMAGE_SIZE);
        const QByteArray before = saved(radio.saveFile); // what a read brings back from the radio
        messages.clear();
        read ? link.OnRadioRead() : link.OnRadioWrite();
        if (!pumpUntil([&] { return !messages.empty(); }, 10000)) link.OnClose();
        // A radio that answers the handshake takes a written image even when it sends none.
        const bool success =
            fault == NONE || (!read && (fault == SHORT_IMAGE || fault == NO_IMAGE));
        const QString message = success ? (read ? "数据已从对讲机中读出" : "数据已写入对讲机")
                                : fault == HELD ? "建立通信失败"
                                                : "请检查COM口至对讲机的连接及其设置";
        if (read && success) { // the radio's bytes decoded into the document before, list rebuilt
            IoBufferBytes io{};
            std::copy(before.begin(), before.end(), io.begin() + IO_INCOMING);
            DecodeRadioImage(expected, io);
            expected.RebuildProgrammedList();
        }
        // One message, idle, the port closed, the document and the radio's memory (which keeps a
        // written image the moment its last byte arrives) as the outcome should leave them.
        const bool ok =
            quiet && messages == QStringList{message} && last.succeeded() == success &&
            idleAtFinish && openDescriptors(true) == 0 &&
            (fault != HELD ||
             OpenFailureReason(last.open).find("held by another program") != std::string::npos) &&
            doc.ChannelMemory == expected.ChannelMemory &&
            doc.ProgrammedChannelList == expected.ProgrammedChannelList &&
            doc.IsModified() == (read && success) &&
            pumpUntil(
                [&] { return saved(radio.saveFile) == (success && !read ? outgoing : before); },
                3000);
        EXPECT_TRUE(ok) << "transfer " << number << ": " << (read ? "read" : "write") << " against "
                        << FAULT_NAMES[fault] << ": " << messages.join(" | ").toStdString();
        bad += !ok;
    };

    // A first round of every kind, so that what Qt sets up once is in place before counting; its
    // first write gives the sound radio the memory later reads must bring back.
    int number = 0;
    for (int f = 0; f < FAULTS; ++f) {
        transfer(++number, f, false);
        transfer(++number, f, true);
    }
    ASSERT_EQ(bad, 0) << "the first round already fails";
    EXPECT_EQ(idleTimerEvents(), 0) << "timers tick while the link is idle";
    const int fdsBefore = openDescriptors(false);
    const auto childrenBefore = link.children().size();
    const long rssBefore = residentKb();

    // A sound radio twice as often as each fault, so successes keep changing what it holds.
    std::discrete_distribution<int> anyFault({2, 1, 1, 1, 1, 1, 1});
    for (int i = 0; i < transfers && bad < 5; ++i) {
        const int fault = anyFault(rng);
        transfer(++number, fault, (rng() & 1U) != 0);
    }
    EXPECT_EQ(std::tuple(idleTimerEvents(), openDescriptors(false), link.children().size()),
              std::tuple(0, fdsBefore, childrenBefore))
        << "timers ticking while idle, descriptors or objects (timers) left under the link";
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
