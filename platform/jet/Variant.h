#pragma once
// The value of a column property: empty, Boolean, 32-bit integer or text, with the
// coercions ADO applies when a caller stores it into a typed field.
#include <cstdint>
#include <string>
#include <variant>

namespace jet {

using Variant = std::variant<std::monostate, bool, int32_t, std::string>;

[[nodiscard]] inline bool isEmpty(const Variant& v) {
    return std::holds_alternative<std::monostate>(v);
}

// Empty gives false / 0 / "". Text converts when it reads "True"/"False" (any case)
// or a decimal integer (non-zero is true). Anything else throws jet::Error
// (Err::TypeMismatch). Booleans as numbers are -1 and 0; as text "True"/"False".
[[nodiscard]] bool toBool(const Variant& v);
[[nodiscard]] int32_t toInt32(const Variant& v);
[[nodiscard]] std::string toText(const Variant& v);

// Equality as the comparison engine applies it: numbers and Booleans by value,
// texts without regard to letter case; values of different kinds are compared
// after converting both to text.
[[nodiscard]] bool sameValue(const Variant& a, const Variant& b);

}  // namespace jet
