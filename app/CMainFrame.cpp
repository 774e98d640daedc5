#include "CMainFrame.h"

#include "TransferProgress.h"
#include "app/FileNames.h"
#include "app/LockKeys.h"
#include "app/Resources.h"
#include "editor/CQarloView.h"
#include "memory/ChannelFile.h"
#include "memory/Csv.h"
#include "memory/ReadFile.h"
#include "memory/SaveFile.h"
#include "radio/Messages.h"
#include "radio/RadioLink.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

static void InitQarloResources() {
    Q_INIT_RESOURCE(qarlo);
}

namespace qarlo {

namespace {

constexpr int MAX_LISTED_ERRORS = 10;
constexpr int STATUS_NOTE_MS = 10000;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "行 3, 列 Tone: ..." lines, at most a screenful, with the count of the rest.
QString DescribeCsvErrors(const std::vector<CsvError>& errors) {
    QStringList lines;
    for (std::size_t i = 0; i < errors.size() && i < MAX_LISTED_ERRORS; ++i)
        lines.append(FromUtf8(DescribeCsvError(errors[i])));
    if (errors.size() > MAX_LISTED_ERRORS)
        lines.append(QStringLiteral("……另有 %1 处错误").arg(errors.size() - MAX_LISTED_ERRORS));
    return lines.join(QLatin1Char('\n'));
}

// The five 16 x 15 pictures of the toolbar strip, in button order.
QIcon ToolbarImage(int index) {
    static const QPixmap strip(QStringLiteral(":/icons/toolbar.png"));
    return QIcon(strip.copy(16 * index, 0, 16, 15));
}

// Every size of the application icon, so the desktop never scales a small one up.
QIcon ApplicationIcon() {
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& name : icons.entryList({QStringLiteral("qarlo-[0-9]*.png")}))
        icon.addFile(icons.filePath(name));
    return icon;
}

} // namespace

CMainFrame::CMainFrame(CQarloDoc& doc, RecentFileList& recentFiles, QWidget* parent)
    : QMainWindow(parent), document(doc), recent(recentFiles), docManager(doc),
      backupKeeper(std::make_unique<BackupKeeper>(BackupKeeper::DefaultFolder())),
      radioLink(std::make_unique<RadioLink>(doc)) {
    InitQarloResources();
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowIcon(ApplicationIcon());
    installDefaultDialogs();

    // The form keeps its size and scrolls inside the frame when the screen is smaller than it,
    // as a form view does.
    formView = new CQarloView(doc, *radioLink, this);
    auto* scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("AFX_IDW_PANE_FIRST"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(false);
    scroller->setWidget(formView);
    // Tab and Shift+Tab go round the form's controls only.
    scroller->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(scroller);
    // A new frame starts as large as the screen allows; fitting it to the form shrinks it.
    if (const QScreen* shown = screen()) resize(shown->availableGeometry().size());

    createMenus();
    createToolBar();
    createStatusBar();
    new TransferProgress(*statusBar(), *radioLink, this);

    // The view's own slots run first (it connected in its constructor): the document holds the
    // read image and the form shows it by the time ours run.
    connect(radioLink.get(), &RadioLink::imageDecoded, this, &CMainFrame::OnImageDecoded,
            Qt::DirectConnection);
    connect(radioLink.get(), &RadioLink::transferFinished, this, [this] { RefreshCaption(); });
    connect(formView, &CQarloView::documentModified, this, &CMainFrame::RefreshCaption);

    UpdatePortChecks();
    UpdateViewChecks();
    RebuildRecentFileMenu();
    RefreshCaption();
}

CMainFrame::~CMainFrame() {
    // The form refers to the link: it goes first.
    delete formView;
    formView = nullptr;
    radioLink.reset();
}

QAction* CMainFrame::makeAction(int id, const QString& text, const char* objectName) {
    auto* act = new QAction(text, this);
    act->setObjectName(QString::fromLatin1(objectName));
    act->setStatusTip(PromptOf(id));
    act->setToolTip(TooltipOf(id));
    act->setIconVisibleInMenu(false);
    actions.insert(id, act);
    return act;
}

void CMainFrame::createMenus() {
    QMenuBar* bar = menuBar();

    menuFile = bar->addMenu(QStringLiteral("文件(&F)"));
    QAction* fileNew = makeAction(ID_FILE_NEW, QStringLiteral("新建(&N)\tCtrl+N"), "ID_FILE_NEW");
    fileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(fileNew, &QAction::triggered, this, &CMainFrame::OnFileNew);
    QAction* fileOpen =
        makeAction(ID_FILE_OPEN, QStringLiteral("打开(&O)...\tCtrl+O"), "ID_FILE_OPEN");
    fileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(fileOpen, &QAction::triggered, this, &CMainFrame::OnFileOpen);
    QAction* fileSave =
        makeAction(ID_FILE_SAVE, QStringLiteral("保存(&S)\tCtrl+S"), "ID_FILE_SAVE");
    fileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(fileSave, &QAction::triggered, this, [this] { OnFileSave(); });
    QAction* fileSaveAs =
        makeAction(ID_FILE_SAVE_AS, QStringLiteral("另存为(&A)..."), "ID_FILE_SAVE_AS");
    connect(fileSaveAs, &QAction::triggered, this, [this] { OnFileSaveAs(); });
    QAction* exportCsv =
        makeAction(ID_FILE_EXPORT_CSV, QStringLiteral("导出CSV(&E)..."), "ID_FILE_EXPORT_CSV");
    connect(exportCsv, &QAction::triggered, this, &CMainFrame::OnExportCsv);
    QAction* importCsv =
        makeAction(ID_FILE_IMPORT_CSV, QStringLiteral("导入CSV(&I)..."), "ID_FILE_IMPORT_CSV");
    connect(importCsv, &QAction::triggered, this, &CMainFrame::OnImportCsv);
    QAction* exitApp = makeAction(ID_APP_EXIT, QStringLiteral("退出(&X)"), "ID_APP_EXIT");
    connect(exitApp, &QAction::triggered, this, &QWidget::close);

    menuFile->addAction(fileNew);
    menuFile->addAction(fileOpen);
    menuFile->addAction(fileSave);
    menuFile->addAction(fileSaveAs);
    menuFile->addAction(exportCsv);
    menuFile->addAction(importCsv);
    menuFile->addSeparator();
    recentEnd = menuFile->addSeparator();
    menuFile->addAction(exitApp);

    QMenu* menuView = bar->addMenu(QStringLiteral("查看(&V)"));
    QAction* viewToolbar =
        makeAction(ID_VIEW_TOOLBAR, QStringLiteral("工具栏(&T)"), "ID_VIEW_TOOLBAR");
    viewToolbar->setCheckable(true);
    connect(viewToolbar, &QAction::triggered, this, [this](bool on) {
        mainToolBar->setVisible(on);
        UpdateViewChecks();
    });
    QAction* viewStatus =
        makeAction(ID_VIEW_STATUS_BAR, QStringLiteral("状态栏(&S)"), "ID_VIEW_STATUS_BAR");
    viewStatus->setCheckable(true);
    connect(viewStatus, &QAction::triggered, this, [this](bool on) {
        statusBar()->setVisible(on);
        UpdateViewChecks();
    });
    menuView->addAction(viewToolbar);
    menuView->addAction(viewStatus);
    connect(menuView, &QMenu::aboutToShow, this, &CMainFrame::UpdateViewChecks);

    // Check marks, not radio bullets: the choice is kept exclusive by UpdatePortChecks, since Qt
    // draws every item of an exclusive group as a radio button.
    menuPort = bar->addMenu(QStringLiteral("串口选择(&S)"));
    QAction* com1 = makeAction(ID_PORT_COM1, QStringLiteral("COM1"), "ID_PORT_COM1");
    QAction* com2 = makeAction(ID_PORT_COM2, QStringLiteral("COM2"), "ID_PORT_COM2");
    for (QAction* port : {com1, com2}) {
        port->setCheckable(true);
        menuPort->addAction(port);
    }
    connect(com1, &QAction::triggered, this, &CMainFrame::OnPortCom1);
    connect(com2, &QAction::triggered, this, &CMainFrame::OnPortCom2);
    connect(menuPort, &QMenu::aboutToShow, this, &CMainFrame::RefreshPortMenu);

    QMenu* menuRadio = bar->addMenu(QStringLiteral("操作选择(&O)"));
    QAction* radioWrite =
        makeAction(ID_RADIO_WRITE, QStringLiteral("写入对讲机"), "ID_RADIO_WRITE");
    QAction* radioRead = makeAction(ID_RADIO_READ, QStringLiteral("对讲机读出"), "ID_RADIO_READ");
    connect(radioWrite, &QAction::triggered, this, &CMainFrame::OnRadioWrite);
    connect(radioRead, &QAction::triggered, this, &CMainFrame::OnRadioRead);
    menuRadio->addAction(radioWrite);
    menuRadio->addAction(radioRead);
    menuRadio->addAction(
        makeAction(ID_RADIO_COMPARE, QStringLiteral("与对讲机比较"), "ID_RADIO_COMPARE"));
    connect(actions.value(ID_RADIO_COMPARE), &QAction::triggered, radioLink.get(),
            &RadioLink::OnRadioCompare);

    QMenu* menuHelp = bar->addMenu(QStringLiteral("帮助(&H)"));
    QAction* about = makeAction(ID_APP_ABOUT, QStringLiteral("关于 qarlo(&A)..."), "ID_APP_ABOUT");
    connect(about, &QAction::triggered, this, &CMainFrame::aboutRequested);
    menuHelp->addAction(about);

    // Ctrl+P prints although no menu offers it; the edit and pane keys reach no handler.
    QAction* print = makeAction(ID_FILE_PRINT, QStringLiteral("打印"), "ID_FILE_PRINT");
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    print->setShortcutContext(Qt::WindowShortcut);
    connect(print, &QAction::triggered, this, &CMainFrame::OnFilePrint);
    addAction(print);
}

void CMainFrame::createToolBar() {
    mainToolBar = new QToolBar(QStringLiteral("标准"), this);
    mainToolBar->setObjectName(QStringLiteral("AFX_IDW_TOOLBAR"));
    mainToolBar->setIconSize(QSize(16, 15));
    mainToolBar->setMovable(true);
    mainToolBar->setFloatable(true);
    mainToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    mainToolBar->toggleViewAction()->setVisible(false);
    const int buttons[] = {ID_FILE_NEW, ID_FILE_OPEN,  ID_FILE_SAVE,
                           0,           ID_RADIO_READ, ID_RADIO_WRITE};
    int image = 0;
    for (int id : buttons) {
        if (id == 0) {
            mainToolBar->addSeparator();
            continue;
        }
        QAction* act = actions.value(id);
        act->setIcon(ToolbarImage(image++));
        mainToolBar->addAction(act);
    }
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

void CMainFrame::installDefaultDialogs() {
    dialogs.askSaveChanges = [this](const QString& title) {
        QMessageBox box(QMessageBox::Question, AppName(),
                        QStringLiteral("是否保存对 %1 的更改？").arg(title),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
        box.setDefaultButton(QMessageBox::Yes);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return SaveAnswer::Save;
        case QMessageBox::No:
            return SaveAnswer::Discard;
        default:
            return SaveAnswer::Cancel;
        }
    };
    dialogs.chooseFileToOpen = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("打开"), QString(), FileFilter());
    };
    dialogs.chooseFileToSave = [this](const QString& suggested) {
        QFileDialog dialog(this, QStringLiteral("另存为"), suggested, FileFilter());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(DefaultSuffix());
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    dialogs.chooseCsvToImport = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("导入CSV"), QString(),
                                            QStringLiteral("CSV 文件 (*.csv);;所有文件 (*)"));
    };
    dialogs.chooseCsvToExport = [this](const QString& suggested) {
        QFileDialog dialog(this, QStringLiteral("导出CSV"), suggested,
                           QStringLiteral("CSV 文件 (*.csv)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    dialogs.askPrint = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
}

QString CMainFrame::messagePaneText() const {
    return statusBar()->currentMessage();
}

QString CMainFrame::displayedCaption() const {
    QString caption = windowTitle();
    caption.replace(QStringLiteral("[*]"), isWindowModified() ? QStringLiteral("*") : QString());
    return caption;
}

void CMainFrame::RefreshCaption() {
    setWindowTitle(MainCaption(docManager.title() + QStringLiteral("[*]")));
    setWindowModified(document.IsModified());
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
    const QString unknown = QStringLiteral("未知");
    for (const PortInfo& port : ports) {
        // "/dev/ttyUSB0  USB-Serial (1a86:7523)": the cable as its owner knows it.
        QString text = port.device;
        if (!port.description.isEmpty()) text += QStringLiteral("  ") + port.description;
        if (port.hasIds) text += QStringLiteral(" (%1)").arg(VendorProduct(port));
        auto* item = new QAction(text.replace(QLatin1Char('&'), QStringLiteral("&&")), this);
        item->setObjectName(QStringLiteral("ID_PORT_DEVICE"));
        item->setData(port.device);
        item->setCheckable(true);
        const QString prompt =
            QStringLiteral("选择%1口写频（厂商：%2，产品：%3）")
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

void CMainFrame::UpdateViewChecks() {
    action(ID_VIEW_TOOLBAR)->setChecked(!mainToolBar->isHidden());
    action(ID_VIEW_STATUS_BAR)->setChecked(!statusBar()->isHidden());
}

void CMainFrame::RebuildRecentFileMenu() {
    for (QAction* old : recentActions) {
        menuFile->removeAction(old);
        old->deleteLater();
    }
    recentActions.clear();
    const QStringList& files = recent.files();
    if (files.isEmpty()) {
        auto* placeholder = new QAction(QStringLiteral("最近文件"), this);
        placeholder->setObjectName(QStringLiteral("ID_FILE_MRU_FILE1"));
        placeholder->setEnabled(false);
        placeholder->setStatusTip(PromptOf(ID_FILE_MRU_FILE1));
        recentActions.append(placeholder);
    } else {
        for (int i = 0; i < files.size(); ++i) {
            QString shown = DisplayFileName(files[i]);
            shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
            auto* entry = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown), this);
            entry->setObjectName(QStringLiteral("ID_FILE_MRU_FILE%1").arg(i + 1));
            entry->setStatusTip(PromptOf(ID_FILE_MRU_FILE1 + i));
            connect(entry, &QAction::triggered, this, [this, i] { OnOpenRecentFile(i); });
            recentActions.append(entry);
        }
    }
    menuFile->insertActions(recentEnd, recentActions);
}

void CMainFrame::ResizeParentToFit() {
    if (isMaximized() || isFullScreen()) return;
    // The pane's size for the frame's present size tells what menu, bars and borders take.
    layout()->invalidate();
    layout()->activate();
    const QSize pane = centralWidget()->size();
    const QSize chrome = size() - pane;
    // Shrunk, never grown: a side already shorter than the form's keeps its length; and never
    // past the screen's available area.
    QSize room = pane;
    if (const QScreen* shown = screen()) {
        const QSize decorations = frameGeometry().size() - geometry().size();
        room = room.boundedTo(shown->availableGeometry().size() - decorations - chrome);
    }
    // A side too short for the form scrolls: the other side keeps room for its scroll bar.
    const auto* scroller = static_cast<const QScrollArea*>(centralWidget());
    QSize form = formView->formSizeHint();
    if (room.height() < form.height())
        form.rwidth() += scroller->verticalScrollBar()->sizeHint().width();
    if (room.width() < form.width())
        form.rheight() += scroller->horizontalScrollBar()->sizeHint().height();
    resize(chrome + room.boundedTo(form));
}

// ---- document commands ----

bool CMainFrame::SaveModified() {
    if (!document.IsModified()) return true;
    switch (dialogs.askSaveChanges(docManager.title())) {
    case SaveAnswer::Save:
        return OnFileSave();
    case SaveAnswer::Discard:
        return true;
    case SaveAnswer::Cancel:
        break;
    }
    return false;
}

void CMainFrame::NewDocumentNow() {
    docManager.NewDocument();
    formView->OnInitialUpdate();
    ResizeParentToFit();
    RefreshCaption();
}

void CMainFrame::OnFileNew() {
    if (!SaveModified()) return;
    NewDocumentNow();
}

void CMainFrame::OnFileOpen() {
    const QString file = dialogs.chooseFileToOpen();
    if (file.isEmpty()) return;
    if (!SaveModified()) return;
    OpenDocumentFile(file);
}

void CMainFrame::OnOpenRecentFile(int index) {
    const QString file = recent.files().value(index);
    if (file.isEmpty()) return;
    if (!SaveModified()) return;
    OpenDocumentFile(file);
}

bool CMainFrame::OpenDocumentFile(const QString& file) {
    const FileResult result = docManager.OpenDocument(file);
    if (result.ok()) {
        recent.add(docManager.pathName());
    } else {
        ShowMessage(DocumentManager::OpenFailureMessage(result));
        recent.remove(file);
    }
    recent.save();
    RebuildRecentFileMenu();
    // A bad file has left a new document behind: the form must show it, not the old one.
    if (result.ok() || result.error == FileError::InvalidFormat) {
        formView->OnInitialUpdate();
        ResizeParentToFit();
    }
    RefreshCaption();
    return result.ok();
}

bool CMainFrame::OnFileSave() {
    return DoSave(docManager.pathName());
}

bool CMainFrame::OnFileSaveAs() {
    return DoSave(QString());
}

bool CMainFrame::DoSave(const QString& file) {
    QString target = file;
    if (target.isEmpty()) {
        QString suggested = docManager.pathName();
        if (suggested.isEmpty())
            suggested = docManager.title() + QLatin1Char('.') + DefaultSuffix();
        target = dialogs.chooseFileToSave(suggested);
        if (target.isEmpty()) return false;
    }
    const FileResult result = docManager.SaveDocument(target);
    RefreshCaption();
    if (!result.ok()) {
        ShowMessage(DocumentManager::SaveFailureMessage(result));
        return false;
    }
    recent.add(docManager.pathName());
    recent.save();
    RebuildRecentFileMenu();
    // Saving rebuilt the programmed list and marked it stale: its list box is refilled at the
    // next channel shown, with the position that channel gives it.
    return true;
}

void CMainFrame::OnFilePrint() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(docManager.title());
    if (!dialogs.askPrint(printer)) return;
    formView->printSheet(&printer, docManager.title());
}

void CMainFrame::OnExportCsv() {
    QString suggested = docManager.pathName();
    if (suggested.isEmpty()) suggested = docManager.title();
    suggested = QFileInfo(suggested).path() + QLatin1Char('/') +
                QFileInfo(suggested).completeBaseName() + QStringLiteral(".csv");
    const QString file = dialogs.chooseCsvToExport(suggested);
    if (file.isEmpty()) return;
    // A pipe or a device chosen here is written into, never replaced by a file.
    const std::string text = ExportCsv(document);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const FileResult result = WriteOutputBytes(FileNamePath(file), std::span(bytes, text.size()));
    if (!result.ok()) {
        ShowMessage(DocumentManager::SaveFailureMessage(result));
        return;
    }
    const std::vector<CsvError> problems = CsvExportProblems(document);
    if (!problems.empty())
        ShowMessage(QStringLiteral("已导出，但以下内容无法用CSV表示：\n") +
                    DescribeCsvErrors(problems));
    else
        statusBar()->showMessage(QStringLiteral("已导出到 %1").arg(DisplayFileName(file)),
                                 STATUS_NOTE_MS);
}

void CMainFrame::OnImportCsv() {
    const QString file = dialogs.chooseCsvToImport();
    if (file.isEmpty()) return;
    // Only a regular file, and no more of it than a CSV of channels can need: a FIFO or a device
    // picked here is refused at once.
    const FileBytes read = ReadFileBytes(FileNamePath(file), CSV_MAX_BYTES, ReadMode::Whole);
    const QString shown = DisplayFileName(file);
    if (read.result.error == FileError::TooLarge) {
        ShowMessage(QStringLiteral("无法导入文件 %1：文件太大，不是频道CSV文件。").arg(shown));
        return;
    }
    if (!read.result.ok()) {
        ShowMessage(DocumentManager::OpenFailureMessage(read.result));
        return;
    }
    const CsvImportResult result =
        ImportCsv(document, std::string_view(reinterpret_cast<const char*>(read.bytes.data()),
                                             read.bytes.size()));
    if (!result.ok()) {
        ShowMessage(QStringLiteral("无法导入文件 %1，文档未作改动：\n").arg(shown) +
                    DescribeCsvErrors(result.errors));
        return;
    }
    if (result.channelsSet.empty()) {
        ShowMessage(QStringLiteral("文件 %1 中没有频道，文档未作改动。").arg(shown));
        return;
    }
    document.SetModifiedFlag(true);
    document.RebuildProgrammedList();
    document.selectedChannel = NO_CHANNEL;
    formView->OnInitialUpdate();
    RefreshCaption();
    statusBar()->showMessage(QStringLiteral("已导入 %1 个频道").arg(result.channelsSet.size()),
                             STATUS_NOTE_MS);
}

// ---- radio ----

void CMainFrame::OnRadioRead() {
    // Only a read that will really start may ask; the link ignores one during a transfer.
    if (!radioLink->isBusy() && !SaveModified()) return;
    formView->OnRadioRead();
}

void CMainFrame::OnRadioWrite() {
    const bool wasIdle = !radioLink->isBusy();
    formView->OnRadioWrite();
    // The checks passed and the handshake is out: the image follows, keep what it holds.
    if (wasIdle && radioLink->TransferMode() == RadioLink::MODE_WRITE)
        KeepBackup(BackupKeeper::Direction::Write);
}

void CMainFrame::OnImageDecoded() {
    RefreshCaption();
    KeepBackup(BackupKeeper::Direction::Read);
}

void CMainFrame::KeepBackup(BackupKeeper::Direction direction) {
    backupProblem = backupKeeper->Keep(document, direction);
    // Never a box in the middle of a transfer: one line on the status bar.
    if (!backupProblem.isEmpty()) statusBar()->showMessage(backupProblem, STATUS_NOTE_MS);
}

void CMainFrame::setBackupFolder(const QString& folder) {
    backupKeeper = std::make_unique<BackupKeeper>(folder);
}

void CMainFrame::OnPortCom1() {
    document.portName = "COM1";
    UpdatePortChecks();
}

void CMainFrame::OnPortCom2() {
    document.portName = "COM2";
    UpdatePortChecks();
}

void CMainFrame::OnPortDevice(const QString& device) {
    document.portName = QFile::encodeName(device).toStdString();
    UpdatePortChecks();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!SaveModified()) {
        event->ignore();
        return;
    }
    formView->OnClose();
    event->accept();
}

} // namespace qarlo
