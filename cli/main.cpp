// qarlo-cli: the first argument names the command, the rest is its own command line.
#include "Command.h"

#include "common.h"

#include "platform/Charset.h"
#include "platform/Terminal.h"
#include "platform/qt/FileNames.h"

#include <QCoreApplication>
#include <QStringList>

#include <clocale>
#include <cstdio>
#include <string>

namespace {

using namespace qarlo::cli;

// In the order the overview lists them.
constexpr const Command* Commands[] = {
    &CheckCommand, &DiffCommand, &ExportCommand, &ImportCommand, &NewCommand,  &PortsCommand,
    &ReadCommand,  &SetCommand,  &ShowCommand,   &VerifyCommand, &WriteCommand};

void printOverview(std::FILE* out) {
    std::fprintf(out, "usage: qarlo-cli COMMAND [ARGS...]\n\n"
                      "Reads, checks, converts and transfers Qarlo channel files (*.q02).\n\n"
                      "commands:\n");
    for (const Command* c : Commands)
        std::fprintf(out, "  %-8s %s\n", c->name, c->synopsis);
    std::fprintf(out, "\nqarlo-cli COMMAND --help shows the details of one command;"
                      " --version prints the version.\n");
}

const Command* findCommand(const std::string& name) {
    for (const Command* c : Commands)
        if (name == c->name) return c;
    return nullptr;
}

int finish(int status) {
    return StdoutWritten() ? status : EXIT_FAILED;
}

} // namespace

int main(int argc, char** argv) {
    qarlo::FillClosedStandardStreams();
    qarlo::SpeakUserCharset();
    if (argc < 2) {
        printOverview(stderr);
        return EXIT_USAGE;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printOverview(stdout);
        return finish(EXIT_OK);
    }
    if (name == "--version") return finish(PrintVersion());
    const Command* command = findCommand(name);
    if (command == nullptr) {
        std::fprintf(stderr, "qarlo-cli: unknown command '%s'\n\n", Shown(name).c_str());
        printOverview(stderr);
        return EXIT_USAGE;
    }
    const QStringList arguments = qarlo::ArgumentsFromArgv(argc, argv).mid(1);
    QCoreApplication app(argc, argv);
    // Making the application switched to the user's locale. The file commands print the
    // system's messages in the C locale, as scripts expect; a transfer switches for itself.
    std::setlocale(LC_ALL, "C");
    return finish(RunCommand(*command, app, arguments));
}
