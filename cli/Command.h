#pragma once
// A qarlo-cli command: its name, texts, options and operands, and the function that runs it.
// main() looks the command up in its table and hands it the parsed command line.
#include <QStringList>

#include <span>
#include <string>
#include <vector>

class QCommandLineParser;
class QCoreApplication;

namespace qarlo::cli {

// Exit statuses shared by every command.
inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_FAILED = 1; // a check or a transfer failed
inline constexpr int EXIT_USAGE =
    2; // bad usage, or a file that cannot be read or has the wrong size

struct Option {
    const char* names;               // "o,output": its names without dashes
    const char* valueName;           // "PORT" when it takes a value; nullptr for a switch
    const char* bareValue = nullptr; // the value a bare "--name" stands for; only "--name=V" else
};

// --json, for the commands that can print JSON instead of a table.
inline constexpr Option JsonOptions[] = {{"json", nullptr}};

// What a command is given: the application made by main(), and the command line as typed
// (operands and values keep their bytes, file names need not be UTF-8).
struct Invocation {
    QCoreApplication& app;
    const QCommandLineParser& parser;
    std::vector<std::string> operands;

    bool isSet(const char* option) const;
    std::string value(const char* option) const; // empty when not given
};

struct Command {
    const char* name;
    const char* synopsis; // one line for the overview
    const char* help;     // the whole text for `qarlo-cli NAME --help`; its first line is the usage
    const char* operands; // their names, "IN.csv FILE": exactly these many must be given
    std::span<const Option> options;
    int (*run)(const Invocation& invocation);
};

extern const Command CheckCommand, DiffCommand, ExportCommand, ImportCommand, NewCommand,
    PortsCommand, ReadCommand, SetCommand, ShowCommand, VerifyCommand, WriteCommand;

// Answers --help and --version, reports a usage error (exit 2), or runs the command with its
// parsed `arguments` (those after its name).
int RunCommand(const Command& command, QCoreApplication& app, const QStringList& arguments);

int PrintVersion();

} // namespace qarlo::cli
