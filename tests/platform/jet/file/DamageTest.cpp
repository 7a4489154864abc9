// Damaged copies of real files fail with FormatError and never crash: each
// case damages one structure of a fixture in a copy and decodes everything.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "CodecTestSupport.h"
#include "CodecWalk.h"
#include "jet/file/DataPage.h"
#include "jet/file/FormatError.h"
#include "jet/file/LongValue.h"
#include "jet/file/PageFile.h"
#include "jet/file/Row.h"
#include "jet/file/TableDefinition.h"
#include "jet/file/TableReader.h"

namespace {

using jet::file::PageFile;
using jet::file::TableDefinition;
constexpr size_t kPage = PageFile::kPageSize;

void put16(std::string& bytes, size_t at, uint16_t v) {
    jet::file::putLe16(reinterpret_cast<uint8_t*>(bytes.data() + at), v);
}
void put32(std::string& bytes, size_t at, uint32_t v) {
    jet::file::putLe32(reinterpret_cast<uint8_t*>(bytes.data() + at), v);
}

uint32_t tablePage(const PageFile& file, const std::string& name) {
    for (const auto& t : codectest::tables(file))
        if (t.name == name) return static_cast<uint32_t>(t.id);
    throw std::runtime_error("no table " + name);
}

// The long-value field of column `column` in the first row of `table` whose
// field is of kind `kind`, with the row's page.
jet::file::LongValueHeader findLongValue(const PageFile& file, const std::string& table,
                                         const std::string& column, uint8_t kind) {
    const auto def = TableDefinition::read(file, tablePage(file, table));
    const auto* col = def.columnNamed(column);
    std::optional<jet::file::LongValueHeader> found;
    jet::file::TableReader(file, def).forEachRow([&](const jet::file::TableRow& row) {
        const auto layout = jet::file::readRowLayout(def, row.bytes);
        if (found || !layout.notNull(row.bytes, col->number)) return;
        const auto start = layout.variableOffsets.at(col->variableIndex);
        const auto h = jet::file::readLongValueHeader(row.bytes.subspan(start));
        if (h.kind == kind) found = h;
    });
    if (!found) throw std::runtime_error("no such long value in " + table);
    return *found;
}

// Where a row's bytes start in the file.
size_t rowOffset(const PageFile& file, jet::file::RowPointer p) {
    const auto page = file.page(p.page);
    return p.page * file.pageSize() + jet::file::DataPage(*page, p.page).rowStart(p.row);
}

struct Damage {
    const char* name;
    const char* fixture;
    const char* complaint;  // what the FormatError says
    // Damages the file's bytes; `file` is the undamaged fixture, to find things.
    std::function<void(const PageFile& file, std::string& bytes)> apply;
};

const Damage kDamages[] = {
    {"TruncatedFile", "jackcess/indexTestV2000.mdb", "past the end of the file",
     [](const PageFile&, std::string& b) { b.resize(b.size() * 2 / 5 + 100); }},
    {"DefinitionLengthRunsPastItsPage", "jackcess/indexTestV2000.mdb", "length runs past its pages",
     [](const PageFile& f, std::string& b) { put32(b, tablePage(f, "Table1") * kPage + 8, 5000); }},
    {"DefinitionCountsRunPastItsLength", "jackcess/indexTestV2000.mdb",
     "counts run past its length",
     [](const PageFile& f, std::string& b) { put16(b, tablePage(f, "Table1") * kPage + 45, 400); }},
    {"DefinitionChainLoops", "jackcess/indexTestV2000.mdb", "pages loop",
     [](const PageFile& f, std::string& b) {
         const uint32_t p = tablePage(f, "Table1");
         put32(b, p * kPage + 4, p);
     }},
    {"CatalogPageIsNoDefinition", "jackcess/indexTestV2000.mdb", "not a table definition page",
     [](const PageFile&, std::string& b) { b[2 * kPage] = 0x01; }},
    {"RowOffsetPastThePage", "jackcess/indexTestV2000.mdb", "offset outside the page",
     [](const PageFile& f, std::string& b) {
         const auto def = TableDefinition::read(f, tablePage(f, "Table1"));
         const uint32_t page = jet::file::TableReader(f, def).dataPages().at(0);
         put16(b, page * kPage + jet::file::kDataPageHeaderSize, 0x1FF0);
     }},
    {"RowVariableCountRunsPastTheRow", "jackcess/indexTestV2000.mdb",
     "variable offsets run past the row",
     [](const PageFile& f, std::string& b) {
         const auto def = TableDefinition::read(f, 2);
         const uint32_t page = jet::file::TableReader(f, def).dataPages().at(0);
         const auto bytes = f.page(page);
         const jet::file::DataPage d(*bytes, page);
         // The row's variable count sits before its null mask: claim 2000 offsets.
         const size_t end = page * kPage + d.rowEnd(0);
         const size_t mask = (def.maxColumns + 7) / 8;
         put16(b, end - mask - 2, 2000);
     }},
    {"UsageMapPointsToADataPage", "jackcess/testRefGlobalV2000.mdb", "not a usage map page",
     [](const PageFile& f, std::string& b) {
         // The global map is of type 1: its first slot now names the catalog's
         // first data page.
         const auto bytes = f.page(1);
         const jet::file::DataPage d(*bytes, 1);
         const auto def = TableDefinition::read(f, 2);
         put32(b, kPage + d.rowStart(0) + 1, jet::file::TableReader(f, def).dataPages().at(0));
     }},
    {"LongValueChainLoops", "jackcess/test2V2000.mdb", "chain loops",
     [](const PageFile& f, std::string& b) {
         const auto h = findLongValue(f, "MSysObjects", "LvProp", jet::file::kLongValueChain);
         // The second row of the chain points back to the first.
         const auto firstRow = rowOffset(f, h.first);
         const auto second = jet::file::readRowPointer(
             jet::file::ByteSpan(reinterpret_cast<const uint8_t*>(b.data() + firstRow), 4));
         ASSERT_NE(second.page, 0u);
         const auto at = rowOffset(f, second);
         b[at] = static_cast<char>(h.first.row);
         jet::file::putLe24(reinterpret_cast<uint8_t*>(b.data() + at + 1), h.first.page);
     }},
    {"LongValueLongerThanItsRow", "jackcess/test2V2000.mdb", "shorter than its length",
     [](const PageFile& f, std::string& b) {
         const auto h = findLongValue(f, "MSysObjects", "LvProp", jet::file::kLongValueOneRow);
         // The long-value row shrinks to one byte (its start moves up to just
         // before its end); the value claims more.
         const auto page = f.page(h.first.page);
         const jet::file::DataPage d(*page, h.first.page);
         ASSERT_GT(d.rowCount(), h.first.row);
         put16(b, h.first.page * kPage + jet::file::kDataPageHeaderSize + 2 * h.first.row,
               static_cast<uint16_t>(d.rowEnd(h.first.row) - 1));
     }},
    {"PropertyChunkLengthRunsPastItsBlob", "jackcess/testUnicodeCompV2003.mdb",
     "chunk's length runs past its blob",
     [](const PageFile& f, std::string& b) {
         const auto h = findLongValue(f, "MSysObjects", "LvProp", jet::file::kLongValueOneRow);
         put32(b, rowOffset(f, h.first) + 4, 0x7FFFFFF0);
     }},
};

// The same damages of Access 97 files, at the offsets of Jet 3's layout.
const Damage kJet3Damages[] = {
    {"TruncatedFile", "mdbtestdata/nwind.mdb", "past the end of the file",
     [](const PageFile&, std::string& b) { b.resize(b.size() * 2 / 5 + 100); }},
    {"DefinitionLengthRunsPastItsPage", "jackcess/indexTestV1997.mdb", "length runs past its pages",
     [](const PageFile& f, std::string& b) {
         put32(b, tablePage(f, "Table1") * f.pageSize() + 8, 5000);
     }},
    {"DefinitionCountsRunPastItsLength", "jackcess/indexTestV1997.mdb",
     "counts run past its length",
     [](const PageFile& f, std::string& b) {
         put16(b, tablePage(f, "Table1") * f.pageSize() + f.layout().header.columnCount, 400);
     }},
    {"DefinitionChainLoops", "jackcess/indexTestV1997.mdb", "pages loop",
     [](const PageFile& f, std::string& b) {
         const uint32_t p = tablePage(f, "Table1");
         put32(b, p * f.pageSize() + 4, p);
     }},
    {"CatalogPageIsNoDefinition", "jackcess/indexTestV1997.mdb", "not a table definition page",
     [](const PageFile& f, std::string& b) { b[2 * f.pageSize()] = 0x01; }},
    {"RowOffsetPastThePage", "jackcess/indexTestV1997.mdb", "offset outside the page",
     [](const PageFile& f, std::string& b) {
         const auto def = TableDefinition::read(f, tablePage(f, "Table1"));
         const uint32_t page = jet::file::TableReader(f, def).dataPages().at(0);
         put16(b, page * f.pageSize() + f.layout().dataPageHeaderSize, 0x1FF0);
     }},
    {"RowVariableCountRunsPastTheRow", "jackcess/indexTestV1997.mdb",
     "variable offsets run past the row",
     [](const PageFile& f, std::string& b) {
         const auto def = TableDefinition::read(f, 2);
         const uint32_t page = jet::file::TableReader(f, def).dataPages().at(0);
         const auto bytes = f.page(page);
         const jet::file::DataPage d(*bytes, page);
         // Jet 3's one-byte variable count sits before the null mask: claim 250.
         const size_t end = page * f.pageSize() + d.rowEnd(0);
         const size_t mask = (def.maxColumns + 7) / 8;
         b[end - mask - 1] = static_cast<char>(250);
     }},
    {"UsageMapOfUnknownType", "jackcess/indexTestV1997.mdb", "unknown usage map type",
     [](const PageFile& f, std::string& b) {
         const auto bytes = f.page(1);
         const jet::file::DataPage d(*bytes, 1);
         b[f.pageSize() + d.rowStart(0)] = 7;
     }},
    {"LongValueChainLoops", "mdbtestdata/nwind.mdb", "chain loops",
     [](const PageFile& f, std::string& b) {
         // nwind's chains of LvProp are two rows long: the first now names itself.
         const auto h = findLongValue(f, "MSysObjects", "LvProp", jet::file::kLongValueChain);
         const auto at = rowOffset(f, h.first);
         b[at] = static_cast<char>(h.first.row);
         jet::file::putLe24(reinterpret_cast<uint8_t*>(b.data() + at + 1), h.first.page);
     }},
    {"LongValueLongerThanItsRow", "mdbtestdata/nwind.mdb", "shorter than its length",
     [](const PageFile& f, std::string& b) {
         const auto h = findLongValue(f, "MSysObjects", "LvProp", jet::file::kLongValueOneRow);
         const auto page = f.page(h.first.page);
         const jet::file::DataPage d(*page, h.first.page);
         ASSERT_GT(d.rowCount(), h.first.row);
         put16(b, h.first.page * f.pageSize() + f.layout().dataPageHeaderSize + 2 * h.first.row,
               static_cast<uint16_t>(d.rowEnd(h.first.row) - 1));
     }},
    {"PropertyChunkLengthRunsPastItsBlob", "mdbtestdata/nwind.mdb",
     "chunk's length runs past its blob",
     [](const PageFile& f, std::string& b) {
         const auto h = findLongValue(f, "MSysObjects", "LvProp", jet::file::kLongValueOneRow);
         put32(b, rowOffset(f, h.first) + 4, 0x7FFFFFF0);
     }},
};

class DamagedFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedFile, FailsWithFormatErrorOnly) {
    REQUIRE_FIXTURES();
    const auto& d = GetParam();
    testsupport::TempDir dir;
    const auto source = testsupport::fixture(d.fixture);
    std::string bytes = testsupport::readFile(source);
    {
        PageFile pristine(source);
        // The undamaged file decodes whole.
        ASSERT_EQ(codecwalk::walk(pristine, true).failures, 0u);
        d.apply(pristine, bytes);
    }
    const auto copy = dir.file(std::string(d.name) + ".mdb");
    testsupport::writeFile(copy, bytes);
    PageFile damaged(copy);
    try {
        (void)codecwalk::walk(damaged, true);
        ADD_FAILURE() << "no FormatError";
    } catch (const jet::file::FormatError& e) {
        EXPECT_NE(std::string(e.what()).find(d.complaint), std::string::npos) << e.what();
    }
    // Walking on past each failure meets nothing but FormatError either.
    const auto counts = codecwalk::walk(damaged, false);
    EXPECT_GT(counts.failures, 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedFile, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& p) {
                             return std::string(p.param.name);
                         });
INSTANTIATE_TEST_SUITE_P(Jet3Cases, DamagedFile, ::testing::ValuesIn(kJet3Damages),
                         [](const ::testing::TestParamInfo<Damage>& p) {
                             return std::string(p.param.name);
                         });

TEST(DamagedFile, FilesThatAreNoJetDatabaseAreRefused) {
    testsupport::TempDir dir;
    const auto empty = dir.file("empty.mdb");
    testsupport::writeFile(empty, "");
    EXPECT_THROW(PageFile{empty}, jet::file::FormatError);
    const auto text = dir.file("text.mdb");
    testsupport::writeFile(text, std::string(8192, 'x'));
    EXPECT_THROW(PageFile{text}, jet::file::FormatError);
    EXPECT_THROW(PageFile{dir.file("missing.mdb")}, jet::file::FormatError);
}

}  // namespace
