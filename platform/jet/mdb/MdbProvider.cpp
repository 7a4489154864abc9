// The Jet file provider: real Jet 3 / Jet 4 databases and workgroup files,
// read-only. Each file is read whole, once, by the reader process (see
// ReaderProcess.h) and kept for the life of the backend; nothing here hands a
// byte of the file to libmdb in this process.
//
// What the file format does not let the provider check is not checked: the
// password of a user of a real workgroup file (MSysAccounts keeps it in a form
// no documentation describes), so logOn only checks that the user exists.
// Permissions come from the database's MSysACEs, matched to principals by the
// SIDs the workgroup file keeps; a store workgroup keeps no SIDs, so its users
// and groups have no rights on a Jet database (GetPermissions gives 0). Jet 4
// databases store those SIDs masked with a key derived from their header; the
// reader unmasks them (see JetHeader.h), so Jet 3 and Jet 4 files match alike.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "jet/Backend.h"
#include "jet/Error.h"
#include "jet/QueryText.h"
#include "jet/format/JetHeader.h"
#include "jet/mdb/JetRights.h"
#include "jet/mdb/ReaderProcess.h"
#include "text/CaseFold.h"

namespace jet::mdb {

namespace {

void sortNames(std::vector<std::string>& names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return text::compareNoCase(a, b) < 0;
    });
}

class MdbWorkgroup final : public Workgroup {
public:
    MdbWorkgroup(std::string path, const FileSnapshot& s) : path_(std::move(path)) {
        for (const auto& a : s.accounts) {
            PrincipalData p;
            p.name = a.name;
            p.sid = a.sid;
            (a.isGroup ? groups_ : users_).push_back(std::move(p));
        }
        auto bySid = [](std::vector<PrincipalData>& list,
                        const std::string& sid) -> PrincipalData* {
            if (sid.empty()) return nullptr;
            for (auto& p : list)
                if (p.sid == sid) return &p;
            return nullptr;
        };
        for (const auto& m : s.memberships) {
            auto* g = bySid(groups_, m.groupSid);
            auto* u = bySid(users_, m.userSid);
            if (!g || !u) continue;
            if (std::find(u->members.begin(), u->members.end(), g->name) == u->members.end())
                u->members.push_back(g->name);
            if (std::find(g->members.begin(), g->members.end(), u->name) == g->members.end())
                g->members.push_back(u->name);
        }
        for (auto* list : {&users_, &groups_})
            for (auto& p : *list) sortNames(p.members);
    }

    [[nodiscard]] const std::string& path() const override { return path_; }
    [[nodiscard]] std::vector<PrincipalData> users() override { return users_; }
    [[nodiscard]] std::vector<PrincipalData> groups() override { return groups_; }

    void logOn(std::string_view user, std::string_view /*password*/) override {
        // The password cannot be checked against a real workgroup file (see above).
        for (const auto& u : users_)
            if (text::equalNoCase(u.name, user)) return;
        raise(Err::LogonFailed);
    }

    void createUser(std::string_view, std::string_view, std::string_view) override {
        raise(Err::ReadOnly);
    }
    void createGroup(std::string_view, std::string_view) override { raise(Err::ReadOnly); }
    void dropUser(std::string_view) override { raise(Err::ReadOnly); }
    void dropGroup(std::string_view) override { raise(Err::ReadOnly); }
    void addMember(std::string_view, std::string_view) override { raise(Err::ReadOnly); }
    void removeMember(std::string_view, std::string_view) override { raise(Err::ReadOnly); }
    [[nodiscard]] uint64_t version() const override { return 0; }

private:
    std::string path_;
    std::vector<PrincipalData> users_;
    std::vector<PrincipalData> groups_;
};

class MdbBackend final : public Backend {
public:
    MdbBackend(FileSnapshot snapshot, std::shared_ptr<Workgroup> workgroup)
        : snapshot_(std::move(snapshot)), workgroup_(std::move(workgroup)) {
        rebuild();
    }

    [[nodiscard]] std::shared_ptr<const CatalogData> catalog() override {
        checkOpen();
        // The accounts live in the workgroup, which may be a store file that
        // changes; the file's own schema never does.
        if (workgroup_ && workgroup_->version() != workgroupVersion_) rebuild();
        return data_;
    }

    int32_t execute(std::string_view) override {
        checkOpen();
        raise(Err::ReadOnly);
    }

    void setColumnProperty(std::string_view, std::string_view, int, const Variant&) override {
        checkOpen();
        raise(Err::ReadOnly);
    }

    [[nodiscard]] int32_t getPermissions(PrincipalKind kind, std::string_view principal,
                                         std::string_view objectName, int32_t objectType) override {
        checkOpen();
        if (!workgroup_) raise(Err::NoWorkgroup);
        // The accounts the catalog already holds: read from the workgroup again
        // only when it has changed, not on every call of the permission pass.
        const auto data = catalog();
        const auto& principals = kind == PrincipalKind::User ? data->users : data->groups;
        const PrincipalData* who = nullptr;
        for (const auto& p : principals)
            if (text::equalNoCase(p.name, principal)) {
                who = &p;
                break;
            }
        if (!who) raise(Err::AccountNotFound, {principal});
        const SnapshotObject* object = findObject(objectName, objectType);
        if (who->sid.empty()) return right::None;
        int32_t mask = 0;
        for (const auto& ace : snapshot_.aces)
            if (ace.objectId == object->id && ace.sid == who->sid) mask |= ace.mask;
        return adoxRights(mask, objectType);
    }

    void setPermissions(PrincipalKind, std::string_view, std::string_view, int32_t, int32_t,
                        int32_t) override {
        checkOpen();
        raise(Err::ReadOnly);
    }

    [[nodiscard]] bool readOnly() const override { return true; }

    void close() override {
        checkOpen();
        closed_ = true;
    }

private:
    void checkOpen() const {
        if (closed_) raise(Err::ObjectClosed);
    }

    const SnapshotObject* findObject(std::string_view name, int32_t objectType) const {
        int32_t wanted = 0;
        switch (objectType) {
            case objtype::Database:
                wanted = objtype::Database;
                break;
            case objtype::Table:
                wanted = objtype::Table;
                break;
            // Jet keeps views and procedures alike, as saved queries.
            case objtype::View:
            case objtype::Procedure:
                wanted = objtype::Procedure;
                break;
            case objtype::Column:
                raise(Err::NotSupported);
            default:
                raise(Err::InvalidArgument);
        }
        for (const auto& o : snapshot_.objects) {
            if (o.objectType != wanted) continue;
            if (wanted == objtype::Database || text::equalNoCase(o.name, name)) return &o;
        }
        const std::string type = std::to_string(objectType);
        raise(Err::PermissionObjectNotFound,
              {objectType == objtype::Database ? std::string_view("Database") : name, type});
    }

    void rebuild() {
        auto data = std::make_shared<CatalogData>();
        data->tables = snapshot_.tables;
        // The rule the store follows too, so that a query copied between the
        // two kinds of file stays a view or stays a procedure.
        for (const auto& q : snapshot_.queries) addSavedQuery(*data, q.name, q.sql);
        if (workgroup_) {
            workgroupVersion_ = workgroup_->version();
            data->hasWorkgroup = true;
            data->users = workgroup_->users();
            data->groups = workgroup_->groups();
        }
        normalize(*data);
        data_ = std::move(data);
    }

    FileSnapshot snapshot_;
    std::shared_ptr<Workgroup> workgroup_;
    uint64_t workgroupVersion_ = 0;
    std::shared_ptr<const CatalogData> data_;
    bool closed_ = false;
};

// The file and its folder (where the changed copy is made) can be written,
// by their permission bits too: a file or folder made read-only counts as
// such even for a user whom the system would let write it anyway. Throws
// Err::ReadOnly for the file, Err::FolderNotWritable for its folder.
void checkWritable(const std::string& path) {
    const auto folder = std::filesystem::absolute(path).parent_path().string();
    const auto open = [](const std::string& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 && (st.st_mode & 0222) != 0 &&
               ::access(p.c_str(), W_OK) == 0;
    };
    if (!open(path)) raise(Err::ReadOnly);
    if (!open(folder))
        raise(Err::FolderNotWritable, {std::filesystem::path(path).filename().string(), folder});
}

}  // namespace

std::shared_ptr<Backend> open(const OpenRequest& request, std::shared_ptr<Workgroup> workgroup) {
    const auto& path = request.props.dataSource;
    const auto header = format::readHeader(path);
    if (!header) raise(Err::Damaged);
    // A database without a password opens whatever password is given, as Jet does.
    if (!header->password.empty() &&
        request.props.databasePassword.value_or(std::string()) != header->password)
        raise(Err::BadDatabasePassword);
    // A file that cannot be changed fails a request to write it at once; the
    // writer's own checks wait for the first change (FileProvider.h).
    const bool write = request.mode == ConnectMode::ReadWrite;
    if (write) checkWritable(path);
    // Access entries matter only to a workgroup's users and groups.
    auto reply = readInChild(path, workgroup ? ReadMode::Database : ReadMode::Schema);
    if (reply.status != ReadStatus::Ok) raise(Err::Damaged);
    // A session opened for writing is handed to the writer by openBackend.
    return std::make_shared<MdbBackend>(std::move(reply.snapshot), std::move(workgroup));
}

std::shared_ptr<Workgroup> openWorkgroup(const std::string& path) {
    auto reply = readInChild(path, ReadMode::Workgroup);
    if (reply.status != ReadStatus::Ok) raise(Err::WorkgroupInvalid, {path});
    return std::make_shared<MdbWorkgroup>(path, reply.snapshot);
}

}  // namespace jet::mdb
