// Bytes as the provider receives them from the reader process, and as the
// first page of a file: neither may read out of bounds, loop, or accept a
// reply that does not encode back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "jet/format/JetHeader.h"
#include "jet/mdb/Snapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (const auto reply = jet::mdb::decodeReply(bytes)) {
        if (jet::mdb::encodeReply(*reply) != bytes) std::abort();
    }
    (void)jet::format::parseHeader(bytes);
    return 0;
}
