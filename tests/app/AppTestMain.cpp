// One QApplication, offscreen, with settings and data in a private folder so a run never reads or
// changes the user's recent files or backups.
#include <QApplication>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid()) return 2;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       home.filePath(QStringLiteral("settings")));
    QApplication app(argc, argv);

    // A modal window nobody answers would hang the run: one still up at two looks in a row fails
    // the test that opened it and is closed.
    QPointer<QWidget> lastSeen;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&lastSeen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal == lastSeen) {
            ADD_FAILURE() << "a modal window was left open: " << modal->windowTitle().toStdString();
            modal->close();
            modal = nullptr;
        }
        lastSeen = modal;
    });
    watchdog.start(1000);
    return RUN_ALL_TESTS();
}
