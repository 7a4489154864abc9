// The round trip of accounts through the programs: a store twin of a
// secured pair (kontener.mdb and its workgroup; an Access 97 database with
// an Access 97 workgroup), its accounts, memberships
// and permissions changed there, the engine's script from the twin applied
// by the runner to copies of the real pair; the engine then finds no
// difference between the two pairs, users and groups included.
#include <gtest/gtest.h>

#include <filesystem>

#include "JetOracles.h"
#include "OracleComparison.h"
#include "RealFileSync.h"
#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/Types.h"
#include "jet/testing/StoreBuilder.h"

namespace {

using namespace oracles;

struct Rights {
    bool group;
    const char* account;
    const char* table;
    int32_t rights;
};

struct SyncCase {
    const char* name;
    const char* database;
    const char* workgroup;
    // Run on the twin after the accounts every store workgroup starts with
    // and the real one lacks are taken out: the twin's script then holds
    // the changes alone.
    std::vector<const char*> changes;
    std::vector<const char*> inScript;  // lines the script back must hold
    std::vector<Rights> rights;         // read back on the real pair
};

void PrintTo(const SyncCase& c, std::ostream* os) { *os << c.name; }

const SyncCase kCases[] = {
    // The real one has no guest, no Guests, and admin in Users alone.
    {"Kontener",
     "secured/kontener.mdb",
     "secured/kontener-security.mdw",
     {"DROP USER [guest]", "DROP GROUP [Guests]", "DROP USER [admin] FROM [Admins]",
      "CREATE USER [Anvar]", "CREATE GROUP [Hisobchilar]", "ADD USER [Anvar] TO [Hisobchilar]",
      "ADD USER [Hunter] TO [Hisobchilar]", "GRANT SELECT, INSERT ON TABLE [Kontener] TO [Anvar]",
      "GRANT SELECT ON TABLE [Hisobot] TO [Hisobchilar]"},
     {"CREATE USER [Anvar]", "CREATE GROUP [Hisobchilar]", "ADD USER [Hunter] TO [Hisobchilar]"},
     {{false, "Anvar", "Kontener", jet::right::Read | jet::right::Insert},
      {true, "Hisobchilar", "Hisobot", jet::right::Read}}},
    // Access 97: admin is no member of Admins there either. A new user
    // cannot be written into it, so the twin makes none.
    {"Access97",
     "jackcess/testV1997.mdb",
     "secured/many-accounts97.mdw",
     {"DROP USER [admin] FROM [Admins]", "CREATE GROUP [Hisobchilar]",
      "ADD USER [ccruz] TO [Hisobchilar]", "ADD USER [emejia] TO [VENTAS]",
      "GRANT SELECT, INSERT ON TABLE [Table1] TO [Hisobchilar]",
      "GRANT SELECT ON TABLE [Table2] TO [ccruz]"},
     {"CREATE GROUP [Hisobchilar]", "ADD USER [ccruz] TO [Hisobchilar]",
      "ADD USER [emejia] TO [VENTAS]"},
     {{true, "Hisobchilar", "Table1", jet::right::Read | jet::right::Insert},
      {false, "ccruz", "Table2", jet::right::Read}}},
};

class WorkgroupSync : public ::testing::TestWithParam<SyncCase> {};

TEST_P(WorkgroupSync, AccountsChangedInAStoreTwinReachTheRealPair) {
    REQUIRE_FIXTURES();
    const SyncCase& c = GetParam();
    testsupport::TempDir dir;
    const std::string db = testsupport::fixture(c.database);
    const std::string wg = testsupport::fixture(c.workgroup);

    // The twin: the real pair synced into an empty store and its workgroup.
    SyncHarness harness;
    const std::string emptyDb = dir.file("twin.sdb");
    const std::string emptyWg = dir.file("twin.sdw");
    jet::testing::buildStore(emptyDb, {}, emptyWg);
    SyncRequest toTwin;
    toTwin.source = db;
    toTwin.sourceWorkgroup = wg;
    toTwin.destination = emptyDb;
    toTwin.destinationWorkgroup = emptyWg;
    const SyncResult twin = harness.sync(toTwin);
    ASSERT_TRUE(twin.run.clean()) << twin.run.problems() << twin.scriptText;

    {
        jet::Connection conn;
        conn.Mode(jet::ConnectMode::ReadWrite);
        conn.Open(twin.destinationConnection);
        for (const char* s : c.changes) conn.Execute(s);
        conn.Close();
    }
    const auto twinWorkgroup = harness.dir().path() / "sync-1" / "destination-twin.sdw";

    // The twin's script applied to copies of the real pair.
    SyncRequest back;
    back.source = twin.destinationCopy;
    // The harness's copy of the twin's workgroup, which the changes went to.
    back.sourceWorkgroup = twinWorkgroup.string();
    back.destination = db;
    back.destinationWorkgroup = wg;
    const SyncResult real = harness.sync(back);
    EXPECT_TRUE(real.run.clean()) << real.run.problems() << real.scriptText;
    for (const char* change : c.inScript)
        EXPECT_NE(real.scriptText.find(change), std::string::npos) << change;
    EXPECT_EQ(real.scriptText.find("[guest]"), std::string::npos) << real.scriptText;
    EXPECT_EQ(compareWithEngine(real.sourceConnection, real.destinationConnection), "")
        << real.scriptText;
    // The permissions came with them.
    jet::Catalog cat;
    cat.ActiveConnection(real.destinationConnection);
    for (const auto& r : c.rights) {
        const int32_t held =
            r.group ? cat.Groups().Item(r.account).GetPermissions(r.table, jet::objtype::Table)
                    : cat.Users().Item(r.account).GetPermissions(r.table, jet::objtype::Table);
        EXPECT_EQ(held, r.rights) << r.account << " on " << r.table;
    }
}

INSTANTIATE_TEST_SUITE_P(Pairs, WorkgroupSync, ::testing::ValuesIn(kCases),
                         [](const auto& tc) { return std::string(tc.param.name); });

}  // namespace
