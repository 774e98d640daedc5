#include "ChannelSheet.h"

#include "editor/DialogUnits.h"
#include "editor/UiText.h"
#include "memory/Signalling.h"
#include "memory/Units.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>
#include <vector>

namespace qarlo {

namespace {

QString signalling(const CQarloDoc& doc, int channel, Direction d) {
    const std::uint8_t code = d == Direction::Receive ? doc.rxCode(channel) : doc.txCode(channel);
    return UiText(FromUtf8(signallingText(doc.flags(channel), code, d))); // "无" has words
}

} // namespace

QStringList SheetHeader() {
    return {UiText("频道选择"),
            UiText("接收\n频    率 MHz"),
            UiText("接收\n编码类型 编码表"),
            UiText("发射\n频   率 MHz"),
            UiText("发射\n编码类型 编码表"),
            UiText("频道宽/窄"),
            UiText("静噪等级")};
}

QStringList SheetRow(const CQarloDoc& doc, int channel) {
    if (channel < 0 || channel >= CHANNEL_COUNT) return {};
    const bool narrow = (doc.flags(channel) & FLAG_NARROW) != 0;
    return {UiText(FromUtf8(ChannelName(channel))),
            FromUtf8(FormatMHz(doc.rxFreq(channel))),
            signalling(doc, channel, Direction::Receive),
            FromUtf8(FormatMHz(doc.txFreq(channel))),
            signalling(doc, channel, Direction::Transmit),
            narrow ? QStringLiteral("12.5KHz") : QStringLiteral("25KHz"),
            QString::number(doc.squelch(channel))};
}

QString SheetBandLine(const CQarloDoc& doc) {
    return UiText("频  段 %1 - %2 MHz")
        .arg(BandWholeMHz(doc.bandLow()))
        .arg(BandWholeMHz(doc.bandHigh()));
}

QString SheetTotLine(const CQarloDoc& doc) {
    return UiText("TOT限时 %1 分").arg(FromUtf8(FormatMinutes(doc.totTenths())));
}

void PaintChannelSheet(QPainter& painter, const QRect& page, const CQarloDoc& doc,
                       const QString& title) {
    painter.save();
    QFont body = FormFont();
    body.setPointSize(10);
    QFont heading = body;
    heading.setPointSize(14);
    heading.setBold(true);

    int y = page.top();
    painter.setFont(heading);
    const int headingHeight = QFontMetrics(heading, painter.device()).height();
    painter.drawText(QRect(page.left(), y, page.width(), headingHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, title);
    y += headingHeight * 3 / 2;

    painter.setFont(body);
    const QFontMetrics metrics(body, painter.device());
    const int line = metrics.height() * 3 / 2;
    painter.drawText(QRect(page.left(), y, page.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                     SheetBandLine(doc) + QStringLiteral("    ") + SheetTotLine(doc));
    y += line * 3 / 2;

    // Every column as wide as its widest text; the page's spare width is shared out evenly, and a
    // table too wide for the page is drawn in a smaller font.
    const QStringList header = SheetHeader();
    std::array<QStringList, CHANNEL_COUNT> rows;
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch)
        rows[static_cast<std::size_t>(ch)] = SheetRow(doc, ch);
    QFont bold = body;
    bold.setBold(true);
    const int columns = static_cast<int>(header.size());
    auto naturalWidths = [&](const QFont& plain, const QFont& strong, int padding) {
        std::vector<int> widths(static_cast<std::size_t>(columns), 0);
        const QFontMetrics pm(plain, painter.device());
        const QFontMetrics sm(strong, painter.device());
        for (int c = 0; c < columns; ++c) {
            int w = 0;
            for (const QString& part : header[c].split(u'\n'))
                w = std::max(w, sm.horizontalAdvance(part));
            for (const QStringList& row : rows)
                w = std::max(w, pm.horizontalAdvance(row.value(c)));
            widths[static_cast<std::size_t>(c)] = w + 2 * padding;
        }
        return widths;
    };
    int padding = line / 4;
    std::vector<int> widths = naturalWidths(body, bold, padding);
    int total = 0;
    for (int w : widths)
        total += w;
    if (total > page.width() && total > 0) {
        const qreal scale = static_cast<qreal>(page.width()) / total;
        body.setPointSizeF(body.pointSizeF() * scale);
        bold.setPointSizeF(bold.pointSizeF() * scale);
        padding = std::max(1, static_cast<int>(padding * scale));
        widths = naturalWidths(body, bold, padding);
        total = 0;
        for (int w : widths)
            total += w;
    }
    const int spare = std::max(0, page.width() - total) / std::max(1, columns);
    std::vector<int> edges(static_cast<std::size_t>(columns) + 1, page.left());
    for (int c = 0; c < columns; ++c)
        edges[static_cast<std::size_t>(c) + 1] =
            std::min(page.right(), edges[static_cast<std::size_t>(c)] +
                                       widths[static_cast<std::size_t>(c)] + spare);
    const int rowHeight = QFontMetrics(body, painter.device()).height() * 3 / 2;

    auto drawRow = [&](const QStringList& cells, const QFont& font, int height) {
        painter.setFont(font);
        for (int c = 0; c < columns && c < cells.size(); ++c) {
            const auto i = static_cast<std::size_t>(c);
            const QRect cell(edges[i], y, edges[i + 1] - edges[i], height);
            painter.drawRect(cell);
            painter.drawText(cell.adjusted(padding, 0, -padding, 0),
                             Qt::AlignLeft | Qt::AlignVCenter, cells[c]);
        }
        y += height;
    };
    drawRow(header, bold, rowHeight * 5 / 3);
    for (const QStringList& row : rows)
        drawRow(row, body, rowHeight);
    painter.restore();
}

} // namespace qarlo
