#pragma once
// A document, a radio link and the editor form shown offscreen, driven the way a user drives it:
// typing into edits, clicking list rows, the spin's arrows and the copy buttons. Messages are
// recorded instead of waiting for a click.
#include "editor/CQarloView.h"
#include "memory/Bytes.h"
#include "radio/Messages.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace qarlo::test {

inline QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousHandler =
            SetMessageHandler([this](const QString& text) { messages.push_back(text); });
        link = std::make_unique<RadioLink>(doc);
        view = std::make_unique<CQarloView>(doc, *link);
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        view->OnInitialUpdate();
        modifiedSpy = std::make_unique<QSignalSpy>(view.get(), &CQarloView::documentModified);
    }
    void TearDown() override {
        view.reset();
        link.reset();
        SetMessageHandler(previousHandler);
    }

    // Replaces the whole text the way a user does: select it all, then type.
    void typeInto(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // Types after what the edit already holds.
    void appendTo(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->end(false);
        QTest::keyClicks(edit, text);
    }
    // The last keystroke of a value whose earlier characters are no number yet ("-", "1e"),
    // which would bring the prompt on their own.
    void finishTyping(QLineEdit* edit, const QString& text) {
        edit->setText(text.chopped(1));
        appendTo(edit, text.right(1));
    }
    // Deletes the whole text with the keyboard.
    void emptyEdit(QLineEdit* edit) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
    }
    void clickRow(ListBox* list, int row) {
        ASSERT_GE(row, 0);
        ASSERT_LT(row, list->count());
        list->scrollToItem(list->item(row));
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void clickRowWithText(ListBox* list, const QString& text) {
        const auto found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        clickRow(list, list->row(found.first()));
    }
    void spinUp() { QTest::mouseClick(view->squelchSpin->upButton(), Qt::LeftButton); }
    void spinDown() { QTest::mouseClick(view->squelchSpin->downButton(), Qt::LeftButton); }

    // Selects a channel as the user does, in the channel list.
    void chooseChannel(int channel) { clickRow(view->channelList, channel); }

    std::array<std::uint8_t, 16> record(int channel) const {
        std::array<std::uint8_t, 16> r{};
        std::copy_n(doc.record(channel), 16, r.begin());
        return r;
    }
    std::array<std::uint8_t, 4> rxBytes(int channel) const {
        return {doc.record(channel)[0], doc.record(channel)[1], doc.record(channel)[2],
                doc.record(channel)[3]};
    }
    std::array<std::uint8_t, 4> txBytes(int channel) const {
        return {doc.record(channel)[5], doc.record(channel)[6], doc.record(channel)[7],
                doc.record(channel)[8]};
    }
    std::vector<int> programmedEntries() const {
        std::vector<int> out;
        for (std::uint8_t e : doc.ProgrammedChannelList) {
            if (e == LIST_END) break;
            out.push_back(e);
        }
        return out;
    }
    QStringList rows(const ListBox* list) const {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    QString selectedText(const ListBox* list) const {
        const int sel = list->GetCurSel();
        return sel < 0 ? QString() : list->GetText(sel);
    }
    // Programs a channel directly in the document (as a loaded file would) and rebuilds the list.
    void programChannel(int channel, std::int32_t rx, std::int32_t tx) {
        doc.setRxFreq(channel, rx);
        doc.setTxFreq(channel, tx);
    }
    void reloadDocument() {
        doc.RebuildProgrammedList();
        doc.selectedChannel = NO_CHANNEL;
        doc.SetModifiedFlag(false);
        view->OnInitialUpdate();
        modifiedSpy->clear();
    }

    CQarloDoc doc;
    std::unique_ptr<RadioLink> link;
    std::unique_ptr<CQarloView> view;
    std::unique_ptr<QSignalSpy> modifiedSpy;
    std::vector<QString> messages;
    MessageHandler previousHandler;
};

} // namespace qarlo::test
