// The writer's reading of a file's tables equals the reader's, on every
// Access-made Jet 4 file: the catalog shows the same thing before and after the
// writer engages.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/PageFile.h"
#include "jet/mdb/ReaderProcess.h"
#include "jet/writer/CatalogCompare.h"
#include "jet/writer/FileSchema.h"

namespace {

std::vector<std::string> jet4Fixtures() {
    std::vector<std::string> out;
    const auto dir = testsupport::fixturesDir();
    if (dir.empty()) return out;
    for (const char* folder : {"jackcess", "teaching"})
        for (const auto& e : std::filesystem::directory_iterator(dir / folder))
            if (e.path().extension() == ".mdb") {
                jet::file::PageFile f(e.path().string());
                if (f.facts().jet4()) out.push_back(e.path().string());
            }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(FileSchema, EveryUserTableReadsAsTheReaderReadsIt) {
    REQUIRE_FIXTURES();
    size_t tables = 0;
    for (const auto& path : jet4Fixtures()) {
        SCOPED_TRACE(path);
        jet::file::PageFile file(path);
        jet::file::FileCatalog catalog(file);
        const auto model = jet::file::readModel(catalog);
        std::vector<jet::TableData> ours;
        for (const auto& [key, t] : model.tables) ours.push_back(jet::statement::tableData(t));
        const auto reply = jet::mdb::readInChild(path, jet::mdb::ReadMode::Schema);
        ASSERT_EQ(reply.status, jet::mdb::ReadStatus::Ok) << reply.detail;
        std::vector<jet::TableData> theirs;
        for (const auto& t : reply.snapshot.tables)
            if (t.type == "TABLE") theirs.push_back(t);
        const auto diff = jet::file::tableDifferences(theirs, ours);
        std::string text;
        for (const auto& d : diff) text += d + "\n";
        EXPECT_TRUE(diff.empty()) << text;
        EXPECT_EQ(ours.size(), theirs.size());
        tables += ours.size();
    }
    std::cout << "tables read both ways: " << tables << "\n";
}

}  // namespace
