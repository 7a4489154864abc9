// Statements run on copies of Access-made files through a ReadWrite session,
// written when the session ends, and read back by the project's reader.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/Error.h"

namespace {

std::string connection(const std::string& path) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path;
}

std::string copyOf(const testsupport::TempDir& dir, const std::string& fixture) {
    const std::string to = dir.file(std::filesystem::path(fixture).filename().string());
    std::filesystem::copy_file(testsupport::fixture(fixture), to);
    std::filesystem::permissions(to, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    return to;
}

TEST(FileWriter, ACreatedTableIsThereWhenTheFileIsOpenedAgain) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/emptyV2000.mdb");
    {
        jet::Connection c;
        c.Mode(jet::ConnectMode::ReadWrite);
        c.Open(connection(db));
        try {
            c.Execute("CREATE TABLE [People] ([ID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY, "
                      "[Name] TEXT(50) NOT NULL, [Amount] CURRENCY, [Notes] MEMO)");
            c.Close();
        } catch (const jet::Error& e) {
            FAIL() << e.description();
        }
        std::cout << c.CloseReport() << "\n";
    }
    jet::Catalog cat;
    cat.ActiveConnection(connection(db));
    auto t = cat.Tables().Item("People");
    EXPECT_EQ(t.Columns().Count(), 4);
    EXPECT_EQ(t.Indexes().Item("PrimaryKey").PrimaryKey(), true);
}

}  // namespace
