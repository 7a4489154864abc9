#include "jet/Variant.h"

#include <charconv>

#include "jet/Error.h"
#include "text/CaseFold.h"
#include "text/Trim.h"

namespace jet {

namespace {

bool parseInt(std::string_view s, int32_t& out) {
    s = text::trimWhite(s);
    if (s.empty()) return false;
    if (s.front() == '+') s.remove_prefix(1);
    const auto* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, out);
    return ec == std::errc() && p == end;
}

}  // namespace

bool toBool(const Variant& v) {
    if (const auto* b = std::get_if<bool>(&v)) return *b;
    if (const auto* i = std::get_if<int32_t>(&v)) return *i != 0;
    if (const auto* s = std::get_if<std::string>(&v)) {
        const auto t = text::trimWhite(*s);
        if (text::equalNoCase(t, "true")) return true;
        if (text::equalNoCase(t, "false")) return false;
        int32_t n = 0;
        if (parseInt(t, n)) return n != 0;
        raise(Err::TypeMismatch, {*s, "Boolean"});
    }
    return false;
}

int32_t toInt32(const Variant& v) {
    if (const auto* b = std::get_if<bool>(&v)) return *b ? -1 : 0;
    if (const auto* i = std::get_if<int32_t>(&v)) return *i;
    if (const auto* s = std::get_if<std::string>(&v)) {
        int32_t n = 0;
        if (parseInt(*s, n)) return n;
        const auto t = text::trimWhite(*s);
        if (text::equalNoCase(t, "true")) return -1;
        if (text::equalNoCase(t, "false")) return 0;
        raise(Err::TypeMismatch, {*s, "32-bit integer"});
    }
    return 0;
}

std::string toText(const Variant& v) {
    if (const auto* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
    if (const auto* i = std::get_if<int32_t>(&v)) return std::to_string(*i);
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    return {};
}

bool sameValue(const Variant& a, const Variant& b) {
    if (a.index() == b.index()) {
        if (const auto* s = std::get_if<std::string>(&a))
            return text::equalNoCase(*s, std::get<std::string>(b));
        return a == b;
    }
    // Mixed kinds: numbers and Booleans compare as numbers, empty as 0 / "".
    const bool aNum = !std::holds_alternative<std::string>(a);
    const bool bNum = !std::holds_alternative<std::string>(b);
    if (aNum && bNum) return toInt32(a) == toInt32(b);
    return text::equalNoCase(toText(a), toText(b));
}

}  // namespace jet
