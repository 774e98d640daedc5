#include "DiffOutput.h"

#include "platform/Charset.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>
#include <string>

namespace qarlo::cli {

namespace {
QString text(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

QJsonObject DifferencesJson(const std::vector<Difference>& differences) {
    QJsonArray list;
    for (const Difference& d : differences) {
        const bool channel = d.row >= 0 && d.row < CHANNEL_COUNT;
        list.append(QJsonObject{
            {"row", text(DiffRowName(d.row))},
            {"channel", channel ? QJsonValue(d.row + 1) : QJsonValue()},
            {"kind", text(std::string(DiffKindName(d.kind)))},
            {"field", text(d.field)},
            {"before", text(d.before)},
            {"after", text(d.after)},
            {"unit", text(d.unit)},
            {"text", text(DifferenceLine(d))},
        });
    }
    return QJsonObject{{"same", differences.empty()}, {"differences", list}};
}

void PrintDifferencesJson(const std::vector<Difference>& differences) {
    std::fputs(QJsonDocument(DifferencesJson(differences)).toJson().constData(), DataOutput());
}

void PrintDifferences(const std::vector<Difference>& differences) {
    for (const Difference& d : differences)
        std::printf("%s\n", DifferenceLine(d).c_str());
}

} // namespace qarlo::cli
