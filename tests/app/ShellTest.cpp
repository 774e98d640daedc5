// Start-up state, the menus item for item, accelerators, toolbar, status bar, check marks,
// prompts and the about box, seen as a user sees them; and the built program's exit status.
#include "AppFixture.h"

#include "app/CAboutDlg.h"
#include "app/CommandLine.h"
#include "app/LockKeys.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSerialPort>
#include <QSet>
#include <QStatusBar>
#include <QStyleOptionMenuItem>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <sys/stat.h>
#include <unistd.h>

namespace qarlo::test {
namespace {

using ShellTest = AppFixture;

// The window as it starts: untitled at channel 1 with COM1 checked; only New, Open, Save and Print
// bound (Print has no menu item, the recent-file place holder is greyed); five toolbar pictures of
// 16 x 15 px, none blank, no two alike; the View menu's bars; the desktop entry and its icons.
TEST_F(ShellTest, StartUpKeysToolbarBarsAndIcons) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(frame().displayedCaption(), Caption(QStringLiteral("无标题")));
    EXPECT_TRUE(frame().isVisible());
    EXPECT_TRUE(frame().action(ID_PORT_COM1)->isChecked());
    EXPECT_FALSE(frame().action(ID_PORT_COM2)->isChecked());
    EXPECT_EQ(view().channelList->GetCurSel(), 0);
    EXPECT_EQ(view().totEdit->text() + frame().messagePaneText(), QStringLiteral("5就绪"));
    EXPECT_TRUE(messages.empty());
    QStringList bound;
    for (const QAction* act : frame().findChildren<QAction*>())
        if (!act->shortcut().isEmpty()) bound.append(act->shortcut().toString());
    bound.sort();
    EXPECT_EQ(bound, (QStringList{"Ctrl+N", "Ctrl+O", "Ctrl+P", "Ctrl+S"}));
    for (const QAction* top : frame().menuBar()->actions())
        EXPECT_FALSE(top->menu()->actions().contains(frame().action(ID_FILE_PRINT)));
    for (const QAction* item : frame().fileMenu()->actions())
        EXPECT_TRUE(item->objectName() != QStringLiteral("ID_FILE_MRU_FILE1") ||
                    !item->isEnabled());

    QToolBar* toolBar = frame().toolBar();
    EXPECT_EQ(frame().toolBarArea(toolBar), Qt::TopToolBarArea);
    const int ids[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_RADIO_READ, ID_RADIO_WRITE};
    const QList<QAction*> buttons = toolBar->actions();
    ASSERT_EQ(buttons.size(), 6);
    QSet<QByteArray> pictures;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i], ids[i] ? frame().action(ids[i]) : buttons[i]);
        if (ids[i] == 0) continue;
        const QImage picture = buttons[i]->icon().pixmap(toolBar->iconSize()).toImage();
        EXPECT_EQ(picture.size(), QSize(16, 15));
        EXPECT_NE(picture, QImage(16, 15, picture.format()));
        pictures.insert(
            QByteArray(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes()));
    }
    EXPECT_EQ(pictures.size(), 5);

    for (const auto& [id, shownBar] : {std::pair<int, QWidget*>{ID_VIEW_TOOLBAR, toolBar},
                                       {ID_VIEW_STATUS_BAR, frame().statusBar()}}) {
        for (const bool shown : {false, true}) {
            frame().action(id)->trigger();
            EXPECT_EQ(std::pair(shownBar->isHidden(), frame().action(id)->isChecked()),
                      std::pair(!shown, shown))
                << id;
        }
    }
    toolBar->hide(); // another way (its close box): the mark is gone by the time the menu opens
    frame().UpdateViewChecks();
    EXPECT_FALSE(frame().action(ID_VIEW_TOOLBAR)->isChecked());

    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("qarlo"));
    QList<int> installed, offered;
    for (const QString& name : QDir(QStringLiteral(QARLO_ICONS_DIR))
                                   .entryList({QStringLiteral("qarlo-[0-9]*.png")}, QDir::Files))
        installed.append(QImage(QStringLiteral(QARLO_ICONS_DIR "/") + name).width());
    for (const QSize size : frame().windowIcon().availableSizes())
        offered.append(size.width());
    std::sort(installed.begin(), installed.end());
    std::sort(offered.begin(), offered.end());
    EXPECT_EQ(offered, installed);
    EXPECT_GE(installed.size(), 8);
}

// Start-up, New and Open fit the frame to the form: each side shrunk to the form's, never grown,
// never past the screen the frame is on.
TEST_F(ShellTest, NewAndOpenFitTheFrameToTheFormAgain) {
    ASSERT_TRUE(Start());
    // Form 101 is 1038 x 666 px: with the bars the window fits a laptop's 1366 x 768 screen.
    EXPECT_EQ(view().size(), QSize(1038, 666));
    EXPECT_LE(frame().frameGeometry().width(), 1366);
    EXPECT_LE(frame().frameGeometry().height(), 768);
    const QSize fitted = frame().size();
    const QSize borders = frame().frameGeometry().size() - fitted;
    const auto* pane = qobject_cast<QScrollArea*>(frame().centralWidget());
    ASSERT_NE(pane, nullptr);
    const int bar = pane->verticalScrollBar()->sizeHint().width();
    const QString file = WriteDoc(QStringLiteral("fit.q02"), ProgrammedDoc({1}));
    const QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* small = screens.back(); // 800 x 600 beside the laptop's screen
    ASSERT_EQ(small->availableGeometry().size(), QSize(800, 600));
    const struct {
        QScreen* screen;
        QSize before;
        bool open;
        QSize after;
    } cases[] = {
        {screens.front(), {1366, 768}, false, fitted},
        {screens.front(), {1366, 768}, true, fitted},
        {screens.front(), {900, 500}, true, {900, 500}},
        {screens.front(), {1200, 500}, false, {fitted.width() + bar, 500}}, // room for its bar
        {small, {1366, 768}, false, QSize(800, 600) - borders},
    };
    for (const auto& c : cases) {
        frame().setScreen(c.screen);
        frame().resize(c.before);
        if (c.open) {
            EXPECT_TRUE(frame().OpenDocumentFile(file));
        } else {
            frame().OnFileNew();
        }
        EXPECT_EQ(frame().size(), c.after) << c.before.width() << " " << c.open;
    }
}

// Qt's own texts speak Chinese: the save question's buttons (no longer relabelled by hand), an
// edit's context menu, a serial port's reason.
TEST_F(ShellTest, QtsOwnDialogsMenusAndReasonsAreInChinese) {
    ASSERT_TRUE(Start());
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (const QAbstractButton* button : box->buttons())
            buttons << button->text();
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(builtIn.askSaveChanges(QStringLiteral("无标题")), CMainFrame::SaveAnswer::Cancel);
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"取消", "否(&N)", "是(&Y)"}));
    const std::unique_ptr<QMenu> menu(view().rxFreqEdit->createStandardContextMenu());
    EXPECT_TRUE(menu->actions().value(0)->text().startsWith(QStringLiteral("撤消(&U)")));
    QSerialPort closed;
    closed.flush();
    EXPECT_EQ(closed.errorString(), QStringLiteral("设备未打开"));
}

// The mended fault is in the first two rows: COM1's prompt used to name COM2, COM2 had none.
TEST_F(ShellTest, PointingAtAMenuItemShowsItsPromptThenReady) {
    ASSERT_TRUE(Start());
    const std::pair<int, QString> prompts[] = {
        {ID_PORT_COM1, "选择计算机COM1口写频"},
        {ID_PORT_COM2, "选择计算机COM2口写频"},
        {ID_APP_EXIT, "退出应用程序；提示保存文档"},
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

// How the style is asked to draw each menu item's mark: a check mark or a radio bullet.
struct MarkRecorder : QProxyStyle {
    mutable QMap<QString, QStyleOptionMenuItem::CheckType> marks;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option))
            if (element == CE_MenuItem && !item->text.isEmpty())
                marks[item->text] = item->checkType;
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

// Below COM1 and COM2 the devices present, each with its prompt; one check mark among all.
TEST_F(ShellTest, PortChoiceIsExclusiveWithCheckMarksAndSurvivesNewAndOpen) {
    ASSERT_TRUE(Start());
    frame().listPorts = [] {
        return QList<PortInfo>{{"/dev/ttyUSB7", "USB-Serial", "QinHeng", true, 0x1a86, 0x7523, {}}};
    };
    QMenu* menu = frame().portMenu();
    auto* style = new MarkRecorder;
    style->setParent(menu);
    menu->setStyle(style);
    menu->popup(frame().mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QAction* usb = menu->actions().last();
    const QString usbText = QStringLiteral("/dev/ttyUSB7  USB-Serial (1a86:7523)");
    EXPECT_TRUE(menu->actions().at(2)->isSeparator());
    EXPECT_EQ(usb->statusTip(),
              QStringLiteral("选择/dev/ttyUSB7口写频（厂商：QinHeng，产品：USB-Serial）"));
    menu->grab();
    menu->hide();
    const auto check = QStyleOptionMenuItem::NonExclusive; // a radio bullet is Exclusive
    EXPECT_EQ(style->marks,
              (decltype(style->marks){{"COM1", check}, {"COM2", check}, {usbText, check}}));

    const QString file = WriteDoc(QStringLiteral("port.q02"), ProgrammedDoc({1}));
    QAction* com1 = frame().action(ID_PORT_COM1);
    QAction* com2 = frame().action(ID_PORT_COM2);
    for (const auto& [item, name] :
         {std::pair{usb, "/dev/ttyUSB7"}, {com2, "COM2"}, {com2, "COM2"}, {com1, "COM1"}}) {
        item->trigger();
        frame().OnFileNew();
        ASSERT_TRUE(frame().OpenDocumentFile(file));
        EXPECT_EQ(doc().portName, name);
        EXPECT_EQ(QList<bool>({com1->isChecked(), com2->isChecked(), usb->isChecked()}),
                  QList<bool>({item == com1, item == com2, item == usb}));
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
        // 235 x 55 dialog units and "确定" at 178, 7, 50 x 14 in the form's 1.5 px units.
        EXPECT_EQ(box->size(), QSize(353, 83));
        EXPECT_EQ(box->okButton->geometry(), QRect(267, 11, 75, 21));
        box->okButton->click();
    });
    frame().action(ID_APP_ABOUT)->trigger();
    EXPECT_EQ(seen, (QStringList{"关于 qarlo", "qarlo 1.0 版", "确定"}));
}

// The built program answers --help, --version and a command line it cannot carry out before any
// window exists: its exit status and what it prints.
TEST_F(ShellTest, TheProgramAnswersItsCommandLineBeforeAnyWindow) {
    const QString good = WriteDoc(QStringLiteral("good.q02"), ProgrammedDoc({1}));
    const QString version = QStringLiteral("qarlo " QARLO_PROJECT_VERSION "\n");
    struct Case {
        QStringList arguments;
        int status;
        QString err; // contained in stderr
        QString out; // the start of stdout; none: nothing at all
    } const cases[] = {
        {{"--help"}, 0, "", "usage: qarlo [--] [FILE.q02]\n"},
        {{"-h"}, 0, "", "usage: qarlo"},
        {{"--version"}, 0, "", version},
        {{"-v", good}, 0, "", version},
        {{"-dash.q02"}, 2, "qarlo -- -name.q02", ""},
        {{"--bogus"}, 2, "'bogus'", ""},
        {{good, good}, 2, "only one FILE", ""},
    };
    for (const auto& [arguments, status, err, out] : cases) {
        QProcess qarlo;
        qarlo.setWorkingDirectory(dir.path());
        qarlo.start(QStringLiteral(QARLO_APP), arguments);
        const std::string row = arguments.join(' ').toStdString();
        ASSERT_TRUE(qarlo.waitForFinished(30000)) << row;
        EXPECT_EQ(qarlo.exitStatus(), QProcess::NormalExit) << row;
        EXPECT_EQ(qarlo.exitCode(), status) << row;
        const QString stdErr = QString::fromUtf8(qarlo.readAllStandardError());
        EXPECT_TRUE(stdErr.contains(err)) << row << ": " << stdErr.toStdString();
        const QString stdOut = QString::fromUtf8(qarlo.readAllStandardOutput());
        EXPECT_TRUE(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out)) << row;
    }
}

// A command line the window carries out: the file after the options (after -- even when it looks
// like one) is opened; one that cannot be opened is said in a box and start-up fails.
TEST_F(ShellTest, TheFileOnTheCommandLineOpensOrStartUpFails) {
    const QString ten = Write(QStringLiteral("ten.q02"), QByteArray(10, '\0'));
    const QString none = dir.filePath(QStringLiteral("none.q02"));
    const QString fifo = dir.filePath(QStringLiteral("fifo.q02"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QDir::setCurrent(dir.path());
    WriteDoc(QStringLiteral("-dash.q02"), ProgrammedDoc({2}));
    const struct {
        QStringList arguments;
        bool started;
        QString message;
    } cases[] = {
        {{}, true, ""},
        {{"--", "-dash.q02"}, true, ""},
        {{"--", "--help"}, false, "无法打开文件 --help。"},
        {{ten}, false, QStringLiteral("无法打开文件 %1：文件格式不正确。").arg(ten)},
        {{none}, false, QStringLiteral("无法打开文件 %1。").arg(none)},
        {{fifo}, false, QStringLiteral("无法打开文件 %1：它不是普通文件。").arg(fifo)},
    };
    for (const auto& c : cases) {
        QString error;
        const auto files = FileArguments(QStringList{"qarlo"} + c.arguments, error);
        ASSERT_TRUE(files.has_value()) << error.toStdString();
        messages.clear();
        EXPECT_EQ(Start(*files), c.started) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(messages.empty() ? QString() : messages.front().section('\n', 0, 0), c.message);
        EXPECT_EQ(doc().IsChannelProgrammed(2), c.arguments.contains("-dash.q02"));
    }
}

} // namespace
} // namespace qarlo::test
