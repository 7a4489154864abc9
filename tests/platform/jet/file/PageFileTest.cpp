// The pages of a file: header facts, reads on demand through a bounded cache,
// and the overlay that holds every change while the file stays as it was.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "jet/file/FormatError.h"
#include "jet/file/PageFile.h"
#include "jet/format/JetHeader.h"

namespace {

using jet::file::PageFile;

TEST(PageFileFacts, HeaderFactsOfRealFiles) {
    REQUIRE_FIXTURES();
    struct {
        const char* file;
        int version;
        uint32_t pageSize;
        uint16_t sortOrder;
        bool supported;
    } cases[] = {
        {"jackcess/emptyJet4.mdb", 1, 4096, 0x0409, true},
        {"jackcess/testUnicodeCompV2003.mdb", 1, 4096, 0x0409, true},
        {"teaching/Comptoir2000.mdb", 1, 4096, 0x040C, true},
        {"mdbtestdata/nwind.mdb", 0, 2048, 0x0409, true},
        {"jackcess/indexTestV1997.mdb", 0, 2048, 0x0409, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        PageFile file(testsupport::fixture(c.file));
        EXPECT_EQ(file.facts().version, c.version);
        EXPECT_EQ(file.pageSize(), c.pageSize);
        EXPECT_EQ(file.facts().sortOrder, c.sortOrder);
        EXPECT_EQ(file.facts().databaseKey, 0u);
        EXPECT_EQ(file.facts().codecSupported(), c.supported);
        EXPECT_EQ(file.pageCount(),
                  testsupport::readFile(testsupport::fixture(c.file)).size() / c.pageSize);
    }
}

// A copy of emptyJet4.mdb whose header says what `change` makes of it.
std::string patchedHeader(const testsupport::TempDir& dir, const std::string& name,
                          void (*change)(std::string& unmasked)) {
    std::string bytes = testsupport::readFile(testsupport::fixture("jackcess/emptyJet4.mdb"));
    std::string page0 = bytes.substr(0, PageFile::kPageSize);
    jet::format::applyHeaderMask(page0);
    change(page0);
    jet::format::applyHeaderMask(page0);
    bytes.replace(0, page0.size(), page0);
    const auto path = dir.file(name);
    testsupport::writeFile(path, bytes);
    return path;
}

TEST(PageFileFacts, EncodedAndLaterFormatsAreReportedNotRefused) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    PageFile encoded(patchedHeader(dir, "encoded.mdb", [](std::string& p) {
        p[jet::format::kDatabaseKeyOffset] = 0x12;
        p[jet::format::kDatabaseKeyOffset + 3] = 0x34;
    }));
    EXPECT_TRUE(encoded.facts().encoded());
    EXPECT_EQ(encoded.facts().databaseKey, 0x34000012u);
    // Encoded pages are decoded on reading and encoded again for storing.
    EXPECT_TRUE(encoded.facts().codecSupported());
    PageFile later(patchedHeader(dir, "ace.mdb", [](std::string& p) { p[0x14] = 3; }));
    EXPECT_EQ(later.facts().version, 3);
    EXPECT_FALSE(later.facts().codecSupported());
    // Reported and readable, but not opened for writing.
    EXPECT_NO_THROW((void)later.page(1));
    EXPECT_THROW((void)later.writable(1), jet::file::FormatError);
    EXPECT_THROW((void)later.append(), jet::file::FormatError);
    EXPECT_TRUE(later.changedPages().empty());
    // Jet 3 has a layout of its own: its pages change in the overlay.
    PageFile jet3(testsupport::fixture("mdbtestdata/nwind.mdb"));
    EXPECT_EQ(&jet3.layout(), &jet::format::kJet3);
    EXPECT_NO_THROW((void)jet3.writable(1));
    EXPECT_EQ(jet3.append(), jet3.originalPageCount());
    EXPECT_EQ(jet3.page(jet3.originalPageCount())->size(), 2048u);
    EXPECT_EQ(jet3.changedPages().size(), 2u);
}

// Every encoded fixture (workgroups and secured databases): pages decode, and
// encode back to exactly their stored bytes.
TEST(PageFileReading, EncodedPagesDecodeAndEncodeBackByteForByte) {
    REQUIRE_FIXTURES();
    int files = 0;
    for (const char* name : {"secured/kontener.mdb", "secured/kontener-security.mdw",
                             "secured/many-accounts97.mdw", "workgroup/system.mdw"}) {
        SCOPED_TRACE(name);
        const std::string path = testsupport::fixture(name);
        PageFile file(path);
        if (!file.facts().encoded()) continue;
        ++files;
        const std::string raw = testsupport::readFile(path);
        const uint32_t size = file.pageSize();
        for (uint32_t n = 0; n < file.pageCount(); ++n) {
            const jet::file::Bytes stored = file.stored(n);
            ASSERT_EQ(std::string(stored.begin(), stored.end()), raw.substr(n * size, size))
                << "page " << n;
        }
        // Free pages hold anything; the global map's data page and
        // MSysObjects' definition are where every version puts them.
        EXPECT_EQ((*file.page(1))[0], 1) << "page 1 is no data page";
        EXPECT_EQ((*file.page(2))[0], 2) << "page 2 is no table definition";
    }
    EXPECT_GT(files, 0) << "no fixture is encoded";
}

// An encoded file's changed page is stored encoded with its own page's key.
TEST(PageFileOverlay, ChangedPagesOfAnEncodedFileAreStoredEncoded) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const auto path = dir.file("copy.mdw");
    testsupport::writeFile(path, testsupport::readFile(testsupport::fixture(
                                     "secured/kontener-security.mdw")));
    PageFile file(path);
    ASSERT_TRUE(file.facts().encoded());
    auto three = file.writable(3);
    three[200] = static_cast<uint8_t>(three[200] ^ 0x5A);
    const jet::file::Bytes decoded = *file.page(3);
    jet::file::Bytes stored = file.stored(3);
    EXPECT_NE(stored, decoded);
    jet::format::applyPageEncoding(stored.data(), stored.size(), file.facts().databaseKey, 3);
    EXPECT_EQ(stored, decoded);
    // Page 0 is never encoded.
    EXPECT_EQ(file.stored(0), *file.page(0));
}

TEST(PageFileReading, PagesComeThroughABoundedCache) {
    REQUIRE_FIXTURES();
    PageFile file(testsupport::fixture("jackcess/testRefGlobalV2000.mdb"), 4);
    ASSERT_GT(file.pageCount(), 200u);
    for (int i = 0; i < 3; ++i) (void)file.page(7);
    EXPECT_EQ(file.pagesRead(), 1u);
    for (uint32_t p = 0; p < 100; ++p) (void)file.page(p);
    for (uint32_t p = 0; p < 100; ++p) (void)file.page(p);
    // Four pages stay: every page of a pass of a hundred is read again.
    EXPECT_EQ(file.pagesRead(), 201u);
    // A page held stays valid after the cache drops it.
    const auto held = file.page(150);
    const jet::file::Bytes copy = *held;
    for (uint32_t p = 0; p < 20; ++p) (void)file.page(p);
    EXPECT_EQ(*held, copy);
}

TEST(PageFileReading, ATrailingPartOfAPageIsNoPage) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    std::string bytes = testsupport::readFile(testsupport::fixture("jackcess/emptyJet4.mdb"));
    const auto pages = static_cast<uint32_t>(bytes.size() / PageFile::kPageSize);
    bytes.resize(bytes.size() - 1000);
    const auto path = dir.file("short.mdb");
    testsupport::writeFile(path, bytes);
    PageFile file(path);
    EXPECT_EQ(file.pageCount(), pages - 1);
    EXPECT_NO_THROW((void)file.page(pages - 2));
    EXPECT_THROW((void)file.page(pages - 1), jet::file::FormatError);
}

TEST(PageFileOverlay, ChangesLiveInTheOverlayAndTheFileStaysAsItWas) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const auto path = dir.file("copy.mdb");
    const std::string original =
        testsupport::readFile(testsupport::fixture("jackcess/emptyJet4.mdb"));
    testsupport::writeFile(path, original);
    PageFile file(path);
    const uint32_t pages = file.pageCount();
    const auto before = file.page(5);
    auto five = file.writable(5);
    five[100] = static_cast<uint8_t>(five[100] ^ 0xFF);
    EXPECT_NE((*file.page(5))[100], (*before)[100]);
    // A second writable() is the same copy.
    EXPECT_EQ(file.writable(5)[100], five[100]);
    const uint32_t added = file.append();
    EXPECT_EQ(added, pages);
    EXPECT_EQ(file.pageCount(), pages + 1);
    EXPECT_EQ(file.originalPageCount(), pages);
    EXPECT_EQ(*file.page(added), jet::file::Bytes(PageFile::kPageSize, 0));
    (void)file.writable(2);
    EXPECT_EQ(file.changedPages(), (std::vector<uint32_t>{2, 5, added}));
    EXPECT_TRUE(file.changed(5));
    EXPECT_FALSE(file.changed(4));
    EXPECT_THROW((void)file.page(added + 1), jet::file::FormatError);
    EXPECT_EQ(testsupport::readFile(path), original);
}

}  // namespace
