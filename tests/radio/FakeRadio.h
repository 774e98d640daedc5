#pragma once
// A radio on a pseudo-terminal, driven by the test's own event loop so every byte and every
// pause is under the test's control. It holds its own end of the line open so the program may
// close and reopen the device between steps, as the real radio's line allows.
#include <QByteArray>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

namespace qarlo::test {

inline QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

class FakeRadio {
public:
    struct Chunk {
        qint64 ms;
        QByteArray data;
    };

    // What the radio does; a test changes these before the transfer.
    QByteArray handshakeReply = bytes({0xFF, 0x11, 0x51, 0x02}); // empty: silent
    QByteArray image;                                            // sent for a read request
    int imageBytes = 256;                                        // how much of it is sent
    int pauseAfter = -1;          // >= 0: pause this long before the rest of the image...
    int pauseMs = 0;              // ...for this many ms
    int hangUpAfterSent = -1;     // >= 0: hang up after sending this many image bytes
    int hangUpAfterReceived = -1; // >= 0: hang up after receiving this many image bytes

    FakeRadio() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
        path = QString::fromLocal8Bit(::ptsname(master));
        slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio{};
        if (slave >= 0 && ::tcgetattr(slave, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(slave, TCSANOW, &tio);
        }
        notifier = std::make_unique<QSocketNotifier>(master, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { onReadable(); });
        clock.start();
    }
    ~FakeRadio() { hangUp(); }
    FakeRadio(const FakeRadio&) = delete;
    FakeRadio& operator=(const FakeRadio&) = delete;

    bool ok() const { return master >= 0 && slave >= 0; }

    // Everything the program sent, in order, and in the pieces it arrived.
    QByteArray received() const {
        QByteArray all;
        for (const auto& c : chunks)
            all += c.data;
        return all;
    }
    // When the first byte at `offset` of received() arrived (ms since the fake was made).
    std::optional<qint64> arrivalOf(int offset) const {
        int at = 0;
        for (const auto& c : chunks) {
            if (offset < at + c.data.size()) return c.ms;
            at += static_cast<int>(c.data.size());
        }
        return std::nullopt;
    }
    // The image the program wrote after a handshake, once 256 bytes came.
    QByteArray writtenImage;

    // The line as the program left it set up, read through the fake's own end.
    std::optional<termios> lineSettings() const {
        termios tio{};
        if (slave < 0 || ::tcgetattr(slave, &tio) != 0) return std::nullopt;
        return tio;
    }

    // The device goes away: both ends closed, the path gone.
    void hangUp() {
        notifier.reset();
        for (QTimer* timer : timerOwner.findChildren<QTimer*>())
            timer->stop();
        if (slave >= 0) ::close(slave);
        if (master >= 0) ::close(master);
        slave = master = -1;
    }

    QString path;

private:
    void onReadable() {
        char buffer[512];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) return;
        const QByteArray data(buffer, static_cast<qsizetype>(n));
        chunks.push_back({clock.elapsed(), data});
        command += data;
        // A new handshake starts over, as after a transfer the program gave up on.
        if (afterHandshake && command.startsWith(bytes({0xFF, 0x11, 0x22, 0x33})))
            afterHandshake = false;
        if (!afterHandshake) {
            const qsizetype at = command.indexOf(bytes({0xFF, 0x11, 0x22, 0x33}));
            if (at < 0) return;
            command.remove(0, at + 4);
            if (handshakeReply.isEmpty()) return;
            send(handshakeReply);
            afterHandshake = true;
        }
        if (command.startsWith(bytes({0xFF, 0x00, 0xFF, 0x00})) && command.size() == 4) {
            command.clear();
            afterHandshake = false;
            sendImage();
            return;
        }
        if (hangUpAfterReceived >= 0 && command.size() >= hangUpAfterReceived) {
            hangUp();
            return;
        }
        if (command.size() >= 256) {
            writtenImage = command.left(256);
            command.clear();
            afterHandshake = false;
        }
    }

    void sendImage() {
        QByteArray out = image.left(imageBytes);
        if (hangUpAfterSent >= 0) {
            send(out.left(hangUpAfterSent));
            later(50, [this] { hangUp(); }); // let the bytes leave before the line drops
            return;
        }
        if (pauseAfter >= 0 && pauseAfter < out.size()) {
            send(out.left(pauseAfter));
            const QByteArray rest = out.mid(pauseAfter);
            later(pauseMs, [this, rest] { send(rest); });
            return;
        }
        send(out);
    }

public:
    // Puts bytes on the line at once, outside any exchange.
    void send(const QByteArray& data) {
        if (master < 0 || data.isEmpty()) return;
        const ssize_t n = ::write(master, data.constData(), static_cast<size_t>(data.size()));
        (void)n; // a pseudo-terminal takes a few hundred bytes at once
    }

private:
    template <typename F> void later(int ms, F f) {
        auto* timer = new QTimer(&timerOwner);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, f);
        timer->start(ms);
    }

    int master = -1;
    int slave = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    QObject timerOwner; // the fake's delayed sends; stopped at a hang-up, freed with the fake
    std::vector<Chunk> chunks;
    QByteArray command;
    bool afterHandshake = false;
    QElapsedTimer clock;
};

} // namespace qarlo::test
