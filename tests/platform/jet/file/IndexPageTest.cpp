// Index pages: Access's pages decode and encode back to their own bytes, and
// damaged pages and trees are refused with FormatError, never read past.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "CodecTestSupport.h"
#include "TestSupport.h"
#include "jet/file/FormatError.h"
#include "jet/file/IndexBuilder.h"

namespace jet::file {
namespace {

struct FixtureSet {
    const char* name;
    std::vector<std::string> (*files)();
    const format::Layout* layout;
    size_t minimumPages;  // index pages the set holds at least
};

class AccessIndexPages : public ::testing::TestWithParam<FixtureSet> {};

TEST_P(AccessIndexPages, EncodeToTheirOwnBytes) {
    REQUIRE_FIXTURES();
    const FixtureSet& set = GetParam();
    size_t pages = 0;
    for (const auto& path : set.files()) {
        const PageFile file(testsupport::fixture(path));
        ASSERT_EQ(&file.layout(), set.layout) << path;
        for (uint32_t n = 0; n < file.pageCount(); ++n) {
            // An encoded file's unused pages are zeros on disk, noise once decoded.
            if (file.facts().encoded()) {
                const Bytes stored = file.stored(n);
                if (std::all_of(stored.begin(), stored.end(), [](uint8_t b) { return b == 0; }))
                    continue;
            }
            const std::vector<uint8_t> bytes = pageSource(file)(n);
            if (bytes[0] != indexpage::Leaf && bytes[0] != indexpage::Intermediate) continue;
            IndexPage page;
            try {
                page = IndexPage::decode(bytes, n);
            } catch (const FormatError& e) {
                ADD_FAILURE() << path << ": " << e.what();
                continue;
            }
            ASSERT_EQ(page.layout, set.layout) << path << " page " << n;
            const std::vector<uint8_t> again = page.encode();
            ASSERT_EQ(again.size(), bytes.size());
            // Access leaves old bytes after the last entry; the rest is the same.
            const size_t used = bytes.size() - page.freeSpace;
            EXPECT_TRUE(std::equal(again.begin(), again.begin() + static_cast<ptrdiff_t>(used),
                                   bytes.begin()))
                << path << " page " << n;
            EXPECT_EQ(IndexPage::decode(again, n).entries, page.entries);
            ++pages;
        }
    }
    EXPECT_GT(pages, set.minimumPages);
}

INSTANTIATE_TEST_SUITE_P(
    IndexPage, AccessIndexPages,
    ::testing::Values(FixtureSet{"Jet4", codectest::jet4Fixtures, &format::kJet4, 400},
                      FixtureSet{"Jet3", codectest::jet3Fixtures, &format::kJet3, 200}),
    [](const ::testing::TestParamInfo<FixtureSet>& p) { return std::string(p.param.name); });

TEST(IndexPage, EncodeRefusesEntriesThatDoNotShareThePrefix) {
    IndexPage page;
    page.entries.resize(2);
    page.entries[0].key = {0x7F, 0x01};
    page.entries[1].key = {0x7F, 0x02};
    page.prefixLength = 2;
    EXPECT_THROW((void)page.encode(), FormatError);
    page.prefixLength = 1;
    EXPECT_NO_THROW((void)page.encode());
}

TEST(IndexPage, Access97HeaderHoldsOneByteOfPrefix) {
    // Two leaves' worth of keys sharing 300 bytes: the prefix the header can
    // state is cut to 255, and a page that states more than its first entry
    // holds is refused.
    std::vector<IndexEntry> entries;
    for (int i = 0; i < 30; ++i) {
        IndexEntry e;
        IndexKey::append(e.key, {jettype::Binary},
                         Binary{std::string(300, 'p') + std::to_string(i)});
        e.dataPage = 9;
        e.dataRow = static_cast<uint8_t>(i);
        entries.push_back(e);
    }
    std::sort(entries.begin(), entries.end(), entryLess);
    uint32_t next = 20;
    const BuiltIndex built = IndexBuilder::build(
        entries, 3, [&] { return next++; }, format::kJet3);
    std::vector<uint8_t> leaf = built.pages.at(1).second;
    ASSERT_EQ(leaf.size(), format::kJet3.pageSize);
    const IndexPage page = IndexPage::decode(leaf, 21);
    EXPECT_EQ(page.prefixLength, 255u);
    EXPECT_EQ(leaf[20], 0xFF);
    EXPECT_EQ(leaf[21], 0x00) << "a leaf's byte after the prefix length";
    EXPECT_EQ(built.pages.at(0).second[21], 0x01) << "an intermediate page's";
    IndexPage tooLong = page;
    tooLong.prefixLength = 256;
    EXPECT_THROW((void)tooLong.encode(), FormatError);
    leaf[format::kJet3.indexMaskOffset] = 0x02;  // a first entry of one byte
    EXPECT_THROW((void)IndexPage::decode(leaf, 21), FormatError);
}

// A small index in memory: pages by number, with a way to damage them.
struct Pages {
    std::map<uint32_t, std::vector<uint8_t>> bytes;
    PageSource source() const {
        return [this](uint32_t n) {
            const auto found = bytes.find(n);
            if (found == bytes.end()) throw FormatError("page past the end of the file", n);
            return found->second;
        };
    }
};

// Three levels: root 10, intermediates, leaves; 2,000 integer keys.
Pages builtIndex(uint32_t* root) {
    std::vector<IndexEntry> entries;
    for (int i = 0; i < 2000; ++i) {
        IndexEntry e;
        IndexKey::append(e.key, {jettype::Binary},
                         Binary{std::to_string(100000 + i) + std::string(200, 'k')});
        e.dataPage = 300;
        e.dataRow = static_cast<uint8_t>(i);
        entries.push_back(e);
    }
    uint32_t next = 10;
    Pages pages;
    const BuiltIndex built = IndexBuilder::build(entries, 2, [&] { return next++; });
    for (const auto& [n, b] : built.pages) pages.bytes[n] = b;
    *root = built.root;
    return pages;
}

void putLe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

struct Damage {
    const char* name;
    std::function<void(Pages&, const IndexTree&)> apply;
};

class DamagedIndex : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedIndex, IsRefused) {
    uint32_t root = 0;
    Pages pages = builtIndex(&root);
    const IndexTree tree = walkIndex(pages.source(), root);
    ASSERT_GE(tree.depth, 2u);
    GetParam().apply(pages, tree);
    EXPECT_THROW((void)walkIndex(pages.source(), root), FormatError);
}

std::vector<uint8_t>& firstLeaf(Pages& p, const IndexTree& t) {
    return p.bytes.at(t.leaves.front());
}

INSTANTIATE_TEST_SUITE_P(
    IndexPage, DamagedIndex,
    ::testing::Values(
        Damage{"MaskPastThePage",
               [](Pages& p, const IndexTree& tree) {
                   firstLeaf(p, tree)[indexpage::kMaskOffset + indexpage::kMaskSize - 1] |= 0x80;
               }},
        Damage{"PrefixLongerThanTheEntry",
               [](Pages& p, const IndexTree& tree) {
                   auto& b = firstLeaf(p, tree);
                   b[24] = 0xFF;
                   b[25] = 0x00;
               }},
        Damage{"PrefixLongerThanThePage",
               [](Pages& p, const IndexTree& tree) {
                   auto& b = firstLeaf(p, tree);
                   b[24] = 0x00;
                   b[25] = 0x20;
               }},
        Damage{"EntryShorterThanItsPointers",
               [](Pages& p, const IndexTree& tree) {
                   firstLeaf(p, tree)[indexpage::kMaskOffset] |= 0x04;
               }},
        Damage{"NextPageLoop",
               [](Pages& p, const IndexTree& tree) {
                   putLe32(p.bytes.at(tree.leaves.back()), 16, tree.leaves.front());
               }},
        Damage{"NextPageIsNotALeaf",
               [](Pages& p, const IndexTree& tree) {
                   putLe32(p.bytes.at(tree.leaves.back()), 16, tree.intermediates[0]);
               }},
        Damage{"ChildIsADataPage",
               [](Pages& p, const IndexTree& tree) { p.bytes.at(tree.leaves[3])[0] = 0x01; }},
        Damage{"ChildIsItsParent",
               [](Pages& p, const IndexTree& tree) {
                   // The root's first entry ends with its child pointer.
                   const uint32_t root = tree.intermediates[0];
                   IndexPage page = IndexPage::decode(p.bytes.at(root), root);
                   page.entries[0].child = root;
                   p.bytes.at(root) = page.encode();
               }},
        Damage{"ChildPastTheFile",
               [](Pages& p, const IndexTree& tree) {
                   const uint32_t parent = tree.intermediates[1];
                   IndexPage page = IndexPage::decode(p.bytes.at(parent), parent);
                   page.entries.back().child = 999999;
                   p.bytes.at(parent) = page.encode();
               }},
        Damage{"LeavesAtDifferentDepths",
               [](Pages& p, const IndexTree& tree) {
                   const uint32_t root = tree.intermediates[0];
                   IndexPage page = IndexPage::decode(p.bytes.at(root), root);
                   page.entries[0].child = tree.leaves.back();
                   p.bytes.at(root) = page.encode();
               }},
        Damage{"TruncatedPage",
               [](Pages& p, const IndexTree& tree) { firstLeaf(p, tree).resize(1000); }}),
    [](const ::testing::TestParamInfo<Damage>& d) { return std::string(d.param.name); });

}  // namespace
}  // namespace jet::file
