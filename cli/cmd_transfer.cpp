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

#include <clocale>
#include <cstdio>
#include <optional>
#include <string>

namespace qarlo::cli {

namespace {

struct TransferOptions {
    std::string file;
    std::string port;
    bool trace;
};

TransferOptions transferOptions(const Invocation& invocation) {
    const std::string port = invocation.value("port");
    return {invocation.operands[0], port.empty() ? "COM1" : port, invocation.isSet("trace")};
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

// Runs one transfer on the application's event loop and prints how it ended; its exit status.
int runTransfer(QCoreApplication& app, CQarloDoc& doc, const TransferOptions& options,
                bool reading) {
    // A transfer speaks the user's locale in the system's and Qt's messages, as the window does.
    std::setlocale(LC_ALL, "");
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
    if (!outcome) app.exec();
    if (trace) trace->flush();

    const TransferReport report = ReportOf(*outcome);
    std::fputs(report.out.c_str(), stdout);
    std::fputs(report.err.c_str(), stderr);
    return report.exitStatus;
}

// The image is not lost with the file: it goes where the window keeps its backups.
void keepAmongBackups(const CQarloDoc& doc) {
    BackupKeeper backups(BackupKeeper::DefaultFolder());
    const QString problem = backups.Keep(doc, BackupKeeper::Direction::Read);
    if (problem.isEmpty())
        std::fprintf(stderr, "qarlo-cli: the image read from the radio is kept in %s\n",
                     FileNameBytes(backups.lastKept()).constData());
    else
        std::fprintf(stderr, "qarlo-cli: %s\n", problem.toUtf8().constData());
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
    const int transferred = runTransfer(invocation.app, doc, options, true);
    if (transferred != EXIT_OK) return transferred;
    const FileResult stored = StoreChannelFile(doc, options.file);
    if (!stored.ok()) {
        std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(stored).c_str());
        keepAmongBackups(doc);
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

int runWrite(const Invocation& invocation) {
    const TransferOptions options = transferOptions(invocation);
    CQarloDoc doc;
    if (!LoadOrReport(doc, options.file)) return EXIT_USAGE;
    if (const auto failure = CheckDocument(doc)) {
        PrintCheckFailure(*failure);
        return EXIT_FAILED;
    }
    return runTransfer(invocation.app, doc, options, false);
}

constexpr Option TransferOptionList[] = {{"port", "PORT"}, {"trace", nullptr}};

#define TRANSFER_OPTIONS_HELP                                                                      \
    "  --port PORT  COM1 (default), COM2 or a device such as /dev/ttyUSB0 (`qarlo-cli ports`\n"    \
    "               lists those present). COM1 and COM2 are the devices named by $QARLO_COM1\n"    \
    "               and $QARLO_COM2, else /dev/ttyS0 and /dev/ttyS1. A device another program\n"   \
    "               holds is not used; the line after the message names that program.\n"           \
    "  --trace      print every byte on the line, with the time, on standard error\n"

} // namespace

const Command ReadCommand{
    "read",
    "read the radio's memory into a channel file",
    "usage: qarlo-cli read FILE [--port PORT] [--trace]\n"
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
    TransferOptionList,
    runRead};

const Command WriteCommand{
    "write",
    "check a channel file and write it into the radio",
    "usage: qarlo-cli write FILE [--port PORT] [--trace]\n"
    "\n"
    "Loads the channel file FILE, checks every channel and the settings as `check` does, and\n"
    "writes the memory into the radio. A failed check is printed as NAME: MESSAGE and nothing\n"
    "is sent.\n"
    "\n" TRANSFER_OPTIONS_HELP "\n"
    "Exit status: 0 written, 1 a check or the transfer failed, 2 FILE cannot be read or is no\n"
    "channel file, or bad usage.\n",
    "FILE",
    TransferOptionList,
    runWrite};

#undef TRANSFER_OPTIONS_HELP

} // namespace qarlo::cli
