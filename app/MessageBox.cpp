#include "MessageBox.h"

#include "app/Resources.h"

#include <QApplication>
#include <QMessageBox>

namespace qarlo {

void MessageBoxSink::ShowMessage(const QString& text) {
    QMessageBox box(QMessageBox::Warning, AppName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace qarlo
