// The text-to-number rules of the form's numeric edits and the exchange between edits and members.
#include "editor/DataExchange.h"
#include "editor/DialogUnits.h"
#include "memory/Units.h"
#include "radio/Messages.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace qarlo::test {
namespace {

struct ParseCase {
    const char* text;
    std::optional<double> value;
};

TEST(ParseNumber, AcceptsOnlyWholeDecimalNumbers) {
    const ParseCase cases[] = {
        {"145.0125", 145.0125}, {"  430.125 ", 430.125}, {"5", 5.0},
        {"400.", 400.0},        {"0400", 400.0},         {".5", 0.5},
        {"-4", -4.0},           {"+7.5", 7.5},           {"1e2", 100.0},
        {"2.5E-1", 0.25},       {"", std::nullopt},      {"   ", std::nullopt},
        {".", std::nullopt},    {"-", std::nullopt},     {"4x", std::nullopt},
        {"4 5", std::nullopt},  {"1e", std::nullopt},    {"--4", std::nullopt},
        {"+-4", std::nullopt},  {"inf", std::nullopt},   {"nan", std::nullopt},
        {"0x10", std::nullopt}, {"1e999", std::nullopt}, {"4,5", std::nullopt},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(ParseNumber(QString::fromUtf8(c.text)), c.value) << '"' << c.text << '"';
    }
    // Full-width digits look like numbers but are not ASCII digits.
    EXPECT_EQ(ParseNumber(QString::fromUtf8("４３８")), std::nullopt);
}

TEST(FormatNumber, FifteenSignificantDigits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {5.0, "5"},
        {145.0125, "145.0125"},
        {430.125, "430.125"},
        {0.0, "0"},
        {25.5, "25.5"},
        {1e20, "1e+20"},
        {0.1, "0.1"},
        {-4.0, "-4"},
        {14501250 * 0.00001, "145.0125"},
        {43012500 * 0.00001, "430.125"},
        {50 * 0.1, "5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatNumber(c.value).toStdString(), c.text) << c.value;
}

// A typed multiple of 5 kHz or 6.25 kHz must arrive as an exact multiple of 500 or 625 units,
// or the check before writing would reject a frequency the user typed correctly.
TEST(FrequencyText, EveryChannelStepArrivesExact) {
    int checked = 0;
    for (const std::int64_t stepHz : {5000LL, 6250LL}) {
        for (std::int64_t hz = 100000000; hz <= 520000000; hz += stepHz) {
            const std::int64_t whole = hz / 1000000;
            QString fraction = QString::number(hz % 1000000).rightJustified(6, u'0');
            while (fraction.endsWith(u'0'))
                fraction.chop(1);
            const QString typed = fraction.isEmpty() ? QString::number(whole)
                                                     : QString::number(whole) + u'.' + fraction;
            const std::optional<double> mhz = ParseNumber(typed);
            ASSERT_TRUE(mhz.has_value()) << typed.toStdString();
            const std::int32_t units = FrequencyUnitsFromMHz(*mhz);
            ASSERT_EQ(units, hz / 10) << typed.toStdString();
            ++checked;
        }
    }
    EXPECT_EQ(checked, 84001 + 67201);
}

class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = SetMessageHandler([this](const QString& text) { messages.push_back(text); });
        for (int i = 0; i < 3; ++i) {
            edits[i] = new QLineEdit(&form);
            edits[i]->setGeometry(10, 10 + 30 * i, 100, 24);
            exchange.bind(edits[i], &values[i]);
        }
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    void TearDown() override { SetMessageHandler(previous); }

    QWidget form;
    QLineEdit* edits[3] = {};
    double values[3] = {1.0, 2.0, 3.0};
    DataExchange exchange;
    std::vector<QString> messages;
    MessageHandler previous;
};

TEST_F(ExchangeTest, SaveStopsAtFirstEditThatIsNotANumber) {
    edits[0]->setText("10.5");
    edits[1]->setText("abc");
    edits[2]->setText("30");
    EXPECT_FALSE(exchange.UpdateData(true));
    EXPECT_EQ(values[0], 10.5);
    EXPECT_EQ(values[1], 2.0); // the failing edit and all after it keep their values
    EXPECT_EQ(values[2], 3.0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], DataExchange::NotANumberPrompt());
    EXPECT_TRUE(edits[1]->hasFocus());

    edits[1]->setText("20");
    messages.clear();
    EXPECT_TRUE(exchange.UpdateData(true));
    EXPECT_EQ(values[1], 20.0);
    EXPECT_EQ(values[2], 30.0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ExchangeTest, LoadFormatsAndLeavesMatchingTextAlone) {
    edits[0]->setText("1");
    edits[0]->setCursorPosition(0);
    edits[1]->setText("2.0");
    values[2] = 145.0125;
    QSignalSpy changed1(edits[1], &QLineEdit::textChanged);
    QSignalSpy changed0(edits[0], &QLineEdit::textChanged);
    EXPECT_TRUE(exchange.UpdateData(false));
    EXPECT_EQ(edits[0]->text(), "1");
    EXPECT_EQ(edits[0]->cursorPosition(), 0); // untouched, so the caret did not move
    EXPECT_EQ(edits[1]->text(), "2");
    EXPECT_EQ(edits[2]->text(), "145.0125");
    EXPECT_EQ(changed0.count(), 0);
    EXPECT_EQ(changed1.count(), 0); // the program's own writes raise no change notification
}

TEST_F(ExchangeTest, ReportsRunningWhileThePromptIsUp) {
    bool sawRunning = false;
    SetMessageHandler([&](const QString&) { sawRunning = exchange.isRunning(); });
    edits[0]->setText("");
    EXPECT_FALSE(exchange.UpdateData(true));
    EXPECT_TRUE(sawRunning);
    EXPECT_FALSE(exchange.isRunning());
}

TEST(DialogUnitsTest, MapsAsThePlatformDoes) {
    const DialogUnits du(7, 17);
    EXPECT_EQ(du.x(4), 7);
    EXPECT_EQ(du.y(8), 17);
    EXPECT_EQ(du.rect(202, 224, 50, 16), QRect(354, 476, 88, 34)); // 353.5 and 87.5 round up
    EXPECT_EQ(du.size(692, 444), QSize(1211, 944));
}

TEST(DialogUnitsTest, FormFontIsAvailableWithChineseGlyphs) {
    const QFont font = FormFont();
    const QFontInfo info(font);
    EXPECT_TRUE(info.family().contains("SimSun") || info.family().contains("CJK"))
        << info.family().toStdString();
    const QFontMetrics metrics(font);
    EXPECT_TRUE(metrics.inFont(QChar(0x9891))); // 频
    const DialogUnits du(font);
    EXPECT_GT(du.baseX, 0);
    EXPECT_GT(du.baseY, 0);
}

} // namespace
} // namespace qarlo::test
