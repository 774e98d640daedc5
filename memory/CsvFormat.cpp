#include "CsvFormat.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

namespace qarlo {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

void appendUtf8(std::string& out, unsigned cp) {
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
}

// UTF-16 after its byte-order mark (as spreadsheets save "Unicode text") as UTF-8; a broken pair
// or an odd last byte becomes U+FFFD.
std::string utf16ToUtf8(std::string_view text, bool bigEndian) {
    std::string out;
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned>(static_cast<unsigned char>(text[i]));
        const auto b = static_cast<unsigned>(static_cast<unsigned char>(text[i + 1]));
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    std::size_t i = 2; // after the byte-order mark
    for (; i + 1 < text.size(); i += 2) {
        const unsigned u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < text.size()) {
            const unsigned low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
    }
    if (i < text.size()) appendUtf8(out, 0xFFFD);
    return out;
}

// Walks the text record by record, counting physical lines.
class RecordReader {
public:
    explicit RecordReader(std::string_view input) : text(input) {}

    // Passes blank lines and '#' lines; false at the end of the text.
    bool skipIgnoredLines() {
        while (pos < text.size()) {
            const std::size_t eol = std::min(text.find_first_of("\r\n", pos), text.size());
            const std::string_view physical = trim(text.substr(pos, eol - pos));
            if (!physical.empty() && physical.front() != '#') return true;
            pos = eol + lineBreakAt(eol);
            ++line;
        }
        return false;
    }

    // One record up to its line end; false when a quoted cell is still open at the end.
    bool read(CsvRecord& record) {
        record.line = line;
        std::string field;
        while (pos < text.size()) {
            if (const std::size_t lineBreak = lineBreakAt(pos)) {
                pos += lineBreak;
                ++line;
                break;
            }
            const char ch = text[pos++];
            if (ch == '"') {
                if (!readQuoted(field)) return false;
            } else if (ch == ',') {
                record.fields.emplace_back(trim(field));
                field.clear();
            } else {
                field += ch;
            }
        }
        record.fields.emplace_back(trim(field));
        return true;
    }

private:
    // The length of the line end at `at`: CR LF, LF, or CR alone as old Mac programs write; 0
    // when there is none.
    std::size_t lineBreakAt(std::size_t at) const {
        if (at >= text.size() || (text[at] != '\r' && text[at] != '\n')) return 0;
        return text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
    }

    // After an opening quote: up to the closing one, "" standing for a quote.
    bool readQuoted(std::string& field) {
        while (pos < text.size()) {
            if (text[pos] == '"') {
                if (pos + 1 < text.size() && text[pos + 1] == '"') {
                    field += '"';
                    pos += 2;
                    continue;
                }
                ++pos;
                return true;
            }
            if (const std::size_t lineBreak = lineBreakAt(pos)) {
                field.append(text.substr(pos, lineBreak));
                pos += lineBreak;
                ++line;
                continue;
            }
            field += text[pos++];
        }
        return false;
    }

    std::string_view text;
    std::size_t pos = 0;
    int line = 1;
};

std::string quoted(const std::string& cell) {
    if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
    std::string out = "\"";
    for (char ch : cell) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + '"';
}

} // namespace

std::string DescribeCsvError(const CsvError& e) {
    std::string text = "line " + std::to_string(e.line);
    if (!e.column.empty()) text += ", column " + e.column;
    return text + ": " + e.message;
}

std::vector<CsvRecord> ReadCsvRecords(std::string_view bytes, std::vector<CsvError>& errors) {
    std::string converted;
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        converted = utf16ToUtf8(bytes, bytes[0] == '\xFE');
        bytes = converted;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);

    RecordReader reader(bytes);
    std::vector<CsvRecord> records;
    while (reader.skipIgnoredLines()) {
        CsvRecord record;
        if (!reader.read(record)) {
            errors.push_back(
                {record.line, "", "a quoted cell is not closed before the end of the file"});
            break;
        }
        if (std::any_of(record.fields.begin(), record.fields.end(),
                        [](const std::string& f) { return !f.empty(); }))
            records.push_back(std::move(record));
    }
    return records;
}

std::string CsvLine(std::span<const std::string> cells) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += ',';
        out += quoted(cells[i]);
    }
    return out + "\r\n";
}

std::string ShownCell(std::string_view cell) {
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

} // namespace qarlo
