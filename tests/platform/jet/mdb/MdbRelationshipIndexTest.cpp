// A relationship's index in a Jet file shares the physical index already on
// its columns and reads as that index reads: unique for a one-to-one
// relationship. The same for Jet 3 and Jet 4 files.
#include <gtest/gtest.h>

#include "MdbTestSupport.h"
#include "OneToOneCopy.h"
#include "TestSupport.h"
#include "jet/Catalog.h"

namespace {

jet::Catalog catalogOf(const std::string& file) {
    jet::Catalog c;
    c.ActiveConnection(mdbtest::connectionString(file));
    return c;
}

class MdbOneToOne : public ::testing::TestWithParam<bool> {};

TEST_P(MdbOneToOne, RelationshipIndexOnAUniqueIndexReadsUnique) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const auto c = catalogOf(testsupport::oneToOneCopy(dir, GetParam()));
    const auto t = c.Tables().Item("Table1");
    const auto fk = t.Indexes().Item("Table2Table1");
    EXPECT_TRUE(fk.Unique());
    EXPECT_FALSE(fk.PrimaryKey());
    EXPECT_EQ(fk.IndexNulls(), jet::indexnulls::Allow);
    ASSERT_EQ(fk.Columns().Count(), 1);
    EXPECT_EQ(fk.Columns().Item(0).Name(), "otherfk1");
    EXPECT_EQ(t.Keys().Item("Table2Table1").Type(), jet::keytype::Foreign);
    // The index it shares is a unique key; the other relationship is untouched.
    const auto shared = t.Indexes().Item("id");
    EXPECT_TRUE(shared.Unique());
    EXPECT_EQ(shared.Columns().Item(0).Name(), "otherfk1");
    EXPECT_EQ(t.Keys().Item("id").Type(), jet::keytype::Unique);
    EXPECT_FALSE(t.Indexes().Item("Table3Table1").Unique());
}

INSTANTIATE_TEST_SUITE_P(Formats, MdbOneToOne, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Jet4" : "Jet3"; });

// In the files as Access made them, every relationship index with another
// index on the same columns shares it and reads as it reads.
class MdbSharedIndex : public ::testing::TestWithParam<const char*> {};

TEST_P(MdbSharedIndex, RelationshipIndexReadsAsTheIndexItShares) {
    REQUIRE_FIXTURES();
    const auto c = catalogOf(testsupport::fixture(GetParam()));
    int pairs = 0;
    auto tables = c.Tables();
    for (int32_t i = 0; i < tables.Count(); ++i) {
        const auto t = tables.Item(i);
        auto keys = t.Keys();
        auto indexes = t.Indexes();
        for (int32_t k = 0; k < keys.Count(); ++k) {
            if (keys.Item(k).Type() != jet::keytype::Foreign) continue;
            const auto fk = indexes.Item(keys.Item(k).Name());
            for (int32_t x = 0; x < indexes.Count(); ++x) {
                const auto other = indexes.Item(x);
                if (other.Name() == fk.Name() || other.Columns().Count() != fk.Columns().Count())
                    continue;
                bool same = true;
                for (int32_t n = 0; n < fk.Columns().Count(); ++n)
                    same = same && other.Columns().Item(n).Name() == fk.Columns().Item(n).Name() &&
                           other.Columns().Item(n).SortOrder() == fk.Columns().Item(n).SortOrder();
                if (!same) continue;
                SCOPED_TRACE(t.Name() + "." + fk.Name() + " / " + other.Name());
                EXPECT_EQ(fk.Unique(), other.Unique());
                EXPECT_EQ(fk.IndexNulls(), other.IndexNulls());
                ++pairs;
            }
        }
    }
    EXPECT_GT(pairs, 0);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, MdbSharedIndex,
                         ::testing::Values("mdbtestdata/nwind.mdb", "jackcess/indexTestV2000.mdb",
                                           "jackcess/testPromotionV2000.mdb"),
                         [](const auto& p) {
                             std::string n = p.param;
                             n = n.substr(n.find('/') + 1);
                             return n.substr(0, n.find('.'));
                         });

}  // namespace
