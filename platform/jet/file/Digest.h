#pragma once
// Two 64-bit hashes of a run of words, with different seeds: what the checks
// of a written file compare instead of keeping whole rows or index entries,
// so that they take constant memory. Different inputs give the same pair by a
// chance too small to matter.
#include <cstdint>
#include <utility>

namespace jet::file {

class Digest {
public:
    Digest(uint64_t a = 0x9E3779B97F4A7C15ull, uint64_t b = 0xC2B2AE3D27D4EB4Full) : a_(a), b_(b) {}

    void word(uint64_t w) {
        a_ = mix(a_ ^ w);
        b_ = mix(b_ + w * 0x9E3779B97F4A7C15ull);
    }
    [[nodiscard]] std::pair<uint64_t, uint64_t> value() const { return {a_, b_}; }

private:
    // The finaliser of splitmix64: every input bit reaches every output bit.
    static uint64_t mix(uint64_t x) {
        x ^= x >> 30;
        x *= 0xBF58476D1CE4E5B9ull;
        x ^= x >> 27;
        x *= 0x94D049BB133111EBull;
        return x ^ (x >> 31);
    }

    uint64_t a_, b_;
};

}  // namespace jet::file
