#pragma once
// The property blob of an object (MSysObjects.LvProp): "MR2\0" ("KKD\0" in
// Jet 3), then chunks, each a 32-bit length (itself included) and a 16-bit
// type. The names chunk (0x80) lists property names (16-bit length, UCS-2;
// single bytes of the code page in Jet 3, as are text values); every other chunk holds
// the values of one target: a name block (32-bit length, 16-bit name length,
// the name: empty for the table, a column's name for a column) and entries
// (16-bit length, DDL flag, type, index of the name, 16-bit value length, the
// value). Every chunk, entry and byte is kept in order, so an unchanged blob
// encodes to its own bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/file/Bytes.h"
#include "jet/file/Text.h"
#include "jet/format/Layout.h"

namespace jet::file {

inline constexpr uint16_t kPropertyNamesChunk = 0x80;
inline constexpr uint16_t kTablePropertiesChunk = 0x00;
inline constexpr uint16_t kColumnPropertiesChunk = 0x01;

struct Property {
    uint8_t ddl = 0;   // 1: set by a data-definition statement (a DDL property)
    uint8_t type = 0;  // a column type (coltype::…)
    uint16_t nameIndex = 0;
    Bytes value;
    Bytes extra;  // bytes after the value within the entry's length

    // The value read by its type: text (TEXT, MEMO), a truth value (YESNO),
    // a whole number (BYTE, SMALLINT, INTEGER). nullopt for other types.
    [[nodiscard]] std::optional<std::string> text() const { return text(TextCodec{}); }
    // The same for a file whose text is in `codec`'s form (PropertyBlob::text()).
    [[nodiscard]] std::optional<std::string> text(const TextCodec& codec) const;
    [[nodiscard]] std::optional<bool> boolean() const;
    [[nodiscard]] std::optional<int64_t> integer() const;
};

struct PropertyChunk {
    uint16_t type = 0;
    // Names chunk.
    std::vector<std::string> names;
    // Value chunks.
    std::string target;    // "" for the object itself
    Bytes nameBlockExtra;  // bytes after the name within the name block
    std::vector<Property> properties;
};

class PropertyBlob {
public:
    // An empty blob of Jet 4's form.
    PropertyBlob() = default;
    // An empty blob of `layout`'s version, its text in `text`'s form.
    PropertyBlob(const format::Layout& layout, TextCodec text);

    // Throws FormatError on a signature other than the layout's or a chunk,
    // name or entry whose length runs past what holds it.
    static PropertyBlob decode(ByteSpan bytes, const format::Layout& layout = format::kJet4,
                               TextCodec text = {});
    [[nodiscard]] Bytes encode() const;

    // The form of the blob's names and text values.
    [[nodiscard]] const TextCodec& text() const { return text_; }

    Bytes signature{'M', 'R', '2', '\0'};
    std::vector<PropertyChunk> chunks;

    // The property `name` of the table (column empty) or of a column; names
    // are matched without regard to case.
    [[nodiscard]] const Property* find(const std::string& column, const std::string& name) const;
    // The name of a property entry of a chunk.
    [[nodiscard]] std::string nameOf(const PropertyChunk& chunk, const Property& p) const;

    // Sets (or adds) a property; a column's chunk is added when it has none.
    // Without `ddl`, a property that exists keeps its DDL flag and a new one
    // gets 0. Text values are stored in the blob's text form (UCS-2 in Jet
    // 4; FormatError when the code page cannot hold them), as TEXT or MEMO as the
    // property had it (new: MEMO for DefaultValue, Caption and ValidationRule,
    // as Access stores them, else TEXT).
    void set(const std::string& column, const std::string& name, uint8_t type, Bytes value,
             std::optional<uint8_t> ddl = std::nullopt);
    void setText(const std::string& column, const std::string& name, const std::string& value,
                 std::optional<uint8_t> ddl = std::nullopt);
    void setBoolean(const std::string& column, const std::string& name, bool value,
                    std::optional<uint8_t> ddl = std::nullopt);
    // Removes a property; false when there was none.
    bool remove(const std::string& column, const std::string& name);

    // The chunk of a column (or the table's), or null.
    [[nodiscard]] PropertyChunk* chunkOf(const std::string& column);
    [[nodiscard]] const PropertyChunk* chunkOf(const std::string& column) const;
    // Adds an empty chunk for a column, after the other columns' chunks.
    PropertyChunk& addColumn(const std::string& column);
    // Removes a column's chunk; false when there was none.
    bool removeColumn(const std::string& column);
    // Renames a column's chunk; false when there was none.
    bool renameColumn(const std::string& from, const std::string& to);

private:
    TextCodec text_;
    // The names chunk that serves chunk `index` (the last one before it).
    [[nodiscard]] const PropertyChunk* namesFor(size_t index) const;
    uint16_t nameIndexFor(size_t chunkIndex, const std::string& name);
};

}  // namespace jet::file
