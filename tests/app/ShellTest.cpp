// Start-up state, the menus item for item, toolbar, status bar, check marks, prompts and the
// about box, seen as a user sees them.
#include "AppFixture.h"

#include "app/CAboutDlg.h"
#include "app/LockKeys.h"
#include "app/Resources.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace qarlo::test {
namespace {

using ShellTest = AppFixture;

// A menu's items as texts, "-" for a separator.
QStringList ItemTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* act : menu->actions())
        texts.append(act->isSeparator() ? QStringLiteral("-") : act->text());
    return texts;
}

TEST_F(ShellTest, StartsWithAnUntitledDocumentChannelOneAndCom1) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(frame().displayedCaption(), QStringLiteral("无标题 - Qarlo写频软件"));
    EXPECT_FALSE(frame().isWindowModified());
    EXPECT_TRUE(frame().isVisible());
    EXPECT_TRUE(frame().action(ID_PORT_COM1)->isChecked());
    EXPECT_FALSE(frame().action(ID_PORT_COM2)->isChecked());
    EXPECT_EQ(doc().portName, "COM1");
    EXPECT_EQ(view().currentChannel, 0);
    EXPECT_EQ(view().channelList->GetCount(), 16);
    EXPECT_EQ(view().channelList->GetCurSel(), 0);
    EXPECT_EQ(view().totEdit->text(), QStringLiteral("5"));
    EXPECT_EQ(frame().messagePaneText(), QStringLiteral("就绪"));
    EXPECT_TRUE(messages.empty());
    // The window is fitted around the form.
    EXPECT_GE(frame().centralWidget()->width(), view().formSizeHint().width() - 1);
}

TEST_F(ShellTest, MenusHoldEveryItemInOrder) {
    ASSERT_TRUE(Start());
    const QList<QAction*> tops = frame().menuBar()->actions();
    const std::vector<std::pair<QString, QStringList>> expected = {
        {QStringLiteral("文件(&F)"),
         {QStringLiteral("新建(&N)\tCtrl+N"), QStringLiteral("打开(&O)...\tCtrl+O"),
          QStringLiteral("保存(&S)\tCtrl+S"), QStringLiteral("另存为(&A)..."),
          QStringLiteral("导出CSV(&E)..."), QStringLiteral("导入CSV(&I)..."), QStringLiteral("-"),
          QStringLiteral("最近文件"), QStringLiteral("-"), QStringLiteral("退出(&X)")}},
        {QStringLiteral("查看(&V)"), {QStringLiteral("工具栏(&T)"), QStringLiteral("状态栏(&S)")}},
        {QStringLiteral("串口选择(&S)"), {QStringLiteral("COM1"), QStringLiteral("COM2")}},
        {QStringLiteral("操作选择(&O)"),
         {QStringLiteral("写入对讲机"), QStringLiteral("对讲机读出")}},
        {QStringLiteral("帮助(&H)"), {QStringLiteral("关于 qarlo(&A)...")}},
    };
    ASSERT_EQ(tops.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].first.toStdString());
        EXPECT_EQ(tops[static_cast<qsizetype>(i)]->text(), expected[i].first);
        ASSERT_NE(tops[static_cast<qsizetype>(i)]->menu(), nullptr);
        EXPECT_EQ(ItemTexts(tops[static_cast<qsizetype>(i)]->menu()), expected[i].second);
    }
    // The recent-file place holder is greyed while the list is empty.
    const QAction* placeholder = frame().fileMenu()->actions().at(7);
    EXPECT_FALSE(placeholder->isEnabled());
    // No item is ever disabled, the port items included.
    for (int id : {ID_PORT_COM1, ID_PORT_COM2, ID_RADIO_READ, ID_RADIO_WRITE})
        EXPECT_TRUE(frame().action(id)->isEnabled());
}

TEST_F(ShellTest, OnlyTheFileAndPrintAcceleratorsAreBound) {
    ASSERT_TRUE(Start());
    QList<QKeySequence> bound;
    for (const QAction* act : frame().findChildren<QAction*>())
        if (!act->shortcut().isEmpty()) bound.append(act->shortcut());
    const QList<QKeySequence> expected = {
        QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::CTRL | Qt::Key_O),
        QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::Key_P)};
    EXPECT_EQ(bound.size(), expected.size());
    for (const QKeySequence& key : expected)
        EXPECT_TRUE(bound.contains(key)) << key.toString().toStdString();
}

TEST_F(ShellTest, CtrlPOpensThePrintDialogAlthoughNoMenuOffersIt) {
    ASSERT_TRUE(Start());
    frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
    QTest::keyClick(view().rxFreqEdit, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printDialogs, 1);
    for (const QAction* top : frame().menuBar()->actions())
        for (const QAction* item : top->menu()->actions())
            EXPECT_NE(item, frame().action(ID_FILE_PRINT));
}

TEST_F(ShellTest, AcceptedPrintDialogPrintsTheSheetNamedAfterTheDocument) {
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("sheet.q02"), ProgrammedDoc({0, 3}))}));
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    QString docName;
    frame().dialogs.askPrint = [&](QPrinter& printer) {
        docName = printer.docName();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    frame().OnFilePrint();
    EXPECT_EQ(docName, QStringLiteral("sheet.q02"));
    EXPECT_TRUE(ReadAll(pdf).startsWith("%PDF"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ShellTest, ToolbarHasItsSixPlacesWithPicturesAndTooltips) {
    ASSERT_TRUE(Start());
    QToolBar* bar = frame().toolBar();
    EXPECT_EQ(bar->iconSize(), QSize(16, 15));
    EXPECT_TRUE(bar->isMovable());
    EXPECT_TRUE(bar->isFloatable());
    EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
    EXPECT_EQ(frame().toolBarArea(bar), Qt::TopToolBarArea);
    const QList<QAction*> buttons = bar->actions();
    ASSERT_EQ(buttons.size(), 6);
    EXPECT_TRUE(buttons[3]->isSeparator());
    const std::vector<std::pair<int, QString>> expected = {
        {ID_FILE_NEW, QStringLiteral("新建")},
        {ID_FILE_OPEN, QStringLiteral("打开")},
        {ID_FILE_SAVE, QStringLiteral("保存")},
        {ID_RADIO_READ, QStringLiteral("将数据从对讲机中读出")},
        {ID_RADIO_WRITE, QStringLiteral("将数据写入对讲机")},
    };
    const int places[] = {0, 1, 2, 4, 5};
    QList<QImage> pictures;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QAction* act = buttons[places[i]];
        EXPECT_EQ(act, frame().action(expected[i].first));
        EXPECT_EQ(act->toolTip(), expected[i].second);
        const QImage picture = act->icon().pixmap(QSize(16, 15)).toImage();
        EXPECT_EQ(picture.size(), QSize(16, 15));
        pictures.append(picture);
    }
    // Five different pictures, none of them blank.
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        EXPECT_NE(pictures[i], QImage(16, 15, pictures[i].format()));
        for (qsizetype j = i + 1; j < pictures.size(); ++j)
            EXPECT_NE(pictures[i], pictures[j]);
    }
}

TEST_F(ShellTest, ViewMenuTogglesTheBarsAndTheirCheckMarks) {
    ASSERT_TRUE(Start());
    const std::vector<std::pair<int, QWidget*>> toggles = {
        {ID_VIEW_TOOLBAR, frame().toolBar()}, {ID_VIEW_STATUS_BAR, frame().statusBar()}};
    for (const auto& [id, bar] : toggles) {
        SCOPED_TRACE(id);
        QAction* act = frame().action(id);
        EXPECT_TRUE(act->isChecked());
        act->trigger();
        EXPECT_TRUE(bar->isHidden());
        EXPECT_FALSE(act->isChecked());
        act->trigger();
        EXPECT_FALSE(bar->isHidden());
        EXPECT_TRUE(act->isChecked());
    }
    // A bar hidden some other way (its own close box) loses the mark when the menu opens.
    frame().toolBar()->hide();
    frame().UpdateViewChecks();
    EXPECT_FALSE(frame().action(ID_VIEW_TOOLBAR)->isChecked());
}

TEST_F(ShellTest, PointingAtACommandShowsItsPromptThenReady) {
    ASSERT_TRUE(Start());
    const std::vector<std::pair<int, QString>> prompts = {
        {ID_PORT_COM1, QStringLiteral("选择计算机COM1口写频")},
        {ID_PORT_COM2, QStringLiteral("选择计算机COM2口写频")},
        {ID_RADIO_READ, QStringLiteral("将数据从对讲机中读出")},
        {ID_RADIO_WRITE, QStringLiteral("将数据写入对讲机")},
        {ID_FILE_NEW, QStringLiteral("建立新文档")},
        {ID_FILE_SAVE_AS, QStringLiteral("将活动文档以一个新文件名保存")},
        {ID_APP_EXIT, QStringLiteral("退出应用程序；提示保存文档")},
        {ID_VIEW_TOOLBAR, QStringLiteral("显示或隐藏工具栏")},
    };
    for (const auto& [id, prompt] : prompts) {
        SCOPED_TRACE(prompt.toStdString());
        frame().action(id)->showStatusText(&frame());
        EXPECT_EQ(frame().messagePaneText(), prompt);
        QStatusTipEvent leave{QString()};
        QApplication::sendEvent(&frame(), &leave);
        EXPECT_EQ(frame().messagePaneText(), QStringLiteral("就绪"));
    }
    // The two port items name their own port as tooltip too.
    EXPECT_EQ(frame().action(ID_PORT_COM1)->toolTip(), QStringLiteral("选择计算机COM1口写频"));
    EXPECT_EQ(frame().action(ID_PORT_COM2)->toolTip(), QStringLiteral("选择计算机COM2口写频"));
}

TEST_F(ShellTest, PortChoiceIsExclusiveAndSurvivesNew) {
    ASSERT_TRUE(Start());
    frame().action(ID_PORT_COM2)->trigger();
    EXPECT_EQ(doc().portName, "COM2");
    EXPECT_TRUE(frame().action(ID_PORT_COM2)->isChecked());
    EXPECT_FALSE(frame().action(ID_PORT_COM1)->isChecked());
    frame().OnFileNew();
    EXPECT_EQ(doc().portName, "COM2");
    EXPECT_TRUE(frame().action(ID_PORT_COM2)->isChecked());
    frame().action(ID_PORT_COM1)->trigger();
    EXPECT_EQ(doc().portName, "COM1");
    EXPECT_TRUE(frame().action(ID_PORT_COM1)->isChecked());
    EXPECT_FALSE(frame().action(ID_PORT_COM2)->isChecked());
}

TEST_F(ShellTest, LockKeyPanesShowTheirTexts) {
    ASSERT_TRUE(Start());
    const std::vector<std::pair<int, QString>> panes = {
        {ID_INDICATOR_CAPS, QStringLiteral("大写")},
        {ID_INDICATOR_NUM, QStringLiteral("数字")},
        {ID_INDICATOR_SCRL, QStringLiteral("滚动")}};
    const LockKeyState state = ReadLockKeys();
    const std::optional<bool> known[] = {state.caps, state.num, state.scroll};
    for (std::size_t i = 0; i < panes.size(); ++i) {
        QLabel* pane = frame().indicator(panes[i].first);
        ASSERT_NE(pane, nullptr);
        if (known[i].has_value()) {
            EXPECT_EQ(pane->text(), *known[i] ? panes[i].second : QString());
        } else {
            EXPECT_EQ(pane->text(), panes[i].second);
            EXPECT_FALSE(pane->isEnabled());
        }
    }
}

TEST(LockKeys, ReadFromTheKeyboardLeds) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    auto led = [&](const QString& name, const char* value) {
        QDir(root.path()).mkpath(name);
        QFile file(root.filePath(name + QStringLiteral("/brightness")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(value);
    };
    EXPECT_FALSE(ReadLockKeys(root.filePath(QStringLiteral("missing"))).caps.has_value());
    EXPECT_FALSE(ReadLockKeys(root.path()).num.has_value());
    led(QStringLiteral("input3::capslock"), "0\n");
    led(QStringLiteral("input7::capslock"), "1\n"); // a second keyboard with the lock on
    led(QStringLiteral("input3::numlock"), "0\n");
    led(QStringLiteral("input3::scrolllock"), "garbage");
    const LockKeyState state = ReadLockKeys(root.path());
    EXPECT_EQ(state.caps, std::optional<bool>(true));
    EXPECT_EQ(state.num, std::optional<bool>(false));
    EXPECT_FALSE(state.scroll.has_value());
}

TEST_F(ShellTest, AboutBoxFromTheHelpMenu) {
    ASSERT_TRUE(Start());
    QString title;
    QStringList texts;
    bool defaultOk = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        if (!box) return;
        title = box->windowTitle();
        texts = {box->versionLabel->text(), box->noteLabel->text(), box->okButton->text()};
        defaultOk = box->okButton->isDefault() && !box->iconLabel->pixmap().isNull();
        box->okButton->click();
    });
    frame().action(ID_APP_ABOUT)->trigger();
    EXPECT_EQ(title, QStringLiteral("关于 qarlo"));
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0], QStringLiteral("qarlo 1.0 版"));
    EXPECT_FALSE(texts[1].isEmpty());
    EXPECT_EQ(texts[2], QStringLiteral("确定"));
    EXPECT_TRUE(defaultOk);
}

TEST(Resources, TemplateFieldsAndStrings) {
    EXPECT_EQ(WindowTitleField(), QStringLiteral("Qarlo写频软件"));
    EXPECT_EQ(FileFilter(), QStringLiteral("Qarlo 文件 (*.q02)"));
    EXPECT_EQ(DefaultSuffix(), QStringLiteral("q02"));
    EXPECT_EQ(ReadyText(), QStringLiteral("就绪"));
    EXPECT_EQ(AppName(), QStringLiteral("qarlo"));
    EXPECT_EQ(PromptOf(ID_FILE_MRU_FILE1), QStringLiteral("打开该文档"));
    EXPECT_EQ(TooltipOf(ID_FILE_MRU_FILE1), QStringLiteral("打开该文档"));
    EXPECT_EQ(MainCaption(QStringLiteral("a.q02")), QStringLiteral("a.q02 - Qarlo写频软件"));
}

} // namespace
} // namespace qarlo::test
