#include "MessageBox.h"

#include "app/Resources.h"
#include "radio/Messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace qarlo {

void ShowMessageBox(const QString& text) {
    QMessageBox box(QMessageBox::Warning, AppName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

void InstallMessageBoxHandler() {
    SetMessageHandler(&ShowMessageBox);
}

} // namespace qarlo
