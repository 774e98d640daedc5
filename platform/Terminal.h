#pragma once
// The console a command-line program runs in: whether standard error is a terminal, what Ctrl-C
// (and, where the system has them, a closed terminal or a stop request) does, and standard
// streams the caller left closed.
namespace qarlo {

bool StandardErrorIsTerminal();

// While one lives, a Ctrl-C, a closed terminal or a stop request that would end the program
// writes `text` (static, e.g. an escape that wipes a progress line) to standard error first and
// then ends it as it would have. Ends that already have a handler of their own keep it.
class WipeOnEnd {
public:
    explicit WipeOnEnd(const char* text);
    ~WipeOnEnd();
    WipeOnEnd(const WipeOnEnd&) = delete;
    WipeOnEnd& operator=(const WipeOnEnd&) = delete;

private:
    static constexpr int ENDS = 3;
    bool replaced[ENDS] = {};
};

// From now on those ends do not end the program: they only set the flag EndRequested() reads.
void CatchEndRequests();
bool EndRequested();

// A standard stream closed by the caller gets a stand-in, so no file the program opens gets its
// number and takes output meant for the stream; writing to a closed standard output fails.
void FillClosedStandardStreams();

} // namespace qarlo
