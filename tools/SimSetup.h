#pragma once
// What qarlo-radio-sim is set up with: its command line, its log, and the memory it starts with
// and keeps. Plain POSIX and the document library; the line itself is VirtualRadio's.
#include "radio/RadioImage.h"

#include <optional>
#include <string>

namespace qarlo::sim {

enum class Fault { None, Silent, BadHandshake, ShortImage, NoImage, Hangup, CorruptWrite };

struct Options {
    std::string link;
    std::string imageFile;
    std::string saveFile;
    bool pace = true;
    bool quiet = false;
    Fault fault = Fault::None;
};

// The options, or the exit status when the command line has been answered (--help, --version)
// or refused (its reason already on standard error).
struct ParsedOptions {
    std::optional<Options> options;
    int exitStatus = 0;
};
ParsedOptions ParseOptions(int argc, char** argv);

// "qarlo-radio-sim: ..." on standard error, unless --quiet.
class Log {
public:
    explicit Log(bool silent) : quiet(silent) {}
    void operator()(const char* format, ...) const __attribute__((format(printf, 2, 3)));

private:
    bool quiet;
};

// The memory the radio starts with: --image's file, or the built-in channels. None, after saying
// why on standard error, when the file is neither a channel file nor a raw image.
std::optional<RadioImage> InitialMemory(const Options& options, const Log& log);

// Keeps an image written into the radio in --save's file, when there is one.
void KeepWrittenImage(const RadioImage& image, const Options& options, const Log& log);

} // namespace qarlo::sim
