// Start-up state, the menus item for item, accelerators, toolbar, status bar, check marks,
// prompts and the about box, seen as a user sees them; and the built program's exit status.
#include "AppFixture.h"

#include "app/CAboutDlg.h"
#include "app/LockKeys.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace qarlo::test {
namespace {

using ShellTest = AppFixture;

TEST_F(ShellTest, StartsUntitledAtChannelOneWithCom1Checked) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(frame().displayedCaption(), Caption(QStringLiteral("无标题")));
    EXPECT_TRUE(frame().isVisible());
    EXPECT_TRUE(frame().action(ID_PORT_COM1)->isChecked());
    EXPECT_FALSE(frame().action(ID_PORT_COM2)->isChecked());
    EXPECT_EQ(view().channelList->GetCurSel(), 0);
    EXPECT_EQ(view().totEdit->text(), QStringLiteral("5"));
    EXPECT_EQ(frame().messagePaneText(), QStringLiteral("就绪"));
    EXPECT_TRUE(messages.empty());
    // The form keeps its size and scrolls; the frame never outgrows the screen.
    EXPECT_EQ(view().size(), view().formSizeHint());
    const QSize room = frame().screen()->availableGeometry().size();
    EXPECT_LE(frame().width(), room.width());
    EXPECT_LE(frame().height(), room.height());
}

TEST_F(ShellTest, MenusAndAcceleratorsItemForItem) {
    ASSERT_TRUE(Start());
    const QStringList expected[] = {
        {"文件(&F)", "新建(&N)\tCtrl+N", "打开(&O)...\tCtrl+O", "保存(&S)\tCtrl+S", "另存为(&A)...",
         "导出CSV(&E)...", "导入CSV(&I)...", "-", "最近文件", "-", "退出(&X)"},
        {"查看(&V)", "工具栏(&T)", "状态栏(&S)"},
        {"串口选择(&S)", "COM1", "COM2"},
        {"操作选择(&O)", "写入对讲机", "对讲机读出"},
        {"帮助(&H)", "关于 qarlo(&A)..."},
    };
    const QList<QAction*> tops = frame().menuBar()->actions();
    ASSERT_EQ(tops.size(), 5);
    for (qsizetype i = 0; i < tops.size(); ++i) {
        QStringList texts{tops[i]->text()}; // the popup's title, then its items
        for (const QAction* item : tops[i]->menu()->actions())
            texts.append(item->isSeparator() ? QStringLiteral("-") : item->text());
        EXPECT_EQ(texts, expected[i]);
        EXPECT_FALSE(tops[i]->menu()->actions().contains(frame().action(ID_FILE_PRINT)));
    }
    EXPECT_FALSE(frame().fileMenu()->actions().at(7)->isEnabled()); // "最近文件", greyed

    // Only New, Open, Save and Print are bound; the edit and pane keys stay with the edits.
    QStringList bound;
    for (const QAction* act : frame().findChildren<QAction*>())
        if (!act->shortcut().isEmpty()) bound.append(act->shortcut().toString());
    bound.sort();
    EXPECT_EQ(bound, (QStringList{"Ctrl+N", "Ctrl+O", "Ctrl+P", "Ctrl+S"}));
    EXPECT_EQ(FileFilter(), QStringLiteral("Qarlo 文件 (*.q02)"));
}

TEST_F(ShellTest, ToolbarButtonsInOrderWithTheirPromptsAndTooltips) {
    ASSERT_TRUE(Start());
    QToolBar* bar = frame().toolBar();
    EXPECT_EQ(bar->iconSize(), QSize(16, 15));
    EXPECT_TRUE(bar->isMovable());
    EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
    EXPECT_EQ(frame().toolBarArea(bar), Qt::TopToolBarArea);
    // Each button: command, status-bar prompt, tooltip; 0 is the separator.
    const std::tuple<int, QString, QString> expected[] = {
        {ID_FILE_NEW, "建立新文档", "新建"},
        {ID_FILE_OPEN, "打开一个现有文档", "打开"},
        {ID_FILE_SAVE, "保存活动文档", "保存"},
        {0, "", ""},
        {ID_RADIO_READ, "将数据从对讲机中读出", "将数据从对讲机中读出"},
        {ID_RADIO_WRITE, "将数据写入对讲机", "将数据写入对讲机"},
    };
    const QList<QAction*> buttons = bar->actions();
    ASSERT_EQ(buttons.size(), 6);
    QSet<QByteArray> pictures; // five of 16 x 15, none blank, no two alike
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const auto& [id, prompt, tooltip] = expected[i];
        EXPECT_EQ(buttons[i]->isSeparator(), id == 0);
        if (id == 0) continue;
        EXPECT_EQ(buttons[i], frame().action(id));
        EXPECT_EQ(buttons[i]->statusTip(), prompt);
        EXPECT_EQ(buttons[i]->toolTip(), tooltip);
        const QImage picture = buttons[i]->icon().pixmap(QSize(16, 15)).toImage();
        EXPECT_EQ(picture.size(), QSize(16, 15));
        EXPECT_NE(picture, QImage(16, 15, picture.format()));
        pictures.insert(
            QByteArray(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes()));
    }
    EXPECT_EQ(pictures.size(), 5);
}

TEST_F(ShellTest, ViewMenuTogglesTheBarsAndTheirCheckMarks) {
    ASSERT_TRUE(Start());
    for (const auto& [id, bar] : {std::pair<int, QWidget*>{ID_VIEW_TOOLBAR, frame().toolBar()},
                                  {ID_VIEW_STATUS_BAR, frame().statusBar()}}) {
        for (const bool shown : {false, true}) {
            frame().action(id)->trigger();
            EXPECT_EQ(bar->isHidden(), !shown) << id;
            EXPECT_EQ(frame().action(id)->isChecked(), shown) << id;
        }
    }
    // A bar hidden another way (its own close box) loses the mark by the time the menu opens.
    frame().toolBar()->hide();
    frame().UpdateViewChecks();
    EXPECT_FALSE(frame().action(ID_VIEW_TOOLBAR)->isChecked());
}

// The mended fault is in the first two rows: COM1's prompt used to name COM2, COM2 had none.
TEST_F(ShellTest, PointingAtAMenuItemShowsItsPromptThenReady) {
    ASSERT_TRUE(Start());
    const std::pair<int, QString> prompts[] = {
        {ID_PORT_COM1, "选择计算机COM1口写频"},
        {ID_PORT_COM2, "选择计算机COM2口写频"},
        {ID_RADIO_WRITE, "将数据写入对讲机"},
        {ID_FILE_SAVE_AS, "将活动文档以一个新文件名保存"},
        {ID_APP_EXIT, "退出应用程序；提示保存文档"},
        {ID_VIEW_STATUS_BAR, "显示或隐藏状态栏"},
        {ID_APP_ABOUT, "显示程序信息，版本号和版权"},
    };
    for (const auto& [id, prompt] : prompts) {
        QAction* item = frame().action(id);
        QMenu* menu = nullptr;
        for (QAction* top : frame().menuBar()->actions())
            if (top->menu()->actions().contains(item)) menu = top->menu();
        ASSERT_NE(menu, nullptr) << id;
        menu->popup(frame().mapToGlobal(QPoint(0, 0)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseMove(menu, menu->actionGeometry(item).center());
        EXPECT_EQ(frame().messagePaneText(), prompt);
        menu->hide();
        EXPECT_EQ(frame().messagePaneText(), QStringLiteral("就绪")) << id;
    }
    for (const int id : {ID_PORT_COM1, ID_PORT_COM2}) // the tooltip is the prompt here
        EXPECT_EQ(frame().action(id)->toolTip(), frame().action(id)->statusTip());
}

TEST_F(ShellTest, PortChoiceIsExclusiveAndSurvivesNewAndOpen) {
    ASSERT_TRUE(Start());
    const QString file = WriteDoc(QStringLiteral("port.q02"), ProgrammedDoc({1}));
    for (const auto& [id, name] : {std::pair{ID_PORT_COM2, "COM2"}, {ID_PORT_COM1, "COM1"}}) {
        frame().action(id)->trigger();
        frame().OnFileNew();
        ASSERT_TRUE(frame().OpenDocumentFile(file));
        EXPECT_EQ(doc().portName, name);
        EXPECT_EQ(frame().action(ID_PORT_COM1)->isChecked(), id == ID_PORT_COM1);
        EXPECT_EQ(frame().action(ID_PORT_COM2)->isChecked(), id == ID_PORT_COM2);
    }
}

TEST_F(ShellTest, CtrlPPrintsTheSheetNamedAfterTheDocument) {
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("sheet.q02"), ProgrammedDoc({0, 3}))}));
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    QString docName;
    frame().dialogs.askPrint = [&](QPrinter& printer) {
        docName = printer.docName();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
    QTest::keyClick(view().rxFreqEdit, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(docName, QStringLiteral("sheet.q02"));
    EXPECT_TRUE(ReadAll(pdf).startsWith("%PDF"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ShellTest, LockKeyPanesFollowTheMessagePaneInOrder) {
    ASSERT_TRUE(Start());
    const char* const expected[][2] = {
        {"ID_INDICATOR_CAPS", "大写"}, {"ID_INDICATOR_NUM", "数字"}, {"ID_INDICATOR_SCRL", "滚动"}};
    QList<QLabel*> panes = frame().statusBar()->findChildren<QLabel*>();
    panes.removeIf([](QLabel* p) { return !p->objectName().startsWith(QStringLiteral("ID_")); });
    ASSERT_EQ(panes.size(), 3);
    for (qsizetype i = 0; i < 3; ++i) { // lit, dark (no text) or unknown (the text, greyed)
        EXPECT_EQ(panes[i]->objectName(), QString::fromUtf8(expected[i][0]));
        EXPECT_TRUE(panes[i]->text().isEmpty() || panes[i]->text() == expected[i][1]) << i;
    }

    // The lamps as this machine's kernel shows them; a second keyboard has caps lock on.
    QTemporaryDir root;
    EXPECT_FALSE(ReadLockKeys(root.filePath(QStringLiteral("missing"))).caps.has_value());
    EXPECT_FALSE(ReadLockKeys(root.path()).num.has_value());
    for (const auto& [led, value] : {std::pair{"input3::capslock", "0\n"},
                                     {"input7::capslock", "1\n"},
                                     {"input3::numlock", "0\n"},
                                     {"input3::scrolllock", "garbage"}}) {
        QDir(root.path()).mkpath(QString::fromLatin1(led));
        QFile file(root.filePath(QString::fromLatin1(led) + QStringLiteral("/brightness")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(value);
    }
    const LockKeyState state = ReadLockKeys(root.path());
    EXPECT_EQ(state.caps, std::optional<bool>(true));
    EXPECT_EQ(state.num, std::optional<bool>(false));
    EXPECT_FALSE(state.scroll.has_value());
}

TEST_F(ShellTest, AboutBoxFromTheHelpMenu) {
    ASSERT_TRUE(Start());
    QStringList seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr); // anything else is closed by the watchdog
        seen = {box->windowTitle(), box->versionLabel->text(), box->okButton->text()};
        EXPECT_TRUE(box->okButton->isDefault());
        EXPECT_FALSE(box->iconLabel->pixmap().isNull());
        EXPECT_FALSE(box->noteLabel->text().isEmpty());
        box->okButton->click();
    });
    frame().action(ID_APP_ABOUT)->trigger();
    EXPECT_EQ(seen, (QStringList{"关于 qarlo", "qarlo 1.0 版", "确定"}));
}

#ifdef QARLO_APP
// The built program, offscreen, its message boxes answered at once (QARLO_ACCEPT_MESSAGES).
TEST_F(ShellTest, TheProgramEndsWithAnErrorStatusAfterTheMessageWhenItsFileCannotBeOpened) {
    const QString ten = Write(QStringLiteral("ten.q02"), QByteArray(10, '\0'));
    const QString none = dir.filePath(QStringLiteral("none.q02"));
    const QString fifo = dir.filePath(QStringLiteral("fifo.q02"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::string bad = QFile::encodeName(dir.path()).toStdString() + "/bad\xFF.q02";
    std::ofstream(bad, std::ios::binary) << FileBytes(ProgrammedDoc({1})).toStdString();
    // Names as printf %b writes them, so a byte that is no UTF-8 reaches the program as it is.
    const std::tuple<QString, int, QString> cases[] = {
        {ten, 1, QStringLiteral("无法打开文件 %1：文件格式不正确。").arg(ten)},
        {none, 1, QStringLiteral("无法打开文件 %1。").arg(none)},
        {fifo, 1, QStringLiteral("无法打开文件 %1：它不是普通文件。").arg(fifo)},
        {WriteDoc(QStringLiteral("good.q02"), ProgrammedDoc({1})), 0, QString()},
        {dir.filePath(QStringLiteral("bad\\0377.q02")), 0, QString()},
        {dir.filePath(QStringLiteral("bad\\0376.q02")), 1,
         QStringLiteral("无法打开文件 %1。").arg(dir.filePath(QStringLiteral("bad\\xFE.q02")))},
    };
    qputenv("QARLO_ACCEPT_MESSAGES", "1");
    qputenv("QARLO_QUIT_WHEN_SHOWN", "1");
    for (const auto& [file, status, message] : cases) {
        QProcess qarlo;
        qarlo.start(QStringLiteral("/bin/sh"), {"-c", R"sh(exec "$0" "$(printf %b "$1")")sh",
                                                QStringLiteral(QARLO_APP), file});
        ASSERT_TRUE(qarlo.waitForFinished(30000));
        EXPECT_EQ(qarlo.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(qarlo.exitCode(), status) << file.toStdString();
        EXPECT_TRUE(QString::fromUtf8(qarlo.readAllStandardError()).contains(message));
        EXPECT_EQ(qarlo.readAllStandardOutput().startsWith("shown "), status == 0);
    }
    qunsetenv("QARLO_ACCEPT_MESSAGES");
    qunsetenv("QARLO_QUIT_WHEN_SHOWN");
    ::unlink(bad.c_str()); // QTemporaryDir cannot name it to remove it
}
#endif

} // namespace
} // namespace qarlo::test
