#pragma once
// The Databases page's eight fields and the Jet connection string of each side.
#include <string>

namespace wizard {

// One side's four fields, as typed (UTF-8).
struct DatabaseSide {
    std::string DBPath;    // database file
    std::string WFPath;    // workgroup file, optional
    std::string UName;     // user name, optional
    std::string Password;  // optional

    friend bool operator==(const DatabaseSide&, const DatabaseSide&) = default;
};

struct DatabaseSettings {
    DatabaseSide Source;
    DatabaseSide Destination;

    friend bool operator==(const DatabaseSettings&, const DatabaseSettings&) = default;
};

// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<database>;", then
// ";Jet OLEDB:System database=<workgroup>" when one is named, then
// ";User ID=<user>;Password=<password>" when a user is named (the password may
// be empty), else ";Jet OLEDB:Database Password=<password>" when a password is
// given. So the first optional part follows two semicolons, which the
// data-access layer reads as an empty pair. Every field is taken with spaces
// removed at both ends, the password too; a value is quoted only when it holds
// ";", "=", a double quote or outer blanks, so ordinary strings stay as built.
[[nodiscard]] std::string BuildConnectionString(const DatabaseSide& side);

// True when the side names a workgroup file (its field is not blank).
[[nodiscard]] bool HasWorkgroup(const DatabaseSide& side);

}  // namespace wizard
