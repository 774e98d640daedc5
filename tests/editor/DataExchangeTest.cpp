// The text-to-number rules of the form's numeric edits, and dialog units to pixels.
#include "editor/DataExchange.h"
#include "editor/DialogUnits.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <utility>

namespace qarlo::test {
namespace {

TEST(ParseNumber, AcceptsOnlyWholeDecimalNumbers) {
    const std::pair<const char*, double> numbers[] = {{"145.0125", 145.0125},
                                                      {"  430.125 ", 430.125},
                                                      {"400.", 400.0},
                                                      {"0400", 400.0},
                                                      {".5", 0.5},
                                                      {"-4", -4.0},
                                                      {"+7.5", 7.5},
                                                      {"1e2", 100.0},
                                                      {"2.5E-1", 0.25}};
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(ParseNumber(QString::fromUtf8(text)), value) << text;
    // Full-width digits are no ASCII digits; a value too large for a double is no number.
    for (const char* text : {"", "   ", ".", "-", "4x", "4 5", "1e", "--4", "+-4", "inf", "nan",
                             "0x10", "1e999", "4,5", "４３８"})
        EXPECT_EQ(ParseNumber(QString::fromUtf8(text)), std::nullopt) << '"' << text << '"';
}

TEST(FormatNumber, FifteenSignificantDigits) {
    const std::pair<double, const char*> cases[] = {{5.0, "5"},
                                                    {145.0125, "145.0125"},
                                                    {0.0, "0"},
                                                    {0.1, "0.1"},
                                                    {-4.0, "-4"},
                                                    {1e20, "1e+20"},
                                                    {50 * 0.1, "5"},
                                                    {14501250 * 0.00001, "145.0125"},
                                                    {43012500 * 0.00001, "430.125"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FormatNumber(value).toStdString(), text) << value;
}

TEST(DialogUnitsTest, QuarterAndEighthOfTheBaseHalvesRoundedUp) {
    const DialogUnits du(7, 17);
    EXPECT_EQ(du.x(4), 7);
    EXPECT_EQ(du.y(8), 17);
    EXPECT_EQ(du.rect(202, 224, 50, 16), QRect(354, 476, 88, 34)); // 353.5 and 87.5 round up
    EXPECT_EQ(du.size(692, 444), QSize(1211, 944));
}

// The Song face of fonts-arphic-uming has SimSun's 9 pt metrics; without it the form is drawn
// at another size.
TEST(DialogUnitsTest, FormFontIsTheSongFaceWithSimSunsMetrics) {
    const QFont font = FormFont();
    EXPECT_EQ(QFontInfo(font).family().toStdString(), "AR PL UMing CN");
    EXPECT_EQ(QFontInfo(font).pointSize(), 9);
    EXPECT_TRUE(QFontMetrics(font).inFont(QChar(0x9891))); // 频
    const DialogUnits du(font);
    EXPECT_EQ(std::pair(du.baseX, du.baseY), std::pair(6, 12));
}

} // namespace
} // namespace qarlo::test
