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

#include <algorithm>
#include <cstdlib>
#include <deque>
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
    // What the radio does; a test changes these before the transfer.
    QByteArray handshakeReply = bytes({0xFF, 0x11, 0x51, 0x02}); // empty: silent
    QByteArray image;                                            // sent for a read request
    int imageBytes = 256;                                        // how much of it is sent
    int hangUpAfterSent = -1;     // >= 0: hang up after sending this many image bytes
    int hangUpAfterReceived = -1; // >= 0: hang up after receiving this many image bytes
    QString path;
    bool paced = false; // at 2400 baud, about 4.2 ms a byte, as a real radio sends
    int pieceBytes = 0; // > 0: the image in pieces of this many bytes, 80 ms apart

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
        pacer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&pacer, &QTimer::timeout, [this] { sendDue(); });
    }
    ~FakeRadio() { hangUp(); }
    FakeRadio(const FakeRadio&) = delete;
    bool ok() const { return master >= 0 && slave >= 0; }

    // Everything the program sent, in order.
    QByteArray received() const {
        QByteArray all;
        for (const auto& c : chunks)
            all += c.data;
        return all;
    }
    // When the byte at `offset` of received() arrived (ms since the fake was made).
    std::optional<qint64> arrivalOf(int offset) const {
        for (const auto& c : chunks) {
            if (offset < c.data.size()) return c.ms;
            offset -= static_cast<int>(c.data.size());
        }
        return std::nullopt;
    }
    // The line as the program has set it up, read through the fake's own end.
    std::optional<termios> lineSettings() const {
        termios tio{};
        if (slave < 0 || ::tcgetattr(slave, &tio) != 0) return std::nullopt;
        return tio;
    }

    // Puts bytes on the line at once, outside any exchange.
    void send(const QByteArray& data) {
        if (master >= 0 && !data.isEmpty())
            (void)!::write(master, data.constData(), static_cast<size_t>(data.size()));
    }

    // The device goes away: both ends closed, the path gone.
    void hangUp() {
        pacer.stop();
        notifier.reset();
        if (slave >= 0) ::close(slave);
        if (master >= 0) ::close(master);
        slave = master = -1;
    }

private:
    // Queues bytes to start now, or after what is queued already, paced when `paced`, a pause
    // of 80 ms after every `piece` bytes when piece > 0.
    void sendLater(const QByteArray& data, int piece = 0) {
        const qint64 byteNs = paced ? 1'000'000'000LL * 10 / 2400 : 0;
        qint64 due = std::max(clock.nsecsElapsed(), nextDueNs);
        for (qsizetype i = 0; i < data.size(); ++i) {
            if (piece > 0 && i > 0 && i % piece == 0) due += 80'000'000;
            outgoing.push_back({due, data[i]});
            due += byteNs;
        }
        nextDueNs = due;
        pacer.start(1);
    }

    void onReadable() {
        char buffer[512];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) return;
        const QByteArray data(buffer, static_cast<qsizetype>(n));
        chunks.push_back({clock.elapsed(), data});
        command += data;
        const QByteArray handshake = bytes({0xFF, 0x11, 0x22, 0x33});
        // A new handshake starts over, as after a transfer the program gave up on.
        if (!afterHandshake || command.startsWith(handshake)) {
            const qsizetype at = command.indexOf(handshake);
            if (at < 0) return;
            command.remove(0, at + 4);
            afterHandshake = !handshakeReply.isEmpty();
            if (!afterHandshake) return;
            sendLater(handshakeReply);
        }
        if (command == bytes({0xFF, 0x00, 0xFF, 0x00})) {
            command.clear();
            afterHandshake = false;
            if (hangUpAfterSent < 0)
                return sendLater(image.left(imageBytes), pieceBytes);
            send(image.left(std::min(imageBytes, hangUpAfterSent)));
            // Let the bytes leave before the line drops; not at all once the fake is gone.
            QTimer::singleShot(50, &timerOwner, [this] { hangUp(); });
        } else if (hangUpAfterReceived >= 0 && command.size() >= hangUpAfterReceived) {
            hangUp();
        } else if (command.size() >= 256) { // the image written; listening again
            command.clear();
            afterHandshake = false;
        }
    }

    void sendDue() {
        QByteArray due;
        for (; !outgoing.empty() && outgoing.front().first <= clock.nsecsElapsed();
             outgoing.pop_front())
            due.append(outgoing.front().second);
        send(due);
        if (outgoing.empty()) pacer.stop();
    }

    struct Chunk {
        qint64 ms;
        QByteArray data;
    };
    QTimer pacer;
    std::deque<std::pair<qint64, char>> outgoing; // (due in ns on `clock`, byte)
    qint64 nextDueNs = 0;
    int master = -1;
    int slave = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    QObject timerOwner;
    std::vector<Chunk> chunks;
    QByteArray command;
    bool afterHandshake = false;
    QElapsedTimer clock;
};

} // namespace qarlo::test
