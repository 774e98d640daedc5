#include "SimSetup.h"

#include "QarloVersion.h"
#include "memory/CQarloDoc.h"
#include "memory/ChannelFile.h"
#include "memory/CodeTables.h"
#include "platform/ReadFile.h"
#include "platform/SaveFile.h"
#include "radio/TransferOutcome.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace qarlo::sim {

namespace {

const char* USAGE =
    "usage: qarlo-radio-sim [OPTIONS]\n"
    "\n"
    "A virtual radio on a pseudo-terminal. Prints the device path of its end as the first line\n"
    "of standard output; give that path to Qarlo as the port (or set QARLO_COM1 to it).\n"
    "\n"
    "options:\n"
    "  --link PATH     also make PATH a symbolic link to the device (removed on exit)\n"
    "  --image FILE    start with this memory: a channel file (*.q02, 1041 bytes, encoded as\n"
    "                  the radio holds it) or a raw 256-byte radio image\n"
    "  --save FILE     keep every image written into the radio in FILE: a channel file when\n"
    "                  FILE ends in .q02, else the raw 256 bytes\n"
    "  --no-pace       send at once instead of at 2400 baud (about 4.2 ms a byte)\n"
    "  --fault KIND    misbehave: silent (never answers), bad-handshake (answers FF 10 ..),\n"
    "                  short-image (sends only 100 bytes of its image), no-image (nothing\n"
    "                  after the handshake), hangup (closes its end in the middle of an image,\n"
    "                  then offers a new device and prints its path), corrupt-write (takes\n"
    "                  a written image with the lowest byte of channel 1's receive frequency\n"
    "                  flipped in its last bit, so the write succeeds and a compare differs)\n"
    "  --quiet         no log of the exchange on standard error\n"
    "  --help          this text\n"
    "  --version       print the version\n"
    "\n"
    "Without --image it holds four programmed channels in a 400-440 MHz band, time-out 5 min.\n"
    "Stop it with Ctrl-C or SIGTERM.\n";

std::optional<Fault> parseFault(const std::string& s) {
    if (s == "silent") return Fault::Silent;
    if (s == "bad-handshake") return Fault::BadHandshake;
    if (s == "short-image") return Fault::ShortImage;
    if (s == "no-image") return Fault::NoImage;
    if (s == "hangup") return Fault::Hangup;
    if (s == "corrupt-write") return Fault::CorruptWrite;
    if (s == "none") return Fault::None;
    return std::nullopt;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The built-in radio: a handful of channels a person would recognise.
RadioImage builtInImage() {
    CQarloDoc doc;
    doc.OnNewDocument();
    doc.setBandLow(400 * 25000);
    doc.setBandHigh(440 * 25000);
    doc.setTotTenths(50);
    struct Channel {
        int index;
        std::int32_t rx, tx;
        std::uint8_t flags, rxCode, txCode, sq;
    };
    const Channel channels[] = {
        {0, 43012500, 43012500, 0, 0, 0, 3},
        {1, 43500000, 43500000, FLAG_TX_CODED | FLAG_TX_CTCSS, 0, encodeCtcssRow(12), 5},
        {2, 43850000, 43850000, FLAG_NARROW, 0, 0, 1},
        {5, 41000000, 41500000, FLAG_RX_CODED | FLAG_TX_CODED, encodeDcsRow(3), encodeDcsRow(3), 9},
    };
    for (const auto& c : channels) {
        doc.setRxFreq(c.index, c.rx);
        doc.setTxFreq(c.index, c.tx);
        doc.setFlags(c.index, c.flags);
        doc.setRxCode(c.index, c.rxCode);
        doc.setTxCode(c.index, c.txCode);
        doc.setSquelch(c.index, c.sq);
    }
    if (const auto failure = CheckDocument(doc)) { // a bug here, not the user's problem
        std::fprintf(stderr, "qarlo-radio-sim: built-in image fails check %d\n", failure->check);
        std::exit(3);
    }
    return BuildRadioImage(doc);
}

// A channel file is encoded as the radio would hold it.
RadioImage channelFileImage(const std::string& file, const std::vector<std::uint8_t>& bytes,
                            const Log& log) {
    CQarloDoc doc;
    doc.OnNewDocument();
    LoadChannelBytes(doc, bytes);
    if (const auto failure = CheckDocument(doc)) {
        // A radio can hold what Qarlo would refuse to write; keep it, but say so.
        const std::string message(CheckMessage(*failure));
        log("%s: channel %d fails a check (%s); using it anyway", file.c_str(),
            failure->channel + 1, message.c_str());
    }
    log("%s: channel file, encoded as the radio image", file.c_str());
    return BuildRadioImage(doc);
}

} // namespace

void Log::operator()(const char* format, ...) const {
    if (quiet) return;
    va_list args;
    va_start(args, format);
    std::fputs("qarlo-radio-sim: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}

ParsedOptions ParseOptions(int argc, char** argv) {
    Options opt;
    std::string faultName;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(USAGE, stdout);
            return {};
        }
        if (arg == "--version") {
            std::printf("qarlo-radio-sim %s\n", QARLO_VERSION);
            return {};
        }
        if (arg == "--no-pace" || arg == "--quiet") {
            if (arg == "--no-pace") opt.pace = false;
            if (arg == "--quiet") opt.quiet = true;
            continue;
        }
        std::string* value = arg == "--link"    ? &opt.link
                             : arg == "--image" ? &opt.imageFile
                             : arg == "--save"  ? &opt.saveFile
                             : arg == "--fault" ? &faultName
                                                : nullptr;
        if (value == nullptr) {
            std::fprintf(stderr, "qarlo-radio-sim: unknown argument '%s'\n\n%s", arg.c_str(),
                         USAGE);
            return {std::nullopt, 2};
        }
        if (i + 1 >= argc) {
            const char* what = arg == "--link" ? "a path" : arg == "--fault" ? "a kind" : "a file";
            std::fprintf(stderr, "qarlo-radio-sim: %s needs %s\n", arg.c_str(), what);
            return {std::nullopt, 2};
        }
        // An empty value would pass for an absent one, a second one would silently win.
        const bool repeated = !value->empty();
        if (repeated || argv[i + 1][0] == '\0') {
            std::fprintf(stderr, "qarlo-radio-sim: %s %s\n", arg.c_str(),
                         repeated ? "given twice" : "needs a value that is not empty");
            return {std::nullopt, 2};
        }
        *value = argv[++i];
        if (arg != "--fault") continue;
        const auto fault = parseFault(faultName);
        if (!fault) {
            std::fprintf(stderr, "qarlo-radio-sim: unknown fault '%s'\n", faultName.c_str());
            return {std::nullopt, 2};
        }
        opt.fault = *fault;
    }
    return {opt, 0};
}

std::optional<RadioImage> InitialMemory(const Options& options, const Log& log) {
    const std::string& file = options.imageFile;
    if (file.empty()) return builtInImage();
    // Only a regular file, and only as much as a channel file holds: /dev/zero or a FIFO named
    // here is refused at once.
    const FileBytes read = ReadFileBytes(file, CHANNEL_FILE_SIZE, ReadMode::Head);
    if (!read.result.ok()) {
        const char* what = read.result.error == FileError::NotRegularFile ? "is not a regular file"
                                                                          : "cannot be opened";
        std::fprintf(stderr, "qarlo-radio-sim: %s: %s (%s)\n", file.c_str(), what,
                     read.result.reason.c_str());
        return std::nullopt;
    }
    const std::vector<std::uint8_t>& bytes = read.bytes;
    if (bytes.size() == RADIO_IMAGE_SIZE) {
        RadioImage image{};
        std::copy(bytes.begin(), bytes.end(), image.begin());
        log("%s: raw 256-byte radio image", file.c_str());
        return image;
    }
    if (bytes.size() >= CHANNEL_FILE_SIZE) return channelFileImage(file, bytes, log);
    std::fprintf(stderr,
                 "qarlo-radio-sim: %s: %zu bytes is neither a channel file (1041) nor a radio "
                 "image (256)\n",
                 file.c_str(), bytes.size());
    return std::nullopt;
}

void KeepWrittenImage(const RadioImage& image, const Options& options, const Log& log) {
    const std::string& file = options.saveFile;
    if (file.empty()) return;
    FileResult result;
    if (endsWith(file, ".q02")) {
        CQarloDoc doc;
        doc.OnNewDocument();
        IoBufferBytes buffer{};
        std::copy(image.begin(), image.end(), buffer.begin() + IO_INCOMING);
        DecodeRadioImage(doc, buffer);
        result = StoreChannelFile(doc, file);
    } else {
        result = SaveFileBytes(file, std::span(image.data(), RADIO_IMAGE_SIZE));
    }
    if (result.ok())
        log("saved to %s", file.c_str());
    else
        log("%s: cannot be written (%s)", file.c_str(), result.reason.c_str());
}

} // namespace qarlo::sim
