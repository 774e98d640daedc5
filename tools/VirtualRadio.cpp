#include "VirtualRadio.h"

#include "platform/PortHolders.h"
#include "radio/Protocol.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace qarlo::sim {

namespace {

// FF 11, then the radio's model and version.
constexpr std::array<std::uint8_t, 4> HANDSHAKE_REPLY{HandshakeReplyStart[0],
                                                      HandshakeReplyStart[1], 0x51, 0x02};
constexpr std::array<std::uint8_t, 4> WRONG_REPLY{0xFF, 0x10, 0x51, 0x02};
constexpr auto COMMAND_QUIET = std::chrono::milliseconds(60);  // a packet is complete
constexpr auto COMMAND_WAIT = std::chrono::milliseconds(3000); // after a handshake
constexpr auto IDLE_LOOK = std::chrono::milliseconds(500);     // for a client gone exclusive
constexpr int SHORT_IMAGE = 100;
constexpr int HANGUP_AFTER = 128;
// corrupt-write: channel 1's receive frequency moves by 10 Hz, a field every compare shows.
constexpr int CORRUPT_BYTE = 3;

} // namespace

VirtualRadio::VirtualRadio(Options options, const RadioImage& image)
    : opt(std::move(options)), log(opt.quiet), memory(image) {}

bool VirtualRadio::openDevice() {
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

void VirtualRadio::closeDevice() {
    if (slave >= 0) ::close(slave);
    if (master >= 0) ::close(master);
    slave = master = -1;
}

void VirtualRadio::send(const std::uint8_t* data, int size) {
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

void VirtualRadio::answerHandshake() {
    if (opt.fault == Fault::Silent) {
        log("handshake: staying silent");
        return;
    }
    const bool wrong = opt.fault == Fault::BadHandshake;
    log("handshake: answering %s", wrong ? "FF 10" : "FF 11");
    const auto& reply = wrong ? WRONG_REPLY : HANDSHAKE_REPLY;
    send(reply.data(), static_cast<int>(reply.size()));
    if (wrong) return; // a radio that answers wrongly takes no command
    state = State::Command;
    commandSince = Clock::now();
}

void VirtualRadio::hangUp() {
    // Let the last bytes leave before the line drops, or the hang-up discards them.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    log("hanging up %s", device.c_str());
    closeDevice();
    if (!opt.link.empty()) ::unlink(opt.link.c_str());
    if (!openDevice()) deviceLost = true;
}

void VirtualRadio::sendImage() {
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

void VirtualRadio::takeImage(const std::vector<std::uint8_t>& image) {
    std::copy_n(image.begin(), RADIO_IMAGE_SIZE, memory.begin());
    if (opt.fault == Fault::CorruptWrite) {
        memory[CORRUPT_BYTE] ^= 0x01;
        log("image received: byte %d stored wrongly", CORRUPT_BYTE);
    }
    log("image received: now the radio's memory");
    KeepWrittenImage(memory, opt, log);
}

// Bytes from the program, in whatever pieces the pseudo-terminal hands them over.
void VirtualRadio::handle(const std::uint8_t* data, int size) {
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
        const std::vector<std::uint8_t> image(input.begin(), input.begin() + RADIO_IMAGE_SIZE);
        input.clear();
        state = State::Idle;
        takeImage(image);
    }
}

// A client that set the line exclusive (as Qt does) and was killed never clears it, and with our
// own end held open the flag outlives it: no one else could open the device. Clear it once no
// other process holds the device any more.
void VirtualRadio::releaseAbandonedLine() {
#ifdef TIOCGEXCL
    int exclusive = 0;
    if (slave < 0 || ::ioctl(slave, TIOCGEXCL, &exclusive) != 0 || exclusive == 0) return;
    if (FindDeviceHolder(device)) return;
    if (::ioctl(slave, TIOCNXCL) == 0)
        log("%s: its last client left it exclusive; free again", device.c_str());
#endif
}

// The line has gone quiet: a 4-byte packet is complete.
void VirtualRadio::onQuiet() {
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

bool VirtualRadio::start() {
    return openDevice();
}

int VirtualRadio::run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask) {
    std::uint8_t buffer[512];
    while (!stop && !deviceLost) {
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

} // namespace qarlo::sim
