#pragma once
// The window's way of telling the user something: a modal box with only an OK button and the
// application's title.
#include "editor/MessageSink.h"

namespace qarlo {

class MessageBoxSink : public MessageSink {
public:
    void ShowMessage(const QString& text) override;
    void ShowMessageWithReason(const QString& text, const QString& reason) override;
};

} // namespace qarlo
