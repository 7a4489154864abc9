// Long values of every kind written on new pages and read back.
#include <gtest/gtest.h>

#include "CodecTestSupport.h"
#include "jet/file/DataPage.h"
#include "jet/file/FormatError.h"
#include "jet/file/LongValue.h"
#include "jet/file/PageFile.h"

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
};

class LongValueKinds : public ::testing::TestWithParam<LongCase> {};

TEST_P(LongValueKinds, WrittenAndReadBack) {
    REQUIRE_FIXTURES();
    const auto& c = GetParam();
    PageFile file(testsupport::fixture("jackcess/emptyJet4.mdb"));
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
