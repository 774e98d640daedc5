// The overview of all channels beside the form: a tool window rather than a dock, since the form
// alone nearly fills a 1366 x 768 screen and a dock would make it scroll. It follows the document
// and the form's channel, a row picked goes through the channel list's own path, and its
// visibility and place are kept for the next run.
#include "CMainFrame.h"

#include "app/Resources.h"
#include "editor/CQarloView.h"
#include "editor/ChannelOverview.h"

#include <QAction>
#include <QScreen>
#include <QSettings>
#include <QShowEvent>

#include <algorithm>

namespace qarlo {

namespace {

const QString VisibleKey = QStringLiteral("overview/visible");
const QString GeometryKey = QStringLiteral("overview/geometry");

} // namespace

void CMainFrame::createOverview() {
    overview = new ChannelOverview(document, this);
    // The clipboard and history keys work while the overview has the keyboard.
    for (int id : {ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
                   ID_EDIT_CLEAR, ID_VIEW_OVERVIEW})
        overview->addAction(action(id));
    connect(overview, &ChannelOverview::channelPicked, this, [this](int channel) {
        formView->channelList->SetCurSel(channel);
        formView->OnSelchangeChannelList();
    });
    connect(formView, &CQarloView::channelShown, overview, &ChannelOverview::refresh);
    connect(edits, &DocumentHistory::changed, overview,
            [this] { overview->refresh(formView->currentChannel); });
    connect(overview, &ChannelOverview::closedByUser, this, [this] {
        UpdateViewChecks();
        saveOverviewState();
    });

    const QSettings settings;
    if (overview->restoreGeometry(settings.value(GeometryKey).toByteArray())) return;
    // First run: at the right edge of the screen, where it hides the least of the form.
    if (const QScreen* shown = screen()) {
        const QRect room = shown->availableGeometry();
        overview->move(room.right() - overview->width() - 8,
                       room.top() + std::max(0, (room.height() - overview->height()) / 2));
    }
}

void CMainFrame::OnViewOverview(bool show) {
    overview->setVisible(show);
    if (show) {
        overview->refresh(formView->currentChannel);
        overview->raise();
    }
    UpdateViewChecks();
    saveOverviewState();
}

void CMainFrame::saveOverviewState() const {
    QSettings settings;
    settings.setValue(VisibleKey, !overview->isHidden());
    settings.setValue(GeometryKey, overview->saveGeometry());
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (overviewRestored) return;
    // Hidden unless the last run ended with it shown.
    overviewRestored = true;
    if (QSettings().value(VisibleKey, false).toBool()) OnViewOverview(true);
}

} // namespace qarlo
