// A Jet file of any bytes, opened and read whole the way the reader process
// reads it; the reply must always encode and decode again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "jet/mdb/FileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (auto mode : {jet::mdb::ReadMode::Database, jet::mdb::ReadMode::Workgroup}) {
        const auto reply = jet::mdb::readJetBuffer(bytes, mode);
        const auto encoded = jet::mdb::encodeReply(reply);
        if (!jet::mdb::decodeReply(encoded)) std::abort();
    }
    return 0;
}
