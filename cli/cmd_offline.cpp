// `new`, `check` and `show`: the channel file without a radio, on the same code as the window.
#include "Command.h"
#include "common.h"

#include "memory/ChannelFile.h"
#include "memory/Signalling.h"
#include "memory/Units.h"
#include "radio/RadioImage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qarlo::cli {
namespace {

int runNew(const Invocation& invocation) {
    const std::filesystem::path file = invocation.operands[0];
    std::error_code ec;
    const bool exists = std::filesystem::exists(std::filesystem::symlink_status(file, ec));
    if (exists && !invocation.isSet("force")) {
        std::fprintf(stderr, "qarlo-cli: %s already exists; use --force to replace it\n",
                     Shown(file.string()).c_str());
        return EXIT_USAGE;
    }
    CQarloDoc doc; // constructed as a new document
    const FileLock lock(file);
    if (!LockOrReport(lock, file.string())) return EXIT_FAILED;
    const FileResult stored = StoreChannelFile(doc, file);
    if (!stored.ok()) {
        std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(stored).c_str());
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

int runCheck(const Invocation& invocation) {
    CQarloDoc doc;
    if (!LoadOrReport(doc, invocation.operands[0])) return EXIT_USAGE;
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
    std::printf("%s\n", Shown(file).c_str());
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

QJsonValue jsonText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QJsonObject channelAsJson(const CQarloDoc& doc, int ch) {
    const std::uint8_t flags = doc.flags(ch);
    QJsonObject channel{{"index", ch},
                        {"name", jsonText(ChannelName(ch))},
                        {"rxFreq", doc.rxFreq(ch)},
                        {"txFreq", doc.txFreq(ch)},
                        {"flags", flags},
                        {"narrow", (flags & FLAG_NARROW) != 0},
                        {"squelch", doc.squelch(ch)},
                        {"rxCode", doc.rxCode(ch)},
                        {"txCode", doc.txCode(ch)}};
    const struct {
        Direction direction;
        const char *type, *codeName;
        std::uint8_t code;
    } sides[] = {{Direction::Receive, "rxType", "rxCodeName", doc.rxCode(ch)},
                 {Direction::Transmit, "txType", "txCodeName", doc.txCode(ch)}};
    for (const auto& side : sides) {
        const auto row = static_cast<std::size_t>(codeTypeRow(flags, side.direction));
        channel.insert(side.type, jsonText(CodeTypeTable[row]));
        const auto name = codeName(flags, side.code, side.direction);
        channel.insert(side.codeName, name ? jsonText(*name) : QJsonValue());
    }
    return channel;
}

void PrintJson(const CQarloDoc& doc) {
    QJsonArray programmed, channels;
    for (int j = 0; j < doc.programmedCount(); ++j)
        programmed.append(doc.ProgrammedChannelList[static_cast<std::size_t>(j)]);
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch)
        channels.append(channelAsJson(doc, ch));
    const QJsonObject top{{"totTenths", doc.totTenths()},
                          {"bandLow", doc.bandLow()},
                          {"bandHigh", doc.bandHigh()},
                          {"programmed", programmed},
                          {"channels", channels}};
    const QByteArray text = QJsonDocument(top).toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), DataOutput());
}

int runShow(const Invocation& invocation) {
    CQarloDoc doc;
    if (!LoadOrReport(doc, invocation.operands[0])) return EXIT_USAGE;
    if (invocation.isSet("json")) {
        PrintJson(doc);
    } else {
        PrintTable(doc, invocation.operands[0]);
    }
    return EXIT_OK;
}

constexpr Option NewOptions[] = {{"force", nullptr}};

} // namespace

const Command NewCommand{
    "new",
    "write the channel file of a new document",
    "usage: qarlo-cli new FILE [--force]\n\n"
    "Writes FILE as the channel file of a new document: every channel empty, squelch 3,\n"
    "time-out 5 minutes, band edges 0 (set them before writing to a radio).\n\n"
    "  --force   replace FILE if it already exists\n\n"
    "exit status: 0 written; 1 the file could not be written; 2 FILE exists without --force,\n"
    "or wrong usage.\n",
    "FILE",
    NewOptions,
    runNew};

const Command CheckCommand{
    "check",
    "run the checks made before writing to the radio",
    "usage: qarlo-cli check FILE\n\n"
    "Runs on FILE exactly the checks made before a write to the radio (frequencies, band\n"
    "limits, time-out), channel by channel. When all pass it prints \"ok\". The first failing\n"
    "check is printed as one line on standard error, the channel's name and the check's\n"
    "message, e.g.\n"
    "  01频道: 频段值必须在100MHz－480MHz内\n\n"
    "exit status: 0 all checks pass; 1 a check failed; 2 FILE cannot be read or is not a\n"
    "channel file, or wrong usage.\n",
    "FILE",
    {},
    runCheck};

const Command ShowCommand{
    "show",
    "print the settings and the 16 channels of a channel file",
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
    "FILE",
    JsonOptions,
    runShow};

} // namespace qarlo::cli
