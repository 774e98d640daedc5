// The Edit menu: undo and redo through the document's history, and cut, copy, paste and delete of
// whole channels where a channel place has the keyboard (of the text where an edit has it).
#include "CMainFrame.h"

#include "app/ChannelClipboard.h"
#include "app/CsvMessages.h"
#include "app/Resources.h"
#include "editor/CQarloView.h"
#include "editor/ChannelOverview.h"
#include "editor/MessageSink.h"
#include "editor/UiText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>

#include <algorithm>

namespace qarlo {

namespace {

QLineEdit* FocusedEdit(const QWidget* form) {
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    return edit && form->isAncestorOf(edit) ? edit : nullptr;
}

} // namespace

void CMainFrame::recordChange(const DocumentState& before, int channel) {
    edits->record(before, channel);
    RefreshCaption();
}

std::vector<int> CMainFrame::channelsInFocus() const {
    const QWidget* focused = QApplication::focusWidget();
    if (focused == formView->channelList) return {formView->currentChannel};
    if (focused == formView->programmedList && formView->programmedList->GetCurSel() >= 0)
        return {formView->currentChannel};
    if (overview && focused == overview->table()) {
        std::vector<int> rows = overview->selectedChannels();
        return rows.empty() ? std::vector<int>{formView->currentChannel} : rows;
    }
    return {};
}

void CMainFrame::UpdateEditActions() {
    if (!formView) return; // the window is closing
    action(ID_EDIT_UNDO)->setEnabled(edits->canUndo());
    action(ID_EDIT_REDO)->setEnabled(edits->canRedo());
    const QLineEdit* edit = FocusedEdit(formView);
    const bool channels = !channelsInFocus().empty();
    const bool text = edit && edit->hasSelectedText();
    action(ID_EDIT_COPY)->setEnabled(channels || text);
    action(ID_EDIT_CUT)->setEnabled(channels || (text && !edit->isReadOnly()));
    action(ID_EDIT_CLEAR)->setEnabled(channels || (edit && !edit->isReadOnly()));
    const QMimeData* held = QGuiApplication::clipboard()->mimeData();
    action(ID_EDIT_PASTE)
        ->setEnabled((channels && HoldsChannels(held)) ||
                     (edit && !edit->isReadOnly() && held && held->hasText()));
}

void CMainFrame::OnEditUndo() {
    edits->undo();
}

void CMainFrame::OnEditRedo() {
    edits->redo();
}

void CMainFrame::copyChannels(const std::vector<int>& channels) {
    QGuiApplication::clipboard()->setMimeData(ChannelsMimeData(document, channels));
}

void CMainFrame::clearChannels(const std::vector<int>& channels) {
    const DocumentState before = document.state();
    const CQarloDoc blank;
    for (int ch : channels)
        std::copy_n(blank.record(ch), RECORD_SIZE, document.record(ch));
    if (document.state().memory == before.memory) return;
    document.RebuildProgrammedList();
    document.SetModifiedFlag(true);
    formView->SelectChannel(channels.front());
    recordChange(before, channels.front());
}

void CMainFrame::OnEditCopy() {
    if (QLineEdit* edit = FocusedEdit(formView)) return edit->copy();
    const std::vector<int> channels = channelsInFocus();
    if (!channels.empty()) copyChannels(channels);
}

void CMainFrame::OnEditCut() {
    if (QLineEdit* edit = FocusedEdit(formView)) return edit->cut();
    const std::vector<int> channels = channelsInFocus();
    if (channels.empty()) return;
    copyChannels(channels);
    clearChannels(channels);
}

void CMainFrame::OnEditClear() {
    if (QLineEdit* edit = FocusedEdit(formView)) return edit->del();
    const std::vector<int> channels = channelsInFocus();
    if (!channels.empty()) clearChannels(channels);
}

void CMainFrame::OnEditPaste() {
    if (QLineEdit* edit = FocusedEdit(formView)) return edit->paste();
    const std::vector<int> channels = channelsInFocus();
    const QMimeData* held = QGuiApplication::clipboard()->mimeData();
    if (channels.empty() || !held) return;
    const PastedChannels pasted = ChannelsFromMimeData(*held);
    if (!pasted.errors.empty()) {
        messages.ShowMessage(UiText("无法粘贴剪贴板上的频道，文档未作改动：\n%1")
                                 .arg(DescribeCsvErrors(pasted.errors)));
        return;
    }
    if (pasted.records.empty()) {
        messages.ShowMessage(UiText("剪贴板上没有频道，文档未作改动。"));
        return;
    }
    // Into the selected channel and the ones after it; what does not fit is said, not dropped.
    const int first = *std::min_element(channels.begin(), channels.end());
    const std::size_t room = static_cast<std::size_t>(CHANNEL_COUNT - first);
    const std::size_t taken = std::min(room, pasted.records.size());
    const DocumentState before = document.state();
    for (std::size_t i = 0; i < taken; ++i)
        std::copy_n(pasted.records[i].begin(), RECORD_SIZE,
                    document.record(first + static_cast<int>(i)));
    if (document.state().memory != before.memory) {
        document.RebuildProgrammedList();
        document.SetModifiedFlag(true);
        formView->SelectChannel(first);
        recordChange(before, first);
    }
    if (taken < pasted.records.size())
        messages.ShowMessage(UiText("剪贴板上有 %1 个频道，从%2起只粘贴了前 %3 个。")
                                 .arg(pasted.records.size())
                                 .arg(UiText(QString::fromUtf8(ChannelName(first).data(), 8)))
                                 .arg(taken));
}

bool CMainFrame::routeHistoryKey(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (event->type() != QEvent::KeyPress || !edit || !formView || !formView->isAncestorOf(edit))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (int id : {ID_EDIT_UNDO, ID_EDIT_REDO}) {
        if (action(id)->shortcuts().contains(pressed) ||
            key->matches(id == ID_EDIT_UNDO ? QKeySequence::Undo : QKeySequence::Redo)) {
            action(id)->trigger();
            return true;
        }
    }
    return false;
}

} // namespace qarlo
