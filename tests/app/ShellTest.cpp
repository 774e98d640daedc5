// Start-up state, the menus item for item, accelerators, toolbar, status bar, check marks,
// prompts and the about box, seen as a user sees them; and the built program's exit status.
#include "AppFixture.h"

#include "app/CAboutDlg.h"
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
}

// Form 101 in the Song face is 1038 x 666 px: with menu, toolbar and status bar the whole window
// fits a laptop's 1366 x 768 screen, every control in sight without scrolling.
TEST_F(ShellTest, TheWholeFormIsInSightOnA1366By768Screen) {
    ASSERT_TRUE(Start());
    const QSize room = frame().screen()->availableGeometry().size();
    ASSERT_GE(room.width(), 1366) << "the tests' screen is 1366 x 768 or larger";
    ASSERT_GE(room.height(), 768);
    EXPECT_EQ(view().size(), QSize(1038, 666));
    EXPECT_LE(frame().frameGeometry().width(), 1366);
    EXPECT_LE(frame().frameGeometry().height(), 768);
    const QRect pane = frame().centralWidget()->geometry();
    for (const QWidget* control : view().findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect shown(control->mapTo(&frame(), QPoint(0, 0)), control->size());
        EXPECT_TRUE(pane.contains(shown)) << control->objectName().toStdString();
    }
}

// New and Open fit the frame to the form again as start-up does: each side shrunk to the form's,
// never grown, never past the screen the frame is on.
TEST_F(ShellTest, NewAndOpenFitTheFrameToTheFormAgain) {
    ASSERT_TRUE(Start());
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

// From the band-low edit 15 Tabs stop once on each of the form's 15 controls (their order is the
// editor's test) and come back to it; Shift+Tab goes the same way back. Nothing else in the window
// takes a stop.
TEST_F(ShellTest, TabGoesRoundTheFormsControlsOnly) {
    ASSERT_TRUE(Start());
    frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
    QList<QWidget*> stops[2];
    for (const bool back : {false, true}) {
        view().bandLowEdit->setFocus();
        for (int i = 0; i < 15 && QApplication::focusWidget(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                            back ? Qt::ShiftModifier : Qt::NoModifier);
            stops[back] << QApplication::focusWidget();
        }
    }
    ASSERT_EQ(stops[0].size(), 15);
    EXPECT_EQ(stops[0].back(), view().bandLowEdit);
    EXPECT_EQ(QSet<QWidget*>(stops[0].begin(), stops[0].end()).size(), 15);
    for (const QWidget* stop : stops[0])
        EXPECT_EQ(stop->parentWidget(), &view()) << stop->objectName().toStdString();
    std::reverse(stops[1].begin(), stops[1].end() - 1);
    EXPECT_EQ(stops[1], stops[0]);
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

// The desktop finds the window's entry, and its icon at every size the package installs.
TEST_F(ShellTest, DesktopEntryAndIconAtEveryInstalledSize) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("qarlo"));
    QList<QSize> installed;
    for (const QString& name : QDir(QStringLiteral(QARLO_ICONS_DIR))
                                   .entryList({QStringLiteral("qarlo-[0-9]*.png")}, QDir::Files))
        installed.append(QImage(QStringLiteral(QARLO_ICONS_DIR "/") + name).size());
    QList<QSize> offered = frame().windowIcon().availableSizes();
    const auto byWidth = [](QSize a, QSize b) { return a.width() < b.width(); };
    std::sort(installed.begin(), installed.end(), byWidth);
    std::sort(offered.begin(), offered.end(), byWidth);
    EXPECT_EQ(offered, installed);
    EXPECT_GE(installed.size(), 8);
}

TEST_F(ShellTest, MenusAndAcceleratorsItemForItem) {
    ASSERT_TRUE(Start());
    const QStringList expected[] = {
        {"文件(&F)", "新建(&N)\tCtrl+N", "打开(&O)...\tCtrl+O", "保存(&S)\tCtrl+S", "另存为(&A)...",
         "导出CSV(&E)...", "导入CSV(&I)...", "-", "最近文件", "-", "退出(&X)"},
        {"查看(&V)", "工具栏(&T)", "状态栏(&S)"},
        {"串口选择(&S)", "COM1", "COM2"},
        {"操作选择(&O)", "写入对讲机", "对讲机读出", "与对讲机比较"},
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

#ifdef QARLO_APP
// The built program, offscreen, its message boxes answered at once (QARLO_ACCEPT_MESSAGES):
// its exit status and what it says for each command line. --help and --version need no display.
TEST_F(ShellTest, TheProgramAnswersItsCommandLine) {
    const QString ten = Write(QStringLiteral("ten.q02"), QByteArray(10, '\0'));
    const QString good = WriteDoc(QStringLiteral("good.q02"), ProgrammedDoc({1}));
    WriteDoc(QStringLiteral("-dash.q02"), ProgrammedDoc({2}));
    const QString none = dir.filePath(QStringLiteral("none.q02"));
    const QString fifo = dir.filePath(QStringLiteral("fifo.q02"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::string bad = QFile::encodeName(dir.path()).toStdString() + "/bad\xFF.q02";
    std::ofstream(bad, std::ios::binary) << FileBytes(ProgrammedDoc({1})).toStdString();
    const QString version = QStringLiteral("qarlo " QARLO_PROJECT_VERSION "\n");
    struct Case {
        QStringList arguments;
        bool display;
        int status;
        QString err; // contained in stderr
        QString out; // the start of stdout; none: nothing at all
    } const cases[] = {
        {{ten}, true, 1, QStringLiteral("无法打开文件 %1：文件格式不正确。").arg(ten), ""},
        {{none}, true, 1, QStringLiteral("无法打开文件 %1。").arg(none), ""},
        {{good}, true, 0, "", "shown "},
        {{}, true, 0, "", "shown "},
        {{"--help"}, false, 0, "", "usage: qarlo [--] [FILE.q02]\n"},
        {{"-h"}, false, 0, "", "usage: qarlo"},
        {{"--version"}, false, 0, "", version},
        {{"-v", good}, false, 0, "", version},
        {{"--", "-dash.q02"}, true, 0, "", "shown "},
        {{"--", "--help"}, true, 1, "无法打开文件 --help。", ""},
        {{"-dash.q02"}, true, 2, "qarlo -- -name.q02", ""},
        {{"--bogus"}, true, 2, "'bogus'", ""},
        {{good, good}, true, 2, "only one FILE", ""},
        {{fifo}, true, 1, QStringLiteral("无法打开文件 %1：它不是普通文件。").arg(fifo), ""},
        // Names as printf %b writes them, so a byte that is no UTF-8 reaches the program as it is.
        {{dir.filePath(QStringLiteral("bad\\0377.q02"))}, true, 0, "", "shown "},
        {{dir.filePath(QStringLiteral("bad\\0376.q02"))},
         true,
         1,
         QStringLiteral("无法打开文件 %1。").arg(dir.filePath(QStringLiteral("bad\\xFE.q02"))),
         ""},
    };
    for (const auto& [arguments, display, status, err, out] : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QARLO_ACCEPT_MESSAGES"), QStringLiteral("1"));
        env.insert(QStringLiteral("QARLO_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
        if (!display) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-display"));
        QProcess qarlo;
        qarlo.setProcessEnvironment(env);
        qarlo.setWorkingDirectory(dir.path());
        qarlo.start(QStringLiteral("/bin/sh"),
                    QStringList{"-c",
                                R"sh(n=$#; for a; do set -- "$@" "$(printf %b "$a")"; done
                                     shift "$n"; exec "$0" "$@")sh",
                                QStringLiteral(QARLO_APP)} +
                        arguments);
        const std::string row = arguments.join(' ').toStdString();
        ASSERT_TRUE(qarlo.waitForFinished(30000)) << row;
        EXPECT_EQ(qarlo.exitStatus(), QProcess::NormalExit) << row;
        EXPECT_EQ(qarlo.exitCode(), status) << row;
        const QString stdErr = QString::fromUtf8(qarlo.readAllStandardError());
        EXPECT_TRUE(stdErr.contains(err)) << row << ": " << stdErr.toStdString();
        const QString stdOut = QString::fromUtf8(qarlo.readAllStandardOutput());
        EXPECT_TRUE(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out)) << row;
    }
    ::unlink(bad.c_str()); // QTemporaryDir cannot name it to remove it
}
#endif

} // namespace
} // namespace qarlo::test
