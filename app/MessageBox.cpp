#include "MessageBox.h"

#include "app/Resources.h"
#include "radio/Messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

namespace qarlo {

void ShowMessageBox(const QString& text) {
    QMessageBox box(QMessageBox::Warning, AppName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    // For runs without anyone at the screen (tests of the built program): the box still comes
    // up, its text goes to stderr, and it is answered with OK at once.
    if (!qEnvironmentVariableIsEmpty("QARLO_ACCEPT_MESSAGES")) {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        std::fflush(stderr);
        QTimer::singleShot(0, &box, &QMessageBox::accept);
    }
    box.exec();
}

void InstallMessageBoxHandler() {
    SetMessageHandler(&ShowMessageBox);
}

} // namespace qarlo
