#include "ChannelOverview.h"

#include "editor/ChannelSheet.h"
#include "editor/DialogUnits.h"
#include "editor/UiText.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace qarlo {

namespace {

struct Column {
    const char* caption;
    int sheetCell; // the cell of SheetRow() shown in the column
};

// The form's terms; the channel's name heads its row (cell 0 of the sheet).
constexpr Column Columns[] = {{"接收频率", 1}, {"发射频率", 3},  {"接收编码", 2},
                              {"发射编码", 4}, {"频道宽/窄", 5}, {"静噪等级", 6}};
constexpr int NAME_CELL = 0;

const char* const OverviewTitle = "频道一览";

} // namespace

// Reads the document on every request: there is no copy that could fall behind it.
class ChannelOverviewModel : public QAbstractTableModel {
public:
    ChannelOverviewModel(const CQarloDoc& doc, QObject* parent)
        : QAbstractTableModel(parent), document(doc) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : CHANNEL_COUNT;
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(std::size(Columns));
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
            return {};
        const int column = index.column();
        if (column < 0 || column >= columnCount({})) return {};
        return SheetRow(document, index.row()).value(Columns[column].sheetCell);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Vertical) return SheetRow(document, section).value(NAME_CELL);
        if (section < 0 || section >= columnCount({})) return {};
        return UiText(Columns[section].caption);
    }
    void reread() { emit dataChanged(index(0, 0), index(rowCount({}) - 1, columnCount({}) - 1)); }

private:
    const CQarloDoc& document;
};

ChannelOverview::ChannelOverview(const CQarloDoc& doc, QWidget* parent)
    : QWidget(parent, Qt::Tool), model(new ChannelOverviewModel(doc, this)),
      rows(new QTableView(this)) {
    setObjectName(QStringLiteral("ChannelOverview"));
    setWindowTitle(UiText(OverviewTitle));
    setAccessibleName(windowTitle());
    rows->setObjectName(QStringLiteral("ChannelOverviewTable"));
    rows->setAccessibleName(windowTitle());
    rows->setFont(FormFont());
    rows->setModel(model);
    rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows->setSelectionMode(QAbstractItemView::ExtendedSelection);
    rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows->setTabKeyNavigation(false);
    rows->setWordWrap(false);
    rows->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    rows->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    rows->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(rows);

    connect(rows->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& now) {
                if (programmatic == 0 && now.isValid()) emit channelPicked(now.row());
            });

    // Large enough for every row and column, so nothing scrolls at the form's font; the sections
    // are sized only once shown, so their wishes are asked directly.
    rows->ensurePolished();
    const QAbstractItemView* cells = rows; // QTableView hides the size wishes it overrides
    int width = rows->verticalHeader()->sizeHint().width() + 2 * rows->frameWidth() +
                rows->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < model->columnCount({}); ++c)
        width +=
            std::max(cells->sizeHintForColumn(c), rows->horizontalHeader()->sectionSizeHint(c));
    int height = rows->horizontalHeader()->sizeHint().height() + 2 * rows->frameWidth();
    for (int r = 0; r < CHANNEL_COUNT; ++r)
        height += std::max(cells->sizeHintForRow(r), rows->verticalHeader()->sectionSizeHint(r));
    resize(width, height);
}

void ChannelOverview::refresh(int current) {
    model->reread();
    if (current < 0 || current >= CHANNEL_COUNT) return;
    QItemSelectionModel* selection = rows->selectionModel();
    const QModelIndex row = model->index(current, 0);
    if (selection->currentIndex().row() == current && selection->isRowSelected(current, {})) return;
    ++programmatic;
    selection->setCurrentIndex(row,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    --programmatic;
    rows->scrollTo(row);
}

std::vector<int> ChannelOverview::selectedChannels() const {
    std::vector<int> channels;
    for (const QModelIndex& row : rows->selectionModel()->selectedRows())
        channels.push_back(row.row());
    std::sort(channels.begin(), channels.end());
    return channels;
}

void ChannelOverview::closeEvent(QCloseEvent* event) {
    // Hidden now rather than after the event, so whoever hears the signal sees it hidden.
    event->accept();
    hide();
    emit closedByUser();
}

} // namespace qarlo
