// The index oracle on Access-made files: every real index whose keys the
// encoder claims must be rebuilt from its table's rows byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <set>

#include "CodecTestSupport.h"
#include "IndexOracle.h"
#include "TestSupport.h"

namespace jet::file::testing {
namespace {

TEST(IndexOracle, RebuildsEveryClaimedIndexOfTheFixtures) {
    REQUIRE_FIXTURES();
    const auto files = codectest::jet4Fixtures();
    ASSERT_FALSE(files.empty()) << "no Jet 4 fixture found";
    size_t indexes = 0, entries = 0, skipped = 0;
    for (const auto& path : files) {
        const PageFile file(testsupport::fixture(path));
        for (const IndexCheck& check : checkIndexes(file)) {
            const std::string where = path + " " + check.table + " [" + check.index + "]";
            if (check.skipped) {
                ++skipped;
                std::cout << "skipped " << where << ": " << check.reason << "\n";
                continue;
            }
            EXPECT_TRUE(check.matched) << where << ": " << check.reason;
            ++indexes;
            entries += check.entries;
        }
    }
    std::cout << "index oracle: " << files.size() << " files, " << indexes << " indexes and "
              << entries << " entries checked, " << skipped << " indexes skipped as unproven\n";
    EXPECT_GT(entries, 0u);
}

// What canProve claims must rest on entries Access wrote: every character it
// claims in a sort order occurs in an entry of the fixtures that the encoder
// reproduced, and every entry whose key it claims was reproduced.
TEST(IndexOracle, ClaimsOnlyCharactersTheFixturesShow) {
    REQUIRE_FIXTURES();
    std::map<uint16_t, std::set<char16_t>> shown;
    size_t claimed = 0;
    for (const auto& path : codectest::jet4Fixtures()) {
        const PageFile file(testsupport::fixture(path));
        for (const EntryCheck& check : checkEntries(file)) {
            const bool provable =
                !check.descending &&
                std::all_of(check.texts.begin(), check.texts.end(), [](const auto& t) {
                    return IndexKey::canProveText(t.second, t.first);
                });
            if (provable) {
                ++claimed;
                EXPECT_TRUE(check.matched)
                    << path << " " << check.table << ": " << check.difference;
            }
            if (check.matched && !check.descending)
                for (const auto& [order, text] : check.texts)
                    shown[order.id].insert(text.begin(), text.end());
        }
    }
    EXPECT_GT(claimed, 0u);
    for (const SortOrder order : {kGeneralLegacy, kFrench}) {
        for (uint32_t c = 0; c <= 0xFFFF; ++c) {
            const std::u16string one(1, static_cast<char16_t>(c));
            if (IndexKey::canProveText(one, order)) {
                EXPECT_TRUE(shown[order.id].count(static_cast<char16_t>(c)))
                    << "sort order " << order.id << " claims U+" << std::hex << c
                    << " that no fixture shows";
            }
        }
    }
}

}  // namespace
}  // namespace jet::file::testing
