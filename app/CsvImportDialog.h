#pragma once
// Before a CSV import changes anything: every row of the file with what it becomes or why it
// cannot, a tick per row, where the rows go and the band the import would set.
#include "memory/CQarloDoc.h"
#include "memory/Csv.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace qarlo {

class CsvImportDialog : public QDialog {
public:
    // `plan` as read from the file; `doc` the document the rows would go into.
    CsvImportDialog(CsvImportPlan plan, const CQarloDoc& doc, QWidget* parent = nullptr);

    // The rows as now chosen: what 确定 applies.
    const CsvImportPlan& plan() const { return importPlan; }
    // The channels the choice sets, as ApplyCsvImport would.
    const CsvImportResult& preview() const { return previewResult; }

    QTableWidget* rowTable = nullptr;
    QRadioButton* byLocation = nullptr;
    QRadioButton* inOrder = nullptr;
    QSpinBox* firstChannel = nullptr;
    QLabel* bandLabel = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void fillRows();
    void tickFirstUsable();
    // Takes the ticks and the destination from the widgets and plans again.
    void choose();
    void showChoice();

    CsvImportPlan importPlan;
    CQarloDoc document;
    CsvImportResult previewResult;
};

} // namespace qarlo
