#pragma once
// Jet 4 text: UCS-2 little-endian, or the compressed form that starts with the
// bytes FF FE and holds one byte per character whose high byte is zero; a zero
// byte switches between that and two bytes per character. Text here is UTF-8.
// A lone surrogate (which UCS-2 allows) becomes its three-byte UTF-8-style
// form, so that decoding and encoding again gives the stored characters back.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "jet/file/Bytes.h"

namespace jet::file {

// The text of stored bytes, compressed or not. Throws FormatError when the
// bytes end inside a character.
[[nodiscard]] std::string decodeText(ByteSpan bytes);

// The text of UCS-2 little-endian bytes, never taken as compressed (names).
// Throws FormatError on an odd length.
[[nodiscard]] std::string decodeUcs2(ByteSpan bytes);

// UCS-2 little-endian of UTF-8 `text`, never compressed (names, properties).
// Throws FormatError when `text` is not UTF-8.
[[nodiscard]] Bytes encodeUcs2(std::string_view text);

// Stored bytes of `text` for a column: compressed when `compress` (the
// column's Unicode compression) is set, the text can be compressed (no
// character whose low byte is zero) and the result is shorter, as Access
// stores it; else UCS-2. Throws FormatError when `text` is not UTF-8.
[[nodiscard]] Bytes encodeText(std::string_view text, bool compress);

// The number of UCS-2 units of UTF-8 `text` (what Jet's text lengths count).
[[nodiscard]] size_t textUnits(std::string_view text);

class CodePage;
class PageFile;

// How one file stores text: Jet 4 as above, Jet 3 in single bytes of the
// file's code page (no compression, lengths in bytes). Copies share the code
// page's tables.
class TextCodec {
public:
    // Jet 4's.
    TextCodec() = default;
    explicit TextCodec(const CodePage& codePage);
    // The codec of `file`'s layout. Throws FormatError for a code page the
    // codec has no table of.
    static TextCodec of(const PageFile& file);

    [[nodiscard]] bool singleByte() const { return codePage_ != nullptr; }
    // Names (definitions, property blobs): never compressed.
    [[nodiscard]] std::string decodeName(ByteSpan bytes) const;
    [[nodiscard]] Bytes encodeName(std::string_view text) const;
    // Values: compressed as encodeText() does when `compress` is set and the
    // form has compression.
    [[nodiscard]] std::string decodeValue(ByteSpan bytes) const;
    [[nodiscard]] Bytes encodeValue(std::string_view text, bool compress) const;
    // The first character of UTF-8 `text` this form cannot store, empty when
    // it stores all of them (UCS-2 stores every one).
    [[nodiscard]] std::string unstorable(std::string_view text) const;
    // The code page's number; 0 for UCS-2.
    [[nodiscard]] uint16_t codePageNumber() const;
    // What a column's length limit counts for `text`: two bytes per UCS-2
    // unit in Jet 4, the stored bytes in Jet 3.
    [[nodiscard]] size_t storedLength(std::string_view text) const;

private:
    // Throws FormatError naming the character the code page cannot hold.
    [[nodiscard]] Bytes encodeSingleByte(std::string_view text) const;

    std::shared_ptr<const CodePage> codePage_;  // null: UCS-2
};

}  // namespace jet::file
