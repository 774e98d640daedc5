#pragma once
// Where the window tells the user something: a modal box with an OK button in the program, a
// recorder in tests. Whoever shows messages is handed one when it is made.
class QString;

namespace qarlo {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const QString& text) = 0;
    // The message exactly as ShowMessage() shows it, with the reason behind it below.
    virtual void ShowMessageWithReason(const QString& text, const QString& reason) = 0;
};

} // namespace qarlo
