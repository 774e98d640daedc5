#include "CMainFrame.h"

#include "app/Resources.h"
#include "app/TransferProgress.h"
#include "editor/ChannelOverview.h"
#include "editor/CQarloView.h"
#include "radio/RadioLink.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>

#include <algorithm>

static void InitQarloResources() {
    Q_INIT_RESOURCE(qarlo);
}

namespace qarlo {

namespace {

// Every size of the application icon, so the desktop never scales a small one up.
QIcon ApplicationIcon() {
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& name : icons.entryList({QStringLiteral("qarlo-[0-9]*.png")}))
        icon.addFile(icons.filePath(name));
    return icon;
}

} // namespace

CMainFrame::CMainFrame(CQarloDoc& doc, RecentFileList& recentFiles, MessageSink& messageSink,
                       QWidget* parent)
    : QMainWindow(parent), document(doc), recent(recentFiles), messages(messageSink),
      docManager(doc), backupKeeper(std::make_unique<BackupKeeper>(BackupKeeper::DefaultFolder())),
      radioLink(std::make_unique<RadioLink>(doc)) {
    InitQarloResources();
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowIcon(ApplicationIcon());
    installDefaultDialogs();

    // The form keeps its size and scrolls inside the frame when the screen is smaller than it.
    formView = new CQarloView(doc, messageSink, this);
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

    // The frame alone hears the link, and hands each result to the form before its own steps.
    connect(radioLink.get(), &RadioLink::imageDecoded, this, &CMainFrame::OnImageDecoded,
            Qt::DirectConnection);
    connect(radioLink.get(), &RadioLink::transferFinished, this, &CMainFrame::OnTransferFinished,
            Qt::DirectConnection);
    connect(formView, &CQarloView::documentModified, this, &CMainFrame::RefreshCaption);

    // Every change reaches the one history; undo and redo show the channel of their step.
    edits = new DocumentHistory(doc, this);
    connect(formView, &CQarloView::edited, this, [this](const DocumentState& before, int field) {
        edits->record(before, formView->currentChannel, field);
    });
    connect(edits, &DocumentHistory::restored, this, [this](int channel) {
        formView->SelectChannel(channel);
        RefreshCaption();
        UpdateEditActions();
    });
    connect(edits, &DocumentHistory::canUndoChanged, action(ID_EDIT_UNDO), &QAction::setEnabled);
    connect(edits, &DocumentHistory::canRedoChanged, action(ID_EDIT_REDO), &QAction::setEnabled);
    // Typing in a field ends its step when the keyboard goes elsewhere.
    connect(qApp, &QApplication::focusChanged, this, [this] {
        edits->seal();
        UpdateEditActions();
    });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &CMainFrame::UpdateEditActions);
    for (QLineEdit* edit : formView->findChildren<QLineEdit*>())
        edit->installEventFilter(this);
    createOverview();

    UpdatePortChecks();
    UpdateViewChecks();
    UpdateEditActions();
    RebuildRecentFileMenu();
    RefreshCaption();
}

CMainFrame::~CMainFrame() {
    // The link reports into the form: it goes first.
    radioLink.reset();
    // The form's widgets hand the keyboard on while they are torn down: no one may ask the
    // half-destroyed form which channel has it.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    disconnect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, nullptr);
    delete formView;
    formView = nullptr;
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
    // A side too short for the form scrolls: the other side keeps room for its scroll bar. Blank
    // below the controls goes first, so a screen a little too short shows no bar for it.
    const auto* scroller = static_cast<const QScrollArea*>(centralWidget());
    QSize form = formView->formSizeHint();
    form.setHeight(std::clamp(room.height(), formView->filledHeight(), form.height()));
    formView->resize(form);
    if (room.height() < form.height())
        form.rwidth() += scroller->verticalScrollBar()->sizeHint().width();
    if (room.width() < form.width())
        form.rheight() += scroller->horizontalScrollBar()->sizeHint().height();
    resize(chrome + room.boundedTo(form));
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (fittedWithDecorations || frameGeometry().size() == size() || !screen()) return;
    fittedWithDecorations = true;
    // From the whole available area again: a side fitted before may now need a scroll bar's room.
    const QRect area = screen()->availableGeometry();
    resize(area.size() - (frameGeometry().size() - size()));
    ResizeParentToFit();
    const QSize outer = frameGeometry().size();
    const QPoint at(
        std::clamp(x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())),
        std::clamp(y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
    if (at != pos()) move(at);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!SaveModified()) {
        event->ignore();
        return;
    }
    radioLink->OnClose();
    formView->OnClose();
    saveOverviewState();
    overview->hide();
    event->accept();
}

} // namespace qarlo
