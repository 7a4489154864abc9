#pragma once
// A workgroup file (Jet 4 or Access 97) as a write session changes it: its
// accounts (MSysAccounts: Name, SID, FGroup, Password; Jet 4 also OLDSID) and memberships
// (MSysGroups: GroupSID, UserSID, each with an index of its own), read
// through the page codec when the session's first account statement runs,
// changed in memory statement by statement, each all or nothing with Jet's
// errors, and written once at the end through the safe replacement the
// database takes (a new file, checked by the codec's checker and read back
// by the reader, the original kept as a backup, an atomic rename).
//
// Only what the workgroup's own rows show how to write is written. A new
// account gets a security ID of the shape Jet gives one made without a
// personal ID (FE, n, then len(name) + n random bytes), unique in the file;
// its password field holds what the file's accounts without a password hold
// (the cipher of other passwords is not known); every other field is taken
// from the file's accounts of its kind. Personal IDs, passwords, and
// removing accounts or memberships are refused at their statement, as is a
// new user in a workgroup that holds no account to learn an empty password
// from: every Access 97 workgroup measured (no user of one shows it).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/FieldValue.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/PageFile.h"
#include "jet/file/SafeReplace.h"
#include "jet/file/SessionLock.h"
#include "jet/statement/Statement.h"

namespace jet::file {

// An account as the session leaves it; the SID is its bytes.
struct WorkgroupAccount {
    std::string name;
    std::string sid;
    bool group = false;
    bool created = false;  // made by this session
};

struct WorkgroupMembership {
    std::string groupSid, userSid;
    friend bool operator==(const WorkgroupMembership&, const WorkgroupMembership&) = default;
};

class WorkgroupFile {
public:
    // Engages the workgroup at `path` for writing: its lock (refused while
    // NAME.ldb is beside it), a Jet 4 or Jet 3 file whose MSysAccounts and MSysGroups
    // re-encode to their own bytes. Throws jet::Error naming the file and the
    // reason; nothing is changed.
    explicit WorkgroupFile(const std::string& path);
    ~WorkgroupFile();
    WorkgroupFile(const WorkgroupFile&) = delete;
    WorkgroupFile& operator=(const WorkgroupFile&) = delete;

    // The path the connection names.
    [[nodiscard]] const std::string& path() const { return path_; }

    // Runs an account statement (statement::isAccountStatement) on the
    // model. Throws jet::Error, Jet's where Jet has one; a failed statement
    // changes nothing.
    void execute(const statement::Statement& st);

    [[nodiscard]] bool changed() const { return !newAccounts_.empty() || !newMembers_.empty(); }
    [[nodiscard]] std::vector<WorkgroupAccount> accounts() const;
    [[nodiscard]] std::vector<WorkgroupMembership> memberships() const;
    // The SID (bytes) of the user or group named `name`, or nullopt.
    [[nodiscard]] std::optional<std::string> sidOf(std::string_view name, bool group) const;
    // The names of the accounts the session made, users first.
    [[nodiscard]] std::vector<std::string> createdNames() const;

    // Writes the changes into a new file beside the workgroup, verifies it
    // and puts it in the workgroup's place; returns the backup's path (empty
    // when nothing changed). Throws ReplaceError (see safeReplace) or
    // FormatError when the changes cannot be laid out; the workgroup is then
    // untouched unless the ReplaceError says otherwise.
    std::string write(const ReplaceHooks& hooks = {});

private:
    struct Columns {
        size_t name = 0, sid = 0, group = 0, password = 0;
    };
    using Row = std::vector<FieldValue>;

    void learn();
    [[nodiscard]] const Row* find(std::string_view name) const;
    [[nodiscard]] bool isMember(const std::string& groupSid, const std::string& userSid) const;
    [[nodiscard]] std::string newSid(std::string_view name) const;
    void createAccounts(const std::vector<statement::Account>& list, bool group);
    void addMembers(const std::vector<std::string>& users, const std::string& group);
    void provable(const StoredTable& table, const Row& row, std::string_view what,
                  std::string_view name) const;
    void plan();
    [[nodiscard]] std::vector<std::string> verify(const std::string& newFile) const;

    std::string path_;
    std::unique_ptr<SessionLock> lock_;
    std::unique_ptr<PageFile> file_;
    uint32_t accountsPage_ = 0, groupsPage_ = 0;
    StoredTable accounts_, groups_;
    Columns col_;
    size_t groupSidCol_ = 0, userSidCol_ = 0;
    // What a new user's and a new group's row hold before its name and SID.
    std::optional<Row> userTemplate_, groupTemplate_;
    // Why there is none, when there is none.
    std::string userRefusal_, groupRefusal_;
    uint8_t sidLength_ = 0x13;
    std::vector<Row> newAccounts_;
    std::vector<Row> newMembers_;
    bool planned_ = false;
};

}  // namespace jet::file
