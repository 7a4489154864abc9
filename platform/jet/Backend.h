#pragma once
// What a provider offers the layer. Connection, Command and Catalog are thin
// handles over one shared Backend; providers (the store on SQLite, the read-only
// Jet file provider on libmdb) implement it. Not used by the programs directly.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "jet/CatalogData.h"
#include "jet/ConnectionString.h"
#include "jet/Types.h"
#include "jet/Variant.h"

namespace jet {

enum class ConnectMode {
    Unknown = 0,    // the provider's default: read-write where the file allows it
    Read = 1,       // read only
    ReadWrite = 3,  // write access asked for: a read-only database fails at Open
};

struct OpenRequest {
    ConnectionProperties props;
    ConnectMode mode = ConnectMode::Unknown;
};

// Users, groups and memberships of one workgroup file.
class Workgroup {
public:
    virtual ~Workgroup() = default;
    [[nodiscard]] virtual const std::string& path() const = 0;
    // Each user with the groups it belongs to; each group with its users.
    [[nodiscard]] virtual std::vector<PrincipalData> users() = 0;
    [[nodiscard]] virtual std::vector<PrincipalData> groups() = 0;
    // Throws Err::LogonFailed unless `user` may log on with `password` (as far
    // as the file lets the provider check).
    virtual void logOn(std::string_view user, std::string_view password) = 0;
    // Account changes; a read-only workgroup throws Err::ReadOnly.
    virtual void createUser(std::string_view name, std::string_view password,
                            std::string_view pid) = 0;
    virtual void createGroup(std::string_view name, std::string_view pid) = 0;
    virtual void dropUser(std::string_view name) = 0;
    virtual void dropGroup(std::string_view name) = 0;
    virtual void addMember(std::string_view user, std::string_view group) = 0;
    virtual void removeMember(std::string_view user, std::string_view group) = 0;
    // Rises with every change, so that catalogs know to read the accounts again.
    [[nodiscard]] virtual uint64_t version() const = 0;
};

// Opens a workgroup file of either kind, chosen by the file's content. Throws
// Err::WorkgroupMissing / Err::WorkgroupInvalid.
[[nodiscard]] std::shared_ptr<Workgroup> openWorkgroup(const std::string& path);

class Backend {
public:
    virtual ~Backend() = default;

    // The current schema, normalized. Cheap when nothing changed since the last
    // call; a change made through this backend is visible in the next call.
    [[nodiscard]] virtual std::shared_ptr<const CatalogData> catalog() = 0;

    // Runs one Jet SQL statement as a whole (all or nothing). Returns the number
    // of rows affected, -1 for a statement that affects no rows.
    virtual int32_t execute(std::string_view sql) = 0;

    // Stores a column property given by position (see kColumnPropertyNames).
    virtual void setColumnProperty(std::string_view table, std::string_view column,
                                   int position, const Variant& value) = 0;

    // ADOX rights bits of a principal on an object (objtype::*; for the database
    // the name is ignored).
    [[nodiscard]] virtual int32_t getPermissions(PrincipalKind kind, std::string_view principal,
                                                 std::string_view objectName,
                                                 int32_t objectType) = 0;
    virtual void setPermissions(PrincipalKind kind, std::string_view principal,
                                std::string_view objectName, int32_t objectType, int32_t action,
                                int32_t rights) = 0;

    [[nodiscard]] virtual bool readOnly() const = 0;
    // Ends the session; every later call throws Err::ObjectClosed. A provider
    // that writes its changes at the end of the session does it here: when
    // that fails it throws, and the description says what was not changed.
    virtual void close() = 0;
    // What the end of the session leaves for the user to know, read after a
    // close() that succeeded; empty when there is nothing to say (for a real
    // Jet file that was changed: where its earlier version is kept).
    [[nodiscard]] virtual std::string closeReport() const { return {}; }
};

// The kind of database a file holds, by its first bytes.
enum class FileKind { Missing, Unreadable, Jet, Store, Unknown };
[[nodiscard]] FileKind probeFile(const std::string& path);

// Opens the database a request names, choosing the provider by the file's
// content, then checks workgroup and credentials. Throws jet::Error.
[[nodiscard]] std::shared_ptr<Backend> openBackend(const OpenRequest& request);

// Provider entry points (one per provider; openBackend dispatches to them).
// Each opens the database file, checks the database password and the mode
// (ReadWrite on a database that cannot be changed fails with Err::ReadOnly), and
// keeps `workgroup` (null when none is named) for users, groups and accounts.
// The user's log-on is checked by openBackend afterwards.
// A ReadWrite session on a real Jet file is the reader's session handed by
// openBackend to the writer (jet/writer/FileProvider.h).
namespace store {
[[nodiscard]] std::shared_ptr<Backend> open(const OpenRequest& request,
                                            std::shared_ptr<Workgroup> workgroup);
[[nodiscard]] std::shared_ptr<Workgroup> openWorkgroup(const std::string& path);
// Makes a new empty store database at props.dataSource (with the database
// password when one is named), or a new workgroup when createSystemDatabase is
// set. Fails with Err::DatabaseExists when the file exists.
void create(const ConnectionProperties& props);
}  // namespace store
namespace mdb {
[[nodiscard]] std::shared_ptr<Backend> open(const OpenRequest& request,
                                            std::shared_ptr<Workgroup> workgroup);
[[nodiscard]] std::shared_ptr<Workgroup> openWorkgroup(const std::string& path);
}  // namespace mdb

}  // namespace jet
