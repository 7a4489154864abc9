#pragma once
// What the reader process hands back about one Jet file: the schema as the
// catalog shows it (tables with columns, indexes and keys; saved queries with
// their SQL text), the objects and access entries that permissions are read
// from, and, for a workgroup file, its accounts and memberships. The reply is a
// flat byte string (encodeReply / decodeReply); decoding checks every length
// and count against the bytes at hand and fails on anything else.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/CatalogData.h"

namespace jet::mdb {

// Database: the schema and what permissions are read from; Schema: the schema
// alone (no workgroup to ask permissions of); Workgroup: accounts and memberships.
enum class ReadMode : uint8_t { Database = 1, Workgroup = 2, Schema = 3 };

enum class ReadStatus : uint8_t {
    Ok = 0,
    NotJet = 1,      // libmdb refused the file (no Jet header it knows)
    Damaged = 2,     // a structure of the file failed a check
    NoAccounts = 3,  // read as a workgroup, but the file holds no MSysAccounts
};

// A saved query and its SQL text; view or procedure, and the parameters, follow
// from the text (jet/QueryText.h).
struct SnapshotQuery {
    std::string name;
    std::string sql;
};

// An object permissions can be asked about: objtype::Table (tables and links),
// objtype::Procedure (every saved query) or objtype::Database, with its
// MSysObjects Id, which MSysACEs refers to.
struct SnapshotObject {
    std::string name;
    int32_t objectType = 0;
    int32_t id = 0;
};

// SIDs are kept as lower-case hexadecimal text of their bytes, unmasked where
// the file masks them (Jet 4 and later).
struct SnapshotAce {
    int32_t objectId = 0;
    std::string sid;
    int32_t mask = 0;
};

struct SnapshotAccount {
    std::string name;
    std::string sid;
    bool isGroup = false;
};

struct SnapshotMembership {
    std::string groupSid;
    std::string userSid;
};

struct FileSnapshot {
    int32_t jetVersion = 0;  // libmdb's code: 0 Jet 3, 1 Jet 4, 2+ ACE
    std::vector<TableData> tables;
    std::vector<SnapshotQuery> queries;
    std::vector<SnapshotObject> objects;
    std::vector<SnapshotAce> aces;
    std::vector<SnapshotAccount> accounts;
    std::vector<SnapshotMembership> memberships;
};

struct ReadReply {
    ReadStatus status = ReadStatus::Ok;
    std::string detail;     // what failed, for status Damaged (not shown to users)
    FileSnapshot snapshot;  // meaningful for status Ok
};

[[nodiscard]] std::string encodeReply(const ReadReply& reply);
// Null when the bytes are not exactly one well-formed reply.
[[nodiscard]] std::optional<ReadReply> decodeReply(std::string_view bytes);

}  // namespace jet::mdb
