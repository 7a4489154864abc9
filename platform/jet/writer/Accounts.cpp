#include "jet/writer/Accounts.h"

#include "jet/format/JetHeader.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace {

// The reader gives SIDs as lower-case hexadecimal text of their bytes.
std::optional<std::string> fromHex(std::string_view hex) {
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    if (hex.empty() || hex.size() % 2 != 0) return std::nullopt;
    std::string out;
    out.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = digit(hex[i]), lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(static_cast<char>(hi << 4 | lo));
    }
    return out;
}

}  // namespace

std::optional<std::string> accountSid(const CatalogData& workgroup, std::string_view name,
                                      PrincipalKind kind) {
    const auto& accounts = kind == PrincipalKind::User ? workgroup.users : workgroup.groups;
    for (const auto& a : accounts)
        if (text::equalNoCase(a.name, name)) return fromHex(a.sid);
    return std::nullopt;
}

bool isJetWorkgroup(const std::string& path) { return format::readHeader(path).has_value(); }

}  // namespace jet::file
