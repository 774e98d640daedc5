#pragma once
// A clock that stands still until the test moves it: every timer of the link and its port, and
// every byte of a scripted radio, runs out at its exact millisecond, in order, at once.
#include "radio/Clock.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace qarlo::test {

class FakeClock final : public Clock {
public:
    qint64 nowMs() const override { return now; }

    std::unique_ptr<LinkTimer> makeTimer(std::function<void()> onTimeout) override {
        auto entry = std::make_shared<Entry>();
        entry->fire = std::move(onTimeout);
        entries.push_back(entry);
        return std::make_unique<Timer>(*this, std::move(entry));
    }

    // Calls `what` once, `ms` from now.
    void after(qint64 ms, std::function<void()> what) {
        auto entry = std::make_shared<Entry>();
        entry->fire = std::move(what);
        entry->oneOff = true;
        arm(*entry, ms);
        entries.push_back(std::move(entry));
    }

    // Runs what falls due in the next `ms`, in time order (ties in the order armed).
    void advance(qint64 ms) {
        const qint64 until = now + ms;
        while (Entry* next = nextDue(until))
            fire(*next);
        now = until;
    }

    // Runs what falls due until `pred` holds or `ms` have passed; whether it holds.
    template <typename Pred> bool runUntil(Pred pred, qint64 ms = 60'000) {
        const qint64 until = now + ms;
        while (!pred()) {
            Entry* next = nextDue(until);
            if (next == nullptr) {
                now = until;
                return pred();
            }
            fire(*next);
        }
        return true;
    }

private:
    struct Entry {
        qint64 due = 0;
        std::uint64_t order = 0;
        bool active = false, oneOff = false, dead = false;
        std::function<void()> fire;
    };
    class Timer final : public LinkTimer {
    public:
        Timer(FakeClock& owner, std::shared_ptr<Entry> e) : clock(owner), entry(std::move(e)) {}
        ~Timer() override { entry->dead = true; }
        void start(int ms) override { clock.arm(*entry, ms); }
        void stop() override { entry->active = false; }
        bool isActive() const override { return entry->active; }

    private:
        FakeClock& clock;
        std::shared_ptr<Entry> entry;
    };

    void arm(Entry& entry, qint64 ms) {
        entry.due = now + std::max<qint64>(ms, 0);
        entry.order = ++armed;
        entry.active = true;
    }
    Entry* nextDue(qint64 until) {
        std::erase_if(entries, [](const auto& e) { return e->dead || (e->oneOff && !e->active); });
        Entry* next = nullptr;
        for (const auto& e : entries)
            if (e->active && e->due <= until &&
                (next == nullptr ||
                 std::pair(e->due, e->order) < std::pair(next->due, next->order)))
                next = e.get();
        return next;
    }
    void fire(Entry& entry) {
        now = std::max(now, entry.due);
        entry.active = false;
        const auto keep = entry.fire; // the call may end the timer that holds it
        keep();
    }

    qint64 now = 0;
    std::uint64_t armed = 0;
    std::vector<std::shared_ptr<Entry>> entries;
};

} // namespace qarlo::test
