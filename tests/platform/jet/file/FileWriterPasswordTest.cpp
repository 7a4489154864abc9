// A Jet 4 database with a password is written like any other; its header
// page, which holds the password, stays as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "JetPassword.h"
#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/Error.h"

namespace {

TEST(FileWriterPassword, AProtectedDatabaseIsWrittenAndKeepsItsHeader) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = dir.file("locked.mdb");
    testsupport::writeFile(
        db, testsupport::withPassword(
                testsupport::readFile(testsupport::fixture("teaching/Comptoir2000.mdb")),
                u"s3cret", true));
    const std::string before = testsupport::readFile(db);
    const std::string cs = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db +
                           ";Jet OLEDB:Database Password=s3cret";
    {
        jet::Connection c;
        c.Mode(jet::ConnectMode::ReadWrite);
        c.Open(cs);
        // The new table's access entries carry SIDs masked with the password's key.
        c.Execute("CREATE TABLE [Notes] ([ID] LONG CONSTRAINT [pk] PRIMARY KEY, [Text] MEMO)");
        c.Execute("CREATE INDEX [ixQte] ON [DetailCommande] ([Qte])");
        try {
            c.Close();
        } catch (const jet::Error& e) {
            FAIL() << e.description();
        }
    }
    const std::string after = testsupport::readFile(db);
    EXPECT_TRUE(after.substr(0, 4096) == before.substr(0, 4096));
    jet::Catalog cat;
    cat.ActiveConnection(cs);
    EXPECT_EQ(cat.Tables().Item("Notes").Columns().Count(), 2);
    EXPECT_TRUE(cat.Tables().Item("DetailCommande").Indexes().Item("ixQte").Columns().Count() == 1);
    jet::Connection wrong;
    EXPECT_THROW(wrong.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db +
                            ";Jet OLEDB:Database Password=nope"),
                 jet::Error);
}

}  // namespace
