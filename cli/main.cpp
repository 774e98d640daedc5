#include "Command.h"

#include "QarloVersion.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qarlo::cli {

std::vector<Command>& registry() {
    static std::vector<Command> commands;
    return commands;
}

bool RegisterCommand(const Command& command) {
    registry().push_back(command);
    return true;
}

const std::vector<Command>& Commands() {
    return registry();
}

} // namespace qarlo::cli

namespace {

void printOverview(std::FILE* out) {
    std::fprintf(out, "usage: qarlo-cli COMMAND [ARGS...]\n\n"
                      "Reads, checks, converts and transfers Qarlo channel files (*.q02).\n\n"
                      "commands:\n");
    auto commands = qarlo::cli::Commands();
    std::sort(commands.begin(), commands.end(),
              [](const auto& a, const auto& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const auto& c : commands)
        std::fprintf(out, "  %-8s %s\n", c.name, c.synopsis);
    std::fprintf(out, "\nqarlo-cli COMMAND --help shows the details of one command;"
                      " --version prints the version.\n");
}

int printVersion() {
    std::printf("qarlo-cli %s\n", QARLO_VERSION);
    return qarlo::cli::EXIT_OK;
}

} // namespace

int main(int argc, char** argv) {
    using namespace qarlo::cli;
    if (argc < 2) {
        printOverview(stderr);
        return EXIT_USAGE;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printOverview(stdout);
        return EXIT_OK;
    }
    if (name == "--version") return printVersion();
    for (const auto& command : Commands()) {
        if (name == command.name) {
            Args args(argv + 2, argv + argc);
            // After "--" a "--help" is a file name, not a request for help.
            const auto optionsEnd = std::find(args.begin(), args.end(), "--");
            if (std::find_if(args.begin(), optionsEnd, [](const std::string& a) {
                    return a == "--help" || a == "-h";
                }) != optionsEnd) {
                std::fputs(command.help, stdout);
                return EXIT_OK;
            }
            if (std::find(args.begin(), optionsEnd, "--version") != optionsEnd)
                return printVersion();
            return command.run(args);
        }
    }
    std::fprintf(stderr, "qarlo-cli: unknown command '%s'\n\n", name.c_str());
    printOverview(stderr);
    return EXIT_USAGE;
}
