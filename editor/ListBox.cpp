#include "ListBox.h"
#include "editor/UiText.h"

#include "editor/FormLook.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>

#include <algorithm>
#include <iterator>

namespace qarlo {

namespace {
// Marks a change made by the program, so the list's own signals reach no handler.
class ProgramScope {
public:
    explicit ProgramScope(int& counter) : count(counter) { ++count; }
    ~ProgramScope() { --count; }
    ProgramScope(const ProgramScope&) = delete;
    ProgramScope& operator=(const ProgramScope&) = delete;

private:
    int& count;
};
} // namespace

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setSortingEnabled(false);
    connect(this, &QListWidget::itemSelectionChanged, this, &ListBox::onSelectionChanged);
    showFocus(false);
}

void ListBox::showFocus(bool focused) {
    QPalette colours = palette();
    colours.setColor(QPalette::Highlight, QColor(focused ? FOCUSED_ROW : RESTING_ROW));
    colours.setColor(QPalette::HighlightedText, focused ? Qt::white : Qt::black);
    setPalette(colours);
}

void ListBox::focusInEvent(QFocusEvent* event) {
    showFocus(true);
    QListWidget::focusInEvent(event);
}

void ListBox::focusOutEvent(QFocusEvent* event) {
    showFocus(false);
    QListWidget::focusOutEvent(event);
}

void ListBox::onSelectionChanged() {
    if (programmatic > 0) return;
    notified = true;
    emit selChange();
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    const bool onRow = indexAt(event->position().toPoint()).isValid();
    if (!onRow || event->button() != Qt::LeftButton) {
        // Below the last row, or with another button than the left, a press only takes the focus;
        // the selection stays as it is: the user never loses the row the form shows.
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    notified = false;
    QListWidget::mousePressEvent(event);
    // A click on the row that is already selected changes nothing in the model, yet the user has
    // picked a row: the handler still runs.
    if (!notified && programmatic == 0) emit selChange();
    notified = false;
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    static constexpr int navigation[] = {Qt::Key_Home, Qt::Key_End,    Qt::Key_Up,
                                         Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown};
    const bool navigates = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
                           count() > 0 &&
                           std::find(std::begin(navigation), std::end(navigation), event->key()) !=
                               std::end(navigation);
    if (!navigates || GetCurSel() != -1) {
        QListWidget::keyPressEvent(event);
        return;
    }
    // Without a selection the caret rests on the first row; a key that does not move it away
    // still picks the row it stays on, so the keyboard alone can always pick a row.
    if (!currentIndex().isValid()) {
        ProgramScope scope(programmatic);
        setCurrentRow(0, QItemSelectionModel::NoUpdate);
    }
    QListWidget::keyPressEvent(event);
    if (GetCurSel() == -1 && currentRow() >= 0)
        setCurrentRow(currentRow(), QItemSelectionModel::ClearAndSelect);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index,
                                                              const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags flags = QListWidget::selectionCommand(index, event);
    if (index.isValid() && (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)))
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return flags;
}

void ListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (hasFocus()) {
        QListWidget::currentChanged(current, previous);
    } else {
        QAbstractItemView::currentChanged(current, previous); // all but the focus announcement
    }
}

void ListBox::ResetContent() {
    ProgramScope scope(programmatic);
    clear();
}

void ListBox::InsertString(int index, const QString& text) {
    ProgramScope scope(programmatic);
    insertItem(index, UiText(text));
}

int ListBox::GetCount() const {
    return count();
}

int ListBox::GetCurSel() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ListBox::SetCurSel(int index) {
    ProgramScope scope(programmatic);
    if (index < 0 || index >= count()) {
        selectionModel()->clear();
    } else {
        setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        scrollToItem(item(index));
    }
}

QString ListBox::GetText(int index) const {
    const QListWidgetItem* it = item(index);
    return it ? it->text() : QString();
}

} // namespace qarlo
