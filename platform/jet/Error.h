#pragma once
// Every failure of the data-access layer is a jet::Error: a signed 32-bit number,
// a description and a source, like an OLE DB / ADO error.
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "jet/ErrorCodes.h"

namespace jet {

inline constexpr std::string_view kDefaultErrorSource = "Microsoft JET Database Engine";

class Error : public std::runtime_error {
public:
    Error(int32_t number, std::string description,
          std::string source = std::string(kDefaultErrorSource));

    [[nodiscard]] int32_t number() const noexcept { return number_; }
    [[nodiscard]] const std::string& description() const noexcept { return description_; }
    [[nodiscard]] const std::string& source() const noexcept { return source_; }

    // A refusal of the database itself (a file that cannot be changed at all
    // in this session), as against a failure of the one statement or call:
    // every later change would meet it too, so a caller running a script
    // stops at the first one instead of trying each statement.
    [[nodiscard]] bool refusesDatabase() const noexcept { return refusesDatabase_; }
    void markRefusesDatabase() noexcept { refusesDatabase_ = true; }

private:
    int32_t number_;
    std::string description_;
    std::string source_;
    bool refusesDatabase_ = false;
};

// The error of a table row, its text's %1 … %9 replaced by `args` in order.
[[nodiscard]] Error makeError(Err id, std::initializer_list<std::string_view> args = {});
[[noreturn]] void raise(Err id, std::initializer_list<std::string_view> args = {});

}  // namespace jet
