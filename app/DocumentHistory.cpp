#include "DocumentHistory.h"

namespace qarlo {

class DocumentHistory::Step : public QUndoCommand {
public:
    Step(DocumentHistory& h, const DocumentState& was, int where, int mergeField)
        : history(h), before(was), after(h.document.state()), channel(where), field(mergeField),
          serial(h.serial) {}

    int id() const override { return field; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const Step*>(other);
        if (next->serial != serial || next->channel != channel) return false;
        after = next->after;
        // Typed and typed back: the step changes nothing and leaves the history.
        setObsolete(after == before);
        return true;
    }
    void undo() override { put(before); }
    void redo() override {
        // Pushed: the document already holds the change.
        if (fresh) {
            fresh = false;
            return;
        }
        put(after);
    }

private:
    void put(const DocumentState& state) {
        history.document.restore(state);
        history.lastChannel = channel;
    }

    DocumentHistory& history;
    const DocumentState before;
    DocumentState after;
    const int channel;
    const int field;
    const int serial;
    bool fresh = true;
};

DocumentHistory::DocumentHistory(CQarloDoc& doc, QObject* parent)
    : QObject(parent), document(doc) {
    steps.setUndoLimit(DEPTH);
    connect(&steps, &QUndoStack::canUndoChanged, this, &DocumentHistory::canUndoChanged);
    connect(&steps, &QUndoStack::canRedoChanged, this, &DocumentHistory::canRedoChanged);
}

void DocumentHistory::record(const DocumentState& before, int channel, int mergeField) {
    steps.push(new Step(*this, before, channel, mergeField < 0 ? -1 : mergeField));
    emit changed();
}

void DocumentHistory::clear() {
    steps.clear();
    seal();
    emit changed();
}

void DocumentHistory::markSaved() {
    steps.setClean();
    seal();
}

void DocumentHistory::undo() {
    if (!steps.canUndo()) return;
    steps.undo();
    moved(lastChannel);
}

void DocumentHistory::redo() {
    if (!steps.canRedo()) return;
    steps.redo();
    moved(lastChannel);
}

void DocumentHistory::moved(int channel) {
    seal();
    document.SetModifiedFlag(!steps.isClean());
    emit restored(channel);
    emit changed();
}

} // namespace qarlo
