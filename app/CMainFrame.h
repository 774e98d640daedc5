#pragma once
// The main frame around the channel editor. Its members live in one file per job: CMainFrame.cpp
// (the frame itself: caption, size, closing), MainMenus.cpp (menus, toolbar, status bar and the
// lock-key panes from one table of actions), DefaultDialogs.cpp, DocumentCommands.cpp (New, Open,
// Save, print, with the question that keeps an unsaved edit from being lost), EditCommands.cpp
// (undo, redo and channels on the clipboard), OverviewWindow.cpp (all channels at a glance, its
// place kept between runs), CsvCommands.cpp and RadioCommands.cpp (transfers
// from the window, their backups, the port choice).
#include "app/BackupKeeper.h"
#include "app/DocumentHistory.h"
#include "app/DocumentManager.h"
#include "app/RecentFileList.h"
#include "memory/CQarloDoc.h"
#include "radio/PortList.h"

#include <QMainWindow>
#include <QMap>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPrinter;
class QTimer;
class QToolBar;

namespace qarlo {

class ChannelOverview;
class CQarloView;
class CsvImportDialog;
class MessageSink;
class RadioLink;
struct TransferOutcome;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    enum class SaveAnswer { Save, Discard, Cancel };

    // Everything the frame asks the user through a dialog; tests replace these.
    struct Dialogs {
        std::function<SaveAnswer(const QString& title)> askSaveChanges;
        std::function<QString()> chooseFileToOpen;
        std::function<QString(const QString& suggested)> chooseFileToSave;
        std::function<QString()> chooseCsvToImport;
        // Shows the rows of a CSV before they are imported; true: import them as now chosen.
        std::function<bool(CsvImportDialog& dialog)> confirmCsvImport;
        std::function<QString(const QString& suggested)> chooseCsvToExport;
        std::function<bool(QPrinter& printer)> askPrint;
        // Shows the pages `paint` draws onto the printer the preview offers.
        std::function<void(const std::function<void(QPrinter* printer)>& paint)> showPreview;
    };

    // Every message of the window, the form's included, goes to `messages`.
    CMainFrame(CQarloDoc& doc, RecentFileList& recentFiles, MessageSink& messages,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    Dialogs dialogs;
    // The serial devices the port menu offers below COM1 and COM2, asked each time it opens;
    // tests replace it (pseudo-terminals are never enumerated).
    std::function<QList<PortInfo>()> listPorts = [] { return ListPorts(); };

    CQarloView& view() { return *formView; }
    ChannelOverview& channelOverview() { return *overview; }
    RadioLink& link() { return *radioLink; }
    DocumentManager& documents() { return docManager; }
    RecentFileList& recentFiles() { return recent; }
    DocumentHistory& history() { return *edits; }
    QToolBar* toolBar() const { return mainToolBar; }
    // The action of a command id (ID_FILE_NEW ...), nullptr when the window has none.
    QAction* action(int commandId) const { return actions.value(commandId); }
    QMenu* fileMenu() const { return menuFile; }
    QMenu* portMenu() const { return menuPort; }
    // What the message pane shows now.
    QString messagePaneText() const;
    // The caption as the window manager shows it (modified mark included).
    QString displayedCaption() const;

    void setBackupFolder(const QString& folder);
    const QString& lastBackupProblem() const { return backupProblem; }

    // Commands.
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnOpenRecentFile(int index);
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnExportCsv();
    void OnImportCsv();
    void OnEditUndo();
    void OnEditRedo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditClear();
    void OnViewOverview(bool show);
    void OnRadioRead();
    void OnRadioWrite();
    void OnRadioCompare();
    void OnPortCom1();
    void OnPortCom2();
    void OnPortDevice(const QString& device);

    // Where the file dialogs start: the current file's folder, else the user's documents folder.
    QString dialogFolder() const;

    // A new document at start-up or for New, without a question: the view is re-initialised.
    void NewDocumentNow();
    // Opens `file` (command line, Open, a recent file) and re-initialises the view; false with the
    // message shown when it fails. A recent file that fails leaves the list.
    bool OpenDocumentFile(const QString& file);
    // The question before a modified document is dropped: false when the user cancels or the
    // save fails.
    bool SaveModified();
    // Fits the window around the form: shrunk to it, never past the screen.
    void ResizeParentToFit();

    // Brings the check marks, the caption and the recent-file entries up to date.
    void UpdatePortChecks();
    // The devices present, below a separator under COM1 and COM2.
    void RefreshPortMenu();
    void UpdateViewChecks();
    // Greys the edit commands that cannot act where the keyboard is.
    void UpdateEditActions();
    void RefreshCaption();
    void RebuildRecentFileMenu();
    void UpdateLockIndicators();

signals:
    void aboutRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The window manager's title bar and borders are known only once it has framed the window:
    // then the frame fits once more with them counted, and moves inside the available area.
    void moveEvent(QMoveEvent* event) override;

private:
    // How long a note (an export, an import, a backup that failed) stays on the status bar.
    static constexpr int STATUS_NOTE_MS = 10000;

    void createMenus();
    void createLanguageMenu(QMenu& view);
    void createToolBar();
    void createStatusBar();
    void installDefaultDialogs();
    // The overview window, following the document and the form's channel.
    void createOverview();
    // Its visibility and place, for the next run.
    void saveOverviewState() const;
    // The document just became another one (New, Open, CSV import): the form starts over on it.
    void ShowNewContents();
    bool DoSave(const QString& file);
    void OnImageDecoded();
    void OnTransferFinished(const TransferOutcome& outcome);
    void KeepBackup(BackupKeeper::Direction direction);
    // The channels the clipboard commands act on: empty unless a channel place has the keyboard.
    std::vector<int> channelsInFocus() const;
    // A change the frame made to the document (paste, clear, import, read) becomes one step, and
    // the form shows `channel` of the changed document.
    void recordChange(const DocumentState& before, int channel);
    void copyChannels(const std::vector<int>& channels);
    void clearChannels(const std::vector<int>& channels);
    // Undo and redo keys in a form's edit reach the document's history, not the edit's own.
    bool routeHistoryKey(QObject* watched, QEvent* event);

    CQarloDoc& document;
    RecentFileList& recent;
    MessageSink& messages;
    DocumentManager docManager;
    std::unique_ptr<BackupKeeper> backupKeeper;
    QString backupProblem;
    bool backupNoteDue = false; // shown once the transfer has ended
    std::unique_ptr<RadioLink> radioLink;
    CQarloView* formView = nullptr;
    DocumentHistory* edits = nullptr;
    ChannelOverview* overview = nullptr;
    bool overviewRestored = false; // the first show brings back the overview of the last run
    DocumentState beforeRead;
    QToolBar* mainToolBar = nullptr;
    QMenu* menuFile = nullptr;
    QAction* recentEnd = nullptr;
    QList<QAction*> recentActions;
    QMap<int, QAction*> actions;
    QMap<int, QLabel*> indicators;
    QMenu* menuPort = nullptr;
    QList<QAction*> deviceActions; // the separator first, when there are devices
    bool lockStateKnown = false;
    bool fittedWithDecorations = false;
};

} // namespace qarlo
