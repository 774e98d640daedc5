// Transfers from the window: the port choice, a read (after the save question) or a write on the
// link, each result handed to the form before the frame's own steps, and a backup of every image
// that comes from or goes to the radio.
#include "CMainFrame.h"

#include "editor/CQarloView.h"
#include "editor/MessageSink.h"
#include "radio/RadioLink.h"

#include <QFile>
#include <QStatusBar>

namespace qarlo {

void CMainFrame::OnRadioRead() {
    // Only a read that will really start may ask; the link ignores one during a transfer.
    if (radioLink->isBusy() || !SaveModified()) return;
    if (!radioLink->OnRadioRead()) return;
    beforeRead = document.state();
    formView->OnReadStarted();
}

void CMainFrame::OnRadioWrite() {
    // The checks passed and the handshake is out: the image follows, keep what it holds.
    if (radioLink->OnRadioWrite()) KeepBackup(BackupKeeper::Direction::Write);
}

// The document stays as it is, so nothing to save first and nothing to back up.
void CMainFrame::OnRadioCompare() {
    radioLink->OnRadioCompare();
}

void CMainFrame::OnImageDecoded() {
    formView->OnReadComplete();
    // One step, even when the radio held what the document did.
    recordChange(beforeRead, formView->currentChannel);
    KeepBackup(BackupKeeper::Direction::Read);
}

void CMainFrame::OnTransferFinished(const TransferOutcome& outcome) {
    formView->OnTransferFinished(outcome);
    RefreshCaption();
    // The progress texts overwrote the status line long ago: a lost backup gets its own box.
    if (backupNoteDue) {
        backupNoteDue = false;
        messages.ShowMessage(backupProblem);
    }
}

void CMainFrame::KeepBackup(BackupKeeper::Direction direction) {
    backupProblem = backupKeeper->Keep(document, direction);
    backupNoteDue = !backupProblem.isEmpty();
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

} // namespace qarlo
