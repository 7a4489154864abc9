#pragma once
// The heap bytes a benchmark's program has in use, and their peak: the global
// operator new and delete are replaced so that every allocation is counted by
// the size malloc gave it. Include this header in exactly one source file of
// a benchmark program (it defines the replacements).
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace bench {

inline std::atomic<long long> gInUse{0};
// The most in use since a caller last stored the bytes in use here.
inline std::atomic<long long> gPeak{0};

inline void noteAllocated(long long n) {
    const long long now = gInUse.fetch_add(n) + n;
    long long peak = gPeak.load();
    while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
    }
}

}  // namespace bench

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
    void* p = std::malloc(n == 0 ? 1 : n);
    if (!p) throw std::bad_alloc();
    bench::noteAllocated(static_cast<long long>(malloc_usable_size(p)));
    return p;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    bench::gInUse.fetch_sub(static_cast<long long>(malloc_usable_size(p)));
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
#pragma GCC diagnostic pop
