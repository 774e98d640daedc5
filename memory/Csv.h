#pragma once
// The channels as CSV in the generic format other radio programming tools exchange (one row per
// channel: frequency, duplex, signalling, bandwidth). Standard C++ only. How each column maps onto
// a channel record: docs/csv.md.
#include "CQarloDoc.h"
#include "CsvFormat.h"

#include <string>
#include <string_view>
#include <vector>

namespace qarlo {

// The exact header row ExportCsv writes. No Power column: the radio has no power setting, and
// readers that take Power as watts refuse a row whose cell holds anything else.
inline constexpr std::string_view CSV_HEADER =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE";

// UTF-8 text, lines ended by CR LF: the header and one row per channel (0..15) whose rxFreq != 0.
std::string ExportCsv(const CQarloDoc& doc);

struct CsvImportResult {
    std::vector<CsvError> errors;
    std::vector<int> channelsSet; // channel indices 0..15, ascending
    bool ok() const { return errors.empty(); }
};

// Sets the channels the rows name. On any error the document is unchanged; on success with at least
// one row the programmed list is rebuilt, no channel is selected and the document is marked
// modified.
CsvImportResult ImportCsv(CQarloDoc& doc, std::string_view text);

// What ExportCsv(doc) writes but ImportCsv would refuse, because a byte names no frequency, tone
// or code the CSV can hold; line and column point into the exported text. Empty: the export reads
// back exactly.
std::vector<CsvError> CsvExportProblems(const CQarloDoc& doc);

} // namespace qarlo
