#pragma once
// Reads the whole of one Jet file through libmdb, in the calling process. The
// provider runs it only inside the reader process (libmdb can crash or loop on
// damaged files); the fuzz target calls it directly. Never throws: every
// failure comes back as the reply's status.
#include <string>
#include <string_view>

#include "jet/mdb/Snapshot.h"

namespace jet::mdb {

[[nodiscard]] ReadReply readJetFile(const std::string& path, ReadMode mode) noexcept;
[[nodiscard]] ReadReply readJetBuffer(std::string_view bytes, ReadMode mode) noexcept;

}  // namespace jet::mdb
