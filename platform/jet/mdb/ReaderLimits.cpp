#include "jet/mdb/ReaderLimits.h"

#include <sys/resource.h>

namespace jet::mdb {

namespace {
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif
}  // namespace

void limitReaderProcess() noexcept {
    rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
    // AddressSanitizer reserves terabytes of address space up front.
    if (!kAddressSanitizer) {
        const rlim_t fourGiB = rlim_t{4} << 30;
        rlimit mem{fourGiB, fourGiB};
        setrlimit(RLIMIT_AS, &mem);
    }
}

}  // namespace jet::mdb
