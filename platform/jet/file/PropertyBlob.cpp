#include "jet/file/PropertyBlob.h"

#include <algorithm>
#include <utility>

#include "jet/file/TableDefinition.h"
#include "jet/file/Text.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace {

constexpr size_t kChunkHeader = 6;
constexpr size_t kNameBlockHeader = 6;
constexpr size_t kEntryHeader = 8;

std::string readName(ByteReader& in, const TextCodec& text) {
    const uint16_t len = in.u16();
    return text.decodeName(in.bytes(len));
}

void writeName(ByteWriter& out, const std::string& name, const TextCodec& text) {
    const Bytes b = text.encodeName(name);
    if (b.size() > 0xFFFF) throw FormatError("a property name is too long");
    out.u16(static_cast<uint16_t>(b.size()));
    out.bytes(b);
}

bool isValueChunk(const PropertyChunk& c) { return c.type != kPropertyNamesChunk; }

}  // namespace

std::optional<std::string> Property::text(const TextCodec& codec) const {
    if (type != coltype::Text && type != coltype::Memo) return std::nullopt;
    return codec.decodeValue(value);
}

PropertyBlob::PropertyBlob(const format::Layout& layout, TextCodec text)
    : signature(layout.propertyBlobMagic.begin(), layout.propertyBlobMagic.end()),
      text_(std::move(text)) {}

std::optional<bool> Property::boolean() const {
    if (type != coltype::Boolean || value.empty()) return std::nullopt;
    return value[0] != 0;
}

std::optional<int64_t> Property::integer() const {
    if (type == coltype::Byte && value.size() == 1) return value[0];
    if (type == coltype::Int && value.size() == 2) return static_cast<int16_t>(le16(value.data()));
    if (type == coltype::Long && value.size() == 4) return static_cast<int32_t>(le32(value.data()));
    return std::nullopt;
}

PropertyBlob PropertyBlob::decode(ByteSpan bytes, const format::Layout& layout, TextCodec text) {
    PropertyBlob blob(layout, std::move(text));
    ByteReader in(bytes, "a property blob");
    const ByteSpan sig = in.bytes(4);
    if (!std::equal(sig.begin(), sig.end(), blob.signature.begin()))
        throw FormatError("a property blob without its " +
                          std::string(blob.signature.begin(), blob.signature.begin() + 3) +
                          " signature");
    while (!in.atEnd()) {
        const uint32_t len = in.u32();
        PropertyChunk chunk;
        chunk.type = in.u16();
        if (len < kChunkHeader || len - kChunkHeader > in.remaining())
            throw FormatError("a property chunk's length runs past its blob");
        ByteReader body(in.bytes(len - kChunkHeader), "a property chunk");
        if (chunk.type == kPropertyNamesChunk) {
            while (!body.atEnd()) chunk.names.push_back(readName(body, blob.text_));
        } else {
            const uint32_t blockLen = body.u32();
            if (blockLen < kNameBlockHeader || blockLen - 4 > body.remaining())
                throw FormatError("a property chunk's name runs past the chunk");
            ByteReader block(body.bytes(blockLen - 4), "a property chunk's name");
            chunk.target = readName(block, blob.text_);
            chunk.nameBlockExtra = block.copy(block.remaining());
            while (!body.atEnd()) {
                const uint16_t entryLen = body.u16();
                if (entryLen < kEntryHeader || entryLen - 2u > body.remaining())
                    throw FormatError("a property's length runs past its chunk");
                ByteReader entry(body.bytes(entryLen - 2u), "a property");
                Property p;
                p.ddl = entry.u8();
                p.type = entry.u8();
                p.nameIndex = entry.u16();
                const uint16_t valueLen = entry.u16();
                p.value = entry.copy(valueLen);
                p.extra = entry.copy(entry.remaining());
                chunk.properties.push_back(std::move(p));
            }
        }
        blob.chunks.push_back(std::move(chunk));
    }
    for (size_t i = 0; i < blob.chunks.size(); ++i) {
        const auto* names = blob.namesFor(i);
        for (const auto& p : blob.chunks[i].properties)
            if (!names || p.nameIndex >= names->names.size())
                throw FormatError("a property refers to a name the blob does not have");
    }
    return blob;
}

Bytes PropertyBlob::encode() const {
    ByteWriter out;
    out.bytes(signature);
    for (const auto& c : chunks) {
        const size_t start = out.size();
        out.u32(0);
        out.u16(c.type);
        if (c.type == kPropertyNamesChunk) {
            for (const auto& n : c.names) writeName(out, n, text_);
        } else {
            const size_t block = out.size();
            out.u32(0);
            writeName(out, c.target, text_);
            out.bytes(c.nameBlockExtra);
            out.patch32(block, static_cast<uint32_t>(out.size() - block));
            for (const auto& p : c.properties) {
                const size_t entry = out.size();
                if (p.value.size() > 0xFFFF) throw FormatError("a property value is too long");
                out.u16(0);
                out.u8(p.ddl);
                out.u8(p.type);
                out.u16(p.nameIndex);
                out.u16(static_cast<uint16_t>(p.value.size()));
                out.bytes(p.value);
                out.bytes(p.extra);
                if (out.size() - entry > 0xFFFF) throw FormatError("a property is too long");
                out.patch16(entry, static_cast<uint16_t>(out.size() - entry));
            }
        }
        out.patch32(start, static_cast<uint32_t>(out.size() - start));
    }
    return out.take();
}

const PropertyChunk* PropertyBlob::namesFor(size_t index) const {
    const PropertyChunk* names = nullptr;
    for (size_t i = 0; i < index && i < chunks.size(); ++i)
        if (chunks[i].type == kPropertyNamesChunk) names = &chunks[i];
    return names;
}

std::string PropertyBlob::nameOf(const PropertyChunk& chunk, const Property& p) const {
    const size_t index = static_cast<size_t>(&chunk - chunks.data());
    const auto* names = namesFor(index);
    if (!names || p.nameIndex >= names->names.size())
        throw FormatError("a property refers to a name the blob does not have");
    return names->names[p.nameIndex];
}

const PropertyChunk* PropertyBlob::chunkOf(const std::string& column) const {
    for (const auto& c : chunks) {
        if (!isValueChunk(c)) continue;
        const bool table = c.type == kTablePropertiesChunk && c.target.empty();
        if (column.empty() ? table : (!table && text::equalNoCase(c.target, column))) return &c;
    }
    return nullptr;
}

PropertyChunk* PropertyBlob::chunkOf(const std::string& column) {
    return const_cast<PropertyChunk*>(std::as_const(*this).chunkOf(column));
}

const Property* PropertyBlob::find(const std::string& column, const std::string& name) const {
    const auto* chunk = chunkOf(column);
    if (!chunk) return nullptr;
    for (const auto& p : chunk->properties)
        if (text::equalNoCase(nameOf(*chunk, p), name)) return &p;
    return nullptr;
}

uint16_t PropertyBlob::nameIndexFor(size_t chunkIndex, const std::string& name) {
    const PropertyChunk* serving = namesFor(chunkIndex);
    auto& names = const_cast<PropertyChunk*>(serving)->names;
    for (size_t i = 0; i < names.size(); ++i)
        if (text::equalNoCase(names[i], name)) return static_cast<uint16_t>(i);
    if (names.size() >= 0xFFFF) throw FormatError("a property blob holds too many names");
    names.push_back(name);
    return static_cast<uint16_t>(names.size() - 1);
}

PropertyChunk& PropertyBlob::addColumn(const std::string& column) {
    if (column.empty()) throw FormatError("a column's properties need the column's name");
    if (chunkOf(column)) throw FormatError("column " + column + " already has properties");
    size_t at = chunks.size();
    for (size_t i = 0; i < chunks.size(); ++i)
        if (chunks[i].type == kColumnPropertiesChunk) at = i + 1;
    PropertyChunk c;
    c.type = kColumnPropertiesChunk;
    c.target = column;
    return *chunks.insert(chunks.begin() + static_cast<ptrdiff_t>(at), std::move(c));
}

bool PropertyBlob::removeColumn(const std::string& column) {
    const auto* c = column.empty() ? nullptr : chunkOf(column);
    if (!c) return false;
    chunks.erase(chunks.begin() + (c - chunks.data()));
    return true;
}

bool PropertyBlob::renameColumn(const std::string& from, const std::string& to) {
    auto* c = from.empty() ? nullptr : chunkOf(from);
    if (!c || to.empty()) return false;
    c->target = to;
    return true;
}

void PropertyBlob::set(const std::string& column, const std::string& name, uint8_t type,
                       Bytes value, std::optional<uint8_t> ddl) {
    if (std::none_of(chunks.begin(), chunks.end(),
                     [](const PropertyChunk& c) { return c.type == kPropertyNamesChunk; })) {
        PropertyChunk names;
        names.type = kPropertyNamesChunk;
        chunks.insert(chunks.begin(), std::move(names));
    }
    PropertyChunk* chunk = chunkOf(column);
    if (!chunk) {
        if (column.empty()) {
            PropertyChunk table;
            table.type = kTablePropertiesChunk;
            size_t at = 0;
            while (at < chunks.size() && chunks[at].type == kPropertyNamesChunk) ++at;
            chunk = &*chunks.insert(chunks.begin() + static_cast<ptrdiff_t>(at), std::move(table));
        } else {
            chunk = &addColumn(column);
        }
    }
    const size_t index = static_cast<size_t>(chunk - chunks.data());
    const uint16_t nameIndex = nameIndexFor(index, name);
    chunk = &chunks[index];
    for (auto& p : chunk->properties) {
        if (p.nameIndex == nameIndex) {
            p.type = type;
            p.value = std::move(value);
            if (ddl) p.ddl = *ddl;
            return;
        }
    }
    Property p;
    p.ddl = ddl.value_or(0);
    p.type = type;
    p.nameIndex = nameIndex;
    p.value = std::move(value);
    chunk->properties.push_back(std::move(p));
}

void PropertyBlob::setText(const std::string& column, const std::string& name,
                           const std::string& value, std::optional<uint8_t> ddl) {
    uint8_t type = coltype::Text;
    if (const auto* existing = find(column, name);
        existing && (existing->type == coltype::Text || existing->type == coltype::Memo)) {
        type = existing->type;
    } else {
        // The types Access gave these properties in the files measured.
        for (const char* memo : {"DefaultValue", "Caption", "ValidationRule"})
            if (text::equalNoCase(name, memo)) type = coltype::Memo;
    }
    set(column, name, type, text_.encodeName(value), ddl);
}

void PropertyBlob::setBoolean(const std::string& column, const std::string& name, bool value,
                              std::optional<uint8_t> ddl) {
    set(column, name, coltype::Boolean, Bytes{static_cast<uint8_t>(value ? 1 : 0)}, ddl);
}

bool PropertyBlob::remove(const std::string& column, const std::string& name) {
    auto* chunk = chunkOf(column);
    if (!chunk) return false;
    auto& props = chunk->properties;
    for (auto it = props.begin(); it != props.end(); ++it) {
        if (text::equalNoCase(nameOf(*chunk, *it), name)) {
            props.erase(it);
            return true;
        }
    }
    return false;
}

}  // namespace jet::file
