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

using namespace qarlo;

namespace {

int prompts = 0;      // "enter a number" and any other message: counted, never waited for
bool tracing = false; // QARLO_FUZZ_TRACE=1: one line a step, to read a crash's program

void traceStep(const char* what, const QString& detail = QString()) {
    if (tracing) std::fprintf(stderr, "step: %s %s\n", what, detail.toUtf8().constData());
}

QString describe(const CQarloDoc& doc, const CQarloView& view) {
    QString list;
    for (std::uint8_t e : doc.ProgrammedChannelList) {
        if (e == LIST_END) break;
        list += QString::number(e) + QLatin1Char(' ');
    }
    return QStringLiteral("current=%1 selected=%2 programmedPos=%3 list=[%4] rx=%5 tx=%6")
        .arg(view.currentChannel)
        .arg(doc.selectedChannel)
        .arg(view.programmedPos)
        .arg(list)
        .arg(doc.rxFreq(view.currentChannel))
        .arg(doc.txFreq(view.currentChannel));
}

// Reads the program; past its end every byte is 0.
class Program {
public:
    Program(const std::uint8_t* d, std::size_t n) : data(d), size(n) {}
    bool done() const { return pos >= size; }
    std::uint8_t next() { return pos < size ? data[pos++] : 0; }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
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

void typeInto(QLineEdit* edit, Program& p) {
    edit->setFocus(Qt::OtherFocusReason);
    const std::uint8_t mode = p.next();
    switch (mode % 4) {
    case 0: // replace everything
        sendKey(edit, Qt::Key_A, Qt::ControlModifier);
        break;
    case 1: // append
        sendKey(edit, Qt::Key_End);
        break;
    case 2: // somewhere in the middle
        sendKey(edit, Qt::Key_Home);
        for (int i = 0; i < (mode >> 2) % 8; ++i)
            sendKey(edit, Qt::Key_Right);
        break;
    default: // rub some out first
        sendKey(edit, Qt::Key_End);
        for (int i = 0; i < (mode >> 2) % 12; ++i)
            sendKey(edit, Qt::Key_Backspace);
        break;
    }
    traceStep("type", edit->objectName() +
                          QStringLiteral(" mode %1 into \"%2\"").arg(mode % 4).arg(edit->text()));
    const int length = p.next() % 9;
    for (int i = 0; i < length; ++i) {
        const std::uint8_t b = p.next();
        if (b == 255) {
            sendKey(edit, Qt::Key_Backspace);
            continue;
        }
        const char c = typedChar(b);
        const int key = (c >= 'a' && c <= 'z') ? Qt::Key_A + (c - 'a') : c;
        sendKey(edit, key, Qt::NoModifier, QString(QChar::fromLatin1(c)));
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
    const std::uint8_t how = p.next();
    const std::uint8_t which = p.next();
    const Qt::KeyboardModifiers mods = (how & 0x80) ? Qt::ControlModifier : Qt::NoModifier;
    int row = -1;
    if (list->count() > 0) {
        row = (how & 0x40) && list->GetCurSel() >= 0 ? list->GetCurSel() : which % list->count();
    }
    if (row < 0 || (how & 0x30) == 0x30) {
        traceStep("click below the rows of", list->objectName());
        mouseClick(list->viewport(), QPoint(2, list->viewport()->height() - 2), mods);
        return;
    }
    traceStep("click", list->objectName() + QStringLiteral(" row %1 of %2 (selected %3)%4")
                                                .arg(row)
                                                .arg(list->count())
                                                .arg(list->GetCurSel())
                                                .arg(mods ? QStringLiteral(" ctrl") : QString()));
    list->scrollToItem(list->item(row));
    const QRect rect = list->visualItemRect(list->item(row));
    if (rect.isEmpty()) return;
    mouseClick(list->viewport(), rect.center(), mods);
}

void keyInList(ListBox* list, Program& p) {
    static constexpr int keys[] = {Qt::Key_Up,     Qt::Key_Down,     Qt::Key_Home, Qt::Key_End,
                                   Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Space};
    list->setFocus(Qt::OtherFocusReason);
    const std::uint8_t b = p.next();
    traceStep("key in", list->objectName() + QStringLiteral(" %1").arg(b % std::size(keys)));
    sendKey(list, keys[b % std::size(keys)], (b & 0x80) ? Qt::ControlModifier : Qt::NoModifier);
}

struct Checker {
    CQarloDoc& doc;
    CQarloView& view;
    std::array<bool, CHANNEL_COUNT> squelchWasLevel{};

    void programmedList() const {
        fuzz::requireProgrammedListConsistent(doc);
        CQarloDoc fresh = doc;
        fresh.RebuildProgrammedList();
        fuzz::require(fresh.ProgrammedChannelList == doc.ProgrammedChannelList,
                      "edited programmed list differs from a fresh rebuild");
    }

    void squelch() const {
        for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
            if (squelchWasLevel[static_cast<std::size_t>(ch)])
                fuzz::require(doc.squelch(ch) <= 9, "squelch level left 0..9");
        }
    }

    // Only the records of the channels that were current, and the settings, may change.
    void onlyEditedBytes(const ChannelMemoryBytes& before, int channelBefore) const {
        for (int i = 0; i < CHANNEL_MEMORY_SIZE; ++i) {
            if (before[static_cast<std::size_t>(i)] ==
                doc.ChannelMemory[static_cast<std::size_t>(i)])
                continue;
            const int row = i / RECORD_SIZE;
            fuzz::require(row == channelBefore || row == view.currentChannel ||
                              i == MEM_TOT_TENTHS || (i >= MEM_BAND_LOW && i < MEM_BAND_HIGH + 3),
                          "a byte changed outside the edited channel and the settings");
        }
        if (before != doc.ChannelMemory)
            fuzz::require(doc.IsModified(), "a change left the document unmarked");
    }

    // Showing a channel, any channel, reads the memory only; then the form shows its channel
    // again with the user's texts as they were.
    void showChannel(std::uint8_t k) {
        QLineEdit* edits[] = {view.txFreqEdit, view.totEdit, view.rxFreqEdit, view.bandLowEdit,
                              view.bandHighEdit};
        double* values[] = {&view.txFreqMHz, &view.totMinutes, &view.rxFreqMHz, &view.bandLowMHz,
                            &view.bandHighMHz};
        QString texts[5];
        double saved[5];
        for (int i = 0; i < 5; ++i) {
            texts[i] = edits[i]->text();
            saved[i] = *values[i];
        }
        const ChannelMemoryBytes before = doc.ChannelMemory;
        // Mostly a channel of the list; now and then a spare row, -1 or "none" (255).
        int channel = k < 0xF0 ? k % CHANNEL_COUNT : CHANNEL_COUNT + (k - 0xF0);
        if (k == 0xFE) channel = -1;
        if (k == 0xFF) channel = NO_CHANNEL;
        view.ShowChannel(channel);
        fuzz::require(doc.ChannelMemory == before, "ShowChannel changed the memory");
        view.ShowChannel(view.currentChannel);
        fuzz::require(doc.ChannelMemory == before, "ShowChannel changed the memory");
        for (int i = 0; i < 5; ++i) {
            edits[i]->setText(texts[i]); // programmatic: no handler runs
            *values[i] = saved[i];
        }
    }
};

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
    tracing = !qEnvironmentVariableIsEmpty("QARLO_FUZZ_TRACE");
    return 0;
}

namespace {
// The form's prompts are counted and traced, never shown.
struct PromptCounter : MessageSink {
    void ShowMessage(const QString& text) override {
        ++prompts;
        traceStep("message", text);
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CQarloDoc doc;
    const std::size_t docBytes = std::min<std::size_t>(size, CHANNEL_MEMORY_SIZE);
    std::memcpy(doc.ChannelMemory.data(), data, docBytes);
    // As a loaded file: the list rebuilt from the memory, no channel chosen yet.
    doc.RebuildProgrammedList();
    doc.selectedChannel = NO_CHANNEL;

    PromptCounter messages;
    CQarloView view(doc, messages);
    // Never shown: the handlers and the list geometry work the same, and painting a window for
    // every input would only fill Qt's font caches (and slow each input down several times).
    view.OnInitialUpdate();

    Checker check{doc, view, {}};
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch)
        check.squelchWasLevel[static_cast<std::size_t>(ch)] = doc.squelch(ch) <= 9;
    traceStep("start", describe(doc, view));
    check.programmedList();

    QLineEdit* edits[] = {view.txFreqEdit, view.totEdit, view.rxFreqEdit, view.bandLowEdit,
                          view.bandHighEdit};
    ListBox* lists[] = {view.bandwidthList,  view.programmedList,  view.channelList,
                        view.rxCodeTypeList, view.rxCodeTableList, view.txCodeTypeList,
                        view.txCodeTableList};

    Program p(data + docBytes, size - docBytes);
    for (int steps = 0; !p.done() && steps < 200; ++steps) {
        const ChannelMemoryBytes before = doc.ChannelMemory;
        const int channelBefore = view.currentChannel;
        const std::uint8_t op = p.next();
        switch (op % 8) {
        case 0:
        case 1:
            typeInto(edits[p.next() % std::size(edits)], p);
            break;
        case 2:
        case 3:
            clickList(lists[p.next() % std::size(lists)], p);
            break;
        case 4:
            keyInList(lists[p.next() % std::size(lists)], p);
            break;
        case 5: { // the spin's arrows, often past either end
            const std::uint8_t b = p.next();
            QToolButton* arrow =
                (b & 1) ? view.squelchSpin->upButton() : view.squelchSpin->downButton();
            traceStep("spin",
                      QStringLiteral("%1 x%2").arg(b & 1 ? "up" : "down").arg((b >> 1) % 12 + 1));
            for (int i = 0; i <= (b >> 1) % 12; ++i)
                arrow->click();
            fuzz::require(doc.squelch(view.currentChannel) <= 9,
                          "a spin step stored a level past 9");
            break;
        }
        case 6: { // the arrow keys in the squelch edit step the spin too
            const std::uint8_t b = p.next();
            traceStep("arrow key in the squelch edit", b & 1 ? "up" : "down");
            view.squelchEdit->setFocus(Qt::OtherFocusReason);
            sendKey(view.squelchEdit, (b & 1) ? Qt::Key_Up : Qt::Key_Down);
            break;
        }
        default:
            traceStep((op >> 3) & 1 ? "copy rx to tx" : "copy tx to rx");
            ((op >> 3) & 1 ? view.copyRxToTxButton : view.copyTxToRxButton)->click();
            break;
        }
        if (tracing) {
            traceStep("  now", describe(doc, view) +
                                   QStringLiteral(" rx \"%1\" tx \"%2\"")
                                       .arg(view.rxFreqEdit->text(), view.txFreqEdit->text()));
        }
        check.programmedList();
        check.squelch();
        check.onlyEditedBytes(before, channelBefore);
        check.showChannel(p.next());
    }
    return 0;
}
