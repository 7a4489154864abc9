// Any bytes opened as a Jet file and decoded through the page codec as far as
// it reaches: catalog, definitions, usage maps, rows, long values, property
// blobs. Damage may only ever end in FormatError.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CodecWalk.h"
#include "jet/file/FormatError.h"
#include "jet/file/PageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The codec reads files: the bytes become one in memory.
    const int fd = ::memfd_create("fuzz.mdb", MFD_CLOEXEC);
    if (fd < 0) std::abort();
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += static_cast<size_t>(n);
    }
    try {
        jet::file::PageFile file("/proc/self/fd/" + std::to_string(fd), 16);
        (void)codecwalk::walk(file, false);
    } catch (const jet::file::FormatError&) {
        // A file the codec refuses: the expected outcome for most inputs.
    }
    ::close(fd);
    return 0;
}
