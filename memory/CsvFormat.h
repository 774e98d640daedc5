#pragma once
// The CSV format itself, as spreadsheets and other programs write it: cells separated by commas,
// double quotes around a cell holding a comma, a quote or a line break ("" for a quote inside).
// Knows nothing of channels; the mapping onto a channel lives in Csv.h.
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qarlo {

// What a message is about, so a caller can count, word and translate it without reading text.
enum class CsvReason {
    Malformed,       // a cell or line that cannot be read at all
    Mode,            // a mode other than FM and NFM (the cell names it: AM, USB, DV ...)
    ToneMode,        // a tone mode the radio lacks (DTCS-R, TSQL-R, an unknown cross mode)
    Tone,            // a tone outside the radio's 38
    DcsCode,         // a DCS code outside its 83
    ReceiveOnly,     // Duplex off: the radio needs a transmit frequency
    OutsideBands,    // a frequency no band of the radio can hold (outside 100..520 MHz)
    OffRaster,       // a frequency off the 10 Hz raster, rounded when taken
    LocationTaken,   // a second row for a channel
    PastLastChannel, // a row that would land beyond channel 16
    NotListed,       // a row whose Location the chosen list leaves out
    NotChosen,       // a row the user did not tick
};

// line: 1-based line of the text; column: the header name, or empty when the whole row is meant;
// message: the English detail; cell: the cell's own text where the reason is about it.
struct CsvError {
    CsvError(int atLine, std::string atColumn, std::string text,
             CsvReason why = CsvReason::Malformed, std::string cellText = {})
        : line(atLine), column(std::move(atColumn)), message(std::move(text)), reason(why),
          cell(std::move(cellText)) {}
    int line;
    std::string column;
    std::string message;
    CsvReason reason;
    std::string cell;
};

// "line 3, column Tone: ..." (or "line 3: ..." without a column).
std::string DescribeCsvError(const CsvError& e);

struct CsvRecord {
    int line = 0;                    // where the record starts
    std::vector<std::string> fields; // without quotes, spaces and tabs around them trimmed
};

// The records of an input as it comes from a file: UTF-8 with or without a byte-order mark, or
// UTF-16 with one; lines ended by CR LF, LF or CR alone. Blank lines and lines starting with '#'
// between records are skipped, and so are records of empty cells (a spreadsheet's ",,,,"). A
// quoted cell may span lines; one never closed is an error and ends the reading.
std::vector<CsvRecord> ReadCsvRecords(std::string_view bytes, std::vector<CsvError>& errors);

// One record ended by CR LF, each cell quoted only when it must be.
std::string CsvLine(std::span<const std::string> cells);

// A cell as a message shows it: quoted, a NUL as \0 and other control bytes as \xNN, and no
// longer than a line (a cell can be megabytes long).
std::string ShownCell(std::string_view cell);

} // namespace qarlo
