// `export` and `import`: the channels as CSV for other radio programming tools and spreadsheets.
#include "Command.h"
#include "common.h"

#include "memory/ChannelFile.h"
#include "memory/Csv.h"
#include "memory/ReadFile.h"
#include "memory/SaveFile.h"

#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

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
                     where.c_str(), problem.line, problem.column.c_str(), problem.message.c_str());
    }
    if (output.empty()) {
        const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
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

int runImport(const Invocation& invocation) {
    const std::string& input = invocation.operands[0];
    const std::string& target = invocation.operands[1];
    const std::string inputName = input == "-" ? "<stdin>" : input;

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

    const CsvImportResult result = ImportCsv(doc, text);
    if (!result.ok()) {
        for (const CsvError& e : result.errors) {
            if (e.column.empty()) {
                std::fprintf(stderr, "%s:%d: %s\n", inputName.c_str(), e.line, e.message.c_str());
            } else {
                std::fprintf(stderr, "%s:%d: column %s: %s\n", inputName.c_str(), e.line,
                             e.column.c_str(), e.message.c_str());
            }
        }
        std::fprintf(stderr, "qarlo-cli: %s left unchanged\n", target.c_str());
        return EXIT_FAILED;
    }
    if (result.channelsSet.empty()) {
        std::fprintf(stderr,
                     "%s: no channel rows, nothing to import\nqarlo-cli: %s left unchanged\n",
                     inputName.c_str(), target.c_str());
        return EXIT_FAILED;
    }
    const FileResult stored = StoreChannelFile(doc, target);
    if (!stored.ok()) {
        std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(stored).c_str());
        return EXIT_FAILED;
    }
    const std::size_t count = result.channelsSet.size();
    std::printf("%zu channel%s set in %s\n", count, count == 1 ? "" : "s", target.c_str());
    return EXIT_OK;
}

constexpr Option ExportOptions[] = {{"o,output", "OUT.csv"}};

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
    "usage: qarlo-cli import IN.csv FILE\n\n"
    "Sets, for every row of IN.csv (\"-\": standard input), the channel at its Location (1..16):\n"
    "receive and transmit frequency, the signalling of both directions and the bandwidth.\n"
    "Squelch, the radio-wide settings and what the CSV does not describe stay as they were.\n"
    "Columns are found by their header; quotes, a byte-order mark, UTF-16 with a byte-order\n"
    "mark, CR, LF or CR LF line ends, blank lines and lines starting with # are accepted.\n"
    "IN.csv must be a regular file (or -) of at most 4 MiB. FILE is created from a new document\n"
    "when it does not exist. Any error (each printed as IN.csv:LINE: column COL: message), and a\n"
    "CSV without any channel row, leave FILE untouched.\n\n"
    "FILE is locked while it is changed; another program holding it for more than 5 s is\n"
    "reported and FILE left unchanged.\n\n"
    "exit status: 0 stored, 1 the CSV has errors or no channel rows, FILE could not be written\n"
    "or stayed locked, 2 bad usage, IN.csv unreadable, too large or not a regular file, or FILE not a\n"
    "channel file\n",
    "IN.csv FILE",
    {},
    runImport};

} // namespace qarlo::cli
