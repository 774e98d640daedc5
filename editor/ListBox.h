#pragma once
// A single-selection list box in the manner of the form's list boxes: rows are only ever placed
// at explicit indices, and selChange() fires only when the user picks a row (mouse or keyboard,
// the row already selected included), never for a selection, fill or reset made by the program.
#include <QListWidget>
#include <QString>

namespace qarlo {

class ListBox : public QListWidget {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    void ResetContent();
    void InsertString(int index, const QString& text);
    int GetCount() const;
    // The selected row, or -1 when none is selected.
    int GetCurSel() const;
    // Selects `index`; an index outside the rows (-1 included) leaves no row selected.
    void SetCurSel(int index);
    QString GetText(int index) const;

signals:
    void selChange();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // The navigation keys pick the row they land on, also when no row was selected before.
    void keyPressEvent(QKeyEvent* event) override;
    // The user cannot clear the selection: Ctrl with a click or Space on the selected row picks
    // it again instead, so the list always shows which row the form stands on.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    // Only a list that has the keyboard announces its new current row as focused: a row placed
    // by the program would make a screen reader speak a control the user is not on.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // Which list has the keyboard shows in its selected row's colours.
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void onSelectionChanged();
    void showFocus(bool focused);

    int programmatic = 0;  // > 0 while the program itself changes rows or selection
    bool notified = false; // set when a user action already produced selChange()
};

} // namespace qarlo
