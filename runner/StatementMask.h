#pragma once
// What the statement box may show of a statement: the values of its PASSWORD
// clause (ALTER USER … PASSWORD new [old], ALTER DATABASE PASSWORD new [old])
// and the passwords of CREATE USER, each replaced by "*****". Everything else
// stays as written, line breaks included.
#include <string>
#include <string_view>

namespace runner {

inline constexpr std::string_view kMaskedValue = "*****";

[[nodiscard]] std::string maskPasswords(std::string_view statement);

}  // namespace runner
