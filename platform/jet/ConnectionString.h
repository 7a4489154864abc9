#pragma once
// Jet connection strings: Key=Value pairs separated by ";". Keys are matched
// without regard to case and outer blanks; empty segments are allowed; a later
// duplicate key wins. A value that holds ";", "=", a double quote or outer blanks
// is written in double quotes with inner quotes doubled.
#include <optional>
#include <string>
#include <string_view>

namespace jet {

inline constexpr std::string_view kJetProvider = "Microsoft.Jet.OLEDB.4.0";

struct ConnectionProperties {
    std::string provider;
    std::string dataSource;
    std::optional<std::string> systemDatabase;    // "Jet OLEDB:System database"
    std::optional<std::string> userId;            // "User ID"
    std::optional<std::string> password;          // "Password"
    std::optional<std::string> databasePassword;  // "Jet OLEDB:Database Password"
    // "Jet OLEDB:Create System Database": read by Catalog::Create only, which then
    // makes a workgroup instead of a database.
    bool createSystemDatabase = false;
};

// Parses and checks a connection string: the provider must be the Jet provider
// and a Data Source must be named; unknown keys are refused. Throws jet::Error.
[[nodiscard]] ConnectionProperties parseConnectionString(std::string_view text);

// The value as it must stand after "Key=": unchanged unless it holds ";", "=",
// a double quote or leading/trailing blanks, then double-quoted.
[[nodiscard]] std::string quoteConnectionValue(std::string_view value);

// A connection string naming the given properties, in the order of the struct.
[[nodiscard]] std::string buildConnectionString(const ConnectionProperties& props);

// The connection string both programs build from what their user typed: every
// field with spaces removed at both ends (the password too); the provider and
// the Data Source, then `afterSource` as it stands (each program's own
// segment), ";Jet OLEDB:System database=" when a workgroup is named, then
// ";User ID=" and ";Password=" when a user is named, else
// ";Jet OLEDB:Database Password=" when a password is given. Values are quoted
// only where quoteConnectionValue must.
[[nodiscard]] std::string userConnectionString(std::string_view database,
                                               std::string_view workgroup, std::string_view user,
                                               std::string_view password,
                                               std::string_view afterSource);

}  // namespace jet
