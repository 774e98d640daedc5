#include "MessageBox.h"
#include "editor/UiText.h"

#include "app/Resources.h"

#include <QApplication>
#include <QMessageBox>

namespace qarlo {

void MessageBoxSink::ShowMessage(const QString& text) {
    ShowMessageWithReason(text, QString());
}

void MessageBoxSink::ShowMessageWithReason(const QString& text, const QString& reason) {
    QMessageBox box(QMessageBox::Warning, AppName(), UiText(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setInformativeText(UiText(reason));
    box.exec();
}

} // namespace qarlo
