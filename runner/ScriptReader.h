#pragma once
// Reading a script file into lines, decoded and split as every program reads
// text files (text/TextDecoding.h).
#include <string>
#include <vector>

namespace runner {

// The lines of the file at `path`. Throws RunnerError when no path is named or
// the file cannot be opened, read or decoded; nothing is kept open afterwards.
[[nodiscard]] std::vector<std::string> readScriptLines(const std::string& path);

}  // namespace runner
