// qarlo-cli read / write: the window's transfer code on an event loop without a window.
#include "Command.h"
#include "TransferReport.h"
#include "common.h"

#include "app/BackupKeeper.h"
#include "app/FileNames.h"
#include "memory/ChannelFile.h"
#include "memory/SaveFile.h"
#include "radio/RadioLink.h"
#include "radio/SerialPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <optional>
#include <string>

namespace qarlo::cli {

namespace {

struct TransferArgs {
    std::string file;
    std::string port = "COM1";
    bool trace = false;
};

std::optional<TransferArgs> parseTransferArgs(const char* command, const Args& args) {
    TransferArgs parsed;
    bool haveFile = false;
    bool optionsEnded = false; // after "--" a name starting with a dash is the file
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            if (haveFile) {
                std::fprintf(stderr, "qarlo-cli %s: unexpected argument '%s'\n", command,
                             arg.c_str());
                return std::nullopt;
            }
            parsed.file = arg;
            haveFile = true;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--port") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                std::fprintf(stderr, "qarlo-cli %s: --port needs COM1, COM2 or a device path\n",
                             command);
                return std::nullopt;
            }
            parsed.port = args[++i];
        } else if (arg.rfind("--port=", 0) == 0 && arg.size() > 7) {
            parsed.port = arg.substr(7);
        } else if (arg == "--trace") {
            parsed.trace = true;
        } else {
            std::fprintf(stderr, "qarlo-cli %s: unexpected argument '%s'\n", command, arg.c_str());
            return std::nullopt;
        }
    }
    if (!haveFile) {
        std::fprintf(stderr, "usage: qarlo-cli %s FILE [--port PORT] [--trace]\n", command);
        return std::nullopt;
    }
    return parsed;
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

// Runs one transfer on its own event loop and prints how it ended; its exit status.
int runTransfer(CQarloDoc& doc, const TransferArgs& options, bool reading) {
    static int argc = 1;
    static char name[] = "qarlo-cli";
    static char* argv[] = {name, nullptr};
    std::optional<QCoreApplication> ownApp;
    if (QCoreApplication::instance() == nullptr) ownApp.emplace(argc, argv);

    doc.portName = options.port;
    std::optional<ByteTrace> trace; // outlives the link that feeds it
    RadioLink link(doc);
    if (options.trace) {
        const QString device = ResolvePortName(QString::fromStdString(options.port));
        std::fprintf(stderr, "trace: port %s = %s\n", options.port.c_str(),
                     device.toLocal8Bit().constData());
        trace.emplace();
        link.setTrace([&trace](bool outgoing, const std::uint8_t* data, int size) {
            trace->add(outgoing, data, size);
        });
    }
    std::optional<TransferOutcome> outcome;
    QObject::connect(&link, &RadioLink::transferFinished, [&](const TransferOutcome& ended) {
        outcome = ended;
        QCoreApplication::exit(0);
    });
    reading ? link.OnRadioRead() : link.OnRadioWrite();
    if (!outcome) QCoreApplication::exec();
    if (trace) trace->flush();

    const TransferReport report = ReportOf(*outcome);
    std::fputs(report.out.c_str(), stdout);
    std::fputs(report.err.c_str(), stderr);
    return report.exitStatus;
}

int runRead(const Args& args) {
    const auto parsed = parseTransferArgs("read", args);
    if (!parsed) return EXIT_USAGE;
    // Found out before the radio is touched, not after its image has arrived.
    const FileResult target = CheckSaveTarget(parsed->file);
    if (!target.ok()) {
        std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(target).c_str());
        return EXIT_USAGE;
    }
    CQarloDoc doc;
    doc.OnNewDocument();
    const int transferred = runTransfer(doc, *parsed, true);
    if (transferred != EXIT_OK) return transferred;
    const FileResult stored = StoreChannelFile(doc, parsed->file);
    if (!stored.ok()) {
        std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(stored).c_str());
        // The image is not lost with the file: it goes where the window keeps its backups.
        BackupKeeper backups(BackupKeeper::DefaultFolder());
        const QString problem = backups.Keep(doc, BackupKeeper::Direction::Read);
        if (problem.isEmpty())
            std::fprintf(stderr, "qarlo-cli: the image read from the radio is kept in %s\n",
                         FileNameBytes(backups.lastKept()).constData());
        else
            std::fprintf(stderr, "qarlo-cli: %s\n", problem.toUtf8().constData());
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

int runWrite(const Args& args) {
    const auto parsed = parseTransferArgs("write", args);
    if (!parsed) return EXIT_USAGE;
    CQarloDoc doc;
    if (!LoadOrReport(doc, parsed->file)) return EXIT_USAGE;
    if (const auto failure = CheckDocument(doc)) {
        PrintCheckFailure(*failure);
        return EXIT_FAILED;
    }
    return runTransfer(doc, *parsed, false);
}

const bool registeredRead = RegisterCommand(
    {"read", "read the radio's memory into a channel file",
     "usage: qarlo-cli read FILE [--port PORT] [--trace]\n"
     "\n"
     "Reads the radio's 256-byte memory and saves it as the channel file FILE (*.q02).\n"
     "FILE is written only when the whole memory arrived; otherwise it is left as it was.\n"
     "Before anything is sent, FILE must be a regular file you may write or a new name in a\n"
     "folder you may write. Should the save still fail after the read, the image is kept as a\n"
     "channel file among the window's backups and its path printed.\n"
     "\n"
     "  --port PORT  COM1 (default), COM2 or a device such as /dev/ttyUSB0 (`qarlo-cli ports`\n"
     "               lists those present). COM1 and COM2 are the devices named by $QARLO_COM1\n"
     "               and $QARLO_COM2, else /dev/ttyS0 and /dev/ttyS1. A device another program\n"
     "               holds is not used; the line after the message names that program.\n"
     "  --trace      print every byte on the line, with the time, on standard error\n"
     "\n"
     "Exit status: 0 read and saved, 1 the transfer or the save failed, 2 bad usage or FILE\n"
     "cannot be saved.\n",
     runRead});

const bool registeredWrite = RegisterCommand(
    {"write", "check a channel file and write it into the radio",
     "usage: qarlo-cli write FILE [--port PORT] [--trace]\n"
     "\n"
     "Loads the channel file FILE, checks every channel and the settings as `check` does, and\n"
     "writes the memory into the radio. A failed check is printed as NAME: MESSAGE and nothing\n"
     "is sent.\n"
     "\n"
     "  --port PORT  COM1 (default), COM2 or a device such as /dev/ttyUSB0 (`qarlo-cli ports`\n"
     "               lists those present). COM1 and COM2 are the devices named by $QARLO_COM1\n"
     "               and $QARLO_COM2, else /dev/ttyS0 and /dev/ttyS1. A device another program\n"
     "               holds is not used; the line after the message names that program.\n"
     "  --trace      print every byte on the line, with the time, on standard error\n"
     "\n"
     "Exit status: 0 written, 1 a check or the transfer failed, 2 FILE cannot be read or is no\n"
     "channel file, or bad usage.\n",
     runWrite});

} // namespace

} // namespace qarlo::cli
