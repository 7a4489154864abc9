#pragma once
// Changes to the pages of a Jet file, made in its overlay as Jet makes them:
// new pages are appended and marked used in the global map, freed pages are
// marked free; a table's rows are inserted, replaced and deleted on their data
// pages, keeping every row's id (a row that no longer fits its page moves to
// another behind an overflow pointer, as Jet moves it); usage maps are added
// on a table's usage-map page.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "jet/file/Bytes.h"
#include "jet/file/DataPage.h"
#include "jet/file/PageFile.h"
#include "jet/file/UsageMap.h"
#include "jet/format/Layout.h"

namespace jet::file {

// The length of a usage-map row as Access makes it: type, start page and a
// 64-byte bitmap.
// Jet 4's; a file's own is its layout's.
inline constexpr size_t kUsageMapRowLength = format::kJet4.usageMapRowLength;

class PageEditor {
public:
    explicit PageEditor(PageFile& file);
    PageEditor(const PageEditor&) = delete;
    PageEditor& operator=(const PageEditor&) = delete;

    [[nodiscard]] PageFile& file() { return file_; }

    // A new page past the end, zero-filled, marked used.
    uint32_t allocate();
    // Marks pages the writer appended by other means (a definition growing
    // its chain) as used.
    void markUsed(uint32_t page);
    // The page becomes free; its bytes stay as they are.
    void release(uint32_t page);
    [[nodiscard]] bool released(uint32_t page) const { return released_.count(page) != 0; }

    // The rows of a data page as they will be written (read from the file on
    // first use).
    struct Rows {
        uint32_t owner = 0;
        std::vector<PageRow> rows;
    };
    // rows() is for changing them: the page is written at finish(); peek()
    // only reads.
    Rows& rows(uint32_t page);
    const Rows& peek(uint32_t page);
    // A new data page owned by `owner` (a definition page, 0 for usage maps,
    // kLongValueOwner), empty until rows are added.
    uint32_t newDataPage(uint32_t owner);
    // Whether `page` can take one more row of `length` bytes.
    [[nodiscard]] bool fits(uint32_t page, size_t length);
    // Whether `page` holds its rows as they now stand.
    [[nodiscard]] bool holds(uint32_t page);

    // A new usage map (type 0, empty) in a row of `near` when that page has
    // room, else of a new page for usage maps. Returns where it is.
    UsageMapRef newUsageMap(std::optional<uint32_t> near);
    // Writes a map's current pages into its row (encoded as UsageMap does).
    void writeUsageMap(UsageMapRef where, const std::vector<uint32_t>& pages);

    // Writes every data page changed through rows() and the global map.
    void finish();

private:
    PageFile& file_;
    GlobalUsageMap global_;
    std::map<uint32_t, Rows> pages_;
    std::set<uint32_t> dirty_;
    std::set<uint32_t> released_;
};

// One table's rows: inserted, replaced or deleted by row id, keeping the ids
// of every other row. Slots carry Jet's flags: 0x4000 alone, the slot holds a
// pointer to the row's data; 0x8000 alone, the row is data another slot points
// to; both, with no bytes, a deleted row. The table's owned and free-space maps take the pages
// it adds.
class RowEditor {
public:
    RowEditor(PageEditor& pages, uint32_t definitionPage, UsageMapRef owned, UsageMapRef freeSpace);

    // Replaces the bytes of a live row. Throws FormatError for a row id that
    // names no live row of the table.
    void update(uint32_t rowId, Bytes bytes);
    void remove(uint32_t rowId);
    // A new row on a page of the table with room, else on a new page; never
    // before the row inserted before it in the order readers scan the table
    // (by page, then by row), so that rows come back in the order they were
    // inserted (mdb-queries prints a query's rows in that order).
    uint32_t insert(Bytes bytes);
    // Writes the maps the editor added pages to.
    void finish();

    [[nodiscard]] const std::vector<uint32_t>& addedPages() const { return added_; }

private:
    // Puts `bytes` on a page of the table with room (not `avoid`, none
    // before `notBefore`), as a row with `flags`; returns its pointer.
    RowPointer place(Bytes bytes, uint16_t flags, std::optional<uint32_t> avoid = {},
                     uint32_t notBefore = 0);

    PageEditor& pages_;
    uint32_t owner_;
    UsageMapRef ownedRef_, freeRef_;
    UsageMap owned_, free_;
    bool mapsChanged_ = false;
    std::vector<uint32_t> added_;
    uint32_t lastInserted_ = 0;  // the page of the last row insert() placed
};

}  // namespace jet::file
