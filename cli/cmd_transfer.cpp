// qarlo-cli read / write / verify: the window's transfer code on an event loop without a window.
#include "Command.h"
#include "DiffOutput.h"
#include "TransferReport.h"
#include "common.h"

#include "memory/ChannelFile.h"
#include "platform/SaveFile.h"
#include "platform/Terminal.h"
#include "platform/qt/BackupStore.h"
#include "platform/qt/FileNames.h"
#include "radio/RadioLink.h"
#include "radio/SerialPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace qarlo::cli {

namespace {

struct TransferOptions {
    std::string file;
    std::string port;
    bool trace;
    bool progress; // standard error is a terminal and --quiet is not given
};

TransferOptions transferOptions(const Invocation& invocation) {
    const std::string port = invocation.value("port");
    const bool progress = StandardErrorIsTerminal() && !invocation.isSet("quiet");
    return {invocation.operands[0], port.empty() ? "COM1" : port, invocation.isSet("trace"),
            progress};
}

// Every byte on the line, one line per direction change or 16 bytes, stamped with the time of
// its first byte since the transfer began.
class ByteTrace {
public:
    ByteTrace() { clock.start(); }

    void add(bool outgoing, const std::uint8_t* data, int size) {
        for (int i = 0; i < size; ++i) {
            if (count > 0 && (lineOutgoing != outgoing || count == 16)) flush();
            if (count == 0) {
                lineOutgoing = outgoing;
                lineStart = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            }
            char byte[4];
            std::snprintf(byte, sizeof byte, count == 0 ? "%02X" : " %02X", data[i]);
            line += byte;
            ++count;
        }
        // Outgoing packets are whole; incoming bytes wait for the rest of their line.
        if (outgoing) flush();
    }

    void flush() {
        if (count == 0) return;
        std::fprintf(stderr, "trace: %8.3f %s %s\n", lineStart, lineOutgoing ? "->" : "<-",
                     line.c_str());
        line.clear();
        count = 0;
    }

private:
    QElapsedTimer clock;
    std::string line;
    int count = 0;
    bool lineOutgoing = false;
    double lineStart = 0;
};

constexpr char WIPE_LINE[] = "\r\033[K";

// One updating line on the terminal: "\r正在写入对讲机… 64/256", wiped when the transfer ends,
// also by a signal that would end the program without its own handler (fleet mode has one).
class ProgressLine {
public:
    ProgressLine() = default;
    void show(TransferStep step, int bytes, int total) {
        const std::string text = ProgressText(step, bytes, total);
        std::fprintf(stderr, "%s%s", WIPE_LINE, text.c_str());
        shown = true;
    }
    ~ProgressLine() {
        if (shown) std::fputs(WIPE_LINE, stderr);
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

private:
    WipeOnEnd wipeOnEnd{WIPE_LINE};
    bool shown = false;
};

// QARLO_TIME_SCALE=0.25 runs every wait of the link and of the fleet four times faster, for tests
// against the simulator; 1 otherwise.
double timeScale() {
    static const double scale = [] {
        const char* text = std::getenv("QARLO_TIME_SCALE");
        const double value = text != nullptr ? std::strtod(text, nullptr) : 1.0;
        return value > 0.0 && value <= 1.0 ? value : 1.0;
    }();
    return scale;
}

// Runs one transfer on the application's event loop; none when Ctrl-C ended it (fleet mode).
// `imageSent`, when given, says whether the image was handed to the port.
std::optional<TransferOutcome> runLink(CQarloDoc& doc, const TransferOptions& options,
                                       bool (RadioLink::*start)(), bool* imageSent = nullptr) {
    // A transfer speaks the user's locale in the system's and Qt's messages, as the window does.
    std::setlocale(LC_ALL, "");
    doc.portName = options.port;
    std::optional<ByteTrace> trace; // outlives the link that feeds it
    std::optional<ProgressLine> progress;
    RadioLink link(doc);
    link.setTimeScale(timeScale());
    if (options.trace) {
        const QString device = ResolvePortName(QString::fromStdString(options.port));
        std::fprintf(stderr, "trace: port %s = %s\n", options.port.c_str(),
                     device.toLocal8Bit().constData());
        trace.emplace();
        link.setTrace([&trace](bool outgoing, const std::uint8_t* data, int size) {
            trace->add(outgoing, data, size);
        });
    } else if (options.progress) {
        progress.emplace();
        QObject::connect(&link, &RadioLink::progress,
                         [&progress](TransferStep step, int bytes, int total) {
                             progress->show(step, bytes, total);
                         });
    }
    if (imageSent != nullptr) {
        *imageSent = false;
        QObject::connect(&link, &RadioLink::progress, [imageSent](TransferStep step, int, int) {
            *imageSent = *imageSent || step == TransferStep::Image;
        });
    }
    std::optional<TransferOutcome> outcome;
    QEventLoop loop;
    QObject::connect(&link, &RadioLink::transferFinished, [&](const TransferOutcome& ended) {
        outcome = ended;
        loop.quit();
    });
    QTimer watch; // Ctrl-C is only ever caught in fleet mode
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (EndRequested()) loop.quit();
    });
    watch.start(50);
    (link.*start)();
    if (!outcome && !EndRequested()) loop.exec();
    if (trace) trace->flush();
    return outcome;
}

// Prints how a transfer ended; its exit status.
int report(const TransferOutcome& outcome) {
    const TransferReport report = ReportOf(outcome);
    std::fputs(report.out.c_str(), stdout);
    std::fputs(report.err.c_str(), stderr);
    return report.exitStatus;
}

int runTransfer(CQarloDoc& doc, const TransferOptions& options, bool (RadioLink::*start)()) {
    return report(*runLink(doc, options, start));
}

// Waits `ms` on the event loop; false when Ctrl-C came first.
bool pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ScaledInterval(ms, timeScale()), &loop, &QEventLoop::quit);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (EndRequested()) loop.quit();
    });
    watch.start(50);
    loop.exec();
    return !EndRequested();
}

// Why the backup of the image could not be kept.
std::string backupProblem(const BackupResult& result) {
    const std::string path = Shown(FileNameBytes(result.path).toStdString());
    switch (result.failure) {
    case BackupResult::Failure::None:
        return {};
    case BackupResult::Failure::NoDataFolder:
        return "cannot keep the image among the backups: the system names no data folder";
    case BackupResult::Failure::FolderNotMade:
        return "cannot keep the image among the backups: cannot create the folder " + path;
    case BackupResult::Failure::NotWritten:
        break;
    }
    return "cannot keep the image among the backups: cannot write " + path + " (" +
           result.reason.toStdString() + ")";
}

// The image is not lost with the file: it goes where the window keeps its backups.
void keepAmongBackups(const CQarloDoc& doc) {
    BackupStore backups(BackupStore::DefaultFolder());
    const BackupResult result = backups.Keep(ChannelFileBytes(doc), BackupStore::Direction::Read);
    if (result.ok())
        std::fprintf(stderr, "qarlo-cli: the image read from the radio is kept in %s\n",
                     Shown(FileNameBytes(backups.lastKept()).toStdString()).c_str());
    else
        std::fprintf(stderr, "qarlo-cli: %s\n", backupProblem(result).c_str());
}

int runRead(const Invocation& invocation) {
    const TransferOptions options = transferOptions(invocation);
    // Found out before the radio is touched, not after its image has arrived.
    const FileResult target = CheckSaveTarget(options.file);
    if (!target.ok()) {
        std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(target).c_str());
        return EXIT_USAGE;
    }
    CQarloDoc doc;
    doc.OnNewDocument();
    const int transferred = runTransfer(doc, options, &RadioLink::OnRadioRead);
    if (transferred != EXIT_OK) return transferred;
    const FileLock lock(options.file);
    const FileResult stored = lock.busy() ? FileResult{FileError::Busy, options.file, {}}
                                          : StoreChannelFile(doc, options.file);
    if (!stored.ok()) {
        std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(stored).c_str());
        keepAmongBackups(doc);
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

using Kind = TransferOutcome::Kind;

// After a write the radio stores the image and listens again. The sim is back at once; a radio
// writes its 256 bytes of EEPROM in well under half a second, so look after 500 ms and ask a
// few more times while the handshake still goes unanswered.
constexpr int ANSWER_AGAIN_PAUSE_MS = 500;
constexpr int ANSWER_AGAIN_TRIES = 4;
constexpr int FLEET_LOOK_MS = 500; // between handshakes while waiting for a radio to come or go

std::optional<TransferOutcome> compareAfterWrite(CQarloDoc& doc, const TransferOptions& options) {
    std::optional<TransferOutcome> outcome;
    for (int attempt = 0; attempt < ANSWER_AGAIN_TRIES; ++attempt) {
        if (!pause(ANSWER_AGAIN_PAUSE_MS)) return std::nullopt;
        outcome = runLink(doc, options, &RadioLink::OnRadioCompare);
        if (!outcome || outcome->kind != Kind::NoHandshake) return outcome;
    }
    return outcome;
}

// A radio is on the line: it answered the handshake, whatever happened after.
bool radioAnswered(const TransferOutcome& outcome) {
    const bool openFailedFirst =
        outcome.kind == Kind::OpenFailed && outcome.step == TransferStep::Handshake;
    return !openFailedFirst && outcome.kind != Kind::NoHandshake;
}

// A file, a folder or /dev/null will not turn into a radio, nor will a name in a missing folder;
// a device not there yet may be a cable still to be plugged in.
bool cannotBecomeDevice(const OpenFailure& failure) {
    if (failure.why == OpenFailure::Why::NotSerialDevice) return true;
    if (failure.why != OpenFailure::Why::NoSuchDevice) return false;
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(failure.device).parent_path();
    return !folder.empty() && !std::filesystem::is_directory(folder, error);
}

struct FleetCount {
    int written = 0, verified = 0, failed = 0;
};

// The numbered line for one radio, and its count.
std::string fleetResult(FleetCount& count, const TransferOutcome& written,
                        const std::optional<TransferOutcome>& compared) {
    if (!written.succeeded()) {
        ++count.failed;
        return "failed: " + std::string(OutcomeMessage(written));
    }
    ++count.written;
    if (!compared) {
        ++count.failed;
        return "written, not verified: interrupted";
    }
    if (compared->kind != Kind::CompareDone) {
        ++count.failed;
        return "written, not verified: " + std::string(OutcomeMessage(*compared));
    }
    if (compared->differences.empty()) {
        ++count.verified;
        return "verified";
    }
    ++count.failed;
    std::string text = "differs:";
    for (const std::string& row : DifferenceLinesByRow(compared->differences))
        text += " " + row + ";";
    text.pop_back();
    return text;
}

// Radio after radio on one cable. Write attempts double as the wait for the next radio: one that
// does not answer the handshake is sent nothing. After each, the radio must go away (its
// handshake unanswered) before the next write, so none is written twice by accident.
int runFleet(CQarloDoc& doc, const TransferOptions& options) {
    // A terminal closed or a service stopped ends it as Ctrl-C does: with the summary.
    CatchEndRequests();
    FleetCount count;
    for (int radio = 1; !EndRequested(); ++radio) {
        std::fprintf(stderr, "waiting for radio %d (Ctrl-C ends)\n", radio);
        std::optional<TransferOutcome> written;
        bool imageSent = false;
        std::string said; // a port that stays shut is explained once, not at every look
        while (!EndRequested()) {
            written = runLink(doc, options, &RadioLink::OnRadioWrite, &imageSent);
            if (written && radioAnswered(*written)) break;
            if (written && written->kind == Kind::OpenFailed) {
                const std::string reason = OpenFailureReason(written->open);
                if (cannotBecomeDevice(written->open)) {
                    std::fprintf(stderr, "%s\n", reason.c_str());
                    break;
                }
                if (reason != said) std::fprintf(stderr, "%s; still waiting\n", reason.c_str());
                said = reason;
            }
            pause(FLEET_LOOK_MS);
        }
        // Ctrl-C once the image is on its way: the radio may hold it, so it is written, unverified.
        if (!written && imageSent) written = TransferOutcome::Of(Kind::WriteDone);
        if (!written || !radioAnswered(*written)) break;
        const auto compared = written->succeeded() ? compareAfterWrite(doc, options)
                                                   : std::optional<TransferOutcome>();
        std::printf("%d: %s\n", radio, fleetResult(count, *written, compared).c_str());
        std::fflush(stdout);
        std::fprintf(stderr, "radio %d done: take it off the cable\n", radio);
        while (pause(FLEET_LOOK_MS)) {
            const auto probe = runLink(doc, options, &RadioLink::OnRadioCompare);
            if (probe && !radioAnswered(*probe)) break;
        }
    }
    std::printf("written %d, verified %d, failed %d\n", count.written, count.verified,
                count.failed);
    // A run that programmed no radio did not do what was asked.
    return count.failed == 0 && count.written > 0 ? EXIT_OK : EXIT_FAILED;
}

int runWrite(const Invocation& invocation) {
    const TransferOptions options = transferOptions(invocation);
    const bool verify = invocation.isSet("verify");
    if (invocation.isSet("each") && !verify) {
        std::fprintf(stderr, "qarlo-cli write: --each needs --verify\n");
        return EXIT_USAGE;
    }
    CQarloDoc doc;
    if (!LoadOrReport(doc, options.file)) return EXIT_USAGE;
    if (const auto failure = CheckDocument(doc)) {
        PrintCheckFailure(*failure);
        return EXIT_FAILED;
    }
    if (invocation.isSet("each")) return runFleet(doc, options);
    const int written = runTransfer(doc, options, &RadioLink::OnRadioWrite);
    if (written != EXIT_OK || !verify) return written;
    return report(*compareAfterWrite(doc, options));
}

int runVerify(const Invocation& invocation) {
    const TransferOptions options = transferOptions(invocation);
    CQarloDoc doc;
    if (!LoadOrReport(doc, options.file)) return EXIT_USAGE;
    const TransferOutcome outcome = *runLink(doc, options, &RadioLink::OnRadioCompare);
    if (outcome.kind != Kind::CompareDone || !invocation.isSet("json")) return report(outcome);
    PrintDifferencesJson(outcome.differences);
    return outcome.differences.empty() ? EXIT_OK : EXIT_FAILED;
}

constexpr Option ReadOptionList[] = {{"port", "PORT"}, {"trace", nullptr}, {"quiet", nullptr}};
constexpr Option WriteOptionList[] = {{"port", "PORT"},
                                      {"trace", nullptr},
                                      {"quiet", nullptr},
                                      {"verify", nullptr},
                                      {"each", nullptr}};
constexpr Option VerifyOptionList[] = {
    {"port", "PORT"}, {"trace", nullptr}, {"quiet", nullptr}, {"json", nullptr}};

#define TRANSFER_OPTIONS_HELP                                                                      \
    "  --port PORT  COM1 (default), COM2 or a device such as /dev/ttyUSB0 (`qarlo-cli ports`\n"    \
    "               lists those present). COM1 and COM2 are the devices named by $QARLO_COM1\n"    \
    "               and $QARLO_COM2, else /dev/ttyS0 and /dev/ttyS1. A device another program\n"   \
    "               holds is not used; the line after the message names that program.\n"           \
    "  --trace      print every byte on the line, with the time, on standard error\n"              \
    "  --quiet      no progress line (shown on standard error only when it is a terminal)\n"

} // namespace

const Command ReadCommand{
    "read",
    "read the radio's memory into a channel file",
    "usage: qarlo-cli read FILE [--port PORT] [--trace] [--quiet]\n"
    "\n"
    "Reads the radio's 256-byte memory and saves it as the channel file FILE (*.q02).\n"
    "FILE is written only when the whole memory arrived; otherwise it is left as it was.\n"
    "Before anything is sent, FILE must be a regular file you may write or a new name in a\n"
    "folder you may write. Should the save still fail after the read, the image is kept as a\n"
    "channel file among the window's backups and its path printed.\n"
    "\n" TRANSFER_OPTIONS_HELP "\n"
    "Exit status: 0 read and saved, 1 the transfer or the save failed, 2 bad usage or FILE\n"
    "cannot be saved.\n",
    "FILE",
    ReadOptionList,
    runRead};

const Command WriteCommand{
    "write",
    "check a channel file and write it into the radio",
    "usage: qarlo-cli write FILE [--port PORT] [--trace] [--quiet] [--verify [--each]]\n"
    "\n"
    "Loads the channel file FILE, checks every channel and the settings as `check` does, and\n"
    "writes the memory into the radio. A failed check is printed as NAME: MESSAGE and nothing\n"
    "is sent.\n"
    "\n" TRANSFER_OPTIONS_HELP
    "  --verify     then read the radio back (after 500 ms, asking again while it does not\n"
    "               answer) and compare it as `verify` does\n"
    "  --each       with --verify: a fleet of radios on one cable. After each radio one\n"
    "               numbered line: verified, differs: WHAT, or failed: MESSAGE; then it waits\n"
    "               until the radio goes away (its handshake unanswered) and the next one\n"
    "               answers. Ctrl-C (or SIGTERM, SIGHUP) ends it with: written N, verified N,\n"
    "               failed N; a radio interrupted after its image went out counts as\n"
    "               written, not verified.\n"
    "\n"
    "Exit status: 0 written (and verified), 1 a check, the transfer or the verify failed or the\n"
    "radio holds something else (with --each: any radio did, or none was written), 2 FILE\n"
    "cannot be read or is no channel file, or bad usage.\n",
    "FILE",
    WriteOptionList,
    runWrite};

const Command VerifyCommand{
    "verify",
    "compare the radio's memory with a channel file",
    "usage: qarlo-cli verify FILE [--port PORT] [--json] [--trace] [--quiet]\n"
    "\n"
    "Reads the radio's memory as `read` does and compares it with what writing the channel\n"
    "file FILE would put there; nothing is saved. FILE need not pass the checks. The\n"
    "differences are printed one field a line, e.g.\n"
    "  03频道: 接收频率 438.500 → 438.525 MHz\n"
    "\n" TRANSFER_OPTIONS_HELP
    "  --json       print {\"same\": BOOL, \"differences\": [...]} instead\n"
    "\n"
    "Exit status: 0 the radio holds what FILE would write, 1 it differs or the transfer failed,\n"
    "2 FILE cannot be read or is no channel file, or bad usage.\n",
    "FILE",
    VerifyOptionList,
    runVerify};

#undef TRANSFER_OPTIONS_HELP

} // namespace qarlo::cli
