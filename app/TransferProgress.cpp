#include "TransferProgress.h"

#include "editor/TransferTexts.h"
#include "radio/RadioLink.h"

#include <QProgressBar>
#include <QStatusBar>

namespace qarlo {

TransferProgress::TransferProgress(QStatusBar& statusBar, RadioLink& link, QObject* parent)
    : QObject(parent), bar(statusBar), meter(new QProgressBar(&statusBar)) {
    meter->setObjectName(QStringLiteral("TransferProgress"));
    meter->setTextVisible(false);
    meter->setMaximumWidth(120);
    meter->hide();
    bar.addPermanentWidget(meter);
    connect(&link, &RadioLink::progress, this, [this](TransferStep step, int bytes, int total) {
        shown = TransferProgressText(step, bytes, total);
        bar.showMessage(shown);
        meter->setRange(0, total);
        meter->setValue(bytes);
        meter->show();
    });
    // An empty pane shows "就绪" again; a note the frame put there meanwhile stays.
    connect(&link, &RadioLink::transferFinished, this, [this] {
        meter->hide();
        if (bar.currentMessage() == shown) bar.clearMessage();
    });
}

} // namespace qarlo
