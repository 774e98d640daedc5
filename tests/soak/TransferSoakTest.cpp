// Hundreds of reads and writes in a row through the real RadioLink against qarlo-radio-sim, each
// against a virtual radio misbehaving in a way picked at random (fixed seed). Every transfer must
// end idle with its one message, leave the document and the radio's memory alone when it fails,
// and the whole run must not leak file descriptors, running timers or memory.
#include "memory/CQarloDoc.h"
#include "memory/CodeTables.h"
#include "radio/RadioImage.h"
#include "radio/RadioLink.h"
#include "radio/TransferOutcome.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>

namespace qarlo {
namespace {

// Fast enough for hundreds of transfers, slow enough that a loaded machine still sees the
// virtual radio answer in time: 100 ms handshake, 400 ms image timers, 20 ms read silence.
constexpr double TIME_SCALE = 0.2;
constexpr unsigned SEED = 20240607;
constexpr int DEFAULT_TRANSFERS = 300;
constexpr int TRANSFER_DEADLINE_MS = 10000;
constexpr int IDLE_CHECK_EVERY = 50;
constexpr long RSS_GROWTH_LIMIT_KB = 16 * 1024;

enum class Fault { None, Silent, BadHandshake, ShortImage, NoImage, Hangup, Held };
constexpr int FAULT_COUNT = 7;
constexpr std::array<const char*, FAULT_COUNT> FAULT_NAMES{
    "none", "silent", "bad-handshake", "short-image", "no-image", "hangup", "held"};

const QString MSG_OPEN_HANDSHAKE = QString::fromUtf8("建立通信失败");
const QString MSG_CHECK_LINK = QString::fromUtf8("请检查COM口至对讲机的连接及其设置");
const QString MSG_READ_DONE = QString::fromUtf8("数据已从对讲机中读出");
const QString MSG_WRITE_DONE = QString::fromUtf8("数据已写入对讲机");

struct Outcome {
    bool success;
    QString message;
};

// What a transfer against each kind of radio must end with. A radio that answers the handshake
// takes a written image even when it would not send its own (short-image, no-image).
Outcome expectedOutcome(Fault fault, bool read) {
    switch (fault) {
    case Fault::None:
        return {true, read ? MSG_READ_DONE : MSG_WRITE_DONE};
    case Fault::ShortImage:
    case Fault::NoImage:
        return read ? Outcome{false, MSG_CHECK_LINK} : Outcome{true, MSG_WRITE_DONE};
    case Fault::Held:
        return {false, MSG_OPEN_HANDSHAKE};
    case Fault::Silent:
    case Fault::BadHandshake:
    case Fault::Hangup:
        break;
    }
    return {false, MSG_CHECK_LINK};
}

// Runs the event loop without a timer of its own (so the idle check counts only the link's).
template <typename Pred> bool pumpUntil(Pred pred, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() >= ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(1);
    }
    return true;
}

void pump(int ms) {
    pumpUntil([] { return false; }, ms);
}

// A valid document: a 400..440 MHz band and random channels, codes, squelch and time-out.
CQarloDoc randomDocument(std::mt19937& rng) {
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    CQarloDoc doc;
    doc.OnNewDocument();
    doc.setBandLow(400 * 25000);
    doc.setBandHigh(440 * 25000);
    doc.setTotTenths(static_cast<std::uint8_t>(1 + pick(100)));
    constexpr std::int32_t LOW = 40000500, HIGH = 43999500, STEP = 500; // 5 kHz steps inside
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        if (pick(3) == 0) continue;
        const std::int32_t rx = LOW + STEP * pick((HIGH - LOW) / STEP + 1);
        const std::int32_t tx = std::clamp(rx + STEP * (pick(4001) - 2000), LOW, HIGH);
        doc.setRxFreq(ch, rx);
        doc.setTxFreq(ch, tx);
        std::uint8_t flags = pick(2) ? FLAG_NARROW : 0;
        for (const bool receive : {true, false}) {
            std::uint8_t code = 0;
            switch (pick(3)) {
            case 1:
                flags |=
                    receive ? (FLAG_RX_CODED | FLAG_RX_CTCSS) : (FLAG_TX_CODED | FLAG_TX_CTCSS);
                code = encodeCtcssRow(pick(static_cast<int>(CtcssTable.size())));
                break;
            case 2:
                flags |= receive ? FLAG_RX_CODED : FLAG_TX_CODED;
                code = encodeDcsRow(pick(static_cast<int>(DcsTable.size())));
                break;
            default:
                break;
            }
            if (receive) {
                doc.setRxCode(ch, code);
            } else {
                doc.setTxCode(ch, code);
            }
        }
        doc.setFlags(ch, flags);
        doc.setSquelch(ch, static_cast<std::uint8_t>(pick(10)));
    }
    doc.RebuildProgrammedList();
    return doc;
}

std::optional<RadioImage> readImageFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != RADIO_IMAGE_SIZE) return std::nullopt;
    RadioImage image{};
    std::copy(bytes.begin(), bytes.end(), image.begin());
    return image;
}

bool writeImageFile(const QString& path, const RadioImage& image) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    return file.write(reinterpret_cast<const char*>(image.data()), RADIO_IMAGE_SIZE) ==
           RADIO_IMAGE_SIZE;
}

// The document a read of `image` must leave: the same bytes decoded into the one before.
ChannelMemoryBytes afterRead(const CQarloDoc& before, const RadioImage& image) {
    CQarloDoc doc = before;
    IoBufferBytes io{};
    std::copy(image.begin(), image.end(), io.begin() + IO_INCOMING);
    DecodeRadioImage(doc, io);
    return doc.ChannelMemory;
}

// One qarlo-radio-sim behind a stable symbolic link (it survives a hang-up), keeping every image
// written into it in a raw file; for the "held" fault a second process holds its device.
class VirtualRadio {
public:
    VirtualRadio(Fault kind, const QString& dir, const RadioImage& initial)
        : fault(kind), memory(initial) {
        const QString name = QString::fromLatin1(FAULT_NAMES[static_cast<std::size_t>(kind)]);
        link = dir + "/radio-" + name;
        saveFile = dir + "/saved-" + name + ".bin";
        initialFile = dir + "/initial-" + name + ".bin";
    }
    ~VirtualRadio() {
        if (holder) {
            holder->closeWriteChannel();
            if (!holder->waitForFinished(3000)) holder->kill();
            holder->waitForFinished(1000);
        }
        sim.terminate();
        if (!sim.waitForFinished(3000)) {
            sim.kill();
            sim.waitForFinished(1000);
        }
    }
    VirtualRadio(const VirtualRadio&) = delete;
    VirtualRadio& operator=(const VirtualRadio&) = delete;

    std::string start() {
        if (!writeImageFile(initialFile, memory))
            return "cannot write " + initialFile.toStdString();
        QStringList args{"--quiet", "--no-pace", "--image", initialFile,
                         "--save",  saveFile,    "--link",  link};
        if (fault != Fault::Held && fault != Fault::None)
            args << "--fault" << QString::fromLatin1(FAULT_NAMES[static_cast<std::size_t>(fault)]);
        sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim.start(QStringLiteral(QARLO_SIM_PATH), args);
        if (!sim.waitForStarted(5000)) return "qarlo-radio-sim did not start";
        if (!sim.waitForReadyRead(5000)) return "qarlo-radio-sim printed no device";
        sim.readAllStandardOutput();
        if (!linkReady()) return "no device behind " + link.toStdString();
        if (fault == Fault::Held) {
            holder = std::make_unique<QProcess>();
            holder->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            holder->start(QStringLiteral(QARLO_PORT_HOLDER_PATH), {link});
            if (!holder->waitForReadyRead(5000) || !holder->readAll().startsWith("held"))
                return "qarlo-port-holder could not hold " + link.toStdString();
        }
        return {};
    }

    // After a hang-up the radio offers a new device under the same link; wait for it.
    bool linkReady() {
        return pumpUntil([this] { return QFileInfo(link).exists(); }, 5000);
    }
    std::optional<RadioImage> saved() const { return readImageFile(saveFile); }

    Fault fault;
    RadioImage memory; // what the radio holds now
    QString link;
    QString saveFile;
    QString initialFile;
    QProcess sim;
    std::unique_ptr<QProcess> holder;
};

int openDescriptors() {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

// Descriptors on a pseudo-terminal: the link must have closed its port when a transfer ends.
int openTerminals() {
    int n = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const auto target = std::filesystem::read_symlink(entry.path(), ec);
        if (!ec && target.string().rfind("/dev/pts/", 0) == 0) ++n;
    }
    return n;
}

long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// Counts timer events delivered anywhere in the process while it should sit idle.
class TimerEventCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer) ++count;
        return QObject::eventFilter(watched, event);
    }
};

struct Tally {
    int reads = 0, readsOk = 0, writes = 0, writesOk = 0;
};

TEST(TransferSoak, HundredsOfTransfersUnderRandomFaults) {
    const char* env = std::getenv("QARLO_SOAK_TRANSFERS");
    const int transfers = env ? std::max(0, std::atoi(env)) : DEFAULT_TRANSFERS;
    std::mt19937 rng(SEED);
    QElapsedTimer wall;
    wall.start();

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const RadioImage firstImage = BuildRadioImage(randomDocument(rng));
    std::array<std::unique_ptr<VirtualRadio>, FAULT_COUNT> radios;
    for (int f = 0; f < FAULT_COUNT; ++f) {
        radios[static_cast<std::size_t>(f)] =
            std::make_unique<VirtualRadio>(static_cast<Fault>(f), dir.path(), firstImage);
        const std::string problem = radios[static_cast<std::size_t>(f)]->start();
        ASSERT_TRUE(problem.empty()) << problem;
    }

    CQarloDoc doc;
    RadioLink link(doc);
    link.setTimeScale(TIME_SCALE);
    QStringList messages;
    int finished = 0;
    TransferOutcome last;
    bool idleAtFinish = false;
    // What the window does with a decoded image: the list follows the new channels.
    QObject::connect(&link, &RadioLink::imageDecoded, [&doc] { doc.RebuildProgrammedList(); });
    QObject::connect(&link, &RadioLink::transferFinished, [&](const TransferOutcome& outcome) {
        ++finished;
        last = outcome;
        idleAtFinish = !link.isBusy();
        const std::string_view text = OutcomeMessage(outcome);
        messages << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    });
    auto linkTimersIdle = [&link] {
        const auto timers = link.findChildren<QTimer*>();
        return std::none_of(timers.begin(), timers.end(), [](QTimer* t) { return t->isActive(); });
    };
    TimerEventCounter timerEvents;
    QCoreApplication::instance()->installEventFilter(&timerEvents);
    // Once the link is idle nothing of it may still tick: no timer events at all for a while.
    auto idleTimerEvents = [&] {
        timerEvents.count = 0;
        pump(1500);
        return timerEvents.count;
    };

    std::array<Tally, FAULT_COUNT> tally{};
    int badTransfers = 0;

    // One transfer; false (after reporting why) when anything about it was wrong.
    auto transfer = [&](int number, Fault fault, bool read) {
        VirtualRadio& radio = *radios[static_cast<std::size_t>(fault)];
        std::ostringstream context;
        context << "transfer " << number << ": " << (read ? "read" : "write") << " against "
                << FAULT_NAMES[static_cast<std::size_t>(fault)] << ": ";
        bool ok = true;
        auto check = [&](bool condition, const std::string& what) {
            if (condition) return;
            ok = false;
            ADD_FAILURE() << context.str() << what;
        };
        // Nothing of the previous transfer may arrive late: no second message or finish.
        QCoreApplication::processEvents();
        check(messages.size() <= 1 && finished <= 1, "a late message or second finish arrived");
        check(radio.linkReady(), "the virtual radio offers no device");

        const CQarloDoc fresh = randomDocument(rng);
        doc.ChannelMemory = fresh.ChannelMemory;
        doc.ProgrammedChannelList = fresh.ProgrammedChannelList;
        doc.portName = radio.link.toStdString();
        doc.selectedChannel = NO_CHANNEL;
        doc.SetModifiedFlag(false);
        const CQarloDoc before = doc;
        const RadioImage outgoing = BuildRadioImage(doc);
        check(!CheckDocument(doc).has_value(), "the random document fails a check");
        const std::optional<RadioImage> savedBefore = radio.saved();

        messages.clear();
        finished = 0;
        if (read) {
            link.OnRadioRead();
        } else {
            link.OnRadioWrite();
        }
        if (!pumpUntil([&] { return finished > 0; }, TRANSFER_DEADLINE_MS)) {
            check(false, "never finished");
            link.OnClose();
        }

        const Outcome want = expectedOutcome(fault, read);
        check(finished == 1, "finished " + std::to_string(finished) + " times");
        check(last.succeeded() == want.success, "reported the wrong outcome");
        check(idleAtFinish && link.TransferMode() == RadioLink::MODE_IDLE, "not idle at the end");
        check(messages == QStringList{want.message},
              "messages: " + messages.join(" | ").toStdString());
        check(openTerminals() == 0, "the port is still open");
        check(linkTimersIdle(), "a transfer timer still runs");
        if (fault == Fault::Held) {
            const std::string reason = OpenFailureReason(last.open);
            check(reason.find("held by another program") != std::string::npos,
                  "open failure: " + reason);
        }

        if (read && want.success) {
            check(doc.ChannelMemory == afterRead(before, radio.memory),
                  "the document is not the radio's image");
            check(doc.IsModified(), "a read document is not marked modified");
            CQarloDoc rebuilt = doc;
            rebuilt.RebuildProgrammedList();
            check(doc.ProgrammedChannelList == rebuilt.ProgrammedChannelList,
                  "the programmed list does not follow the read");
        } else {
            check(doc.ChannelMemory == before.ChannelMemory, "the document changed");
            check(doc.ProgrammedChannelList == before.ProgrammedChannelList, "the list changed");
            check(!doc.IsModified(), "the document was marked modified");
        }
        if (!read && want.success) {
            // The radio keeps the image the moment its last byte arrives.
            check(pumpUntil([&] { return radio.saved() == outgoing; }, 3000),
                  "the radio does not hold the written image");
            radio.memory = outgoing;
        } else {
            check(radio.saved() == savedBefore, "the radio's memory changed");
        }

        Tally& t = tally[static_cast<std::size_t>(fault)];
        (read ? t.reads : t.writes) += 1;
        if (finished == 1 && last.succeeded()) (read ? t.readsOk : t.writesOk) += 1;
        if (!ok) ++badTransfers;
        return ok;
    };

    // A first round of every kind, so that what Qt sets up once is in place before counting.
    int number = 0;
    for (int f = 0; f < FAULT_COUNT; ++f) {
        for (const bool read : {true, false})
            transfer(++number, static_cast<Fault>(f), read);
    }
    ASSERT_EQ(badTransfers, 0) << "the first round already fails";
    EXPECT_EQ(idleTimerEvents(), 0) << "timers tick while the link is idle";
    const int fdsBefore = openDescriptors();
    const auto childrenBefore = link.children().size();
    const long rssBefore = residentKb();

    // A sound radio twice as often as each fault, so successes keep changing what it holds.
    std::discrete_distribution<int> anyFault({2, 1, 1, 1, 1, 1, 1});
    for (int i = 0; i < transfers && badTransfers < 5; ++i) {
        const auto fault = static_cast<Fault>(anyFault(rng));
        const bool read = (rng() & 1U) != 0;
        transfer(++number, fault, read);
        if ((i + 1) % IDLE_CHECK_EVERY == 0) {
            EXPECT_EQ(idleTimerEvents(), 0)
                << "timers tick while the link is idle, after " << number;
        }
    }

    EXPECT_EQ(idleTimerEvents(), 0) << "timers tick while the link is idle at the end";
    const int fdsAfter = openDescriptors();
    const long rssAfter = residentKb();
    EXPECT_EQ(fdsAfter, fdsBefore) << "file descriptors leaked";
    EXPECT_EQ(link.children().size(), childrenBefore) << "objects (timers) left under the link";
    EXPECT_LT(rssAfter - rssBefore, RSS_GROWTH_LIMIT_KB) << "resident memory grew";
    QCoreApplication::instance()->removeEventFilter(&timerEvents);

    std::cout << "transfer soak: " << number << " transfers (" << transfers
              << " random after a first round of each kind), seed " << SEED << ", time scale "
              << TIME_SCALE << ", " << std::fixed << std::setprecision(1)
              << static_cast<double>(wall.elapsed()) / 1000.0 << " s\n"
              << std::left << std::setw(15) << "fault" << std::right << std::setw(7) << "reads"
              << std::setw(5) << "ok" << std::setw(8) << "writes" << std::setw(5) << "ok" << '\n';
    Tally total;
    for (int f = 0; f < FAULT_COUNT; ++f) {
        const Tally& t = tally[static_cast<std::size_t>(f)];
        std::cout << std::left << std::setw(15) << FAULT_NAMES[static_cast<std::size_t>(f)]
                  << std::right << std::setw(7) << t.reads << std::setw(5) << t.readsOk
                  << std::setw(8) << t.writes << std::setw(5) << t.writesOk << '\n';
        total.reads += t.reads;
        total.readsOk += t.readsOk;
        total.writes += t.writes;
        total.writesOk += t.writesOk;
    }
    std::cout << std::left << std::setw(15) << "total" << std::right << std::setw(7) << total.reads
              << std::setw(5) << total.readsOk << std::setw(8) << total.writes << std::setw(5)
              << total.writesOk << '\n'
              << "open descriptors " << fdsBefore << " -> " << fdsAfter << ", VmRSS " << rssBefore
              << " -> " << rssAfter << " kB\n";
}

} // namespace
} // namespace qarlo

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
