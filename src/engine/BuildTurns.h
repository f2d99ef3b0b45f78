#pragma once

#include <atomic>
#include <cstdint>

// Builds on threads of their own (title indexes, sort orders) run one at a time, in the order
// they were asked for, so that one core stays free for the windows and what is wanted first is
// ready first. A build given up while it waits gives its turn away at once.
namespace BuildTurns {

// A place in the line, taken when a build is asked for.
uint64_t take();

// Holds the turn from when its build may run until it ends.
class Turn {
public:
    // Waits until `turn` has come; held() is false when `cancelled` was set first.
    Turn(uint64_t turn, const std::atomic<bool>& cancelled);
    ~Turn();
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;
    bool held() const { return m_held; }

private:
    bool m_held = false;
};

} // namespace BuildTurns
