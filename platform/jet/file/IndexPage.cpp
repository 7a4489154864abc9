#include "jet/file/IndexPage.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "jet/file/Bytes.h"
#include "jet/file/FormatError.h"

namespace jet::file {

using namespace indexpage;

namespace {

// Deeper than any index of a file of Jet's size limit needs.
constexpr uint32_t kMaxDepth = 16;

// Where a version's header keeps its links, the prefix length and the byte
// after it; Access 97's has no bytes 8-11 of Jet 4's, and one byte of prefix
// length.
struct HeaderPlaces {
    size_t prev, next, tail, prefix;
    bool widePrefix;  // 16 bits, else 8
    size_t flags;
    bool reserved;
};
constexpr HeaderPlaces kJet4Header{12, 16, 20, 24, true, 26, true};
constexpr HeaderPlaces kJet3Header{8, 12, 16, 20, false, 21, false};
const HeaderPlaces& headerOf(const format::Layout& layout) {
    return layout.pageSize == format::kJet3.pageSize ? kJet3Header : kJet4Header;
}

void appendPointer(std::vector<uint8_t>& out, const IndexEntry& e) {
    const size_t at = out.size();
    out.resize(at + kRowPointerSize);
    putBe24(out.data() + at, e.dataPage);
    out[at + 3] = e.dataRow;
}

IndexEntry splitEntry(const std::vector<uint8_t>& bytes, bool leaf, uint32_t pageNumber) {
    const size_t tail = kRowPointerSize + (leaf ? 0 : kChildPointerSize);
    if (bytes.size() < tail)
        throw FormatError("index page: an entry is shorter than its pointers", pageNumber);
    IndexEntry e;
    const size_t keyLength = bytes.size() - tail;
    e.key.assign(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(keyLength));
    const uint8_t* p = bytes.data() + keyLength;
    e.dataPage = be24(p);
    e.dataRow = p[3];
    if (!leaf) e.child = be32(p + kRowPointerSize);
    return e;
}

}  // namespace

std::vector<uint8_t> IndexEntry::leafBytes() const {
    std::vector<uint8_t> out(key);
    appendPointer(out, *this);
    return out;
}

std::vector<uint8_t> IndexEntry::nodeBytes() const {
    std::vector<uint8_t> out = leafBytes();
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(child >> shift));
    return out;
}

bool entryLess(const IndexEntry& a, const IndexEntry& b) { return a.leafBytes() < b.leafBytes(); }

IndexPage IndexPage::decode(std::span<const uint8_t> bytes, uint32_t pageNumber) {
    const format::Layout* layout = layoutOfPage(bytes.size());
    if (!layout) throw FormatError("index page: not a whole page", pageNumber);
    const HeaderPlaces& at = headerOf(*layout);
    const size_t maskOffset = layout->indexMaskOffset;
    const size_t maskSize = layout->indexMaskSize;
    const size_t entriesAt = entriesOffset(*layout);
    const size_t space = entrySpace(*layout);
    IndexPage page;
    page.layout = layout;
    page.type = bytes[0];
    if (page.type != Leaf && page.type != Intermediate)
        throw FormatError("index page: not an index page (type " + std::to_string(page.type) + ")",
                          pageNumber);
    page.marker = bytes[1];
    page.freeSpace = le16(bytes.data() + 2);
    page.owner = le32(bytes.data() + 4);
    if (at.reserved) page.reserved = le32(bytes.data() + 8);
    page.flags = bytes[at.flags];
    page.prev = le32(bytes.data() + at.prev);
    page.next = le32(bytes.data() + at.next);
    page.tail = le32(bytes.data() + at.tail);
    page.prefixLength = at.widePrefix ? le16(bytes.data() + at.prefix) : bytes[at.prefix];
    if (page.prefixLength > space)
        throw FormatError("index page: the shared prefix is longer than the page", pageNumber);

    std::vector<uint8_t> prefix;
    size_t start = 0;
    for (size_t i = 0; i < maskSize; ++i) {
        const uint8_t m = bytes[maskOffset + i];
        if (m == 0) continue;
        for (int bit = 0; bit < 8; ++bit) {
            if (!(m & (1u << bit))) continue;
            const size_t end = i * 8 + static_cast<size_t>(bit);
            if (end > space)
                throw FormatError("index page: the entry mask runs past the page", pageNumber);
            const auto first = bytes.begin() + static_cast<ptrdiff_t>(entriesAt + start);
            const auto last = bytes.begin() + static_cast<ptrdiff_t>(entriesAt + end);
            std::vector<uint8_t> whole;
            if (page.entries.empty()) {
                whole.assign(first, last);
                if (whole.size() < page.prefixLength)
                    throw FormatError(
                        "index page: the shared prefix is longer than the first entry", pageNumber);
                prefix.assign(whole.begin(), whole.begin() + page.prefixLength);
            } else {
                whole = prefix;
                whole.insert(whole.end(), first, last);
            }
            page.entries.push_back(splitEntry(whole, page.leaf(), pageNumber));
            start = end;
        }
    }
    return page;
}

size_t IndexPage::storedSize() const {
    size_t total = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t n = entries[i].key.size() + kRowPointerSize + (leaf() ? 0 : kChildPointerSize);
        total += i == 0 ? n : n - prefixLength;
    }
    return total;
}

std::vector<uint8_t> IndexPage::encode() const {
    const HeaderPlaces& at = headerOf(*layout);
    const size_t pageSize = layout->pageSize;
    const size_t maskOffset = layout->indexMaskOffset;
    const size_t entriesAt = entriesOffset(*layout);
    std::vector<uint8_t> out(pageSize, 0);
    out[0] = type;
    out[1] = marker;
    putLe32(out.data() + 4, owner);
    if (at.reserved) putLe32(out.data() + 8, reserved);
    out[at.flags] = flags;
    putLe32(out.data() + at.prev, prev);
    putLe32(out.data() + at.next, next);
    putLe32(out.data() + at.tail, tail);
    if (at.widePrefix) {
        putLe16(out.data() + at.prefix, prefixLength);
    } else {
        if (prefixLength > 0xFF)
            throw FormatError("index page: the prefix is longer than a page's header holds");
        out[at.prefix] = static_cast<uint8_t>(prefixLength);
    }

    std::vector<uint8_t> first;
    size_t pos = entriesAt;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::vector<uint8_t> bytes = leaf() ? entries[i].leafBytes() : entries[i].nodeBytes();
        size_t from = 0;
        if (i == 0) {
            if (bytes.size() < prefixLength)
                throw FormatError("index page: the prefix is longer than the first entry");
            first = bytes;
        } else {
            if (bytes.size() < prefixLength ||
                !std::equal(first.begin(), first.begin() + prefixLength, bytes.begin()))
                throw FormatError("index page: an entry does not share the page's prefix");
            from = prefixLength;
        }
        if (pos + bytes.size() - from > pageSize)
            throw FormatError("index page: the entries do not fit the page");
        std::copy(bytes.begin() + static_cast<ptrdiff_t>(from), bytes.end(),
                  out.begin() + static_cast<ptrdiff_t>(pos));
        pos += bytes.size() - from;
        const size_t end = pos - entriesAt;
        out[maskOffset + end / 8] |= static_cast<uint8_t>(1u << (end % 8));
    }
    putLe16(out.data() + 2, static_cast<uint16_t>(pageSize - pos));
    return out;
}

PageSource pageSource(const PageFile& file) {
    return [&file](uint32_t n) {
        const PageFile::PageRef page = file.page(n);
        return std::vector<uint8_t>(page->begin(), page->end());
    };
}

IndexTree walkIndex(const PageSource& pages, uint32_t root) {
    IndexTree tree;
    std::unordered_set<uint32_t> seen;
    auto read = [&](uint32_t n) {
        if (!seen.insert(n).second) throw FormatError("index: a page is reached twice", n);
        return IndexPage::decode(pages(n), n);
    };
    int leafDepth = -1;
    uint32_t next = 0;  // the last leaf's next page
    uint32_t rootTail = 0;
    // Depth first, children in entry order, so leaves come out in key order.
    std::function<void(uint32_t, uint32_t)> visit = [&](uint32_t n, uint32_t depth) {
        if (depth > kMaxDepth) throw FormatError("index: the tree is deeper than Jet builds", n);
        IndexPage page = read(n);
        if (page.leaf()) {
            if (leafDepth >= 0 && static_cast<uint32_t>(leafDepth) != depth)
                throw FormatError("index: leaves at different depths", n);
            leafDepth = static_cast<int>(depth);
            tree.leaves.push_back(n);
            next = page.next;
            for (IndexEntry& e : page.entries) tree.entries.push_back(std::move(e));
            return;
        }
        if (depth == 0) rootTail = page.tail;
        tree.intermediates.push_back(n);
        for (const IndexEntry& e : page.entries) visit(e.child, depth + 1);
    };
    visit(root, 0);
    tree.depth = leafDepth > 0 ? static_cast<uint32_t>(leafDepth) : 0;
    // The tail: leaves linked after the last one the tree reaches (the only
    // leaf of a tree whose intermediate page has no entry yet).
    if (tree.leaves.empty()) next = rootTail;
    {
        while (next != 0) {
            IndexPage page = read(next);
            if (!page.leaf()) throw FormatError("index: a leaf's next page is not a leaf", next);
            tree.leaves.push_back(next);
            for (IndexEntry& e : page.entries) tree.entries.push_back(std::move(e));
            next = page.next;
        }
    }
    return tree;
}

}  // namespace jet::file
