// The overview of all channels driven as a user would: it shows the document after every kind of
// change, a row picked becomes the form's channel, its rows go to the clipboard, and it comes back
// shown or hidden, where it was, in the next run.
#include "AppFixture.h"

#include "app/ChannelClipboard.h"
#include "editor/ChannelOverview.h"
#include "editor/ChannelSheet.h"
#include "memory/CodeTables.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTableView>

namespace qarlo::test {
namespace {

class OverviewTest : public AppFixture {
protected:
    QTableView* Table() { return frame().channelOverview().table(); }
    QString Cell(int row, int column) {
        return Table()->model()->index(row, column).data().toString();
    }
    void ExpectShowsDocument() {
        const int sheetCells[] = {1, 3, 2, 4, 5, 6};
        for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
            const QStringList sheet = SheetRow(doc(), ch);
            for (int c = 0; c < 6; ++c)
                ASSERT_EQ(Cell(ch, c), sheet.value(sheetCells[c])) << ch << "," << c;
        }
        EXPECT_EQ(Table()->selectionModel()->currentIndex().row(), view().currentChannel);
    }
    void ClickTableRow(int row, Qt::KeyboardModifiers keys = {}) {
        const QRect cell = Table()->visualRect(Table()->model()->index(row, 0));
        QTest::mouseClick(Table()->viewport(), Qt::LeftButton, keys, cell.center());
    }
};

TEST_F(OverviewTest, FollowsEveryChangeAndPicksTheFormsChannel) {
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("o.q02"), ProgrammedDoc({1, 3}))}));
    EXPECT_TRUE(frame().channelOverview().isHidden());
    frame().action(ID_VIEW_OVERVIEW)->trigger();
    ASSERT_TRUE(frame().channelOverview().isVisible());
    ExpectShowsDocument();
    CQarloView& v = view();
    ClickRow(v.channelList, 3);
    ExpectShowsDocument();
    TypeInto(v.rxFreqEdit, "431.0125");
    EXPECT_EQ(Cell(3, 0), QStringLiteral("431.0125"));
    ClickRow(v.txCodeTypeList, CODE_TYPE_DQT);
    ClickRow(v.txCodeTableList, 2);
    ClickRow(v.bandwidthList, 1);
    QTest::keyClick(v.squelchSpin, Qt::Key_Up);
    ExpectShowsDocument();
    frame().action(ID_EDIT_UNDO)->trigger();
    ExpectShowsDocument();
    // Picked with the mouse and the keyboard, through the channel list's path.
    frame().channelOverview().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame().channelOverview()));
    ClickTableRow(5);
    EXPECT_EQ(v.currentChannel, 5);
    QTest::keyClick(Table(), Qt::Key_Up);
    EXPECT_EQ(v.currentChannel, 4);
    ClickTableRow(1);
    ClickTableRow(3, Qt::ShiftModifier);
    EXPECT_EQ(v.currentChannel, 3);
    EXPECT_EQ(v.programmedList->GetCurSel(), 1);

    // Several rows: copied as several records, deleted together, pasted back in one step.
    QTest::keyClick(Table(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* held = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(held->data(QString::fromLatin1(CHANNEL_RECORDS_MIME)).size(),
              3 * qsizetype{RECORD_SIZE});
    const DocumentState before = doc().state();
    QTest::keyClick(Table(), Qt::Key_Delete);
    EXPECT_TRUE(doc().rxFreq(1) == 0 && doc().rxFreq(3) == 0);
    ExpectShowsDocument();
    ClickTableRow(1);
    QTest::keyClick(Table(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(doc().state().memory, before.memory);
    ExpectShowsDocument();

    answer = CMainFrame::SaveAnswer::Discard;
    frame().action(ID_FILE_NEW)->trigger();
    ExpectShowsDocument();
}

TEST_F(OverviewTest, ItsVisibilityAndPlaceAreKeptBetweenRuns) {
    ASSERT_TRUE(Start());
    frame().action(ID_VIEW_OVERVIEW)->trigger();
    frame().channelOverview().setGeometry(40, 60, 420, 380);
    ASSERT_TRUE(frame().close());
    ASSERT_TRUE(Start());
    QApplication::processEvents();
    EXPECT_TRUE(frame().channelOverview().isVisible());
    EXPECT_TRUE(frame().action(ID_VIEW_OVERVIEW)->isChecked());
    EXPECT_EQ(frame().channelOverview().geometry().size(), QSize(420, 380));
    // Closed from its own title bar: the check mark goes, and the next run starts without it.
    frame().channelOverview().close();
    EXPECT_FALSE(frame().action(ID_VIEW_OVERVIEW)->isChecked());
    ASSERT_TRUE(Start());
    EXPECT_TRUE(frame().channelOverview().isHidden());
}

} // namespace
} // namespace qarlo::test
