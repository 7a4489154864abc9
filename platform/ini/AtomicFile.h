#pragma once
// Writing a whole file so that readers see either the old file or the new one,
// never a part: the bytes go to a temporary file beside the target, which is
// flushed to disk and then renamed over it.
#include <string>
#include <string_view>

namespace ini {

// Replaces (or creates) the file at `path` with `bytes`. An existing file keeps
// its permissions; a symbolic link is followed and its target replaced. False,
// with nothing changed and no temporary file left, when the file is read-only
// (no write permission bits, or not writable for this user), is not a regular
// file, its folder is missing, or any step of writing fails.
[[nodiscard]] bool writeFileAtomically(const std::string& path, std::string_view bytes);

// Whether the file at `path` is there and may be written as above: a regular
// file (a symbolic link followed) with write permission for this user.
[[nodiscard]] bool isWritableFile(const std::string& path);

}  // namespace ini
