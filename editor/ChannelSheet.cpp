#include "ChannelSheet.h"

#include "editor/DataExchange.h"
#include "editor/DialogUnits.h"
#include "memory/Signalling.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>

namespace qarlo {

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString signalling(const CQarloDoc& doc, int channel, Direction d) {
    const std::uint8_t flags = doc.flags(channel);
    const std::uint8_t code = d == Direction::Receive ? doc.rxCode(channel) : doc.txCode(channel);
    const int type = codeTypeRow(flags, d);
    if (type == CODE_TYPE_NONE) return fromUtf8(CodeTypeTable[CODE_TYPE_NONE]);
    QString text = fromUtf8(CodeTypeTable[static_cast<std::size_t>(type)]);
    if (const auto name = codeName(flags, code, d)) text += u' ' + fromUtf8(*name);
    return text;
}

} // namespace

QStringList SheetHeader() {
    return {QStringLiteral("频道选择"),
            QStringLiteral("接收 频    率 MHz"),
            QStringLiteral("接收 编码类型 编码表"),
            QStringLiteral("发射 频   率 MHz"),
            QStringLiteral("发射 编码类型 编码表"),
            QStringLiteral("频道宽/窄"),
            QStringLiteral("静噪等级")};
}

QStringList SheetRow(const CQarloDoc& doc, int channel) {
    if (channel < 0 || channel >= CHANNEL_COUNT) return {};
    const bool narrow = (doc.flags(channel) & FLAG_NARROW) != 0;
    return {fromUtf8(ChannelName(channel)),
            FormatNumber(static_cast<double>(doc.rxFreq(channel)) * 0.00001),
            signalling(doc, channel, Direction::Receive),
            FormatNumber(static_cast<double>(doc.txFreq(channel)) * 0.00001),
            signalling(doc, channel, Direction::Transmit),
            narrow ? QStringLiteral("12.5KHz") : QStringLiteral("25KHz"),
            QString::number(doc.squelch(channel))};
}

QString SheetBandLine(const CQarloDoc& doc) {
    return QStringLiteral("频  段 %1 - %2 MHz")
        .arg((doc.bandLow() * 4) / 100000)
        .arg((doc.bandHigh() * 4) / 100000);
}

QString SheetTotLine(const CQarloDoc& doc) {
    return QStringLiteral("TOT限时 %1 分")
        .arg(FormatNumber(static_cast<double>(doc.totTenths()) * 0.1));
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

    // Column widths in proportion to what each column holds.
    constexpr std::array<int, 7> weights{3, 4, 5, 4, 5, 3, 3};
    int weightSum = 0;
    for (int w : weights)
        weightSum += w;
    std::array<int, 8> edges{};
    edges[0] = page.left();
    int running = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        running += weights[i];
        edges[i + 1] = page.left() + page.width() * running / weightSum;
    }

    auto drawRow = [&](const QStringList& cells, bool bold) {
        QFont f = body;
        f.setBold(bold);
        painter.setFont(f);
        for (std::size_t i = 0; i < weights.size() && static_cast<qsizetype>(i) < cells.size();
             ++i) {
            const QRect cell(edges[i], y, edges[i + 1] - edges[i], line);
            painter.drawRect(cell);
            painter.drawText(cell.adjusted(line / 4, 0, -line / 4, 0),
                             Qt::AlignLeft | Qt::AlignVCenter, cells[static_cast<qsizetype>(i)]);
        }
        y += line;
    };
    drawRow(SheetHeader(), true);
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch)
        drawRow(SheetRow(doc, ch), false);
    painter.restore();
}

} // namespace qarlo
