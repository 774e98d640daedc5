#include "Clock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace qarlo {

namespace {

class QtLinkTimer final : public LinkTimer {
public:
    explicit QtLinkTimer(std::function<void()> onTimeout) {
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, std::move(onTimeout));
    }
    void start(int ms) override { timer.start(ms); }
    void stop() override { timer.stop(); }
    bool isActive() const override { return timer.isActive(); }

private:
    QTimer timer;
};

class SystemClock final : public Clock {
public:
    SystemClock() { elapsed.start(); }
    qint64 nowMs() const override { return elapsed.elapsed(); }
    std::unique_ptr<LinkTimer> makeTimer(std::function<void()> onTimeout) override {
        return std::make_unique<QtLinkTimer>(std::move(onTimeout));
    }

private:
    QElapsedTimer elapsed;
};

} // namespace

Clock& Clock::system() {
    static SystemClock clock;
    return clock;
}

} // namespace qarlo
