#pragma once
// A run-time error of the host layer or of a control: a signed 32-bit number, a
// source and a description, as the layout controls raise them to their host.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace host {

// The object-error base that a library's own codes are combined with.
inline constexpr std::int32_t kObjectErrorBase = static_cast<std::int32_t>(0x80040000u);

namespace err {
inline constexpr std::int32_t InvalidCall = 5;             // "Invalid procedure call or argument"
inline constexpr std::int32_t Overflow = 6;                // "Overflow"
inline constexpr std::int32_t ObjectRequired = 424;        // "Object required"
inline constexpr std::int32_t NotSupported = 438;          // "Object doesn't support this …"
inline constexpr std::int32_t InvalidPropertyValue = 380;  // "Invalid property value"
}  // namespace err

class Error : public std::runtime_error {
public:
    // An empty description takes the standard text of the number.
    Error(std::int32_t number, std::string source = {}, std::string description = {});

    [[nodiscard]] std::int32_t number() const noexcept { return number_; }
    [[nodiscard]] const std::string& source() const noexcept { return source_; }
    [[nodiscard]] const std::string& description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// The platform's text for a run-time error number; "Application-defined or
// object-defined error" for numbers it has none for.
[[nodiscard]] std::string standardText(std::int32_t number);

}  // namespace host
