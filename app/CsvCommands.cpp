// CSV from the File menu: the whole document exported, channels imported, each failure one
// message that says what the document and the file were left as.
#include "CMainFrame.h"

#include "app/CsvImportDialog.h"
#include "app/CsvMessages.h"
#include "editor/CQarloView.h"
#include "editor/MessageSink.h"
#include "editor/UiText.h"
#include "memory/Csv.h"
#include "platform/ReadFile.h"
#include "platform/SaveFile.h"
#include "platform/qt/FileNames.h"

#include <QFileInfo>
#include <QStatusBar>

#include <algorithm>

namespace qarlo {

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
        messages.ShowMessage(UiText("已导出，但以下内容无法用CSV表示：\n") +
                             DescribeCsvErrors(problems));
    else
        statusBar()->showMessage(UiText("已导出到 %1").arg(DisplayFileName(file)),
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
            UiText("无法导入文件 %1：文件太大，不是频道CSV文件。").arg(shown));
        return;
    }
    if (!read.result.ok()) {
        messages.ShowMessage(DocumentManager::OpenFailureMessage(read.result));
        return;
    }
    CsvImportOptions everyUsable;
    everyUsable.skipUnusable = true;
    const CsvImportPlan plan = PlanCsvImport(
        std::string_view(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size()),
        everyUsable);
    if (!plan.fileErrors.empty()) {
        messages.ShowMessage(UiText("无法导入文件 %1，文档未作改动：\n").arg(shown) +
                             DescribeCsvErrors(plan.fileErrors));
        return;
    }
    std::vector<CsvError> problems;
    for (const CsvPlanRow& row : plan.rows)
        problems.insert(problems.end(), row.problems.begin(), row.problems.end());
    if (std::none_of(plan.rows.begin(), plan.rows.end(),
                     [](const CsvPlanRow& row) { return row.usable(); })) {
        messages.ShowMessage(
            (plan.rows.empty()
                 ? UiText("文件 %1 中没有频道，文档未作改动。")
                 : UiText("文件 %1 中没有对讲机能存储的频道，文档未作改动：\n"))
                .arg(shown) +
            DescribeCsvErrors(problems));
        return;
    }
    CsvImportDialog dialog(plan, document, this);
    if (!dialogs.confirmCsvImport(dialog)) return;
    // The document rebuilds its programmed list and marks itself modified; the form starts over.
    const DocumentState before = document.state();
    const CsvImportResult result = ApplyCsvImport(document, dialog.plan());
    if (!result.ok() || result.channelsSet.empty()) return;
    formView->OnInitialUpdate();
    recordChange(before, formView->currentChannel);
    statusBar()->showMessage(UiText("已导入 %1 个频道；%2")
                                 .arg(result.channelsSet.size())
                                 .arg(DescribeCsvBand(result.band)),
                             STATUS_NOTE_MS);
}

} // namespace qarlo
