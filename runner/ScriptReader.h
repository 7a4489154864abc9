#pragma once
// Reading a script file into lines. The file is taken as UTF-8 and, when it is
// not valid UTF-8, as Windows-1252 (files made on Windows); a UTF-8 byte order
// mark at the start is dropped. CR LF, LF and CR each end a line; the
// terminator is not part of the line, and a terminator at the very end of the
// file does not start another (empty) line.
#include <string>
#include <string_view>
#include <vector>

namespace runner {

// The bytes of a script as UTF-8 text.
[[nodiscard]] std::string decodeScript(std::string_view bytes);

[[nodiscard]] std::vector<std::string> splitLines(std::string_view text);

// The lines of the file at `path`. Throws RunnerError when no path is named or
// the file cannot be opened or read; nothing is kept open afterwards.
[[nodiscard]] std::vector<std::string> readScriptLines(const std::string& path);

}  // namespace runner
