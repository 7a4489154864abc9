#pragma once
// The header page of a Jet file: its version and its database password. The
// bytes from 0x18 on (126 in Jet 3, 128 in Jet 4 and later) are stored XOR-ed
// with a fixed RC4 key stream; the password field at 0x42 (20 bytes of the code
// page in Jet 3, 20 UCS-2 characters in Jet 4) is in Jet 4 further XOR-ed with
// the four bytes of the whole part of the creation date kept at 0x72.
//
// Jet 4 and later also mask the SIDs they store (MSysACEs.SID, MSysObjects.Owner)
// with the RC4 key stream of a key derived from that header: the four bytes at
// 0x72, with byte 2i of the password region (the 40 masked bytes, then 40 as
// they stand) XOR-ed in shifted left by i mod 24, for i = 0 … 39. The stream
// starts afresh for every SID. Jet 3 stores SIDs as they are.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jet::format {

inline constexpr size_t kHeaderMaskOffset = 0x18;
inline constexpr size_t kPasswordOffset = 0x42;
inline constexpr size_t kCreationDateOffset = 0x72;
inline constexpr size_t kCodePageOffset = 0x3C;
inline constexpr size_t kDatabaseKeyOffset = 0x3E;
// Jet 4 keeps the sort order in four bytes (the order, a byte, its version).
inline constexpr size_t kSortOrderOffset = 0x6E;
inline constexpr size_t kJet3SortOrderOffset = 0x3A;

// The well-known SID of the workgroup's admin user, as bytes.
inline constexpr char kAdminUserSid[] = "\x03\x01";

struct HeaderInfo {
    int version = 0;                 // 0 Jet 3, 1 Jet 4, 2 and up ACE
    std::string password;            // UTF-8; empty when the database has none
    std::optional<uint32_t> sidKey;  // the key that masks stored SIDs; none in Jet 3
    // Non-zero when every page after the first is RC4-encoded (with this key
    // XOR-ed with the page number).
    uint32_t databaseKey = 0;
    uint16_t codePage = 0;         // the database's default code page
    uint16_t sortOrder = 0;        // the text sort order (0x0409 General)
    uint8_t sortOrderVersion = 0;  // Jet 4 and later; 0 in Jet 3
};

// XORs the header mask into a copy of the first page (in place); applying it
// twice gives the bytes back. Pages shorter than the masked range are left as
// they are.
void applyHeaderMask(std::string& page);

// The header of a file's first page as stored; null when it is too short,
// names a version no engine wrote, or carries no Jet signature ("Standard Jet
// DB", "Standard ACE DB", or "Jet System DB" of a workgroup file).
[[nodiscard]] std::optional<HeaderInfo> parseHeader(std::string page);

// Decodes or encodes (the same XOR) page `pageNumber` of a file whose header
// names `databaseKey`: the page's RC4 key is the database key XOR-ed with the
// page number, little-endian. Page 0 and files whose key is 0 are left as
// they are.
void applyPageEncoding(std::uint8_t* page, std::size_t size, uint32_t databaseKey,
                       uint32_t pageNumber);

// A stored SID unmasked with `key` (and a plain one masked: the mask is an XOR).
[[nodiscard]] std::string unmaskSid(std::string_view sid, uint32_t key);

// True when the SIDs of a workgroup's accounts are masked with `key`: none of
// them is the admin user's well-known SID, and one becomes it when unmasked.
[[nodiscard]] bool sidsLookMasked(const std::vector<std::string>& sids, uint32_t key);

// Reads the first page of a file; null when it cannot be read or is no Jet file.
[[nodiscard]] std::optional<HeaderInfo> readHeader(const std::string& path);

}  // namespace jet::format
