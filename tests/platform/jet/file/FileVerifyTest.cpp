// The check of a written file before it replaces the original: a file written
// from a session's state passes it, and rows that read otherwise than the
// session asked are found.
#include <gtest/gtest.h>

#include <filesystem>

#include "CodecTestSupport.h"
#include "TestSupport.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/FileSchema.h"
#include "jet/file/FileState.h"
#include "jet/file/FileStorage.h"
#include "jet/file/FileVerify.h"
#include "jet/file/Planner.h"
#include "jet/statement/Executor.h"
#include "jet/statement/Statement.h"

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

    Written(const std::string& fixture, const std::string& sql) {
        original = dir.file("original.mdb");
        fs::copy_file(testsupport::fixture(fixture), original);
        planned = std::make_unique<PageFile>(original);
        catalog = std::make_unique<FileCatalog>(*planned);
        model = readModel(*catalog);
        for (const auto& u : catalog->tables) {
            TableState s;
            s.name = u.name;
            s.page = u.definition.firstPage();
            s.objectRow = u.objectRow;
            s.original = u.definition;
            s.def = u.definition;
            s.props = u.properties;
            state.tables.emplace(model.table(u.name)->id, std::move(s));
        }
        FileStorage storage(state, *planned);
        statement::Executor(model, storage).run(statement::parseStatement(sql).statement);
        plan = writePlan(*planned, *catalog, state, model, storage, DateTime{45000.0});
        written = dir.file("written.mdb");
        codectest::saveAs(*planned, written);
    }

    [[nodiscard]] std::vector<std::string> verify(const FileState& asked) const {
        std::vector<TableData> expected;
        for (const auto& [key, t] : model.tables) expected.push_back(statement::tableData(t));
        return verifyWritten(written, original, *planned, expected, plan, asked);
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

}  // namespace
}  // namespace jet::file
