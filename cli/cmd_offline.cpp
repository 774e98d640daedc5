// `new`, `check` and `show`: the channel file without a radio, on the same code as the window.
#include "Command.h"
#include "common.h"

#include "memory/ChannelFile.h"
#include "memory/Signalling.h"
#include "memory/Units.h"
#include "radio/RadioImage.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qarlo::cli {
namespace {

constexpr const char* NEW_USAGE = "usage: qarlo-cli new FILE [--force]\n";
constexpr const char* CHECK_USAGE = "usage: qarlo-cli check FILE\n";
constexpr const char* SHOW_USAGE = "usage: qarlo-cli show [--json] FILE\n";

struct Parsed {
    std::vector<std::string> operands;
    std::vector<std::string> options;
};

// Splits the arguments into the options in `allowed` and the operands; "--" ends the options so a
// file name may start with a dash. Any other option is a usage error (false).
bool parseArgs(const Args& args, std::initializer_list<std::string_view> allowed, Parsed& out) {
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            bool known = false;
            for (auto option : allowed)
                known = known || arg == option;
            if (!known) {
                std::fprintf(stderr, "qarlo-cli: unknown option '%s'\n", arg.c_str());
                return false;
            }
            out.options.push_back(arg);
        } else {
            out.operands.push_back(arg);
        }
    }
    return true;
}

bool hasOption(const Parsed& parsed, std::string_view option) {
    for (const auto& o : parsed.options)
        if (o == option) return true;
    return false;
}

int usage(const char* text) {
    std::fputs(text, stderr);
    return EXIT_USAGE;
}

int runNew(const Args& args) {
    Parsed parsed;
    if (!parseArgs(args, {"--force"}, parsed) || parsed.operands.size() != 1)
        return usage(NEW_USAGE);
    const std::filesystem::path file = parsed.operands[0];
    std::error_code ec;
    const bool exists = std::filesystem::exists(std::filesystem::symlink_status(file, ec));
    if (exists && !hasOption(parsed, "--force")) {
        std::fprintf(stderr, "qarlo-cli: %s already exists; use --force to replace it\n",
                     file.string().c_str());
        return EXIT_USAGE;
    }
    CQarloDoc doc; // constructed as a new document
    const FileResult stored = StoreChannelFile(doc, file);
    if (!stored.ok()) {
        std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(stored).c_str());
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

int runCheck(const Args& args) {
    Parsed parsed;
    if (!parseArgs(args, {}, parsed) || parsed.operands.size() != 1) return usage(CHECK_USAGE);
    CQarloDoc doc;
    if (!LoadOrReport(doc, parsed.operands[0])) return EXIT_USAGE;
    if (const auto failure = CheckDocument(doc)) {
        PrintCheckFailure(*failure);
        return EXIT_FAILED;
    }
    std::puts("ok");
    return EXIT_OK;
}

// Terminal columns of UTF-8 text: the Chinese characters take two.
std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        width += length >= 3 ? 2 : 1;
        i += length;
    }
    return width;
}

std::string Pad(std::string text, std::size_t width) {
    const std::size_t used = DisplayWidth(text);
    if (used < width) text.append(width - used, ' ');
    return text;
}

void PrintTable(const CQarloDoc& doc, const std::string& file) {
    std::printf("%s\n", file.c_str());
    std::printf("time-out: %s min   band: %s - %s MHz\n\n", FormatMinutes(doc.totTenths()).c_str(),
                FormatBandMHz(doc.bandLow()).c_str(), FormatBandMHz(doc.bandHigh()).c_str());
    const std::size_t widths[] = {10, 14, 14, 11, 9, 15};
    const char* headers[] = {"channel",   "rx MHz",  "tx MHz",
                             "bandwidth", "squelch", "rx signalling"};
    std::string line;
    for (std::size_t i = 0; i < std::size(headers); ++i)
        line += Pad(headers[i], widths[i]);
    std::printf("%stx signalling\n", line.c_str());
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        const std::uint8_t flags = doc.flags(ch);
        const std::string cells[] = {
            std::string(ChannelName(ch)),
            FormatMHz(doc.rxFreq(ch)),
            FormatMHz(doc.txFreq(ch)),
            (flags & FLAG_NARROW) != 0 ? "12.5KHz" : "25KHz",
            std::to_string(doc.squelch(ch)),
            signallingText(flags, doc.rxCode(ch), Direction::Receive),
        };
        line.clear();
        for (std::size_t i = 0; i < std::size(cells); ++i)
            line += Pad(cells[i], widths[i]);
        line += signallingText(flags, doc.txCode(ch), Direction::Transmit);
        std::printf("%s\n", line.c_str());
    }
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonCodeName(std::uint8_t flags, std::uint8_t code, Direction d) {
    const auto name = codeName(flags, code, d);
    return name ? JsonString(*name) : "null";
}

std::string JsonType(std::uint8_t flags, Direction d) {
    return JsonString(CodeTypeTable[static_cast<std::size_t>(codeTypeRow(flags, d))]);
}

void PrintJson(const CQarloDoc& doc) {
    std::string out = "{\n";
    out += "  \"totTenths\": " + std::to_string(doc.totTenths()) + ",\n";
    out += "  \"bandLow\": " + std::to_string(doc.bandLow()) + ",\n";
    out += "  \"bandHigh\": " + std::to_string(doc.bandHigh()) + ",\n";
    out += "  \"programmed\": [";
    for (int j = 0; j < doc.programmedCount(); ++j) {
        if (j > 0) out += ", ";
        out += std::to_string(doc.ProgrammedChannelList[static_cast<std::size_t>(j)]);
    }
    out += "],\n  \"channels\": [\n";
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        const std::uint8_t flags = doc.flags(ch);
        out += "    {\"index\": " + std::to_string(ch);
        out += ", \"name\": " + JsonString(ChannelName(ch));
        out += ", \"rxFreq\": " + std::to_string(doc.rxFreq(ch));
        out += ", \"txFreq\": " + std::to_string(doc.txFreq(ch));
        out += ", \"flags\": " + std::to_string(flags);
        out += std::string(", \"narrow\": ") + ((flags & FLAG_NARROW) != 0 ? "true" : "false");
        out += ", \"squelch\": " + std::to_string(doc.squelch(ch));
        out += ", \"rxCode\": " + std::to_string(doc.rxCode(ch));
        out += ", \"txCode\": " + std::to_string(doc.txCode(ch));
        out += ", \"rxType\": " + JsonType(flags, Direction::Receive);
        out += ", \"txType\": " + JsonType(flags, Direction::Transmit);
        out += ", \"rxCodeName\": " + JsonCodeName(flags, doc.rxCode(ch), Direction::Receive);
        out += ", \"txCodeName\": " + JsonCodeName(flags, doc.txCode(ch), Direction::Transmit);
        out += ch + 1 < CHANNEL_COUNT ? "},\n" : "}\n";
    }
    out += "  ]\n}\n";
    std::fputs(out.c_str(), stdout);
}

int runShow(const Args& args) {
    Parsed parsed;
    if (!parseArgs(args, {"--json"}, parsed) || parsed.operands.size() != 1)
        return usage(SHOW_USAGE);
    CQarloDoc doc;
    if (!LoadOrReport(doc, parsed.operands[0])) return EXIT_USAGE;
    if (hasOption(parsed, "--json")) {
        PrintJson(doc);
    } else {
        PrintTable(doc, parsed.operands[0]);
    }
    return EXIT_OK;
}

[[maybe_unused]] const bool newRegistered = RegisterCommand(
    {"new", "write the channel file of a new document",
     "usage: qarlo-cli new FILE [--force]\n\n"
     "Writes FILE as the channel file of a new document: every channel empty, squelch 3,\n"
     "time-out 5 minutes, band edges 0 (set them before writing to a radio).\n\n"
     "  --force   replace FILE if it already exists\n\n"
     "exit status: 0 written; 1 the file could not be written; 2 FILE exists without --force,\n"
     "or wrong usage.\n",
     runNew});

[[maybe_unused]] const bool checkRegistered = RegisterCommand(
    {"check", "run the checks made before writing to the radio",
     "usage: qarlo-cli check FILE\n\n"
     "Runs on FILE exactly the checks made before a write to the radio (frequencies, band\n"
     "limits, time-out), channel by channel. When all pass it prints \"ok\". The first failing\n"
     "check is printed as one line on standard error, the channel's name and the check's\n"
     "message, e.g.\n"
     "  01频道: 频段值必须在100MHz－480MHz内\n\n"
     "exit status: 0 all checks pass; 1 a check failed; 2 FILE cannot be read or is not a\n"
     "channel file, or wrong usage.\n",
     runCheck});

[[maybe_unused]] const bool showRegistered = RegisterCommand(
    {"show", "print the settings and the 16 channels of a channel file",
     "usage: qarlo-cli show [--json] FILE\n\n"
     "Prints the time-out and band limits of FILE and a table of its 16 channels: receive and\n"
     "transmit frequency in MHz, bandwidth, squelch level and each direction's signalling as the\n"
     "editor shows it (\"QT 67\", \"DQT 023I\", \"无\"; a type followed by \"?\" when the stored "
     "byte\n"
     "names no code).\n\n"
     "  --json    print one JSON object instead: totTenths, bandLow, bandHigh (stored units),\n"
     "            programmed (the programmed channels' indices) and channels, 16 objects with\n"
     "            index, name, rxFreq, txFreq (10 Hz units), flags, narrow, squelch, rxCode,\n"
     "            txCode (stored bytes), rxType, txType and rxCodeName, txCodeName (null when\n"
     "            the direction has no signalling or the byte names no code)\n\n"
     "exit status: 0 shown; 2 FILE cannot be read or is not a channel file, or wrong usage.\n",
     runShow});

} // namespace
} // namespace qarlo::cli
