#pragma once
// A store workgroup: a SQLite file of its own holding users, groups,
// memberships and password hashes. Names are unique across users and groups,
// without regard to case.
#include <memory>
#include <string>

#include "jet/Backend.h"
#include "jet/store/Sqlite.h"

namespace jet::store {

class StoreWorkgroup final : public Workgroup {
public:
    // Opens an existing workgroup file; throws Err::WorkgroupMissing or
    // Err::WorkgroupInvalid.
    explicit StoreWorkgroup(const std::string& path);

    // Makes a new workgroup file with the accounts every workgroup starts with.
    static void create(const std::string& path);

    [[nodiscard]] const std::string& path() const override { return path_; }
    [[nodiscard]] std::vector<PrincipalData> users() override;
    [[nodiscard]] std::vector<PrincipalData> groups() override;
    void logOn(std::string_view user, std::string_view password) override;
    void createUser(std::string_view name, std::string_view password, std::string_view pid) override;
    void createGroup(std::string_view name, std::string_view pid) override;
    void dropUser(std::string_view name) override;
    void dropGroup(std::string_view name) override;
    void addMember(std::string_view user, std::string_view group) override;
    void removeMember(std::string_view user, std::string_view group) override;
    [[nodiscard]] uint64_t version() const override;

    // ALTER USER … PASSWORD: the old password must match (Err::LogonFailed).
    void changePassword(std::string_view user, std::string_view newPassword,
                        std::string_view oldPassword);

private:
    void writable() const;
    [[nodiscard]] std::vector<PrincipalData> principals(bool groups);
    // Row id of an account of the kind; 0 when there is none.
    [[nodiscard]] int64_t accountId(std::string_view name, bool group);
    void changed();
    // SQLite's count of the file's changes by other connections.
    [[nodiscard]] int64_t dataVersion() const;

    std::string path_;
    bool readOnly_ = false;
    std::unique_ptr<sql::Db> db_;
    mutable uint64_t version_ = 1;
    mutable int64_t dataVersion_ = 0;
};

}  // namespace jet::store
