// Usage maps: every map of every fixture decodes to pages of its table and
// encodes back unchanged; maps move and grow as their sets need.
#include <gtest/gtest.h>

#include <filesystem>

#include "CodecTestSupport.h"
#include "CodecWalk.h"
#include "MdbTools.h"
#include "jet/file/DataPage.h"
#include "jet/file/FormatError.h"
#include "jet/file/PageFile.h"
#include "jet/file/TableDefinition.h"
#include "jet/file/UsageMap.h"

namespace {

using jet::file::Bytes;
using jet::file::GlobalUsageMap;
using jet::file::kLongValueOwner;
using jet::file::PageFile;
using jet::file::TableDefinition;
using jet::file::UsageMap;
using jet::file::UsageMapRef;

enum class Holds { TableRows, IndexPages, LongValues };

// Every page of the map is a page of the kind it should hold, of this table,
// and in use.
void expectPagesBelong(const PageFile& file, const GlobalUsageMap& global, const UsageMap& map,
                       Holds holds, uint32_t table) {
    for (uint32_t p : map.pages()) {
        ASSERT_LT(p, file.pageCount());
        const auto page = file.page(p);
        const uint8_t type = (*page)[0];
        const uint32_t owner = jet::file::le32(page->data() + 4);
        switch (holds) {
            case Holds::TableRows:
                EXPECT_EQ(type, jet::file::kDataPageType) << p;
                EXPECT_EQ(owner, table) << p;
                break;
            case Holds::IndexPages:
                EXPECT_TRUE(type == 3 || type == 4) << p;
                EXPECT_EQ(owner, table) << p;
                break;
            case Holds::LongValues:
                EXPECT_EQ(type, jet::file::kDataPageType) << p;
                EXPECT_EQ(owner, kLongValueOwner) << p;
                break;
        }
        EXPECT_FALSE(global.isFree(p, file)) << p;
    }
}

TEST(UsageMapFixtures, MapsHoldTheirTablesPagesAndEncodeUnchanged) {
    REQUIRE_FIXTURES();
    size_t maps = 0, referenceMaps = 0;
    for (const auto& name : codectest::codecFixtures()) {
        SCOPED_TRACE(name);
        PageFile file(testsupport::fixture(name));
        GlobalUsageMap global(file);
        for (const auto& t : codectest::tables(file)) {
            SCOPED_TRACE(t.name);
            const auto def = TableDefinition::read(file, static_cast<uint32_t>(t.id));
            auto check = [&](UsageMapRef ref, Holds holds) {
                if (ref.page == 0) return;  // a long-value column without a free-space map
                auto map = UsageMap::read(file, ref);
                expectPagesBelong(file, global, map, holds, def.firstPage());
                map.write(file);
                ++maps;
                if (map.type() == UsageMap::Type::Reference) ++referenceMaps;
            };
            check(def.ownedPages, Holds::TableRows);
            check(def.freeSpacePages, Holds::TableRows);
            const auto owned = UsageMap::read(file, def.ownedPages);
            const auto free = UsageMap::read(file, def.freeSpacePages);
            for (uint32_t p : free.pages()) EXPECT_TRUE(owned.contains(p)) << p;
            for (const auto& r : def.realIndexes) check(r.map, Holds::IndexPages);
            for (const auto& l : def.longValueMaps) {
                check(l.owned, Holds::LongValues);
                check(l.free, Holds::LongValues);
            }
        }
        global.write(file);
        // Writing back what was read changes no page.
        EXPECT_TRUE(file.changedPages().empty());
    }
    std::cout << maps << " usage maps, " << referenceMaps << " of type 1\n";
    EXPECT_GT(referenceMaps, 0u);
}

TEST(UsageMapFixtures, GlobalMapReadsPagesPastTheEndFree) {
    REQUIRE_FIXTURES();
    PageFile file(testsupport::fixture("jackcess/indexTestV2000.mdb"));
    GlobalUsageMap global(file);
    EXPECT_FALSE(global.isFree(0, file));
    EXPECT_FALSE(global.isFree(2, file));
    EXPECT_TRUE(global.isFree(file.pageCount(), file));
    EXPECT_TRUE(global.isFree(file.pageCount() + 1000, file));
}

// A data page holding one map row of `rowLength` bytes, written into a new
// page of `file`; returns where the row is.
UsageMapRef mapRow(PageFile& file, Bytes row) {
    const uint32_t page = file.append();
    const Bytes bytes = jet::file::buildDataPage(file.pageSize(), 0, {{std::move(row), 0}});
    auto out = file.writable(page);
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return {0, page};
}

Bytes inlineRow(uint32_t start, std::initializer_list<uint8_t> bitmap) {
    Bytes row(69, 0);
    jet::file::putLe32(row.data() + 1, start);
    std::copy(bitmap.begin(), bitmap.end(), row.begin() + 5);
    return row;
}

TEST(UsageMapEncoding, InlineMapKeepsItsStartWhileTheSetFitsElseMovesIt) {
    REQUIRE_FIXTURES();
    PageFile file(testsupport::fixture("jackcess/emptyJet4.mdb"));
    const auto where = mapRow(file, inlineRow(16, {0x05}));
    auto map = UsageMap::read(file, where);
    EXPECT_EQ(map.pages(), (std::vector<uint32_t>{16, 18}));
    map.add(20);
    map.write(file);
    auto again = UsageMap::read(file, where);
    EXPECT_EQ(again.startPage(), 16u);
    EXPECT_EQ(again.pages(), (std::vector<uint32_t>{16, 18, 20}));
    // A page below the start moves the start down to a multiple of 8.
    again.add(3);
    again.write(file);
    auto moved = UsageMap::read(file, where);
    EXPECT_EQ(moved.type(), UsageMap::Type::Inline);
    EXPECT_EQ(moved.startPage(), 0u);
    EXPECT_EQ(moved.pages(), (std::vector<uint32_t>{3, 16, 18, 20}));
}

TEST(UsageMapEncoding, InlineMapThatCannotHoldItsSetIsPromotedToType1) {
    REQUIRE_FIXTURES();
    PageFile file(testsupport::fixture("jackcess/emptyJet4.mdb"));
    const auto where = mapRow(file, inlineRow(8, {0x01}));
    auto map = UsageMap::read(file, where);
    ASSERT_EQ(map.inlineCapacity(), 512u);
    const std::vector<uint32_t> pages{8, 600, 40000, 70000};
    map.assign(pages);
    map.write(file);
    ASSERT_EQ(map.newMapPages().size(), 3u);  // one map page per 32736 pages used
    auto promoted = UsageMap::read(file, where);
    EXPECT_EQ(promoted.type(), UsageMap::Type::Reference);
    EXPECT_EQ(promoted.rowLength(), 69u);
    EXPECT_EQ(promoted.pages(), pages);
    for (uint32_t p : map.newMapPages())
        EXPECT_EQ((*file.page(p))[0], jet::file::kUsageMapPageType);
    // Emptying a slot keeps its map page; a page past every slot is refused.
    promoted.remove(70000);
    promoted.write(file);
    EXPECT_TRUE(promoted.newMapPages().empty());
    EXPECT_EQ(UsageMap::read(file, where).pages(), (std::vector<uint32_t>{8, 600, 40000}));
    promoted.add(17 * 32736);
    EXPECT_THROW(promoted.write(file), jet::file::FormatError);
}

// Jet 3: 133-byte inline rows map 1,024 pages; type 1 map pages of 2048
// bytes map 2044 × 8 pages each.
TEST(UsageMapEncoding, AJet3InlineMapIsPromotedToMapPagesOf2044Bytes) {
    REQUIRE_FIXTURES();
    PageFile file(testsupport::fixture("jet3/blankEngine97.mdb"));
    Bytes row(file.layout().usageMapRowLength, 0);
    jet::file::putLe32(row.data() + 1, 8);
    row[5] = 0x01;
    const auto where = mapRow(file, row);
    auto map = UsageMap::read(file, where);
    ASSERT_EQ(map.inlineCapacity(), 1024u);
    const uint32_t perPage = 2044 * 8;
    ASSERT_EQ(UsageMap::pagesPerMapPage(file.pageSize()), perPage);
    const std::vector<uint32_t> pages{8, 1500, perPage - 1, perPage, 2 * perPage + 5};
    map.assign(pages);
    map.write(file);
    ASSERT_EQ(map.newMapPages().size(), 3u);
    const auto promoted = UsageMap::read(file, where);
    EXPECT_EQ(promoted.type(), UsageMap::Type::Reference);
    EXPECT_EQ(promoted.rowLength(), 133u);
    EXPECT_EQ(promoted.pages(), pages);
    for (uint32_t p : map.newMapPages()) EXPECT_EQ(file.page(p)->size(), 2048u);
}

// Jet 3's global map grows its row with the file, a bitmap byte per 8 pages
// as Access keeps it, and stays inline; the file reads back through libmdb.
TEST(UsageMapEncoding, AJet3GlobalMapGrowsItsRowWithTheFile) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const auto path = dir.file("grown97.mdb");
    {
        PageFile file(testsupport::fixture("jet3/blankEngine97.mdb"));
        GlobalUsageMap global(file);
        ASSERT_EQ(global.map().rowLength(), 133u);
        uint32_t last = 0;
        while (file.pageCount() < 1466) {
            last = file.append();
            auto out = file.writable(last);
            out[0] = jet::file::kUsageMapPageType;  // some page in use
            global.markUsed(last);
        }
        global.markFree(last);
        global.write(file);
        GlobalUsageMap again(file);
        EXPECT_EQ(again.map().type(), UsageMap::Type::Inline);
        EXPECT_EQ(again.map().rowLength(), 5u + 184u);
        EXPECT_FALSE(again.isFree(last - 1, file));
        EXPECT_TRUE(again.isFree(last, file));
        EXPECT_FALSE(again.isFree(2, file));
        // Page 1's other row is still there.
        const jet::file::DataPage page1(*file.page(1), 1);
        EXPECT_EQ(page1.rowCount(), 2);
        EXPECT_EQ(page1.row(1).size(), 133u);
        codectest::saveAs(file, path);
    }
    PageFile file(path);
    EXPECT_EQ(GlobalUsageMap(file).map().rowLength(), 189u);
    EXPECT_EQ(codecwalk::walk(file, true).failures, 0u);
    if (mdbtest::haveMdbTools()) {
        EXPECT_GT(mdbtest::exportTable(path, "MSysObjects").size(), 1u);
    }
}

TEST(UsageMapEncoding, GlobalMapTakesInAFileGrownPastItsRange) {
    REQUIRE_FIXTURES();
    PageFile file(testsupport::fixture("jackcess/emptyJet4.mdb"));
    GlobalUsageMap global(file);
    ASSERT_EQ(global.map().type(), UsageMap::Type::Inline);
    const uint32_t before = file.pageCount();
    uint32_t last = 0;
    while (file.pageCount() < 600) {
        last = file.append();
        global.markUsed(last);
    }
    global.write(file);
    GlobalUsageMap again(file);
    EXPECT_EQ(again.map().type(), UsageMap::Type::Reference);
    EXPECT_FALSE(again.isFree(last, file));
    EXPECT_FALSE(again.isFree(before, file));
    EXPECT_FALSE(again.isFree(2, file));
    for (uint32_t p : global.map().newMapPages()) EXPECT_FALSE(again.isFree(p, file));
    EXPECT_TRUE(again.isFree(file.pageCount(), file));
}

}  // namespace
