#pragma once
// A document and the editor form shown offscreen, driven the way a user drives it. Messages are
// recorded instead of waiting for a click.
#include "editor/CQarloView.h"
#include "tests/support/FormInput.h"
#include "tests/support/MessageRecorder.h"

#include <QPushButton>
#include <QSignalSpy>

#include <cstdint>
#include <memory>
#include <ostream>

namespace qarlo::test {

using Bytes = std::vector<std::uint8_t>;

// Where the editor stands: the current channel, the channel list's row, programmedPos, and what
// the programmed list shows with its selected row ("" for none).
struct Lists {
    int current, channelRow, pos;
    QStringList programmed;
    QString selected;
    bool operator==(const Lists&) const = default;
};
inline void PrintTo(const Lists& l, std::ostream* os) {
    *os << "{" << l.current << ", " << l.channelRow << ", " << l.pos << ", ["
        << l.programmed.join(',').toStdString() << "], " << l.selected.toStdString() << "}";
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        view = std::make_unique<CQarloView>(doc, recorder);
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        view->OnInitialUpdate();
        modifiedSpy = std::make_unique<QSignalSpy>(view.get(), &CQarloView::documentModified);
    }

    // Only the last keystroke typed: for values whose beginnings ("-", "1e") are no number yet.
    void finishTyping(QLineEdit* edit, const QString& text) {
        edit->setText(text.chopped(1));
        edit->setFocus();
        edit->end(false);
        QTest::keyClicks(edit, text.right(1));
    }
    void chooseChannel(int channel) { ClickRow(view->channelList, channel); }
    // `count` bytes of the channel memory from `offset` (a record's field: channel * 16 + offset).
    Bytes memory(int offset, int count) const {
        const auto* p = doc.ChannelMemory.data() + offset;
        return Bytes(p, p + count);
    }
    Lists lists() const {
        return {view->currentChannel, view->channelList->GetCurSel(), view->programmedPos,
                Rows(view->programmedList), SelectedText(view->programmedList)};
    }
    // One direction as shown: the code type, the code table's row count and its selected row.
    QStringList signalling(bool transmit) const {
        const ListBox* table = transmit ? view->txCodeTableList : view->rxCodeTableList;
        return {SelectedText(transmit ? view->txCodeTypeList : view->rxCodeTypeList),
                QString::number(table->count()), SelectedText(table)};
    }
    void setFrequencies(int channel, std::int32_t rx, std::int32_t tx) {
        doc.setRxFreq(channel, rx);
        doc.setTxFreq(channel, tx);
    }
    // As after File Open: the list rebuilt from the records, the editor back at channel 0.
    void reloadDocument() {
        doc.RebuildProgrammedList();
        doc.selectedChannel = NO_CHANNEL;
        doc.SetModifiedFlag(false);
        view->OnInitialUpdate();
        modifiedSpy->clear();
        messages.clear();
    }

    CQarloDoc doc;
    MessageRecorder recorder;
    std::vector<QString>& messages = recorder.messages;
    std::unique_ptr<CQarloView> view;
    std::unique_ptr<QSignalSpy> modifiedSpy;
};

} // namespace qarlo::test
