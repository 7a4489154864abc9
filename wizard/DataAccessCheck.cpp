#include "wizard/DataAccessCheck.h"

#include <charconv>
#include <exception>

#include "jet/Connection.h"
#include "text/Trim.h"

namespace wizard {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kRequires =
    "Orvel! Parabase requires Microsoft Data Access Components 2.7 or above along with Jet 4.0 "
    "drivers.";
// Where a user gets the data-access layer: it comes with the program's
// packages, so the address is the distribution's package pages.
constexpr std::string_view kDownloadAddress = "https://packages.debian.org/";
constexpr std::string_view kShutDown = "Orvel! Parabase will now shut down.";

std::string downloadLine() {
    std::string s = "Please download and install the required version from ";
    s += kDownloadAddress;
    s += " and than run Orvel! Parabase again.";
    return s;
}

// The leading run of decimal digits of `s` as a number; nothing when `s` does
// not start with a digit or the number does not fit.
std::optional<long> leadingNumber(std::string_view s, size_t& used) {
    long value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    used = static_cast<size_t>(end - s.data());
    // from_chars takes a leading "-": a version part is never negative.
    if (ec != std::errc() || used == 0 || s.front() == '-') return std::nullopt;
    return value;
}

}  // namespace

std::optional<DataAccessVersion> ParseDataAccessVersion(std::string_view text) {
    const std::string_view s = text::trimSpaces(text);
    size_t used = 0;
    const auto major = leadingNumber(s, used);
    if (!major) return std::nullopt;
    std::string_view rest = s.substr(used);
    if (rest.empty()) return DataAccessVersion{*major, 0};
    if (rest.front() != '.') return std::nullopt;
    rest.remove_prefix(1);
    const auto minor = leadingNumber(rest, used);
    if (!minor) return std::nullopt;
    return DataAccessVersion{*major, *minor};
}

bool DataAccessVersionUsable(std::string_view text) {
    const auto v = ParseDataAccessVersion(text);
    return v && *v >= kRequiredDataAccess;
}

std::optional<StartupFailure> CheckDataAccess(const std::function<std::string()>& version) {
    std::string found;
    try {
        found = version();
    } catch (const std::exception&) {
        std::string t = "ADO could could not be found in your system!";
        t.append(kCrLf).append(kCrLf).append(kRequires);
        t.append(kCrLf).append(kCrLf).append(downloadLine());
        t.append(kCrLf).append(kCrLf).append(kShutDown);
        return StartupFailure{"ADO error", std::move(t)};
    }
    if (DataAccessVersionUsable(found)) return std::nullopt;
    std::string t(kRequires);
    t.append(" Your current version is : ").append(found);
    t.append(kCrLf).append(kCrLf).append(downloadLine());
    t.append(kCrLf).append(kCrLf).append(kShutDown);
    return StartupFailure{"ADO error", std::move(t)};
}

std::optional<StartupFailure> CheckDataAccess() {
    return CheckDataAccess([] { return jet::Connection::Version(); });
}

}  // namespace wizard
