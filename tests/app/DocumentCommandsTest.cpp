// New, Open (good, short, long, empty and missing files), the command line, Save and Save As,
// the recent-file list across a restart, and CSV import and export from the File menu.
#include "AppFixture.h"

#include "app/Resources.h"
#include "memory/Csv.h"

#include <QAction>
#include <QMenu>
#include <QTest>

namespace qarlo::test {
namespace {

using DocumentCommandsTest = AppFixture;

struct OpenCase {
    const char* name;
    int size; // bytes of the file; -1: no such file
    bool opens;
    const char* message; // part of the message shown, "" for none
};

TEST_F(DocumentCommandsTest, OpenLeavesTheEditorAtChannelOneWithTheListRefilled) {
    const OpenCase cases[] = {
        {"good.q02", 1041, true, ""},
        {"long.q02", 1042, true, ""},
        {"ten.q02", 10, false, "文件格式不正确"},
        {"short.q02", 1040, false, "文件格式不正确"},
        {"empty.q02", 0, false, "文件格式不正确"},
        {"missing.q02", -1, false, "无法打开文件"},
    };
    ASSERT_TRUE(Start());
    const QString before = WriteDoc(QStringLiteral("before.q02"), ProgrammedDoc({7}));
    QByteArray content = FileBytes(ProgrammedDoc({5, 2}));
    content.append('\x5A');
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(frame().OpenDocumentFile(before));
        // The form stands elsewhere before the open.
        view().channelList->SetCurSel(9);
        view().currentChannel = 9;
        messages.clear();
        const QString path = c.size < 0 ? dir.filePath(QString::fromLatin1(c.name))
                                        : Write(QString::fromLatin1(c.name), content.left(c.size));
        nextOpen = path;
        frame().OnFileOpen();

        EXPECT_TRUE(questions.empty()); // nothing was edited
        if (c.opens) {
            EXPECT_TRUE(messages.empty());
            EXPECT_EQ(frame().displayedCaption(),
                      QString::fromLatin1(c.name) + QStringLiteral(" - Qarlo写频软件"));
            EXPECT_EQ(ListedChannels(), (std::vector<int>{2, 5}));
            EXPECT_EQ(frame().recentFiles().files().value(0), path);
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages[0].contains(QString::fromUtf8(c.message)))
                << messages[0].toStdString();
            EXPECT_TRUE(messages[0].contains(QString::fromLatin1(c.name)));
            EXPECT_FALSE(frame().recentFiles().files().contains(path));
        }
        if (c.size < 0) {
            // A file that cannot be opened leaves the document as it was.
            EXPECT_EQ(frame().displayedCaption(), QStringLiteral("before.q02 - Qarlo写频软件"));
            EXPECT_EQ(ListedChannels(), std::vector<int>{7});
            continue;
        }
        if (!c.opens) {
            EXPECT_EQ(frame().displayedCaption(), QStringLiteral("无标题 - Qarlo写频软件"));
            EXPECT_EQ(ListedChannels(), std::vector<int>{});
            EXPECT_EQ(doc().totTenths(), DEFAULT_TOT_TENTHS);
        }
        EXPECT_FALSE(doc().IsModified());
        EXPECT_EQ(view().currentChannel, 0);
        EXPECT_EQ(view().channelList->GetCurSel(), 0);
    }
}

TEST_F(DocumentCommandsTest, NewResetsTheDocumentAndTheForm) {
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("three.q02"), ProgrammedDoc({0, 1, 2}))}));
    EXPECT_EQ(ListedChannels(), (std::vector<int>{0, 1, 2}));
    view().channelList->SetCurSel(4);
    frame().OnFileNew();
    EXPECT_EQ(frame().displayedCaption(), QStringLiteral("无标题 - Qarlo写频软件"));
    EXPECT_EQ(ListedChannels(), std::vector<int>{});
    EXPECT_EQ(view().channelList->GetCurSel(), 0);
    EXPECT_EQ(view().rxFreqEdit->text(), QStringLiteral("0"));
}

TEST_F(DocumentCommandsTest, CommandLineOpensTheFileOrEndsTheProgram) {
    const QString good = WriteDoc(QStringLiteral("cmd.q02"), ProgrammedDoc({3}));
    ASSERT_TRUE(Start({good}));
    EXPECT_EQ(frame().displayedCaption(), QStringLiteral("cmd.q02 - Qarlo写频软件"));
    EXPECT_EQ(ListedChannels(), std::vector<int>{3});
    EXPECT_TRUE(messages.empty());

    for (const QString& bad : {Write(QStringLiteral("ten.q02"), QByteArray(10, '\1')),
                               dir.filePath(QStringLiteral("nothing.q02"))}) {
        messages.clear();
        EXPECT_FALSE(Start({bad}));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].startsWith(QStringLiteral("无法打开文件")));
    }
}

TEST_F(DocumentCommandsTest, RecentFilesKeepFourNewestFirstAcrossARestart) {
    ASSERT_TRUE(Start());
    const QAction* placeholder = frame().fileMenu()->actions().at(7);
    EXPECT_EQ(placeholder->text(), QStringLiteral("最近文件"));
    QStringList paths;
    for (int i = 1; i <= 5; ++i) {
        paths.append(WriteDoc(QStringLiteral("r%1.q02").arg(i), ProgrammedDoc({i})));
        ASSERT_TRUE(frame().OpenDocumentFile(paths.last()));
    }
    ASSERT_TRUE(frame().OpenDocumentFile(paths[2])); // opening again moves it to the top
    const QStringList expected = {paths[2], paths[4], paths[3], paths[1]};
    EXPECT_EQ(frame().recentFiles().files(), expected);

    ASSERT_TRUE(Start()); // a new run reads the list back
    EXPECT_EQ(frame().recentFiles().files(), expected);
    const QList<QAction*> items = frame().fileMenu()->actions();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(items[7 + i]->text(), QStringLiteral("&%1 %2").arg(i + 1).arg(expected[i]));
        EXPECT_EQ(items[7 + i]->statusTip(), QStringLiteral("打开该文档"));
    }
    EXPECT_TRUE(items[11]->isSeparator());

    // Picking an entry opens it.
    items[9]->trigger();
    EXPECT_EQ(frame().displayedCaption(), QStringLiteral("r4.q02 - Qarlo写频软件"));

    // An entry whose file has gone shows the message and leaves the list.
    ASSERT_TRUE(QFile::remove(paths[1]));
    messages.clear();
    frame().OnOpenRecentFile(static_cast<int>(frame().recentFiles().files().indexOf(paths[1])));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_FALSE(frame().recentFiles().files().contains(paths[1]));
    ASSERT_TRUE(Start());
    EXPECT_FALSE(frame().recentFiles().files().contains(paths[1]));
    EXPECT_EQ(frame().recentFiles().files().size(), 3);
}

TEST_F(DocumentCommandsTest, SaveAsNamesTheDocumentAndSaveWritesTheSameFile) {
    ASSERT_TRUE(Start());
    nextSave = dir.filePath(QStringLiteral("saved.q02"));
    QTest::keyClicks(view().totEdit, QStringLiteral("0")); // 5 -> 50 minutes: an edit
    ASSERT_TRUE(doc().IsModified());
    EXPECT_EQ(frame().displayedCaption(), QStringLiteral("无标题* - Qarlo写频软件"));
    ASSERT_TRUE(frame().OnFileSave()); // untitled: Save asks for a name
    ASSERT_EQ(suggestedNames.size(), 1u);
    EXPECT_EQ(suggestedNames[0], QStringLiteral("无标题.q02"));
    EXPECT_EQ(frame().displayedCaption(), QStringLiteral("saved.q02 - Qarlo写频软件"));
    EXPECT_EQ(ReadAll(nextSave), FileBytes(doc()));
    EXPECT_EQ(frame().recentFiles().files().value(0), QFileInfo(nextSave).absoluteFilePath());

    // A second Save asks nothing and overwrites the same file.
    QTest::keyClicks(view().totEdit, QStringLiteral("\b"));
    nextSave.clear();
    ASSERT_TRUE(frame().OnFileSave());
    EXPECT_EQ(suggestedNames.size(), 1u);
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("saved.q02"))), FileBytes(doc()));
}

TEST_F(DocumentCommandsTest, AFailedSaveIsShownAndTheEditStaysMarked) {
    ASSERT_TRUE(Start());
    QTest::keyClicks(view().totEdit, QStringLiteral("0"));
    nextSave = dir.filePath(QStringLiteral("no/such/folder/x.q02"));
    EXPECT_FALSE(frame().OnFileSaveAs());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("无法保存文件")));
    EXPECT_TRUE(doc().IsModified());
    EXPECT_EQ(frame().displayedCaption(), QStringLiteral("无标题* - Qarlo写频软件"));
    EXPECT_TRUE(frame().recentFiles().files().isEmpty());
}

TEST_F(DocumentCommandsTest, CsvExportAndImportFromTheFileMenu) {
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("csv.q02"), ProgrammedDoc({1, 4}))}));
    nextSave = dir.filePath(QStringLiteral("out.csv"));
    frame().action(ID_FILE_EXPORT_CSV)->trigger();
    EXPECT_EQ(suggestedNames.back(), dir.filePath(QStringLiteral("csv.csv")));
    const QByteArray exported = ReadAll(nextSave);
    EXPECT_TRUE(exported.startsWith(
        QByteArray(CSV_HEADER.data(), static_cast<qsizetype>(CSV_HEADER.size()))));
    EXPECT_TRUE(messages.empty());

    // A file with an error changes nothing and names the line and column.
    nextOpen =
        Write(QStringLiteral("bad.csv"),
              QByteArray(CSV_HEADER.data(), static_cast<qsizetype>(CSV_HEADER.size())) +
                  "\n7,,146.520000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,AM,5.00,,,,,,,\n");
    const QByteArray before = FileBytes(doc());
    frame().action(ID_FILE_IMPORT_CSV)->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("Mode"))) << messages[0].toStdString();
    EXPECT_EQ(FileBytes(doc()), before);
    EXPECT_FALSE(doc().IsModified());

    // The exported channels read back into a new document mark it modified and refill the form.
    frame().OnFileNew();
    view().channelList->SetCurSel(6);
    nextOpen = nextSave;
    frame().action(ID_FILE_IMPORT_CSV)->trigger();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(doc().IsModified());
    EXPECT_EQ(frame().displayedCaption(), QStringLiteral("无标题* - Qarlo写频软件"));
    EXPECT_EQ(ListedChannels(), (std::vector<int>{1, 4}));
    EXPECT_EQ(view().channelList->GetCurSel(), 0);
    EXPECT_EQ(doc().rxFreq(4), kHz(434000));
}

} // namespace
} // namespace qarlo::test
