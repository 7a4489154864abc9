#include "FixtureReader.h"

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "jet/mdb/JetHeader.h"

namespace jet::file::testing {

namespace {

constexpr size_t kPage = indexpage::kPageSize;

uint16_t le16(const std::vector<uint8_t>& b, size_t at) {
    if (at + 2 > b.size()) throw std::runtime_error("fixture reader: read past the bytes");
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    if (at + 4 > b.size()) throw std::runtime_error("fixture reader: read past the bytes");
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string utf16ToUtf8(const std::u16string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        appendUtf8(out, c);
    }
    return out;
}

// Jet 4 text: UCS-2, or the compressed form (FF FE, then one byte a
// character, a zero byte switching to and from two bytes a character).
std::u16string decodeText(const uint8_t* p, size_t n) {
    std::u16string out;
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        bool compressed = true;
        for (size_t i = 2; i < n;) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                out.push_back(p[i++]);
            } else {
                if (i + 1 >= n) break;
                out.push_back(static_cast<char16_t>(p[i] | (p[i + 1] << 8)));
                i += 2;
            }
        }
        return out;
    }
    for (size_t i = 0; i + 1 < n; i += 2)
        out.push_back(static_cast<char16_t>(p[i] | (p[i + 1] << 8)));
    return out;
}

template <typename T>
T readLe(const uint8_t* p) {
    T v{};
    std::memcpy(&v, p, sizeof(T));  // the machine is little-endian, as the file
    return v;
}

FieldValue fixedValue(const FixtureColumn& c, const uint8_t* p) {
    switch (c.type) {
        case jettype::Byte:
            return p[0];
        case jettype::SmallInt:
            return readLe<int16_t>(p);
        case jettype::Integer:
            return readLe<int32_t>(p);
        case jettype::Currency:
            return Currency{readLe<int64_t>(p)};
        case jettype::Single:
            return readLe<float>(p);
        case jettype::Double:
            return readLe<double>(p);
        case jettype::DateTime:
            return DateTime{readLe<double>(p)};
        case jettype::Guid: {
            Guid g;
            std::memcpy(g.bytes.data(), p, 16);
            return g;
        }
        case jettype::Numeric: {
            Decimal d;
            d.negative = p[0] == 0x80;
            d.scale = c.scale;
            d.high = readLe<uint32_t>(p + 5);
            d.middle = readLe<uint32_t>(p + 9);
            d.low = readLe<uint32_t>(p + 13);
            return d;
        }
        default:
            return std::monostate{};
    }
}

size_t fixedSize(uint8_t type, uint16_t length) {
    switch (type) {
        case jettype::Byte:
            return 1;
        case jettype::SmallInt:
            return 2;
        case jettype::Integer:
        case jettype::Single:
            return 4;
        case jettype::Currency:
        case jettype::Double:
        case jettype::DateTime:
            return 8;
        case jettype::Guid:
            return 16;
        case jettype::Numeric:
            return 17;
        default:
            return length;
    }
}

}  // namespace

const FixtureColumn* FixtureTable::column(uint16_t number) const {
    for (const FixtureColumn& c : columns)
        if (c.number == number) return &c;
    return nullptr;
}

FixtureFile::FixtureFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::string header(reinterpret_cast<const char*>(bytes_.data()),
                       std::min(bytes_.size(), kPage));
    jet::mdb::applyHeaderMask(header);
    if (header.size() > 0x71)
        sortOrder_.id = static_cast<uint16_t>(static_cast<uint8_t>(header[0x6E]) |
                                              (static_cast<uint8_t>(header[0x6F]) << 8));
}

std::vector<uint8_t> FixtureFile::page(uint32_t n) const {
    if (n >= pageCount()) throw std::runtime_error("fixture reader: page past the end");
    return {bytes_.begin() + static_cast<ptrdiff_t>(n * kPage),
            bytes_.begin() + static_cast<ptrdiff_t>((n + 1) * kPage)};
}

PageSource FixtureFile::pages() const {
    return [this](uint32_t n) { return page(n); };
}

FixtureTable FixtureFile::table(uint32_t definitionPage, const std::string& name) const {
    FixtureTable t;
    t.name = name;
    t.definitionPage = definitionPage;
    // The definition over its chain of pages (each after an 8-byte header).
    std::vector<uint8_t> d = page(definitionPage);
    for (uint32_t next = le32(d, 4), hops = 0; next != 0 && hops < 64; ++hops) {
        const std::vector<uint8_t> more = page(next);
        d.insert(d.end(), more.begin() + 8, more.end());
        next = le32(more, 4);
    }
    t.rowCount = le32(d, 16);
    const uint16_t columns = le16(d, 45);
    const uint32_t logical = le32(d, 47);
    const uint32_t real = le32(d, 51);
    size_t at = 63 + 12 * static_cast<size_t>(real);
    for (uint16_t i = 0; i < columns; ++i, at += 25) {
        FixtureColumn c;
        c.type = d.at(at);
        c.number = le16(d, at + 5);
        c.varIndex = le16(d, at + 7);
        c.sortOrder.id = le16(d, at + 11);
        c.sortOrder.version = d.at(at + 14);
        c.scale = d.at(at + 12);
        c.flags = d.at(at + 15);
        c.fixedOffset = le16(d, at + 21);
        c.length = le16(d, at + 23);
        t.columns.push_back(c);
    }
    for (FixtureColumn& c : t.columns) {
        const uint16_t n = le16(d, at);
        std::u16string s;
        for (size_t k = 0; k + 1 < n; k += 2)
            s.push_back(static_cast<char16_t>(le16(d, at + 2 + k)));
        c.name = utf16ToUtf8(s);
        at += 2 + n;
    }
    for (uint32_t i = 0; i < real; ++i, at += 52) {
        FixtureIndex x;
        for (int k = 0; k < 10; ++k) {
            const uint16_t col = le16(d, at + 4 + 3 * k);
            if (col != 0xFFFF) x.columns.emplace_back(col, d.at(at + 6 + 3 * k) == 0x01);
        }
        x.usageMap = le32(d, at + 34);
        x.firstPage = le32(d, at + 38);
        x.flags = d.at(at + 46);
        t.indexes.push_back(x);
    }
    std::vector<std::pair<uint32_t, uint8_t>> uses;  // real index, logical index type
    for (uint32_t i = 0; i < logical; ++i, at += 28)
        uses.emplace_back(le32(d, at + 8), d.at(at + 23));
    for (const auto& [realIndex, type] : uses) {
        const uint16_t n = le16(d, at);
        std::u16string s;
        for (size_t k = 0; k + 1 < n; k += 2)
            s.push_back(static_cast<char16_t>(le16(d, at + 2 + k)));
        at += 2 + n;
        if (realIndex < t.indexes.size()) {
            if (type == 0x01) t.indexes[realIndex].primaryKey = true;
            t.indexes[realIndex].names.push_back(utf16ToUtf8(s));
        }
    }

    // Rows: every data page the table owns, in page order; overflow rows
    // read where their pointer leads, under the pointer's own row id.
    for (uint32_t p = 0; p < pageCount(); ++p) {
        const size_t base = static_cast<size_t>(p) * kPage;
        if (bytes_[base] != 0x01 || le32(bytes_, base + 4) != definitionPage) continue;
        const uint16_t count = le16(bytes_, base + 12);
        for (uint16_t r = 0; r < count; ++r) {
            const uint16_t offset = le16(bytes_, base + 14 + 2 * r);
            if (offset & 0x8000) continue;  // deleted (or the far half of an overflow)
            uint32_t rowPage = p;
            uint16_t rowNumber = r;
            if (offset & 0x4000) {
                const size_t at2 = base + (offset & 0x1FFF);
                rowNumber = bytes_.at(at2);
                rowPage = le32(bytes_, at2) >> 8;
            }
            const size_t rbase = static_cast<size_t>(rowPage) * kPage;
            const uint16_t o = le16(bytes_, rbase + 14 + 2 * rowNumber);
            const size_t start = o & 0x1FFF;
            const size_t end =
                rowNumber == 0 ? kPage : (le16(bytes_, rbase + 14 + 2 * (rowNumber - 1)) & 0x1FFF);
            if (start >= end || end > kPage)
                throw std::runtime_error("fixture reader: bad row bounds");
            const std::vector<uint8_t> row(bytes_.begin() + static_cast<ptrdiff_t>(rbase + start),
                                           bytes_.begin() + static_cast<ptrdiff_t>(rbase + end));
            FixtureRow out;
            out.page = p;
            out.row = static_cast<uint8_t>(r);
            const uint16_t rowColumns = le16(row, 0);
            const size_t mask = (rowColumns + 7u) / 8u;
            if (mask + 2 > row.size()) throw std::runtime_error("fixture reader: bad row");
            const size_t maskAt = row.size() - mask;
            auto present = [&](uint16_t number) {
                return number < rowColumns && (row[maskAt + number / 8] & (1u << (number % 8)));
            };
            uint16_t varCount = 0;
            std::vector<uint16_t> varOffsets;
            const bool hasVar =
                std::any_of(t.columns.begin(), t.columns.end(),
                            [](const FixtureColumn& c) { return !(c.flags & 0x01); });
            if (hasVar) {
                varCount = le16(row, maskAt - 2);
                for (uint16_t k = 0; k <= varCount; ++k)
                    varOffsets.push_back(le16(row, maskAt - 4 - 2 * k));
            }
            for (const FixtureColumn& c : t.columns) {
                if (c.type == jettype::YesNo) {
                    out.values[c.number] = present(c.number);
                    continue;
                }
                if (!present(c.number)) continue;
                if (c.flags & 0x01) {
                    const size_t from = 2 + c.fixedOffset;
                    if (from + fixedSize(c.type, c.length) > row.size()) continue;
                    if (c.type == jettype::Text) {
                        out.values[c.number] = utf16ToUtf8(decodeText(row.data() + from, c.length));
                    } else if (c.type == jettype::Binary) {
                        out.values[c.number] = Binary{std::string(
                            reinterpret_cast<const char*>(row.data() + from), c.length)};
                    } else {
                        out.values[c.number] = fixedValue(c, row.data() + from);
                    }
                } else if (c.varIndex < varCount) {
                    const size_t from = varOffsets[c.varIndex];
                    const size_t to = varOffsets[c.varIndex + 1u];
                    if (from > to || to > row.size())
                        throw std::runtime_error("fixture reader: bad variable column");
                    if (c.type == jettype::Text)
                        out.values[c.number] =
                            utf16ToUtf8(decodeText(row.data() + from, to - from));
                    else if (c.type == jettype::Binary)
                        out.values[c.number] = Binary{std::string(
                            reinterpret_cast<const char*>(row.data() + from), to - from)};
                    else if (to - from >=
                             fixedSize(c.type, c.length))  // numbers kept in the variable area
                        out.values[c.number] = fixedValue(c, row.data() + from);
                }
            }
            t.rows.push_back(std::move(out));
        }
    }
    return t;
}

std::vector<FixtureTable> FixtureFile::tables() const {
    // MSysObjects is the table whose definition is on page 2.
    const FixtureTable catalog = table(2, "MSysObjects");
    uint16_t idColumn = 0xFFFF, nameColumn = 0xFFFF, typeColumn = 0xFFFF;
    for (const FixtureColumn& c : catalog.columns) {
        if (c.name == "Id") idColumn = c.number;
        if (c.name == "Name") nameColumn = c.number;
        if (c.name == "Type") typeColumn = c.number;
    }
    std::vector<FixtureTable> out;
    for (const FixtureRow& r : catalog.rows) {
        const auto type = r.values.find(typeColumn);
        if (type == r.values.end() || !std::holds_alternative<int16_t>(type->second) ||
            std::get<int16_t>(type->second) != 1)
            continue;
        const uint32_t id =
            static_cast<uint32_t>(std::get<int32_t>(r.values.at(idColumn))) & 0x00FFFFFFu;
        out.push_back(table(id, std::get<std::string>(r.values.at(nameColumn))));
    }
    return out;
}

}  // namespace jet::file::testing
