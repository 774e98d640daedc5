// The Chinese texts of CSV import and export, with the values they carry put in by position.
#include "app/CsvMessages.h"
#include "editor/UiText.h"

#include <QStringList>

#include <array>

namespace qarlo {

namespace {

constexpr int MAX_LISTED_ERRORS = 10;

// One text for each CsvReason, in its order; %1 is the cell as the file has it.
constexpr std::array<const char*, 12> ReasonTexts{
    "无法识别的内容 %1",
    "对讲机不支持模式 %1（只支持 FM、NFM）",
    "对讲机不支持信令方式 %1",
    "对讲机没有亚音 %1",
    "对讲机没有数字亚音 %1",
    "只接收（Duplex off），对讲机需要发射频率",
    "频率 %1 超出对讲机所有频段（100MHz－520MHz）",
    "频率 %1 不是10Hz的整数倍，已取整",
    "该频道已由前面的行占用",
    "超出第16频道",
    "位置不在所选范围内",
    "未选择",
};

constexpr const char* LineText = "第 %1 行：%2";
constexpr const char* LineColumnText = "第 %1 行，列 %2：%3";
constexpr const char* MoreErrorsText = "……另有 %1 处错误";
constexpr const char* BandSetText = "频段设为 %1MHz－%2MHz（文档原来没有频段）";
constexpr const char* BandKeptText = "频段 %1MHz－%2MHz 不变";
constexpr const char* NoBandText =
    "没有频段能容纳 %1MHz－%2MHz 的全部频道：频道 %3 不能照原样写入对讲机";
constexpr const char* OutsideBandText = "频道 %1 超出频段 %2MHz－%3MHz：不能照原样写入对讲机";
constexpr const char* UnreadableText = "无法识别";

// "1、3、5－7": channel indices 0..15 as channel numbers.
QString channelList(const std::vector<int>& channels) {
    QStringList parts;
    for (std::size_t i = 0; i < channels.size();) {
        std::size_t j = i;
        while (j + 1 < channels.size() && channels[j + 1] == channels[j] + 1)
            ++j;
        parts << (j > i ? QStringLiteral("%1－%2").arg(channels[i] + 1).arg(channels[j] + 1)
                        : QString::number(channels[i] + 1));
        i = j + 1;
    }
    return parts.join(QStringLiteral("、"));
}

} // namespace

QString CsvReasonText(CsvReason reason, const std::string& cell) {
    const auto row = static_cast<std::size_t>(reason);
    if (row >= ReasonTexts.size()) return UiText(UnreadableText);
    if (reason == CsvReason::Malformed && cell.empty()) return UiText(UnreadableText);
    const QString text = UiText(ReasonTexts[row]);
    return text.contains(QStringLiteral("%1")) ? text.arg(FromUtf8(ShownCell(cell))) : text;
}

QString DescribeCsvErrors(const std::vector<CsvError>& errors) {
    QStringList lines;
    for (std::size_t i = 0; i < errors.size() && i < MAX_LISTED_ERRORS; ++i) {
        const CsvError& e = errors[i];
        const QString why = CsvReasonText(e.reason, e.cell);
        lines << (e.column.empty()
                      ? UiText(LineText).arg(e.line).arg(why)
                      : UiText(LineColumnText).arg(e.line).arg(FromUtf8(e.column), why));
    }
    if (errors.size() > MAX_LISTED_ERRORS)
        lines << UiText(MoreErrorsText).arg(errors.size() - MAX_LISTED_ERRORS);
    return lines.join(QLatin1Char('\n'));
}

QString DescribeCsvBand(const CsvBandNote& band) {
    if (band.noBandHolds)
        return UiText(NoBandText)
            .arg(band.lowMHz)
            .arg(band.highMHz)
            .arg(channelList(band.outside));
    if (!band.outside.empty())
        return UiText(OutsideBandText)
            .arg(channelList(band.outside))
            .arg(band.lowMHz)
            .arg(band.highMHz);
    return UiText(band.set ? BandSetText : BandKeptText)
        .arg(band.lowMHz)
        .arg(band.highMHz);
}

} // namespace qarlo
