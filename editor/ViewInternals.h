#pragma once
// What the view's files share and nobody else needs: the bandwidth rows, table texts as Qt text,
// and the scope that marks the document modified after an edit.
#include "editor/CQarloView.h"
#include "editor/UiText.h"

#include <QString>

#include <string_view>

namespace qarlo {

inline constexpr int SQUELCH_MIN = 0;
inline constexpr int SQUELCH_MAX = 9;

inline QString TextWide() {
    return QStringLiteral("25KHz");
}
inline QString TextNarrow() {
    return QStringLiteral("12.5KHz");
}

// Marks the document modified, and tells the frame with the state before, when a handler changed
// any byte of it. Changes of one text field (`mergeField`, its control id) make one history step.
class CQarloView::EditScope {
public:
    explicit EditScope(CQarloView& v, int field = NO_MERGE)
        : view(v), before(v.document.state()), mergeField(field) {}
    ~EditScope() {
        if (view.document.ChannelMemory != before.memory) {
            view.document.SetModifiedFlag(true);
            emit view.edited(before, mergeField);
            emit view.documentModified();
        }
    }
    EditScope(const EditScope&) = delete;
    EditScope& operator=(const EditScope&) = delete;

private:
    CQarloView& view;
    const DocumentState before;
    const int mergeField;
};

} // namespace qarlo
