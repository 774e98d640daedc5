// New, Open (good, short and missing files), Save and Save As, the recent-file list across a
// restart, a bad CSV import from the File menu, the save question and backups.
#include "AppFixture.h"

#include "app/BackupKeeper.h"
#include "memory/Csv.h"
#include "platform/qt/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>

#include <sys/stat.h>

#include <filesystem>
#include <functional>

namespace qarlo::test {
namespace {

using DocumentCommandsTest = AppFixture;
using Answer = CMainFrame::SaveAnswer;

TEST_F(DocumentCommandsTest, OpenLeavesTheEditorAtChannelOneWithTheListRefilled) {
    struct Case {
        const char* name;
        int size;              // bytes of the file; -1: no such file
        const char* caption;   // the document's title afterwards
        const char* message;   // part of the message shown, "" for none
        std::vector<int> list; // the programmed list afterwards
    };
    const Case cases[] = {
        {"good.q02", 1041, "good.q02", "", {2, 5}},
        {"long.q02", 1042, "long.q02", "", {2, 5}}, // what follows the file's bytes is no matter
        {"short.q02", 1040, "无标题", "文件格式不正确", {}},
        {"missing.q02", -1, "before.q02", "无法打开文件", {7}}, // the document as it was
    };
    ASSERT_TRUE(Start());
    const QString before = WriteDoc(QStringLiteral("before.q02"), ProgrammedDoc({7}));
    const QByteArray content = FileBytes(ProgrammedDoc({5, 2})) + '\x5A';
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(frame().OpenDocumentFile(before));
        view().channelList->SetCurSel(9); // the form stands elsewhere before the open
        view().currentChannel = 9;
        messages.clear();
        const QString name = QString::fromLatin1(c.name);
        nextOpen = c.size < 0 ? dir.filePath(name) : Write(name, content.left(c.size));
        frame().OnFileOpen();

        EXPECT_TRUE(questions.empty()); // nothing was edited
        EXPECT_EQ(frame().displayedCaption(), Caption(c.caption));
        EXPECT_EQ(ListedChannels(), c.list);
        EXPECT_FALSE(doc().IsModified());
        EXPECT_EQ(frame().recentFiles().files().contains(nextOpen), *c.message == '\0');
        if (*c.message == '\0') {
            EXPECT_TRUE(messages.empty());
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages[0].contains(QString::fromUtf8(c.message)));
            EXPECT_TRUE(messages[0].contains(name)) << messages[0].toStdString();
        }
        if (c.size >= 0) { // a new or opened document: the form is back at channel 1
            EXPECT_EQ(view().currentChannel, 0);
            EXPECT_EQ(view().channelList->GetCurSel(), 0);
        }
    }
}

TEST_F(DocumentCommandsTest, RecentFilesKeepFourNewestFirstAcrossARestart) {
    ASSERT_TRUE(Start());
    QStringList paths;
    for (int i = 1; i <= 5; ++i) {
        paths.append(WriteDoc(QStringLiteral("r%1.q02").arg(i), ProgrammedDoc({i})));
        ASSERT_TRUE(frame().OpenDocumentFile(paths.last()));
    }
    ASSERT_TRUE(frame().OpenDocumentFile(paths[2])); // opening again moves it to the top
    const QStringList expected = {paths[2], paths[4], paths[3], paths[1]};

    ASSERT_TRUE(Start()); // a new run reads the list back
    EXPECT_EQ(frame().recentFiles().files(), expected);
    frame().fileMenu()->actions()[12]->trigger(); // picking the third entry opens it
    EXPECT_EQ(frame().displayedCaption(), Caption("r4.q02"));
}

// Print and its preview are in the File menu with their prompts; the preview draws the sheet.
TEST_F(DocumentCommandsTest, PrintAndItsPreviewFromTheFileMenu) {
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("p.q02"), ProgrammedDoc({1}))}));
    QAction* print = frame().action(ID_FILE_PRINT);
    QAction* preview = frame().action(ID_FILE_PRINT_PREVIEW);
    ASSERT_TRUE(print && preview);
    EXPECT_TRUE(frame().fileMenu()->actions().contains(print));
    EXPECT_TRUE(frame().fileMenu()->actions().contains(preview));
    EXPECT_EQ(print->text(), U("打印(&P)...\tCtrl+P"));
    EXPECT_EQ(print->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(print->statusTip(), U("打印活动文档"));
    EXPECT_EQ(preview->statusTip(), U("显示整页"));

    const QString pdf = dir.filePath(QStringLiteral("preview.pdf"));
    QString docName;
    frame().dialogs.showPreview = [&](const std::function<void(QPrinter*)>& paint) {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        paint(&printer);
        docName = printer.docName();
    };
    preview->trigger();
    EXPECT_EQ(docName, QStringLiteral("p.q02"));
    EXPECT_TRUE(ReadAll(pdf).startsWith("%PDF"));
}

// The file dialogs start beside the current file, else in the documents folder, never in
// whatever directory the program was started from.
TEST_F(DocumentCommandsTest, FileDialogsStartInTheCurrentFilesFolder) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(frame().dialogFolder(),
              QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    ASSERT_TRUE(frame().OpenDocumentFile(WriteDoc(QStringLiteral("sub/f.q02"), ProgrammedDoc({}))));
    EXPECT_EQ(frame().dialogFolder(),
              QFileInfo(dir.filePath(QStringLiteral("sub"))).absoluteFilePath());
}

TEST_F(DocumentCommandsTest, SaveNamesAnUntitledDocument) {
    ASSERT_TRUE(Start());
    const QString saved = dir.filePath(QStringLiteral("saved.q02"));
    nextSave = saved;
    QTest::keyClicks(view().totEdit, QStringLiteral("0")); // 5 -> 50 minutes: an edit
    EXPECT_EQ(frame().displayedCaption(), Caption("无标题*"));
    ASSERT_TRUE(frame().OnFileSave()); // untitled: Save asks for a name
    EXPECT_EQ(suggested, QStringLiteral("无标题.q02"));
    EXPECT_EQ(frame().displayedCaption(), Caption("saved.q02"));
    EXPECT_EQ(ReadAll(saved), FileBytes(doc()));
    EXPECT_EQ(frame().recentFiles().files().value(0), saved);
}

// A name that is no UTF-8 keeps its bytes from open to save: the edit goes into that file, not
// into a new one named with U+FFFD, and the recent list names the same file.
TEST_F(DocumentCommandsTest, SaveWritesTheFileOpenedUnderANameThatIsNoUtf8) {
    ASSERT_TRUE(Start());
    const QByteArray bytes = QFile::encodeName(dir.path()) + "/bad\xFF.q02";
    CQarloDoc original = ProgrammedDoc({3});
    ASSERT_TRUE(StoreChannelFile(original, bytes.toStdString()).ok());
    const QString name = FileNameFromBytes(bytes);
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path()); // as given on the command line: relative
    ASSERT_TRUE(frame().OpenDocumentFile(FileNameFromBytes("bad\xFF.q02")));
    QDir::setCurrent(before);
    QTest::keyClicks(view().totEdit, QStringLiteral("0"));
    ASSERT_TRUE(frame().OnFileSave());
    CQarloDoc saved;
    ASSERT_TRUE(LoadChannelFile(saved, bytes.toStdString()).ok());
    EXPECT_EQ(FileBytes(saved), FileBytes(doc()));
    EXPECT_NE(FileBytes(saved), FileBytes(original));
    int files = 0; // QDir skips a name that is no UTF-8
    for (const auto& entry : std::filesystem::directory_iterator(dir.path().toStdString()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
    EXPECT_EQ(frame().recentFiles().files().value(0), name);
    EXPECT_EQ(frame().displayedCaption(), Caption(QStringLiteral("bad\\xFF.q02")));
}

// A CSV file with an error (mode AM) is named with its column and changes nothing.
TEST_F(DocumentCommandsTest, ABadCsvLeavesTheDocumentUnchanged) {
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("csv.q02"), ProgrammedDoc({1, 4}))}));
    const QByteArray before = FileBytes(doc());
    nextOpen = Write(QStringLiteral("bad.csv"),
                     QByteArray(CSV_HEADER.data(), static_cast<qsizetype>(CSV_HEADER.size())) +
                         "\n7,,146.52,,0,,88.5,88.5,023,NN,023,Tone->Tone,AM,5.00,,,,,,\n");
    frame().action(ID_FILE_IMPORT_CSV)->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("Mode"))) << messages[0].toStdString();
    EXPECT_EQ(FileBytes(doc()), before);
    EXPECT_EQ(frame().displayedCaption(), Caption("csv.q02"));
}

// The import dialog shows every row before anything changes: the first 16 usable rows ticked, in
// order when their Locations do not fit, a row the radio cannot store without a tick and with its
// reason. Space unticks a row; Cancel changes nothing; OK imports the choice and says the band.
TEST_F(DocumentCommandsTest, TheImportDialogShowsTheRowsAndImportsTheChoice) {
    ASSERT_TRUE(Start());
    QByteArray csv = "Location,Frequency,Mode\n";
    for (int i = 0; i < 20; ++i)
        csv += QByteArray::number(i) + ",446." + QByteArray::number(100 + i) +
               (i == 3 ? ",AM\n" : ",NFM\n");
    nextOpen = Write(QStringLiteral("stock.csv"), csv);
    int shown = 0;
    importChoice = [&](CsvImportDialog& d) {
        QTableWidget& t = *d.rowTable;
        int ticked = 0;
        for (int r = 0; r < t.rowCount(); ++r)
            ticked += t.item(r, 0)->checkState() == Qt::Checked;
        EXPECT_EQ(ticked, 16);
        EXPECT_TRUE(d.inOrder->isChecked());
        EXPECT_FALSE(t.item(3, 0)->flags() & Qt::ItemIsUserCheckable);
        EXPECT_TRUE(t.item(3, 7)->text().contains(QStringLiteral("\"AM\"")));
        EXPECT_EQ(t.item(17, 7)->text(), QStringLiteral("未选择"));
        EXPECT_TRUE(d.bandLabel->text().contains(QStringLiteral("446MHz－456MHz")));
        t.setCurrentCell(0, 0);
        QTest::keyClick(&t, Qt::Key_Space);
        EXPECT_EQ(t.item(0, 7)->text(), QStringLiteral("未选择"));
        EXPECT_EQ(t.item(1, 7)->text(), QStringLiteral("01频道"));
        for (QWidget* w : std::initializer_list<QWidget*>{
                 &t, d.byLocation, d.inOrder, d.firstChannel, d.okButton, d.cancelButton})
            EXPECT_FALSE(w->accessibleName().isEmpty());
        return ++shown == 2;
    };
    frame().action(ID_FILE_IMPORT_CSV)->trigger();
    EXPECT_EQ(FileBytes(doc()), FileBytes(CQarloDoc()));
    frame().action(ID_FILE_IMPORT_CSV)->trigger();
    ASSERT_EQ(shown, 2);
    EXPECT_EQ(std::tuple(doc().rxFreq(0), doc().rxFreq(14), doc().rxFreq(15), doc().bandLow()),
              std::tuple(kHz(446101), kHz(446116), 0, 446 * 25000));
    EXPECT_TRUE(
        frame().statusBar()->currentMessage().contains(QStringLiteral("频段设为 446MHz－456MHz")));
}

// An edit is never lost without a question: Open (as New), closing the window and a read from the
// radio each ask first, and each of the three answers does what it says.
TEST_F(DocumentCommandsTest, EachPathAsksAndEachAnswerDoesWhatItSays) {
    const QString work = WriteDoc(QStringLiteral("work.q02"), ProgrammedDoc({2}));
    const QString other = WriteDoc(QStringLiteral("other.q02"), ProgrammedDoc({9}));
    // A port that does not exist: a read that starts ends at once with its message.
    qputenv("QARLO_COM1", QFile::encodeName(dir.filePath(QStringLiteral("no-such-port"))));
    auto opened = [&] { return frame().documents().title() == QStringLiteral("other.q02"); };
    // Each path runs its command and says whether the command went ahead.
    const std::pair<const char*, std::function<bool()>> paths[] = {
        {"Open",
         [&] {
             nextOpen = other;
             frame().action(ID_FILE_OPEN)->trigger();
             return opened();
         }},
        {"Close", [&] { return frame().close(); }},
        {"Read",
         [&] {
             QSignalSpy finished(&frame().link(), &RadioLink::transferFinished);
             frame().action(ID_RADIO_READ)->trigger();
             return finished.count() == 1;
         }},
    };
    const QByteArray onDisk = ReadAll(work);
    for (const auto& [path, run] : paths) {
        for (const Answer a : {Answer::Save, Answer::Discard, Answer::Cancel}) {
            SCOPED_TRACE(std::string(path) + " answer " + std::to_string(static_cast<int>(a)));
            // work.q02 open with channel 1 edited.
            Write(QStringLiteral("work.q02"), onDisk);
            ASSERT_TRUE(Start());
            ASSERT_TRUE(frame().OpenDocumentFile(work));
            QTest::keyClicks(view().rxFreqEdit, QStringLiteral("145"));
            const QByteArray edited = FileBytes(doc());
            questions.clear();
            answer = a;

            EXPECT_EQ(run(), a != Answer::Cancel);
            EXPECT_EQ(questions, std::vector<QString>{QStringLiteral("work.q02")});
            // Only Save touches the file, and then with the edit in it.
            EXPECT_EQ(ReadAll(work), a == Answer::Save ? edited : onDisk);
            if (a == Answer::Cancel) {
                EXPECT_EQ(FileBytes(doc()), edited);
                EXPECT_EQ(frame().displayedCaption(), Caption(QStringLiteral("work.q02*")));
            }
        }
    }
}

TEST_F(DocumentCommandsTest, ASaveThatIsNotNamedOrFailsStopsTheCommand) {
    ASSERT_TRUE(Start());
    QTest::keyClicks(view().rxFreqEdit, QStringLiteral("4"));
    answer = Answer::Save;
    nextSave.clear(); // the user cancels the Save As dialog
    frame().OnFileNew();
    EXPECT_EQ(questions, std::vector<QString>{QStringLiteral("无标题")});
    EXPECT_EQ(doc().rxFreq(0), kHz(4000));

    nextSave = dir.filePath(QStringLiteral("no/folder/x.q02")); // and a save that fails
    EXPECT_FALSE(frame().close());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("无法保存文件")));
    EXPECT_EQ(frame().displayedCaption(), Caption(QStringLiteral("无标题*")));
    EXPECT_TRUE(frame().recentFiles().files().isEmpty());
}

// Backups of what goes to and comes from the radio: names, contents, two in one second, a folder
// closed to others, and only the newest kept beside files of other names.
TEST(BackupKeeper, KeepsTheNewestChannelFilesNamedByTimeAndDirection) {
    using Direction = BackupKeeper::Direction;
    const QDateTime evening(QDate(2026, 12, 6), QTime(21, 30, 0));
    QTemporaryDir dir;
    BackupKeeper keeper(dir.filePath(QStringLiteral("a/b/backups")), 3);
    const std::pair<int, Direction> kept[] = {{0, Direction::Read},
                                              {3599, Direction::Write},
                                              {3599, Direction::Write},
                                              {7198, Direction::Read}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(keeper.Keep(ProgrammedDoc({i}), kept[i].second, evening.addSecs(kept[i].first)),
                  QString());
        if (i == 0) { // a file of another name in the folder is never removed
            QFile notes(keeper.folder() + QStringLiteral("/notes.q02"));
            ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        }
    }
    const QStringList names = keeper.Backups();
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(names[0] + names[2],
              QStringLiteral("2026-12-06_222959_write.q022026-12-06_232958_read.q02"));
    EXPECT_TRUE(QFile::exists(keeper.folder() + QStringLiteral("/notes.q02")));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(keeper.folder()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // Through a link the backups go where it points, and the place keeps its own mode.
    const QString shared = dir.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0755), 0);
    ASSERT_TRUE(QFile::link(shared, dir.filePath(QStringLiteral("linked"))));
    BackupKeeper linked(dir.filePath(QStringLiteral("linked")));
    EXPECT_EQ(linked.Keep(ProgrammedDoc({0}), Direction::Read, evening), QString());
    EXPECT_EQ(QDir(shared).entryList(QDir::Files).size(), 1);
    ASSERT_EQ(::stat(QFile::encodeName(shared).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
}

// Backups dated ahead (a clock that was once fast) give way to those written since: the one just
// made always stays, and each later one too.
TEST(BackupKeeper, OneJustWrittenStaysThoughOthersHaveLaterDates) {
    const QDateTime now(QDate(2026, 12, 6), QTime(21, 30, 0));
    QTemporaryDir dir;
    BackupKeeper keeper(dir.path(), 3);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(keeper.Keep(ProgrammedDoc({i}), BackupKeeper::Direction::Read,
                              now.addYears(1).addSecs(i)),
                  QString());
    QStringList written;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(keeper.Keep(ProgrammedDoc({5}), BackupKeeper::Direction::Write, now.addSecs(i)),
                  QString());
        written.append(QFileInfo(keeper.lastKept()).fileName());
        EXPECT_TRUE(QFile::exists(keeper.lastKept()));
    }
    const QStringList names = keeper.Backups();
    EXPECT_EQ(names,
              QStringList({written[0], written[1], QStringLiteral("2027-12-06_213002_read.q02")}));
}

} // namespace
} // namespace qarlo::test
