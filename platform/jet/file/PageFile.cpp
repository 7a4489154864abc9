#include "jet/file/PageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "jet/format/JetHeader.h"
#include "jet/format/Layout.h"

namespace jet::file {

namespace {

// Reads exactly `size` bytes at `offset`; false on a short read or an error.
bool readFully(int fd, uint8_t* out, size_t size, off_t offset) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

int openReadOnly(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FormatError("cannot open " + path + " for reading: " + std::strerror(errno));
    return fd;
}

}  // namespace

PageFile::PageFile(const std::string& path, size_t cachePages)
    : fd_(openReadOnly(path)), cacheLimit_(cachePages == 0 ? 1 : cachePages) {
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0)
        throw FormatError("cannot read " + path + ": " + std::strerror(errno));
    // The header's fields lie in the first 2048 bytes whatever the page size.
    std::string first(2048, '\0');
    if (st.st_size < static_cast<off_t>(first.size()) ||
        !readFully(fd_.get(), reinterpret_cast<uint8_t*>(first.data()), first.size(), 0))
        throw FormatError(path + " is too short to be a Jet database", 0);
    const auto header = jet::format::parseHeader(first);
    if (!header) throw FormatError(path + " is not a Jet database", 0);
    facts_.version = header->version;
    if (const auto* known = format::layoutFor(header->version)) layout_ = known;
    facts_.pageSize = static_cast<uint32_t>(layout_->pageSize);
    facts_.databaseKey = header->databaseKey;
    facts_.codePage = header->codePage;
    facts_.sortOrder = header->sortOrder;
    facts_.sortOrderVersion = header->sortOrderVersion;
    const auto pages = static_cast<uint64_t>(st.st_size) / facts_.pageSize;
    // Page numbers are 32 bits; row ids keep 24 of them.
    if (pages > 0xFFFFFFu) throw FormatError(path + " has more pages than a Jet file can");
    originalPages_ = static_cast<uint32_t>(pages);
    pageCount_ = originalPages_;
}

PageFile::PageRef PageFile::readFromFile(uint32_t n) const {
    auto hit = cache_.find(n);
    if (hit != cache_.end()) {
        lru_.splice(lru_.end(), lru_, hit->second.second);
        return hit->second.first;
    }
    auto bytes = std::make_shared<Bytes>(facts_.pageSize);
    if (!readFully(fd_.get(), bytes->data(), bytes->size(),
                   static_cast<off_t>(static_cast<uint64_t>(n) * facts_.pageSize)))
        throw FormatError("the page cannot be read", n);
    format::applyPageEncoding(bytes->data(), bytes->size(), facts_.databaseKey, n);
    ++pagesRead_;
    while (cache_.size() >= cacheLimit_) {
        cache_.erase(lru_.front());
        lru_.pop_front();
    }
    lru_.push_back(n);
    PageRef ref = bytes;
    cache_.emplace(n, std::make_pair(ref, std::prev(lru_.end())));
    return ref;
}

PageFile::PageRef PageFile::page(uint32_t n) const {
    if (auto it = overlay_.find(n); it != overlay_.end()) return it->second;
    if (n >= originalPages_) throw FormatError("the page lies past the end of the file", n);
    return readFromFile(n);
}

void PageFile::requireWritableFormat() const {
    // The writer's own refusal says why to the user; this keeps anything from
    // changing pages the codec cannot write.
    if (!facts_.codecSupported())
        throw FormatError("the codec writes only Jet 3 and Jet 4 files");
}

std::span<uint8_t> PageFile::writable(uint32_t n) {
    requireWritableFormat();
    if (auto it = overlay_.find(n); it != overlay_.end()) return *it->second;
    auto copy = std::make_shared<Bytes>(*page(n));
    // The cache's copy is stale once the page changes.
    if (auto hit = cache_.find(n); hit != cache_.end()) {
        lru_.erase(hit->second.second);
        cache_.erase(hit);
    }
    auto& slot = overlay_[n];
    slot = std::move(copy);
    return *slot;
}

uint32_t PageFile::append() {
    requireWritableFormat();
    if (pageCount_ >= 0xFFFFFFu) throw FormatError("the file cannot grow by another page");
    const uint32_t n = pageCount_++;
    overlay_[n] = std::make_shared<Bytes>(facts_.pageSize, 0);
    return n;
}

Bytes PageFile::stored(uint32_t n) const {
    Bytes bytes = *page(n);
    format::applyPageEncoding(bytes.data(), bytes.size(), facts_.databaseKey, n);
    return bytes;
}

std::vector<uint32_t> PageFile::changedPages() const {
    std::vector<uint32_t> out;
    out.reserve(overlay_.size());
    for (const auto& [n, bytes] : overlay_) out.push_back(n);
    return out;
}

}  // namespace jet::file
