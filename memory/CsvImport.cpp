// Reading rows of the generic CSV into channel records: columns found by their header name, every
// error of every row collected, and nothing changed unless every row is good.
#include "Csv.h"
#include "CsvColumns.h"
#include "Signalling.h"
#include "Units.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

namespace qarlo {

using namespace csvcolumns;

namespace {

constexpr std::int64_t MAX_UNITS = std::numeric_limits<std::int32_t>::max();

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
    void error(Column c, std::string message) {
        errors.push_back({record.line, columnName(c), std::move(message)});
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
            error(c, std::string("no ") + what + " given");
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
        if (*mhz < 0 || std::round(*mhz * 1000.0 * 100.0) > static_cast<double>(MAX_UNITS)) {
            error(c, ShownCell(*text) + " is outside 0 to 21474.836470 MHz");
            return std::nullopt;
        }
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
        error(c, ShownCell(*text) + " is not one of the 38 tones the radio knows");
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
        error(c, ShownCell(*text) + " is not one of the 83 DCS codes the radio knows");
        return std::nullopt;
    }
};

// One direction as a row sets it: a code type row and, unless it is none, the code byte.
struct Signal {
    int type = CODE_TYPE_NONE;
    std::uint8_t byte = 0;
};

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
                  ShownCell(row.cell(COL_CROSS)) + " is not a cross mode the radio can hold");
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
        row.error(COL_TONE, ShownCell(row.cell(COL_TONE)) +
                                " (reverse squelch) is not something the radio can do");
    } else {
        row.error(COL_TONE,
                  ShownCell(row.cell(COL_TONE)) + " is not one of \"\", Tone, TSQL, DTCS, Cross");
    }
    return out;
}

// The channel index of Location; a channel may be set by one row only.
std::optional<int> readLocation(RowReader& row, std::map<int, int>& lineOfLocation) {
    const std::string_view text = row.cell(COL_LOCATION);
    const auto location = parseLocation(text);
    if (!location) {
        row.error(COL_LOCATION, ShownCell(text) + " is not a channel number");
        return std::nullopt;
    }
    if (*location < 1 || *location > CHANNEL_COUNT) {
        row.error(COL_LOCATION, "channel " + std::to_string(*location) + " is outside 1..16");
        return std::nullopt;
    }
    if (const auto seen = lineOfLocation.find(*location); seen != lineOfLocation.end()) {
        row.error(COL_LOCATION, "channel " + std::to_string(*location) +
                                    " is already set on line " + std::to_string(seen->second));
        return std::nullopt;
    }
    lineOfLocation[*location] = row.record.line;
    return *location - 1;
}

// The transmit frequency from Duplex and Offset.
std::optional<std::int64_t> readTransmit(RowReader& row, std::optional<std::int64_t> rx) {
    const std::string duplex = row.lowerCell(COL_DUPLEX, "");
    if (duplex.empty()) return rx;
    if (duplex == "off") return 0;
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
              ShownCell(row.cell(COL_MODE)) + " is neither FM (25 kHz) nor NFM (12.5 kHz)");
    return std::nullopt;
}

struct RowValues {
    std::optional<int> channel;
    std::optional<std::int64_t> rx, tx;
    SignalPair signalling;
    std::optional<bool> narrow;

    bool complete() const {
        return channel && rx && tx && signalling.tx && signalling.rx && narrow;
    }
};

// Every cell the row uses, in the order its errors are reported.
RowValues readRow(RowReader& row, std::map<int, int>& lineOfLocation) {
    RowValues values;
    values.channel = readLocation(row, lineOfLocation);
    values.rx = row.frequency(COL_FREQUENCY, "a receive frequency");
    values.tx = readTransmit(row, values.rx);
    values.signalling = readSignalling(row);
    values.narrow = readNarrow(row);
    return values;
}

// A direction read as none only loses its coded bit: its CTCSS bit and code byte stay, as the
// editor leaves them.
void applySide(std::uint8_t& flags, std::uint8_t& codeByte, Direction d, const Signal& s) {
    flags = withCodeType(flags, d, s.type);
    if (s.type != CODE_TYPE_NONE) codeByte = s.byte;
}

void applyRow(CQarloDoc& doc, const RowValues& v) {
    const int ch = *v.channel;
    doc.setRxFreq(ch, static_cast<std::int32_t>(*v.rx));
    doc.setTxFreq(ch, static_cast<std::int32_t>(*v.tx));
    std::uint8_t flags = doc.flags(ch);
    flags = static_cast<std::uint8_t>(*v.narrow ? flags | FLAG_NARROW : flags & ~FLAG_NARROW);
    applySide(flags, doc.record(ch)[REC_TX_CODE], Direction::Transmit, *v.signalling.tx);
    applySide(flags, doc.record(ch)[REC_RX_CODE], Direction::Receive, *v.signalling.rx);
    doc.setFlags(ch, flags);
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

} // namespace

CsvImportResult ImportCsv(CQarloDoc& doc, std::string_view text) {
    CsvImportResult result;
    auto& errors = result.errors;
    const std::vector<CsvRecord> records = ReadCsvRecords(text, errors);
    if (records.empty()) {
        if (errors.empty()) errors.push_back({1, "", "the file has no header row"});
        return result;
    }
    const CsvRecord& header = records.front();
    const ColumnIndex index = readHeader(header, errors);
    if (!errors.empty()) return result;

    CQarloDoc work = doc;
    std::map<int, int> lineOfLocation;
    for (auto record = records.begin() + 1; record != records.end(); ++record) {
        if (record->fields.size() != header.fields.size()) {
            errors.push_back({record->line, "",
                              "the row has " + std::to_string(record->fields.size()) +
                                  " cells, the header " + std::to_string(header.fields.size())});
            continue;
        }
        RowReader row{*record, index, errors};
        const RowValues values = readRow(row, lineOfLocation);
        // A value is missing only after its error; any error drops every row below.
        if (!values.complete()) continue;
        applyRow(work, values);
        result.channelsSet.push_back(*values.channel);
    }
    if (!errors.empty()) {
        result.channelsSet.clear();
        return result;
    }
    std::sort(result.channelsSet.begin(), result.channelsSet.end());
    if (!result.channelsSet.empty()) {
        doc.ChannelMemory = work.ChannelMemory;
        doc.selectedChannel = NO_CHANNEL; // as after a load: the editor starts at channel 0
        doc.RebuildProgrammedList();
        doc.SetModifiedFlag(true);
    }
    return result;
}

} // namespace qarlo
