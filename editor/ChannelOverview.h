#pragma once
// All sixteen channels at a glance: a tool window with one row per channel, its cells formatted as
// the printed sheet formats them. It only observes the document; a row the user picks is announced
// for the form to show, and the rows selected are what the clipboard commands act on.
#include "memory/CQarloDoc.h"

#include <QWidget>

#include <vector>

class QTableView;

namespace qarlo {

class ChannelOverviewModel;

class ChannelOverview : public QWidget {
    Q_OBJECT
public:
    explicit ChannelOverview(const CQarloDoc& doc, QWidget* parent = nullptr);

    // The document changed or the form shows another channel: the cells are read again and
    // `current`'s row is selected, unless it is already the current row of a wider selection.
    void refresh(int current);
    // The channels of the selected rows, in channel order.
    std::vector<int> selectedChannels() const;
    QTableView* table() const { return rows; }

signals:
    // The user made `channel`'s row current (mouse or keyboard).
    void channelPicked(int channel);
    // The window was closed (its title bar's button), not hidden by the program.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ChannelOverviewModel* model = nullptr;
    QTableView* rows = nullptr;
    int programmatic = 0; // > 0 while refresh() moves the selection
};

} // namespace qarlo
