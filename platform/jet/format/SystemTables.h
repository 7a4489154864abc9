#pragma once
// What the catalog's system tables hold, as every reader and writer of a Jet
// file meets it: MSysObjects' types and flags, MSysRelationships' grbit,
// MSysACEs' rights.
#include <cstdint>

namespace jet::format {

// MSysObjects: the types, containers and flags the writer meets.
namespace msys {
inline constexpr int32_t kTable = 1;
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

}  // namespace jet::format
