#pragma once
// The runner's own failures (a script file that cannot be read, a block field
// that is not a whole number). Failures of the database itself stay jet::Error.
#include <stdexcept>
#include <string>

namespace runner {

class RunnerError : public std::runtime_error {
public:
    explicit RunnerError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace runner
