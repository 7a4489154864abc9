// Workgroups, log-on, database passwords, permissions, modes and sessions.
#include <unistd.h>

#include <sys/stat.h>

#include "StoreTestSupport.h"

namespace {

using storetest::Db;
using storetest::errorOf;
using storetest::framed;
using jet::testing::storeConnectionString;

std::vector<std::string> names(const std::vector<jet::PrincipalData>& list) {
    std::vector<std::string> out;
    for (const auto& p : list) out.push_back(p.name);
    return out;
}

const jet::PrincipalData& find(const std::vector<jet::PrincipalData>& list, std::string_view n) {
    for (const auto& p : list)
        if (p.name == n) return p;
    throw std::runtime_error("no principal " + std::string(n));
}

TEST(StoreSecurity, NewWorkgroupHoldsTheStandardAccounts) {
    testsupport::TempDir dir;
    jet::testing::buildWorkgroup(dir.file("w.sdw"));
    auto wg = jet::openWorkgroup(dir.file("w.sdw"));
    EXPECT_EQ(names(wg->users()),
              (std::vector<std::string>{"admin", "guest", "Engine", "Creator"}));
    EXPECT_EQ(names(wg->groups()), (std::vector<std::string>{"Admins", "Users", "Guests"}));
    EXPECT_EQ(find(wg->users(), "admin").members, (std::vector<std::string>{"Admins", "Users"}));
    EXPECT_EQ(find(wg->groups(), "Users").members, (std::vector<std::string>{"admin"}));
    EXPECT_NO_THROW(wg->logOn("ADMIN", ""));
    EXPECT_NO_THROW(wg->logOn("guest", ""));
    // Jet's own accounts, as every real workgroup holds them: in no group, and
    // nobody logs on as them.
    for (const char* internal : {"Engine", "Creator"}) {
        SCOPED_TRACE(internal);
        EXPECT_EQ(find(wg->users(), internal).members, std::vector<std::string>{});
        EXPECT_EQ(errorOf([&] { wg->logOn(internal, ""); }).number(), jet::hr::AuthFailed);
    }
}

TEST(StoreSecurity, AccountStatementsAsTheGeneratorWritesThem) {
    Db db("", true);
    for (const char* s : {"CREATE GROUP [Staff]", "CREATE USER [ann]", "ADD USER [ann] TO [Staff]",
                          "CREATE USER [bob] pw1 pid1, [cy] pw2", "CREATE GROUP [Temp] gp1",
                          "ADD USER [bob], [cy] TO [Temp]", "DROP USER [cy] FROM [Temp]",
                          "DROP USER [cy]", "DROP GROUP [Temp]"})
        db.exec(framed(s));
    auto users = db.cat.Users();
    ASSERT_EQ(users.Count(), 6);  // admin, ann, bob, Creator, Engine, guest
    auto ann = users.Item("ANN").Groups();
    ASSERT_EQ(ann.Count(), 2);
    EXPECT_EQ(ann.Item(0).Name(), "Users");  // a user made by CREATE USER joins Users
    EXPECT_EQ(ann.Item(1).Name(), "Staff");
    EXPECT_EQ(db.cat.Groups().Item("staff").Users().Item(0).Name(), "ann");
    EXPECT_EQ(db.cat.Groups().Count(), 4);
    auto wg = jet::openWorkgroup(db.workgroup);
    EXPECT_NO_THROW(wg->logOn("bob", "pw1"));
    EXPECT_NO_THROW(wg->logOn("ann", ""));

    const struct {
        const char* statement;
        jet::Err error;
    } refused[] = {
        {"CREATE USER [Staff]", jet::Err::AccountExists},  // unique across users and groups
        {"CREATE GROUP [ANN]", jet::Err::AccountExists},
        {"CREATE USER [x], [X]", jet::Err::AccountExists},
        {"DROP USER [nobody]", jet::Err::AccountNotFound},
        {"DROP USER [ann], [ANN]", jet::Err::AccountNotFound},  // gone after the first
        {"DROP GROUP [Staff], [staff]", jet::Err::AccountNotFound},
        {"DROP GROUP [ann]", jet::Err::AccountNotFound},
        {"ADD USER [ann] TO [Nogroup]", jet::Err::AccountNotFound},
        {"ADD USER [ann] TO [Staff]", jet::Err::AlreadyMember},
        {"DROP USER [bob] FROM [Staff]", jet::Err::NotMember},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.statement);
        const auto before = names(wg->users()).size() + names(wg->groups()).size();
        const auto e = errorOf([&] { db.exec(r.statement); });
        EXPECT_EQ(e.description().rfind(storetest::textOf(r.error), 0), 0u) << e.description();
        EXPECT_EQ(names(wg->users()).size() + names(wg->groups()).size(), before);
    }
}

TEST(StoreSecurity, LogOnChecksUserAndPassword) {
    testsupport::TempDir dir;
    const auto wg = dir.file("w.sdw");
    const auto db = dir.file("d.sdb");
    jet::testing::buildWorkgroup(wg, "CREATE USER [ann] [s3cret]");
    jet::testing::buildStore(db, "", wg);
    jet::Connection c;
    EXPECT_NO_THROW(c.Open(storeConnectionString(db, wg, "ann", "s3cret")));
    c.Close();
    for (auto [user, password] : {std::pair{"ann", "wrong"}, {"ann", ""}, {"nobody", ""}, {"ANN", "S3CRET"}}) {
        SCOPED_TRACE(user);
        const auto e = errorOf([&] { c.Open(storeConnectionString(db, wg, user, password)); });
        EXPECT_EQ(e.number(), jet::hr::AuthFailed);
        EXPECT_EQ(e.description(), jet::makeError(jet::Err::LogonFailed).description());
        EXPECT_EQ(c.State(), jet::ObjectState::Closed);
    }
    // ALTER USER … PASSWORD new old: the old one must match.
    c.Open(storeConnectionString(db, wg, "ann", "s3cret"));
    EXPECT_EQ(errorOf([&] { c.Execute("ALTER USER [ann] PASSWORD [n3w] [bad]"); }).number(),
              jet::hr::AuthFailed);
    c.Execute("ALTER USER [ann] PASSWORD [n3w] [s3cret]");
    c.Close();
    EXPECT_THROW(c.Open(storeConnectionString(db, wg, "ann", "s3cret")), jet::Error);
    EXPECT_NO_THROW(c.Open(storeConnectionString(db, wg, "ann", "n3w")));
}

TEST(StoreSecurity, DatabasePasswordIsNeededToOpen) {
    testsupport::TempDir dir;
    const auto db = dir.file("d.sdb");
    jet::testing::buildStore(db, "CREATE TABLE [T] ([A] LONG)", "", "Tr1cky;pass");
    jet::Connection c;
    for (const char* bad : {"", "wrong", "tr1cky;pass"}) {
        SCOPED_TRACE(bad);
        const auto e = errorOf([&] { c.Open(storeConnectionString(db, "", "", "", bad)); });
        EXPECT_EQ(e.description(), jet::makeError(jet::Err::BadDatabasePassword).description());
    }
    c.Open(storeConnectionString(db, "", "", "", "Tr1cky;pass"));
    EXPECT_EQ(errorOf([&] { c.Execute("ALTER DATABASE PASSWORD [other] [wrong]"); }).description(),
              jet::makeError(jet::Err::BadDatabasePassword).description());
    c.Execute("ALTER DATABASE PASSWORD [other] [Tr1cky;pass]");
    c.Close();
    EXPECT_THROW(c.Open(storeConnectionString(db, "", "", "", "Tr1cky;pass")), jet::Error);
    c.Open(storeConnectionString(db, "", "", "", "other"));
    c.Execute("ALTER DATABASE PASSWORD NULL [other]");
    c.Close();
    EXPECT_NO_THROW(c.Open(storeConnectionString(db)));
}

TEST(StoreSecurity, NoPasswordIsStoredInClear) {
    testsupport::TempDir dir;
    const auto wg = dir.file("w.sdw");
    const auto db = dir.file("d.sdb");
    const std::string userPassword = "UserPassw0rdXyzzy";
    const std::string pid = "PersonalIdQuux42";
    const std::string dbPassword = "DbPassw0rdPlugh";
    jet::testing::buildWorkgroup(wg, "CREATE USER [ann] " + userPassword + " " + pid);
    jet::testing::buildStore(db, "CREATE TABLE [T] ([A] LONG)", wg, dbPassword);
    {
        jet::Connection c;
        c.Open(storeConnectionString(db, wg, "ann", userPassword, dbPassword));
        c.Execute("ALTER USER [ann] PASSWORD NewUserSecret77 " + userPassword);
        c.Execute("ALTER DATABASE PASSWORD NewDbSecret88 " + dbPassword);
    }
    for (const auto& file : {wg, db}) {
        const std::string bytes = testsupport::readFile(file);
        for (const std::string& secret :
             {userPassword, pid, dbPassword, std::string("NewUserSecret77"), std::string("NewDbSecret88")})
            EXPECT_EQ(bytes.find(secret), std::string::npos) << secret << " in " << file;
        // Hashes are there instead, also for the empty passwords.
        EXPECT_NE(bytes.find("$argon2id$"), std::string::npos) << file;
    }
}

TEST(StoreSecurity, UsersAndGroupsNeedAWorkgroup) {
    Db db("CREATE TABLE [T] ([A] LONG)");
    const auto noWorkgroup = jet::makeError(jet::Err::NoWorkgroup).description();
    EXPECT_EQ(errorOf([&] { (void)db.cat.Users(); }).description(), noWorkgroup);
    EXPECT_EQ(errorOf([&] { (void)db.cat.Groups(); }).description(), noWorkgroup);
    for (const char* s : {"CREATE USER [u]", "CREATE GROUP [g]", "ADD USER [admin] TO [Users]",
                          "GRANT SELECT ON TABLE [T] TO [admin]"})
        EXPECT_EQ(errorOf([&] { db.exec(s); }).description(), noWorkgroup) << s;
    EXPECT_EQ(errorOf([&] {
                  (void)db.conn.backend()->getPermissions(jet::PrincipalKind::User, "admin", "T", 1);
              }).description(),
              noWorkgroup);
    // A user other than admin cannot log on without a workgroup.
    jet::Connection c;
    EXPECT_EQ(errorOf([&] { c.Open(storeConnectionString(db.path, "", "ann")); }).number(),
              jet::hr::AuthFailed);
}

TEST(StoreSecurity, PermissionsByActionAndObjectType) {
    Db db(R"(
CREATE TABLE [T] ([A] LONG);
CREATE VIEW [V] AS SELECT * FROM [T];
CREATE PROCEDURE [P] AS DELETE FROM [T];
CREATE GROUP [Staff];
CREATE USER [ann];
)",
          true);
    auto ann = db.cat.Users().Item("ann");
    auto staff = db.cat.Groups().Item("Staff");
    using namespace jet;
    EXPECT_EQ(ann.GetPermissions("T", objtype::Table), 0);  // nothing granted yet
    ann.SetPermissions("T", objtype::Table, access::Set, right::Read | right::Insert);
    EXPECT_EQ(ann.GetPermissions("t", objtype::Table), right::Read | right::Insert);
    ann.SetPermissions("T", objtype::Table, access::Grant, right::Delete);
    EXPECT_EQ(ann.GetPermissions("T", objtype::Table), right::Read | right::Insert | right::Delete);
    ann.SetPermissions("T", objtype::Table, access::Revoke, right::Insert);
    ann.SetPermissions("T", objtype::Table, access::Deny, right::Delete);
    EXPECT_EQ(ann.GetPermissions("T", objtype::Table), right::Read);
    EXPECT_LT(ann.GetPermissions("T", objtype::Table), 0);  // the top bit is a right
    // The database: the name is ignored.
    staff.SetPermissions("", objtype::Database, access::Grant, 8);
    EXPECT_EQ(staff.GetPermissions("Database", objtype::Database), 8);
    staff.SetPermissions("V", objtype::View, access::Set, right::Read);
    staff.SetPermissions("P", objtype::Procedure, access::Set, right::Execute);
    ann.SetPermissions("T.A", objtype::Column, access::Set, right::Update);
    EXPECT_EQ(staff.GetPermissions("v", objtype::View), right::Read);
    EXPECT_EQ(staff.GetPermissions("P", objtype::Procedure), right::Execute);
    EXPECT_EQ(ann.GetPermissions("T.A", objtype::Column), right::Update);
    // The users' rights are not the group's.
    EXPECT_EQ(staff.GetPermissions("T", objtype::Table), 0);

    const struct {
        std::string_view object;
        int32_t type;
    } missing[] = {{"Nope", objtype::Table}, {"V", objtype::Procedure}, {"P", objtype::View},
                   {"T.Nope", objtype::Column}, {"T", objtype::View}};
    for (const auto& m : missing)
        EXPECT_EQ(errorOf([&] { ann.SetPermissions(m.object, m.type, access::Set, 1); }).number(),
                  hr::NoTable)
            << m.object;
    auto ghost = errorOf([&] {
        (void)db.conn.backend()->getPermissions(PrincipalKind::User, "ghost", "T", objtype::Table);
    });
    EXPECT_EQ(ghost.description(), makeError(Err::AccountNotFound, {"ghost"}).description());
    // A group is not a user.
    EXPECT_THROW((void)db.conn.backend()->getPermissions(PrincipalKind::User, "Staff", "", 3), Error);

    // GRANT and REVOKE with Jet's privileges.
    db.exec("GRANT SELECT, UPDATE, DELETE ON TABLE [T] TO [Staff], [ann]");
    EXPECT_EQ(staff.GetPermissions("T", objtype::Table), right::Read | right::Update | right::Delete);
    db.exec("REVOKE DELETE ON OBJECT [T] FROM [Staff]");
    EXPECT_EQ(staff.GetPermissions("T", objtype::Table), right::Read | right::Update);
    db.exec("GRANT SELECT ON TABLE [V] TO [ann]");
    EXPECT_EQ(ann.GetPermissions("V", objtype::View), right::Read);
    db.exec("GRANT CREATE ON CONTAINER [Tables] TO [ann]");
    EXPECT_EQ(ann.GetPermissions("", objtype::Database), right::Create);
    EXPECT_EQ(errorOf([&] { db.exec("GRANT SELECT ON TABLE [T] TO [ghost]"); }).number(),
              errorEntry(Err::AccountNotFound).number);

    // Dropping an object or a principal drops its entries.
    db.exec("DROP TABLE [T]");
    db.exec("DROP USER [ann]");
    db.exec("CREATE TABLE [T] ([A] LONG)");
    db.exec("CREATE USER [ann]");
    auto again = db.cat.Users().Item("ann");
    EXPECT_EQ(again.GetPermissions("T", objtype::Table), 0);
    EXPECT_EQ(again.GetPermissions("", objtype::Database), 0);
    EXPECT_EQ(db.cat.Groups().Item("Staff").GetPermissions("T", objtype::Table), 0);
}

// A session looks accounts up in what it last read of the workgroup; an
// account another connection makes or drops counts at once.
TEST(StoreSecurity, AccountsChangedByAnotherConnectionCountForPermissions) {
    Db db("CREATE TABLE [T] ([A] LONG)", true);
    auto* backend = db.conn.backend().get();
    const auto rightsOf = [&](const char* user) {
        return backend->getPermissions(jet::PrincipalKind::User, user, "T", jet::objtype::Table);
    };
    const auto notFound = [&](const char* user) {
        return jet::makeError(jet::Err::AccountNotFound, {user}).description();
    };
    EXPECT_EQ(rightsOf("admin"), 0);
    EXPECT_EQ(errorOf([&] { (void)rightsOf("late"); }).description(), notFound("late"));
    jet::Connection other;
    other.Open(storeConnectionString(db.path, db.workgroup));
    other.Execute("CREATE USER [late]");
    EXPECT_EQ(rightsOf("LATE"), 0);
    db.exec("GRANT SELECT ON TABLE [T] TO [late]");
    EXPECT_EQ(rightsOf("late"), jet::right::Read);
    other.Execute("DROP USER [late]");
    EXPECT_EQ(errorOf([&] { (void)rightsOf("late"); }).description(), notFound("late"));
    EXPECT_EQ(errorOf([&] { db.exec("GRANT SELECT ON TABLE [T] TO [late]"); }).description(),
              notFound("late"));
}

TEST(StoreSecurity, ReadModeRefusesEveryChangeBeforeTouchingAnything) {
    Db db("CREATE TABLE [T] ([A] LONG); CREATE USER [ann]", true);
    db.conn.Close();
    const std::string bytes = testsupport::readFile(db.path);
    jet::Connection c;
    c.Mode(jet::ConnectMode::Read);
    c.Open(storeConnectionString(db.path, db.workgroup));
    jet::Catalog cat;
    cat.ActiveConnection(c);
    EXPECT_TRUE(c.backend()->readOnly());
    EXPECT_EQ(cat.Tables().Item("T").Columns().Count(), 1);
    const auto readOnly = jet::makeError(jet::Err::ReadOnly).description();
    for (const char* s : {"DROP TABLE [T]", "INSERT INTO [T] VALUES (1)", "CREATE INDEX [I] ON [T] ([A])",
                          "CREATE USER [bob]", "ALTER DATABASE PASSWORD [x] NULL"})
        EXPECT_EQ(errorOf([&] { c.Execute(s); }).description(), readOnly) << s;
    EXPECT_EQ(errorOf([&] {
                  cat.Tables().Item("T").Columns().Item(0).Properties().Item(2).Value(std::string("x"));
              }).description(),
              readOnly);
    EXPECT_EQ(errorOf([&] {
                  cat.Users().Item("ann").SetPermissions("T", 1, jet::access::Set, 1);
              }).description(),
              readOnly);
    EXPECT_EQ(c.Execute("SELECT * FROM [T]"), -1);
    c.Close();
    EXPECT_EQ(testsupport::readFile(db.path), bytes);
}

TEST(StoreSecurity, ReadOnlyFileFailsReadWriteOpen) {
    if (::geteuid() == 0) GTEST_SKIP() << "file modes do not bind the superuser";
    Db db("CREATE TABLE [T] ([A] LONG)");
    db.conn.Close();
    ASSERT_EQ(::chmod(db.path.c_str(), 0444), 0);
    jet::Connection c;
    c.Mode(jet::ConnectMode::ReadWrite);
    EXPECT_EQ(errorOf([&] { c.Open(storeConnectionString(db.path)); }).description(),
              jet::makeError(jet::Err::ReadOnly).description());
    jet::Connection any;
    any.Open(storeConnectionString(db.path));
    EXPECT_TRUE(any.backend()->readOnly());
    EXPECT_THROW(any.Execute("DROP TABLE [T]"), jet::Error);
}

TEST(StoreSecurity, ClosedSessionRefusesEveryCall) {
    Db db("CREATE TABLE [T] ([A] LONG)");
    auto backend = db.conn.backend();
    db.conn.Close();
    const auto closed = jet::makeError(jet::Err::ObjectClosed).description();
    EXPECT_EQ(errorOf([&] { (void)backend->catalog(); }).description(), closed);
    EXPECT_EQ(errorOf([&] { backend->execute("DROP TABLE [T]"); }).description(), closed);
    EXPECT_EQ(errorOf([&] { backend->setColumnProperty("T", "A", 2, std::string("x")); }).description(),
              closed);
    EXPECT_EQ(errorOf([&] { (void)backend->getPermissions(jet::PrincipalKind::User, "admin", "", 3); })
                  .description(),
              closed);
    EXPECT_EQ(errorOf([&] { backend->close(); }).description(), closed);
}

TEST(StoreSecurity, CreateRefusesAnExistingFileAndMakesWorkgroups) {
    testsupport::TempDir dir;
    const auto path = dir.file("x.sdb");
    jet::Catalog::Create(storeConnectionString(path));
    EXPECT_EQ(errorOf([&] { jet::Catalog::Create(storeConnectionString(path)); }).description(),
              jet::makeError(jet::Err::DatabaseExists, {path}).description());
    const auto wg = dir.file("x.sdw");
    jet::Catalog::Create(storeConnectionString(wg) + ";Jet OLEDB:Create System Database=True");
    EXPECT_EQ(jet::openWorkgroup(wg)->users().size(), 4u);  // admin, guest, Engine, Creator
    // Each file is of its kind.
    EXPECT_EQ(errorOf([&] { (void)jet::openWorkgroup(path); }).description(),
              jet::makeError(jet::Err::WorkgroupInvalid, {path}).description());
    jet::Connection c;
    EXPECT_EQ(errorOf([&] { c.Open(storeConnectionString(wg)); }).description(),
              jet::makeError(jet::Err::UnknownFormat, {wg}).description());
}

}  // namespace
