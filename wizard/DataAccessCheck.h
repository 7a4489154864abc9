#pragma once
// The comparison program's start-up check of the data-access layer: the layer
// must be there and report version 2.7 or later. Runs before the first engine
// is made, so a missing layer is reported before anything uses it.
#include <compare>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace wizard {

// A version text read as whole numbers: "2.10" is {2, 10}, newer than {2, 7}.
struct DataAccessVersion {
    long major = 0;
    long minor = 0;
    friend auto operator<=>(const DataAccessVersion&, const DataAccessVersion&) = default;
};

// The oldest version the program works with.
inline constexpr DataAccessVersion kRequiredDataAccess{2, 7};

// Reads "major.minor": decimal digits, ".", decimal digits, with spaces at both
// ends allowed; what follows the minor digits ("2.8.1") is not read, and a
// text without "." is the major alone ("6" is 6.0). Nothing for any other
// text (empty, a sign, a letter where a digit must be, a number too large).
[[nodiscard]] std::optional<DataAccessVersion> ParseDataAccessVersion(std::string_view text);

// True when `text` reads as 2.7 or later; an unreadable text is too old.
[[nodiscard]] bool DataAccessVersionUsable(std::string_view text);

// The critical message box shown when the check fails; the program ends after it.
struct StartupFailure {
    std::string title;
    std::string text;  // lines separated by CR LF
};

// Asks `version` for the layer's version text (it throws when the layer cannot
// be reached) and returns the box to show before ending the program, or
// nothing when the layer is usable.
[[nodiscard]] std::optional<StartupFailure> CheckDataAccess(
    const std::function<std::string()>& version);

// The same check on the project's own data-access layer.
[[nodiscard]] std::optional<StartupFailure> CheckDataAccess();

}  // namespace wizard
