// Reading rows of the generic CSV into what each would set on a channel: columns found by their
// header name, and every problem of every row collected with its line, column and reason.
#include "Csv.h"
#include "CsvColumns.h"
#include "Signalling.h"
#include "Units.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace qarlo {

using namespace csvcolumns;

namespace {

constexpr std::int64_t MAX_UNITS = std::numeric_limits<std::int32_t>::max();
// What any band of the radio can hold: lower edges 100..480 MHz, at most 40 MHz wide.
constexpr std::int64_t RADIO_LOWEST = 10000000, RADIO_HIGHEST = 52000000;

using ColumnIndex = std::array<int, COLUMN_COUNT>; // field position of each known column, or -1

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& ch : out) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return out;
}

std::optional<double> parseNumber(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseLocation(std::string_view s) {
    if (s.empty() || s.size() > 6) return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

// The cells of one row by column, and its errors.
struct RowReader {
    const CsvRecord& record;
    const ColumnIndex& index;
    std::vector<CsvError>& errors;

    bool has(Column c) const { return index[c] >= 0; }
    std::string_view cell(Column c) const {
        return record.fields[static_cast<std::size_t>(index[c])];
    }
    void error(Column c, std::string message, CsvReason reason = CsvReason::Malformed) {
        errors.push_back({record.line, columnName(c), std::move(message), reason,
                          has(c) ? std::string(cell(c)) : std::string()});
    }
    // A cell in lower case, or `absent` when the header has no such column.
    std::string lowerCell(Column c, std::string_view absent) const {
        return has(c) ? lower(cell(c)) : std::string(absent);
    }
    // The cell of a column the row needs a value from; an error when there is none.
    std::optional<std::string_view> needed(Column c, const char* what) {
        if (!has(c)) {
            error(c, std::string("the row needs ") + what + ", but the header has no " +
                         columnName(c) + " column");
            return std::nullopt;
        }
        if (cell(c).empty()) {
            error(c, std::string("the row needs ") + what + ", but the cell is empty");
            return std::nullopt;
        }
        return cell(c);
    }
    std::optional<std::int64_t> frequency(Column c, const char* what) {
        const auto text = needed(c, what);
        if (!text) return std::nullopt;
        const auto mhz = parseNumber(*text);
        if (!mhz) {
            error(c, ShownCell(*text) + " is not a number");
            return std::nullopt;
        }
        const double units = *mhz * 1000.0 * 100.0;
        if (*mhz < 0 || std::round(units) > static_cast<double>(MAX_UNITS)) {
            error(c, ShownCell(*text) + " is outside 0 to 21474.836470 MHz");
            return std::nullopt;
        }
        if (std::fabs(units - std::round(units)) > 1e-3)
            error(c, ShownCell(*text) + " MHz is not a whole number of 10 Hz",
                  CsvReason::OffRaster);
        return FrequencyUnitsFromMHz(*mhz);
    }
    std::optional<std::uint8_t> tone(Column c, const char* what) {
        const auto text = needed(c, what);
        if (!text) return std::nullopt;
        if (const auto hz = parseNumber(*text)) {
            for (std::size_t row = 0; row < CtcssTable.size(); ++row) {
                const auto tableHz = parseNumber(CtcssTable[row]);
                if (tableHz && std::fabs(*tableHz - *hz) < 1e-6)
                    return encodeCtcssRow(static_cast<int>(row));
            }
        }
        error(c, ShownCell(*text) + " is not one of the 38 tones the radio knows", CsvReason::Tone);
        return std::nullopt;
    }
    // A DCS code with its polarity letter ('N' or 'R').
    std::optional<std::uint8_t> code(Column c, const char* what, std::optional<char> polarity) {
        const auto text = needed(c, what);
        if (!text) return std::nullopt;
        std::string digits(*text);
        const bool allDigits = !digits.empty() && digits.size() <= 3 &&
                               std::all_of(digits.begin(), digits.end(),
                                           [](char ch) { return ch >= '0' && ch <= '9'; });
        if (allDigits) digits.insert(0, 3 - digits.size(), '0');
        for (int row = 0; allDigits && row < DCS_NORMAL_COUNT; ++row) {
            if (DcsTable[static_cast<std::size_t>(row)].substr(0, 3) == digits) {
                if (!polarity) return std::nullopt; // reported on DtcsPolarity
                return encodeDcsRow(*polarity == 'R' ? row + DCS_NORMAL_COUNT : row);
            }
        }
        error(c, ShownCell(*text) + " is not one of the 83 DCS codes the radio knows",
              CsvReason::DcsCode);
        return std::nullopt;
    }
};

using Signal = CsvSide;

struct SignalPair {
    std::optional<Signal> tx = Signal{};
    std::optional<Signal> rx = Signal{};
};

// The signalling cells of one row. DtcsPolarity is read once, and only when a DCS code is used.
class SignallingReader {
public:
    explicit SignallingReader(RowReader& reader) : row(reader) {}

    std::optional<Signal> tone(Column c, const char* what) {
        const auto byte = row.tone(c, what);
        if (!byte) return std::nullopt;
        return Signal{CODE_TYPE_QT, *byte};
    }
    std::optional<Signal> code(Column c, const char* what, std::size_t side) {
        const auto letter = polarityLetter(side);
        const auto byte = row.code(c, what, letter);
        if (!byte) return std::nullopt;
        return Signal{CODE_TYPE_DQT, *byte};
    }
    // One side of a CrossMode: "tone", "dtcs" or "" (none).
    std::optional<Signal> crossSide(std::string_view kind, const DirectionColumns& at,
                                    const char* toneWhat, const char* codeWhat) {
        if (kind == "tone") return tone(at.tone, toneWhat);
        if (kind == "dtcs") return code(at.code, codeWhat, at.polarity);
        return Signal{};
    }

private:
    // DtcsPolarity: two letters N or R, transmit first.
    std::optional<char> polarityLetter(std::size_t side) {
        if (!polarityRead) {
            polarityRead = true;
            const std::string letters = row.lowerCell(COL_POLARITY, "nn");
            auto letter = [](char ch) { return ch == 'n' || ch == 'r'; };
            if (letters.size() == 2 && letter(letters[0]) && letter(letters[1])) {
                polarity = std::array<char, 2>{letters[0] == 'r' ? 'R' : 'N',
                                               letters[1] == 'r' ? 'R' : 'N'};
            } else {
                row.error(COL_POLARITY, ShownCell(row.cell(COL_POLARITY)) +
                                            " is not two letters N or R (transmit first)");
            }
        }
        if (!polarity) return std::nullopt;
        return (*polarity)[side];
    }

    RowReader& row;
    bool polarityRead = false;
    std::optional<std::array<char, 2>> polarity;
};

SignalPair readCross(RowReader& row, SignallingReader& read) {
    SignalPair out;
    const std::string cross = row.lowerCell(COL_CROSS, "tone->tone");
    const std::size_t arrow = cross.find("->");
    const std::string left = arrow == std::string::npos ? "?" : cross.substr(0, arrow);
    const std::string right = arrow == std::string::npos ? "?" : cross.substr(arrow + 2);
    auto known = [](const std::string& s) { return s.empty() || s == "tone" || s == "dtcs"; };
    if (!known(left) || !known(right) || (left.empty() && right.empty())) {
        row.error(COL_CROSS,
                  ShownCell(row.cell(COL_CROSS)) + " is not a cross mode the radio can hold",
                  CsvReason::ToneMode);
        return out;
    }
    out.tx = read.crossSide(left, TX_COLUMNS, "a transmit tone", "a transmit DCS code");
    out.rx = read.crossSide(right, RX_COLUMNS, "a receive tone", "a receive DCS code");
    return out;
}

SignalPair readSignalling(RowReader& row) {
    SignallingReader read(row);
    SignalPair out;
    const std::string tone = row.lowerCell(COL_TONE, "");
    if (tone.empty()) {
        // no signalling either way
    } else if (tone == "tone") {
        out.tx = read.tone(COL_RTONE, "a transmit tone");
    } else if (tone == "tsql") {
        out.tx = out.rx = read.tone(COL_CTONE, "a tone");
    } else if (tone == "dtcs") {
        out.tx = read.code(COL_DTCS, "a DCS code", 0);
        out.rx = out.tx ? read.code(COL_DTCS, "a DCS code", 1) : std::nullopt;
    } else if (tone == "cross") {
        out = readCross(row, read);
    } else if (tone == "tsql-r" || tone == "dtcs-r") {
        row.error(COL_TONE,
                  ShownCell(row.cell(COL_TONE)) +
                      " (reverse squelch) is not something the radio can do",
                  CsvReason::ToneMode);
    } else {
        row.error(COL_TONE,
                  ShownCell(row.cell(COL_TONE)) + " is not one of \"\", Tone, TSQL, DTCS, Cross",
                  CsvReason::ToneMode);
    }
    return out;
}

// Location as the file numbers it; which channel that is depends on the whole file.
std::optional<int> readLocation(RowReader& row) {
    const std::string_view text = row.cell(COL_LOCATION);
    const auto location = parseLocation(text);
    if (!location || *location < 0) {
        row.error(COL_LOCATION, ShownCell(text) + " is not a channel number");
        return std::nullopt;
    }
    return location;
}

// The transmit frequency from Duplex and Offset.
std::optional<std::int64_t> readTransmit(RowReader& row, std::optional<std::int64_t> rx) {
    const std::string duplex = row.lowerCell(COL_DUPLEX, "");
    if (duplex.empty()) return rx;
    if (duplex == "off") {
        row.error(COL_DUPLEX,
                  "Duplex off is receive only, but the radio needs a transmit frequency",
                  CsvReason::ReceiveOnly);
        return std::nullopt;
    }
    if (duplex == "split") return row.frequency(COL_OFFSET, "a transmit frequency");
    if (duplex != "+" && duplex != "-") {
        row.error(COL_DUPLEX,
                  ShownCell(row.cell(COL_DUPLEX)) + " is not one of \"\", +, -, split, off");
        return std::nullopt;
    }
    const auto offset = row.frequency(COL_OFFSET, "an offset");
    if (!rx || !offset) return std::nullopt;
    const std::int64_t value = duplex == "+" ? *rx + *offset : *rx - *offset;
    if (value < 0 || value > MAX_UNITS) {
        row.error(COL_OFFSET, "the transmit frequency " + FormatMHz(value, MHZ_DECIMALS) +
                                  " MHz is outside 0 to 21474.836470 MHz");
        return std::nullopt;
    }
    return value;
}

std::optional<bool> readNarrow(RowReader& row) {
    const std::string mode = row.lowerCell(COL_MODE, "fm");
    if (mode == "fm") return false;
    if (mode == "nfm") return true;
    row.error(COL_MODE,
              ShownCell(row.cell(COL_MODE)) + " is neither FM (25 kHz) nor NFM (12.5 kHz)",
              CsvReason::Mode);
    return std::nullopt;
}

// A frequency no band of the radio can hold is taken as it is, but noted: it cannot be written.
void noteBands(RowReader& row, Column c, std::int64_t units) {
    if (units >= RADIO_LOWEST && units <= RADIO_HIGHEST) return;
    row.error(c,
              FormatMHz(units) + " MHz is outside every band the radio can have (100 to 520 MHz)",
              CsvReason::OutsideBands);
}

// Every cell the row uses, in the order its problems are reported.
CsvPlanRow readRow(RowReader& row) {
    CsvPlanRow out;
    out.line = row.record.line;
    out.location = readLocation(row);
    const auto rx = row.frequency(COL_FREQUENCY, "a receive frequency");
    if (rx) noteBands(row, COL_FREQUENCY, *rx);
    const auto tx = readTransmit(row, rx);
    if (tx && tx != rx) noteBands(row, COL_OFFSET, *tx);
    const SignalPair signalling = readSignalling(row);
    const auto narrow = readNarrow(row);
    if (out.location && rx && tx && signalling.tx && signalling.rx && narrow) {
        out.values = CsvChannel{static_cast<std::int32_t>(*rx), static_cast<std::int32_t>(*tx),
                                *narrow, *signalling.tx, *signalling.rx};
    }
    return out;
}

// Where each known column is; Location and Frequency must be there, and no column twice.
ColumnIndex readHeader(const CsvRecord& header, std::vector<CsvError>& errors) {
    ColumnIndex index;
    index.fill(-1);
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string name = lower(header.fields[i]);
        for (std::size_t col = 0; col < COLUMN_COUNT; ++col) {
            if (name != lower(ColumnNames[col])) continue;
            if (index[col] >= 0) {
                errors.push_back({header.line, columnName(static_cast<Column>(col)),
                                  "the header names this column twice"});
            }
            index[col] = static_cast<int>(i);
        }
    }
    for (Column required : {COL_LOCATION, COL_FREQUENCY}) {
        if (index[required] < 0) {
            errors.push_back({header.line, columnName(required),
                              "the header has no " + columnName(required) + " column"});
        }
    }
    return index;
}

// One data row; older writers end a row with more empty cells than the header names.
CsvPlanRow readRecord(const CsvRecord& record, std::size_t width, const ColumnIndex& index) {
    const auto& f = record.fields;
    const bool extraEmpty =
        f.size() >= width && std::all_of(f.begin() + static_cast<std::ptrdiff_t>(width), f.end(),
                                         [](const std::string& cell) { return cell.empty(); });
    CsvPlanRow out;
    if (!extraEmpty) {
        out.line = record.line;
        out.problems.push_back({record.line, "",
                                "the row has " + std::to_string(f.size()) + " cells, the header " +
                                    std::to_string(width)});
        return out;
    }
    std::vector<CsvError> problems;
    RowReader row{record, index, problems};
    out = readRow(row);
    out.problems = std::move(problems);
    return out;
}

} // namespace

CsvImportPlan PlanCsvImport(std::string_view text, const CsvImportOptions& options) {
    CsvImportPlan plan;
    auto& errors = plan.fileErrors;
    const std::vector<CsvRecord> records = ReadCsvRecords(text, errors);
    if (records.empty() && errors.empty()) errors.push_back({1, "", "the file has no header row"});
    const ColumnIndex index = records.empty() ? ColumnIndex{} : readHeader(records.front(), errors);
    for (std::size_t i = 1; errors.empty() && i < records.size(); ++i)
        plan.rows.push_back(readRecord(records[i], records.front().fields.size(), index));
    ChooseCsvRows(plan, options);
    return plan;
}

} // namespace qarlo
