#include "jet/writer/FilePermissions.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <utility>

#include "jet/Error.h"
#include "jet/Types.h"
#include "jet/mdb/JetRights.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace {

using Object = PermissionKey::Object;

// ADOX's names of the rights no bit of a mask may stand for.
std::string rightNames(uint32_t rights) {
    static constexpr std::pair<int32_t, const char*> kNames[] = {
        {right::Drop, "Drop"},
        {right::Exclusive, "Exclusive"},
        {right::ReadDesign, "ReadDesign"},
        {right::WriteDesign, "WriteDesign"},
        {right::WithGrant, "WithGrant"},
        {right::Reference, "Reference"},
        {right::Create, "Create"},
        {right::Insert, "Insert"},
        {right::Delete, "Delete"},
        {right::ReadPermissions, "ReadPermissions"},
        {right::WritePermissions, "WritePermissions"},
        {right::WriteOwner, "WriteOwner"},
        {right::MaximumAllowed, "MaximumAllowed"},
        {right::Execute, "Execute"},
        {right::Update, "Update"},
        {right::Read, "Read"},
    };
    std::string out;
    uint32_t named = 0;
    for (const auto& [bit, name] : kNames)
        if (rights & static_cast<uint32_t>(bit)) {
            out += (out.empty() ? "" : ", ") + std::string(name);
            named |= static_cast<uint32_t>(bit);
        }
    if (const uint32_t rest = rights & ~named) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", rest);
        out += (out.empty() ? "" : ", ") + std::string(hex);
    }
    return out;
}

const char* objectWords(int32_t objectType) {
    switch (objectType) {
        case objtype::Database:
            return "the database";
        case objtype::Table:
            return "a table";
        case objtype::View:
            return "a view";
        default:
            return "a procedure";
    }
}

bool isUserTableRow(const FileCatalog& c, size_t row) {
    return std::any_of(c.tables.begin(), c.tables.end(),
                       [&](const UserTable& t) { return t.objectRow == row; });
}

}  // namespace

bool inheritedEntry(const FileCatalog& c, const StoredRow& ace) {
    const size_t id = c.aces.column("ObjectId"), acm = c.aces.column("ACM"),
                 inheritable = c.aces.column("FInheritable");
    return asInteger(ace.values[id]) == msys::kTablesContainer &&
           asInteger(ace.values[inheritable]) != 0 &&
           static_cast<uint32_t>(asInteger(ace.values[acm])) != ace::kPlaceholderRights;
}

PermissionTarget permissionTarget(const FileCatalog& c, const FileState& state,
                                  const statement::Model& model, std::string_view name,
                                  int32_t objectType, bool ownType) {
    const auto notFound = [&]() -> PermissionTarget {
        raise(Err::PermissionObjectNotFound, {name, std::to_string(objectType)});
    };
    switch (objectType) {
        case objtype::Database: {
            // The database's entries are those of its MSysDb row (under Databases).
            for (const auto& r : c.objects.rows)
                if (c.objectType(r) == msys::kDatabase && c.objectName(r) == "MSysDb")
                    return {Object::Database, {}, c.objectId(r)};
            raise(Err::PermissionObjectNotFound, {"Database", std::to_string(objectType)});
        }
        case objtype::Table: {
            if (const statement::TableDef* t = model.table(name)) {
                const auto it = state.tables.find(t->id);
                if (it == state.tables.end()) return notFound();
                PermissionTarget p{Object::Table, text::fold(t->name), std::nullopt};
                if (!it->second.created)
                    p.fileId = c.objectId(c.objects.rows[it->second.objectRow]);
                return p;
            }
            // Jet's own tables and links, which the model does not hold.
            for (size_t i = 0; i < c.objects.rows.size(); ++i) {
                const StoredRow& r = c.objects.rows[i];
                const int32_t type = c.objectType(r);
                if ((type == msys::kTable || type == msys::kLink || type == msys::kOdbcLink) &&
                    text::equalNoCase(c.objectName(r), name) && !isUserTableRow(c, i))
                    return {Object::Table, text::fold(name), c.objectId(r)};
            }
            return notFound();
        }
        case objtype::View:
        case objtype::Procedure: {
            const auto it = state.queries.find(text::fold(name));
            if (it == state.queries.end()) return notFound();
            if (ownType) {
                const statement::QueryDef* q = model.query(name);
                if (!q || q->view != (objectType == objtype::View)) return notFound();
            }
            PermissionTarget p{Object::Query, it->first, std::nullopt};
            if (!it->second.made && it->second.objectRow)
                p.fileId = c.objectId(c.objects.rows[*it->second.objectRow]);
            return p;
        }
        case objtype::Column:
            raise(Err::NotSupported);
        default:
            raise(Err::InvalidArgument);
    }
}

uint32_t currentMask(const FileCatalog& c, const FileState& state, const PermissionTarget& target,
                     const std::string& sid) {
    const auto line = state.permissions.find({target.object, target.name, sid});
    if (line != state.permissions.end()) return line->second;
    if (!c.aces.present()) return 0;
    const size_t id = c.aces.column("ObjectId"), sidCol = c.aces.column("SID"),
                 acm = c.aces.column("ACM");
    uint32_t mask = 0;
    for (const auto& r : c.aces.rows) {
        const bool own = target.fileId ? asInteger(r.values[id]) == *target.fileId
                                       : inheritedEntry(c, r);
        if (own && asBinary(r.values[sidCol]) == sid)
            mask |= static_cast<uint32_t>(asInteger(r.values[acm]));
    }
    return mask;
}

uint32_t maskAfter(uint32_t now, int32_t objectType, int32_t action, int32_t rights) {
    const bool database = objectType == objtype::Database;
    uint32_t named = 0, bits = 0, unheld = 0;
    for (const auto& row : mdb::kRightsTable) {
        const int32_t r = database ? row.databaseRight : row.objectRight;
        if (r == right::None) continue;
        named |= static_cast<uint32_t>(row.jetBit);
        if (rights & r) bits |= static_cast<uint32_t>(row.jetBit);
    }
    uint32_t held = 0;
    for (const auto& row : mdb::kRightsTable) {
        const int32_t r = database ? row.databaseRight : row.objectRight;
        if (r != right::None) held |= static_cast<uint32_t>(r);
    }
    const auto asked = static_cast<uint32_t>(rights);
    if (asked & static_cast<uint32_t>(right::Full)) bits |= mdb::kJetFullAccess;
    unheld = asked & ~held & ~static_cast<uint32_t>(right::Full);
    switch (action) {
        case access::Set:
        case access::Grant:
            if (unheld)
                raise(Err::NotWrittenYet,
                      {"The right" + std::string(std::popcount(unheld) > 1 ? "s " : " ") +
                       rightNames(unheld) + " on " + objectWords(objectType) +
                       " (no bit of Jet's access mask stands for " +
                       (std::popcount(unheld) > 1 ? "them)" : "it)")});
            return action == access::Set ? (now & ~named) | bits : now | bits;
        case access::Deny:
        case access::Revoke:
            return now & ~bits;
        default:
            raise(Err::InvalidArgument);
    }
}

void dropLinesOfGoneObjects(FileState& state, const FileCatalog& catalog,
                            const statement::Model& model) {
    std::erase_if(state.permissions, [&](const auto& line) {
        const PermissionKey& k = line.first;
        switch (k.object) {
            case Object::Database:
                return false;
            case Object::Query:
                return state.queries.count(k.name) == 0;
            case Object::Table:
                try {
                    (void)permissionTarget(catalog, state, model, k.name, objtype::Table, false);
                    return false;
                } catch (const Error&) {
                    return true;
                }
        }
        return false;
    });
}

}  // namespace jet::file
