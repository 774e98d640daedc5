// The text-to-number rules of the form's numeric edits, dialog units to pixels, and the printed
// channel sheet.
#include "EditorFixture.h"

#include "editor/ChannelSheet.h"
#include "editor/DialogUnits.h"

#include <QFontInfo>
#include <QPainter>

namespace qarlo::test {
namespace {

TEST(ParseNumber, AcceptsOnlyWholeDecimalNumbers) {
    const std::pair<const char*, double> numbers[] = {
        {"  430.125 ", 430.125}, {".5", 0.5}, {"+7.5", 7.5}, {"2.5E-1", 0.25}};
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(ParseNumber(U(text)), value) << text;
    // Full-width digits are no ASCII digits; a value too large for a double is no number.
    for (const char* text : {"", ".", "4x", "4 5", "1e", "+-4", "inf", "0x10", "1e999", "４３８"})
        EXPECT_EQ(ParseNumber(U(text)), std::nullopt) << '"' << text << '"';
}

// The Song face of fonts-arphic-uming has SimSun's 9 pt metrics (6 x 12 px base units); without
// it the form is drawn at another size. A unit is a quarter (eighth) of the base, halves up.
TEST(DialogUnitsTest, SongFaceBaseAndHalvesRoundedUp) {
    const QFont font = FormFont();
    EXPECT_EQ(QFontInfo(font).family().toStdString(), "AR PL UMing CN");
    EXPECT_EQ(QFontInfo(font).pointSize(), 9);
    EXPECT_TRUE(QFontMetrics(font).inFont(QChar(0x9891))); // 频
    const DialogUnits song(font);
    EXPECT_EQ(std::pair(song.baseX, song.baseY), std::pair(6, 12));
    const DialogUnits du(7, 17);
    EXPECT_EQ(du.rect(202, 224, 50, 16), QRect(354, 476, 88, 34)); // 353.5 and 87.5 round up
    EXPECT_EQ(du.size(692, 444), QSize(1211, 944));
}

TEST(ChannelSheet, LinesReadAsTheEditorShowsThemAndAPageComesOut) {
    CQarloDoc doc;
    doc.setBandLow(400 * 25000);
    doc.setBandHigh(440 * 25000);
    doc.setTotTenths(25);
    doc.setRxFreq(0, 43012500);
    doc.setTxFreq(0, 43502500);
    doc.setTxCode(0, 0x87);
    doc.setFlags(0, FLAG_RX_CODED | FLAG_RX_CTCSS | FLAG_TX_CODED | FLAG_NARROW);
    doc.setSquelch(0, 9);
    EXPECT_EQ(SheetRow(doc, 0), QStringList({U("01频道"), "430.125", "QT 67", "435.025", "DQT 023I",
                                             "12.5KHz", "9"}));
    EXPECT_EQ(SheetBandLine(doc) + SheetTotLine(doc), U("频  段 400 - 440 MHzTOT限时 2.5 分"));

    // The A4 preview at 100 dpi: the title at the top, the table past its sixteenth row. Written
    // where QARLO_SHEET_PNG points: the README's docs/channel-sheet.png comes from here.
    QImage page(827, 1169, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        PaintChannelSheet(painter, QRect(60, 60, 707, 1049), doc, QStringLiteral("repeaters.q02"));
    }
    int first = -1, last = -1; // rows with ink
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) >= 128) continue;
            first = first < 0 ? y : first;
            last = y;
            break;
        }
    }
    EXPECT_TRUE(first >= 60 && first < 90) << first;
    EXPECT_TRUE(last > 60 + 17 * 20 && last < 1109) << last; // header + 16 rows of over 20 px
    // A wider page spreads the columns; the text keeps its size, so the rows end where they did.
    QImage wide(2 * 827, 1169, QImage::Format_RGB32);
    wide.fill(Qt::white);
    {
        QPainter painter(&wide);
        PaintChannelSheet(painter, QRect(60, 60, 2 * 827 - 120, 1049), doc,
                          QStringLiteral("repeaters.q02"));
    }
    int wideLast = -1;
    for (int y = 0; y < wide.height(); ++y)
        for (int x = 0; x < wide.width(); ++x)
            if (qGray(wide.pixel(x, y)) < 128) {
                wideLast = y;
                break;
            }
    EXPECT_EQ(wideLast, last);
    const QString png = qEnvironmentVariable("QARLO_SHEET_PNG");
    EXPECT_TRUE(png.isEmpty() || page.save(png, "PNG"));
}

} // namespace
} // namespace qarlo::test
