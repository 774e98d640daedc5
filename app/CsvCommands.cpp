// CSV from the File menu: the whole document exported, channels imported, each failure one
// message that says what the document and the file were left as.
#include "CMainFrame.h"

#include "app/CsvMessages.h"
#include "app/FileNames.h"
#include "editor/CQarloView.h"
#include "editor/MessageSink.h"
#include "memory/Csv.h"
#include "platform/ReadFile.h"
#include "platform/SaveFile.h"

#include <QFileInfo>
#include <QStatusBar>

namespace qarlo {

namespace {
constexpr int MAX_LISTED_ERRORS = 10;
} // namespace

QString DescribeCsvErrors(const std::vector<CsvError>& errors) {
    QStringList lines;
    for (std::size_t i = 0; i < errors.size() && i < MAX_LISTED_ERRORS; ++i) {
        const std::string line = DescribeCsvError(errors[i]);
        lines.append(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
    }
    if (errors.size() > MAX_LISTED_ERRORS)
        lines.append(QStringLiteral("……另有 %1 处错误").arg(errors.size() - MAX_LISTED_ERRORS));
    return lines.join(QLatin1Char('\n'));
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
        messages.ShowMessage(DocumentManager::SaveFailureMessage(result));
        return;
    }
    const std::vector<CsvError> problems = CsvExportProblems(document);
    if (!problems.empty())
        messages.ShowMessage(QStringLiteral("已导出，但以下内容无法用CSV表示：\n") +
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
        messages.ShowMessage(
            QStringLiteral("无法导入文件 %1：文件太大，不是频道CSV文件。").arg(shown));
        return;
    }
    if (!read.result.ok()) {
        messages.ShowMessage(DocumentManager::OpenFailureMessage(read.result));
        return;
    }
    // The document rebuilds its programmed list and marks itself modified; the form starts over.
    const DocumentState before = document.state();
    const CsvImportResult result =
        ImportCsv(document, std::string_view(reinterpret_cast<const char*>(read.bytes.data()),
                                             read.bytes.size()));
    if (!result.ok()) {
        messages.ShowMessage(QStringLiteral("无法导入文件 %1，文档未作改动：\n").arg(shown) +
                             DescribeCsvErrors(result.errors));
        return;
    }
    if (result.channelsSet.empty()) {
        messages.ShowMessage(QStringLiteral("文件 %1 中没有频道，文档未作改动。").arg(shown));
        return;
    }
    formView->OnInitialUpdate();
    recordChange(before, formView->currentChannel);
    statusBar()->showMessage(QStringLiteral("已导入 %1 个频道").arg(result.channelsSet.size()),
                             STATUS_NOTE_MS);
}

} // namespace qarlo
