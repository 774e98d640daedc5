#include "ChannelClipboard.h"

#include "memory/Csv.h"
#include "platform/ReadFile.h"

#include <QMimeData>
#include <QStringList>

#include <algorithm>

namespace qarlo {

namespace {

bool validChannel(int channel) {
    return channel >= 0 && channel < CHANNEL_COUNT;
}

// A spreadsheet copies cells separated by tabs: the same rows as CSV, each cell quoted if needed.
std::string TabsToCsv(const QString& text) {
    std::string csv;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        std::vector<std::string> cells;
        for (const QString& cell : line.split(QLatin1Char('\t')))
            cells.push_back(cell.trimmed().toStdString());
        csv += CsvLine(cells);
    }
    return csv;
}

// The text as the import reads a file: rows without the header get the export's header, and
// the messages then count the lines of the text as pasted.
PastedChannels ChannelsFromText(const QString& pasted) {
    // No more than a file of channels may hold, as the import takes it.
    if (static_cast<std::size_t>(pasted.size()) > CSV_MAX_BYTES)
        return {{}, {{1, "", "the text is too large for channel rows"}}};
    const QString firstLine = pasted.trimmed().section(QLatin1Char('\n'), 0, 0);
    const bool tabs = firstLine.contains(QLatin1Char('\t')) && !firstLine.contains(QLatin1Char(','));
    std::string csv = tabs ? TabsToCsv(pasted) : pasted.toStdString();
    const QStringList firstCells = firstLine.split(QLatin1Char(tabs ? '\t' : ','));
    const bool headed =
        firstCells.front().trimmed().compare(QStringLiteral("Location"), Qt::CaseInsensitive) == 0;
    if (!headed) {
        // Rows alone are taken in the export's column order, as far as they reach.
        const QStringList names = QString::fromLatin1(CSV_HEADER.data(), CSV_HEADER.size())
                                      .split(QLatin1Char(','))
                                      .mid(0, firstCells.size());
        csv = names.join(QLatin1Char(',')).toStdString() + "\r\n" + csv;
    }

    PastedChannels pastedChannels;
    CQarloDoc scratch;
    CsvImportResult read = ImportCsv(scratch, csv);
    if (!headed) {
        for (CsvError& e : read.errors)
            e.line = std::max(1, e.line - 1);
    }
    pastedChannels.errors = std::move(read.errors);
    for (int ch : read.channelsSet) {
        ChannelRecordBytes record{};
        std::copy_n(scratch.record(ch), RECORD_SIZE, record.begin());
        pastedChannels.records.push_back(record);
    }
    return pastedChannels;
}

} // namespace

QMimeData* ChannelsMimeData(const CQarloDoc& doc, const std::vector<int>& channels) {
    QByteArray records;
    CQarloDoc copied;
    for (int ch : channels) {
        if (!validChannel(ch)) continue;
        records.append(reinterpret_cast<const char*>(doc.record(ch)), RECORD_SIZE);
        std::copy_n(doc.record(ch), RECORD_SIZE, copied.record(ch));
    }
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(CHANNEL_RECORDS_MIME), records);
    data->setText(QString::fromStdString(ExportCsv(copied)));
    return data;
}

PastedChannels ChannelsFromMimeData(const QMimeData& data) {
    const QByteArray records = data.data(QString::fromLatin1(CHANNEL_RECORDS_MIME));
    const qsizetype count = records.size() / RECORD_SIZE;
    if (!records.isEmpty() && records.size() % RECORD_SIZE == 0 && count <= CHANNEL_COUNT) {
        PastedChannels pasted;
        for (qsizetype i = 0; i < count; ++i) {
            ChannelRecordBytes record{};
            std::copy_n(records.constData() + i * RECORD_SIZE, RECORD_SIZE, record.begin());
            pasted.records.push_back(record);
        }
        return pasted;
    }
    if (data.hasText()) return ChannelsFromText(data.text());
    return {};
}

bool HoldsChannels(const QMimeData* data) {
    return data && (data->hasFormat(QString::fromLatin1(CHANNEL_RECORDS_MIME)) ||
                    !data->text().trimmed().isEmpty());
}

} // namespace qarlo
