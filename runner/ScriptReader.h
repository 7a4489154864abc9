#pragma once
// Reading a script file into lines. A file that starts with a UTF-16 byte order
// mark (either byte order) is UTF-16; any other is taken as UTF-8 and, when it
// is not valid UTF-8, as Windows-1252 (files made on Windows). Byte order marks
// are dropped. CR LF, LF and CR each end a line; the
// terminator is not part of the line, and a terminator at the very end of the
// file does not start another (empty) line.
#include <string>
#include <string_view>
#include <vector>

namespace runner {

// The bytes of a script as UTF-8 text. Throws RunnerError for UTF-16 text that
// is cut in the middle of a character or holds a lone surrogate.
[[nodiscard]] std::string decodeScript(std::string_view bytes);

[[nodiscard]] std::vector<std::string> splitLines(std::string_view text);

// The lines of the file at `path`. Throws RunnerError when no path is named or
// the file cannot be opened or read; nothing is kept open afterwards.
[[nodiscard]] std::vector<std::string> readScriptLines(const std::string& path);

}  // namespace runner
