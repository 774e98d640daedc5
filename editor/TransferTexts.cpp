#include "TransferTexts.h"

#include "editor/UiText.h"

#include <QStringList>

namespace qarlo {

namespace {

QString rowText(int row) {
    if (row >= 0 && row < CHANNEL_COUNT) return UiText(FromUtf8(ChannelName(row)));
    if (row == SETTINGS_ROW) return UiText("整机设置");
    return UiText("备用行%1").arg(row + 1);
}

// A reserved byte's field carries its number: "保留字节11".
QString fieldText(const std::string& field) {
    constexpr std::string_view reserved = "保留字节";
    if (field.size() > reserved.size() &&
        std::string_view(field).substr(0, reserved.size()) == reserved)
        return UiText("保留字节%1").arg(FromUtf8(field).mid(QString::fromUtf8(reserved).size()));
    return UiText(FromUtf8(field));
}

// Values are numbers and codes, but for "是", "否" and "无", which have their translations.
QString differenceText(const Difference& d) {
    const QString text = fieldText(d.field) + u' ' + UiText(FromUtf8(d.before)) +
                         QStringLiteral(" → ") + UiText(FromUtf8(d.after));
    return d.unit.empty() ? text : text + u' ' + UiText(FromUtf8(d.unit));
}

} // namespace

QString FilledText(const ComposedText& text) {
    const std::string pattern = UiText(FromUtf8(text.pattern)).toStdString();
    return QString::fromStdString(FillParts({pattern, text.parts}));
}

QString OpenFailureReasonText(const OpenFailure& failure) {
    return FilledText(OpenFailureReasonParts(failure));
}

QString TransferReportText(const TransferOutcome& outcome) {
    QStringList lines{UiText(FromUtf8(OutcomeMessage(outcome)))};
    int lastRow = -1;
    for (const Difference& d : outcome.differences) {
        if (d.row != lastRow)
            lines << rowText(d.row) + QStringLiteral(": ") + differenceText(d);
        else
            lines.back() += QStringLiteral("; ") + differenceText(d);
        lastRow = d.row;
    }
    return lines.join(u'\n');
}

QString TransferProgressText(TransferStep step, int bytes, int total) {
    return UiText(FromUtf8(ProgressStepText(step))) +
           QStringLiteral(" %1/%2").arg(bytes).arg(total);
}

} // namespace qarlo
