#pragma once
// The channels as CSV in the generic format other radio programming tools exchange (one row per
// channel: frequency, duplex, signalling, bandwidth). Standard C++ only. How each column maps onto
// a channel record: docs/csv.md.
#include "CQarloDoc.h"
#include "CodeTables.h"
#include "CsvFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qarlo {

// The exact header row ExportCsv writes. No Power column: the radio has no power setting, and
// readers that take Power as watts refuse a row whose cell holds anything else.
inline constexpr std::string_view CSV_HEADER =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE";

// UTF-8 text, lines ended by CR LF: the header and one row per channel (0..15) whose rxFreq != 0.
std::string ExportCsv(const CQarloDoc& doc);

// One direction as a row sets it: CODE_TYPE_QT, _DQT or _NONE and, unless none, the code byte.
struct CsvSide {
    int type = CODE_TYPE_NONE;
    std::uint8_t byte = 0;
};

// What a readable row sets on a channel.
struct CsvChannel {
    std::int32_t rx = 0, tx = 0;
    bool narrow = false;
    CsvSide transmit, receive;
};

// One data row of a file and what the import makes of it.
struct CsvPlanRow {
    int line = 0;
    std::optional<int> location;              // as the file numbers it
    std::optional<CsvChannel> values;         // set when every cell the row uses reads
    std::vector<CsvError> problems;           // what keeps the radio from storing it; empty: usable
    int channel = -1;                         // 0..15 where it goes; -1: left out
    CsvReason leftOut = CsvReason::Malformed; // why, when channel is -1
    bool usable() const { return values.has_value() && problems.empty(); }
};

struct CsvImportOptions {
    int renumberFrom = 0; // 1..16: the chosen rows fill channels from it in file order; 0: Location
    std::vector<std::pair<int, int>> locations; // inclusive Location ranges; empty: every row
    bool skipUnusable = false; // leave out rows the radio cannot store instead of refusing
    std::vector<int> unticked; // lines of rows the user took out of the choice, ascending
};

struct CsvImportPlan {
    std::vector<CsvError> fileErrors; // the file's layout and header: these always refuse
    std::vector<CsvError> errors;     // everything that refuses the import as chosen
    std::vector<CsvPlanRow> rows;     // every data row, in file order
    int locationBase = 1;             // the Location of channel 1: 0 when the file numbers from 0
    bool ok() const { return errors.empty(); }
};

// The rows of a CSV text read, and chosen by `options`.
CsvImportPlan PlanCsvImport(std::string_view text, const CsvImportOptions& options = {});
// Chooses again: assigns channels and collects the errors anew (the rows stay as read).
void ChooseCsvRows(CsvImportPlan& plan, const CsvImportOptions& options);

// "0-15", "1,3,20-25": inclusive ranges of non-negative numbers; none when the text is not one.
std::optional<std::vector<std::pair<int, int>>> ParseLocationList(std::string_view text);

// How many rows were left out for each reason, the largest count first; for Mode, per mode.
struct CsvLeftOutCount {
    CsvReason reason;
    std::string mode; // upper case, for CsvReason::Mode
    int count;
};
std::vector<CsvLeftOutCount> CountLeftOut(const CsvImportPlan& plan);

// The band after an import: the one it set, or the document's own, and which channels it misses.
struct CsvBandNote {
    bool set = false;         // the document had no band (0-0) and the import set this one
    bool noBandHolds = false; // the document had none and no band of the radio holds every channel
    int lowMHz = 0, highMHz = 0; // the band; with noBandHolds, the spread of the channels
    std::vector<int> outside;    // channels (0..15) that cannot be written as they stand
};

// The smallest band of the radio (lower edge 100..480 whole MHz, 10..40 MHz wide) holding every
// frequency of the channels with a receive frequency; none when no band does or no channel is set.
std::optional<std::pair<int, int>> SmallestBandMHz(const CQarloDoc& doc);

struct CsvImportResult {
    std::vector<CsvError> errors;
    std::vector<int> channelsSet; // channel indices 0..15, ascending
    CsvBandNote band;
    bool ok() const { return errors.empty(); }
};

// Sets the channels the plan's rows go to. On any error the document is unchanged; on success
// with at least one row the programmed list is rebuilt, no channel is selected, the band is set
// when the document had none and one holds every channel, and the document is marked modified.
CsvImportResult ApplyCsvImport(CQarloDoc& doc, const CsvImportPlan& plan);

// Plans with the default options (every row, by Location, refuse on any problem) and applies.
CsvImportResult ImportCsv(CQarloDoc& doc, std::string_view text);

// What ExportCsv(doc) writes but ImportCsv would refuse, because a byte names no frequency, tone
// or code the CSV can hold; line and column point into the exported text. Empty: the export reads
// back exactly.
std::vector<CsvError> CsvExportProblems(const CQarloDoc& doc);

} // namespace qarlo
