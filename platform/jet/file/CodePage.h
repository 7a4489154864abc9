#pragma once
// Jet 3 text: one byte per character in the file's Windows code page, never
// compressed, lengths in bytes. This is the table that turns those bytes into
// UTF-8 and back, for names in table definitions, text and memo values,
// property blobs and saved query text.
//
// Only the single-byte Windows code pages are held: 874 and 1250 to 1258. The
// double-byte Far-East ones (932, 936, 949, 950) are not: forFile and the
// constructor throw FormatError for them, as for any other number.
//
// Every byte decodes, including those the published tables leave undefined
// (they become the code point Windows gives them), so encode(decode(b)) == b
// for every byte string: a value read and written back is the value stored.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "jet/file/Bytes.h"

namespace jet::file {

class CodePage {
public:
    // The code page of a Jet 3 file's text, from the header's code page (at
    // 0x3C) and sort order (at 0x3A). A header code page of 0 is Windows'
    // CP_ACP: "the ANSI code page of the system", which Access 97 on a Turkish
    // Windows wrote instead of its number. turkish97.mdb shows it: its header
    // and every column of its table definitions say code page 0 with the
    // Turkish sort order 0x041F, and its only text past ASCII (Ö and Ü in the
    // author's name) has the same bytes in 1252 and 1254 (mdbtools, which
    // reads all Jet 3 text as 1252, prints it right for that reason). So the
    // sort order, a Windows locale, names the code page: that locale's ANSI
    // one, 1254 for Turkish. Files made elsewhere name theirs (arabic97.mdb:
    // 1256 in the header and in every column, with sort order 0x0401).
    // Throws FormatError for a code page with no table here (the double-byte
    // ones included), and for 0 with a sort order of no known locale.
    [[nodiscard]] static CodePage forFile(uint16_t headerCodePage, uint16_t sortOrder);

    // Throws FormatError when `windowsCodePage` has no table here.
    explicit CodePage(uint16_t windowsCodePage);

    [[nodiscard]] uint16_t number() const { return number_; }

    // UTF-8 text of stored bytes. Every byte decodes: a byte undefined in the
    // code page (0x81 in 1252) becomes the code point Windows gives it (U+0081).
    [[nodiscard]] std::string decode(ByteSpan bytes) const;

    // Bytes of UTF-8 text; null when a character has no byte in the code page
    // or the text is not UTF-8.
    [[nodiscard]] std::optional<Bytes> encode(std::string_view utf8) const;

    // The first character of `utf8` the code page cannot hold, for error
    // texts; empty when encode succeeds. Bytes that are not UTF-8 are reported
    // as U+FFFD, so the result is always UTF-8.
    [[nodiscard]] std::string firstUnencodable(std::string_view utf8) const;

    friend bool operator==(const CodePage& a, const CodePage& b) { return a.number_ == b.number_; }

private:
    struct Tables;
    uint16_t number_;
    const Tables* tables_;
};

}  // namespace jet::file
