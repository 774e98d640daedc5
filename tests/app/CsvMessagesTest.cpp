// The window's words for CSV, exactly: a reason with its cell, a row with or without its column,
// at most ten rows with the count of the rest, and what an import does to the band.
#include "app/ChannelClipboard.h"
#include "app/CsvMessages.h"

#include <QMimeData>

#include <gtest/gtest.h>

namespace qarlo {
namespace {

TEST(CsvMessages, ReasonsRowsAndTheRestCounted) {
    const struct {
        CsvReason reason;
        const char *cell, *text;
    } reasons[] = {
        {CsvReason::Mode, "AM", "对讲机不支持模式 \"AM\"（只支持 FM、NFM）"},
        {CsvReason::Malformed, "", "无法识别"},
        {CsvReason::LocationTaken, "3", "该频道已由前面的行占用"},
        {CsvReason::NotChosen, "", "未选择"},
    };
    for (const auto& r : reasons)
        EXPECT_EQ(CsvReasonText(r.reason, r.cell), QString::fromUtf8(r.text)) << r.text;

    std::vector<CsvError> errors{{2, "Tone", "", CsvReason::Tone, "66.0"},
                                 {3, "", "", CsvReason::PastLastChannel}};
    EXPECT_EQ(DescribeCsvErrors(errors), QStringLiteral("第 2 行，列 Tone：对讲机没有亚音 \"66.0\"\n"
                                                        "第 3 行：超出第16频道"));
    for (int line = 4; errors.size() < 10; ++line)
        errors.emplace_back(line, "", "", CsvReason::NotListed);
    EXPECT_EQ(DescribeCsvErrors(errors).count(QLatin1Char('\n')), 9);
    EXPECT_FALSE(DescribeCsvErrors(errors).contains(QStringLiteral("另有")));
    errors.emplace_back(12, "", "", CsvReason::NotListed);
    errors.emplace_back(13, "", "", CsvReason::NotListed);
    const QString many = DescribeCsvErrors(errors);
    EXPECT_EQ(many.count(QLatin1Char('\n')), 10);
    EXPECT_TRUE(many.endsWith(QStringLiteral("第 11 行：位置不在所选范围内\n……另有 2 处错误")))
        << many.toStdString();
}

TEST(CsvMessages, WhatTheImportDoesToTheBand) {
    const struct {
        CsvBandNote band;
        const char* text;
    } cases[] = {
        {{true, false, 430, 440, {}}, "频段设为 430MHz－440MHz（文档原来没有频段）"},
        {{false, false, 400, 440, {}}, "频段 400MHz－440MHz 不变"},
        {{false, true, 136, 470, {0, 2, 3, 4, 9}},
         "没有频段能容纳 136MHz－470MHz 的全部频道：频道 1、3－5、10 不能照原样写入对讲机"},
        {{false, false, 400, 440, {6, 7}}, "频道 7－8 超出频段 400MHz－440MHz：不能照原样写入对讲机"},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribeCsvBand(c.band), QString::fromUtf8(c.text));
}

// Rows pasted without the header are read under the export's; their lines still count as pasted.
TEST(CsvMessages, PastedRowsCountTheirLinesAsPasted) {
    for (const auto& [text, line] : {std::pair{"1,,abc\n", 1}, std::pair{"1,,145.5\n2,,x\n", 2},
                                     std::pair{"Location,Name,Frequency\n1,,abc\n", 2},
                                     std::pair{"1\t\tabc\n", 1}}) {
        QMimeData data;
        data.setText(QString::fromUtf8(text));
        const PastedChannels pasted = ChannelsFromMimeData(data);
        ASSERT_EQ(pasted.errors.size(), 1u) << text;
        EXPECT_EQ(pasted.errors[0].line, line) << text;
        EXPECT_TRUE(pasted.records.empty());
    }
}

} // namespace
} // namespace qarlo
