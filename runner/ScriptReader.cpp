#include "runner/ScriptReader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "runner/RunnerError.h"
#include "text/TextDecoding.h"

namespace runner {

std::vector<std::string> readScriptLines(const std::string& path) {
    if (path.empty()) throw RunnerError("No script file was named.");
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (std::filesystem::is_directory(status))
        throw RunnerError("Cannot open the script file '" + path + "': it is a folder.");
    // A FIFO would wait for a writer and a device may never end.
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw RunnerError("Cannot open the script file '" + path + "': it is not a file.");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw RunnerError("Cannot open the script file '" + path + "': " + std::strerror(errno) +
                          ".");
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw RunnerError("Cannot read the script file '" + path + "'.");
    try {
        return text::splitLines(text::decodeText(bytes));
    } catch (const text::DecodeError& e) {
        throw RunnerError("Cannot read the script file '" + path + "': " + e.what());
    }
}

}  // namespace runner
