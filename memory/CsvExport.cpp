// Writing channels as rows of the generic CSV, and what of them an import would refuse.
#include "Csv.h"
#include "CsvColumns.h"
#include "Signalling.h"
#include "Units.h"

#include <array>
#include <cstdio>
#include <utility>

namespace qarlo {

using namespace csvcolumns;

namespace {

constexpr std::int64_t SPLIT_DISTANCE = 1000000; // 10 MHz in 10 Hz units

std::string mhzCell(std::int64_t units) {
    return FormatMHz(units, MHZ_DECIMALS);
}

std::string hexByte(std::uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(b));
    return text;
}

// One direction as the CSV holds it.
struct Side {
    int type = CODE_TYPE_NONE;
    std::string value; // "67.0", "023", or the raw byte when the CSV cannot hold it
    char polarity = 'N';
    std::string problem; // why the value cannot be read back; empty when it can
};

Side describeSide(std::uint8_t flags, std::uint8_t code, Direction d) {
    Side side{codeTypeRow(flags, d), {}, 'N', {}};
    if (side.type == CODE_TYPE_NONE) return side;
    const char* name = d == Direction::Transmit ? "transmit" : "receive";
    const auto row = codeRow(flags, code, d);
    if (side.type == CODE_TYPE_QT && row) {
        side.value = std::string(CtcssTable[static_cast<std::size_t>(*row)]);
        if (side.value.find('.') == std::string::npos) side.value += ".0";
    } else if (side.type == CODE_TYPE_DQT && row && encodeDcsRow(*row) == code) {
        side.value = std::string(DcsTable[static_cast<std::size_t>(*row)].substr(0, 3));
        side.polarity = *row >= DCS_NORMAL_COUNT ? 'R' : 'N';
    } else {
        side.value = hexByte(code);
        side.problem = std::string(name) + (side.type == CODE_TYPE_QT
                                                ? " CTCSS byte " + side.value + " names no tone"
                                                : " DCS byte " + side.value +
                                                      " is not the byte of any of the 166 codes");
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

// Frequency, Duplex and Offset.
void setFrequencies(ExportRow& row, std::int64_t rx, std::int64_t tx) {
    auto& c = row.cells;
    c[COL_FREQUENCY] = mhzCell(rx);
    if (rx < 0)
        row.problems.emplace_back(COL_FREQUENCY,
                                  "the receive frequency bytes read as a negative number");
    c[COL_OFFSET] = mhzCell(0);
    if (tx == rx) {
        c[COL_DUPLEX] = "";
    } else if (tx == 0) {
        c[COL_DUPLEX] = "off";
        row.problems.emplace_back(COL_DUPLEX, "transmit frequency 0 reads as receive only");
    } else if (tx > 0 && tx - rx > 0 && tx - rx <= SPLIT_DISTANCE) {
        c[COL_DUPLEX] = "+";
        c[COL_OFFSET] = mhzCell(tx - rx);
    } else if (tx > 0 && rx - tx > 0 && rx - tx <= SPLIT_DISTANCE) {
        c[COL_DUPLEX] = "-";
        c[COL_OFFSET] = mhzCell(rx - tx);
    } else {
        c[COL_DUPLEX] = "split";
        c[COL_OFFSET] = mhzCell(tx);
        if (tx < 0)
            row.problems.emplace_back(COL_OFFSET,
                                      "the transmit frequency bytes read as a negative number");
    }
}

// One direction of a Cross row: its part of CrossMode; `used` is the column its value went to.
std::string setCrossSide(ExportRow& row, const Side& side, const DirectionColumns& at,
                         Column& used) {
    auto& c = row.cells;
    if (side.type == CODE_TYPE_QT) {
        c[at.tone] = side.value;
        used = at.tone;
        return "Tone";
    }
    if (side.type == CODE_TYPE_DQT) {
        c[at.code] = side.value;
        c[COL_POLARITY][at.polarity] = side.polarity;
        used = at.code;
        return "DTCS";
    }
    return "";
}

// Tone and the columns it needs: Tone, TSQL and DTCS where they fit, else Cross.
void setSignalling(ExportRow& row, const Side& tx, const Side& rx) {
    auto& c = row.cells;
    c[COL_TONE] = "";
    c[COL_RTONE] = "88.5";
    c[COL_CTONE] = "88.5";
    c[COL_DTCS] = "023";
    c[COL_POLARITY] = "NN";
    c[COL_RXDTCS] = "023";
    c[COL_CROSS] = "Tone->Tone";
    Column txColumn = COL_TONE, rxColumn = COL_TONE;
    const bool same = tx.type == rx.type && tx.value == rx.value;
    if (tx.type == CODE_TYPE_NONE && rx.type == CODE_TYPE_NONE) {
        // no signalling
    } else if (tx.type == CODE_TYPE_QT && rx.type == CODE_TYPE_NONE) {
        c[COL_TONE] = "Tone";
        c[COL_RTONE] = tx.value;
        txColumn = COL_RTONE;
    } else if (tx.type == CODE_TYPE_QT && same) {
        c[COL_TONE] = "TSQL";
        c[COL_CTONE] = tx.value;
        txColumn = rxColumn = COL_CTONE;
    } else if (tx.type == CODE_TYPE_DQT && same) {
        c[COL_TONE] = "DTCS";
        c[COL_DTCS] = tx.value;
        c[COL_POLARITY] = {tx.polarity, rx.polarity};
        txColumn = rxColumn = COL_DTCS;
    } else {
        c[COL_TONE] = "Cross";
        const std::string txMode = setCrossSide(row, tx, TX_COLUMNS, txColumn);
        c[COL_CROSS] = txMode + "->" + setCrossSide(row, rx, RX_COLUMNS, rxColumn);
    }
    if (!tx.problem.empty()) row.problems.emplace_back(txColumn, tx.problem);
    if (!rx.problem.empty()) row.problems.emplace_back(rxColumn, rx.problem);
}

ExportRow buildRow(const CQarloDoc& doc, int ch) {
    ExportRow row;
    const std::uint8_t flags = doc.flags(ch);
    row.cells[COL_LOCATION] = std::to_string(ch + 1);
    row.cells[COL_NAME] = std::string(ChannelName(ch));
    setFrequencies(row, doc.rxFreq(ch), doc.txFreq(ch));
    setSignalling(row, describeSide(flags, doc.txCode(ch), Direction::Transmit),
                  describeSide(flags, doc.rxCode(ch), Direction::Receive));
    row.cells[COL_MODE] = (flags & FLAG_NARROW) != 0 ? "NFM" : "FM";
    row.cells[COL_TSTEP] = stepText(doc.rxFreq(ch), doc.txFreq(ch));
    return row;
}

} // namespace

std::string ExportCsv(const CQarloDoc& doc) {
    std::string out(CSV_HEADER);
    out += "\r\n";
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        if (doc.rxFreq(ch) != 0) out += CsvLine(buildRow(doc, ch).cells);
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

} // namespace qarlo
