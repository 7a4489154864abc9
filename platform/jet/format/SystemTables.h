#pragma once
// What the catalog's system tables hold, as every reader and writer of a Jet
// file meets it: MSysObjects' types and flags, MSysRelationships' grbit,
// MSysACEs' rights, MSysQueries' attributes, query kinds and flags.
#include <cstdint>

namespace jet::format {

// MSysObjects: the types, containers and flags the writer meets.
namespace msys {
inline constexpr int32_t kTable = 1;
inline constexpr int32_t kDatabase = 2;  // MSysDb, under the Databases container
inline constexpr int32_t kContainer = 3;
inline constexpr int32_t kOdbcLink = 4;  // a table linked through ODBC
inline constexpr int32_t kQuery = 5;
inline constexpr int32_t kLink = 6;  // a table linked in another Jet file
inline constexpr int32_t kRelationship = 8;
inline constexpr int32_t kTablesContainer = 0x0F000001;
inline constexpr int32_t kRelationshipsContainer = 0x0F000003;
// Flags of Jet's and Access's own objects.
inline constexpr uint32_t kSystemFlags = 0x80000002u;
// MSysObjects always starts on this page.
inline constexpr uint32_t kObjectsPage = 2;
}  // namespace msys

// MSysRelationships.grbit.
namespace relflag {
inline constexpr int32_t OneToOne = 0x00000001;
inline constexpr int32_t NotEnforced = 0x00000002;
inline constexpr int32_t CascadeUpdates = 0x00000100;
inline constexpr int32_t CascadeDeletes = 0x00001000;
inline constexpr int32_t CascadeNull = 0x00002000;
}  // namespace relflag

// MSysACEs.
namespace ace {
// The ACM of the entry Access keeps on the Tables container as a placeholder:
// not rights a new object inherits.
inline constexpr uint32_t kPlaceholderRights = 0x000F00FEu;
}  // namespace ace

// Attribute codes of MSysQueries rows.
namespace qattr {
inline constexpr int Start = 0;
inline constexpr int Type = 1;
inline constexpr int Parameter = 2;
inline constexpr int Flag = 3;
inline constexpr int RemoteDb = 4;
inline constexpr int Table = 5;
inline constexpr int Column = 6;
inline constexpr int Join = 7;
inline constexpr int Where = 8;
inline constexpr int GroupBy = 9;
inline constexpr int Having = 10;
inline constexpr int OrderBy = 11;
inline constexpr int End = 255;
}  // namespace qattr

// Query kinds (the Flag of the Type row).
namespace qkind {
inline constexpr int32_t Select = 1;
inline constexpr int32_t MakeTable = 2;
inline constexpr int32_t Append = 3;
inline constexpr int32_t Update = 4;
inline constexpr int32_t Delete = 5;
inline constexpr int32_t Crosstab = 6;
inline constexpr int32_t DataDefinition = 7;
inline constexpr int32_t PassThrough = 8;
inline constexpr int32_t Union = 9;
}  // namespace qkind

// Flags of a select-like query's Flag row (attribute 3).
namespace qflag {
inline constexpr int32_t SelectStar = 0x01;
inline constexpr int32_t Distinct = 0x02;
inline constexpr int32_t OwnerAccess = 0x04;
inline constexpr int32_t DistinctRow = 0x08;
inline constexpr int32_t Top = 0x10;
inline constexpr int32_t Percent = 0x20;
// A crosstab's column and group rows: the pivot.
inline constexpr int32_t CrosstabPivot = 0x01;
}  // namespace qflag

}  // namespace jet::format
