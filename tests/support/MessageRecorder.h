#pragma once
// A message sink for widget tests: every message the window or the form would show is kept in
// order, and `onMessage` (when set) runs while it is "up", as a modal box would be.
#include "editor/MessageSink.h"

#include <QString>

#include <functional>
#include <vector>

namespace qarlo::test {

struct MessageRecorder : MessageSink {
    void ShowMessage(const QString& text) override {
        if (onMessage) onMessage(text);
        messages.push_back(text);
    }
    void ShowMessageWithReason(const QString& text, const QString& reason) override {
        reasons.push_back(reason);
        ShowMessage(text);
    }
    std::vector<QString> messages;
    std::vector<QString> reasons; // of the messages that came with one
    std::function<void(const QString&)> onMessage;
};

} // namespace qarlo::test
