#pragma once
// The anchor-list text: one entry per control, each the control's key, a
// carriage return, four flag characters (left, top, right, bottom: "1"
// anchored, "0" free) and a carriage return. No line feeds, no header.
#include <string>
#include <string_view>
#include <vector>

namespace anchor {

inline constexpr char kSeparator = '\r';

// One entry as the text holds it; a flag is one character, or empty where the
// text ended before it.
struct TAnchorPageEntry {
    std::string Key;
    std::string AnchorLeft;
    std::string AnchorTop;
    std::string AnchorRight;
    std::string AnchorBottom;
    friend bool operator==(const TAnchorPageEntry&, const TAnchorPageEntry&) = default;
};

// The entries of a text, in order. A key runs to the next carriage return and
// is taken unchanged; the four characters after that carriage return are the
// flags, taken blindly (a carriage return among them is a flag); whatever
// follows up to the next carriage return is ignored. A key that no carriage
// return ends gives no entry. Characters are UTF-8 code points.
[[nodiscard]] std::vector<TAnchorPageEntry> parseAnchorText(std::string_view text);

// One entry as the text writes it (flags unchanged).
[[nodiscard]] std::string anchorEntryText(const std::string& key, const std::string& left,
                                          const std::string& top, const std::string& right,
                                          const std::string& bottom);

}  // namespace anchor
