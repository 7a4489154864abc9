#pragma once
// The runner's own failures (a script file that cannot be read, a block field
// that is not a whole number). Failures of the database itself stay jet::Error.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace runner {

// The number OnError carries for statement text that no RUN line follows (a
// fault of the script file, not of the database): a code of the interface
// range that components use for their own errors.
inline constexpr int32_t kErrTextAfterLastRun = static_cast<int32_t>(0x80040201);

class RunnerError : public std::runtime_error {
public:
    explicit RunnerError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace runner
