// Holds a serial device open the way another program would (exclusive open, lock file) until
// its standard input closes; prints "held" once the device is held.
#include <QCoreApplication>
#include <QFileInfo>
#include <QSerialPort>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qarlo-port-holder DEVICE\n");
        return 2;
    }
    // By its node, as Qarlo opens a device: Qt names its lock after the path it opens, and as root
    // that lock is all that keeps a second opener of a pseudo-terminal out.
    const QString device = QFileInfo(QString::fromLocal8Bit(argv[1])).canonicalFilePath();
    QSerialPort port(device.isEmpty() ? QString::fromLocal8Bit(argv[1]) : device);
    if (!port.open(QIODevice::ReadWrite)) {
        std::fprintf(stderr, "qarlo-port-holder: %s: %s\n", argv[1],
                     port.errorString().toLocal8Bit().constData());
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    char buffer[64];
    while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
    }
    return 0;
}
