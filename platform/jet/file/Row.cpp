#include "jet/file/Row.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "jet/file/Text.h"

namespace jet::file {

namespace {

// Which FieldValue alternative each kind of column holds.
enum Kind : size_t {
    kNull = 0,
    kBool = 1,
    kByte = 2,
    kInt16 = 3,
    kInt32 = 4,
    kCurrency = 5,
    kFloat = 6,
    kDouble = 7,
    kDate = 8,
    kText = 9,
    kBinary = 10,
    kGuid = 11,
    kDecimal = 12,
};

bool storesInFixedArea(const ColumnDef& c) { return c.fixed() && c.type != coltype::Boolean; }

size_t fixedSize(const ColumnDef& c) {
    const size_t typed = fixedTypeSize(c.type);
    return typed != 0 ? typed : c.length;
}

[[noreturn]] void fail(const ColumnDef& c, const std::string& what) {
    throw FormatError("column " + c.name + ": " + what);
}

jet::FieldValue decodeScalar(const ColumnDef& c, ByteSpan b, const PageFile& file,
                             const TextCodec& text) {
    const size_t typed = fixedTypeSize(c.type);
    if (typed != 0 && b.size() != typed)
        fail(c, "a value of " + std::to_string(b.size()) + " bytes where the type takes " +
                    std::to_string(typed));
    const uint8_t* p = b.data();
    switch (c.type) {
        case coltype::Byte:
            return p[0];
        case coltype::Int:
            return static_cast<int16_t>(le16(p));
        case coltype::Long:
            return static_cast<int32_t>(le32(p));
        case coltype::Money:
            return jet::Currency{static_cast<int64_t>(le64(p))};
        case coltype::Float:
            return std::bit_cast<float>(le32(p));
        case coltype::Double:
            return std::bit_cast<double>(le64(p));
        case coltype::DateTime:
            return jet::DateTime{std::bit_cast<double>(le64(p))};
        case coltype::Guid: {
            jet::Guid g;
            std::copy(b.begin(), b.end(), g.bytes.begin());
            return g;
        }
        case coltype::Numeric: {
            // A sign byte, then four 32-bit words, most significant first.
            if (p[0] != 0x00 && p[0] != 0x80) fail(c, "a NUMERIC value with an unknown sign byte");
            if (le32(p + 1) != 0) fail(c, "a NUMERIC value past 96 bits");
            jet::Decimal d;
            d.negative = p[0] == 0x80;
            d.scale = c.scale();
            d.high = le32(p + 5);
            d.middle = le32(p + 9);
            d.low = le32(p + 13);
            return d;
        }
        case coltype::Text:
            return text.decodeValue(b);
        case coltype::Memo:
            return text.decodeValue(readLongValue(file, b));
        case coltype::Ole: {
            const Bytes v = readLongValue(file, b);
            return jet::Binary{std::string(v.begin(), v.end())};
        }
        default:
            return jet::Binary{std::string(b.begin(), b.end())};
    }
}

// 96-bit magnitude times 10, false on overflow.
bool times10(jet::Decimal& d) {
    uint64_t carry = 0;
    for (uint32_t* w : {&d.low, &d.middle, &d.high}) {
        const uint64_t v = static_cast<uint64_t>(*w) * 10 + carry;
        *w = static_cast<uint32_t>(v);
        carry = v >> 32;
    }
    return carry == 0;
}

Bytes encodeScalar(const ColumnDef& c, const jet::FieldValue& v, const TextCodec& text) {
    const size_t want = fieldKindOf(c.type);
    if (v.index() != want) fail(c, "a value of another type");
    Bytes out(fixedTypeSize(c.type));
    uint8_t* p = out.data();
    switch (c.type) {
        case coltype::Byte:
            p[0] = std::get<uint8_t>(v);
            break;
        case coltype::Int:
            putLe16(p, static_cast<uint16_t>(std::get<int16_t>(v)));
            break;
        case coltype::Long:
            putLe32(p, static_cast<uint32_t>(std::get<int32_t>(v)));
            break;
        case coltype::Money:
            putLe64(p, static_cast<uint64_t>(std::get<jet::Currency>(v).units));
            break;
        case coltype::Float:
            putLe32(p, std::bit_cast<uint32_t>(std::get<float>(v)));
            break;
        case coltype::Double:
            putLe64(p, std::bit_cast<uint64_t>(std::get<double>(v)));
            break;
        case coltype::DateTime:
            putLe64(p, std::bit_cast<uint64_t>(std::get<jet::DateTime>(v).days));
            break;
        case coltype::Guid: {
            const auto& g = std::get<jet::Guid>(v).bytes;
            std::copy(g.begin(), g.end(), out.begin());
            break;
        }
        case coltype::Numeric: {
            jet::Decimal d = std::get<jet::Decimal>(v);
            if (d.scale > c.scale()) fail(c, "a NUMERIC value with more decimals than the column");
            while (d.scale < c.scale()) {
                if (!times10(d)) fail(c, "a NUMERIC value too large for the column's scale");
                ++d.scale;
            }
            p[0] = d.negative ? 0x80 : 0x00;
            putLe32(p + 5, d.high);
            putLe32(p + 9, d.middle);
            putLe32(p + 13, d.low);
            break;
        }
        case coltype::Text: {
            const auto& s = std::get<std::string>(v);
            if (text.storedLength(s) > c.length) fail(c, "a text longer than the column");
            out = text.encodeValue(s, c.compressedUnicode());
            break;
        }
        case coltype::Binary: {
            const auto& s = std::get<jet::Binary>(v).bytes;
            if (s.size() > c.length) fail(c, "binary data longer than the column");
            out.assign(s.begin(), s.end());
            break;
        }
        default: {
            const auto& s = std::get<jet::Binary>(v).bytes;
            out.assign(s.begin(), s.end());
            break;
        }
    }
    return out;
}

// The stored bytes of a long value before it goes inline or to its pages.
Bytes longValueBytes(const ColumnDef& c, const jet::FieldValue& v, const TextCodec& text) {
    if (v.index() != fieldKindOf(c.type)) fail(c, "a value of another type");
    if (c.type == coltype::Memo) {
        const auto& s = std::get<std::string>(v);
        // Access compresses a memo only up to 1024 characters.
        return text.encodeValue(s, c.compressedUnicode() && textUnits(s) <= 1024);
    }
    const auto& b = std::get<jet::Binary>(v).bytes;
    return Bytes(b.begin(), b.end());
}

}  // namespace

size_t fieldKindOf(uint8_t type) {
    switch (type) {
        case coltype::Boolean:
            return kBool;
        case coltype::Byte:
            return kByte;
        case coltype::Int:
            return kInt16;
        case coltype::Long:
            return kInt32;
        case coltype::Money:
            return kCurrency;
        case coltype::Float:
            return kFloat;
        case coltype::Double:
            return kDouble;
        case coltype::DateTime:
            return kDate;
        case coltype::Text:
        case coltype::Memo:
            return kText;
        case coltype::Guid:
            return kGuid;
        case coltype::Numeric:
            return kDecimal;
        default:
            return kBinary;
    }
}

bool RowLayout::notNull(ByteSpan row, uint16_t columnNumber) const {
    if (columnNumber >= columnCount) return false;
    return (row[nullMaskOffset + columnNumber / 8] >> (columnNumber % 8) & 1) != 0;
}

namespace {

// Jet 3's trailer: the variable count, then down from it the jump table (one
// entry per 256 bytes the row passes: the first variable slot at or past the
// boundary, the end of data counting as the last; a dummy entry when the
// row's length asks for one more than there are), then the 1-byte offsets
// (last first) and the end of data. Read as both readers read it: the
// entries the length asks for, less a last one that no offset needs.
void readNarrowOffsets(ByteSpan row, RowLayout& l) {
    const size_t countAt = l.nullMaskOffset - 1;
    l.variableCount = row[countAt];
    size_t jumps = (row.size() - 1) / 256;
    if (static_cast<size_t>(l.variableCount) + 1 + jumps + 1 > countAt)
        throw FormatError("a row's variable offsets run past the row");
    const size_t firstOffsetAt = countAt - jumps - 1;
    const size_t eodAt = firstOffsetAt - l.variableCount;
    if (eodAt < 1) throw FormatError("a row's variable offsets run past the row");
    if (eodAt / 256 < jumps) --jumps;
    std::vector<uint16_t> offsets(static_cast<size_t>(l.variableCount) + 1);
    size_t used = 0;
    for (size_t i = 0; i <= l.variableCount; ++i) {
        while (used < jumps && row[countAt - 1 - used] == i) ++used;
        offsets[i] = static_cast<uint16_t>(row[firstOffsetAt - i] + 256 * used);
    }
    l.variableEnd = offsets.back();
    if (l.variableEnd < 1 || l.variableEnd > eodAt)
        throw FormatError("a row's variable area ends outside the row");
    offsets.pop_back();
    uint16_t previous = 1;
    for (uint16_t off : offsets) {
        if (off < previous || off > l.variableEnd)
            throw FormatError("a row's variable offset lies outside its variable area");
        previous = off;
    }
    l.variableOffsets = std::move(offsets);
}

// The trailer of a Jet 3 row whose variable data ends at `eod`, before the
// null mask of `maskSize` bytes (see readNarrowOffsets). Throws FormatError
// when the row's length cannot be told by its entries (a trailer of more
// than 256 bytes).
void writeNarrowOffsets(ByteWriter& w, const std::vector<uint16_t>& offsets, size_t eod,
                        size_t maskSize) {
    std::vector<uint8_t> jumps;
    for (size_t boundary = 256; boundary <= eod; boundary += 256) {
        size_t first = offsets.size();
        for (size_t i = 0; i < offsets.size(); ++i)
            if (offsets[i] >= boundary) {
                first = i;
                break;
            }
        jumps.push_back(static_cast<uint8_t>(first));
    }
    const size_t real = jumps.size();
    size_t length = eod + offsets.size() + 1 + real + 1 + maskSize;
    if ((length - 1) / 256 > real) {
        jumps.push_back(0xFF);
        ++length;
    }
    if ((length - 1) / 256 != jumps.size())
        throw FormatError("the row's variable offsets cannot be laid out in Jet 3's form");
    w.u8(static_cast<uint8_t>(eod));
    for (size_t i = offsets.size(); i-- > 0;) w.u8(static_cast<uint8_t>(offsets[i]));
    for (size_t k = jumps.size(); k-- > 0;) w.u8(jumps[k]);
    w.u8(static_cast<uint8_t>(offsets.size()));
}

}  // namespace

RowLayout readRowLayout(const TableDefinition& def, ByteSpan row) {
    RowLayout l;
    const size_t field = def.layout().rowFieldSize;
    if (row.size() < field) throw FormatError("a row is cut short");
    l.columnCount = field == 1 ? row[0] : le16(row.data());
    const size_t maskSize = (static_cast<size_t>(l.columnCount) + 7) / 8;
    if (field + maskSize > row.size()) throw FormatError("a row's null mask runs past the row");
    l.nullMaskOffset = row.size() - maskSize;
    if (def.variableColumns == 0) {
        l.variableEnd = static_cast<uint16_t>(l.nullMaskOffset);
        return l;
    }
    if (field == 1) {
        if (l.nullMaskOffset < 3) throw FormatError("a row's variable offsets run past the row");
        readNarrowOffsets(row, l);
        return l;
    }
    if (l.nullMaskOffset < 4) throw FormatError("a row's variable offsets run past the row");
    l.variableCount = le16(row.data() + l.nullMaskOffset - 2);
    const size_t tableStart = l.nullMaskOffset - 2;
    if (static_cast<size_t>(l.variableCount) * 2 + 2 + 2 > tableStart)
        throw FormatError("a row's variable offsets run past the row");
    const size_t eodAt = tableStart - 2 * static_cast<size_t>(l.variableCount) - 2;
    l.variableEnd = le16(row.data() + eodAt);
    if (l.variableEnd < 2 || l.variableEnd > eodAt)
        throw FormatError("a row's variable area ends outside the row");
    l.variableOffsets.resize(l.variableCount);
    uint16_t previous = 2;
    for (size_t i = 0; i < l.variableCount; ++i) {
        const uint16_t off = le16(row.data() + tableStart - 2 * (i + 1));
        if (off < previous || off > l.variableEnd)
            throw FormatError("a row's variable offset lies outside its variable area");
        l.variableOffsets[i] = off;
        previous = off;
    }
    return l;
}

std::vector<jet::FieldValue> decodeRow(const TableDefinition& def, ByteSpan row,
                                       const PageFile& file) {
    const RowLayout l = readRowLayout(def, row);
    const size_t fixedStart = def.layout().rowFieldSize;
    std::vector<jet::FieldValue> out;
    out.reserve(def.columns.size());
    for (const auto& c : def.columns) {
        const bool present = l.notNull(row, c.number);
        if (c.type == coltype::Boolean) {
            out.emplace_back(present);
            continue;
        }
        if (!present) {
            out.emplace_back();
            continue;
        }
        if (storesInFixedArea(c)) {
            const size_t start = fixedStart + static_cast<size_t>(c.fixedOffset);
            const size_t size = fixedSize(c);
            if (start + size > l.variableEnd) fail(c, "the value runs past the row's fixed area");
            if (isLongValueType(c.type)) fail(c, "a long-value column in the fixed area");
            out.push_back(decodeScalar(c, row.subspan(start, size), file, def.text()));
            continue;
        }
        if (c.variableIndex >= l.variableCount) {
            // A column added after the row was written.
            out.emplace_back();
            continue;
        }
        const uint16_t start = l.variableOffsets[c.variableIndex];
        const uint16_t end = c.variableIndex + 1u < l.variableCount
                                 ? l.variableOffsets[c.variableIndex + 1u]
                                 : l.variableEnd;
        out.push_back(decodeScalar(c, row.subspan(start, end - start), file, def.text()));
    }
    return out;
}

Bytes encodeRow(const TableDefinition& def, const std::vector<jet::FieldValue>& values,
                LongValueWriter* longValues) {
    if (values.size() != def.columns.size()) throw FormatError("a row needs one value per column");
    const auto& layout = def.layout();
    const TextCodec& text = def.text();
    const size_t width = layout.rowFieldSize;
    const size_t maxRowSize = layout.maxRowSize;
    const size_t columnCount = def.maxColumns;
    if (columnCount >= (size_t{1} << (8 * width)))
        throw FormatError("a row cannot hold " + std::to_string(columnCount) + " columns");
    const size_t maskSize = (columnCount + 7) / 8;
    Bytes mask(maskSize, 0);
    auto markNotNull = [&](const ColumnDef& c) {
        if (c.number >= columnCount) fail(c, "a column number past the table's max columns");
        mask[c.number / 8] = static_cast<uint8_t>(mask[c.number / 8] | (1u << (c.number % 8)));
    };

    // The fixed area.
    size_t fixedEnd = 0;
    for (const auto& c : def.columns)
        if (storesInFixedArea(c)) fixedEnd = std::max(fixedEnd, c.fixedOffset + fixedSize(c));
    Bytes row(width + fixedEnd, 0);
    if (width == 1)
        row[0] = static_cast<uint8_t>(columnCount);
    else
        putLe16(row.data(), static_cast<uint16_t>(columnCount));
    std::vector<const ColumnDef*> variable;
    std::vector<size_t> variableValue;
    for (size_t i = 0; i < def.columns.size(); ++i) {
        const auto& c = def.columns[i];
        const auto& v = values[i];
        if (c.type == coltype::Boolean) {
            if (!jet::isNull(v) && !std::holds_alternative<bool>(v))
                fail(c, "a value of another type");
            if (std::holds_alternative<bool>(v) && std::get<bool>(v)) markNotNull(c);
            continue;
        }
        if (!storesInFixedArea(c)) {
            variable.push_back(&c);
            variableValue.push_back(i);
            continue;
        }
        if (jet::isNull(v)) continue;
        Bytes b = encodeScalar(c, v, text);
        const size_t size = fixedSize(c);
        if (b.size() > size) fail(c, "a value longer than the column");
        // A fixed-length text or binary shorter than its column is padded
        // with zeros (a guess: no Access-made file measured holds one).
        std::copy(b.begin(), b.end(), row.begin() + static_cast<ptrdiff_t>(width + c.fixedOffset));
        markNotNull(c);
    }

    if (def.variableColumns == 0) {
        if (!variable.empty())
            throw FormatError("a variable column in a table without variable slots");
        row.insert(row.end(), mask.begin(), mask.end());
        if (row.size() > maxRowSize) throw FormatError("the row is too long");
        return row;
    }
    // Variable data in slot order; slots no column holds (dropped columns)
    // take no bytes.
    std::vector<size_t> order(variable.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return variable[a]->variableIndex < variable[b]->variableIndex;
    });
    for (size_t i = 1; i < order.size(); ++i)
        if (variable[order[i]]->variableIndex == variable[order[i - 1]]->variableIndex)
            fail(*variable[order[i]], "a variable slot another column holds too");
    const size_t slots = def.variableColumns;
    if (slots >= (size_t{1} << (8 * width)))
        throw FormatError("a row cannot hold " + std::to_string(slots) + " variable columns");
    // Jet 3's jump table takes a byte per 256 bytes of the row more.
    const size_t trailer = width * (2 + slots) + maskSize + (width == 1 ? maxRowSize / 256 + 1 : 0);
    // Room for long values, as far as the rest of the row leaves it: every
    // other value first, twelve bytes kept for each long value.
    std::vector<Bytes> encoded(variable.size());
    size_t budget = maxRowSize;
    size_t reserved = row.size() + trailer;
    for (size_t i = 0; i < variable.size(); ++i) {
        const auto& c = *variable[i];
        const auto& v = values[variableValue[i]];
        if (c.variableIndex >= slots) fail(c, "a variable slot past the table's slots");
        if (jet::isNull(v)) continue;
        if (isLongValueType(c.type)) {
            reserved += kLongValueHeaderSize;
        } else {
            encoded[i] = encodeScalar(c, v, text);
            reserved += encoded[i].size();
        }
    }
    if (reserved > budget) throw FormatError("the row is too long");
    budget -= reserved;
    for (size_t k : order) {
        const auto& c = *variable[k];
        const auto& v = values[variableValue[k]];
        if (jet::isNull(v) || !isLongValueType(c.type)) continue;
        const Bytes data = longValueBytes(c, v, text);
        Bytes field;
        if (longValues) {
            field = longValues->write(data, budget + kLongValueHeaderSize);
        } else {
            if (data.size() > kMaxInlineLongValue || data.size() > budget)
                fail(c, "a long value needs long-value pages, and none were given");
            ByteWriter w;
            w.u32(static_cast<uint32_t>(data.size()) | static_cast<uint32_t>(kLongValueInline)
                                                           << 24);
            w.u32(0);
            w.u32(0);
            w.bytes(data);
            field = w.take();
        }
        budget -= field.size() - kLongValueHeaderSize;
        encoded[k] = std::move(field);
    }
    std::vector<uint16_t> offsets(slots, 0);
    size_t nextSlot = 0;
    for (size_t k : order) {
        const auto& c = *variable[k];
        const auto& v = values[variableValue[k]];
        while (nextSlot <= c.variableIndex) offsets[nextSlot++] = static_cast<uint16_t>(row.size());
        if (jet::isNull(v)) continue;
        row.insert(row.end(), encoded[k].begin(), encoded[k].end());
        markNotNull(c);
    }
    while (nextSlot < slots) offsets[nextSlot++] = static_cast<uint16_t>(row.size());
    const size_t eod = row.size();
    ByteWriter w(std::move(row));
    if (width == 1) {
        writeNarrowOffsets(w, offsets, eod, maskSize);
    } else {
        w.u16(static_cast<uint16_t>(eod));
        for (size_t i = slots; i-- > 0;) w.u16(offsets[i]);
        w.u16(static_cast<uint16_t>(slots));
    }
    w.bytes(mask);
    if (w.size() > maxRowSize) throw FormatError("the row is too long");
    return w.take();
}

}  // namespace jet::file
