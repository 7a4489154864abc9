#include "jet/file/FileCatalog.h"

#include <cctype>

#include "jet/file/FormatError.h"
#include "jet/file/Row.h"
#include "jet/file/TableReader.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace {

bool startsWithMSys(std::string_view name) {
    if (name.size() < 4) return false;
    const char* m = "msys";
    for (size_t i = 0; i < 4; ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != m[i]) return false;
    return true;
}

}  // namespace

int64_t asInteger(const FieldValue& v) {
    return std::visit(
        [](const auto& x) -> int64_t {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, bool>)
                return x ? -1 : 0;
            else if constexpr (std::is_same_v<T, uint8_t> || std::is_same_v<T, int16_t> ||
                               std::is_same_v<T, int32_t>)
                return x;
            else
                return 0;
        },
        v);
}

std::string asText(const FieldValue& v) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    return {};
}

std::string_view asBinary(const FieldValue& v) {
    if (const auto* b = std::get_if<Binary>(&v)) return b->bytes;
    return {};
}

StoredTable::StoredTable(const PageFile& file, std::string name, uint32_t definitionPage,
                         bool skipUnreadable)
    : name_(std::move(name)), present_(definitionPage != 0) {
    if (!present_) return;
    definition_ = TableDefinition::read(file, definitionPage);
    TableReader reader(file, definition_);
    reader.forEachRow([&](const TableRow& row) {
        try {
            rows.push_back({row.rowId, decodeRow(definition_, row.bytes, file)});
        } catch (const FormatError&) {
            if (!skipUnreadable) throw;
            unreadable.push_back(row.rowId);
        }
    });
}

std::optional<size_t> StoredTable::findColumn(std::string_view name) const {
    for (size_t i = 0; i < definition_.columns.size(); ++i)
        if (text::equalNoCase(definition_.columns[i].name, name)) return i;
    return std::nullopt;
}

size_t StoredTable::column(std::string_view name) const {
    if (auto i = findColumn(name)) return *i;
    throw FormatError(name_ + " has no column " + std::string(name));
}

FileCatalog::FileCatalog(const PageFile& file)
    : objects(file, "MSysObjects", msys::kObjectsPage) {
    aces = StoredTable(file, "MSysACEs", tablePage("MSysACEs"));
    relationships =
        StoredTable(file, "MSysRelationships", tablePage("MSysRelationships"), true);
    queries = StoredTable(file, "MSysQueries", tablePage("MSysQueries"));

    const size_t props = objects.column("LvProp");
    for (size_t i = 0; i < objects.rows.size(); ++i) {
        const StoredRow& r = objects.rows[i];
        if (objectType(r) != msys::kTable || (objectFlags(r) & msys::kSystemFlags) != 0) continue;
        std::string name = objectName(r);
        if (startsWithMSys(name)) continue;
        UserTable t;
        t.name = std::move(name);
        t.objectRow = i;
        t.definition = TableDefinition::read(file, static_cast<uint32_t>(objectId(r)) & 0x00FFFFFFu);
        const std::string_view blob = asBinary(r.values[props]);
        if (!blob.empty())
            t.properties = PropertyBlob::decode(
                ByteSpan(reinterpret_cast<const uint8_t*>(blob.data()), blob.size()),
                file.layout(), TextCodec::of(file));
        tables.push_back(std::move(t));
    }
}

int32_t FileCatalog::objectId(const StoredRow& r) const {
    return static_cast<int32_t>(asInteger(r.values[objects.column("Id")]));
}
int32_t FileCatalog::objectParent(const StoredRow& r) const {
    return static_cast<int32_t>(asInteger(r.values[objects.column("ParentId")]));
}
std::string FileCatalog::objectName(const StoredRow& r) const {
    return asText(r.values[objects.column("Name")]);
}
int32_t FileCatalog::objectType(const StoredRow& r) const {
    return static_cast<int32_t>(asInteger(r.values[objects.column("Type")]));
}
uint32_t FileCatalog::objectFlags(const StoredRow& r) const {
    return static_cast<uint32_t>(asInteger(r.values[objects.column("Flags")]));
}

uint32_t FileCatalog::tablePage(std::string_view name) const {
    for (const auto& r : objects.rows)
        if (objectType(r) == msys::kTable && objectName(r) == name)
            return static_cast<uint32_t>(objectId(r)) & 0x00FFFFFFu;
    return 0;
}

}  // namespace jet::file
