// qarlo-radio-sim: a virtual radio on a pseudo-terminal, for tests and for trying Qarlo without
// hardware. Plain POSIX; the document library only for the image layout.
#include "SimSetup.h"
#include "VirtualRadio.h"

#include <signal.h>

namespace {

volatile sig_atomic_t stopRequested = 0;
void onStopSignal(int) {
    stopRequested = 1;
}

// Ctrl-C, SIGTERM and SIGHUP stop the radio; they are let in only while it waits for the line,
// whose wait gets the mask that lets them in.
sigset_t catchStopSignals() {
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
    return waitMask;
}

} // namespace

int main(int argc, char** argv) {
    using namespace qarlo::sim;
    const ParsedOptions parsed = ParseOptions(argc, argv);
    if (!parsed.options) return parsed.exitStatus;
    const auto memory = InitialMemory(*parsed.options, Log(parsed.options->quiet));
    if (!memory) return 2;
    VirtualRadio radio(*parsed.options, *memory);
    if (!radio.start()) return 1;
    const sigset_t waitMask = catchStopSignals();
    return radio.run(stopRequested, waitMask);
}
