#include "wizard_core/cInifile.h"

#include <charconv>
#include <cmath>
#include <cstddef>

#include "ini/Profile.h"

namespace wizard {

namespace {

std::string joinNul(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) {
        out += name;
        out.push_back('\0');
    }
    return out;
}

void splitNul(const std::string& list, std::vector<std::string>& names, int32_t& count) {
    count = 0;
    names.clear();
    size_t at = 0;
    // Text after the last NUL is not a name.
    for (size_t nul; (nul = list.find('\0', at)) != std::string::npos; at = nul + 1) {
        names.push_back(list.substr(at, nul - at));
        ++count;
    }
}

}  // namespace

std::string cInifile::Value() const {
    if (auto value = ini::readValue(path_, section_, key_)) return std::move(*value);
    return default_;
}

void cInifile::Value(std::string_view sValue) {
    std::string text;
    text.reserve(sValue.size());
    for (char c : sValue)
        if (c != '\0') text.push_back(c);
    lastReturnCode_ = ini::writeValue(path_, section_, key_, text) ? 1 : 0;
}

void cInifile::DeleteKey() { lastReturnCode_ = ini::deleteKey(path_, section_, key_) ? 1 : 0; }

void cInifile::DeleteSection() { lastReturnCode_ = ini::deleteSection(path_, section_) ? 1 : 0; }

std::string cInifile::INISection() const {
    const std::string list = joinNul(ini::keyNames(path_, section_));
    return list.empty() ? default_ : list;
}

void cInifile::INISection(std::string_view) { DeleteSection(); }

std::string cInifile::Sections() const {
    const std::string list = joinNul(ini::sectionNames(path_));
    return list.empty() ? default_ : list;
}

void cInifile::EnumerateCurrentSection(std::vector<std::string>& sKey, int32_t& iCount) const {
    splitNul(INISection(), sKey, iCount);
}

void cInifile::EnumerateAllSections(std::vector<std::string>& sSections, int32_t& iCount) const {
    splitNul(Sections(), sSections, iCount);
}

int32_t cInifile::CLngDefault(std::string_view sString, int32_t lDefault) {
    std::string_view s = sString;
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // Digits, an optional fraction and an optional exponent, nothing else
    // (from_chars would also take "inf", "nan" and hexadecimal forms).
    size_t i = 0;
    size_t digits = 0;
    auto isDigit = [&](size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };
    while (isDigit(i)) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (isDigit(i)) ++i, ++digits;
    }
    if (digits == 0) return lDefault;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (!isDigit(i)) return lDefault;
        while (isDigit(i)) ++i;
    }
    if (i != s.size()) return lDefault;

    double value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (error != std::errc() || end != s.data() + s.size()) return lDefault;
    const double rounded = std::nearbyint(negative ? -value : value);  // halves to even
    if (rounded < -2147483648.0 || rounded > 2147483647.0) return lDefault;
    return static_cast<int32_t>(rounded);
}

}  // namespace wizard
