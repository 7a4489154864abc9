#pragma once
// Readings of unchanged fixture files kept between test processes. The
// independent readers (the mdbtools programs, the npm reader) give the same
// text for the same bytes, and the fixtures never change, so what a reader
// printed for a fixture is kept in the build folder under the digest of the
// file's bytes and of the reader, and later test processes take it from
// there. Any file outside the fixtures folder, every file a test writes
// included, is always read afresh. PARABASE_ORACLE_CACHE=off turns it off.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace oraclecache {

// The digest (hex) of a file's bytes when it lies in the fixtures folder
// (JET_FIXTURES), else nullopt.
[[nodiscard]] std::optional<std::string> fixtureDigest(const std::string& path);

// The digest of a file's bytes, or of its absence.
[[nodiscard]] std::string fileDigest(const std::string& path);

// The digest of a program found on PATH: its path, size and modification time.
[[nodiscard]] std::string programDigest(const std::string& program);

// What read() gives, kept under `what` (the reader and how it was asked) and
// the digests of `files` when every one of them is a fixture; otherwise
// read() itself. A reading that throws is not kept.
[[nodiscard]] std::string reading(const std::string& what, const std::vector<std::string>& files,
                                  const std::function<std::string()>& read);

}  // namespace oraclecache
