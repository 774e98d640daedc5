#pragma once
// The radio's side of the line on a pseudo-terminal: a handshake FF 11 22 33 answered with FF 11
// and two more bytes, then either FF 00 FF 00 answered with the 256-byte image, or 256 bytes
// taken as the new memory; and each way a radio can misbehave.
#include "SimSetup.h"

#include <signal.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

namespace qarlo::sim {

class VirtualRadio {
public:
    VirtualRadio(Options options, const RadioImage& memory);

    // Offers the device: prints its path and makes --link's link; false after saying why not.
    bool start();
    // Answers on the device until `stop` is set, waking for signals with `waitMask`; the exit
    // status.
    int run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask);

private:
    using Clock = std::chrono::steady_clock;

    bool openDevice();
    void closeDevice();
    void send(const std::uint8_t* data, int size);
    void handle(const std::uint8_t* data, int size);
    void onQuiet();
    void answerHandshake();
    void sendImage();
    void takeImage(const std::vector<std::uint8_t>& image);
    void hangUp();
    void releaseAbandonedLine();

    Options opt;
    Log log;
    RadioImage memory;
    int master = -1;
    int slave = -1; // held so the device survives the program closing and reopening it
    std::string device;
    enum class State { Idle, Command } state = State::Idle;
    std::vector<std::uint8_t> input;
    Clock::time_point lastByte{};
    Clock::time_point commandSince{};
    bool deviceLost = false; // a hang-up could not offer a new device
};

} // namespace qarlo::sim
