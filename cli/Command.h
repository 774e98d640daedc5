#pragma once
// qarlo-cli's commands register themselves here; main() dispatches on the first argument.
#include <string>
#include <vector>

namespace qarlo::cli {

// Exit statuses shared by every command.
inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_FAILED = 1; // a check or a transfer failed
inline constexpr int EXIT_USAGE = 2;  // bad usage, or a file that cannot be read or has the wrong size

using Args = std::vector<std::string>; // the arguments after the command name

struct Command {
    const char* name;
    const char* synopsis; // one line for the overview
    const char* help;     // the whole text for `qarlo-cli NAME --help`
    int (*run)(const Args& args);
};

// Registers a command at static-initialisation time; returns true so it can seed a static.
bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

} // namespace qarlo::cli
