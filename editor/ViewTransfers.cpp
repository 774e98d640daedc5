// A transfer as the form shows it: held while a read runs, channel 0 after a read, the message
// at the end, and the failing channel after a refused write.
#include "editor/CQarloView.h"
#include "editor/MessageSink.h"
#include "editor/TransferTexts.h"

#include <QApplication>

namespace qarlo {

void CQarloView::OnReadStarted() {
    // The image will overwrite the form: anything typed meanwhile would be lost.
    holdForm(true);
}

void CQarloView::OnClose() {
    holdForm(false);
}

void CQarloView::holdForm(bool hold) {
    if (hold == formHeld) return;
    formHeld = hold;
    if (hold) {
        QWidget* focused = QApplication::focusWidget();
        focusBeforeHold = isAncestorOf(focused) ? focused : nullptr;
        setEnabled(false);
        return;
    }
    setEnabled(true);
    // The keyboard comes back where it was, for a user who works without the mouse.
    if (focusBeforeHold && focusBeforeHold->isEnabled()) focusBeforeHold->setFocus();
    focusBeforeHold = nullptr;
}

void CQarloView::OnReadComplete() {
    holdForm(false);
    currentChannel = 0;
    document.selectedChannel = 0;
    channelList->SetCurSel(0);
    ShowChannel(0);
    document.RebuildProgrammedList();
    programmedPos = document.IsChannelProgrammed(0) ? 0 : -1;
    RefillProgrammedList();
}

void CQarloView::OnTransferFinished(const TransferOutcome& outcome) {
    const QString text = TransferReportText(outcome);
    if (outcome.kind == TransferOutcome::Kind::OpenFailed) {
        // The fixed message says that it failed; the line below says why, as qarlo-cli does.
        messages.ShowMessageWithReason(text, OpenFailureReasonText(outcome.open));
    } else {
        messages.ShowMessage(text);
    }
    if (outcome.kind == TransferOutcome::Kind::CheckFailed)
        SelectChannel(outcome.check.channel);
    // A read that failed gives the form back as well.
    holdForm(false);
}

} // namespace qarlo
