#pragma once
// The edit history of the one document: each step holds the document's state before and after a
// change already made (an edit in the form, a paste, a clear, a CSV import, a read from the
// radio), and undo or redo puts one of them back. The saved state is the clean one: the
// document's modified mark follows the history.
#include "memory/CQarloDoc.h"

#include <QObject>
#include <QUndoStack>

namespace qarlo {

class DocumentHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int DEPTH = 500;

    explicit DocumentHistory(CQarloDoc& doc, QObject* parent = nullptr);

    // A change the document already holds; `before` is its state before the change, `channel`
    // the one the form showed. Consecutive changes with the same `mergeField` (>= 0) on the same
    // channel make one step until seal() is called.
    void record(const DocumentState& before, int channel, int mergeField = -1);
    // The next change starts a step of its own (the focus left the field typed into).
    void seal() { ++serial; }
    // A new or another document: nothing to undo, and it is the saved state.
    void clear();
    void markSaved();

    bool canUndo() const { return steps.canUndo(); }
    bool canRedo() const { return steps.canRedo(); }
    int count() const { return steps.count(); }
    void undo();
    void redo();

signals:
    // Undo or redo put a state into the document; `channel` is where the step was made.
    void restored(int channel);
    // The document holds another state: a change recorded, undone or redone, or a new document.
    void changed();
    void canUndoChanged(bool can);
    void canRedoChanged(bool can);

private:
    class Step;
    void moved(int channel);

    CQarloDoc& document;
    QUndoStack steps;
    int serial = 0;
    int lastChannel = -1; // the channel of the step undo or redo just went through
};

} // namespace qarlo
