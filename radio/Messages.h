#pragma once
// The one function through which the program tells the user something: a modal box with an OK
// button in the window, a line on the terminal in qarlo-cli, a recorder in tests.
#include <QString>

#include <functional>

namespace qarlo {

using MessageHandler = std::function<void(const QString&)>;

void ShowMessage(const QString& text);

// Installs `handler` and returns the one it replaces.
MessageHandler SetMessageHandler(MessageHandler handler);

} // namespace qarlo
