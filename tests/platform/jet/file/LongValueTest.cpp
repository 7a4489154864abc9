// Long values of every kind written on new pages and read back.
#include <gtest/gtest.h>

#include "CodecTestSupport.h"
#include "jet/file/DataPage.h"
#include "jet/file/FormatError.h"
#include "jet/file/LongValue.h"
#include "jet/file/PageFile.h"
#include "jet/file/Row.h"
#include "jet/file/TableDefinition.h"
#include "jet/file/TableReader.h"

namespace {

using jet::file::Bytes;
using jet::file::LongValueWriter;
using jet::file::PageFile;

Bytes pattern(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return b;
}

struct LongCase {
    const char* name;
    size_t length;
    size_t rowRoom;
    uint8_t kind;
    size_t pages;  // long-value pages the writer makes
    const char* fixture = "jackcess/emptyJet4.mdb";
};

class LongValueKinds : public ::testing::TestWithParam<LongCase> {};

TEST_P(LongValueKinds, WrittenAndReadBack) {
    REQUIRE_FIXTURES();
    const auto& c = GetParam();
    PageFile file(testsupport::fixture(c.fixture));
    LongValueWriter writer(file);
    const Bytes value = pattern(c.length);
    const Bytes field = writer.write(value, c.rowRoom);
    const auto header = jet::file::readLongValueHeader(field);
    EXPECT_EQ(header.kind, c.kind);
    EXPECT_EQ(header.length, c.length);
    EXPECT_EQ(writer.pages().size(), c.pages);
    EXPECT_EQ(jet::file::readLongValue(file, field), value);
    for (uint32_t p : writer.pages()) {
        const auto page = file.page(p);
        const jet::file::DataPage d(*page, p);
        EXPECT_TRUE(d.longValuePage());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LongValueKinds,
    ::testing::Values(LongCase{"Empty", 0, 100, jet::file::kLongValueInline, 0},
                      LongCase{"SmallInline", 40, 100, jet::file::kLongValueInline, 0},
                      LongCase{"LargestInline", 64, 100, jet::file::kLongValueInline, 0},
                      LongCase{"SmallWithoutRoom", 40, 30, jet::file::kLongValueOneRow, 1},
                      LongCase{"PastInline", 65, 4000, jet::file::kLongValueOneRow, 1},
                      LongCase{"LargestOneRow", 4076, 4000, jet::file::kLongValueOneRow, 1},
                      LongCase{"ShortestChain", 4077, 4000, jet::file::kLongValueChain, 2},
                      LongCase{"ChainOfFullRows", 4072 * 3, 4000, jet::file::kLongValueChain, 3},
                      LongCase{"LongChain", 100000, 4000, jet::file::kLongValueChain, 25}),
    [](const ::testing::TestParamInfo<LongCase>& p) { return std::string(p.param.name); });

// Jet 3's rows fill a 2048-byte page: 2036 bytes, 2032 of a chain's value.
constexpr const char* kJet3Empty = "jet3/blankEngine97.mdb";
INSTANTIATE_TEST_SUITE_P(
    Jet3Cases, LongValueKinds,
    ::testing::Values(
        LongCase{"SmallInline", 40, 100, jet::file::kLongValueInline, 0, kJet3Empty},
        LongCase{"SmallWithoutRoom", 40, 30, jet::file::kLongValueOneRow, 1, kJet3Empty},
        LongCase{"LargestOneRow", 2036, 2000, jet::file::kLongValueOneRow, 1, kJet3Empty},
        LongCase{"ShortestChain", 2037, 2000, jet::file::kLongValueChain, 2, kJet3Empty},
        LongCase{"ChainOfFullRows", 2032 * 3, 2000, jet::file::kLongValueChain, 3, kJet3Empty},
        LongCase{"LongChain", 100000, 2000, jet::file::kLongValueChain, 50, kJet3Empty}),
    [](const ::testing::TestParamInfo<LongCase>& p) { return std::string(p.param.name); });

// Every long value of every fixture reads back whole, and the rows of its
// chain that are not its last hold exactly the layout's most: the measure of
// maxLongValueRow (4076 in Jet 4, 2036 in Jet 3).
TEST(LongValueFixtures, ChainRowsAreAsLongAsTheLayoutSays) {
    REQUIRE_FIXTURES();
    size_t values = 0, chainRows = 0;
    for (const auto& name : codectest::codecFixtures()) {
        SCOPED_TRACE(name);
        PageFile file(testsupport::fixture(name));
        const size_t most = file.layout().maxLongValueRow;
        for (const auto& t : codectest::tables(file)) {
            const auto def = jet::file::TableDefinition::read(file, static_cast<uint32_t>(t.id));
            jet::file::TableReader(file, def).forEachRow([&](const jet::file::TableRow& row) {
                const auto layout = jet::file::readRowLayout(def, row.bytes);
                for (const auto& c : def.columns) {
                    if (!jet::file::isLongValueType(c.type) ||
                        !layout.notNull(row.bytes, c.number) ||
                        c.variableIndex >= layout.variableCount)
                        continue;
                    const size_t start = layout.variableOffsets[c.variableIndex];
                    const size_t end = c.variableIndex + 1u < layout.variableCount
                                           ? layout.variableOffsets[c.variableIndex + 1u]
                                           : layout.variableEnd;
                    const auto field = row.bytes.subspan(start, end - start);
                    const auto header = jet::file::readLongValueHeader(field);
                    EXPECT_EQ(jet::file::readLongValue(file, field).size(), header.length);
                    ++values;
                    if (header.kind != jet::file::kLongValueChain) continue;
                    size_t left = header.length;
                    for (auto at = header.first; left > 0;) {
                        const auto page = file.page(at.page);
                        const auto bytes = jet::file::DataPage(*page, at.page).row(at.row);
                        const size_t holds = bytes.size() - 4;
                        if (left > holds) {
                            EXPECT_EQ(bytes.size(), most) << t.name << " " << c.name;
                            ++chainRows;
                        }
                        left -= std::min(left, holds);
                        at = jet::file::readRowPointer(bytes.first(4));
                    }
                }
            });
        }
    }
    std::cout << values << " long values, " << chainRows << " full chain rows\n";
    EXPECT_GT(chainRows, 0u);
}

TEST(LongValueWriting, SmallValuesShareALongValuePage) {
    REQUIRE_FIXTURES();
    PageFile file(testsupport::fixture("jackcess/emptyJet4.mdb"));
    LongValueWriter writer(file);
    std::vector<std::pair<Bytes, Bytes>> written;
    for (size_t n : {100, 200, 300, 3000, 500})
        written.emplace_back(pattern(n), writer.write(pattern(n), 0));
    // The first four fit on one page; the fifth starts another.
    EXPECT_EQ(writer.pages().size(), 2u);
    for (const auto& [value, field] : written)
        EXPECT_EQ(jet::file::readLongValue(file, field), value);
}

}  // namespace
