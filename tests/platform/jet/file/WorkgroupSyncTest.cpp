// The round trip of accounts through the programs: a store twin of the
// secured pair (kontener.mdb and its workgroup), its accounts, memberships
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

TEST(WorkgroupSync, AccountsChangedInAStoreTwinReachTheRealPair) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = testsupport::fixture("secured/kontener.mdb");
    const std::string wg = testsupport::fixture("secured/kontener-security.mdw");

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

    // Changed there, after the accounts every store workgroup starts with
    // and the real one lacks are taken out (it has no guest, no Guests, and
    // admin in Users alone): the twin's script then holds the changes alone.
    {
        jet::Connection c;
        c.Mode(jet::ConnectMode::ReadWrite);
        c.Open(twin.destinationConnection);
        for (const char* s :
             {"DROP USER [guest]", "DROP GROUP [Guests]", "DROP USER [admin] FROM [Admins]",
              "CREATE USER [Anvar]", "CREATE GROUP [Hisobchilar]",
              "ADD USER [Anvar] TO [Hisobchilar]", "ADD USER [Hunter] TO [Hisobchilar]",
              "GRANT SELECT, INSERT ON TABLE [Kontener] TO [Anvar]",
              "GRANT SELECT ON TABLE [Hisobot] TO [Hisobchilar]"})
            c.Execute(s);
        c.Close();
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
    for (const char* change : {"CREATE USER [Anvar]", "CREATE GROUP [Hisobchilar]",
                               "ADD USER [Hunter] TO [Hisobchilar]"})
        EXPECT_NE(real.scriptText.find(change), std::string::npos) << change;
    EXPECT_EQ(real.scriptText.find("[guest]"), std::string::npos) << real.scriptText;
    EXPECT_EQ(compareWithEngine(real.sourceConnection, real.destinationConnection), "")
        << real.scriptText;
    // The permissions came with them.
    jet::Catalog cat;
    cat.ActiveConnection(real.destinationConnection);
    EXPECT_EQ(cat.Users().Item("Anvar").GetPermissions("Kontener", jet::objtype::Table),
              jet::right::Read | jet::right::Insert);
    EXPECT_EQ(cat.Groups().Item("Hisobchilar").GetPermissions("Hisobot", jet::objtype::Table),
              jet::right::Read);
}

}  // namespace
