#pragma once
// Usage maps: sets of page numbers kept as rows on data pages. Type 0 (inline)
// is the byte 0, a 32-bit start page and a bitmap (bit i of byte k: page
// start + 8k + i). Type 1 is the byte 1 and 32-bit pointers to pages of type
// 0x05, the n-th of which maps pages from n × 32736 on with the bitmap after
// its 4-byte header. A table has two (its pages, its pages with free space),
// an index one, a long-value column two; page 1 row 0 is the file's global
// map, in which a set bit means the page is free.
#include <cstdint>
#include <optional>
#include <vector>

#include "jet/file/Bytes.h"
#include "jet/file/PageFile.h"

namespace jet::file {

inline constexpr uint8_t kUsageMapPageType = 0x05;
inline constexpr size_t kUsageMapPageHeader = 4;

// Where a map's row is: the row number, then the page in three bytes, as
// definitions store it.
struct UsageMapRef {
    uint8_t row = 0;
    uint32_t page = 0;
    friend bool operator==(const UsageMapRef&, const UsageMapRef&) = default;
};
[[nodiscard]] UsageMapRef readUsageMapRef(ByteReader& in);
void writeUsageMapRef(ByteWriter& out, UsageMapRef ref);

class UsageMap {
public:
    enum class Type : uint8_t { Inline = 0, Reference = 1 };

    // Decodes a map row; a type 1 map's pages are read from `file`. A pointer
    // of 0 (or with its top bit set, as Access leaves in unused slots) is no
    // page. Throws FormatError on an unknown type, a row too short for its
    // type, or a pointer to a page that is not a usage map page.
    static UsageMap decode(ByteSpan row, const PageFile& file, int64_t page = -1);
    // The map in row `where.row` of page `where.page`.
    static UsageMap read(const PageFile& file, UsageMapRef where);

    [[nodiscard]] Type type() const { return type_; }
    [[nodiscard]] size_t rowLength() const { return row_.size(); }
    [[nodiscard]] std::optional<UsageMapRef> location() const { return location_; }
    // Type 0: the first page the bitmap maps, and how many pages it maps.
    [[nodiscard]] uint32_t startPage() const { return le32(row_.data() + 1); }
    [[nodiscard]] uint32_t inlineCapacity() const {
        return row_.size() < 5 ? 0 : static_cast<uint32_t>((row_.size() - 5) * 8);
    }
    // Type 1: the pointer slots as stored.
    [[nodiscard]] std::vector<uint32_t> mapPagePointers() const;
    [[nodiscard]] size_t pointerSlots() const { return (row_.size() - 1) / 4; }

    // The pages in the map, ascending.
    [[nodiscard]] const std::vector<uint32_t>& pages() const { return pages_; }
    [[nodiscard]] bool contains(uint32_t page) const;
    void add(uint32_t page);
    void remove(uint32_t page);
    void assign(std::vector<uint32_t> pages);

    // The map row for the current set, of the same length as the row read.
    // A type 0 map keeps its start page when the set fits, else moves it (a
    // multiple of 8 at or below the lowest page); when the set cannot fit it
    // becomes type 1. Type 1 map pages are rewritten in `file`'s overlay when
    // they change, and appended when a slot without one is needed (their
    // numbers are in newMapPages()). A type 0 map's range must also take in
    // the `cover` pages [first, last) (the global map's takes in the whole
    // file, since a page outside its range reads free). Throws FormatError
    // when the set needs more pages than the row's slots can map.
    Bytes encode(PageFile& file, std::optional<std::pair<uint32_t, uint32_t>> cover = {});
    // encode() written over the row it was read from.
    void write(PageFile& file, std::optional<std::pair<uint32_t, uint32_t>> cover = {});

    // A type 0 map's row made `rowLength` bytes long (its bitmap maps more
    // or fewer pages; write() then needs a row of that length on its page).
    void resizeInline(size_t rowLength);

    // Map pages appended by encode() (the caller marks them used).
    [[nodiscard]] const std::vector<uint32_t>& newMapPages() const { return newMapPages_; }

    static constexpr uint32_t pagesPerMapPage(uint32_t pageSize) {
        return (pageSize - static_cast<uint32_t>(kUsageMapPageHeader)) * 8;
    }

private:
    UsageMap() = default;

    Type type_ = Type::Inline;
    Bytes row_;  // the row as last encoded (or read)
    std::vector<uint32_t> pages_;
    std::optional<UsageMapRef> location_;
    std::vector<uint32_t> newMapPages_;
};

// The global map of page 1 row 0: a set bit means free; pages past the end of
// the file, and pages outside a type 0 map's range, read free; a page that no
// type 1 map page maps reads used (as Access leaves such maps).
class GlobalUsageMap {
public:
    explicit GlobalUsageMap(const PageFile& file);

    [[nodiscard]] bool isFree(uint32_t page, const PageFile& file) const;
    void markUsed(uint32_t page) { map_.remove(page); }
    void markFree(uint32_t page) { map_.add(page); }
    [[nodiscard]] const UsageMap& map() const { return map_; }
    // Writes the map back; it then maps every page of the file explicitly.
    // Where the layout grows the global map inline, its row on page 1 grows
    // as far as the page holds it, and only then becomes type 1.
    void write(PageFile& file);

private:
    UsageMap map_;
};

}  // namespace jet::file
