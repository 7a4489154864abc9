// Opening, passwords, the refusal of every change, workgroups and permissions
// of real Jet files.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "JetPassword.h"
#include "MdbTestSupport.h"
#include "TestSupport.h"
#include "jet/Backend.h"
#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/Error.h"
#include "jet/format/JetHeader.h"
#include "jet/mdb/JetRights.h"
#include "text/CaseFold.h"

namespace {

using jet::Err;

// Runs `f` and returns the description of the jet::Error it throws.
template <class F>
std::string errorOf(F&& f) {
    try {
        f();
    } catch (const jet::Error& e) {
        return e.description();
    }
    return "<no error>";
}

std::string textOf(Err e, std::initializer_list<std::string_view> args = {}) {
    return jet::makeError(e, args).description();
}

// --- Database passwords ------------------------------------------------------------

using testsupport::withPassword;

TEST(MdbPassword, FixturesHaveNone) {
    REQUIRE_FIXTURES();
    for (const char* f : {"jackcess/queryTestV2000.mdb", "jackcess/queryTestV1997.mdb",
                          "jackcess/testUnicodeCompV2003.mdb", "jackcess/adox_jet4.mdb",
                          "mdbtestdata/nwind.mdb", "workgroup/system.mdw"}) {
        const auto h = jet::format::readHeader(testsupport::fixture(f));
        ASSERT_TRUE(h.has_value()) << f;
        EXPECT_EQ(h->password, "") << f;
    }
}

struct PasswordCase {
    const char* fixture;
    bool jet4;
    std::u16string stored;
    const char* storedUtf8;
};

class MdbPasswordCases : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(MdbPasswordCases, CheckedFromTheHeader) {
    REQUIRE_FIXTURES();
    const auto& k = GetParam();
    testsupport::TempDir dir;
    const auto file = dir.file("secret.mdb");
    testsupport::writeFile(
        file,
        withPassword(testsupport::readFile(testsupport::fixture(k.fixture)), k.stored, k.jet4));
    const auto header = jet::format::readHeader(file);
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->password, k.storedUtf8);
    if (k.jet4) {
        // The password goes into the key that masks the file's SIDs: the low
        // byte of its i-th unit shifted left by i.
        uint32_t key = *jet::format::readHeader(testsupport::fixture(k.fixture))->sidKey;
        for (size_t i = 0; i < k.stored.size(); ++i)
            key ^= static_cast<uint32_t>(k.stored[i] & 0xFF) << i;
        EXPECT_EQ(header->sidKey, key);
    }
    const auto base = mdbtest::connectionString(file);
    jet::Catalog c;
    EXPECT_EQ(errorOf([&] { c.ActiveConnection(base); }), textOf(Err::BadDatabasePassword));
    EXPECT_EQ(errorOf([&] { c.ActiveConnection(base + ";Jet OLEDB:Database Password=wrong"); }),
              textOf(Err::BadDatabasePassword));
    c.ActiveConnection(base +
                       ";Jet OLEDB:Database Password=" + jet::quoteConnectionValue(k.storedUtf8));
    EXPECT_GT(c.Tables().Count(), 0);
}

const PasswordCase kPasswordCases[] = {
    {"jackcess/queryTestV2000.mdb", true, u"s3cret", "s3cret"},
    {"jackcess/queryTestV2000.mdb", true, u"Straße 20 Zeichen!!", "Straße 20 Zeichen!!"},
    {"jackcess/queryTestV1997.mdb", false, u"geheim", "geheim"},
};

INSTANTIATE_TEST_SUITE_P(Headers, MdbPasswordCases, ::testing::ValuesIn(kPasswordCases));

TEST(MdbPassword, ANameWithoutPasswordOpensWithAnyPasswordGiven) {
    REQUIRE_FIXTURES();
    jet::Catalog c;
    c.ActiveConnection(mdbtest::connectionString(testsupport::fixture("jackcess/adox_jet4.mdb")) +
                       ";Jet OLEDB:Database Password=anything");
    EXPECT_GT(c.Tables().Count(), 0);
}

// --- Nothing is ever written --------------------------------------------------------

TEST(MdbReadOnly, EveryChangeFailsAndLeavesTheFileAsItWas) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const auto file = dir.file("copy.mdb");
    const auto bytes = testsupport::readFile(testsupport::fixture("mdbtestdata/nwind.mdb"));
    testsupport::writeFile(file, bytes);
    const auto wg = testsupport::fixture("workgroup/system.mdw");
    const auto readOnly = textOf(Err::ReadOnly);

    jet::Connection conn;
    conn.Open(mdbtest::connectionString(file, wg));
    jet::Catalog c;
    c.ActiveConnection(conn);
    for (const char* sql : {"DROP TABLE Orders", "CREATE TABLE T (a TEXT)", "DELETE FROM Orders",
                            "CREATE USER bob pw", "not even SQL"})
        EXPECT_EQ(errorOf([&] { (void)conn.Execute(sql); }), readOnly) << sql;
    auto prop = c.Tables()
                    .Item("Orders")
                    .Columns()
                    .Item("ShipName")
                    .Properties()
                    .Item(jet::prop::Description);
    EXPECT_EQ(errorOf([&] { prop.Value(jet::Variant{std::string("new")}); }), readOnly);
    EXPECT_EQ(errorOf([&] {
                  c.Users().Item("admin").SetPermissions("Orders", 1, jet::access::Grant, 0);
              }),
              readOnly);
    EXPECT_EQ(
        errorOf([&] { c.Groups().Item("Users").SetPermissions("", 3, jet::access::Revoke, 0); }),
        readOnly);

    auto workgroup = jet::openWorkgroup(wg);
    EXPECT_EQ(errorOf([&] { workgroup->createUser("bob", "pw", "pid"); }), readOnly);
    EXPECT_EQ(errorOf([&] { workgroup->createGroup("G", "pid"); }), readOnly);
    EXPECT_EQ(errorOf([&] { workgroup->dropUser("admin"); }), readOnly);
    EXPECT_EQ(errorOf([&] { workgroup->dropGroup("Users"); }), readOnly);
    EXPECT_EQ(errorOf([&] { workgroup->addMember("admin", "Admins"); }), readOnly);
    EXPECT_EQ(errorOf([&] { workgroup->removeMember("admin", "Users"); }), readOnly);

    conn.Close();
    EXPECT_EQ(testsupport::readFile(file), bytes);
}

TEST(MdbReadOnly, WriteAccessIsRefusedAtOpen) {
    REQUIRE_FIXTURES();
    jet::Connection conn;
    conn.Mode(jet::ConnectMode::ReadWrite);
    EXPECT_EQ(
        errorOf([&] {
            conn.Open(mdbtest::connectionString(testsupport::fixture("jackcess/adox_jet4.mdb")));
        }),
        textOf(Err::ReadOnly));
    jet::Connection reading;
    reading.Mode(jet::ConnectMode::Read);
    reading.Open(mdbtest::connectionString(testsupport::fixture("jackcess/adox_jet4.mdb")));
    EXPECT_TRUE(reading.backend()->readOnly());
}

TEST(MdbReadOnly, AClosedSessionRefusesEveryCall) {
    REQUIRE_FIXTURES();
    jet::OpenRequest r;
    r.props = jet::parseConnectionString(
        mdbtest::connectionString(testsupport::fixture("jackcess/adox_jet4.mdb")));
    auto backend = jet::openBackend(r);
    backend->close();
    const auto closed = textOf(Err::ObjectClosed);
    EXPECT_EQ(errorOf([&] { (void)backend->catalog(); }), closed);
    EXPECT_EQ(errorOf([&] { (void)backend->execute("DROP TABLE x"); }), closed);
    EXPECT_EQ(errorOf([&] { backend->close(); }), closed);
}

// --- Workgroups ----------------------------------------------------------------------

TEST(MdbWorkgroup, UsersGroupsAndMembershipsMatchTheFile) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    const auto wg = testsupport::fixture("workgroup/system.mdw");
    // mdb-export writes binary values up to their first zero byte; the cut SIDs
    // still tell the accounts of this file apart.
    const auto accounts = mdbtest::exportTable(wg, "MSysAccounts", true);
    std::set<std::string> users, groups;
    std::map<std::string, std::string> bySid;
    for (size_t i = 1; i < accounts.size(); ++i) {
        const auto& a = accounts[i];
        (a[3] == "1" ? groups : users).insert(a[0]);
        ASSERT_FALSE(bySid.count(a[1])) << "SIDs cut alike: " << a[1];
        bySid[a[1]] = a[0];
    }
    std::map<std::string, std::set<std::string>> groupsOf, usersOf;
    const auto members = mdbtest::exportTable(wg, "MSysGroups", true);
    for (size_t i = 1; i < members.size(); ++i) {
        const auto g = bySid.find(members[i][0]), u = bySid.find(members[i][1]);
        if (g == bySid.end() || u == bySid.end()) continue;
        groupsOf[u->second].insert(g->second);
        usersOf[g->second].insert(u->second);
    }

    auto c = jet::Catalog();
    c.ActiveConnection(
        mdbtest::connectionString(testsupport::fixture("jackcess/adox_jet4.mdb"), wg));
    std::set<std::string> gotUsers, gotGroups;
    auto u = c.Users();
    for (int32_t i = 0; i < u.Count(); ++i) {
        const auto user = u.Item(i);
        gotUsers.insert(user.Name());
        std::set<std::string> got;
        auto g = user.Groups();
        for (int32_t k = 0; k < g.Count(); ++k) got.insert(g.Item(k).Name());
        EXPECT_EQ(got, groupsOf[user.Name()]) << user.Name();
    }
    auto g = c.Groups();
    for (int32_t i = 0; i < g.Count(); ++i) {
        const auto group = g.Item(i);
        gotGroups.insert(group.Name());
        std::set<std::string> got;
        auto m = group.Users();
        for (int32_t k = 0; k < m.Count(); ++k) got.insert(m.Item(k).Name());
        EXPECT_EQ(got, usersOf[group.Name()]) << group.Name();
    }
    EXPECT_EQ(gotUsers, users);
    EXPECT_EQ(gotGroups, groups);
    EXPECT_TRUE(gotUsers.count("admin"));
    EXPECT_TRUE(gotGroups.count("Admins"));
}

TEST(MdbWorkgroup, LogOnNeedsAUserOfTheFile) {
    REQUIRE_FIXTURES();
    const auto db = testsupport::fixture("jackcess/adox_jet4.mdb");
    const auto wg = testsupport::fixture("workgroup/system.mdw");
    jet::Catalog c;
    // The password cannot be checked against a real workgroup file.
    c.ActiveConnection(mdbtest::connectionString(db, wg) + ";User ID=Miguel;Password=whatever");
    EXPECT_GT(c.Users().Count(), 0);
    c.ActiveConnection(mdbtest::connectionString(db, wg) + ";User ID=MIGUEL");
    EXPECT_EQ(
        errorOf([&] { c.ActiveConnection(mdbtest::connectionString(db, wg) + ";User ID=nobody"); }),
        textOf(Err::LogonFailed));
    // A group is no account to log on with.
    EXPECT_EQ(
        errorOf([&] { c.ActiveConnection(mdbtest::connectionString(db, wg) + ";User ID=Admins"); }),
        textOf(Err::LogonFailed));
}

TEST(MdbWorkgroup, ADatabaseIsNoWorkgroup) {
    REQUIRE_FIXTURES();
    const auto notWorkgroup = testsupport::fixture("jackcess/adox_jet4.mdb");
    EXPECT_EQ(errorOf([&] { (void)jet::openWorkgroup(notWorkgroup); }),
              textOf(Err::WorkgroupInvalid, {notWorkgroup}));
}

// --- Permissions -------------------------------------------------------------------------

struct RightsCase {
    int32_t jetMask;
    int32_t objectType;
    int32_t rights;
};

class MdbRightsTable : public ::testing::TestWithParam<RightsCase> {};

TEST_P(MdbRightsTable, MapsJetBitsToAdoxRights) {
    const auto& k = GetParam();
    EXPECT_EQ(jet::mdb::adoxRights(k.jetMask, k.objectType), k.rights);
}

using namespace jet::right;
const RightsCase kRightsCases[] = {
    {0, jet::objtype::Table, None},
    {0x14, jet::objtype::Table, Read | ReadDesign},  // read data (with read design)
    {0x1000C, jet::objtype::Procedure, ReadDesign | WriteDesign | Drop},
    {0x20 | 0x40 | 0x80, jet::objtype::View, Insert | Update | Delete},
    {0xE0000, jet::objtype::Table, ReadPermissions | WritePermissions | WriteOwner},
    {0xFFFFF, jet::objtype::Table,
     Full | ReadDesign | WriteDesign | Read | Insert | Update | Delete | Drop | ReadPermissions |
         WritePermissions | WriteOwner},
    {0x2 | 0x4 | 0x8, jet::objtype::Database, Read | Exclusive | WriteDesign},
    {0x1, jet::objtype::Database, Create},
    {0x100000, jet::objtype::Table, None},  // no ADOX counterpart
};

INSTANTIATE_TEST_SUITE_P(Rows, MdbRightsTable, ::testing::ValuesIn(kRightsCases));

class MdbPermissions : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_FIXTURES();
        catalog_.ActiveConnection(
            mdbtest::connectionString(testsupport::fixture("mdbtestdata/nwind.mdb"),
                                      testsupport::fixture("workgroup/system.mdw")));
    }
    jet::Catalog catalog_;
};

// nwind.mdb grants admin 0x6000E on the database and the Users group 0x14
// (read design and data) on its tables; the Admins group of the workgroup that
// made it is not the one of this workgroup file, so it holds nothing here.
TEST_F(MdbPermissions, FromMSysACEsThroughTheWorkgroupSids) {
    EXPECT_EQ(catalog_.Users().Item("admin").GetPermissions("", jet::objtype::Database),
              jet::mdb::adoxRights(0x6000E, jet::objtype::Database));
    EXPECT_EQ(catalog_.Users().Item("admin").GetPermissions("Database", jet::objtype::Database),
              jet::mdb::adoxRights(0x6000E, jet::objtype::Database));
    EXPECT_EQ(catalog_.Groups().Item("Users").GetPermissions("", jet::objtype::Database),
              jet::mdb::adoxRights(0xE, jet::objtype::Database));
    EXPECT_EQ(catalog_.Groups().Item("Admins").GetPermissions("Orders", jet::objtype::Table), 0);
    EXPECT_EQ(catalog_.Users().Item("Miguel").GetPermissions("Orders", jet::objtype::Table), 0);
    const int32_t viaView =
        catalog_.Users().Item("admin").GetPermissions("Invoices", jet::objtype::View);
    EXPECT_EQ(catalog_.Users().Item("admin").GetPermissions("invoices", jet::objtype::Procedure),
              viaView);
}

TEST_F(MdbPermissions, RightsAgreeWithTheAccessEntriesOfMdbExport) {
    REQUIRE_MDBTOOLS();
    const auto db = testsupport::fixture("mdbtestdata/nwind.mdb");
    std::map<std::string, int64_t> idOf;
    const auto objects = mdbtest::exportTable(db, "MSysObjects");
    const auto& head = objects[0];
    const auto at = [&](const char* n) {
        return std::find(head.begin(), head.end(), n) - head.begin();
    };
    for (size_t i = 1; i < objects.size(); ++i)
        if (objects[i][at("Type")] == "1")
            idOf[objects[i][at("Name")]] = std::stoll(objects[i][at("Id")]);
    std::map<int64_t, int32_t> usersMask;  // Users group is SID 02 01
    for (const auto& r : mdbtest::exportTable(db, "MSysACEs", true))
        if (r.size() >= 3 && r[1] == "0201")
            usersMask[std::stoll(r[0])] |= static_cast<int32_t>(std::stoll(r[2]));
    size_t compared = 0;
    auto tables = catalog_.Tables();
    for (int32_t i = 0; i < tables.Count(); ++i) {
        const auto t = tables.Item(i);
        if (t.Type() != "TABLE") continue;
        const auto id = idOf.at(t.Name());
        EXPECT_EQ(catalog_.Groups().Item("Users").GetPermissions(t.Name(), jet::objtype::Table),
                  jet::mdb::adoxRights(usersMask[id], jet::objtype::Table))
            << t.Name();
        ++compared;
    }
    EXPECT_EQ(compared, 9u);
}

TEST_F(MdbPermissions, UnknownPrincipalsObjectsAndTypesFail) {
    const auto admin = catalog_.Users().Item("admin");
    EXPECT_EQ(errorOf([&] { (void)admin.GetPermissions("NoSuchTable", jet::objtype::Table); }),
              textOf(Err::PermissionObjectNotFound, {"NoSuchTable", "1"}));
    // A query is no table, a table no procedure.
    EXPECT_EQ(errorOf([&] { (void)admin.GetPermissions("Invoices", jet::objtype::Table); }),
              textOf(Err::PermissionObjectNotFound, {"Invoices", "1"}));
    EXPECT_EQ(errorOf([&] { (void)admin.GetPermissions("Orders", jet::objtype::Procedure); }),
              textOf(Err::PermissionObjectNotFound, {"Orders", "4"}));
    EXPECT_EQ(errorOf([&] { (void)admin.GetPermissions("Orders", jet::objtype::Column); }),
              textOf(Err::NotSupported));
    EXPECT_EQ(errorOf([&] { (void)admin.GetPermissions("Orders", 42); }),
              textOf(Err::InvalidArgument));
}

// --- Jet 4 SIDs ---------------------------------------------------------------------

// Jet 4 files mask the SIDs of their access entries with a key of their header.
// Unmasked, the admin user (03 01) and the Users group (02 01) of any workgroup
// hold the rights Access gave them on each user table.
struct Jet4SidCase {
    const char* fixture;
    uint32_t sidKey;
    const char* table;
    int32_t adminMask;  // Jet access bits of MSysACEs
    int32_t usersMask;
};

void PrintTo(const Jet4SidCase& c, std::ostream* os) { *os << c.fixture; }

class MdbJet4Sids : public ::testing::TestWithParam<Jet4SidCase> {};

TEST_P(MdbJet4Sids, AreUnmaskedAndMatchTheWorkgroup) {
    REQUIRE_FIXTURES();
    const auto& k = GetParam();
    const auto file = testsupport::fixture(k.fixture);
    const auto header = jet::format::readHeader(file);
    ASSERT_TRUE(header.has_value());
    ASSERT_TRUE(header->sidKey.has_value());
    EXPECT_EQ(*header->sidKey, k.sidKey);

    jet::Catalog c;
    c.ActiveConnection(
        mdbtest::connectionString(file, testsupport::fixture("workgroup/system.mdw")));
    const int32_t admin = c.Users().Item("admin").GetPermissions(k.table, jet::objtype::Table);
    const int32_t users = c.Groups().Item("Users").GetPermissions(k.table, jet::objtype::Table);
    EXPECT_NE(admin, 0);
    EXPECT_NE(users, 0);
    EXPECT_EQ(admin, jet::mdb::adoxRights(k.adminMask, jet::objtype::Table));
    EXPECT_EQ(users, jet::mdb::adoxRights(k.usersMask, jet::objtype::Table));
    // Users hold rights on the database object of every file too.
    EXPECT_NE(c.Groups().Item("Users").GetPermissions("", jet::objtype::Database), 0);
}

const Jet4SidCase kJet4SidCases[] = {
    {"jackcess/queryTestV2000.mdb", 0x42c2c20c, "Table1", 0xFFEFF, 0xFFEFF},
    {"jackcess/indexTestV2000.mdb", 0xee38b83c, "Table2", 0xFFEFF, 0xFFEFF},
    {"jackcess/testIndexPropertiesV2000.mdb", 0x75ff76ea, "TableIgnoreNulls1", 0xFFEFF, 0xFFEFF},
    {"jackcess/compIndexTestV2000.mdb", 0x2d4fae92, "Table1", 0xF00FE, 0xFFEFF},
    {"jackcess/fixedNumericTestV2000.mdb", 0x67e77082, "test", 0xFFEFF, 0xFFEFF},
    {"jackcess/fixedTextTestV2000.mdb", 0x7c2cfbd0, "users", 0xFFEFF, 0xFFEFF},
    {"jackcess/testUnicodeCompV2003.mdb", 0x9ce9da8a, "Table", 0xFFEFF, 0xFFEFF},
    {"jackcess/testPromotionV2000.mdb", 0x7a4d7eba, "jobDB1", 0xFFEFF, 0xFFEFF},
    {"jackcess/delColTestV2000.mdb", 0x75ff76ea, "Table1", 0xFFEFF, 0xFFEFF},
};

INSTANTIATE_TEST_SUITE_P(Fixtures, MdbJet4Sids, ::testing::ValuesIn(kJet4SidCases),
                         [](const auto& p) {
                             std::string n = p.param.fixture;
                             n = n.substr(n.find('/') + 1);
                             return n.substr(0, n.find('.'));
                         });

TEST(MdbJet4SidsKey, Jet3FilesHaveNoMask) {
    REQUIRE_FIXTURES();
    for (const char* f :
         {"mdbtestdata/nwind.mdb", "jackcess/queryTestV1997.mdb", "workgroup/system.mdw"})
        EXPECT_FALSE(jet::format::readHeader(testsupport::fixture(f))->sidKey.has_value()) << f;
}

// The empty database made through ADOX has no user table, but its own objects
// carry entries of the well-known SIDs: admin and Users on the database.
TEST(MdbJet4SidsKey, AnEmptyJet4DatabaseGrantsTheWellKnownAccounts) {
    REQUIRE_FIXTURES();
    jet::Catalog c;
    c.ActiveConnection(mdbtest::connectionString(testsupport::fixture("jackcess/adox_jet4.mdb"),
                                                 testsupport::fixture("workgroup/system.mdw")));
    EXPECT_EQ(c.Users().Item("admin").GetPermissions("", jet::objtype::Database),
              jet::mdb::adoxRights(0x6000E, jet::objtype::Database));
    EXPECT_EQ(c.Groups().Item("Users").GetPermissions("", jet::objtype::Database),
              jet::mdb::adoxRights(0xE, jet::objtype::Database));
}

struct MaskedAccountsCase {
    const char* what;
    std::vector<std::string> sids;
    bool masked;
};

// Whether a workgroup's account SIDs are masked is told by the admin user's
// well-known SID: stored plain, or only once unmasked.
TEST(MdbJet4SidsKey, AWorkgroupIsUnmaskedOnlyWhenItsAdminSidIsMasked) {
    const uint32_t key = 0x42c2c20c;
    const auto mask = [&](std::string sid) { return jet::format::unmaskSid(sid, key); };
    const std::string admin("\x03\x01", 2), users("\x02\x01", 2);
    const MaskedAccountsCase cases[] = {
        {"plain", {users, admin, "\x01\xdb\x87\x93"}, false},
        {"masked", {mask(users), mask(admin), mask("\x01\xdb\x87\x93")}, true},
        {"plain admin beside a masked one", {admin, mask(admin)}, false},
        {"no admin either way", {users, mask(users)}, false},
        {"no accounts", {}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jet::format::sidsLookMasked(c.sids, key), c.masked) << c.what;
    // The mask is an XOR: applied twice it gives the SID back; it depends on the key.
    EXPECT_EQ(mask(mask(admin)), admin);
    EXPECT_NE(mask(admin), jet::format::unmaskSid(admin, key + 1));
    EXPECT_EQ(jet::format::unmaskSid("", key), "");
}

// A workgroup without SIDs (a store workgroup) gives no rights on a Jet database.
class SidlessWorkgroup final : public jet::Workgroup {
public:
    const std::string& path() const override { return path_; }
    std::vector<jet::PrincipalData> users() override { return {{"admin", {"Users"}, ""}}; }
    std::vector<jet::PrincipalData> groups() override { return {{"Users", {"admin"}, ""}}; }
    void logOn(std::string_view, std::string_view) override {}
    void createUser(std::string_view, std::string_view, std::string_view) override {}
    void createGroup(std::string_view, std::string_view) override {}
    void dropUser(std::string_view) override {}
    void dropGroup(std::string_view) override {}
    void addMember(std::string_view, std::string_view) override {}
    void removeMember(std::string_view, std::string_view) override {}
    uint64_t version() const override { return version_; }
    uint64_t version_ = 0;

private:
    std::string path_ = "store.sdw";
};

TEST(MdbPermissionsWithoutSids, GiveNoRightsAndUnknownNamesStillFail) {
    REQUIRE_FIXTURES();
    jet::OpenRequest r;
    r.props = jet::parseConnectionString(
        mdbtest::connectionString(testsupport::fixture("mdbtestdata/nwind.mdb")));
    auto wg = std::make_shared<SidlessWorkgroup>();
    auto backend = jet::mdb::open(r, wg);
    EXPECT_EQ(
        backend->getPermissions(jet::PrincipalKind::User, "admin", "", jet::objtype::Database), 0);
    EXPECT_EQ(
        backend->getPermissions(jet::PrincipalKind::Group, "users", "Orders", jet::objtype::Table),
        0);
    EXPECT_EQ(
        errorOf([&] { (void)backend->getPermissions(jet::PrincipalKind::User, "nobody", "", 3); }),
        textOf(Err::AccountNotFound, {"nobody"}));
    EXPECT_EQ(
        errorOf([&] { (void)backend->getPermissions(jet::PrincipalKind::Group, "admin", "", 3); }),
        textOf(Err::AccountNotFound, {"admin"}));
    // The accounts are read again when the workgroup changes.
    const auto before = backend->catalog();
    EXPECT_EQ(backend->catalog(), before);
    wg->version_ = 1;
    EXPECT_NE(backend->catalog(), before);
    EXPECT_TRUE(backend->catalog()->hasWorkgroup);
}

}  // namespace
