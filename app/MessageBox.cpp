#include "MessageBox.h"

#include "app/Resources.h"

#include <QApplication>
#include <QMessageBox>

namespace qarlo {

void MessageBoxSink::ShowMessage(const QString& text) {
    ShowMessageWithReason(text, QString());
}

void MessageBoxSink::ShowMessageWithReason(const QString& text, const QString& reason) {
    QMessageBox box(QMessageBox::Warning, AppName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setInformativeText(reason);
    box.exec();
}

} // namespace qarlo
