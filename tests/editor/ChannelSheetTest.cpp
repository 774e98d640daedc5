// The printed channel sheet: what each line says, and that a page really comes out.
#include "EditorFixture.h"

#include "editor/ChannelSheet.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

namespace qarlo::test {
namespace {

CQarloDoc sheetDoc() {
    CQarloDoc doc;
    doc.setBandLow(400 * 25000);
    doc.setBandHigh(440 * 25000);
    doc.setTotTenths(25);
    doc.setRxFreq(0, 43012500);
    doc.setTxFreq(0, 43502500);
    doc.setRxCode(0, 0x00);
    doc.setTxCode(0, 0x87);
    doc.setFlags(0, FLAG_RX_CODED | FLAG_RX_CTCSS | FLAG_TX_CODED | FLAG_NARROW);
    doc.setSquelch(0, 9);
    doc.setRxCode(1, 0x26);                                         // a tone byte past the table
    doc.setFlags(1, FLAG_RX_CODED | FLAG_RX_CTCSS | FLAG_TX_CTCSS); // transmit tone bit, uncoded
    doc.setTxCode(1, 0x05);
    return doc;
}

TEST(ChannelSheet, LinesReadAsTheEditorShowsThem) {
    const CQarloDoc doc = sheetDoc();
    EXPECT_EQ(SheetRow(doc, 0), QStringList({U("01频道"), "430.125", "QT 67", "435.025", "DQT 023I",
                                             "12.5KHz", "9"}));
    EXPECT_EQ(SheetRow(doc, 1),
              QStringList({U("02频道"), "0", "QT ?", "0", U("无"), "25KHz", "3"}));
    EXPECT_EQ(SheetRow(doc, 15)[0], U("16频道"));
    EXPECT_TRUE(SheetRow(doc, 16).isEmpty());
    EXPECT_EQ(SheetBandLine(doc) + SheetTotLine(doc), U("频  段 400 - 440 MHzTOT限时 2.5 分"));
    EXPECT_EQ(SheetHeader().join('|'), U("频道选择|接收\n频    率 MHz|接收\n编码类型 编码表|发射\n"
                                         "频   率 MHz|发射\n编码类型 编码表|频道宽/窄|静噪等级"));
}

// The A4 preview as a picture: the title at the top and the table reaching past its sixteenth
// row. Written where QARLO_SHEET_PNG points: the README's docs/channel-sheet.png comes from here.
TEST(ChannelSheet, PaintsTitleTableAndAllChannels) {
    CQarloDoc doc = sheetDoc();
    doc.setRxFreq(2, 43850000); // a split channel
    doc.setTxFreq(2, 43250000);
    doc.setRxFreq(3, 14501250); // 12.5 kHz
    doc.setTxFreq(3, 14501250);
    doc.setFlags(3, FLAG_NARROW);
    QImage page(827, 1169, QImage::Format_RGB32); // A4 at 100 dpi
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
    EXPECT_GE(first, 60);
    EXPECT_LT(first, 90);
    EXPECT_GT(last, 60 + 17 * 20); // at least header + 16 rows of more than 20 px
    EXPECT_LT(last, 1109);
    const QString png = qEnvironmentVariable("QARLO_SHEET_PNG");
    EXPECT_TRUE(png.isEmpty() || page.save(png, "PNG"));
}

TEST_F(EditorTest, PrintSheetWritesAPage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("sheet.pdf"));
    doc.setRxFreq(2, 43012500);
    view->printSheet(&printer, QStringLiteral("test.q02"));
    QFile pdf(dir.filePath("sheet.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
    EXPECT_FALSE(doc.IsModified());
}

} // namespace
} // namespace qarlo::test
