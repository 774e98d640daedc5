// `export` and `import`: the channels as CSV for other radio programming tools and spreadsheets.
#include "Command.h"
#include "common.h"

#include "memory/ChannelFile.h"
#include "memory/Csv.h"
#include "platform/ReadFile.h"
#include "platform/SaveFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qarlo::cli {
namespace {

int runExport(const Invocation& invocation) {
    const std::string& input = invocation.operands[0];
    std::string output = invocation.value("output");
    if (output == "-") output.clear();

    CQarloDoc doc;
    if (!LoadOrReport(doc, input)) return EXIT_USAGE;
    const std::string text = ExportCsv(doc);
    const std::string where = output.empty() ? "<stdout>" : output;
    for (const CsvError& problem : CsvExportProblems(doc)) {
        std::fprintf(stderr,
                     "qarlo-cli: warning: %s:%d: column %s: %s; importing this row will fail\n",
                     Shown(where).c_str(), problem.line, problem.column.c_str(), problem.message.c_str());
    }
    if (output.empty()) {
        const bool written = std::fwrite(text.data(), 1, text.size(), DataOutput()) == text.size();
        return StdoutWritten() && written ? EXIT_OK : EXIT_FAILED;
    }
    // A pipe, a terminal or /dev/stdout is written into; only a regular file is replaced.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const FileResult written =
        WriteOutputBytes(output, std::span<const std::uint8_t>(bytes, text.size()));
    if (!written.ok()) {
        std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(written).c_str());
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

constexpr std::size_t MAX_DETAIL_LINES = 10;

// "1-16", "1, 3, 5-7": channel indices 0..15, ascending, as channel numbers.
std::string channelList(const std::vector<int>& channels) {
    std::string out;
    for (std::size_t i = 0; i < channels.size();) {
        std::size_t j = i;
        while (j + 1 < channels.size() && channels[j + 1] == channels[j] + 1)
            ++j;
        if (!out.empty()) out += ", ";
        out += std::to_string(channels[i] + 1);
        if (j > i) out += "-" + std::to_string(channels[j] + 1);
        i = j + 1;
    }
    return out;
}

std::string reasonText(const CsvLeftOutCount& count) {
    switch (count.reason) {
    case CsvReason::Malformed:
        return "unreadable";
    case CsvReason::Mode:
        return count.mode;
    case CsvReason::ToneMode:
        return "tone mode the radio lacks";
    case CsvReason::Tone:
        return "tone the radio lacks";
    case CsvReason::DcsCode:
        return "DCS code the radio lacks";
    case CsvReason::ReceiveOnly:
        return "receive-only";
    case CsvReason::OutsideBands:
        return "outside 100-520 MHz";
    case CsvReason::OffRaster:
        return "off the 10 Hz raster";
    case CsvReason::LocationTaken:
        return "channel already taken";
    case CsvReason::PastLastChannel:
        return "past channel 16";
    case CsvReason::NotListed:
        return "not in --locations";
    case CsvReason::NotChosen:
        return "not chosen";
    }
    return "";
}

// "IN.csv:LINE: column COL: message" lines, at most MAX_DETAIL_LINES, then the count of the rest.
void printDetails(std::FILE* out, const std::string& input, const std::vector<CsvError>& lines) {
    for (std::size_t i = 0; i < lines.size() && i < MAX_DETAIL_LINES; ++i) {
        const CsvError& e = lines[i];
        const std::string column = e.column.empty() ? "" : " column " + e.column + ":";
        std::fprintf(out, "%s:%d:%s %s\n", Shown(input).c_str(), e.line, column.c_str(),
                     e.message.c_str());
    }
    if (lines.size() > MAX_DETAIL_LINES)
        std::fprintf(out, "... and %zu more\n", lines.size() - MAX_DETAIL_LINES);
}

// The one summary line: what was taken, and what was left out for which reasons.
std::string summaryLine(const CsvImportPlan& plan, const std::vector<int>& channels) {
    std::string line =
        "took " + std::to_string(channels.size()) + " row" + (channels.size() == 1 ? "" : "s");
    if (!channels.empty())
        line += " into channel" + std::string(channels.size() == 1 ? " " : "s ") +
                channelList(channels);
    const auto counts = CountLeftOut(plan);
    int total = 0;
    for (const auto& c : counts)
        total += c.count;
    if (total == 0) return line;
    line += "; left out " + std::to_string(total) + ":";
    for (std::size_t i = 0; i < counts.size(); ++i)
        line +=
            (i == 0 ? " " : ", ") + std::to_string(counts[i].count) + " " + reasonText(counts[i]);
    return line;
}

// Why each left-out row was left out, and what a taken row carries that no band can write.
std::vector<CsvError> detailLines(const CsvImportPlan& plan) {
    std::vector<CsvError> lines;
    for (const CsvPlanRow& row : plan.rows) {
        const bool counted =
            row.leftOut == CsvReason::PastLastChannel || row.leftOut == CsvReason::NotListed;
        if (row.channel < 0 && counted) continue;
        for (const CsvError& problem : row.problems) {
            lines.push_back(problem);
            if (row.channel >= 0) lines.back().message += " (taken as it stands)";
            if (row.channel < 0) break;
        }
    }
    return lines;
}

void printBandNote(const CsvBandNote& band) {
    const std::string range =
        std::to_string(band.lowMHz) + "-" + std::to_string(band.highMHz) + " MHz";
    if (band.set)
        std::printf("band set to %s, the smallest that holds every channel\n", range.c_str());
    if (band.outside.empty()) return;
    if (band.noBandHolds) {
        std::printf("no band of the radio (lower edge 100-480 MHz, 10-40 MHz wide) holds channels "
                    "spread over %s: channels %s cannot all be written as they stand\n",
                    range.c_str(), channelList(band.outside).c_str());
    } else {
        std::printf("channels %s fall outside the band %s: they cannot be written as they stand\n",
                    channelList(band.outside).c_str(), range.c_str());
    }
}

// The import options as typed; a bad one is a usage error.
std::optional<CsvImportOptions> importOptions(const Invocation& invocation) {
    CsvImportOptions options;
    options.skipUnusable = invocation.isSet("skip-unusable");
    if (invocation.isSet("renumber")) {
        const std::string from = invocation.value("renumber");
        const auto channel = ParseLocationList(from);
        if (!channel || channel->size() != 1 || (*channel)[0].first != (*channel)[0].second ||
            (*channel)[0].first < 1 || (*channel)[0].first > CHANNEL_COUNT) {
            std::fprintf(stderr, "qarlo-cli import: --renumber takes a channel 1..16, not '%s'\n",
                         Shown(from).c_str());
            return std::nullopt;
        }
        options.renumberFrom = (*channel)[0].first;
    }
    if (invocation.isSet("locations")) {
        const auto list = ParseLocationList(invocation.value("locations"));
        if (!list) {
            std::fprintf(stderr,
                         "qarlo-cli import: --locations takes numbers and ranges such as 0-15 or "
                         "1,3,20-25, not '%s'\n",
                         Shown(invocation.value("locations")).c_str());
            return std::nullopt;
        }
        options.locations = *list;
    }
    return options;
}

int refuseImport(const CsvImportPlan& plan, const std::string& input, const std::string& target) {
    printDetails(stderr, input, plan.errors);
    if (std::any_of(plan.errors.begin(), plan.errors.end(),
                    [](const CsvError& e) { return e.reason == CsvReason::PastLastChannel; }))
        std::fprintf(stderr, "hint: --renumber puts the rows into channels 1.. in file order, "
                             "--locations LIST takes only some of them, --skip-unusable leaves "
                             "out what does not fit\n");
    std::fprintf(stderr, "qarlo-cli: %s left unchanged\n", Shown(target).c_str());
    return EXIT_FAILED;
}

int runImport(const Invocation& invocation) {
    const std::string& input = invocation.operands[0];
    const std::string& target = invocation.operands[1];
    const std::string inputName = input == "-" ? "<stdin>" : input;
    const auto options = importOptions(invocation);
    if (!options) return EXIT_USAGE;

    // A regular file or standard input, never more than a CSV of channels can need.
    const FileBytes read = input == "-"
                               ? ReadDescriptorBytes(0, inputName, CSV_MAX_BYTES, ReadMode::Whole)
                               : ReadFileBytes(input, CSV_MAX_BYTES, ReadMode::Whole);
    if (!read.result.ok()) {
        std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(read.result).c_str());
        return EXIT_USAGE;
    }
    const std::string_view text(reinterpret_cast<const char*>(read.bytes.data()),
                                read.bytes.size());

    // Held from load to store: another import into FILE meanwhile would be lost.
    const FileLock lock(target);
    if (!LockOrReport(lock, target)) return EXIT_FAILED;
    CQarloDoc doc;
    std::error_code ec;
    const bool exists = std::filesystem::exists(target, ec);
    if ((exists || ec) && !LoadOrReport(doc, target)) return EXIT_USAGE;

    const CsvImportPlan plan = PlanCsvImport(text, *options);
    if (!plan.ok()) return refuseImport(plan, inputName, target);
    const CsvImportResult result = ApplyCsvImport(doc, plan);
    std::printf("%s\n", summaryLine(plan, result.channelsSet).c_str());
    printDetails(stdout, inputName, detailLines(plan));
    if (result.channelsSet.empty()) {
        std::fprintf(stderr, "%s: no channel rows to import\nqarlo-cli: %s left unchanged\n",
                     Shown(inputName).c_str(), Shown(target).c_str());
        return EXIT_FAILED;
    }
    const FileResult stored = StoreChannelFile(doc, target);
    if (!stored.ok()) {
        std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(stored).c_str());
        return EXIT_FAILED;
    }
    printBandNote(result.band);
    std::printf("stored in %s\n", Shown(target).c_str());
    return EXIT_OK;
}

constexpr Option ExportOptions[] = {{"o,output", "OUT.csv"}};
constexpr Option ImportOptions[] = {
    {"renumber", "N", "1"}, {"locations", "LIST"}, {"skip-unusable", nullptr}};

} // namespace

const Command ExportCommand{
    "export",
    "write the channels of a channel file as CSV",
    "usage: qarlo-cli export FILE [-o OUT.csv]\n\n"
    "Writes one CSV row for every channel of FILE whose receive frequency is set, in the\n"
    "generic CSV that radio programming tools exchange (Location, Frequency, Duplex, Offset,\n"
    "Tone, ..., Mode). Without -o, or with -o -, the CSV goes to standard output. An existing\n"
    "pipe, terminal or /dev/stdout given to -o is written into as it stands; a regular file is\n"
    "replaced keeping its owner and mode; a directory or a read-only file is refused.\n"
    "A channel holding a byte the CSV cannot describe (a negative frequency, a code byte\n"
    "naming no tone or code) is still written, with a warning: importing that row will fail\n"
    "rather than change the channel.\n\n"
    "exit status: 0 written, 1 the output could not be written, 2 bad usage or FILE unreadable\n",
    "FILE",
    ExportOptions,
    runExport};

const Command ImportCommand{
    "import",
    "set channels of a channel file from CSV",
    "usage: qarlo-cli import IN.csv FILE [--renumber[=N]] [--locations LIST] [--skip-unusable]\n\n"
    "Sets, for every row of IN.csv (\"-\": standard input), the channel at its Location (1..16,\n"
    "or 0..15 when the file numbers from 0): receive and transmit frequency, the signalling of\n"
    "both directions and the bandwidth. Squelch, the radio-wide settings and what the CSV does\n"
    "not describe stay as they were; a document without a band (0-0) gets the smallest band\n"
    "that holds every channel, and channels no band holds are named.\n"
    "Columns are found by their header; quotes, a byte-order mark, UTF-16 with a byte-order\n"
    "mark, CR, LF or CR LF line ends, blank lines and lines starting with # are accepted.\n"
    "IN.csv must be a regular file (or -) of at most 4 MiB. FILE is created from a new document\n"
    "when it does not exist. Any error (each printed as IN.csv:LINE: column COL: message), and a\n"
    "CSV without any channel row, leave FILE untouched. A summary line says what was taken and\n"
    "what was left out, followed by at most 10 detail lines.\n\n"
    "FILE is locked while it is changed; another program holding it for more than 5 s is\n"
    "reported and FILE left unchanged.\n\n"
    "  --renumber[=N]    the chosen rows go into channels N (default 1), N+1, ... in file order\n"
    "  --locations LIST  only rows whose Location is listed, e.g. 0-15 or 1,3,20-25\n"
    "  --skip-unusable   leave out, each with its line and reason, rows the radio cannot store\n"
    "                    (AM and other modes, DTCS-R, unknown tones and codes, receive only,\n"
    "                    outside 100-520 MHz, off the 10 Hz raster) and rows past channel 16\n\n"
    "exit status: 0 stored, 1 the CSV has errors or no channel rows, FILE could not be written\n"
    "or stayed locked, 2 bad usage, IN.csv unreadable, too large or not a regular file, or FILE not a\n"
    "channel file\n",
    "IN.csv FILE",
    ImportOptions,
    runImport};

} // namespace qarlo::cli
