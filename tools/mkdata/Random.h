#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

// A small generator with a fixed, documented algorithm (splitmix64), so that one seed gives the
// same archive with every compiler and library version. Only integer arithmetic is used.
class SplitMix64 {
public:
    explicit SplitMix64(uint64_t state) : m_state(state) {}

    uint64_t next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n); n must be positive.
    uint64_t below(uint64_t n) { return next() % n; }

    // Uniform in [lo, hi], both inclusive.
    int range(int lo, int hi) { return lo + int(below(uint64_t(hi - lo + 1))); }

    bool chance(int percent) { return below(100) < uint64_t(percent); }

    template <class Items> const auto& pick(const Items& items) {
        return items[below(items.size())];
    }

    // Index into `weights`, each entry drawn in proportion to its weight.
    int weighted(std::span<const int> weights) {
        int total = 0;
        for (int w : weights)
            total += w;
        int r = int(below(uint64_t(total)));
        for (int i = 0; i < int(weights.size()); ++i) {
            if (r < weights[i])
                return i;
            r -= weights[i];
        }
        return int(weights.size()) - 1;
    }

private:
    uint64_t m_state;
};

// Folds several keys into one starting state, so that each issue, game or table draws from a
// stream of its own and can be recomputed on demand without walking the others.
inline uint64_t mixKeys(std::initializer_list<uint64_t> keys) {
    uint64_t h = 0x6A09E667F3BCC908ULL;
    for (uint64_t k : keys) {
        SplitMix64 step(h ^ k);
        h = step.next();
    }
    return h;
}
