#include "anchor/AnchorList.h"

namespace anchor {

namespace {

// The length of the UTF-8 character that starts at `i` (1 for a stray byte).
std::size_t charLength(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t n = 1;
    if (c >= 0xF0)
        n = 4;
    else if (c >= 0xE0)
        n = 3;
    else if (c >= 0xC0)
        n = 2;
    if (i + n > text.size()) return 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
    return n;
}

}  // namespace

std::vector<TAnchorPageEntry> parseAnchorText(std::string_view text) {
    std::vector<TAnchorPageEntry> entries;
    bool inKey = true;
    std::size_t keyStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != kSeparator) {
            i += charLength(text, i);
            continue;
        }
        if (inKey) {
            TAnchorPageEntry e;
            e.Key = std::string(text.substr(keyStart, i - keyStart));
            std::size_t at = i + 1;
            for (std::string* flag :
                 {&e.AnchorLeft, &e.AnchorTop, &e.AnchorRight, &e.AnchorBottom}) {
                if (at >= text.size()) break;
                const std::size_t n = charLength(text, at);
                *flag = std::string(text.substr(at, n));
                at += n;
            }
            entries.push_back(std::move(e));
            // The walk goes on after the four flag positions.
            i = at;
            inKey = false;
        } else {
            keyStart = i + 1;
            inKey = true;
            ++i;
        }
    }
    return entries;
}

std::string anchorEntryText(const std::string& key, const std::string& left, const std::string& top,
                            const std::string& right, const std::string& bottom) {
    std::string s;
    s.reserve(key.size() + 6);
    s += key;
    s += kSeparator;
    s += left;
    s += top;
    s += right;
    s += bottom;
    s += kSeparator;
    return s;
}

}  // namespace anchor
