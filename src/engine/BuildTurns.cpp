#include "BuildTurns.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

namespace BuildTurns {

namespace {

struct Line {
    std::mutex lock;
    std::condition_variable changed;
    uint64_t next = 0, serving = 0;
    std::set<uint64_t> abandoned;
    void advance() {
        ++serving;
        while (abandoned.erase(serving))
            ++serving;
        changed.notify_all();
    }
};

Line& line() {
    static Line l;
    return l;
}

} // namespace

uint64_t take() {
    std::lock_guard<std::mutex> held(line().lock);
    return line().next++;
}

Turn::Turn(uint64_t turn, const std::atomic<bool>& cancelled) {
    Line& l = line();
    std::unique_lock<std::mutex> held(l.lock);
    while (l.serving != turn) {
        if (cancelled) {
            l.abandoned.insert(turn);
            return;
        }
        l.changed.wait_for(held, std::chrono::milliseconds(20));
    }
    if (cancelled) {
        l.advance();
        return;
    }
    m_held = true;
}

Turn::~Turn() {
    if (!m_held)
        return;
    std::lock_guard<std::mutex> held(line().lock);
    line().advance();
}

} // namespace BuildTurns
