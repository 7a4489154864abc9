#pragma once
// The key bytes of an index entry, built from a row's values the way Jet 4
// builds them, so that entries we write sort and compare as Jet's own.
//
// Per column: a flag byte (0x7F ascending, 0x80 descending; a null is 0x00
// ascending, 0xFF descending, with nothing after it), then the value. Numbers
// are big-endian with the sign bit flipped (negative floating point values
// flip every byte); a descending column flips every byte of its value. Text
// is coded per character in the column's sort order (see canProve). Entries
// compare as plain byte strings. Access 97's files code text by other rules
// under the same sort order ids (SortOrder::jetVersion); the rest is alike.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jet/FieldValue.h"

namespace jet::file {

// Column type codes as a table definition stores them.
namespace jettype {
inline constexpr uint8_t YesNo = 0x01;
inline constexpr uint8_t Byte = 0x02;
inline constexpr uint8_t SmallInt = 0x03;
inline constexpr uint8_t Integer = 0x04;
inline constexpr uint8_t Currency = 0x05;
inline constexpr uint8_t Single = 0x06;
inline constexpr uint8_t Double = 0x07;
inline constexpr uint8_t DateTime = 0x08;
inline constexpr uint8_t Binary = 0x09;
inline constexpr uint8_t Text = 0x0A;
inline constexpr uint8_t OleObject = 0x0B;
inline constexpr uint8_t Memo = 0x0C;
inline constexpr uint8_t Guid = 0x0F;
inline constexpr uint8_t Numeric = 0x10;
}  // namespace jettype

// A text column's sort order: the locale id and its version as the column
// definition stores them, and the Jet version of the file: Access 97's files
// (Jet 3) code text otherwise under the same ids, and their columns store no
// version.
struct SortOrder {
    uint16_t id = 0x0409;
    uint8_t version = 0;
    uint8_t jetVersion = 4;  // 3 for Access 97's files, 4 for Jet 4's
    friend bool operator==(const SortOrder&, const SortOrder&) = default;
};
// A sort order of an Access 97 file's column.
[[nodiscard]] constexpr SortOrder jet3SortOrder(uint16_t id) { return SortOrder{id, 0, 3}; }
// "General" of Access 2000 to 2007 (later called "General legacy").
inline constexpr SortOrder kGeneralLegacy{0x0409, 0};
// Access 97's General, and the Arabic sort order of an Access 97 fixture
// (coded as General 97 in the characters it shows).
inline constexpr SortOrder kGeneral97 = jet3SortOrder(0x0409);
inline constexpr SortOrder kArabic97 = jet3SortOrder(0x0401);
// Access 97's Turkish: two-byte codes a character, in sections as Jet 4's.
inline constexpr SortOrder kTurkish97 = jet3SortOrder(0x041F);
// French, as the teaching databases use it.
inline constexpr SortOrder kFrench{0x040C, 0};
// The other sort orders of real databases measured.
inline constexpr SortOrder kTurkish{0x041F, 0};
inline constexpr SortOrder kCroatian{0x041A, 0};
inline constexpr SortOrder kSpanishModern{0x0C0A, 0};
inline constexpr SortOrder kChinesePrc{0x0804, 0};

// One column of an index as its key needs it.
struct KeyColumn {
    uint8_t type = jettype::Integer;  // a jettype code
    bool ascending = true;
    // TEXT and MEMO; its Jet version is the file's for a column of any type.
    SortOrder sortOrder{};
    uint8_t scale = 0;  // NUMERIC: the column's scale; values are brought to it
};

// Longest text prefix that takes part in a key, in UTF-16 units (in Access
// 97's files, whose characters are single bytes, in characters).
inline constexpr size_t kMaxKeyTextLength = 255;

class IndexKey {
public:
    // True for the types whose keys this encoder writes.
    [[nodiscard]] static bool indexable(uint8_t type);

    // Appends one column's flag byte and value to `key`. Throws FormatError for
    // a value of the wrong kind for the column, a type that is not indexable,
    // or text in a sort order or with characters the encoder has no codes for
    // (whatever canProve says, bytes are only written from known codes).
    static void append(std::vector<uint8_t>& key, const KeyColumn& column, const FieldValue& value);

    // The key of a row: every column's part in index order.
    [[nodiscard]] static std::vector<uint8_t> encode(std::span<const KeyColumn> columns,
                                                     std::span<const FieldValue> values);

    // Whether the text key of `value` in an ascending column of `sortOrder`
    // is one we have shown to equal Jet's on Access-made files: every
    // character was reproduced there in that sort order, and no two
    // neighbours form a pair of letters the sort order may sort as one in a
    // form no file showed (values that are not text are not judged here: see
    // the overload for a column). An index whose keys cannot all be proven
    // must not be built, nor a row added to one.
    [[nodiscard]] static bool canProve(const FieldValue& value, SortOrder sortOrder);
    [[nodiscard]] static bool canProveText(std::u16string_view text, SortOrder sortOrder);
    // The same for a value of an index column, its type and direction judged
    // too: NUMERIC keys, YESNO keys of Jet 4 files and descending text keys
    // but General 97's are coded by rules no Access-made file measured
    // shows, so they are not provable.
    [[nodiscard]] static bool canProve(const KeyColumn& column, const FieldValue& value);

    // The sort orders whose text keys this encoder writes at all (General,
    // French, Turkish, Croatian, Spanish modern and Chinese PRC, each with
    // the characters its fixtures show; in Access 97's files General,
    // Arabic and Turkish).
    [[nodiscard]] static bool knowsSortOrder(SortOrder sortOrder);

    // The UTF-16 units of a UTF-8 text as the key sees them: cut at the key's
    // length limit, trailing blanks dropped. Throws FormatError for bytes that
    // are not UTF-8.
    [[nodiscard]] static std::u16string keyText(std::string_view utf8);
};

}  // namespace jet::file
