// Account statements run on copies of an Access-made secured pair (a Jet 4
// database and its workgroup, both encoded): what a fresh session, mdbtools
// and the codec's checker read back from the written workgroup; the rows it
// had kept byte for byte; refusals that leave both files as they were; and a
// run that changes both files, with a replacement failing part-way.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <set>

#include "MdbTools.h"
#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/Error.h"
#include "jet/Types.h"
#include "jet/file/Checker.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/PageEditor.h"
#include "jet/file/PageFile.h"
#include "jet/file/Row.h"
#include "jet/file/SafeReplace.h"
#include "jet/file/TableReader.h"
#include "jet/mdb/ReaderProcess.h"
#include "jet/writer/FileProvider.h"

namespace {

namespace fs = std::filesystem;

// A database and the workgroup it is opened with.
struct Pair {
    const char* database;
    const char* workgroup;
};

const Pair kKontener{"secured/kontener.mdb", "secured/kontener-security.mdw"};
// Access 97: an encoded workgroup of 27 users, 12 groups and 113
// memberships, beside a database of the default workgroup.
const Pair kAccess97{"jackcess/testV1997.mdb", "secured/many-accounts97.mdw"};
// Jet 4, not encoded: a database the writer changes beside the workgroup.
const char* const kPlainDatabase = "jackcess/emptyV2000.mdb";

std::string copyOf(const fs::path& dir, const std::string& fixture) {
    const std::string to = (dir / fs::path(fixture).filename()).string();
    fs::copy_file(testsupport::fixture(fixture), to);
    fs::permissions(to, fs::perms::owner_write, fs::perm_options::add);
    return to;
}

std::string connection(const std::string& db, const std::string& workgroup) {
    std::string s = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db;
    if (!workgroup.empty()) s += ";Jet OLEDB:System database=" + workgroup;
    return s;
}

struct Outcome {
    std::vector<std::string> failures;  // "statement -> description"
    std::string closeError;
    std::string report;
};

Outcome session(const std::string& db, const std::string& workgroup,
                const std::vector<std::string>& statements) {
    Outcome o;
    jet::Connection c;
    c.Mode(jet::ConnectMode::ReadWrite);
    c.Open(connection(db, workgroup));
    for (const auto& s : statements) {
        try {
            c.Execute(s);
        } catch (const jet::Error& e) {
            o.failures.push_back(s + " -> " + e.description());
        }
    }
    try {
        c.Close();
        o.report = c.CloseReport();
    } catch (const jet::Error& e) {
        o.closeError = e.description();
    }
    return o;
}

// Each account with its groups or users, through a fresh read-only session.
std::map<std::string, std::set<std::string>> principals(const std::string& db,
                                                        const std::string& workgroup, bool groups) {
    jet::Catalog cat;
    cat.ActiveConnection(connection(db, workgroup));
    std::map<std::string, std::set<std::string>> out;
    if (groups) {
        const auto list = cat.Groups();
        for (int32_t i = 0; i < list.Count(); ++i) {
            const auto g = list.Item(i);
            auto& members = out[g.Name()];
            const auto users = g.Users();
            for (int32_t k = 0; k < users.Count(); ++k) members.insert(users.Item(k).Name());
        }
    } else {
        const auto list = cat.Users();
        for (int32_t i = 0; i < list.Count(); ++i) {
            const auto u = list.Item(i);
            auto& member = out[u.Name()];
            const auto of = u.Groups();
            for (int32_t k = 0; k < of.Count(); ++k) member.insert(of.Item(k).Name());
        }
    }
    return out;
}

// The stored bytes of every row of a table, by row id.
std::map<uint32_t, std::vector<uint8_t>> rowBytes(const std::string& path, const char* table) {
    jet::file::PageFile file(path);
    const jet::file::FileCatalog catalog(file);
    const auto def = jet::file::TableDefinition::read(file, catalog.tablePage(table));
    std::map<uint32_t, std::vector<uint8_t>> out;
    jet::file::TableReader(file, def).forEachRow(
        [&](const jet::file::TableRow& r) { out[r.rowId].assign(r.bytes.begin(), r.bytes.end()); });
    return out;
}

// Account name -> (SID, password) as the codec reads them.
std::map<std::string, std::pair<std::string, std::string>> accountFields(const std::string& path) {
    jet::file::PageFile file(path);
    const jet::file::FileCatalog catalog(file);
    const jet::file::StoredTable t(file, "MSysAccounts", catalog.tablePage("MSysAccounts"));
    std::map<std::string, std::pair<std::string, std::string>> out;
    for (const auto& r : t.rows)
        out[jet::file::asText(r.values[t.column("Name")])] = {
            std::string(jet::file::asBinary(r.values[t.column("SID")])),
            std::string(jet::file::asBinary(r.values[t.column("Password")]))};
    return out;
}

std::vector<jet::file::Finding> checkWorkgroup(const std::string& path) {
    jet::file::PageFile file(path);
    const jet::file::FileCatalog catalog(file);
    return jet::file::Checker(file).check({{"MSysAccounts", catalog.tablePage("MSysAccounts")},
                                           {"MSysGroups", catalog.tablePage("MSysGroups")}});
}

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename());
    std::sort(out.begin(), out.end());
    return out;
}

// The workgroup at `path` with the password field of account `name` set to
// `password`, written in place through the codec (a fixture the test makes).
void setPassword(const std::string& path, const std::string& name, const std::string& password) {
    using namespace jet::file;
    PageFile file(path);
    const FileCatalog catalog(file);
    const StoredTable t(file, "MSysAccounts", catalog.tablePage("MSysAccounts"));
    PageEditor pages(file);
    const TableDefinition& def = t.definition();
    RowEditor rows(pages, def.firstPage(), def.ownedPages, def.freeSpacePages);
    for (const auto& r : t.rows)
        if (asText(r.values[t.column("Name")]) == name) {
            auto values = r.values;
            values[t.column("Password")] = jet::Binary{password};
            rows.update(r.rowId, encodeRow(def, values, nullptr));
        }
    rows.finish();
    pages.finish();
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    for (uint32_t n : file.changedPages()) {
        const Bytes b = file.stored(n);
        ASSERT_EQ(::pwrite(fd, b.data(), b.size(), static_cast<off_t>(n) * file.pageSize()),
                  static_cast<ssize_t>(b.size()));
    }
    ::close(fd);
}

class WorkgroupWriter : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_FIXTURES();
        const Pair& p = pair();
        db_ = copyOf(dir_.path(), p.database);
        wg_ = copyOf(dir_.path(), p.workgroup);
        dbBytes_ = testsupport::readFile(db_);
        wgBytes_ = testsupport::readFile(wg_);
        files_ = {fs::path(p.workgroup).filename(), fs::path(p.database).filename()};
        std::sort(files_.begin(), files_.end());
    }
    void TearDown() override { jet::file::setReplaceHooks({}); }
    [[nodiscard]] virtual const Pair& pair() const { return kKontener; }

    void expectUntouched() {
        EXPECT_EQ(testsupport::readFile(db_), dbBytes_);
        EXPECT_EQ(testsupport::readFile(wg_), wgBytes_);
        EXPECT_EQ(filesIn(dir_.path()), files_);
    }

    testsupport::TempDir dir_;
    std::string db_, wg_, dbBytes_, wgBytes_;
    std::vector<std::string> files_;
};

TEST_F(WorkgroupWriter, MadeAccountsAndMembershipsReadBackEverywhere) {
    const auto before = accountFields(wg_);
    const auto oldRows = rowBytes(wg_, "MSysAccounts");
    const Outcome o =
        session(db_, wg_,
                {"CREATE USER [Anvar]", "CREATE GROUP [Hisobchilar]",
                 "ADD USER [Anvar], [Hunter] TO [Hisobchilar]", "ADD USER [Anvar] TO [Admins]"});
    ASSERT_TRUE(o.failures.empty()) << o.failures.front();
    ASSERT_EQ(o.closeError, "");
    EXPECT_NE(o.report.find("Accounts made: Anvar, Hisobchilar"), std::string::npos) << o.report;
    EXPECT_NE(o.report.find("security IDs are new"), std::string::npos) << o.report;

    // A run that changes only the workgroup leaves the database as it was.
    EXPECT_EQ(testsupport::readFile(db_), dbBytes_);
    const auto files = filesIn(dir_.path());
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].rfind("kontener-security-backup-", 0), 0u) << files[0];
    EXPECT_EQ(testsupport::readFile(dir_.path() / files[0]), wgBytes_);

    // A fresh session with the workgroup.
    const auto users = principals(db_, wg_, false);
    const auto groups = principals(db_, wg_, true);
    ASSERT_TRUE(users.count("Anvar"));
    EXPECT_EQ(users.at("Anvar"), (std::set<std::string>{"Admins", "Hisobchilar", "Users"}));
    EXPECT_EQ(users.at("Hunter"), (std::set<std::string>{"Admins", "Hisobchilar", "Users"}));
    ASSERT_TRUE(groups.count("Hisobchilar"));
    EXPECT_EQ(groups.at("Hisobchilar"), (std::set<std::string>{"Anvar", "Hunter"}));

    // The codec: the accounts the workgroup had keep every byte of their
    // rows; the new ones have SIDs of Jet's shape and the empty password.
    const auto after = accountFields(wg_);
    for (const auto& [id, bytes] : oldRows) {
        const auto now = rowBytes(wg_, "MSysAccounts");
        ASSERT_TRUE(now.count(id));
        EXPECT_EQ(now.at(id), bytes) << "row " << id;
    }
    for (const auto& [name, fields] : before) EXPECT_EQ(after.at(name), fields) << name;
    std::set<std::string> sids;
    for (const auto& [name, fields] : after) sids.insert(fields.first);
    EXPECT_EQ(sids.size(), after.size()) << "every SID is its own";
    for (const char* name : {"Anvar", "Hisobchilar"}) {
        const std::string& sid = after.at(name).first;
        ASSERT_EQ(sid.size(), 2 + std::string(name).size() + 0x13) << name;
        EXPECT_EQ(static_cast<uint8_t>(sid[0]), 0xFE);
        EXPECT_EQ(static_cast<uint8_t>(sid[1]), 0x13);
    }
    EXPECT_EQ(after.at("Anvar").second, before.at("Izzatbek").second);
    EXPECT_EQ(after.at("Hisobchilar").second, "");
    EXPECT_TRUE(checkWorkgroup(wg_).empty());

    // mdbtools, on its own.
    if (mdbtest::haveMdbTools()) {
        const auto accounts = mdbtest::exportTable(wg_, "MSysAccounts", true);
        const auto members = mdbtest::exportTable(wg_, "MSysGroups", true);
        EXPECT_EQ(accounts.size(), 1u + before.size() + 2u);
        EXPECT_EQ(members.size(), 1u + 5u + 4u);
        bool anvar = false;
        for (const auto& row : accounts) anvar = anvar || (!row.empty() && row[0] == "Anvar");
        EXPECT_TRUE(anvar);
    }
}

class Access97Workgroup : public WorkgroupWriter {
protected:
    [[nodiscard]] const Pair& pair() const override { return kAccess97; }
};

// Groups and memberships are written; a new user is refused at its
// statement, and the rest of the run goes on without it.
TEST_F(Access97Workgroup, GroupsAndMembershipsReadBackEverywhere) {
    const auto before = accountFields(wg_);
    const auto oldAccounts = rowBytes(wg_, "MSysAccounts");
    const auto oldMembers = rowBytes(wg_, "MSysGroups");
    ASSERT_EQ(before.size(), 39u);
    ASSERT_EQ(oldMembers.size(), 113u);
    const Outcome o = session(db_, wg_,
                              {"CREATE GROUP [Hisobchilar]", "CREATE USER [Anvar]",
                               "ADD USER [ccruz], [admin] TO [Hisobchilar]",
                               "ADD USER [emejia] TO [VENTAS]"});
    ASSERT_EQ(o.failures.size(), 1u);
    EXPECT_NE(o.failures[0].find("CREATE USER [Anvar] -> "), std::string::npos) << o.failures[0];
    EXPECT_NE(o.failures[0].find("Access 97 workgroup"), std::string::npos) << o.failures[0];
    ASSERT_EQ(o.closeError, "");
    EXPECT_NE(o.report.find("Accounts made: Hisobchilar"), std::string::npos) << o.report;
    EXPECT_EQ(o.report.find("Anvar"), std::string::npos) << o.report;

    EXPECT_EQ(testsupport::readFile(db_), dbBytes_);
    const auto files = filesIn(dir_.path());
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].rfind("many-accounts97-backup-", 0), 0u) << files[0];
    EXPECT_EQ(testsupport::readFile(dir_.path() / files[0]), wgBytes_);

    // A fresh session with the workgroup.
    const auto users = principals(db_, wg_, false);
    const auto groups = principals(db_, wg_, true);
    EXPECT_FALSE(users.count("Anvar"));
    ASSERT_TRUE(groups.count("Hisobchilar"));
    EXPECT_EQ(groups.at("Hisobchilar"), (std::set<std::string>{"admin", "ccruz"}));
    EXPECT_TRUE(groups.at("VENTAS").count("emejia"));
    EXPECT_TRUE(users.at("emejia").count("VENTAS"));
    EXPECT_TRUE(users.at("ccruz").count("EMBARQUES")) << "the memberships it had are kept";

    // The codec: every row the workgroup had keeps its bytes; the group has
    // a SID of Jet's shape and no password.
    const auto accountsNow = rowBytes(wg_, "MSysAccounts");
    const auto membersNow = rowBytes(wg_, "MSysGroups");
    for (const auto& [id, bytes] : oldAccounts) {
        ASSERT_TRUE(accountsNow.count(id));
        EXPECT_EQ(accountsNow.at(id), bytes) << "account row " << id;
    }
    for (const auto& [id, bytes] : oldMembers) {
        ASSERT_TRUE(membersNow.count(id));
        EXPECT_EQ(membersNow.at(id), bytes) << "membership row " << id;
    }
    EXPECT_EQ(accountsNow.size(), 40u);
    EXPECT_EQ(membersNow.size(), 116u);
    const auto after = accountFields(wg_);
    for (const auto& [name, fields] : before) EXPECT_EQ(after.at(name), fields) << name;
    const std::string& sid = after.at("Hisobchilar").first;
    ASSERT_EQ(sid.size(), 2 + std::string("Hisobchilar").size() + 0x13);
    EXPECT_EQ(static_cast<uint8_t>(sid[0]), 0xFE);
    EXPECT_EQ(after.at("Hisobchilar").second, "");
    EXPECT_TRUE(checkWorkgroup(wg_).empty());

    if (mdbtest::haveMdbTools()) {
        EXPECT_EQ(mdbtest::exportTable(wg_, "MSysAccounts", true).size(), 1u + 40u);
        EXPECT_EQ(mdbtest::exportTable(wg_, "MSysGroups", true).size(), 1u + 116u);
    }
}

// Permission lines may name the accounts the same run made: the database's
// entries take their new SIDs, and both files are written.
TEST_F(WorkgroupWriter, PermissionsOfAccountsMadeInTheSameRun) {
    const Outcome o = session(db_, wg_,
                              {"CREATE USER [Anvar]", "CREATE GROUP [Hisob]",
                               "GRANT SELECT, INSERT ON TABLE [Kontener] TO [Anvar]",
                               "GRANT SELECT ON TABLE [Hisobot] TO [Hisob]"});
    ASSERT_TRUE(o.failures.empty()) << o.failures.front();
    ASSERT_EQ(o.closeError, "");
    EXPECT_NE(o.report.find("The database was changed"), std::string::npos) << o.report;
    EXPECT_NE(o.report.find("The workgroup kontener-security.mdw was changed"), std::string::npos)
        << o.report;
    jet::Catalog cat;
    cat.ActiveConnection(connection(db_, wg_));
    EXPECT_EQ(cat.Users().Item("Anvar").GetPermissions("Kontener", jet::objtype::Table),
              jet::right::Read | jet::right::Insert);
    EXPECT_EQ(cat.Groups().Item("Hisob").GetPermissions("Hisobot", jet::objtype::Table),
              jet::right::Read);
    EXPECT_EQ(cat.Users().Item("Anvar").GetPermissions("Hisobot", jet::objtype::Table),
              jet::right::None);
}

// Every statement fails with Jet's error or a refusal that names the reason,
// and neither file changes.
struct Refusal {
    const char* name;
    std::vector<std::string> statements;
    const char* failure;  // in the last statement's failure
    const Pair* pair = &kKontener;
};

class WorkgroupRefusals : public WorkgroupWriter, public ::testing::WithParamInterface<Refusal> {
protected:
    [[nodiscard]] const Pair& pair() const override { return *GetParam().pair; }
};

TEST_P(WorkgroupRefusals, LeaveBothFilesAsTheyWere) {
    const Refusal& c = GetParam();
    const Outcome o = session(db_, wg_, c.statements);
    ASSERT_EQ(o.failures.size(), c.statements.size()) << c.name;
    EXPECT_NE(o.failures.back().find(c.failure), std::string::npos) << o.failures.back();
    EXPECT_EQ(o.closeError, "");
    expectUntouched();
}

INSTANTIATE_TEST_SUITE_P(
    Statements, WorkgroupRefusals,
    ::testing::Values(
        Refusal{"unknownUser",
                {"ADD USER [Nobody] TO [Admins]"},
                "User or group account 'Nobody' does not exist."},
        Refusal{"unknownGroup",
                {"ADD USER [Hunter] TO [Nogroup]"},
                "User or group account 'Nogroup' does not exist."},
        Refusal{"aGroupAsTheUser",
                {"ADD USER [Admins] TO [Users]"},
                "User or group account 'Admins' does not exist."},
        Refusal{"aUserAsTheGroup",
                {"ADD USER [Hunter] TO [Izzatbek]"},
                "User or group account 'Izzatbek' does not exist."},
        Refusal{"alreadyMember",
                {"ADD USER [hunter] TO [users]"},
                "The user 'Hunter' is already a member of the group 'Users'."},
        Refusal{
            "duplicateUser", {"CREATE USER [hunter]"}, "The account name 'hunter' already exists."},
        Refusal{"userNamedAsAGroup",
                {"CREATE USER [Admins]"},
                "The account name 'Admins' already exists."},
        Refusal{"groupNamedAsAUser",
                {"CREATE GROUP [Izzatbek]"},
                "The account name 'Izzatbek' already exists."},
        // All or nothing: the first name is not made either.
        Refusal{"twiceInOneStatement",
                {"CREATE USER [Anvar], [anvar]"},
                "The account name 'anvar' already exists."},
        Refusal{"secondMemberFails",
                {"ADD USER [admin], [Nobody] TO [Admins]"},
                "'Nobody' does not exist"},
        Refusal{"password", {"CREATE USER [Anvar] secret"}, "cannot be made with a password"},
        Refusal{
            "personalId", {"CREATE GROUP [Hisob] pid12345"}, "cannot be made with a personal ID"},
        Refusal{"passwordChange",
                {"ALTER USER [Hunter] PASSWORD [new] [old]"},
                "a password cannot be set"},
        Refusal{"dropUser", {"DROP USER [Hunter]"}, "cannot be written into Access files yet"}),
    [](const auto& p) { return std::string(p.param.name); });

// The Access 97 workgroup: the same errors, and a new user refused, since no
// user of it shows how it stores an empty password.
INSTANTIATE_TEST_SUITE_P(
    Access97, WorkgroupRefusals,
    ::testing::Values(
        Refusal{"unknownUser",
                {"ADD USER [Nobody] TO [VENTAS]"},
                "User or group account 'Nobody' does not exist.",
                &kAccess97},
        Refusal{"aGroupAsTheUser",
                {"ADD USER [rollos] TO [VENTAS]"},
                "User or group account 'rollos' does not exist.",
                &kAccess97},
        Refusal{"aUserAsTheGroup",
                {"ADD USER [ccruz] TO [Miguel]"},
                "User or group account 'Miguel' does not exist.",
                &kAccess97},
        Refusal{"alreadyMember",
                {"ADD USER [CCRUZ] TO [embarques]"},
                "The user 'ccruz' is already a member of the group 'EMBARQUES'.",
                &kAccess97},
        Refusal{"secondMemberFails",
                {"ADD USER [emejia], [Nobody] TO [VENTAS]"},
                "'Nobody' does not exist",
                &kAccess97},
        Refusal{"groupNamedAsAUser",
                {"CREATE GROUP [MIGUEL]"},
                "The account name 'MIGUEL' already exists.",
                &kAccess97},
        Refusal{"twiceInOneStatement",
                {"CREATE GROUP [Hisob], [hisob]"},
                "The account name 'hisob' already exists.",
                &kAccess97},
        Refusal{"newUser",
                {"CREATE USER [Anvar]"},
                "the form such a workgroup stores an empty password in is not known",
                &kAccess97},
        Refusal{"newUserWithAnEmptyPassword",
                {"CREATE USER [Anvar] \"\""},
                "the form such a workgroup stores an empty password in is not known",
                &kAccess97},
        Refusal{"password",
                {"CREATE USER [Anvar] secret"},
                "cannot be made with a password",
                &kAccess97},
        Refusal{"personalId",
                {"CREATE GROUP [Hisob] pid12345"},
                "cannot be made with a personal ID",
                &kAccess97},
        Refusal{"passwordChange",
                {"ALTER USER [ccruz] PASSWORD [new] [old]"},
                "a password cannot be set",
                &kAccess97},
        Refusal{"dropGroup",
                {"DROP GROUP [VENTAS]"},
                "cannot be written into Access files yet",
                &kAccess97}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(WorkgroupWriter, RefusedWhileTheWorkgroupIsOpenInAccess) {
    const std::string ldb = (dir_.path() / "kontener-security.ldb").string();
    testsupport::writeFile(ldb, "");
    const Outcome o = session(db_, wg_, {"CREATE USER [Anvar]", "CREATE GROUP [Hisob]"});
    ASSERT_EQ(o.failures.size(), 2u);
    for (const auto& f : o.failures)
        EXPECT_NE(f.find("kontener-security.ldb"), std::string::npos) << f;
    EXPECT_EQ(o.closeError, "");
    fs::remove(ldb);
    expectUntouched();
}

// The empty password is learned from the workgroup's own users: without one
// that has it, a user is refused; a group, which has no password, is not.
TEST_F(WorkgroupWriter, AUserIsRefusedWhenNoAccountShowsTheEmptyPassword) {
    const auto fields = accountFields(wg_);
    setPassword(wg_, "Izzatbek", fields.at("Hunter").second);
    wgBytes_ = testsupport::readFile(wg_);
    const Outcome o = session(db_, wg_, {"CREATE USER [Anvar]"});
    ASSERT_EQ(o.failures.size(), 1u);
    EXPECT_NE(o.failures[0].find("none of its users has an empty password"), std::string::npos)
        << o.failures[0];
    expectUntouched();
    const Outcome g = session(db_, wg_, {"CREATE GROUP [Hisob]"});
    EXPECT_TRUE(g.failures.empty()) << g.failures.front();
    EXPECT_TRUE(principals(db_, wg_, true).count("Hisob"));
}

// The session's own catalog shows the accounts before the end of the run.
TEST_F(WorkgroupWriter, TheSessionsCatalogShowsTheNewAccounts) {
    jet::Connection c;
    c.Mode(jet::ConnectMode::ReadWrite);
    c.Open(connection(db_, wg_));
    c.Execute("CREATE USER [Anvar]");
    c.Execute("CREATE GROUP [Hisob]");
    c.Execute("ADD USER [Anvar] TO [Hisob]");
    jet::Catalog cat;
    cat.ActiveConnection(c);
    const auto anvar = cat.Users().Item("Anvar").Groups();
    std::set<std::string> groups;
    for (int32_t i = 0; i < anvar.Count(); ++i) groups.insert(anvar.Item(i).Name());
    EXPECT_EQ(groups, (std::set<std::string>{"Hisob", "Users"}));
    c.Close();
}

// A written workgroup the reader cannot read is not used.
TEST_F(WorkgroupWriter, AWrittenWorkgroupTheReaderCannotReadIsNotUsed) {
    jet::Connection c;
    c.Mode(jet::ConnectMode::ReadWrite);
    c.Open(connection(db_, wg_));
    c.Execute("CREATE USER [Anvar]");
    const std::string reader = (dir_.path() / "reader.sh").string();
    testsupport::writeFile(reader, "#!/bin/sh\nexit 1\n");
    ::chmod(reader.c_str(), 0755);
    const auto saved = jet::mdb::readerOptions();
    auto failing = saved;
    failing.program = reader;
    failing.service = false;
    jet::mdb::setReaderOptions(failing);
    std::string error;
    try {
        c.Close();
    } catch (const jet::Error& e) {
        error = e.description();
    }
    jet::mdb::setReaderOptions(saved);
    fs::remove(reader);
    EXPECT_NE(error.find("the reader cannot read the written workgroup"), std::string::npos)
        << error;
    EXPECT_NE(error.find("it was not changed"), std::string::npos) << error;
    expectUntouched();
}

// An empty password given in the statement is the empty password.
TEST_F(WorkgroupWriter, AnEmptyPasswordMayBeGiven) {
    const Outcome o = session(db_, wg_, {"CREATE USER [Anvar] \"\""});
    ASSERT_TRUE(o.failures.empty()) << o.failures.front();
    ASSERT_EQ(o.closeError, "");
    const auto fields = accountFields(wg_);
    EXPECT_EQ(fields.at("Anvar").second, fields.at("Izzatbek").second);
}

TEST_F(WorkgroupWriter, AnAccess97WorkgroupIsRefused) {
    const std::string old = copyOf(dir_.path(), "workgroup/system.mdw");
    const std::string oldBytes = testsupport::readFile(old);
    const Outcome o = session(db_, old, {"CREATE USER [Anvar]"});
    ASSERT_EQ(o.failures.size(), 1u);
    EXPECT_NE(o.failures[0].find("Access 97 workgroup"), std::string::npos) << o.failures[0];
    EXPECT_EQ(testsupport::readFile(old), oldBytes);
    fs::remove(old);
    expectUntouched();
}

TEST_F(WorkgroupWriter, AccountStatementsNeedAWorkgroup) {
    const Outcome o = session(db_, "", {"CREATE USER [Anvar]"});
    ASSERT_EQ(o.failures.size(), 1u);
    EXPECT_NE(o.failures[0].find("names a workgroup file"), std::string::npos) << o.failures[0];
    expectUntouched();
}

// A run that changes a database (one the writer can change) and the workgroup.
class TwoFiles : public WorkgroupWriter {
protected:
    void SetUp() override {
        WorkgroupWriter::SetUp();
        if (IsSkipped()) return;
        fs::create_directory(dir_.path() / "db");
        plain_ = copyOf(dir_.path() / "db", kPlainDatabase);
        plainBytes_ = testsupport::readFile(plain_);
        files_.insert(files_.begin(), "db");
    }
    // Makes the rename of the file at `path` fail.
    static void failRenameOf(const std::string& path) {
        jet::file::setReplaceHooks([path](const std::string& p) {
            jet::file::ReplaceHooks h;
            if (p == path)
                h.fault = [](jet::file::ReplaceStep s) {
                    return s == jet::file::ReplaceStep::Rename ? EIO : 0;
                };
            return h;
        });
    }
    std::string plain_, plainBytes_;
};

const std::vector<std::string> kBoth = {"CREATE TABLE [Hisobot2] ([Id] INTEGER)",
                                        "CREATE USER [Anvar]"};

TEST_F(TwoFiles, BothAreWrittenAndReported) {
    const Outcome o = session(plain_, wg_, kBoth);
    ASSERT_TRUE(o.failures.empty()) << o.failures.front();
    ASSERT_EQ(o.closeError, "");
    EXPECT_NE(o.report.find("The database was changed"), std::string::npos) << o.report;
    EXPECT_NE(o.report.find("The workgroup kontener-security.mdw was changed"), std::string::npos)
        << o.report;
    EXPECT_NE(testsupport::readFile(plain_), plainBytes_);
    EXPECT_TRUE(principals(plain_, wg_, false).count("Anvar"));
}

TEST_F(TwoFiles, TheDatabaseFailingAfterTheWorkgroupSaysWhichHoldsWhat) {
    failRenameOf(plain_);
    const Outcome o = session(plain_, wg_, kBoth);
    ASSERT_TRUE(o.failures.empty()) << o.failures.front();
    EXPECT_NE(o.closeError.find("The workgroup kontener-security.mdw was changed"),
              std::string::npos)
        << o.closeError;
    EXPECT_NE(o.closeError.find("The database was not changed"), std::string::npos) << o.closeError;
    EXPECT_NE(o.closeError.find("holds none of the run's changes"), std::string::npos)
        << o.closeError;
    EXPECT_EQ(testsupport::readFile(plain_), plainBytes_);
    EXPECT_EQ(filesIn(dir_.path() / "db"), std::vector<std::string>{"emptyV2000.mdb"});
    jet::file::setReplaceHooks({});
    EXPECT_TRUE(principals(plain_, wg_, false).count("Anvar"));
}

TEST_F(TwoFiles, TheWorkgroupFailingChangesNeither) {
    failRenameOf(wg_);
    const Outcome o = session(plain_, wg_, kBoth);
    ASSERT_TRUE(o.failures.empty()) << o.failures.front();
    EXPECT_NE(o.closeError.find("neither it nor the database emptyV2000.mdb was changed"),
              std::string::npos)
        << o.closeError;
    EXPECT_EQ(testsupport::readFile(plain_), plainBytes_);
    expectUntouched();
}

TEST_F(TwoFiles, AMereDatabaseChangeNeverTouchesTheWorkgroup) {
    const Outcome o = session(plain_, wg_, {kBoth[0]});
    ASSERT_TRUE(o.failures.empty()) << o.failures.front();
    ASSERT_EQ(o.closeError, "");
    EXPECT_EQ(o.report.find("workgroup"), std::string::npos) << o.report;
    expectUntouched();
}

}  // namespace
