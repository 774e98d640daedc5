#pragma once
// The window's way of telling the user something: a modal box with only an OK button and the
// application's title.
class QString;

namespace qarlo {

void ShowMessageBox(const QString& text);
// Routes ShowMessage to ShowMessageBox.
void InstallMessageBoxHandler();

} // namespace qarlo
