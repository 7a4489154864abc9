#pragma once
// The runner window's fields turned into the Jet connection string it opens.
#include <string>

namespace runner {

// The texts of the window's fields as typed (UTF-8).
struct RunnerSettings {
    std::string database;
    std::string workgroup;
    std::string userName;
    std::string password;
};

// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<database>;Persist Security Info=True",
// then ";Jet OLEDB:System database=<workgroup>" when one is named, then
// ";User ID=<user>;Password=<password>" when a user is named, else
// ";Jet OLEDB:Database Password=<password>" when a password is given. Every field
// is taken with spaces removed at both ends (passwords too); a value is quoted
// only when it holds ";", "=", a double quote or a tab at either end.
[[nodiscard]] std::string BuildConnectionString(const RunnerSettings& settings);

}  // namespace runner
