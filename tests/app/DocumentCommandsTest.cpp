// New, Open (good, long, short, empty and missing files), Save and Save As, the recent-file list
// across a restart, and CSV import and export from the File menu.
#include "AppFixture.h"

#include "app/FileNames.h"
#include "memory/Csv.h"

#include <QFileInfo>
#include <QMenu>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace qarlo::test {
namespace {

using DocumentCommandsTest = AppFixture;

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
        {"long.q02", 1042, "long.q02", "", {2, 5}},
        {"short.q02", 1040, "无标题", "文件格式不正确", {}},
        {"empty.q02", 0, "无标题", "文件格式不正确", {}},
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
    EXPECT_TRUE(frame().close()); // and closing asks nothing either
    EXPECT_TRUE(questions.empty());
}

TEST_F(DocumentCommandsTest, AFileOnTheCommandLineOpensAtOnceAndNewResetsIt) {
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("three.q02"), ProgrammedDoc({0, 1, 2}))}));
    EXPECT_EQ(frame().displayedCaption(), Caption("three.q02"));
    EXPECT_EQ(ListedChannels(), (std::vector<int>{0, 1, 2}));
    view().channelList->SetCurSel(4);
    frame().OnFileNew();
    EXPECT_EQ(frame().displayedCaption(), Caption("无标题"));
    EXPECT_EQ(ListedChannels(), std::vector<int>{});
    EXPECT_EQ(view().channelList->GetCurSel(), 0);
    EXPECT_EQ(view().rxFreqEdit->text(), QStringLiteral("0"));
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
    const QList<QAction*> items = frame().fileMenu()->actions();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(items[7 + i]->text(), QStringLiteral("&%1 %2").arg(i + 1).arg(expected[i]));
        EXPECT_EQ(items[7 + i]->statusTip(), QStringLiteral("打开该文档"));
    }
    EXPECT_TRUE(items[11]->isSeparator());
    items[9]->trigger(); // picking an entry opens it
    EXPECT_EQ(frame().displayedCaption(), Caption("r4.q02"));

    // An entry whose file has gone shows the message and leaves the list, for good.
    ASSERT_TRUE(QFile::remove(paths[1]));
    messages.clear();
    frame().OnOpenRecentFile(3);
    EXPECT_EQ(messages.size(), 1u);
    ASSERT_TRUE(Start());
    EXPECT_EQ(frame().recentFiles().files(), (QStringList{paths[3], paths[2], paths[4]}));
}

TEST_F(DocumentCommandsTest, SaveAsNamesTheDocumentAndSaveWritesTheSameFile) {
    ASSERT_TRUE(Start());
    const QString saved = dir.filePath(QStringLiteral("saved.q02"));
    nextSave = saved;
    QTest::keyClicks(view().totEdit, QStringLiteral("0")); // 5 -> 50 minutes: an edit
    EXPECT_EQ(frame().displayedCaption(), Caption("无标题*"));
    ASSERT_TRUE(frame().OnFileSave()); // untitled: Save asks for a name
    EXPECT_EQ(suggestedNames, std::vector<QString>{QStringLiteral("无标题.q02")});
    EXPECT_EQ(frame().displayedCaption(), Caption("saved.q02"));
    EXPECT_EQ(ReadAll(saved), FileBytes(doc()));
    EXPECT_EQ(frame().recentFiles().files().value(0), saved);

    QTest::keyClicks(view().totEdit, QStringLiteral("\b"));
    nextSave.clear();
    ASSERT_TRUE(frame().OnFileSave()); // named: no dialog, the same file
    EXPECT_EQ(suggestedNames.size(), 1u);
    EXPECT_EQ(ReadAll(saved), FileBytes(doc()));

    // Onto a FIFO: refused, and the FIFO stays one; the document keeps its name and its edit.
    nextSave = dir.filePath(QStringLiteral("fifo.q02"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(nextSave).constData(), 0600), 0);
    QTest::keyClicks(view().totEdit, QStringLiteral("0"));
    EXPECT_FALSE(frame().OnFileSaveAs());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("不是普通文件"))) << messages[0].toStdString();
    EXPECT_EQ(frame().displayedCaption(), Caption("saved.q02*"));
    EXPECT_TRUE(QFileInfo(nextSave).exists() && !QFileInfo(nextSave).isFile());
}

// A name that is not UTF-8 keeps its bytes: opened from the command line, shown readably, saved
// into the same file, and opened again from the recent-file list of the next run.
TEST_F(DocumentCommandsTest, ANameThatIsNotUtf8KeepsItsBytes) {
    QByteArray name = QFile::encodeName(dir.path()) + "/bad\xFF.q02";
    std::ofstream(name.constData(), std::ios::binary)
        << FileBytes(ProgrammedDoc({3})).toStdString();
    char program[] = "qarlo";
    char* argv[] = {program, name.data()};
    ASSERT_TRUE(Start(ArgumentsFromArgv(2, argv)));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(frame().displayedCaption(), Caption("bad\\xFF.q02"));
    EXPECT_EQ(ListedChannels(), std::vector<int>{3});
    QTest::keyClicks(view().totEdit, QStringLiteral("0"));
    ASSERT_TRUE(frame().OnFileSave());
    const QByteArray saved = FileBytes(doc());
    std::ifstream in(name.constData(), std::ios::binary);
    EXPECT_EQ(QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}}), saved);

    ASSERT_TRUE(Start());
    const QAction* entry = frame().fileMenu()->actions()[7];
    EXPECT_TRUE(entry->text().endsWith(QStringLiteral("/bad\\xFF.q02")))
        << entry->text().toStdString();
    frame().OnOpenRecentFile(0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(frame().displayedCaption(), Caption("bad\\xFF.q02"));
    EXPECT_EQ(FileBytes(doc()), saved);
    ::unlink(name.constData()); // QTemporaryDir cannot name it to remove it
}

// Saving rebuilds the programmed list and leaves its list box to the next channel shown, so the
// selection never stands on another channel than the form's.
TEST_F(DocumentCommandsTest, SaveLeavesTheProgrammedSelectionToTheNextChannelShown) {
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("saved.q02"), ProgrammedDoc({2, 5, 9}))}));
    frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
    const auto click = [](ListBox* list, int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    };
    const auto selected = [this] {
        return view().programmedList->GetText(view().programmedList->GetCurSel());
    };
    click(view().programmedList, 1); // 06频道
    view().rxFreqEdit->selectAll();
    QTest::keyClicks(view().rxFreqEdit, QStringLiteral("4")); // 4 MHz: no longer programmed
    EXPECT_EQ(ListedChannels(), (std::vector<int>{2, 9}));
    EXPECT_EQ(selected(), QString());

    QTest::keyClick(view().rxFreqEdit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(doc().IsModified());
    EXPECT_EQ(view().currentChannel, 5);
    EXPECT_EQ(selected(), QString()); // not "10频道" while the form shows channel 06
    EXPECT_EQ(doc().listRefillPending, -1);
    click(view().channelList, 9);
    EXPECT_EQ(ListedChannels(), (std::vector<int>{2, 9}));
    EXPECT_EQ(selected(), QStringLiteral("10频道"));
    EXPECT_EQ(doc().listRefillPending, 1);
}

TEST_F(DocumentCommandsTest, CsvExportAndImportFromTheFileMenu) {
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("csv.q02"), ProgrammedDoc({1, 4}))}));
    const QByteArray header(CSV_HEADER.data(), static_cast<qsizetype>(CSV_HEADER.size()));
    nextSave = dir.filePath(QStringLiteral("out.csv"));
    frame().action(ID_FILE_EXPORT_CSV)->trigger();
    EXPECT_EQ(suggestedNames, std::vector<QString>{dir.filePath(QStringLiteral("csv.csv"))});
    EXPECT_TRUE(ReadAll(nextSave).startsWith(header));

    // Into a new document: a file with an error (mode AM) is named with its column and changes
    // nothing; the export read back marks the document modified and refills the form.
    frame().OnFileNew();
    const QByteArray fresh = FileBytes(doc());
    nextOpen = Write(QStringLiteral("bad.csv"),
                     header + "\n7,,146.52,,0,,88.5,88.5,023,NN,023,Tone->Tone,AM,5.00,,,,,,,\n");
    frame().action(ID_FILE_IMPORT_CSV)->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("Mode"))) << messages[0].toStdString();
    EXPECT_EQ(FileBytes(doc()), fresh);
    EXPECT_EQ(frame().displayedCaption(), Caption("无标题"));

    // A FIFO: exported into as it stands (a reader is there); as a CSV to import, refused at once.
    const QString fifo = dir.filePath(QStringLiteral("fifo.csv"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
    nextSave = nextOpen = fifo;
    frame().action(ID_FILE_EXPORT_CSV)->trigger();
    char got[64] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), static_cast<ssize_t>(sizeof got));
    EXPECT_TRUE(header.startsWith(QByteArray(got, sizeof got)));
    ::close(reader);
    ::alarm(60); // a FIFO that blocks ends the run instead of hanging it
    frame().action(ID_FILE_IMPORT_CSV)->trigger();
    ::alarm(0);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[1].contains(QStringLiteral("不是普通文件"))) << messages[1].toStdString();
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    messages.pop_back();

    view().channelList->SetCurSel(6);
    nextOpen = dir.filePath(QStringLiteral("out.csv"));
    frame().action(ID_FILE_IMPORT_CSV)->trigger();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(frame().displayedCaption(), Caption("无标题*"));
    EXPECT_EQ(ListedChannels(), (std::vector<int>{1, 4}));
    EXPECT_EQ(view().channelList->GetCurSel(), 0);
    EXPECT_EQ(doc().rxFreq(4), kHz(434000));
}

} // namespace
} // namespace qarlo::test
