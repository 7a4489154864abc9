#pragma once
// Code sets of ADO and ADOX that the catalog model reports and accepts.
#include <array>
#include <cstdint>
#include <string_view>

namespace jet {

// ADO data type codes of columns and parameters.
namespace adtype {
inline constexpr int32_t SmallInt = 2;
inline constexpr int32_t Integer = 3;
inline constexpr int32_t Single = 4;
inline constexpr int32_t Double = 5;
inline constexpr int32_t Currency = 6;
inline constexpr int32_t Date = 7;
inline constexpr int32_t Boolean = 11;
inline constexpr int32_t UnsignedTinyInt = 17;
inline constexpr int32_t GUID = 72;
inline constexpr int32_t Binary = 128;
inline constexpr int32_t Char = 129;
inline constexpr int32_t WChar = 130;
inline constexpr int32_t Numeric = 131;
inline constexpr int32_t DBTimeStamp = 135;
inline constexpr int32_t VarChar = 200;
inline constexpr int32_t LongVarChar = 201;
inline constexpr int32_t VarWChar = 202;
inline constexpr int32_t LongVarWChar = 203;
inline constexpr int32_t VarBinary = 204;
inline constexpr int32_t LongVarBinary = 205;
}  // namespace adtype

// What a column of a fixed-size type reports whatever provider reads it, so that
// equal definitions compare equal across providers: DefinedSize, Precision and
// NumericScale, and whether the type is of fixed length (attribute bit 1 and
// property "Fixed Length"). Types sized by their definition (TEXT(n), CHAR(n),
// BINARY(n), VARBINARY(n)) report the definition's n; DECIMAL(p,s) reports its
// own precision and scale with DefinedSize 19. Unknown codes give all zeros.
struct TypeFacts {
    int32_t definedSize = 0;
    uint8_t precision = 0;
    uint8_t numericScale = 0;
    bool fixedLength = false;
};
[[nodiscard]] constexpr TypeFacts typeFacts(int32_t adoType) {
    switch (adoType) {
        case 11: return {2, 0, 0, true};    // YESNO
        case 17: return {1, 3, 0, true};    // BYTE
        case 2: return {2, 5, 0, true};     // SMALLINT
        case 3: return {4, 10, 0, true};    // INTEGER, COUNTER
        case 6: return {8, 19, 4, true};    // CURRENCY
        case 4: return {4, 7, 0, true};     // SINGLE
        case 5: return {8, 15, 0, true};    // DOUBLE
        case 7: return {8, 0, 0, true};     // DATETIME
        case 72: return {16, 0, 0, true};   // GUID
        case 131: return {19, 18, 0, true}; // DECIMAL (precision and scale from the definition)
        case 128: return {0, 0, 0, true};   // BINARY(n)
        case 130: return {0, 0, 0, true};   // CHAR(n)
        default: return {0, 0, 0, false};   // TEXT(n), MEMO, OLEOBJECT, VARBINARY(n)
    }
}

// Column attribute bits.
inline constexpr int32_t kColumnFixed = 1;
inline constexpr int32_t kColumnNullable = 2;

// Key types and rules.
namespace keytype {
inline constexpr int32_t Primary = 1;
inline constexpr int32_t Foreign = 2;
inline constexpr int32_t Unique = 3;
}  // namespace keytype
namespace rule {
inline constexpr int32_t None = 0;
inline constexpr int32_t Cascade = 1;
inline constexpr int32_t SetNull = 2;
inline constexpr int32_t SetDefault = 3;
}  // namespace rule

// Index null handling and sort orders.
namespace indexnulls {
inline constexpr int32_t Allow = 0;
inline constexpr int32_t Disallow = 1;
inline constexpr int32_t Ignore = 2;
inline constexpr int32_t IgnoreAny = 4;
}  // namespace indexnulls
inline constexpr int32_t kSortAscending = 1;
inline constexpr int32_t kSortDescending = 2;

// Permission object types, actions and rights bits.
namespace objtype {
inline constexpr int32_t Table = 1;
inline constexpr int32_t Column = 2;
inline constexpr int32_t Database = 3;
inline constexpr int32_t Procedure = 4;
inline constexpr int32_t View = 5;
}  // namespace objtype
namespace access {
inline constexpr int32_t Grant = 1;
inline constexpr int32_t Set = 2;
inline constexpr int32_t Deny = 3;
inline constexpr int32_t Revoke = 4;
}  // namespace access
namespace right {
inline constexpr int32_t None = 0;
inline constexpr int32_t Drop = 0x100;
inline constexpr int32_t Exclusive = 0x200;
inline constexpr int32_t ReadDesign = 0x400;
inline constexpr int32_t WriteDesign = 0x800;
inline constexpr int32_t WithGrant = 0x1000;
inline constexpr int32_t Reference = 0x2000;
inline constexpr int32_t Create = 0x4000;
inline constexpr int32_t Insert = 0x8000;
inline constexpr int32_t Delete = 0x10000;
inline constexpr int32_t ReadPermissions = 0x20000;
inline constexpr int32_t WritePermissions = 0x40000;
inline constexpr int32_t WriteOwner = 0x80000;
inline constexpr int32_t MaximumAllowed = 0x2000000;
inline constexpr int32_t Full = 0x10000000;
inline constexpr int32_t Execute = 0x20000000;
inline constexpr int32_t Update = 0x40000000;
inline constexpr int32_t Read = static_cast<int32_t>(0x80000000u);
}  // namespace right

// The provider's column property collection, by 0-based position.
namespace prop {
inline constexpr int Autoincrement = 0;
inline constexpr int Default = 1;
inline constexpr int Description = 2;
inline constexpr int Nullable = 3;
inline constexpr int FixedLength = 4;
inline constexpr int Seed = 5;
inline constexpr int Increment = 6;
inline constexpr int ValidationText = 7;
inline constexpr int ValidationRule = 8;
inline constexpr int IisamNotLastColumn = 9;
inline constexpr int AutoGenerate = 10;
inline constexpr int OneBlobPerPage = 11;
inline constexpr int CompressedUnicode = 12;
inline constexpr int AllowZeroLength = 13;
inline constexpr int Hyperlink = 14;
inline constexpr int Count = 15;
}  // namespace prop

inline constexpr std::array<std::string_view, prop::Count> kColumnPropertyNames = {
    "Autoincrement",
    "Default",
    "Description",
    "Nullable",
    "Fixed Length",
    "Seed",
    "Increment",
    "Jet OLEDB:Column Validation Text",
    "Jet OLEDB:Column Validation Rule",
    "Jet OLEDB:IISAM Not Last Column",
    "Jet OLEDB:AutoGenerate",
    "Jet OLEDB:One BLOB per Page",
    "Jet OLEDB:Compressed UNICODE Strings",
    "Jet OLEDB:Allow Zero Length",
    "Jet OLEDB:Hyperlink",
};

// Kinds of a principal.
enum class PrincipalKind { User, Group };

}  // namespace jet
