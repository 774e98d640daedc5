// The frame's menus, toolbar and status bar: every command from one table with its text, key and
// handler (its prompt and tooltip come from the string table), the port menu's devices, the
// recent files, the check marks and the lock-key panes.
#include "CMainFrame.h"
#include "editor/UiText.h"

#include "app/Language.h"
#include "app/Resources.h"
#include "editor/ChannelOverview.h"
#include "platform/qt/FileNames.h"
#include "platform/qt/LockKeys.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace qarlo {

namespace {

enum Menu { MENU_FILE, MENU_EDIT, MENU_VIEW, MENU_PORT, MENU_RADIO, MENU_HELP, MENU_NONE };
const char* const MenuTitles[] = {"文件(&F)",     "编辑(&E)",     "查看(&V)",
                                  "串口选择(&S)", "操作选择(&O)", "帮助(&H)"};

constexpr int SEPARATOR = 0;
constexpr int RECENT_FILES = -1; // the recent files go here, between two separators

struct Command {
    Menu menu;
    int id;
    const char* name;
    const char* text;
    Qt::Key ctrlKey; // with Ctrl; Key_unknown for none
    bool checkable;
    void (*run)(CMainFrame& frame, bool checked);
    const char* moreKeys = nullptr; // further keys of the command, in QKeySequence's text form
};

// In menu order.
const Command Commands[] = {
    {MENU_FILE, ID_FILE_NEW, "ID_FILE_NEW", "新建(&N)\tCtrl+N", Qt::Key_N, false,
     [](CMainFrame& f, bool) { f.OnFileNew(); }},
    {MENU_FILE, ID_FILE_OPEN, "ID_FILE_OPEN", "打开(&O)...\tCtrl+O", Qt::Key_O, false,
     [](CMainFrame& f, bool) { f.OnFileOpen(); }},
    {MENU_FILE, ID_FILE_SAVE, "ID_FILE_SAVE", "保存(&S)\tCtrl+S", Qt::Key_S, false,
     [](CMainFrame& f, bool) { f.OnFileSave(); }},
    {MENU_FILE, ID_FILE_SAVE_AS, "ID_FILE_SAVE_AS", "另存为(&A)...", Qt::Key_unknown, false,
     [](CMainFrame& f, bool) { f.OnFileSaveAs(); }},
    {MENU_FILE, ID_FILE_EXPORT_CSV, "ID_FILE_EXPORT_CSV", "导出CSV(&E)...", Qt::Key_unknown, false,
     [](CMainFrame& f, bool) { f.OnExportCsv(); }},
    {MENU_FILE, ID_FILE_IMPORT_CSV, "ID_FILE_IMPORT_CSV", "导入CSV(&I)...", Qt::Key_unknown, false,
     [](CMainFrame& f, bool) { f.OnImportCsv(); }},
    {MENU_FILE, SEPARATOR, nullptr, nullptr, Qt::Key_unknown, false, nullptr},
    {MENU_FILE, ID_FILE_PRINT, "ID_FILE_PRINT", "打印(&P)...\tCtrl+P", Qt::Key_P, false,
     [](CMainFrame& f, bool) { f.OnFilePrint(); }},
    {MENU_FILE, ID_FILE_PRINT_PREVIEW, "ID_FILE_PRINT_PREVIEW", "打印预览(&V)", Qt::Key_unknown,
     false, [](CMainFrame& f, bool) { f.OnFilePrintPreview(); }},
    {MENU_FILE, SEPARATOR, nullptr, nullptr, Qt::Key_unknown, false, nullptr},
    {MENU_FILE, RECENT_FILES, nullptr, nullptr, Qt::Key_unknown, false, nullptr},
    {MENU_FILE, ID_APP_EXIT, "ID_APP_EXIT", "退出(&X)", Qt::Key_unknown, false,
     [](CMainFrame& f, bool) { f.close(); }},
    {MENU_EDIT, ID_EDIT_UNDO, "ID_EDIT_UNDO", "撤消(&U)\tCtrl+Z", Qt::Key_Z, false,
     [](CMainFrame& f, bool) { f.OnEditUndo(); }, "Alt+Backspace"},
    {MENU_EDIT, ID_EDIT_REDO, "ID_EDIT_REDO", "重复(&R)\tCtrl+Y", Qt::Key_Y, false,
     [](CMainFrame& f, bool) { f.OnEditRedo(); }, "Ctrl+Shift+Z"},
    {MENU_EDIT, SEPARATOR, nullptr, nullptr, Qt::Key_unknown, false, nullptr},
    {MENU_EDIT, ID_EDIT_CUT, "ID_EDIT_CUT", "剪切(&T)\tCtrl+X", Qt::Key_X, false,
     [](CMainFrame& f, bool) { f.OnEditCut(); }, "Shift+Del"},
    {MENU_EDIT, ID_EDIT_COPY, "ID_EDIT_COPY", "复制(&C)\tCtrl+C", Qt::Key_C, false,
     [](CMainFrame& f, bool) { f.OnEditCopy(); }, "Ctrl+Ins"},
    {MENU_EDIT, ID_EDIT_PASTE, "ID_EDIT_PASTE", "粘贴(&P)\tCtrl+V", Qt::Key_V, false,
     [](CMainFrame& f, bool) { f.OnEditPaste(); }, "Shift+Ins"},
    {MENU_EDIT, ID_EDIT_CLEAR, "ID_EDIT_CLEAR", "删除(&D)\tDel", Qt::Key_unknown, false,
     [](CMainFrame& f, bool) { f.OnEditClear(); }, "Del"},
    {MENU_VIEW, ID_VIEW_TOOLBAR, "ID_VIEW_TOOLBAR", "工具栏(&T)", Qt::Key_unknown, true,
     [](CMainFrame& f, bool on) {
         f.toolBar()->setVisible(on);
         f.UpdateViewChecks();
     }},
    {MENU_VIEW, ID_VIEW_STATUS_BAR, "ID_VIEW_STATUS_BAR", "状态栏(&S)", Qt::Key_unknown, true,
     [](CMainFrame& f, bool on) {
         f.statusBar()->setVisible(on);
         f.UpdateViewChecks();
     }},
    {MENU_VIEW, ID_VIEW_OVERVIEW, "ID_VIEW_OVERVIEW", "频道一览(&L)", Qt::Key_unknown, true,
     [](CMainFrame& f, bool on) { f.OnViewOverview(on); }},
    // Check marks, not radio bullets: UpdatePortChecks keeps the choice exclusive, since Qt
    // draws every item of an exclusive group as a radio button.
    {MENU_PORT, ID_PORT_COM1, "ID_PORT_COM1", "COM1", Qt::Key_unknown, true,
     [](CMainFrame& f, bool) { f.OnPortCom1(); }},
    {MENU_PORT, ID_PORT_COM2, "ID_PORT_COM2", "COM2", Qt::Key_unknown, true,
     [](CMainFrame& f, bool) { f.OnPortCom2(); }},
    {MENU_RADIO, ID_RADIO_WRITE, "ID_RADIO_WRITE", "写入对讲机", Qt::Key_unknown, false,
     [](CMainFrame& f, bool) { f.OnRadioWrite(); }},
    {MENU_RADIO, ID_RADIO_READ, "ID_RADIO_READ", "对讲机读出", Qt::Key_unknown, false,
     [](CMainFrame& f, bool) { f.OnRadioRead(); }},
    {MENU_RADIO, ID_RADIO_COMPARE, "ID_RADIO_COMPARE", "与对讲机比较", Qt::Key_unknown, false,
     [](CMainFrame& f, bool) { f.OnRadioCompare(); }},
    {MENU_HELP, ID_APP_ABOUT, "ID_APP_ABOUT", "关于 qarlo(&A)...", Qt::Key_unknown, false,
     [](CMainFrame& f, bool) { emit f.aboutRequested(); }},
};

// The toolbar's buttons in order (SEPARATOR between groups), each showing the next picture of
// the strip.
const int ToolbarButtons[] = {ID_FILE_NEW, ID_FILE_OPEN,  ID_FILE_SAVE,
                              SEPARATOR,   ID_RADIO_READ, ID_RADIO_WRITE};

// The five 16 x 15 pictures of the toolbar strip, in button order.
QIcon ToolbarImage(int index) {
    static const QPixmap strip(QStringLiteral(":/icons/toolbar.png"));
    return QIcon(strip.copy(16 * index, 0, 16, 15));
}

QString MenuText(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void CMainFrame::createMenus() {
    QMenu* menus[std::size(MenuTitles)] = {};
    for (std::size_t i = 0; i < std::size(MenuTitles); ++i)
        menus[i] = menuBar()->addMenu(UiText(MenuTitles[i]));
    menuFile = menus[MENU_FILE];
    menuPort = menus[MENU_PORT];

    for (const Command& c : Commands) {
        if (c.id == SEPARATOR || c.id == RECENT_FILES) {
            QAction* separator = menus[c.menu]->addSeparator();
            if (c.id == RECENT_FILES) recentEnd = separator;
            continue;
        }
        auto* act = new QAction(UiText(c.text), this);
        act->setObjectName(QString::fromLatin1(c.name));
        act->setStatusTip(PromptOf(c.id));
        act->setToolTip(TooltipOf(c.id));
        act->setIconVisibleInMenu(false);
        act->setCheckable(c.checkable);
        QList<QKeySequence> keys;
        if (c.ctrlKey != Qt::Key_unknown) keys.append(QKeySequence(Qt::CTRL | c.ctrlKey));
        if (c.moreKeys) keys.append(QKeySequence::listFromString(QString::fromLatin1(c.moreKeys)));
        act->setShortcuts(keys);
        connect(act, &QAction::triggered, this, [this, run = c.run](bool on) { run(*this, on); });
        actions.insert(c.id, act);
        if (c.menu != MENU_NONE) {
            menus[c.menu]->addAction(act);
        } else {
            // Not in a menu: the key works wherever the window has the keyboard.
            act->setShortcutContext(Qt::WindowShortcut);
            addAction(act);
        }
    }
    createLanguageMenu(*menus[MENU_VIEW]);
    connect(menus[MENU_VIEW], &QMenu::aboutToShow, this, &CMainFrame::UpdateViewChecks);
    connect(menus[MENU_EDIT], &QMenu::aboutToShow, this, &CMainFrame::UpdateEditActions);
    connect(menuPort, &QMenu::aboutToShow, this, &CMainFrame::RefreshPortMenu);
}

void CMainFrame::createLanguageMenu(QMenu& view) {
    // Named in both languages, so a user who cannot read the present one still finds it. The
    // choice is kept and takes effect at the next start.
    QMenu* menu = view.addMenu(QStringLiteral("语言 / Language"));
    menu->setObjectName(QStringLiteral("ID_VIEW_LANGUAGE"));
    auto* group = new QActionGroup(menu);
    const std::pair<UiLanguage, const char*> languages[] = {{UiLanguage::Chinese, "中文"},
                                                            {UiLanguage::English, "English"}};
    for (const auto& [language, name] : languages) {
        QAction* act = menu->addAction(QString::fromUtf8(name));
        act->setCheckable(true);
        act->setChecked(language == ChosenLanguage());
        group->addAction(act);
        connect(act, &QAction::triggered, this, [this, chosen = language] {
            KeepLanguageChoice(chosen);
            statusBar()->showMessage(QStringLiteral("重新启动后生效 / Takes effect after restart"),
                                     STATUS_NOTE_MS);
        });
    }
}

void CMainFrame::createToolBar() {
    mainToolBar = new QToolBar(UiText("标准"), this);
    mainToolBar->setObjectName(QStringLiteral("AFX_IDW_TOOLBAR"));
    mainToolBar->setIconSize(QSize(16, 15));
    mainToolBar->setMovable(true);
    mainToolBar->setFloatable(true);
    mainToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    mainToolBar->toggleViewAction()->setVisible(false);
    int image = 0;
    for (int id : ToolbarButtons) {
        if (id == SEPARATOR) {
            mainToolBar->addSeparator();
            continue;
        }
        QAction* act = actions.value(id);
        act->setIcon(ToolbarImage(image++));
        mainToolBar->addAction(act);
    }
    // Qt's own button for the buttons a narrow window cannot show has no name of its own.
    if (auto* more = mainToolBar->findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(UiText("更多工具栏按钮"));
    addToolBar(Qt::TopToolBarArea, mainToolBar);
    connect(mainToolBar, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateViewChecks);
}

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("AFX_IDW_STATUS_BAR"));
    // The message pane falls back to "就绪" whenever no prompt is shown.
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& text) {
        if (text.isEmpty()) bar->showMessage(ReadyText());
    });
    const std::pair<int, const char*> panes[] = {{ID_INDICATOR_CAPS, "ID_INDICATOR_CAPS"},
                                                 {ID_INDICATOR_NUM, "ID_INDICATOR_NUM"},
                                                 {ID_INDICATOR_SCRL, "ID_INDICATOR_SCRL"}};
    for (const auto& [id, name] : panes) {
        auto* label = new QLabel(LoadString(id), bar);
        label->setObjectName(QString::fromLatin1(name));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(label->sizeHint().width() + 8);
        bar->addPermanentWidget(label);
        indicators.insert(id, label);
    }
    bar->showMessage(ReadyText());

    // The locks change on a lock key pressed in our window, or behind our back while another
    // window has the keyboard: look again on those two events instead of polling, so an idle
    // window never wakes up for them.
    UpdateLockIndicators();
    const LockKeyState state = ReadLockKeys();
    lockStateKnown = state.caps.has_value() || state.num.has_value() || state.scroll.has_value();
    if (lockStateKnown) qApp->installEventFilter(this);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (routeHistoryKey(watched, event)) return true;
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock) {
            // The keyboard's LED follows the key a moment later.
            QTimer::singleShot(50, this, &CMainFrame::UpdateLockIndicators);
        }
    } else if (event->type() == QEvent::WindowActivate && watched == this) {
        UpdateLockIndicators();
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::UpdateLockIndicators() {
    const LockKeyState state = ReadLockKeys();
    const std::pair<int, std::optional<bool>> panes[] = {{ID_INDICATOR_CAPS, state.caps},
                                                         {ID_INDICATOR_NUM, state.num},
                                                         {ID_INDICATOR_SCRL, state.scroll}};
    for (const auto& [id, on] : panes) {
        QLabel* label = indicators.value(id);
        if (!label) continue;
        if (on.has_value()) {
            // Known state: the text only while the lock is on, as the panes always did.
            label->setEnabled(true);
            label->setText(*on ? LoadString(id) : QString());
        } else {
            // Unknown state: the text greyed, so the pane is there but claims nothing.
            label->setEnabled(false);
            label->setText(LoadString(id));
        }
    }
}

void CMainFrame::UpdateViewChecks() {
    action(ID_VIEW_TOOLBAR)->setChecked(!mainToolBar->isHidden());
    action(ID_VIEW_STATUS_BAR)->setChecked(!statusBar()->isHidden());
    action(ID_VIEW_OVERVIEW)->setChecked(overview && !overview->isHidden());
}

void CMainFrame::UpdatePortChecks() {
    action(ID_PORT_COM1)->setChecked(document.portName == "COM1");
    action(ID_PORT_COM2)->setChecked(document.portName == "COM2");
    for (QAction* device : deviceActions) {
        if (device->isCheckable())
            device->setChecked(QFile::encodeName(device->data().toString()).toStdString() ==
                               document.portName);
    }
}

void CMainFrame::RefreshPortMenu() {
    for (QAction* old : deviceActions) {
        menuPort->removeAction(old);
        old->deleteLater();
    }
    deviceActions.clear();
    const QList<PortInfo> ports = listPorts();
    if (!ports.isEmpty()) deviceActions.append(menuPort->addSeparator());
    const QString unknown = UiText("未知");
    for (const PortInfo& port : ports) {
        // "/dev/ttyUSB0  USB-Serial (1a86:7523)": the cable as its owner knows it.
        QString text = port.device;
        if (!port.description.isEmpty()) text += QStringLiteral("  ") + port.description;
        if (port.hasIds) text += QStringLiteral(" (%1)").arg(VendorProduct(port));
        auto* item = new QAction(MenuText(text), this);
        item->setObjectName(QStringLiteral("ID_PORT_DEVICE"));
        item->setData(port.device);
        item->setCheckable(true);
        const QString prompt =
            UiText("选择%1口写频（厂商：%2，产品：%3）")
                .arg(port.device, port.manufacturer.isEmpty() ? unknown : port.manufacturer,
                     port.description.isEmpty() ? unknown : port.description);
        item->setStatusTip(prompt);
        item->setToolTip(prompt);
        connect(item, &QAction::triggered, this,
                [this, device = port.device] { OnPortDevice(device); });
        menuPort->addAction(item);
        deviceActions.append(item);
    }
    UpdatePortChecks();
}

void CMainFrame::RebuildRecentFileMenu() {
    for (QAction* old : recentActions) {
        menuFile->removeAction(old);
        old->deleteLater();
    }
    recentActions.clear();
    const QStringList& files = recent.files();
    if (files.isEmpty()) {
        auto* placeholder = new QAction(UiText("最近文件"), this);
        placeholder->setObjectName(QStringLiteral("ID_FILE_MRU_FILE1"));
        placeholder->setEnabled(false);
        placeholder->setStatusTip(PromptOf(ID_FILE_MRU_FILE1));
        recentActions.append(placeholder);
    }
    for (int i = 0; i < files.size(); ++i) {
        auto* entry = new QAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(MenuText(DisplayFileName(files[i]))), this);
        entry->setObjectName(QStringLiteral("ID_FILE_MRU_FILE%1").arg(i + 1));
        entry->setStatusTip(PromptOf(ID_FILE_MRU_FILE1 + i));
        connect(entry, &QAction::triggered, this, [this, i] { OnOpenRecentFile(i); });
        recentActions.append(entry);
    }
    menuFile->insertActions(recentEnd, recentActions);
}

} // namespace qarlo
