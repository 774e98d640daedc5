// The editor form driven like a user, offscreen: a document of arbitrary bytes (the first 1040
// bytes of the input), then the rest of the input as a program of keystrokes into the five edits,
// clicks on list rows (the selected row included, with or without Ctrl), arrow keys in the lists,
// steps of the squelch spin past its ends and the copy buttons. After every step the programmed
// list still matches the memory, squelch levels stay within 0..9, no byte changed outside the
// channel being edited and the settings, and showing any channel changes no byte.
#include "Invariants.h"
#include "editor/CQarloView.h"
#include "editor/MessageSink.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <utility>

using namespace qarlo;

namespace {

// Reads the program; past its end every byte is 0.
struct Program {
    const std::uint8_t* data;
    std::size_t size, pos = 0;
    bool done() const { return pos >= size; }
    std::uint8_t next() { return pos < size ? data[pos++] : 0; }
};

void sendKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
             const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}

// Mostly what numbers are made of, sometimes any printable character.
char typedChar(std::uint8_t b) {
    static constexpr char common[] = "0123456789..--ee+E 0123456789";
    if (b < 224) return common[b % (sizeof common - 1)];
    return static_cast<char>(32 + b % 95);
}

// Replaces everything, appends, types somewhere in the middle or rubs some out first; then up to
// 8 characters, a byte of 255 being a backspace.
void typeInto(QLineEdit* edit, Program& p) {
    edit->setFocus(Qt::OtherFocusReason);
    const std::uint8_t mode = p.next();
    const int moves = mode % 4 == 2 ? (mode >> 2) % 8 : mode % 4 == 3 ? (mode >> 2) % 12 : 0;
    const int first[] = {Qt::Key_A, Qt::Key_End, Qt::Key_Home, Qt::Key_End};
    sendKey(edit, first[mode % 4], mode % 4 == 0 ? Qt::ControlModifier : Qt::NoModifier);
    for (int i = 0; i < moves; ++i)
        sendKey(edit, mode % 4 == 2 ? Qt::Key_Right : Qt::Key_Backspace);
    for (int i = p.next() % 9; i > 0; --i) {
        const std::uint8_t b = p.next();
        const char c = typedChar(b);
        const int key = b == 255                 ? Qt::Key_Backspace
                        : (c >= 'a' && c <= 'z') ? Qt::Key_A + (c - 'a')
                                                 : c;
        sendKey(edit, key, Qt::NoModifier, b == 255 ? QString() : QString(QChar::fromLatin1(c)));
    }
}

void mouseClick(QWidget* w, QPoint at, Qt::KeyboardModifiers mods) {
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, mods);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, mods);
    QApplication::sendEvent(w, &release);
}

// A click on a row: the selected one, another one, or below the last row.
void clickList(ListBox* list, Program& p) {
    const std::uint8_t how = p.next(), which = p.next();
    const Qt::KeyboardModifiers mods = (how & 0x80) ? Qt::ControlModifier : Qt::NoModifier;
    const int row = list->count() == 0 || (how & 0x30) == 0x30 ? -1
                    : (how & 0x40) && list->GetCurSel() >= 0   ? list->GetCurSel()
                                                               : which % list->count();
    if (row >= 0) list->scrollToItem(list->item(row));
    const QRect rect = row >= 0 ? list->visualItemRect(list->item(row)) : QRect();
    if (row < 0 || !rect.isEmpty())
        mouseClick(list->viewport(),
                   row < 0 ? QPoint(2, list->viewport()->height() - 2) : rect.center(), mods);
}

// The five edits, in the same order as the values they hold.
std::array<QLineEdit*, 5> editsOf(CQarloView& view) {
    return {view.txFreqEdit, view.totEdit, view.rxFreqEdit, view.bandLowEdit, view.bandHighEdit};
}

// After every step: the list matches the memory, squelch levels that were levels stay in 0..9,
// only the records of the channels that were current and the settings changed (and a change
// marks the document), and showing any channel, a spare row, -1 or "none" changes no byte; then
// the form shows its channel again with the user's texts as they were.
void checkStep(CQarloDoc& doc, CQarloView& view, const ChannelMemoryBytes& before,
               int channelBefore, const std::array<bool, CHANNEL_COUNT>& wasLevel, std::uint8_t k) {
    fuzz::requireProgrammedListConsistent(doc); // exactly what a fresh rebuild gives
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch)
        fuzz::require(!wasLevel[ch] || doc.squelch(ch) <= 9, "squelch level left 0..9");
    for (int i = 0; i < CHANNEL_MEMORY_SIZE; ++i) {
        const int row = i / RECORD_SIZE;
        fuzz::require(before[i] == doc.ChannelMemory[i] || row == channelBefore ||
                          row == view.currentChannel || i == MEM_TOT_TENTHS ||
                          (i >= MEM_BAND_LOW && i < MEM_BAND_HIGH + 3),
                      "a byte changed outside the edited channel and the settings");
    }
    fuzz::require(before == doc.ChannelMemory || doc.IsModified(),
                  "a change left the document unmarked");

    const auto edits = editsOf(view);
    double* values[] = {&view.txFreqMHz, &view.totMinutes, &view.rxFreqMHz, &view.bandLowMHz,
                        &view.bandHighMHz};
    QString texts[5];
    double saved[5];
    for (int i = 0; i < 5; ++i)
        std::tie(texts[i], saved[i]) = std::pair(edits[i]->text(), *values[i]);
    const ChannelMemoryBytes shown = doc.ChannelMemory;
    const int channel = k == 0xFE   ? -1
                        : k == 0xFF ? NO_CHANNEL
                        : k < 0xF0  ? k % CHANNEL_COUNT
                                    : CHANNEL_COUNT + k - 0xF0;
    view.ShowChannel(channel);
    view.ShowChannel(view.currentChannel);
    fuzz::require(doc.ChannelMemory == shown, "ShowChannel changed the memory");
    for (int i = 0; i < 5; ++i) {
        edits[i]->setText(texts[i]); // programmatic: no handler runs
        *values[i] = saved[i];
    }
}

} // namespace

// Fontconfig keeps its caches for the life of the process; LeakSanitizer would blame the first
// input that made Qt load a font.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

// Every input builds and destroys a whole form; the default 256 MB quarantine of freed blocks
// would read as a leak of several megabytes an input. 32 MB still catches a use after free.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=32";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_editor";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    return 0;
}

namespace {
// "Enter a number" and the like: never shown, never waited for.
struct NoMessages : MessageSink {
    void ShowMessage(const QString&) override {}
    void ShowMessageWithReason(const QString&, const QString&) override {}
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CQarloDoc doc;
    const std::size_t docBytes = std::min<std::size_t>(size, CHANNEL_MEMORY_SIZE);
    std::memcpy(doc.ChannelMemory.data(), data, docBytes);
    // As a loaded file: the list rebuilt from the memory, no channel chosen yet.
    doc.RebuildProgrammedList();
    doc.selectedChannel = NO_CHANNEL;

    NoMessages messages;
    CQarloView view(doc, messages);
    // Never shown: the handlers and the list geometry work the same, and painting a window for
    // every input would only fill Qt's font caches (and slow each input down several times).
    view.OnInitialUpdate();

    std::array<bool, CHANNEL_COUNT> wasLevel{};
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch)
        wasLevel[ch] = doc.squelch(ch) <= 9;
    fuzz::requireProgrammedListConsistent(doc);

    const auto edits = editsOf(view);
    ListBox* lists[] = {view.bandwidthList,  view.programmedList,  view.channelList,
                        view.rxCodeTypeList, view.rxCodeTableList, view.txCodeTypeList,
                        view.txCodeTableList};

    Program p{data + docBytes, size - docBytes};
    for (int steps = 0; !p.done() && steps < 200; ++steps) {
        const ChannelMemoryBytes before = doc.ChannelMemory;
        const int channelBefore = view.currentChannel;
        const std::uint8_t op = p.next();
        switch (op % 8) {
        case 0:
        case 1:
            typeInto(edits[p.next() % edits.size()], p);
            break;
        case 2:
        case 3:
            clickList(lists[p.next() % std::size(lists)], p);
            break;
        case 4: { // a key in a list, with or without Ctrl
            static constexpr int keys[] = {Qt::Key_Up,   Qt::Key_Down,   Qt::Key_Home,
                                           Qt::Key_End,  Qt::Key_PageUp, Qt::Key_PageDown,
                                           Qt::Key_Space};
            ListBox* list = lists[p.next() % std::size(lists)];
            const std::uint8_t b = p.next();
            list->setFocus(Qt::OtherFocusReason);
            sendKey(list, keys[b % std::size(keys)],
                    (b & 0x80) ? Qt::ControlModifier : Qt::NoModifier);
            break;
        }
        case 5: { // the spin's arrows, often past either end
            const std::uint8_t b = p.next();
            QToolButton* arrow =
                (b & 1) ? view.squelchSpin->upButton() : view.squelchSpin->downButton();
            for (int i = 0; i <= (b >> 1) % 12; ++i)
                arrow->click();
            fuzz::require(doc.squelch(view.currentChannel) <= 9,
                          "a spin step stored a level past 9");
            break;
        }
        case 6: { // the arrow keys in the squelch edit step the spin too
            const std::uint8_t b = p.next();
            view.squelchEdit->setFocus(Qt::OtherFocusReason);
            sendKey(view.squelchEdit, (b & 1) ? Qt::Key_Up : Qt::Key_Down);
            break;
        }
        default:
            ((op >> 3) & 1 ? view.copyRxToTxButton : view.copyTxToRxButton)->click();
            break;
        }
        checkStep(doc, view, before, channelBefore, wasLevel, p.next());
    }
    return 0;
}
