// qarlo-radio-sim: a virtual radio on a pseudo-terminal, for tests and for trying Qarlo without
// hardware. It speaks the radio's side of the line: a handshake FF 11 22 33 answered with FF 11
// and two more bytes, then either FF 00 FF 00 answered with the 256-byte image, or 256 bytes
// taken as the new memory. Plain POSIX; the document library only for the image layout.
#include "QarloVersion.h"
#include "memory/CQarloDoc.h"
#include "memory/ChannelFile.h"
#include "memory/CodeTables.h"
#include "memory/ReadFile.h"
#include "memory/SaveFile.h"
#include "radio/PortHolders.h"
#include "radio/Protocol.h"
#include "radio/RadioImage.h"
#include "radio/TransferOutcome.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace qarlo;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// FF 11, then the radio's model and version.
constexpr std::array<std::uint8_t, 4> HANDSHAKE_REPLY{HandshakeReplyStart[0],
                                                      HandshakeReplyStart[1], 0x51, 0x02};
constexpr std::array<std::uint8_t, 4> WRONG_REPLY{0xFF, 0x10, 0x51, 0x02};
constexpr auto COMMAND_QUIET = std::chrono::milliseconds(60);  // a packet is complete
constexpr auto COMMAND_WAIT = std::chrono::milliseconds(3000); // after a handshake
constexpr auto IDLE_LOOK = std::chrono::milliseconds(500);     // for a client gone exclusive
constexpr int SHORT_IMAGE = 100;
constexpr int HANGUP_AFTER = 128;

enum class Fault { None, Silent, BadHandshake, ShortImage, NoImage, Hangup };

struct Options {
    std::string link;
    std::string imageFile;
    std::string saveFile;
    bool pace = true;
    bool quiet = false;
    Fault fault = Fault::None;
};

volatile sig_atomic_t stopRequested = 0;
void onStopSignal(int) {
    stopRequested = 1;
}

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
    "                  then offers a new device and prints its path)\n"
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
    if (s == "none") return Fault::None;
    return std::nullopt;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class Sim {
public:
    explicit Sim(Options o) : opt(std::move(o)) {}

    int run();

private:
    bool loadMemory();
    bool openDevice();
    void closeDevice();
    void log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void send(const std::uint8_t* data, int size);
    void handle(const std::uint8_t* data, int size);
    void onQuiet();
    void answerHandshake();
    void sendImage();
    void takeImage(const Bytes& image);
    void hangUp();
    void releaseAbandonedLine();

    Options opt;
    RadioImage memory{};
    int master = -1;
    int slave = -1; // held so the device survives the program closing and reopening it
    std::string device;
    enum class State { Idle, Command } state = State::Idle;
    Bytes input;
    Clock::time_point lastByte{};
    Clock::time_point commandSince{};
};

void Sim::log(const char* format, ...) {
    if (opt.quiet) return;
    va_list args;
    va_start(args, format);
    std::fputs("qarlo-radio-sim: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
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
    IoBufferBytes buffer{};
    const EncodeResult result = EncodeRadioImage(doc, buffer);
    if (!result.ok()) { // a broken built-in image is a bug here, not the user's problem
        std::fprintf(stderr, "qarlo-radio-sim: built-in image fails check %d\n",
                     result.failure->check);
        std::exit(3);
    }
    RadioImage image{};
    std::copy_n(buffer.begin(), RADIO_IMAGE_SIZE, image.begin());
    return image;
}

bool Sim::loadMemory() {
    if (opt.imageFile.empty()) {
        memory = builtInImage();
        return true;
    }
    // Only a regular file, and only as much as a channel file holds: /dev/zero or a FIFO named
    // here is refused at once.
    const FileBytes read = ReadFileBytes(opt.imageFile, CHANNEL_FILE_SIZE, ReadMode::Head);
    if (!read.result.ok()) {
        const char* what = read.result.error == FileError::NotRegularFile ? "is not a regular file"
                                                                          : "cannot be opened";
        std::fprintf(stderr, "qarlo-radio-sim: %s: %s (%s)\n", opt.imageFile.c_str(), what,
                     read.result.reason.c_str());
        return false;
    }
    const Bytes& bytes = read.bytes;
    if (bytes.size() == RADIO_IMAGE_SIZE) {
        std::copy(bytes.begin(), bytes.end(), memory.begin());
        log("%s: raw 256-byte radio image", opt.imageFile.c_str());
        return true;
    }
    if (bytes.size() >= CHANNEL_FILE_SIZE) {
        CQarloDoc doc;
        doc.OnNewDocument();
        LoadChannelBytes(doc, bytes);
        IoBufferBytes buffer{};
        const EncodeResult result = EncodeRadioImage(doc, buffer);
        if (!result.ok()) {
            // A radio can hold what Qarlo would refuse to write; keep it, but say so.
            const std::string message(CheckMessage(*result.failure));
            log("%s: channel %d fails a check (%s); using it anyway", opt.imageFile.c_str(),
                result.failure->channel + 1, message.c_str());
            const RadioImage built = BuildRadioImage(doc);
            std::copy(built.begin(), built.end(), buffer.begin());
        }
        std::copy_n(buffer.begin(), RADIO_IMAGE_SIZE, memory.begin());
        log("%s: channel file, encoded as the radio image", opt.imageFile.c_str());
        return true;
    }
    std::fprintf(stderr,
                 "qarlo-radio-sim: %s: %zu bytes is neither a channel file (1041) nor a radio "
                 "image (256)\n",
                 opt.imageFile.c_str(), bytes.size());
    return false;
}

bool Sim::openDevice() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::fprintf(stderr, "qarlo-radio-sim: no pseudo-terminal: %s\n", std::strerror(errno));
        return false;
    }
    const char* name = ::ptsname(master);
    if (name == nullptr) return false;
    device = name;
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        std::fprintf(stderr, "qarlo-radio-sim: %s: %s\n", name, std::strerror(errno));
        return false;
    }
    // Raw from the start: no echo or line editing before the program sets the line up.
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B2400);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    if (!opt.link.empty()) {
        struct stat st {};
        if (::lstat(opt.link.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(opt.link.c_str());
        if (::symlink(device.c_str(), opt.link.c_str()) != 0) {
            std::fprintf(stderr, "qarlo-radio-sim: --link %s: %s\n", opt.link.c_str(),
                         std::strerror(errno));
            return false;
        }
    }
    std::printf("%s\n", device.c_str());
    std::fflush(stdout);
    state = State::Idle;
    input.clear();
    return true;
}

void Sim::closeDevice() {
    if (slave >= 0) ::close(slave);
    if (master >= 0) ::close(master);
    slave = master = -1;
}

void Sim::send(const std::uint8_t* data, int size) {
    auto due = Clock::now();
    for (int i = 0; i < size;) {
        const int chunk = opt.pace ? 1 : size - i;
        const ssize_t n = ::write(master, data + i, static_cast<size_t>(chunk));
        if (n < 0) {
            if (errno == EINTR) continue;
            log("write: %s", std::strerror(errno));
            return;
        }
        i += static_cast<int>(n);
        if (opt.pace) {
            due += BYTE_TIME * n;
            std::this_thread::sleep_until(due);
        }
    }
}

void Sim::answerHandshake() {
    switch (opt.fault) {
    case Fault::Silent:
        log("handshake: staying silent");
        return;
    case Fault::BadHandshake:
        log("handshake: answering FF 10");
        send(WRONG_REPLY.data(), static_cast<int>(WRONG_REPLY.size()));
        return;
    default:
        log("handshake: answering FF 11");
        send(HANDSHAKE_REPLY.data(), static_cast<int>(HANDSHAKE_REPLY.size()));
        state = State::Command;
        commandSince = Clock::now();
        return;
    }
}

void Sim::hangUp() {
    // Let the last bytes leave before the line drops, or the hang-up discards them.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    log("hanging up %s", device.c_str());
    closeDevice();
    if (!opt.link.empty()) ::unlink(opt.link.c_str());
    if (!openDevice()) stopRequested = 1;
}

void Sim::sendImage() {
    switch (opt.fault) {
    case Fault::NoImage:
        log("read request: sending nothing");
        return;
    case Fault::ShortImage:
        log("read request: sending %d bytes of the image", SHORT_IMAGE);
        send(memory.data(), SHORT_IMAGE);
        return;
    case Fault::Hangup:
        log("read request: sending %d bytes, then hanging up", HANGUP_AFTER);
        send(memory.data(), HANGUP_AFTER);
        hangUp();
        return;
    default:
        log("read request: sending the image");
        send(memory.data(), RADIO_IMAGE_SIZE);
        return;
    }
}

void Sim::takeImage(const Bytes& image) {
    std::copy_n(image.begin(), RADIO_IMAGE_SIZE, memory.begin());
    log("image received: now the radio's memory");
    if (opt.saveFile.empty()) return;
    FileResult result;
    if (endsWith(opt.saveFile, ".q02")) {
        CQarloDoc doc;
        doc.OnNewDocument();
        IoBufferBytes buffer{};
        std::copy(image.begin(), image.begin() + RADIO_IMAGE_SIZE, buffer.begin() + IO_INCOMING);
        DecodeRadioImage(doc, buffer);
        result = StoreChannelFile(doc, opt.saveFile);
    } else {
        result = SaveFileBytes(opt.saveFile, std::span(image.data(), RADIO_IMAGE_SIZE));
    }
    if (result.ok())
        log("saved to %s", opt.saveFile.c_str());
    else
        log("%s: cannot be written (%s)", opt.saveFile.c_str(), result.reason.c_str());
}

// Bytes from the program, in whatever pieces the pseudo-terminal hands them over.
void Sim::handle(const std::uint8_t* data, int size) {
    input.insert(input.end(), data, data + size);
    lastByte = Clock::now();
    if (state == State::Idle) {
        // Look for a handshake anywhere; everything before it is line noise.
        for (std::size_t i = 0; i + 4 <= input.size(); ++i) {
            if (std::equal(HandshakePacket.begin(), HandshakePacket.end(),
                           input.begin() + static_cast<long>(i))) {
                input.erase(input.begin(), input.begin() + static_cast<long>(i) + 4);
                answerHandshake();
                break;
            }
        }
        if (state == State::Idle && input.size() > 3) input.erase(input.begin(), input.end() - 3);
        return;
    }
    if (opt.fault == Fault::Hangup && input.size() >= HANGUP_AFTER) {
        log("image arriving: hanging up after %zu bytes", input.size());
        hangUp();
        return;
    }
    if (input.size() >= RADIO_IMAGE_SIZE) {
        const Bytes image(input.begin(), input.begin() + RADIO_IMAGE_SIZE);
        input.clear();
        state = State::Idle;
        takeImage(image);
    }
}

// A client that set the line exclusive (as Qt does) and was killed never clears it, and with our
// own end held open the flag outlives it: no one else could open the device. Clear it once no
// other process holds the device any more.
void Sim::releaseAbandonedLine() {
#ifdef TIOCGEXCL
    int exclusive = 0;
    if (slave < 0 || ::ioctl(slave, TIOCGEXCL, &exclusive) != 0 || exclusive == 0) return;
    if (FindDeviceHolder(device)) return;
    if (::ioctl(slave, TIOCNXCL) == 0)
        log("%s: its last client left it exclusive; free again", device.c_str());
#endif
}

// The line has gone quiet: a 4-byte packet is complete.
void Sim::onQuiet() {
    if (state != State::Command) return;
    if (input.size() == 4 && std::equal(ReadRequest.begin(), ReadRequest.end(), input.begin())) {
        input.clear();
        state = State::Idle;
        sendImage();
    } else if (input.size() == 4 &&
               std::equal(HandshakePacket.begin(), HandshakePacket.end(), input.begin())) {
        input.clear();
        state = State::Idle;
        answerHandshake();
    } else if (!input.empty()) {
        // An image comes in one piece: a pause inside one means the program gave up on it, and
        // its next handshake must not be taken for the rest of the image.
        log("dropped %zu bytes that were no command", input.size());
        input.clear();
    } else if (Clock::now() - commandSince > COMMAND_WAIT) {
        state = State::Idle;
    }
}

int Sim::run() {
    if (!loadMemory()) return 2;
    if (!openDevice()) return 1;

    sigset_t blocked, waitMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGHUP);
    sigprocmask(SIG_BLOCK, &blocked, &waitMask);
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::uint8_t buffer[512];
    while (!stopRequested) {
        // While a command may be arriving, wake to see it complete; while idle, now and then to
        // see whether a client went away leaving the line exclusive.
        const timespec timeout =
            state == State::Command ? timespec{0, 20'000'000} : timespec{0, 500'000'000};
        pollfd pfd{master, POLLIN, 0};
        const int ready = ::ppoll(&pfd, 1, &timeout, &waitMask);
        if (ready < 0) {
            if (errno == EINTR) continue;
            log("poll: %s", std::strerror(errno));
            return 1;
        }
        if (ready > 0 && (pfd.revents & POLLIN)) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) {
                handle(buffer, static_cast<int>(n));
                continue;
            }
        }
        if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR))) {
            // Nobody holds the other end for a moment; wait for the program to come back.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        if (state == State::Command && Clock::now() - lastByte >= COMMAND_QUIET) onQuiet();
        if (state == State::Idle && Clock::now() - lastByte >= IDLE_LOOK) releaseAbandonedLine();
    }
    log("stopping");
    closeDevice();
    if (!opt.link.empty()) ::unlink(opt.link.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options opt;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* what) -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "qarlo-radio-sim: %s needs %s\n", arg.c_str(), what);
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(USAGE, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("qarlo-radio-sim %s\n", QARLO_VERSION);
            return 0;
        } else if (arg == "--link") {
            opt.link = value("a path");
        } else if (arg == "--image") {
            opt.imageFile = value("a file");
        } else if (arg == "--save") {
            opt.saveFile = value("a file");
        } else if (arg == "--no-pace") {
            opt.pace = false;
        } else if (arg == "--quiet") {
            opt.quiet = true;
        } else if (arg == "--fault") {
            const std::string kind = value("a kind");
            const auto fault = parseFault(kind);
            if (!fault) {
                std::fprintf(stderr, "qarlo-radio-sim: unknown fault '%s'\n", kind.c_str());
                return 2;
            }
            opt.fault = *fault;
        } else {
            std::fprintf(stderr, "qarlo-radio-sim: unknown argument '%s'\n\n%s", arg.c_str(),
                         USAGE);
            return 2;
        }
    }
    return Sim(std::move(opt)).run();
}
