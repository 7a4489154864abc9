// Pages the codec writes read back through libmdb: a real table grown by
// hundreds of new data pages (its owned-pages map promoted to type 1, the
// global map taking the pages in, the definition's row count kept) is read
// whole by mdb-export. Indexes are not touched here: mdb-export reads the
// table's pages, not its indexes.
#include <gtest/gtest.h>

#include "CodecTestSupport.h"
#include "CodecWalk.h"
#include "MdbTools.h"
#include "jet/file/DataPage.h"
#include "jet/file/PageFile.h"
#include "jet/file/Row.h"
#include "jet/file/TableDefinition.h"
#include "jet/file/TableReader.h"
#include "jet/file/UsageMap.h"

namespace {

using namespace jet::file;

std::vector<jet::FieldValue> userRow(int i) {
    const std::string n = std::to_string(i);
    return {int32_t{1000 + i},
            std::string("login" + n),
            std::string("pwd"),
            std::string("-1"),
            std::string("User number " + n),
            int32_t{i % 7},
            int32_t{16408},
            int32_t{-1},
            std::string("N"),
            jet::DateTime{40000.0 + i / 1440.0}};
}

TEST(WriteBack, AGrownTableReadsBackThroughMdbExport) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    testsupport::TempDir dir;
    const auto grown = dir.file("grown.mdb");
    const int added = 24000;
    uint32_t tablePage = 0;
    size_t before = 0;
    {
        PageFile file(testsupport::fixture("jackcess/fixedTextTestV2000.mdb"));
        for (const auto& t : codectest::tables(file))
            if (t.name == "users") tablePage = static_cast<uint32_t>(t.id);
        auto def = TableDefinition::read(file, tablePage);
        ASSERT_EQ(def.columns.size(), 10u);
        before = def.rowCount;
        auto owned = UsageMap::read(file, def.ownedPages);
        ASSERT_EQ(owned.type(), UsageMap::Type::Inline);
        GlobalUsageMap global(file);
        std::vector<PageRow> rows;
        std::vector<size_t> lengths;
        auto flush = [&] {
            const uint32_t p = file.append();
            const Bytes page = buildDataPage(file.pageSize(), def.firstPage(), rows);
            auto out = file.writable(p);
            std::copy(page.begin(), page.end(), out.begin());
            owned.add(p);
            global.markUsed(p);
            rows.clear();
            lengths.clear();
        };
        for (int i = 0; i < added; ++i) {
            Bytes row = encodeRow(def, userRow(i), nullptr);
            lengths.push_back(row.size());
            if (!rowsFit(file.pageSize(), lengths)) {
                lengths.pop_back();
                flush();
                lengths.push_back(row.size());
            }
            rows.push_back({std::move(row), 0});
        }
        flush();
        ASSERT_GT(owned.pages().size(), owned.inlineCapacity());
        owned.write(file);
        EXPECT_EQ(owned.type(), UsageMap::Type::Reference);
        for (uint32_t p : owned.newMapPages()) global.markUsed(p);
        def.rowCount += static_cast<uint32_t>(added);
        EXPECT_TRUE(def.write(file).empty());
        global.write(file);
        codectest::saveAs(file, grown);
    }
    PageFile file(grown);
    EXPECT_EQ(codecwalk::walk(file, true).failures, 0u);
    const auto def = TableDefinition::read(file, tablePage);
    EXPECT_EQ(def.rowCount, before + added);
    const auto ours = TableReader(file, def).readAll();
    ASSERT_EQ(ours.size(), before + added);
    EXPECT_EQ(ours.back().second, userRow(added - 1));
    const auto theirs = mdbtest::exportTable(grown, "users");
    ASSERT_EQ(theirs.size(), 1 + before + added);
    size_t found = 0;
    for (const auto& row : theirs)
        if (row.at(1) == "login12345" && row.at(4) == "User number 12345" && row.at(0) == "13345")
            ++found;
    EXPECT_EQ(found, 1u);
}

}  // namespace
