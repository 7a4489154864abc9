#pragma once
// Jet keeps a principal's permissions on an object as one access mask (the ACM
// column of MSysACEs). The catalog reports ADOX rights bits; this is the one
// table that maps the first to the second, bit by bit. The database object
// (MSysDb) gives its low bits other meanings than tables and queries do.
//
//   Jet bit   tables and queries      database           ADOX right
//   0x00001   -                       create databases   Create
//   0x00002   -                       open               Read
//   0x00004   read design             open exclusive     ReadDesign / Exclusive
//   0x00008   modify design           administer         WriteDesign
//   0x00010   read data               -                  Read
//   0x00020   insert data             -                  Insert
//   0x00040   update data             -                  Update
//   0x00080   delete data             -                  Delete
//   0x10000   delete the object       delete             Drop
//   0x20000   read permissions        read permissions   ReadPermissions
//   0x40000   change permissions      change permissions WritePermissions
//   0x80000   change owner            change owner       WriteOwner
//   all of 0xFFFFF (full access)                         also Full
//
// Other bits have no ADOX counterpart and are dropped.
#include <cstdint>

#include "jet/Types.h"

namespace jet::mdb {

struct RightsRow {
    int32_t jetBit;
    int32_t objectRight;    // for tables, views and procedures
    int32_t databaseRight;  // for the database
};

inline constexpr int32_t kJetFullAccess = 0xFFFFF;

inline constexpr RightsRow kRightsTable[] = {
    {0x00001, right::None, right::Create},
    {0x00002, right::None, right::Read},
    {0x00004, right::ReadDesign, right::Exclusive},
    {0x00008, right::WriteDesign, right::WriteDesign},
    {0x00010, right::Read, right::None},
    {0x00020, right::Insert, right::None},
    {0x00040, right::Update, right::None},
    {0x00080, right::Delete, right::None},
    {0x10000, right::Drop, right::Drop},
    {0x20000, right::ReadPermissions, right::ReadPermissions},
    {0x40000, right::WritePermissions, right::WritePermissions},
    {0x80000, right::WriteOwner, right::WriteOwner},
};

// The ADOX rights of a Jet access mask on an object of a type (jet::objtype).
[[nodiscard]] constexpr int32_t adoxRights(int32_t jetMask, int32_t objectType) {
    const bool database = objectType == objtype::Database;
    int32_t out = 0;
    for (const auto& row : kRightsTable)
        if (jetMask & row.jetBit) out |= database ? row.databaseRight : row.objectRight;
    if ((jetMask & kJetFullAccess) == kJetFullAccess) out |= right::Full;
    return out;
}

}  // namespace jet::mdb
