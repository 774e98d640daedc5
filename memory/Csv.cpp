// How a channel record maps onto a row of the generic CSV, and back.
//
// Frequencies: the record holds 10 Hz units; Frequency and Offset carry MHz with six decimals, so
// every non-negative unit count is written exactly. Reading rounds to the nearest 10 Hz and refuses
// a value the record cannot hold (negative, not finite, above 0x7FFFFFFF units).
//
// Duplex (transmit against receive): equal -> "" (Offset 0.000000); transmit 0 -> "off"; a
// difference of at most 10 MHz -> "+" or "-" with the distance; anything else -> "split" with the
// transmit frequency. Reading accepts all five forms whatever the distance.
//
// Signalling: each direction is none, a CTCSS tone or a DCS code (flags' coded and CTCSS bits).
// Transmit tone only -> "Tone" (rToneFreq); the same tone both ways -> "TSQL" (cToneFreq); the
// same DCS number both ways -> "DTCS" (DtcsCode, DtcsPolarity transmit letter first); anything
// else -> "Cross" with CrossMode, transmit from rToneFreq/DtcsCode, receive from
// cToneFreq/RxDtcsCode. Unused columns carry 88.5, 023, NN, Tone->Tone. DCS rows 83.. are the
// inverted codes, polarity "R".
//
// Mode: FLAG_NARROW set -> "NFM" (12.5 kHz), clear -> "FM". Name is the channel's name ("01频道");
// TStep is 5.00, 6.25 or 2.50, the first raster both frequencies sit on (5.00 when none); Power
// "High"; Skip, Comment and the digital-voice columns empty. Reading ignores these.
//
// A coded direction whose byte the CSV cannot hold exactly (a CTCSS byte of 38 or more, a DCS byte
// that names no row, or one that names a row encoding to another byte such as 0x05 or 0x54..0x7F),
// and a negative frequency, are written as the raw byte ("0x9C") or the negative MHz: a cell that
// reading refuses. So such a channel never comes back silently changed: the import of that file
// fails naming the line and column, and CsvExportProblems lists these cells beforehand.
//
// Reading: columns are found by header name in any order (case-insensitive; unknown ones ignored);
// double quotes with "" escapes, a UTF-8 byte-order mark, UTF-16 with a byte-order mark, and CR
// LF, LF or CR alone as line ends are accepted; blank lines, lines starting with '#' and rows of
// empty cells are skipped; cells are trimmed. Location and Frequency are required columns. A
// message shows a cell cut to a line, with its control bytes visible.
// A missing Duplex, Tone, Mode, DtcsPolarity or CrossMode column means "", "", FM, NN, Tone->Tone;
// a row that needs Offset or a tone or code column the header lacks, or whose needed cell is empty,
// is an error, since guessing a tone would put a wrong one on the air. Cells a row does not use are
// not read. Every error of every row is reported; with any error the document is left unchanged.
//
// A row sets, for the channel at Location: rxFreq, txFreq, FLAG_NARROW (NFM set, FM clear), and per
// direction the coded bit, plus for a coded direction the CTCSS bit and the code byte. A direction
// read as none only loses its coded bit: its CTCSS bit and code byte stay as they were, as the
// editor leaves them. Squelch, flag bits 0x04/0x02/0x01, bytes 11 and 13..15, the spare rows and
// the settings row are never touched. A Location given twice is an error.
#include "Csv.h"

#include "Signalling.h"
#include "Units.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>

namespace qarlo {

namespace {

constexpr std::int64_t SPLIT_DISTANCE = 1000000; // 10 MHz in 10 Hz units
constexpr std::int64_t MAX_UNITS = std::numeric_limits<std::int32_t>::max();

enum Column {
    COL_LOCATION,
    COL_NAME,
    COL_FREQUENCY,
    COL_DUPLEX,
    COL_OFFSET,
    COL_TONE,
    COL_RTONE,
    COL_CTONE,
    COL_DTCS,
    COL_POLARITY,
    COL_RXDTCS,
    COL_CROSS,
    COL_MODE,
    COL_TSTEP,
    COL_SKIP,
    COL_POWER,
    COL_COMMENT,
    COL_URCALL,
    COL_RPT1,
    COL_RPT2,
    COL_DVCODE,
    COLUMN_COUNT
};

constexpr std::array<std::string_view, COLUMN_COUNT> ColumnNames{
    "Location",  "Name",     "Frequency",    "Duplex",     "Offset",    "Tone",     "rToneFreq",
    "cToneFreq", "DtcsCode", "DtcsPolarity", "RxDtcsCode", "CrossMode", "Mode",     "TStep",
    "Skip",      "Power",    "Comment",      "URCALL",     "RPT1CALL",  "RPT2CALL", "DVCODE"};

std::string columnName(Column c) {
    return std::string(ColumnNames[c]);
}

// ---- writing ---------------------------------------------------------------------------------

std::string formatMHz(std::int64_t units) {
    const bool negative = units < 0;
    const std::int64_t u = negative ? -units : units;
    char text[40];
    std::snprintf(text, sizeof text, "%s%lld.%06lld", negative ? "-" : "",
                  static_cast<long long>(u / 100000), static_cast<long long>(u % 100000 * 10));
    return text;
}

std::string hexByte(std::uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(b));
    return text;
}

std::string toneText(int row) {
    std::string text(CtcssTable[static_cast<std::size_t>(row)]);
    if (text.find('.') == std::string::npos) text += ".0";
    return text;
}

enum class Kind { None, Tone, Dcs };

struct Side {
    Kind kind = Kind::None;
    std::string value; // "67.0", "023", or the raw byte when the CSV cannot hold it
    char polarity = 'N';
    std::string problem; // why the value cannot be read back; empty when it can
};

Side describeSide(std::uint8_t flags, std::uint8_t code, Direction d) {
    Side side;
    const char* name = d == Direction::Transmit ? "transmit" : "receive";
    switch (codeTypeRow(flags, d)) {
    case CODE_TYPE_QT:
        side.kind = Kind::Tone;
        if (const auto row = decodeCtcssByte(code)) {
            side.value = toneText(*row);
        } else {
            side.value = hexByte(code);
            side.problem = std::string(name) + " CTCSS byte " + side.value + " names no tone";
        }
        break;
    case CODE_TYPE_DQT: {
        side.kind = Kind::Dcs;
        const auto row = decodeDcsByte(code);
        if (row && encodeDcsRow(*row) == code) {
            side.value = std::string(DcsTable[static_cast<std::size_t>(*row)].substr(0, 3));
            side.polarity = *row >= DCS_NORMAL_COUNT ? 'R' : 'N';
        } else {
            side.value = hexByte(code);
            side.problem = std::string(name) + " DCS byte " + side.value +
                           " is not the byte of any of the 166 codes";
        }
        break;
    }
    default:
        break;
    }
    return side;
}

struct ExportRow {
    std::array<std::string, COLUMN_COUNT> cells;
    std::vector<std::pair<Column, std::string>> problems;
};

const char* stepText(std::int64_t rx, std::int64_t tx) {
    auto all = [&](std::int64_t step) {
        return (rx < 0 ? -rx : rx) % step == 0 && (tx < 0 ? -tx : tx) % step == 0;
    };
    if (all(500)) return "5.00";
    if (all(625)) return "6.25";
    if (all(250)) return "2.50";
    return "5.00";
}

ExportRow buildRow(const CQarloDoc& doc, int ch) {
    ExportRow row;
    auto& c = row.cells;
    const std::int64_t rx = doc.rxFreq(ch);
    const std::int64_t tx = doc.txFreq(ch);
    const std::uint8_t flags = doc.flags(ch);

    c[COL_LOCATION] = std::to_string(ch + 1);
    c[COL_NAME] = std::string(ChannelName(ch));
    c[COL_FREQUENCY] = formatMHz(rx);
    if (rx < 0)
        row.problems.emplace_back(COL_FREQUENCY,
                                  "the receive frequency bytes read as a negative number");

    c[COL_OFFSET] = formatMHz(0);
    if (tx == rx) {
        c[COL_DUPLEX] = "";
    } else if (tx == 0) {
        c[COL_DUPLEX] = "off";
    } else if (tx > 0 && tx - rx > 0 && tx - rx <= SPLIT_DISTANCE) {
        c[COL_DUPLEX] = "+";
        c[COL_OFFSET] = formatMHz(tx - rx);
    } else if (tx > 0 && rx - tx > 0 && rx - tx <= SPLIT_DISTANCE) {
        c[COL_DUPLEX] = "-";
        c[COL_OFFSET] = formatMHz(rx - tx);
    } else {
        c[COL_DUPLEX] = "split";
        c[COL_OFFSET] = formatMHz(tx);
        if (tx < 0)
            row.problems.emplace_back(COL_OFFSET,
                                      "the transmit frequency bytes read as a negative number");
    }

    const Side txSide = describeSide(flags, doc.txCode(ch), Direction::Transmit);
    const Side rxSide = describeSide(flags, doc.rxCode(ch), Direction::Receive);
    c[COL_TONE] = "";
    c[COL_RTONE] = "88.5";
    c[COL_CTONE] = "88.5";
    c[COL_DTCS] = "023";
    c[COL_POLARITY] = "NN";
    c[COL_RXDTCS] = "023";
    c[COL_CROSS] = "Tone->Tone";
    Column txColumn = COL_TONE, rxColumn = COL_TONE;
    if (txSide.kind == Kind::None && rxSide.kind == Kind::None) {
        // no signalling
    } else if (txSide.kind == Kind::Tone && rxSide.kind == Kind::None) {
        c[COL_TONE] = "Tone";
        c[COL_RTONE] = txSide.value;
        txColumn = COL_RTONE;
    } else if (txSide.kind == Kind::Tone && rxSide.kind == Kind::Tone &&
               txSide.value == rxSide.value) {
        c[COL_TONE] = "TSQL";
        c[COL_CTONE] = txSide.value;
        txColumn = rxColumn = COL_CTONE;
    } else if (txSide.kind == Kind::Dcs && rxSide.kind == Kind::Dcs &&
               txSide.value == rxSide.value) {
        c[COL_TONE] = "DTCS";
        c[COL_DTCS] = txSide.value;
        c[COL_POLARITY] = {txSide.polarity, rxSide.polarity};
        txColumn = rxColumn = COL_DTCS;
    } else {
        c[COL_TONE] = "Cross";
        std::string mode;
        if (txSide.kind == Kind::Tone) {
            mode = "Tone";
            c[COL_RTONE] = txSide.value;
            txColumn = COL_RTONE;
        } else if (txSide.kind == Kind::Dcs) {
            mode = "DTCS";
            c[COL_DTCS] = txSide.value;
            c[COL_POLARITY][0] = txSide.polarity;
            txColumn = COL_DTCS;
        }
        mode += "->";
        if (rxSide.kind == Kind::Tone) {
            mode += "Tone";
            c[COL_CTONE] = rxSide.value;
            rxColumn = COL_CTONE;
        } else if (rxSide.kind == Kind::Dcs) {
            mode += "DTCS";
            c[COL_RXDTCS] = rxSide.value;
            c[COL_POLARITY][1] = rxSide.polarity;
            rxColumn = COL_RXDTCS;
        }
        c[COL_CROSS] = mode;
    }
    if (!txSide.problem.empty()) row.problems.emplace_back(txColumn, txSide.problem);
    if (!rxSide.problem.empty()) row.problems.emplace_back(rxColumn, rxSide.problem);

    c[COL_MODE] = (flags & FLAG_NARROW) != 0 ? "NFM" : "FM";
    c[COL_TSTEP] = stepText(rx, tx);
    c[COL_POWER] = "High";
    return row;
}

std::string quoted(const std::string& cell) {
    if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
    std::string out = "\"";
    for (char ch : cell) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + '"';
}

// ---- reading ---------------------------------------------------------------------------------

struct Record {
    int line = 0;
    std::vector<std::string> fields;
};

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& ch : out) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return out;
}

// The length of the line end at `pos`: CR LF, LF, or CR alone as old Mac programs write; 0 when
// there is none.
std::size_t lineBreakAt(std::string_view text, std::size_t pos) {
    if (pos >= text.size() || (text[pos] != '\r' && text[pos] != '\n')) return 0;
    return text.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
}

// Splits the text into records, skipping blank and '#' lines between them.
std::vector<Record> splitRecords(std::string_view text, std::vector<CsvError>& errors) {
    std::vector<Record> records;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::size_t pos = 0;
    int line = 1;
    const std::size_t n = text.size();
    while (pos < n) {
        const std::size_t eol = std::min(text.find_first_of("\r\n", pos), n);
        const std::string_view physical = trim(text.substr(pos, eol - pos));
        if (physical.empty() || physical.front() == '#') {
            pos = eol + lineBreakAt(text, eol);
            ++line;
            continue;
        }
        Record record;
        record.line = line;
        std::string field;
        bool inQuotes = false;
        while (true) {
            if (pos >= n) {
                if (inQuotes) {
                    errors.push_back({record.line, "",
                                      "a quoted cell is not closed before the end of the file"});
                    return records;
                }
                break;
            }
            const char ch = text[pos];
            const std::size_t lineBreak = lineBreakAt(text, pos);
            if (inQuotes) {
                if (ch == '"') {
                    if (pos + 1 < n && text[pos + 1] == '"') {
                        field += '"';
                        pos += 2;
                        continue;
                    }
                    inQuotes = false;
                } else if (lineBreak > 0) {
                    field.append(text.substr(pos, lineBreak));
                    pos += lineBreak;
                    ++line;
                    continue;
                } else {
                    field += ch;
                }
                ++pos;
                continue;
            }
            if (lineBreak > 0) {
                pos += lineBreak;
                ++line;
                break;
            }
            if (ch == '"') {
                inQuotes = true;
            } else if (ch == ',') {
                record.fields.push_back(std::move(field));
                field.clear();
            } else {
                field += ch;
            }
            ++pos;
        }
        record.fields.push_back(std::move(field));
        // A spreadsheet's trailing ",,,," rows carry nothing.
        if (std::all_of(record.fields.begin(), record.fields.end(),
                        [](const std::string& f) { return trim(f).empty(); })) {
            continue;
        }
        records.push_back(std::move(record));
    }
    return records;
}

// UTF-16 with a byte-order mark (as spreadsheets save "Unicode text") as UTF-8; a broken pair or
// an odd last byte becomes U+FFFD.
std::string utf16ToUtf8(std::string_view text, bool bigEndian) {
    std::string out;
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(text[i]);
        const auto b = static_cast<unsigned char>(text[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    auto append = [&out](unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    };
    std::size_t i = 2; // after the byte-order mark
    for (; i + 1 < text.size(); i += 2) {
        const unsigned u = static_cast<unsigned>(unit(i));
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < text.size()) {
            const unsigned low = static_cast<unsigned>(unit(i + 2));
            if (low >= 0xDC00 && low < 0xE000) {
                append(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        append(u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
    }
    if (i < text.size()) append(0xFFFD);
    return out;
}

// A cell as a message shows it: quoted, a NUL as \0 and other control bytes as \xNN, and no
// longer than a line (a cell can be megabytes long).
std::string shown(std::string_view cell) {
    constexpr std::size_t SHOWN_BYTES = 40;
    std::size_t cut = std::min(cell.size(), SHOWN_BYTES);
    while (cut > 0 && cut < cell.size() && (static_cast<unsigned char>(cell[cut]) & 0xC0) == 0x80)
        --cut; // not inside a UTF-8 character
    std::string out = "\"";
    for (const char ch : cell.substr(0, cut)) {
        const auto u = static_cast<unsigned char>(ch);
        if (u == 0) {
            out += "\\0";
        } else if (u < 0x20 || u == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
            out += escaped;
        } else {
            out += ch;
        }
    }
    out += '"';
    if (cut < cell.size()) out += "... (" + std::to_string(cell.size()) + " bytes)";
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

struct RowReader {
    const Record& record;
    const std::array<int, COLUMN_COUNT>& index; // field position of each known column, or -1
    std::vector<CsvError>& errors;

    bool has(Column c) const { return index[c] >= 0; }
    std::string_view cell(Column c) const {
        return trim(record.fields[static_cast<std::size_t>(index[c])]);
    }
    void error(Column c, std::string message) {
        errors.push_back({record.line, columnName(c), std::move(message)});
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
            error(c, shown(*text) + " is not a number");
            return std::nullopt;
        }
        if (*mhz < 0 || std::round(*mhz * 1000.0 * 100.0) > static_cast<double>(MAX_UNITS)) {
            error(c, shown(*text) + " is outside 0 to 21474.836470 MHz");
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
        error(c, shown(*text) + " is not one of the 38 tones the radio knows");
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
        error(c, shown(*text) + " is not one of the 83 DCS codes the radio knows");
        return std::nullopt;
    }
};

struct Signal {
    Kind kind = Kind::None;
    std::uint8_t byte = 0;
};

void applySide(std::uint8_t& flags, std::uint8_t* codeByte, Direction d, const Signal& s) {
    switch (s.kind) {
    case Kind::None:
        flags = static_cast<std::uint8_t>(flags & ~codedBit(d));
        break;
    case Kind::Tone:
        flags = static_cast<std::uint8_t>(flags | codedBit(d) | ctcssBit(d));
        *codeByte = s.byte;
        break;
    case Kind::Dcs:
        flags = static_cast<std::uint8_t>((flags | codedBit(d)) & ~ctcssBit(d));
        *codeByte = s.byte;
        break;
    }
}

std::optional<int> parseLocation(std::string_view s) {
    if (s.empty() || s.size() > 6) return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

} // namespace

std::string ExportCsv(const CQarloDoc& doc) {
    std::string out(CSV_HEADER);
    out += "\r\n";
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        if (doc.rxFreq(ch) == 0) continue;
        const ExportRow row = buildRow(doc, ch);
        for (int col = 0; col < COLUMN_COUNT; ++col) {
            if (col > 0) out += ',';
            out += quoted(row.cells[static_cast<std::size_t>(col)]);
        }
        out += "\r\n";
    }
    return out;
}

std::vector<CsvError> CsvExportProblems(const CQarloDoc& doc) {
    std::vector<CsvError> problems;
    int line = 1;
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        if (doc.rxFreq(ch) == 0) continue;
        ++line;
        for (const auto& [column, message] : buildRow(doc, ch).problems) {
            problems.push_back(
                {line, columnName(column), std::string(ChannelName(ch)) + ": " + message});
        }
    }
    return problems;
}

CsvImportResult ImportCsv(CQarloDoc& doc, std::string_view text) {
    CsvImportResult result;
    std::string converted;
    if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
        converted = utf16ToUtf8(text, text[0] == '\xFE');
        text = converted;
    }
    auto& errors = result.errors;
    const std::vector<Record> records = splitRecords(text, errors);
    if (records.empty()) {
        if (errors.empty()) errors.push_back({1, "", "the file has no header row"});
        return result;
    }

    const Record& header = records.front();
    std::array<int, COLUMN_COUNT> index;
    index.fill(-1);
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string name = lower(trim(header.fields[i]));
        for (int col = 0; col < COLUMN_COUNT; ++col) {
            if (name != lower(ColumnNames[static_cast<std::size_t>(col)])) continue;
            if (index[static_cast<std::size_t>(col)] >= 0) {
                errors.push_back({header.line, columnName(static_cast<Column>(col)),
                                  "the header names this column twice"});
            }
            index[static_cast<std::size_t>(col)] = static_cast<int>(i);
        }
    }
    for (Column required : {COL_LOCATION, COL_FREQUENCY}) {
        if (index[required] < 0) {
            errors.push_back({header.line, columnName(required),
                              "the header has no " + columnName(required) + " column"});
        }
    }
    if (!errors.empty()) return result;

    CQarloDoc work = doc;
    std::map<int, int> lineOfLocation;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const Record& record = records[r];
        if (record.fields.size() != header.fields.size()) {
            errors.push_back({record.line, "",
                              "the row has " + std::to_string(record.fields.size()) +
                                  " cells, the header " + std::to_string(header.fields.size())});
            continue;
        }
        RowReader row{record, index, errors};
        const std::size_t errorsBefore = errors.size();

        std::optional<int> channel;
        const std::string_view locationText = row.cell(COL_LOCATION);
        const auto location = parseLocation(locationText);
        if (!location) {
            row.error(COL_LOCATION, shown(locationText) + " is not a channel number");
        } else if (*location < 1 || *location > CHANNEL_COUNT) {
            row.error(COL_LOCATION, "channel " + std::to_string(*location) + " is outside 1..16");
        } else if (const auto seen = lineOfLocation.find(*location); seen != lineOfLocation.end()) {
            row.error(COL_LOCATION, "channel " + std::to_string(*location) +
                                        " is already set on line " + std::to_string(seen->second));
        } else {
            lineOfLocation[*location] = record.line;
            channel = *location - 1;
        }

        const auto rx = row.frequency(COL_FREQUENCY, "a receive frequency");
        std::optional<std::int64_t> tx;
        const std::string duplex = row.has(COL_DUPLEX) ? lower(row.cell(COL_DUPLEX)) : "";
        if (duplex.empty()) {
            tx = rx;
        } else if (duplex == "off") {
            tx = 0;
        } else if (duplex == "split") {
            tx = row.frequency(COL_OFFSET, "a transmit frequency");
        } else if (duplex == "+" || duplex == "-") {
            const auto offset = row.frequency(COL_OFFSET, "an offset");
            if (rx && offset) {
                const std::int64_t value = duplex == "+" ? *rx + *offset : *rx - *offset;
                if (value < 0 || value > MAX_UNITS) {
                    row.error(COL_OFFSET, "the transmit frequency " + formatMHz(value) +
                                              " MHz is outside 0 to 21474.836470 MHz");
                } else {
                    tx = value;
                }
            }
        } else {
            row.error(COL_DUPLEX,
                      shown(row.cell(COL_DUPLEX)) + " is not one of \"\", +, -, split, off");
        }

        // DtcsPolarity: two letters N or R, transmit first; only read when a DCS code is used.
        std::optional<std::array<char, 2>> polarity;
        bool polarityRead = false;
        auto polarityLetter = [&](int side) -> std::optional<char> {
            if (!polarityRead) {
                polarityRead = true;
                const std::string letters =
                    row.has(COL_POLARITY) ? lower(row.cell(COL_POLARITY)) : "nn";
                if (letters.size() == 2 && (letters[0] == 'n' || letters[0] == 'r') &&
                    (letters[1] == 'n' || letters[1] == 'r')) {
                    polarity = std::array<char, 2>{letters[0] == 'r' ? 'R' : 'N',
                                                   letters[1] == 'r' ? 'R' : 'N'};
                } else {
                    row.error(COL_POLARITY, shown(row.cell(COL_POLARITY)) +
                                                " is not two letters N or R (transmit first)");
                }
            }
            if (!polarity) return std::nullopt;
            return (*polarity)[static_cast<std::size_t>(side)];
        };
        auto toneSignal = [&](Column c, const char* what) -> std::optional<Signal> {
            const auto byte = row.tone(c, what);
            if (!byte) return std::nullopt;
            return Signal{Kind::Tone, *byte};
        };
        auto codeSignal = [&](Column c, const char* what, int side) -> std::optional<Signal> {
            const auto letter = polarityLetter(side);
            const auto byte = row.code(c, what, letter);
            if (!byte) return std::nullopt;
            return Signal{Kind::Dcs, *byte};
        };

        std::optional<Signal> txSignal = Signal{}, rxSignal = Signal{};
        const std::string tone = row.has(COL_TONE) ? lower(row.cell(COL_TONE)) : "";
        if (tone.empty()) {
            // no signalling either way
        } else if (tone == "tone") {
            txSignal = toneSignal(COL_RTONE, "a transmit tone");
        } else if (tone == "tsql") {
            txSignal = rxSignal = toneSignal(COL_CTONE, "a tone");
        } else if (tone == "dtcs") {
            txSignal = codeSignal(COL_DTCS, "a DCS code", 0);
            if (txSignal)
                rxSignal = codeSignal(COL_DTCS, "a DCS code", 1);
            else
                rxSignal.reset();
        } else if (tone == "cross") {
            const std::string cross =
                row.has(COL_CROSS) ? lower(row.cell(COL_CROSS)) : "tone->tone";
            const std::size_t arrow = cross.find("->");
            const std::string left = arrow == std::string::npos ? "?" : cross.substr(0, arrow);
            const std::string right = arrow == std::string::npos ? "?" : cross.substr(arrow + 2);
            auto known = [](const std::string& s) {
                return s.empty() || s == "tone" || s == "dtcs";
            };
            if (!known(left) || !known(right) || (left.empty() && right.empty())) {
                row.error(COL_CROSS,
                          shown(row.cell(COL_CROSS)) + " is not a cross mode the radio can hold");
            } else {
                if (left == "tone") txSignal = toneSignal(COL_RTONE, "a transmit tone");
                if (left == "dtcs") txSignal = codeSignal(COL_DTCS, "a transmit DCS code", 0);
                if (right == "tone") rxSignal = toneSignal(COL_CTONE, "a receive tone");
                if (right == "dtcs") rxSignal = codeSignal(COL_RXDTCS, "a receive DCS code", 1);
            }
        } else if (tone == "tsql-r" || tone == "dtcs-r") {
            row.error(COL_TONE, shown(row.cell(COL_TONE)) +
                                    " (reverse squelch) is not something the radio can do");
        } else {
            row.error(COL_TONE,
                      shown(row.cell(COL_TONE)) + " is not one of \"\", Tone, TSQL, DTCS, Cross");
        }

        std::optional<bool> narrow;
        const std::string mode = row.has(COL_MODE) ? lower(row.cell(COL_MODE)) : "fm";
        if (mode == "fm")
            narrow = false;
        else if (mode == "nfm")
            narrow = true;
        else
            row.error(COL_MODE,
                      shown(row.cell(COL_MODE)) + " is neither FM (25 kHz) nor NFM (12.5 kHz)");

        if (errors.size() != errorsBefore || !channel || !rx || !tx || !txSignal || !rxSignal ||
            !narrow)
            continue;
        const int ch = *channel;
        work.setRxFreq(ch, static_cast<std::int32_t>(*rx));
        work.setTxFreq(ch, static_cast<std::int32_t>(*tx));
        std::uint8_t flags = work.flags(ch);
        flags = static_cast<std::uint8_t>(*narrow ? flags | FLAG_NARROW : flags & ~FLAG_NARROW);
        applySide(flags, work.record(ch) + REC_TX_CODE, Direction::Transmit, *txSignal);
        applySide(flags, work.record(ch) + REC_RX_CODE, Direction::Receive, *rxSignal);
        work.setFlags(ch, flags);
        result.channelsSet.push_back(ch);
    }

    if (!errors.empty()) {
        result.channelsSet.clear();
        return result;
    }
    std::sort(result.channelsSet.begin(), result.channelsSet.end());
    if (!result.channelsSet.empty()) {
        doc.ChannelMemory = work.ChannelMemory;
        doc.RebuildProgrammedList();
        doc.SetModifiedFlag(true);
    }
    return result;
}

std::string DescribeCsvError(const CsvError& e) {
    std::string text = "line " + std::to_string(e.line);
    if (!e.column.empty()) text += ", column " + e.column;
    return text + ": " + e.message;
}

} // namespace qarlo
