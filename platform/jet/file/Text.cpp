#include "jet/file/Text.h"

#include <array>
#include <vector>

#include "jet/file/CodePage.h"
#include "jet/file/PageFile.h"
#include "text/Utf8.h"

namespace jet::file {

namespace {

// UTF-8 of UCS-2 units: pairs of surrogates join, a lone one stands as it is.
std::string unitsToUtf8(const std::vector<uint16_t>& units) {
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t u = units[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            u = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        text::appendUtf8(out, u);
    }
    return out;
}

// UCS-2 units of UTF-8 text; the three-byte forms of surrogates are taken as
// the units they stand for (what unitsToUtf8 makes of a lone surrogate).
std::vector<uint16_t> utf8ToUnits(std::string_view text) {
    std::vector<uint16_t> units;
    units.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    auto bad = [] { throw FormatError("the text is not valid UTF-8"); };
    for (size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        uint32_t cp = 0;
        size_t len = 0;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            len = 4;
        } else {
            bad();
        }
        if (len > n - i) bad();
        for (size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) bad();
            cp = cp << 6 | (p[i + k] & 0x3F);
        }
        // Overlong forms and code points past Unicode's range are not text.
        static constexpr std::array<uint32_t, 5> kMin{0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF) bad();
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back(static_cast<uint16_t>(0xD800 + (cp >> 10)));
            units.push_back(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            units.push_back(static_cast<uint16_t>(cp));
        }
        i += len;
    }
    return units;
}

Bytes unitsToUcs2(const std::vector<uint16_t>& units) {
    Bytes out(units.size() * 2);
    for (size_t i = 0; i < units.size(); ++i) putLe16(out.data() + 2 * i, units[i]);
    return out;
}

// The compressed form, or empty when the text cannot be compressed. Runs of
// one-byte characters and of two-byte characters are chosen for the fewest
// bytes (each switch costs a zero byte), starting in one-byte mode.
Bytes compress(const std::vector<uint16_t>& units) {
    const size_t n = units.size();
    for (uint16_t u : units)
        if ((u & 0xFF) == 0) return {};
    // cost[i][m]: bytes for units[i..] when in mode m (0 one-byte, 1 two-byte)
    // before unit i. A unit with a high byte can only go in two-byte mode.
    constexpr size_t kNever = static_cast<size_t>(-1) / 4;
    std::vector<std::array<size_t, 2>> cost(n + 1, {0, 0});
    for (size_t i = n; i-- > 0;) {
        const bool narrow = units[i] < 0x100;
        const size_t stayNarrow = narrow ? 1 + cost[i + 1][0] : kNever;
        const size_t stayWide = 2 + cost[i + 1][1];
        cost[i][0] = std::min(stayNarrow, 1 + stayWide);
        cost[i][1] = std::min(stayWide, 1 + stayNarrow);
    }
    Bytes out{0xFF, 0xFE};
    out.reserve(2 + cost[0][0]);
    int mode = 0;
    for (size_t i = 0; i < n; ++i) {
        const bool narrow = units[i] < 0x100;
        const size_t stayNarrow = narrow ? 1 + cost[i + 1][0] : kNever;
        const size_t stayWide = 2 + cost[i + 1][1];
        const int want =
            mode == 0 ? (stayNarrow <= 1 + stayWide ? 0 : 1) : (stayWide <= 1 + stayNarrow ? 1 : 0);
        if (want != mode) {
            out.push_back(0);
            mode = want;
        }
        out.push_back(static_cast<uint8_t>(units[i] & 0xFF));
        if (mode == 1) out.push_back(static_cast<uint8_t>(units[i] >> 8));
    }
    return out;
}

}  // namespace

std::string decodeText(ByteSpan bytes) {
    std::vector<uint16_t> units;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        units.reserve(bytes.size());
        bool narrow = true;
        for (size_t i = 2; i < bytes.size();) {
            if (bytes[i] == 0) {
                narrow = !narrow;
                ++i;
            } else if (narrow) {
                units.push_back(bytes[i++]);
            } else {
                if (i + 1 >= bytes.size())
                    throw FormatError("compressed text ends inside a character");
                units.push_back(le16(bytes.data() + i));
                i += 2;
            }
        }
        return unitsToUtf8(units);
    }
    return decodeUcs2(bytes);
}

std::string decodeUcs2(ByteSpan bytes) {
    if (bytes.size() % 2 != 0) throw FormatError("text ends inside a character");
    std::vector<uint16_t> units(bytes.size() / 2);
    for (size_t i = 0; i < units.size(); ++i) units[i] = le16(bytes.data() + 2 * i);
    return unitsToUtf8(units);
}

Bytes encodeUcs2(std::string_view text) { return unitsToUcs2(utf8ToUnits(text)); }

Bytes encodeText(std::string_view text, bool allowCompression) {
    const auto units = utf8ToUnits(text);
    // Stored as UCS-2, a text that starts with U+FEFF would read back as
    // compressed: only the compressed form keeps it.
    const bool startsWithMarker = !units.empty() && units[0] == 0xFEFF;
    if (allowCompression || startsWithMarker) {
        Bytes packed = compress(units);
        if (!packed.empty() && (startsWithMarker || packed.size() < units.size() * 2))
            return packed;
        if (startsWithMarker)
            throw FormatError(
                "a text that starts with U+FEFF and holds a character whose "
                "low byte is zero cannot be stored");
    }
    return unitsToUcs2(units);
}

size_t textUnits(std::string_view text) { return utf8ToUnits(text).size(); }

TextCodec::TextCodec(const CodePage& codePage)
    : codePage_(std::make_shared<const CodePage>(codePage)) {}

TextCodec TextCodec::of(const PageFile& file) {
    if (file.layout().textForm != format::TextForm::SingleByte) return {};
    return TextCodec(CodePage::forFile(file.facts().codePage, file.facts().sortOrder));
}

Bytes TextCodec::encodeSingleByte(std::string_view text) const {
    if (auto bytes = codePage_->encode(text)) return std::move(*bytes);
    const std::string bad = codePage_->firstUnencodable(text);
    throw FormatError(
        "the text \"" + std::string(text) + "\" holds " +
        (bad.empty() ? std::string("bytes that are not UTF-8") : "the character \"" + bad + "\"") +
        ", which the file's code page " + std::to_string(codePage_->number()) + " cannot store");
}

std::string TextCodec::unstorable(std::string_view text) const {
    if (!codePage_ || codePage_->encode(text)) return {};
    return codePage_->firstUnencodable(text);
}

uint16_t TextCodec::codePageNumber() const { return codePage_ ? codePage_->number() : 0; }

std::string TextCodec::decodeName(ByteSpan bytes) const {
    return codePage_ ? codePage_->decode(bytes) : decodeUcs2(bytes);
}

Bytes TextCodec::encodeName(std::string_view text) const {
    return codePage_ ? encodeSingleByte(text) : encodeUcs2(text);
}

std::string TextCodec::decodeValue(ByteSpan bytes) const {
    return codePage_ ? codePage_->decode(bytes) : decodeText(bytes);
}

Bytes TextCodec::encodeValue(std::string_view text, bool compress) const {
    return codePage_ ? encodeSingleByte(text) : encodeText(text, compress);
}

size_t TextCodec::storedLength(std::string_view text) const {
    return codePage_ ? encodeSingleByte(text).size() : textUnits(text) * 2;
}

}  // namespace jet::file
