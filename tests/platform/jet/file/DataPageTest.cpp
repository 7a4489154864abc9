// Data pages: every data page of every fixture, rebuilt from its rows, has
// the header, offsets and row area Access gave it.
#include <gtest/gtest.h>

#include "CodecTestSupport.h"
#include "jet/file/DataPage.h"
#include "jet/file/FormatError.h"
#include "jet/file/PageFile.h"
#include "jet/file/UsageMap.h"

namespace {

using jet::file::Bytes;
using jet::file::DataPage;
using jet::file::PageFile;
using jet::file::PageRow;

TEST(DataPageFixtures, PagesRebuiltFromTheirRowsMatchAccesssLayout) {
    REQUIRE_FIXTURES();
    size_t pages = 0;
    for (const auto& name : codectest::codecFixtures()) {
        SCOPED_TRACE(name);
        PageFile file(testsupport::fixture(name));
        const jet::file::GlobalUsageMap global(file);
        for (uint32_t p = 1; p < file.pageCount(); ++p) {
            const auto bytes = file.page(p);
            if ((*bytes)[0] != jet::file::kDataPageType) continue;
            // A freed page keeps whatever Access left in it (Library97.mdb's
            // page 96 is no data page though it starts like one).
            if (global.isFree(p, file)) {
                try {
                    (void)DataPage(*bytes, p);
                } catch (const jet::file::FormatError&) {
                    continue;
                }
            }
            const DataPage page(*bytes, p);
            std::vector<PageRow> rows;
            for (uint16_t r = 0; r < page.rowCount(); ++r) {
                const auto row = page.row(r);
                rows.push_back({Bytes(row.begin(), row.end()),
                                static_cast<uint16_t>(page.slot(r).raw & 0xC000)});
            }
            const Bytes built = jet::file::buildDataPage(file.pageSize(), page.owner(), rows);
            const size_t table = page.layout().dataPageHeaderSize + 2 * rows.size();
            const size_t rowsStart =
                rows.empty() ? file.pageSize() : page.rowStart(page.rowCount() - 1);
            // Jet 4's bytes 8–11 are of unknown meaning (kept by whoever
            // changes the page; Jet 3 keeps its row count there); between the
            // offsets and the rows Access leaves old bytes.
            const auto known = static_cast<ptrdiff_t>(page.layout().dataPageRowCountOffset);
            EXPECT_TRUE(std::equal(built.begin(), built.begin() + 8, bytes->begin())) << p;
            EXPECT_TRUE(std::equal(built.begin() + known,
                                   built.begin() + static_cast<ptrdiff_t>(table),
                                   bytes->begin() + known))
                << p;
            EXPECT_TRUE(std::equal(built.begin() + static_cast<ptrdiff_t>(rowsStart), built.end(),
                                   bytes->begin() + static_cast<ptrdiff_t>(rowsStart)))
                << p;
            ++pages;
        }
    }
    std::cout << pages << " data pages rebuilt\n";
}

TEST(DataPageBuilding, RowsThatDoNotFitAreRefused) {
    std::vector<PageRow> rows(3, PageRow{Bytes(1400), 0});
    EXPECT_THROW((void)jet::file::buildDataPage(4096, 5, rows), jet::file::FormatError);
    rows.pop_back();
    const Bytes page = jet::file::buildDataPage(4096, 5, rows);
    const DataPage d(page, 9);
    EXPECT_EQ(d.rowCount(), 2);
    EXPECT_EQ(d.freeSpace(), 4096 - 14 - 4 - 2800);
    EXPECT_EQ(d.owner(), 5u);
    EXPECT_EQ(d.rowStart(0), 4096 - 1400);
    EXPECT_EQ(d.rowEnd(1), 4096 - 1400);
    // More rows than a row number can count.
    EXPECT_FALSE(jet::file::rowsFit(4096, std::vector<size_t>(256, 1)));
    EXPECT_TRUE(jet::file::rowsFit(4096, std::vector<size_t>(255, 1)));
}

}  // namespace
