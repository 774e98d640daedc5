// One QApplication, offscreen, with settings and data in a private folder so a run never reads or
// changes the user's recent files or backups.
#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir home;
    if (!home.isValid()) return 2;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    QStandardPaths::setTestModeEnabled(true);
    qputenv("LANGUAGE", "zh_CN"); // the window in Chinese whatever the locale of the run
    // Offscreen, a laptop's 1366 x 768 screen at 96 dpi, the smallest the whole window must fit,
    // and beside it one of 800 x 600 that it cannot fit.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        QFile screen(home.filePath(QStringLiteral("screen.json")));
        if (!screen.open(QIODevice::WriteOnly)) return 2;
        screen.write(R"({"screens": [
            {"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768,
             "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
            {"name": "small", "x": 1366, "y": 0, "width": 800, "height": 600,
             "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        screen.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen.fileName()));
    }
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
