// The check of a written file before it replaces the original: a file written
// from a session's state passes it, and rows that read otherwise than the
// session asked are found.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "CodecTestSupport.h"
#include "TestSupport.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/UsageMap.h"
#include "jet/statement/Executor.h"
#include "jet/statement/Statement.h"
#include "jet/format/JetHeader.h"
#include "jet/writer/FilePermissions.h"
#include "jet/writer/FileSchema.h"
#include "jet/writer/FileState.h"
#include "jet/writer/FileStorage.h"
#include "jet/writer/FileVerify.h"
#include "jet/writer/Planner.h"

namespace jet::file {
namespace {

namespace fs = std::filesystem;

// A session on a copy of a fixture that ran `sql` and wrote its plan into a
// new file beside the copy, as the provider does before it verifies.
struct Written {
    testsupport::TempDir dir;
    std::string original;
    std::string written;
    std::unique_ptr<PageFile> planned;
    std::unique_ptr<FileCatalog> catalog;
    statement::Model model;
    FileState state;
    PlanResult plan;

    // `lines` sets the session's permission lines before the plan is written.
    Written(const std::string& fixture, const std::string& sql,
            const std::function<void(Written&)>& lines = {}) {
        original = dir.file("original.mdb");
        fs::copy_file(testsupport::fixture(fixture), original);
        planned = std::make_unique<PageFile>(original);
        catalog = std::make_unique<FileCatalog>(*planned);
        model = readModel(*catalog);
        state = fileStateOf(*catalog, model);
        FileStorage storage(state, *planned);
        statement::Executor(model, storage).run(statement::parseStatement(sql).statement);
        if (lines) lines(*this);
        plan = writePlan(*planned, *catalog, state, model, storage, DateTime{45000.0});
        written = dir.file("written.mdb");
        codectest::saveAs(*planned, written);
    }

    [[nodiscard]] std::vector<std::string> verify(const FileState& asked) const {
        std::vector<TableData> expected;
        for (const auto& [key, t] : model.tables) expected.push_back(statement::tableData(t));
        // The fixtures used here hold no saved queries.
        return verifyWritten(written, original, *planned, expected, plan, asked, {});
    }
};

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += "\n  " + l;
    return out;
}

TEST(FileVerify, PassesAFileWrittenAsPlannedAndFindsRowsThatReadOtherwise) {
    REQUIRE_FIXTURES();
    const Written w(
        "jackcess/test2V2000.mdb",
        "ALTER TABLE [MSP_PROJECTS] ALTER COLUMN [PROJ_OPT_CRITICAL_SLACK_LIMIT] DOUBLE;");
    ASSERT_FALSE(w.plan.rewrittenTables.empty());
    EXPECT_EQ(joined(w.verify(w.state)), "");

    // The session asked for another value in one row than the file holds.
    FileState asked = w.state;
    TableState* table = nullptr;
    for (auto& [id, t] : asked.tables)
        if (t.name == "MSP_PROJECTS") table = &t;
    ASSERT_TRUE(table && table->rowsChanged());
    auto rows = std::make_shared<ChangedRows>(*table->changed);
    const uint32_t changedRow = rows->begin()->first;
    const size_t at = [&] {
        for (size_t i = 0; i < table->def.columns.size(); ++i)
            if (table->def.columns[i].name == "PROJ_OPT_CRITICAL_SLACK_LIMIT") return i;
        return size_t{0};
    }();
    rows->begin()->second[at] = 12345.5;
    table->changed = rows;
    const std::string found = joined(w.verify(asked));
    EXPECT_NE(found.find("MSP_PROJECTS: row " + std::to_string(changedRow) +
                         " reads otherwise than planned"),
              std::string::npos)
        << found;
}

// Bytes changed on pages the plan did not write are found, on either half of
// the file (the halves are compared apart).
TEST(FileVerify, FindsPagesChangedThatThePlanLeftAlone) {
    REQUIRE_FIXTURES();
    const Written w("teaching/Comptoir2000.mdb",
                    "ALTER TABLE [Messager] ADD COLUMN [Note] TEXT(10);");
    ASSERT_EQ(joined(w.verify(w.state)), "");
    // Data pages of the tables the statement left alone.
    std::vector<uint32_t> pages;
    for (const auto& u : w.catalog->tables) {
        if (u.name == "Messager") continue;
        const UsageMap owned = UsageMap::read(*w.planned, u.definition.ownedPages);
        for (uint32_t n : owned.pages())
            if (!w.planned->changed(n)) pages.push_back(n);
    }
    ASSERT_FALSE(pages.empty());
    const auto [low, high] = std::minmax_element(pages.begin(), pages.end());
    const uint32_t half = w.planned->originalPageCount() / 2;
    ASSERT_LT(*low, half);
    ASSERT_GE(*high, half);
    for (uint32_t n : {*low, *high}) {
        std::fstream f(w.written, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(n) * 4096 + 4000);
        f.put('\x5A');
    }
    const std::string found = joined(w.verify(w.state));
    for (uint32_t n : {*low, *high})
        EXPECT_NE(found.find("page " + std::to_string(n) + " changed although nothing asked it to"),
                  std::string::npos)
            << found;
}

// A permission line's entry as the reader reads the written file: the mask
// planned, and another found.
TEST(FileVerify, FindsAnAccessEntryThatReadsOtherwiseThanPlanned) {
    REQUIRE_FIXTURES();
    const Written w("secured/kontener.mdb", "ALTER TABLE [Kontener] ADD COLUMN [Note] LONG;",
                    [](Written& s) {
                        const auto page = s.planned->page(0);
                        s.state.sidKey =
                            format::parseHeader(std::string(page->begin(), page->end()))->sidKey;
                        const PermissionTarget t = permissionTarget(
                            *s.catalog, s.state, s.model, "Kontener", objtype::Table, true);
                        // The Users group's fixed SID, masked as the file masks it.
                        const std::string users = format::unmaskSid("\x02\x01", *s.state.sidKey);
                        s.state.permissions[{t.object, t.name, users}] = 0x30;
                    });
    EXPECT_EQ(joined(w.verify(w.state)), "");
    FileState asked = w.state;
    asked.permissions.begin()->second = 0x10;
    const std::string found = joined(w.verify(asked));
    EXPECT_NE(found.find("the reader reads the access mask 48 of SID 0201 on 'kontener', not as "
                         "planned, 16"),
              std::string::npos)
        << found;
}

}  // namespace
}  // namespace jet::file
