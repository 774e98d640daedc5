// The questions and file choosers the frame puts to the user, as the program shows them; tests
// replace them in CMainFrame::dialogs.
#include "CMainFrame.h"
#include "editor/UiText.h"

#include "app/CsvImportDialog.h"
#include "app/Resources.h"
#include "platform/qt/FileNames.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>

namespace qarlo {

namespace {

// A file name to save under, with the suffix added to a name typed without one.
QString ChooseFileToSave(QWidget* parent, const QString& caption, const QString& suggested,
                         const QString& filter, const QString& suffix) {
    QFileDialog dialog(parent, caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

// A suggested name without a folder goes into `folder`, not the working directory.
QString InFolder(const QString& folder, const QString& suggested) {
    return QDir::cleanPath(QDir(folder).filePath(suggested));
}

} // namespace

QString CMainFrame::dialogFolder() const {
    const QString file = docManager.pathName();
    if (!file.isEmpty()) return QFileInfo(file).absolutePath();
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void CMainFrame::installDefaultDialogs() {
    dialogs.askSaveChanges = [this](const QString& title) {
        QMessageBox box(QMessageBox::Question, AppName(),
                        UiText("是否保存对 %1 的更改？").arg(title),
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
        return QFileDialog::getOpenFileName(this, UiText("打开"), dialogFolder(), FileFilter());
    };
    dialogs.chooseFileToSave = [this](const QString& suggested) {
        return ChooseFileToSave(this, UiText("另存为"), InFolder(dialogFolder(), suggested),
                                FileFilter(), DefaultSuffix());
    };
    dialogs.chooseCsvToImport = [this] {
        return QFileDialog::getOpenFileName(this, UiText("导入CSV"), dialogFolder(),
                                            UiText("CSV 文件 (*.csv);;所有文件 (*)"));
    };
    dialogs.confirmCsvImport = [](CsvImportDialog& dialog) {
        return dialog.exec() == QDialog::Accepted;
    };
    dialogs.chooseCsvToExport = [this](const QString& suggested) {
        return ChooseFileToSave(this, UiText("导出CSV"), InFolder(dialogFolder(), suggested),
                                UiText("CSV 文件 (*.csv)"), QStringLiteral("csv"));
    };
    dialogs.askPrint = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    dialogs.showPreview = [this](const std::function<void(QPrinter*)>& paint) {
        QPrintPreviewDialog preview(this);
        connect(&preview, &QPrintPreviewDialog::paintRequested, this,
                [&paint](QPrinter* printer) { paint(printer); });
        preview.exec();
    };
}

} // namespace qarlo
