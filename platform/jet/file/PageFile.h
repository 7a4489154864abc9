#pragma once
// The pages of one Jet file, read on demand: the file is opened read-only and
// never written; pages are read with pread into a small cache (never the whole
// file), and pages the writer changes or adds live in an overlay, which is the
// only place a change exists until the writer copies the result into a new
// file.
#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "jet/file/Bytes.h"
#include "jet/file/UniqueFd.h"
#include "jet/format/Layout.h"

namespace jet::file {

// What page 0 says about the file. The codec reads and writes Jet 3 and Jet 4
// files, their pages encoded or not; other files can be opened to learn these facts.
struct FileFacts {
    int version = 0;           // 0 Jet 3, 1 Jet 4, 2 and up later formats
    uint32_t pageSize = 0;     // 2048 in Jet 3, 4096 from Jet 4 on
    uint32_t databaseKey = 0;  // non-zero: pages after the first are RC4-encoded
    uint16_t codePage = 0;
    uint16_t sortOrder = 0;  // 0x0409 General, 0x040C French, …
    uint8_t sortOrderVersion = 0;

    [[nodiscard]] bool jet4() const { return version == 1; }
    [[nodiscard]] bool encoded() const { return databaseKey != 0; }
    // The files whose structures this codec decodes and encodes: Jet 3 and
    // Jet 4 (a layout each).
    [[nodiscard]] bool codecSupported() const { return format::layoutFor(version) != nullptr; }
};

class PageFile {
public:
    static constexpr uint32_t kPageSize = format::kJet4.pageSize;
    static constexpr size_t kDefaultCachePages = 256;  // 1 MiB of Jet 4 pages

    // A page's bytes. Pages of the file stay valid as long as the reference is
    // held; an overlay page is shared with the overlay, so later writes to it
    // show through.
    using PageRef = std::shared_ptr<const Bytes>;

    // Opens `path` read-only and reads page 0. Throws FormatError when the
    // file cannot be opened or read, or is no Jet file. A trailing part of a
    // page is not a page: reading it fails like reading past the end.
    explicit PageFile(const std::string& path, size_t cachePages = kDefaultCachePages);
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    [[nodiscard]] const FileFacts& facts() const { return facts_; }
    [[nodiscard]] uint32_t pageSize() const { return facts_.pageSize; }
    // The sizes and offsets of the file's version; Jet 4's for versions the
    // codec has no layout of (which it never writes).
    [[nodiscard]] const format::Layout& layout() const { return *layout_; }
    // Pages of the file as it is on disk.
    [[nodiscard]] uint32_t originalPageCount() const { return originalPages_; }
    // Pages including those appended in the overlay.
    [[nodiscard]] uint32_t pageCount() const { return pageCount_; }

    // Page `n` as the writer sees it, decoded when the file's pages are
    // encoded: the overlay's copy when there is one, else the file's. Throws
    // FormatError past the end or when the read fails.
    [[nodiscard]] PageRef page(uint32_t n) const;

    // Page `n` copied into the overlay (once) for changing; the bytes stay
    // valid while the PageFile lives. Files the codec does not support (see
    // FileFacts) are not opened for writing: both throw FormatError there.
    std::span<uint8_t> writable(uint32_t n);
    // A new zero-filled page past the end, in the overlay; returns its number.
    uint32_t append();

    // Page `n` as it is to be stored: encoded again when the file's pages are.
    [[nodiscard]] Bytes stored(uint32_t n) const;

    // Changed and appended pages, ascending.
    [[nodiscard]] std::vector<uint32_t> changedPages() const;
    [[nodiscard]] bool changed(uint32_t n) const { return overlay_.count(n) != 0; }

    // Pages read from the file so far (a measure of the cache's work).
    [[nodiscard]] uint64_t pagesRead() const { return pagesRead_; }

private:
    PageRef readFromFile(uint32_t n) const;
    void requireWritableFormat() const;

    UniqueFd fd_;
    FileFacts facts_;
    const format::Layout* layout_ = &format::kJet4;
    uint32_t originalPages_ = 0;
    uint32_t pageCount_ = 0;
    size_t cacheLimit_;
    // Least recently used first.
    mutable std::list<uint32_t> lru_;
    mutable std::unordered_map<uint32_t, std::pair<PageRef, std::list<uint32_t>::iterator>> cache_;
    mutable uint64_t pagesRead_ = 0;
    std::map<uint32_t, std::shared_ptr<Bytes>> overlay_;
};

}  // namespace jet::file
