// The document commands: New, Open, a recent file, Save, Save As and Print, with the question
// that keeps an unsaved edit from being lost.
#include "CMainFrame.h"

#include "app/Resources.h"
#include "editor/CQarloView.h"
#include "editor/MessageSink.h"

#include <QPrinter>

namespace qarlo {

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

void CMainFrame::ShowNewContents() {
    edits->clear();
    formView->OnInitialUpdate();
    ResizeParentToFit();
}

void CMainFrame::NewDocumentNow() {
    docManager.NewDocument();
    ShowNewContents();
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
        messages.ShowMessage(DocumentManager::OpenFailureMessage(result));
        recent.remove(file);
    }
    recent.save();
    RebuildRecentFileMenu();
    // A bad file has left a new document behind: the form must show it, not the old one.
    if (result.ok() || result.error == FileError::InvalidFormat) ShowNewContents();
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
        messages.ShowMessage(DocumentManager::SaveFailureMessage(result));
        return false;
    }
    edits->markSaved();
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

void CMainFrame::OnFilePrintPreview() {
    const QString title = docManager.title();
    dialogs.showPreview([this, title](QPrinter* printer) {
        printer->setDocName(title);
        formView->printSheet(printer, title);
    });
}

} // namespace qarlo
