#include "jet/store/StoreWorkgroup.h"

#include <filesystem>
#include <optional>

#include "jet/Error.h"
#include "jet/statement/Names.h"
#include "jet/store/Metadata.h"
#include "jet/store/Password.h"
#include "text/CaseFold.h"

namespace jet::store {

using namespace statement;

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE MSysWorkgroup(Property TEXT PRIMARY KEY, Value TEXT);
CREATE TABLE MSysAccounts(Id INTEGER PRIMARY KEY, Folded TEXT NOT NULL UNIQUE, Name TEXT NOT NULL,
  IsGroup INTEGER NOT NULL, PasswordHash TEXT, Sid TEXT NOT NULL);
CREATE TABLE MSysGroupMembers(Id INTEGER PRIMARY KEY, UserId INTEGER NOT NULL,
  GroupId INTEGER NOT NULL, UNIQUE(UserId, GroupId));
)sql";

// A user without a password (nullopt) cannot log on.
void insertAccount(sql::Db& db, std::string_view name, bool group,
                   std::optional<std::string_view> password, std::string_view pid) {
    auto& s = db.cached(
        "INSERT INTO MSysAccounts(Folded, Name, IsGroup, PasswordHash, Sid) VALUES(?,?,?,?,?)");
    s.args(text::fold(name), name, group);
    if (group || !password)
        s.bindNull(4);
    else
        s.bind(4, std::string_view(hashPassword(*password)));
    s.bind(5, std::string_view(securityId(name, pid)));
    s.run();
}

}  // namespace

StoreWorkgroup::StoreWorkgroup(const std::string& path) : path_(path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) raise(Err::WorkgroupMissing, {path});
    readOnly_ = !sql::canWrite(path);
    try {
        db_ = std::make_unique<sql::Db>(path,
                                        readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
        sqlite3_busy_timeout(db_->handle(), 5000);
        if (db_->scalar("SELECT count(*) FROM sqlite_master WHERE type='table' AND "
                        "name='MSysWorkgroup'") == 0)
            raise(Err::WorkgroupInvalid, {path});
        auto s = db_->prepare("SELECT Value FROM MSysWorkgroup WHERE Property='Format'");
        if (!s.step() || s.text(0) != kWorkgroupFormat) raise(Err::WorkgroupInvalid, {path});
        dataVersion_ = dataVersion();
    } catch (const Error&) {
        // A damaged file or a database of another kind: not a workgroup.
        raise(Err::WorkgroupInvalid, {path});
    }
}

void StoreWorkgroup::create(const std::string& path) {
    std::unique_ptr<sql::Db> made;
    try {
        made = std::make_unique<sql::Db>(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    } catch (const Error& e) {
        raise(Err::CannotCreate, {path, e.description()});
    }
    sql::Db& db = *made;
    sql::Transaction tx(db);
    db.exec(kSchema);
    db.cached("INSERT INTO MSysWorkgroup(Property, Value) VALUES('Format', ?)")
        .args(kWorkgroupFormat)
        .run();
    insertAccount(db, "admin", false, "", "");
    insertAccount(db, "guest", false, "", "");
    insertAccount(db, "Admins", true, "", "");
    insertAccount(db, "Users", true, "", "");
    insertAccount(db, "Guests", true, "", "");
    // Jet's own accounts, which every Jet workgroup holds in no group. Nobody
    // logs on as them: they have no password to match.
    for (const char* internal : {"Engine", "Creator"}) insertAccount(db, internal, false, {}, "");
    db.exec(
        "INSERT INTO MSysGroupMembers(UserId, GroupId) "
        "SELECT u.Id, g.Id FROM MSysAccounts u, MSysAccounts g "
        "WHERE u.Folded='admin' AND g.Folded IN ('admins', 'users') ORDER BY g.Id");
    tx.commit();
}

void StoreWorkgroup::writable() const {
    if (readOnly_) raise(Err::ReadOnly);
}

int64_t StoreWorkgroup::dataVersion() const {
    auto& s = db_->cached("PRAGMA data_version");
    const int64_t dv = s.step() ? s.integer(0) : 0;
    s.reset();
    return dv;
}

void StoreWorkgroup::changed() {
    ++version_;
    dataVersion_ = dataVersion();
}

uint64_t StoreWorkgroup::version() const {
    // Another connection's change shows as a new data_version on ours.
    const int64_t dv = dataVersion();
    if (dv != dataVersion_) {
        dataVersion_ = dv;
        ++version_;
    }
    return version_;
}

std::vector<PrincipalData> StoreWorkgroup::principals(bool groups) {
    std::vector<PrincipalData> out;
    std::map<int64_t, size_t> at;
    {
        auto& s = db_->cached("SELECT Id, Name, Sid FROM MSysAccounts WHERE IsGroup=? ORDER BY Id");
        s.args(groups);
        while (s.step()) {
            at[s.integer(0)] = out.size();
            out.push_back({s.text(1), {}, s.text(2)});
        }
        s.reset();
    }
    auto& m = db_->cached(
        "SELECT m.UserId, m.GroupId, u.Name, g.Name FROM MSysGroupMembers m "
        "JOIN MSysAccounts u ON u.Id=m.UserId JOIN MSysAccounts g ON g.Id=m.GroupId ORDER BY m.Id");
    while (m.step()) {
        const int64_t owner = groups ? m.integer(1) : m.integer(0);
        auto it = at.find(owner);
        if (it != at.end()) out[it->second].members.push_back(groups ? m.text(2) : m.text(3));
    }
    m.reset();
    return out;
}

std::vector<PrincipalData> StoreWorkgroup::users() { return principals(false); }
std::vector<PrincipalData> StoreWorkgroup::groups() { return principals(true); }

int64_t StoreWorkgroup::accountId(std::string_view name, bool group) {
    auto& s = db_->cached("SELECT Id FROM MSysAccounts WHERE Folded=? AND IsGroup=?");
    s.args(text::fold(name), group);
    const int64_t id = s.step() ? s.integer(0) : 0;
    s.reset();
    return id;
}

void StoreWorkgroup::logOn(std::string_view user, std::string_view password) {
    // Folded, a name that is not UTF-8 would stand for other names too.
    if (!isValidUtf8(user)) raise(Err::LogonFailed);
    auto& s = db_->cached("SELECT PasswordHash FROM MSysAccounts WHERE Folded=? AND IsGroup=0");
    s.args(text::fold(user));
    std::string hash;
    const bool found = s.step() && !s.isNull(0);
    if (found) hash = s.text(0);
    s.reset();
    if (!found || !verifyPassword(hash, password)) raise(Err::LogonFailed);
}

void StoreWorkgroup::createUser(std::string_view name, std::string_view password,
                                std::string_view pid) {
    writable();
    if (accountId(name, false) || accountId(name, true)) raise(Err::AccountExists, {name});
    sql::Transaction tx(*db_);
    insertAccount(*db_, name, false, password, pid);
    const int64_t id = sqlite3_last_insert_rowid(db_->handle());
    // As in Jet, every new user joins the Users group.
    if (const int64_t users = accountId("Users", true))
        db_->cached("INSERT INTO MSysGroupMembers(UserId, GroupId) VALUES(?,?)")
            .args(id, users)
            .run();
    tx.commit();
    changed();
}

void StoreWorkgroup::createGroup(std::string_view name, std::string_view pid) {
    writable();
    if (accountId(name, false) || accountId(name, true)) raise(Err::AccountExists, {name});
    insertAccount(*db_, name, true, "", pid);
    changed();
}

void StoreWorkgroup::dropUser(std::string_view name) {
    writable();
    const int64_t id = accountId(name, false);
    if (!id) raise(Err::AccountNotFound, {name});
    sql::Transaction tx(*db_);
    db_->cached("DELETE FROM MSysGroupMembers WHERE UserId=?").args(id).run();
    db_->cached("DELETE FROM MSysAccounts WHERE Id=?").args(id).run();
    tx.commit();
    changed();
}

void StoreWorkgroup::dropGroup(std::string_view name) {
    writable();
    const int64_t id = accountId(name, true);
    if (!id) raise(Err::AccountNotFound, {name});
    sql::Transaction tx(*db_);
    db_->cached("DELETE FROM MSysGroupMembers WHERE GroupId=?").args(id).run();
    db_->cached("DELETE FROM MSysAccounts WHERE Id=?").args(id).run();
    tx.commit();
    changed();
}

void StoreWorkgroup::addMember(std::string_view user, std::string_view group) {
    writable();
    const int64_t u = accountId(user, false);
    if (!u) raise(Err::AccountNotFound, {user});
    const int64_t g = accountId(group, true);
    if (!g) raise(Err::AccountNotFound, {group});
    if (db_->cached("SELECT 1 FROM MSysGroupMembers WHERE UserId=? AND GroupId=?")
            .args(u, g)
            .step()) {
        db_->cached("SELECT 1 FROM MSysGroupMembers WHERE UserId=? AND GroupId=?").reset();
        raise(Err::AlreadyMember, {user, group});
    }
    db_->cached("INSERT INTO MSysGroupMembers(UserId, GroupId) VALUES(?,?)").args(u, g).run();
    changed();
}

void StoreWorkgroup::removeMember(std::string_view user, std::string_view group) {
    writable();
    const int64_t u = accountId(user, false);
    if (!u) raise(Err::AccountNotFound, {user});
    const int64_t g = accountId(group, true);
    if (!g) raise(Err::AccountNotFound, {group});
    db_->cached("DELETE FROM MSysGroupMembers WHERE UserId=? AND GroupId=?").args(u, g).run();
    if (db_->changes() == 0) raise(Err::NotMember, {user, group});
    changed();
}

void StoreWorkgroup::changePassword(std::string_view user, std::string_view newPassword,
                                    std::string_view oldPassword) {
    writable();
    logOn(user, oldPassword);
    db_->cached("UPDATE MSysAccounts SET PasswordHash=? WHERE Folded=? AND IsGroup=0")
        .args(hashPassword(newPassword), text::fold(user))
        .run();
    changed();
}

}  // namespace jet::store
