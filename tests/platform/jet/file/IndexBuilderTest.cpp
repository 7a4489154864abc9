// Building indexes: the rules of an index, entries packed into pages that
// decode back to the same entries, and the layout set against Access's own.
#include <gtest/gtest.h>

#include <iostream>
#include <map>

#include "CodecTestSupport.h"
#include "IndexOracle.h"
#include "TestSupport.h"
#include "jet/file/FormatError.h"
#include "jet/file/IndexBuilder.h"

namespace jet::file {
namespace {

// Pages handed out from 100 on, kept by number, read back as a file would.
struct PageStore {
    uint32_t next = 100;
    std::map<uint32_t, std::vector<uint8_t>> pages;
    std::function<uint32_t()> allocator() {
        return [this] { return next++; };
    }
    PageSource source() const {
        return [this](uint32_t n) {
            const auto found = pages.find(n);
            if (found == pages.end()) throw FormatError("no such page", n);
            return found->second;
        };
    }
    void keep(const BuiltIndex& built) {
        for (const auto& [n, bytes] : built.pages) pages[n] = bytes;
    }
};

std::vector<IndexEntry> integerEntries(int count) {
    std::vector<IndexEntry> out;
    for (int i = 0; i < count; ++i) {
        IndexEntry e;
        IndexKey::append(e.key, {jettype::Integer}, int32_t{i});
        e.dataPage = 1000 + static_cast<uint32_t>(i / 50);
        e.dataRow = static_cast<uint8_t>(i % 50);
        out.push_back(e);
    }
    return out;
}

// Long keys, so that few fit a page and the tree grows levels.
std::vector<IndexEntry> longEntries(int count) {
    std::vector<IndexEntry> out;
    for (int i = 0; i < count; ++i) {
        IndexEntry e;
        char head[16];
        std::snprintf(head, sizeof head, "%08d", i);
        IndexKey::append(e.key, {jettype::Binary},
                         Binary{std::string(head) + std::string(240, 'x')});
        e.dataPage = 5000 + static_cast<uint32_t>(i);
        out.push_back(e);
    }
    return out;
}

// Keys that share their first 300 bytes.
std::vector<IndexEntry> sharedPrefixEntries(int count) {
    std::vector<IndexEntry> out;
    for (int i = 0; i < count; ++i) {
        IndexEntry e;
        char tail[16];
        std::snprintf(tail, sizeof tail, "%04d", i);
        IndexKey::append(e.key, {jettype::Binary}, Binary{std::string(300, 's') + tail});
        e.dataPage = 7000;
        e.dataRow = static_cast<uint8_t>(i);
        out.push_back(e);
    }
    return out;
}

struct RoundTrip {
    const char* name;
    std::vector<IndexEntry> entries;
    uint32_t depth;  // levels of intermediate pages expected
    const format::Layout* layout = &format::kJet4;
};

class BuiltIndexRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(BuiltIndexRoundTrip, DecodesToTheSameEntries) {
    const RoundTrip& c = GetParam();
    PageStore store;
    const BuiltIndex built = IndexBuilder::build(c.entries, 42, store.allocator(), *c.layout);
    store.keep(built);
    ASSERT_EQ(built.root, 100u) << "the first page is handed out first";
    const size_t space = indexpage::entrySpace(*c.layout);
    const IndexTree tree = walkIndex(store.source(), built.root);
    EXPECT_EQ(tree.entries, c.entries);
    EXPECT_EQ(tree.depth, c.depth);
    EXPECT_EQ(tree.leaves.size() + tree.intermediates.size(), built.pages.size());
    EXPECT_EQ(built.distinctKeys, c.entries.size()) << "every key differs";

    // Every page is the table's; leaves are linked both ways in key order;
    // intermediate entries repeat their child's last entry; the last leaf is
    // the tail, named by the intermediate page above it.
    std::map<uint32_t, IndexPage> decoded;
    for (const auto& [n, bytes] : built.pages) {
        ASSERT_EQ(bytes.size(), c.layout->pageSize);
        decoded.emplace(n, IndexPage::decode(bytes, n));
    }
    for (const auto& [n, page] : decoded) {
        EXPECT_EQ(page.layout, c.layout);
        EXPECT_EQ(page.owner, 42u);
        EXPECT_LE(page.storedSize(), space);
        EXPECT_EQ(page.freeSpace, space - page.storedSize());
        EXPECT_LE(page.prefixLength, indexpage::maxPrefix(*c.layout));
        for (const IndexEntry& e : page.entries) {
            if (page.leaf()) continue;
            const IndexPage& child = decoded.at(e.child);
            ASSERT_FALSE(child.entries.empty());
            EXPECT_EQ(e.key, child.entries.back().key);
            EXPECT_EQ(e.dataPage, child.entries.back().dataPage);
            EXPECT_NE(e.child, tree.leaves.back()) << "the tail has no entry above it";
        }
    }
    for (size_t i = 0; i < tree.leaves.size(); ++i) {
        const IndexPage& leaf = decoded.at(tree.leaves[i]);
        EXPECT_EQ(leaf.prev, i == 0 ? 0 : tree.leaves[i - 1]);
        EXPECT_EQ(leaf.next, i + 1 == tree.leaves.size() ? 0 : tree.leaves[i + 1]);
    }
    if (!tree.intermediates.empty()) {
        EXPECT_EQ(decoded.at(built.root).tail, tree.leaves.back());
    }
}

INSTANTIATE_TEST_SUITE_P(
    IndexBuilder, BuiltIndexRoundTrip,
    ::testing::Values(RoundTrip{"Empty", {}, 0}, RoundTrip{"OneEntry", integerEntries(1), 0},
                      RoundTrip{"OneFullLeaf", integerEntries(400), 0},
                      RoundTrip{"TwoLevels", integerEntries(5000), 1},
                      RoundTrip{"ThreeLevels", longEntries(400), 2},
                      RoundTrip{"Jet3Empty", {}, 0, &format::kJet3},
                      RoundTrip{"Jet3OneFullLeaf", integerEntries(200), 0, &format::kJet3},
                      RoundTrip{"Jet3TwoLevels", integerEntries(2000), 1, &format::kJet3},
                      RoundTrip{"Jet3ThreeLevels", longEntries(100), 2, &format::kJet3},
                      // Entries sharing more than an Access 97
                      // page's one byte of prefix length says.
                      RoundTrip{"Jet3PrefixCutTo255", sharedPrefixEntries(60), 1, &format::kJet3}),
    [](const ::testing::TestParamInfo<RoundTrip>& p) { return std::string(p.param.name); });

TEST(IndexBuilder, CompressesOnlyPagesThatNeedIt) {
    // 400 integer keys fit one page whole (9 bytes each); 402 do not, and
    // then every entry shares the key's first bytes.
    for (const auto& [count, prefix] : {std::pair{400, 0}, std::pair{402, 3}}) {
        std::vector<std::vector<uint8_t>> bytes;
        for (const IndexEntry& e : integerEntries(count)) bytes.push_back(e.leafBytes());
        const auto shapes = IndexBuilder::pack(bytes);
        ASSERT_EQ(shapes.size(), 1u) << count;
        EXPECT_EQ(shapes[0].prefixLength, prefix) << count;
    }
}

TEST(IndexBuilder, RefusesUnsortedEntriesAndOverlongKeys) {
    std::vector<IndexEntry> entries = integerEntries(3);
    std::swap(entries[0], entries[2]);
    PageStore store;
    EXPECT_THROW((void)IndexBuilder::build(entries, 1, store.allocator()), FormatError);
    IndexEntry huge;
    huge.key.assign(indexpage::kEntrySpace, 0x41);
    EXPECT_THROW((void)IndexBuilder::build(std::vector<IndexEntry>{huge}, 1, store.allocator()),
                 FormatError);
}

// The rules of an index over a table of rows.
struct RulesCase {
    const char* name;
    IndexRules rules;
    std::vector<FieldValue> values;  // one key column, one row each
    int entries;                     // entries expected, or -1 for a violation
    Err error = Err::DuplicateValues;
};

class IndexRulesTable : public ::testing::TestWithParam<RulesCase> {};

TEST_P(IndexRulesTable, DecideTheEntries) {
    const RulesCase& c = GetParam();
    std::vector<IndexRow> rows;
    for (size_t i = 0; i < c.values.size(); ++i)
        rows.push_back({7, static_cast<uint8_t>(i), {c.values[i]}});
    const std::vector<KeyColumn> columns = {{jettype::Text}};
    if (c.entries < 0) {
        try {
            (void)IndexBuilder::entries(columns, rows, c.rules);
            FAIL() << "no violation";
        } catch (const KeyViolation& v) {
            EXPECT_EQ(v.error(), c.error);
        }
        return;
    }
    const auto entries = IndexBuilder::entries(columns, rows, c.rules);
    EXPECT_EQ(static_cast<int>(entries.size()), c.entries);
    for (size_t i = 1; i < entries.size(); ++i) EXPECT_TRUE(entryLess(entries[i - 1], entries[i]));
}

const FieldValue kNull{};
INSTANTIATE_TEST_SUITE_P(IndexBuilder, IndexRulesTable,
                         ::testing::Values(RulesCase{"PlainKeepsDuplicatesAndNulls",
                                                     IndexRules{},
                                                     {std::string("a"), std::string("a"), kNull},
                                                     3},
                                           RulesCase{"UniqueRefusesDuplicates",
                                                     IndexRules{true, false, false},
                                                     {std::string("a"), std::string("a")},
                                                     -1},
                                           RulesCase{"UniqueComparesKeysNotCase",
                                                     IndexRules{true, false, false},
                                                     {std::string("a"), std::string("A")},
                                                     -1},
                                           RulesCase{"UniqueAllowsManyNulls",
                                                     IndexRules{true, false, false},
                                                     {kNull, kNull, std::string("a")},
                                                     3},
                                           RulesCase{"IgnoreNullsLeavesThemOut",
                                                     IndexRules{false, true, false},
                                                     {kNull, std::string("a"), kNull},
                                                     1},
                                           RulesCase{"RequiredRefusesNull",
                                                     IndexRules{false, false, true},
                                                     {std::string("a"), kNull},
                                                     -1,
                                                     Err::IndexNullNotAllowed},
                                           RulesCase{"PrimaryKeyIsUniqueAndRequired",
                                                     IndexRules::fromFlags(0x00, true),
                                                     {kNull},
                                                     -1,
                                                     Err::IndexNullNotAllowed}),
                         [](const ::testing::TestParamInfo<RulesCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(IndexBuilder, CountsDistinctKeys) {
    std::vector<IndexRow> rows;
    for (int i = 0; i < 10; ++i) rows.push_back({9, static_cast<uint8_t>(i), {int32_t{i % 3}}});
    const std::vector<KeyColumn> columns = {{jettype::Integer}};
    uint32_t next = 1;
    const BuiltIndex built = IndexBuilder::build(IndexBuilder::entries(columns, rows, IndexRules{}),
                                                 9, [&] { return next++; });
    EXPECT_EQ(built.distinctKeys, 3u);
}

TEST(IndexBuilder, ReadsTheRulesFromTheFlags) {
    const IndexRules r = IndexRules::fromFlags(0x8B, false);
    EXPECT_TRUE(r.unique);
    EXPECT_TRUE(r.ignoreNulls);
    EXPECT_TRUE(r.required);
    const IndexRules none = IndexRules::fromFlags(0x80, false);
    EXPECT_FALSE(none.unique || none.ignoreNulls || none.required);
}

TEST(IndexBuilder, TreatsNullsOfAMultiColumnIndexByColumn) {
    // Ignoring nulls leaves out only rows null in every key column; a unique
    // index lets rows with a null in any key column share their key.
    const std::vector<IndexRow> rows = {{7, 0, {FieldValue{}, FieldValue{}}},
                                        {7, 1, {FieldValue{}, int32_t{1}}},
                                        {7, 2, {FieldValue{}, int32_t{1}}},
                                        {7, 3, {int32_t{2}, int32_t{1}}}};
    const std::vector<KeyColumn> columns = {{jettype::Integer}, {jettype::Integer}};
    EXPECT_EQ(IndexBuilder::entries(columns, rows, IndexRules{true, true, false}).size(), 3u);
    std::vector<IndexRow> twice = rows;
    twice.push_back({7, 4, {int32_t{2}, int32_t{1}}});
    EXPECT_THROW((void)IndexBuilder::entries(columns, twice, IndexRules{true, false, false}),
                 KeyViolation);
}

// Access's own indexes rebuilt from their entries, on the pages Access used
// (root first, then leaves in order): Access builds an index whole when it
// compacts a file, and those indexes come out byte for byte. Indexes grown
// row by row since (split pages) are laid out more tightly by the builder;
// they are counted, not failed.
struct FixtureSet {
    const char* name;
    std::vector<std::string> (*files)();
};

class AccessLayout : public ::testing::TestWithParam<FixtureSet> {};

TEST_P(AccessLayout, IsTheBuildersLayout) {
    REQUIRE_FIXTURES();
    size_t same = 0, multiPageSame = 0, differ = 0;
    for (const auto& path : GetParam().files()) {
        const PageFile file(testsupport::fixture(path));
        for (const auto& table : codectest::tables(file)) {
            const uint32_t definitionPage = static_cast<uint32_t>(table.id) & 0x00FFFFFFu;
            for (const RealIndex& index : TableDefinition::read(file, definitionPage).realIndexes) {
                const IndexTree tree = walkIndex(pageSource(file), index.firstPage);
                std::vector<uint32_t> order = tree.intermediates;
                order.insert(order.end(), tree.leaves.begin(), tree.leaves.end());
                size_t handed = 0;
                const BuiltIndex built = IndexBuilder::build(
                    tree.entries, definitionPage,
                    [&] {
                        return handed < order.size() ? order[handed++]
                                                     : 0xFFFFFFu - static_cast<uint32_t>(handed++);
                    },
                    file.layout());
                bool identical = built.pages.size() == order.size();
                for (const auto& [n, bytes] : built.pages) {
                    if (!identical) break;
                    const std::vector<uint8_t> theirs = pageSource(file)(n);
                    const size_t used = theirs.size() - IndexPage::decode(theirs, n).freeSpace;
                    // Access leaves old bytes after the last entry; ours are zero.
                    identical =
                        std::equal(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(used),
                                   theirs.begin());
                }
                if (identical) {
                    ++same;
                    if (order.size() > 1) ++multiPageSame;
                } else {
                    ++differ;
                    std::cout << "laid out differently: " << path << " " << table.name << " ("
                              << order.size() << " pages in the file, " << built.pages.size()
                              << " built)\n";
                    EXPECT_LE(built.pages.size(), order.size())
                        << "never more pages than Access used";
                }
            }
        }
    }
    std::cout << "layout: " << same << " indexes byte for byte (" << multiPageSame
              << " of several pages), " << differ << " laid out differently\n";
    EXPECT_GT(multiPageSame, 0u);
}

INSTANTIATE_TEST_SUITE_P(IndexBuilder, AccessLayout,
                         ::testing::Values(FixtureSet{"Jet4", codectest::jet4Fixtures},
                                           FixtureSet{"Jet3", codectest::jet3Fixtures}),
                         [](const ::testing::TestParamInfo<FixtureSet>& p) {
                             return std::string(p.param.name);
                         });

}  // namespace
}  // namespace jet::file
