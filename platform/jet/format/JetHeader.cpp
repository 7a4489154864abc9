#include "jet/format/JetHeader.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>

#include "text/Utf8.h"

namespace jet::format {

namespace {

constexpr uint32_t kHeaderKey = 0x6b39dac7u;
// Versions of the file format up to ACE 2019 (libmdb's MDB_VER_ACCDB_2019).
constexpr int kNewestVersion = 6;

size_t maskedLength(int version) { return version == 0 ? 126 : 128; }

// The first `n` bytes of the RC4 key stream of a 32-bit key (key bytes
// little-endian).
std::string rc4Stream(uint32_t key32, size_t n) {
    std::array<unsigned char, 256> s{};
    for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
    const unsigned char key[4] = {static_cast<unsigned char>(key32 & 0xFF),
                                  static_cast<unsigned char>((key32 >> 8) & 0xFF),
                                  static_cast<unsigned char>((key32 >> 16) & 0xFF),
                                  static_cast<unsigned char>((key32 >> 24) & 0xFF)};
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    std::string out(n, '\0');
    for (size_t k = 0, i = 0, j = 0; k < n; ++k) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        out[k] = static_cast<char>(s[(s[i] + s[j]) & 0xFF]);
    }
    return out;
}

// Windows-1252 above 0x7F, as Jet 3 files store text.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The whole part of a double the way a 32-bit conversion saturates.
int32_t wholePart(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (d <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(d);
}

}  // namespace

void applyHeaderMask(std::string& page) {
    if (page.size() < 0x15) return;
    const int version = static_cast<unsigned char>(page[0x14]);
    const size_t len = maskedLength(version);
    if (page.size() < kHeaderMaskOffset + len) return;
    static const std::string stream = rc4Stream(kHeaderKey, 128);
    for (size_t i = 0; i < len; ++i)
        page[kHeaderMaskOffset + i] = static_cast<char>(page[kHeaderMaskOffset + i] ^ stream[i]);
}

std::optional<HeaderInfo> parseHeader(std::string page) {
    if (page.size() < kHeaderMaskOffset + 128) return std::nullopt;
    if (page[0] != 0 ||
        (page.compare(4, 15, "Standard Jet DB") != 0 &&
         page.compare(4, 15, "Standard ACE DB") != 0 && page.compare(4, 13, "Jet System DB") != 0))
        return std::nullopt;
    HeaderInfo info;
    info.version = static_cast<unsigned char>(page[0x14]);
    if (info.version > kNewestVersion) return std::nullopt;
    applyHeaderMask(page);
    const auto* p = reinterpret_cast<const unsigned char*>(page.data());
    info.codePage = static_cast<uint16_t>(p[kCodePageOffset] | p[kCodePageOffset + 1] << 8);
    info.databaseKey = static_cast<uint32_t>(p[kDatabaseKeyOffset]) |
                       static_cast<uint32_t>(p[kDatabaseKeyOffset + 1]) << 8 |
                       static_cast<uint32_t>(p[kDatabaseKeyOffset + 2]) << 16 |
                       static_cast<uint32_t>(p[kDatabaseKeyOffset + 3]) << 24;
    const size_t sortAt = info.version == 0 ? kJet3SortOrderOffset : kSortOrderOffset;
    info.sortOrder = static_cast<uint16_t>(p[sortAt] | p[sortAt + 1] << 8);
    if (info.version != 0) info.sortOrderVersion = p[kSortOrderOffset + 3];
    if (info.version == 0) {
        for (size_t i = 0; i < 20; ++i) {
            const unsigned char c = p[kPasswordOffset + i];
            if (c == 0) break;
            text::appendUtf8(info.password, c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c);
        }
        return info;
    }
    double date = 0;
    std::memcpy(&date, p + kCreationDateOffset, sizeof date);
    const auto whole = static_cast<uint32_t>(wholePart(date));
    const unsigned char mask[4] = {static_cast<unsigned char>(whole & 0xFF),
                                   static_cast<unsigned char>((whole >> 8) & 0xFF),
                                   static_cast<unsigned char>((whole >> 16) & 0xFF),
                                   static_cast<unsigned char>((whole >> 24) & 0xFF)};
    // The password region: 40 bytes under the date's mask, then 40 as they stand.
    std::array<unsigned char, 80> region{};
    for (size_t i = 0; i < region.size(); ++i)
        region[i] = i < 40 ? p[kPasswordOffset + i] ^ mask[i % 4] : p[kPasswordOffset + i];
    uint32_t sidKey = static_cast<uint32_t>(p[kCreationDateOffset]) |
                      static_cast<uint32_t>(p[kCreationDateOffset + 1]) << 8 |
                      static_cast<uint32_t>(p[kCreationDateOffset + 2]) << 16 |
                      static_cast<uint32_t>(p[kCreationDateOffset + 3]) << 24;
    for (size_t i = 0; i < 40; ++i) sidKey ^= static_cast<uint32_t>(region[2 * i]) << (i % 24);
    info.sidKey = sidKey;
    // The password: up to 20 UCS-2 units of the masked half.
    for (size_t i = 0; i + 1 < 40; i += 2) {
        uint32_t unit = region[i] | (region[i + 1] << 8);
        if (unit == 0) break;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < 40) {
            const uint32_t low = region[i + 2] | (region[i + 3] << 8);
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        text::appendUtf8(info.password, unit);
    }
    return info;
}

void applyPageEncoding(std::uint8_t* page, std::size_t size, uint32_t databaseKey,
                       uint32_t pageNumber) {
    if (databaseKey == 0 || pageNumber == 0) return;
    const std::string stream = rc4Stream(databaseKey ^ pageNumber, size);
    for (std::size_t i = 0; i < size; ++i)
        page[i] = static_cast<std::uint8_t>(page[i] ^ static_cast<unsigned char>(stream[i]));
}

std::string unmaskSid(std::string_view sid, uint32_t key) {
    const std::string stream = rc4Stream(key, sid.size());
    std::string out(sid);
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(out[i] ^ stream[i]);
    return out;
}

bool sidsLookMasked(const std::vector<std::string>& sids, uint32_t key) {
    const std::string_view admin = kAdminUserSid;
    bool plain = false, masked = false;
    for (const auto& sid : sids) {
        plain = plain || sid == admin;
        masked = masked || (sid.size() == admin.size() && unmaskSid(sid, key) == admin);
    }
    return masked && !plain;
}

std::optional<HeaderInfo> readHeader(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string page(2048, '\0');
    in.read(page.data(), static_cast<std::streamsize>(page.size()));
    page.resize(static_cast<size_t>(in.gcount()));
    return parseHeader(std::move(page));
}

}  // namespace jet::format
