#include "jet/writer/FileStorage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <unordered_set>

#include "jet/Error.h"
#include "jet/Types.h"
#include "jet/file/Checker.h"
#include "jet/file/IndexBuilder.h"
#include "jet/file/Row.h"
#include "jet/file/TableReader.h"
#include "jet/file/Text.h"
#include "jet/writer/FileQueries.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace {

using FColumn = jet::file::ColumnDef;
using statement::IndexDef;
using statement::TableDef;

std::array<uint8_t, 4> sortOrderMisc(const FileFacts& facts) {
    return {static_cast<uint8_t>(facts.sortOrder & 0xFF),
            static_cast<uint8_t>(facts.sortOrder >> 8), 0, facts.sortOrderVersion};
}

// Every Access-made column that is not text still carries the General sort order.
constexpr std::array<uint8_t, 4> kGeneralMisc{0x09, 0x04, 0x00, 0x00};

// A property blob of the file's version, for an object that has none yet.
PropertyBlob emptyBlob(const PageFile& file) {
    return PropertyBlob(file.layout(), TextCodec::of(file));
}

// A name goes into the file in its code page in Access 97: one it cannot hold
// fails its statement, not the layout of the session's changes at the end.
void requireStorable(const PageFile& file, const std::string& name) {
    (void)TextCodec::of(file).encodeName(name);
}

bool singleByteText(const FileFacts& facts) {
    const format::Layout* layout = format::layoutFor(facts.version);
    return layout && layout->textForm == format::TextForm::SingleByte;
}

// Access 97 gives every column, whatever its type, the file's sort order and
// the code page its header names (0 in Turkish files, as it stands).
std::array<uint8_t, 4> jet3Misc(const FileFacts& facts) {
    return {static_cast<uint8_t>(facts.sortOrder & 0xFF), static_cast<uint8_t>(facts.sortOrder >> 8),
            static_cast<uint8_t>(facts.codePage & 0xFF), static_cast<uint8_t>(facts.codePage >> 8)};
}

// A column's room in a row: where and how its bytes lie.
bool sameStorage(const FColumn& a, const FColumn& b) {
    if (a.type != b.type || a.fixed() != b.fixed()) return false;
    if (a.fixed()) return a.fixedOffset == b.fixedOffset && a.length == b.length;
    return a.variableIndex == b.variableIndex;
}

std::string sortOrderName(SortOrder s) {
    static const std::pair<uint16_t, const char*> kNames[] = {
        {0x0409, "General"},  {0x040C, "French"},         {0x041F, "Turkish"},
        {0x041A, "Croatian"}, {0x0C0A, "Spanish modern"}, {0x0804, "Chinese PRC"},
        {0x041E, "Thai"}};
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%04X", s.id);
    std::string name;
    for (const auto& [id, n] : kNames)
        if (id == s.id) name = n;
    return name.empty() ? std::string(buf) : name + ", " + buf;
}

// A value as relationships compare them: text without regard to case,
// numbers by what they are.
std::string comparable(const FieldValue& v) {
    return std::visit(
        [](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            char buf[64];
            if constexpr (std::is_same_v<T, std::monostate>) {
                return "";
            } else if constexpr (std::is_same_v<T, std::string>) {
                return "t" + text::fold(x);
            } else if constexpr (std::is_same_v<T, bool>) {
                return x ? "n-1" : "n0";
            } else if constexpr (std::is_same_v<T, uint8_t> || std::is_same_v<T, int16_t> ||
                                 std::is_same_v<T, int32_t>) {
                return "n" + std::to_string(static_cast<int64_t>(x));
            } else if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>) {
                const double d = x;
                if (d == std::floor(d) && std::fabs(d) < 9e15)
                    return "n" + std::to_string(static_cast<int64_t>(d));
                std::snprintf(buf, sizeof buf, "n%.17g", d);
                return buf;
            } else if constexpr (std::is_same_v<T, Currency>) {
                if (x.units % 10000 == 0) return "n" + std::to_string(x.units / 10000);
                std::snprintf(buf, sizeof buf, "n%.17g", static_cast<double>(x.units) / 10000.0);
                return buf;
            } else if constexpr (std::is_same_v<T, DateTime>) {
                std::snprintf(buf, sizeof buf, "d%.17g", x.days);
                return buf;
            } else if constexpr (std::is_same_v<T, Guid>) {
                std::string s = "g";
                for (uint8_t b : x.bytes) s += std::to_string(b) + ".";
                return s;
            } else if constexpr (std::is_same_v<T, Binary>) {
                return "b" + x.bytes;
            } else {
                return "m" + std::to_string(x.negative) + "." + std::to_string(x.scale) + "." +
                       std::to_string(x.low) + "." + std::to_string(x.middle) + "." +
                       std::to_string(x.high);
            }
        },
        v);
}

std::optional<double> numberOf(const FieldValue& v) {
    return std::visit(
        [](const auto& x) -> std::optional<double> {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, uint8_t> || std::is_same_v<T, int16_t> ||
                          std::is_same_v<T, int32_t> || std::is_same_v<T, float> ||
                          std::is_same_v<T, double>)
                return static_cast<double>(x);
            else
                return std::nullopt;
        },
        v);
}

// An empty table definition as Access begins one.
TableDefinition emptyDefinition(const FileState& state, const PageFile& file) {
    TableDefinition d(file.layout(), TextCodec::of(file));
    // The header's unknown fields as the file's own tables carry them.
    bool copied = false;
    for (const auto& [id, t] : state.tables)
        if (!t.created) {
            d.unknown12 = t.original.unknown12;
            d.unknown24 = t.original.unknown24;
            copied = true;
            break;
        }
    // Access 97's header has neither field.
    if (!copied && !d.text().singleByte()) {
        d.unknown12 = 1625;
        d.unknown24[0] = 1;
    }
    d.tableType = kUserTable;
    return d;
}

LongValueMap placeholderMaps() { return LongValueMap{0, UsageMapRef{0, 0}, UsageMapRef{0, 0}}; }

// A Jet 4 definition keeps one next number for its table, so a table holds
// one counter at most, as Jet refuses a second.
void checkOneCounter(const TableDef& table) {
    size_t counters = 0;
    for (const auto& c : table.columns)
        if (c.autoIncrement) ++counters;
    if (counters > 1) raise(Err::SecondCounter);
}

}  // namespace

FColumn physicalColumn(const statement::ColumnDef& c, const FileFacts& facts) {
    FColumn d;
    d.name = c.name;
    d.flags = colflag::Updatable;
    const bool jet3 = singleByteText(facts);
    d.misc = jet3 ? jet3Misc(facts) : kGeneralMisc;
    bool fixed = true;
    switch (c.type) {
        case adtype::Boolean:
            d.type = coltype::Boolean;
            d.length = 1;
            break;
        case adtype::UnsignedTinyInt:
            d.type = coltype::Byte;
            d.length = 1;
            break;
        case adtype::SmallInt:
            d.type = coltype::Int;
            d.length = 2;
            break;
        case adtype::Integer:
            d.type = coltype::Long;
            d.length = 4;
            if (c.autoIncrement) {
                // The file keeps a counter's last number, not its step.
                if (c.increment != 1)
                    raise(Err::NotWrittenYet,
                          {"A counter whose increment is not 1 (field '" + c.name + "')"});
                d.flags |= colflag::AutoLong;
            }
            break;
        case adtype::Currency:
            d.type = coltype::Money;
            d.length = 8;
            break;
        case adtype::Single:
            d.type = coltype::Float;
            d.length = 4;
            break;
        case adtype::Double:
            d.type = coltype::Double;
            d.length = 8;
            break;
        case adtype::Date:
            d.type = coltype::DateTime;
            d.length = 8;
            break;
        case adtype::GUID:
            d.type = coltype::Guid;
            d.length = 16;
            if (c.autoGenerate) d.flags |= colflag::AutoGuid;
            break;
        case adtype::Numeric:
            // Access 97's engine has no DECIMAL: its parser refuses the type.
            if (jet3) raise(Err::FieldDefinitionSyntax);
            d.type = coltype::Numeric;
            d.length = 17;
            d.misc = {c.precision, c.scale, 0, 0};
            break;
        case adtype::WChar:
        case adtype::VarWChar:
            d.type = coltype::Text;
            // Jet 4 counts UCS-2 bytes; Access 97 one byte a character.
            d.length = static_cast<uint16_t>(jet3 ? c.size : c.size * 2);
            d.misc = jet3 ? jet3Misc(facts) : sortOrderMisc(facts);
            fixed = c.type == adtype::WChar;
            break;
        case adtype::LongVarWChar:
            d.type = coltype::Memo;
            d.length = 0;
            d.misc = jet3 ? jet3Misc(facts) : sortOrderMisc(facts);
            fixed = false;
            if (c.hyperlink) d.flags |= colflag::Hyperlink;
            break;
        case adtype::Binary:
        case adtype::VarBinary:
            d.type = coltype::Binary;
            d.length = static_cast<uint16_t>(c.size);
            fixed = c.type == adtype::Binary;
            break;
        case adtype::LongVarBinary:
            d.type = coltype::Ole;
            d.length = 0;
            fixed = false;
            break;
        default:
            raise(Err::NotWrittenYet, {"A column of ADO type " + std::to_string(c.type) +
                                       " (field '" + c.name + "')"});
    }
    if (fixed) d.flags |= colflag::Fixed;
    // Access 97 stores text uncompressed and has no such flag: a script made
    // from a Jet 4 file asks for compression, which means nothing there.
    if (c.compressed && isTextType(d.type) && !jet3) d.extraFlags |= kCompressedUnicodeFlag;
    return d;
}

std::vector<KeyColumn> keyColumns(const TableDefinition& def, const IndexDef& index) {
    std::vector<KeyColumn> out;
    for (const auto& ic : index.columns) {
        const FColumn* c = def.columnNamed(ic.name);
        if (!c) raise(Err::FieldNotFound, {ic.name, "?"});
        KeyColumn k;
        k.type = c->type;
        k.ascending = ic.sortOrder != kSortDescending;
        k.sortOrder = keySortOrder(def, *c);
        if (c->type == coltype::Numeric) k.scale = c->scale();
        out.push_back(k);
    }
    return out;
}

uint8_t realIndexFlags(const IndexDef& index) {
    uint8_t f = 0x80;
    if (index.unique || index.primary) f |= idxflag::Unique;
    if (index.nulls == indexnulls::Ignore) f |= idxflag::IgnoreNulls;
    if (index.primary || index.nulls == indexnulls::Disallow) f |= idxflag::Required;
    return f;
}

const RealIndex* keptRealIndex(const TableState& t, const IndexDef& index) {
    if (t.created) return nullptr;
    std::vector<IndexColumn> wanted;
    for (const auto& ic : index.columns) {
        const FColumn* now = t.def.columnNamed(ic.name);
        if (!now) return nullptr;
        const FColumn* was = t.original.column(now->number);
        if (!was || !sameStorage(*was, *now) || was->misc != now->misc) return nullptr;
        wanted.push_back({now->number, static_cast<uint8_t>(
                                           ic.sortOrder == kSortDescending ? 0x00 : 0x01)});
    }
    // Rows whose values in the index's columns this session changed need new entries.
    if (t.rowsChanged())
        for (const auto& ic : wanted)
            if (t.changedColumns.count(ic.number)) return nullptr;
    const uint8_t flags = realIndexFlags(index);
    for (const auto& ri : t.original.realIndexes) {
        const auto cols = ri.keyColumns();
        if (cols.size() != wanted.size()) continue;
        bool same = (ri.flags & idxflag::Rules) == (flags & idxflag::Rules);
        for (size_t i = 0; same && i < cols.size(); ++i)
            same = cols[i].number == wanted[i].number &&
                   (cols[i].order == 0x01) == (wanted[i].order == 0x01);
        if (same) return &ri;
    }
    return nullptr;
}

FileStorage::FileStorage(FileState& state, const PageFile& file) : state_(state), file_(file) {}

TableState& FileStorage::stateOf(const TableDef& table) {
    auto it = state_.tables.find(table.id);
    if (it == state_.tables.end())
        raise(Err::General, {"The writer has no state of table '" + table.name + "'."});
    return it->second;
}

size_t FileStorage::position(const TableState& t, std::string_view column) const {
    for (size_t i = 0; i < t.def.columns.size(); ++i)
        if (text::equalNoCase(t.def.columns[i].name, column)) return i;
    raise(Err::FieldNotFound, {column, t.name});
}

void FileStorage::forEachRow(const TableState& t,
                             const std::function<void(uint32_t, const RowValues&)>& visit) const {
    if (t.created) {
        if (t.changed)
            for (const auto& [id, values] : *t.changed) visit(id, values);
        return;
    }
    // Where each current column's value stands in a row as the file holds it.
    std::vector<std::optional<size_t>> from;
    for (const auto& c : t.def.columns) {
        std::optional<size_t> at;
        for (size_t j = 0; j < t.original.columns.size(); ++j)
            if (t.original.columns[j].number == c.number &&
                sameStorage(t.original.columns[j], c))
                at = j;
        from.push_back(at);
    }
    TableReader reader(file_, t.original);
    RowValues current(t.def.columns.size());
    reader.forEachRow([&](const TableRow& row) {
        if (t.changed) {
            auto it = t.changed->find(row.rowId);
            if (it != t.changed->end()) {
                visit(row.rowId, it->second);
                return;
            }
        }
        const RowValues stored = decodeRow(t.original, row.bytes, file_);
        for (size_t i = 0; i < from.size(); ++i)
            current[i] = from[i] ? stored[*from[i]] : FieldValue{};
        visit(row.rowId, current);
    });
}

// --- facts ------------------------------------------------------------------------

bool FileStorage::hasRows(const TableDef& table) { return rowCount(table) > 0; }

// From the pages, not the definition's count, which can be stale.
int64_t FileStorage::rowCount(const TableDef& table) {
    TableState& t = stateOf(table);
    if (t.created) return t.changed ? static_cast<int64_t>(t.changed->size()) : 0;
    if (!t.rowsHeld)
        t.rowsHeld = static_cast<uint32_t>(TableReader(file_, t.original).countRows());
    return *t.rowsHeld;
}

bool FileStorage::hasNull(const TableDef& table, const std::vector<std::string>& columns) {
    const TableState& t = stateOf(table);
    std::vector<size_t> at;
    for (const auto& c : columns) at.push_back(position(t, c));
    bool found = false;
    forEachRow(t, [&](uint32_t, const RowValues& v) {
        for (size_t i : at)
            if (isNull(v[i])) found = true;
    });
    return found;
}

bool FileStorage::breaksRelationship(const TableDef& table, const statement::ForeignKeyDef& fk,
                                     const TableDef& related) {
    const TableState& child = stateOf(table);
    const TableState& parent = stateOf(related);
    std::vector<size_t> mine, theirs;
    for (const auto& kc : fk.columns) {
        mine.push_back(position(child, kc.name));
        theirs.push_back(position(parent, kc.relatedColumn));
    }
    const auto key = [](const RowValues& v, const std::vector<size_t>& at) {
        std::string k;
        for (size_t i : at) k += comparable(v[i]) + '\x1f';
        return k;
    };
    std::unordered_set<std::string> keys;
    forEachRow(parent, [&](uint32_t, const RowValues& v) { keys.insert(key(v, theirs)); });
    bool broken = false;
    forEachRow(child, [&](uint32_t, const RowValues& v) {
        if (broken) return;
        for (size_t i : mine)
            if (isNull(v[i])) return;
        if (!keys.count(key(v, mine))) broken = true;
    });
    return broken;
}

bool FileStorage::keepsOwnIndex(const TableDef& table, const statement::ForeignKeyDef& fk) {
    const TableState& t = stateOf(table);
    if (t.created) return false;
    const TableDefinition& d = t.original;
    // The names of a real index's columns, in its order; empty when one is
    // descending or gone.
    const auto columnsOf = [](const TableDefinition& def, uint32_t real) {
        std::vector<std::string> names;
        if (real >= def.realIndexes.size()) return names;
        for (const auto& c : def.realIndexes[real].keyColumns()) {
            const FColumn* col = def.column(c.number);
            if (!col || c.order != 0x01) return std::vector<std::string>{};
            names.push_back(col->name);
        }
        return names;
    };
    const auto same = [](const std::vector<std::string>& a, const std::vector<std::string>& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (!text::equalNoCase(a[i], b[i])) return false;
        return true;
    };
    std::vector<std::string> mine, theirs;
    for (const auto& kc : fk.columns) {
        mine.push_back(kc.name);
        theirs.push_back(kc.relatedColumn);
    }
    for (const auto& li : d.logicalIndexes) {
        if (li.indexType != idxtype::ForeignKey || (li.relatedTableType & 0x01) != 0 ||
            !text::equalNoCase(li.name, fk.name))
            continue;
        if (li.realIndex >= d.realIndexes.size() ||
            (d.realIndexes[li.realIndex].flags & idxflag::Rules) != 0 || !same(columnsOf(d, li.realIndex), mine))
            return false;
        for (const auto& other : d.logicalIndexes)
            if (&other != &li && other.realIndex == li.realIndex) return false;
        // The table referred to, and its entry for the relationship.
        for (const auto& [id, r] : state_.tables) {
            if (r.created || r.page != li.relatedTablePage) continue;
            if (!text::equalNoCase(r.name, fk.relatedTable)) return false;
            for (const auto& entry : r.original.logicalIndexes)
                if (static_cast<int32_t>(entry.number) == li.relatedIndex)
                    return same(columnsOf(r.original, entry.realIndex), theirs);
        }
        return false;
    }
    return false;
}

// --- tables and columns ---------------------------------------------------------------

void FileStorage::createTable(TableDef& table) {
    if (state_.otherObjectNames.count(text::fold(table.name)))
        raise(Err::TableExists, {table.name});
    if (!freedName(table.name))
        checkCatalogKey("MSysObjects", "Name", table.name, "Table", table.name);
    requireStorable(file_, table.name);
    for (const auto& c : table.columns) requireStorable(file_, c.name);
    checkOneCounter(table);
    TableState t;
    t.name = table.name;
    t.created = true;
    t.def = emptyDefinition(state_, file_);
    const FileFacts& facts = file_.facts();
    for (const auto& c : table.columns) {
        FColumn d = physicalColumn(c, facts);
        t.def.addColumn(d, isLongValueType(d.type) ? std::optional(placeholderMaps())
                                                    : std::nullopt);
    }
    table.id = state_.nextCreatedId--;
    state_.tables[table.id] = std::move(t);
    TableState& s = state_.tables[table.id];
    for (const auto& c : table.columns) {
        if (c.required) {
            if (!s.props) s.props.emplace(emptyBlob(file_));
            s.props->setBoolean(c.name, "Required", true, 1);
        }
        if (!c.defaultValue.empty()) {
            if (!s.props) s.props.emplace(emptyBlob(file_));
            s.props->set(c.name, "DefaultValue", coltype::Memo, s.props->text().encodeName(c.defaultValue), 1);
        }
    }
    s.propsChanged = s.props.has_value();
    state_.changedAnything = true;
}

void FileStorage::dropTable(const TableDef& table) {
    auto it = state_.tables.find(table.id);
    if (it == state_.tables.end()) return;
    if (!it->second.created) state_.dropped.push_back(std::move(it->second));
    state_.tables.erase(it);
    state_.changedAnything = true;
}

void FileStorage::addColumn(const TableDef& was, const TableDef& now, const statement::ColumnDef& column) {
    TableState& t = stateOf(was);
    requireStorable(file_, column.name);
    checkOneCounter(now);
    FColumn d = physicalColumn(column, file_.facts());
    const bool hadVariableArea = t.def.variableColumns > 0;
    const uint16_t number = t.def.addColumn(
        d, isLongValueType(d.type) ? std::optional(placeholderMaps()) : std::nullopt);
    (void)number;
    const bool numbered = column.autoIncrement && rowCount(was) > 0;
    // The rows of a table without variable columns hold no variable area,
    // which they must once it has one: every row is written again.
    const bool relaid = !hadVariableArea && t.def.variableColumns > 0 && rowCount(was) > 0;
    if (t.changed || numbered || relaid) {
        auto rows = std::make_shared<ChangedRows>(t.changed ? *t.changed : ChangedRows{});
        if (numbered || relaid) {
            // Existing rows are numbered in their order, as Jet does.
            int64_t next = column.seed;
            const size_t at = t.def.columns.size() - 1;
            forEachRow(t, [&](uint32_t id, const RowValues& v) {
                RowValues r = v;
                r.resize(t.def.columns.size());
                if (numbered) {
                    r[at] = static_cast<int32_t>(next);
                    next += column.increment;
                }
                (*rows)[id] = std::move(r);
            });
            t.changedColumns.insert(t.def.columns.back().number);
        } else {
            for (auto& [id, v] : *rows) v.resize(t.def.columns.size());
        }
        t.changed = std::move(rows);
    }
    if (column.required) {
        if (!t.props) t.props.emplace(emptyBlob(file_));
        t.props->setBoolean(column.name, "Required", true, 1);
        t.propsChanged = true;
    }
    if (!column.defaultValue.empty()) {
        if (!t.props) t.props.emplace(emptyBlob(file_));
        t.props->set(column.name, "DefaultValue", coltype::Memo,
                         t.props->text().encodeName(column.defaultValue), 1);
        t.propsChanged = true;
    }
    (void)now;
    state_.changedAnything = true;
}

void FileStorage::alterColumn(const TableDef& was, const TableDef& now, const statement::ColumnDef& column,
                              const std::optional<statement::ColumnConversion>& conversion) {
    TableState& t = stateOf(was);
    checkOneCounter(now);
    const size_t at = position(t, column.name);
    const FColumn before = t.def.columns[at];
    FColumn wanted = physicalColumn(column, file_.facts());
    // Flags the column had that a definition in SQL does not speak of stay.
    const uint8_t keep = before.flags & static_cast<uint8_t>(~(colflag::Fixed | colflag::AutoLong |
                                                                colflag::Hyperlink |
                                                                colflag::AutoGuid));
    wanted.flags |= keep;
    // Access 97 sets the bit Jet 4 gives a generated GUID on columns of other
    // types too (nwind's text columns); what it means there is not known, so
    // it stays as the column had it.
    if (singleByteText(file_.facts()) && before.type != coltype::Guid &&
        wanted.type != coltype::Guid)
        wanted.flags |= before.flags & colflag::AutoGuid;
    if (column.autoGenerate) wanted.flags |= colflag::AutoGuid;
    if (!isTextType(wanted.type)) wanted.extraFlags |= before.extraFlags & ~kCompressedUnicodeFlag;
    if (isTextType(wanted.type) && isTextType(before.type)) wanted.misc = before.misc;
    const bool definitionChanges = wanted.type != before.type || wanted.length != before.length ||
                                   wanted.flags != before.flags ||
                                   wanted.extraFlags != before.extraFlags ||
                                   wanted.misc != before.misc;
    // The rows as they stand, converted, before the definition changes how
    // they read; a row that does not convert fails the statement.
    std::shared_ptr<ChangedRows> rows;
    bool changedValues = false;
    if (conversion || definitionChanges) {
        rows = std::make_shared<ChangedRows>();
        forEachRow(t, [&](uint32_t id, const RowValues& v) {
            RowValues r = v;
            if (conversion) {
                r[at] = statement::convertColumnValue(v[at], *conversion);
                if (!(r[at] == v[at])) changedValues = true;
            }
            (*rows)[id] = std::move(r);
        });
    }
    if (definitionChanges) {
        std::optional<LongValueMap> maps;
        if (isLongValueType(wanted.type) && !isLongValueType(before.type))
            maps = placeholderMaps();
        t.def.changeColumn(before.number, wanted.type, wanted.length, wanted.flags,
                           wanted.extraFlags, wanted.misc, maps);
    }
    const FColumn& after = t.def.columns[at];
    // A column whose room in a row changed no longer reads by the definition
    // in any stored row: every row is written again.
    if (rows && (changedValues || !sameStorage(before, after))) {
        t.changed = std::move(rows);
        t.changedColumns.insert(after.number);
        checkIndexesOver(t, now, {column.name});
    }
    const auto setRequired = [&](bool required) {
        const Property* p = t.props ? t.props->find(column.name, "Required") : nullptr;
        if (!required && !p) return;
        if (!t.props) t.props.emplace(emptyBlob(file_));
        t.props->setBoolean(column.name, "Required", required, 1);
        t.propsChanged = true;
    };
    setRequired(column.required);
    // Access keeps the column's compression as a property beside the bit of
    // the definition (which the data engine obeys): one the column has follows
    // the bit, or Access and the engine would tell two stories.
    if (const Property* uc = t.props ? t.props->find(column.name, "UnicodeCompression") : nullptr;
        uc && uc->boolean() != after.compressedUnicode()) {
        t.props->setBoolean(column.name, "UnicodeCompression", after.compressedUnicode());
        t.propsChanged = true;
    }
    const Property* dv = t.props ? t.props->find(column.name, "DefaultValue") : nullptr;
    const std::string currentDefault = dv ? dv->text(t.props->text()).value_or("") : "";
    if (column.defaultValue != currentDefault) {
        if (!t.props) t.props.emplace(emptyBlob(file_));
        if (column.defaultValue.empty())
            t.props->remove(column.name, "DefaultValue");
        else
            t.props->set(column.name, "DefaultValue", coltype::Memo,
                         t.props->text().encodeName(column.defaultValue), 1);
        t.propsChanged = true;
    }
    if (!column.autoIncrement) t.lastCounter.reset();
    state_.changedAnything = true;
}

void FileStorage::dropColumn(const TableDef& was, const TableDef& now, const statement::ColumnDef& column) {
    TableState& t = stateOf(was);
    const size_t at = position(t, column.name);
    const uint16_t number = t.def.columns[at].number;
    try {
        t.def.dropColumn(number);
    } catch (const FormatError&) {
        raise(Err::FieldInIndex);
    }
    if (t.changed) {
        auto rows = std::make_shared<ChangedRows>(*t.changed);
        for (auto& [id, v] : *rows) v.erase(v.begin() + static_cast<ptrdiff_t>(at));
        t.changed = std::move(rows);
    }
    t.changedColumns.erase(number);
    if (t.props && t.props->removeColumn(column.name)) t.propsChanged = true;
    (void)now;
    state_.changedAnything = true;
}

// --- indexes and relationships -----------------------------------------------------------

bool FileStorage::freedName(const std::string& name) const {
    const auto same = [&](const auto& d) { return d.name == name; };
    return std::any_of(state_.dropped.begin(), state_.dropped.end(), same) ||
           std::any_of(state_.droppedQueries.begin(), state_.droppedQueries.end(), same);
}

void FileStorage::checkCatalogKey(std::string_view table, std::string_view column,
                                  const std::string& name, const char* kind,
                                  const std::string& object) const {
    // A name the file's code page cannot hold has no key at all: say so
    // rather than that its key is not proven.
    requireStorable(file_, name);
    const FieldValue value = name;
    for (const auto& k : state_.catalogKeys)
        if (k.table == table && text::equalNoCase(k.column, column) &&
            !IndexKey::canProve(k.key, value))
            raise(Err::UnprovenNameKeys, {kind, object, name, sortOrderName(k.key.sortOrder)});
}

void FileStorage::checkIndex(TableState& t, const IndexDef& index) {
    if (keptRealIndex(t, index)) return;
    const std::vector<KeyColumn> columns = keyColumns(t.def, index);
    for (size_t i = 0; i < columns.size(); ++i)
        if (!IndexKey::indexable(columns[i].type))
            raise(Err::NotWrittenYet, {"An index on field '" + index.columns[i].name +
                                       "', whose type the writer does not index,"});
    std::vector<size_t> at;
    for (const auto& ic : index.columns) at.push_back(position(t, ic.name));
    std::vector<IndexRow> rows;
    forEachRow(t, [&](uint32_t id, const RowValues& v) {
        IndexRow r;
        r.page = id >> 8;
        r.row = static_cast<uint8_t>(id & 0xFF);
        for (size_t k = 0; k < at.size(); ++k) {
            const FieldValue& value = v[at[k]];
            if (!IndexKey::canProve(columns[k], value)) {
                if (isTextType(columns[k].type))
                    raise(Err::UnprovenIndexKeys,
                          {index.name, t.name, sortOrderName(columns[k].sortOrder)});
                // Not text: the column's type is what no file measured.
                raise(Err::UnprovenIndexKeyType,
                      {index.name, t.name, index.columns[k].name,
                       columns[k].type == coltype::Numeric   ? "DECIMAL"
                       : columns[k].type == coltype::Boolean ? "YESNO"
                                                             : "its type"});
            }
            r.values.push_back(value);
        }
        rows.push_back(std::move(r));
    });
    IndexRules rules;
    rules.unique = index.unique || index.primary;
    rules.ignoreNulls = index.nulls == indexnulls::Ignore;
    rules.required = index.primary || index.nulls == indexnulls::Disallow;
    try {
        (void)IndexBuilder::entries(columns, rows, rules);
    } catch (const KeyViolation& e) {
        raise(e.error());
    } catch (const FormatError& e) {
        raise(Err::NotWrittenYet,
              {"An entry of index '" + index.name + "' (" + std::string(e.what()) + ")"});
    }
}

void FileStorage::checkIndexesOver(TableState& t, const TableDef& now,
                                   const std::vector<std::string>& changedColumns) {
    for (const auto& ix : now.indexes) {
        bool over = false;
        for (const auto& ic : ix.columns)
            for (const auto& c : changedColumns)
                if (text::equalNoCase(ic.name, c)) over = true;
        if (over) checkIndex(t, ix);
    }
}

void FileStorage::addIndex(const TableDef& was, const TableDef& now, const IndexDef& index) {
    (void)now;
    requireStorable(file_, index.name);
    checkIndex(stateOf(was), index);
    state_.changedAnything = true;
}

void FileStorage::dropIndex(const TableDef&, const TableDef&, const IndexDef&) {
    state_.changedAnything = true;
}

void FileStorage::addRelationship(const TableDef& was, const TableDef& now,
                                  const statement::ForeignKeyDef& fk, const TableDef& related) {
    (void)related;
    if (state_.otherRelationshipNames.count(text::fold(fk.name)))
        raise(Err::ObjectExists, {fk.name});
    // Its MSysObjects row and its MSysRelationships rows, which name both
    // tables; one of the file's made again under the same names takes back
    // the keys of the rows it had.
    const bool again = std::any_of(
        state_.relationshipNames.begin(), state_.relationshipNames.end(), [&](const auto& r) {
            return r.name == fk.name && r.table == now.name && r.relatedTable == fk.relatedTable;
        });
    if (!again) {
        checkCatalogKey("MSysObjects", "Name", fk.name, "Relationship", fk.name);
        checkCatalogKey("MSysRelationships", "szRelationship", fk.name, "Relationship", fk.name);
        checkCatalogKey("MSysRelationships", "szObject", now.name, "Relationship", fk.name);
        checkCatalogKey("MSysRelationships", "szReferencedObject", fk.relatedTable, "Relationship",
                        fk.name);
    }
    const IndexDef* own = now.index(fk.name);
    if (own) checkIndex(stateOf(was), *own);
    state_.changedAnything = true;
}

void FileStorage::dropRelationship(const TableDef&, const TableDef&,
                                   const statement::ForeignKeyDef&) {
    state_.changedAnything = true;
}

void FileStorage::setCounter(const TableDef& table, const statement::ColumnDef& column, int64_t next) {
    TableState& t = stateOf(table);
    if (next < 1 || next > 0x7FFFFFFF)
        raise(Err::NotWrittenYet, {"A counter that starts at " + std::to_string(next)});
    if (hasRows(table)) {
        const size_t at = position(t, column.name);
        std::optional<double> largest;
        forEachRow(t, [&](uint32_t, const RowValues& v) {
            if (auto n = numberOf(v[at]); n && (!largest || *n > *largest)) largest = n;
        });
        if (largest && static_cast<double>(next) <= *largest)
            raise(Err::CounterSeedTooLow,
                  {column.name, std::to_string(next), t.name,
                   std::to_string(static_cast<int64_t>(*largest))});
    }
    t.lastCounter = static_cast<uint32_t>(next - 1);
    state_.changedAnything = true;
}

void FileStorage::createQuery(const statement::QueryDef& query) {
    const std::string key = text::fold(query.name);
    if (state_.otherObjectNames.count(key)) raise(Err::ObjectExists, {query.name});
    if (!state_.queriesRefusal.empty())
        raise(Err::NotWrittenYet, {"A view or procedure (" + state_.queriesRefusal + ")"});
    // A script's text does not say where a query runs: a pass-through query of
    // the file that the script dropped and makes again stays one, sent to the
    // same server, rather than run by Jet on this database.
    std::string connect;
    for (const auto& d : state_.droppedQueries)
        if (text::fold(d.name) == key) connect = d.passThroughConnect;
    auto made = std::make_shared<const format::DecomposedQuery>(
        connect.empty() ? storableQuery(query.name, query.text, state_.queryNameRoom)
                        : storablePassThrough(query.name, query.text, connect));
    if (!state_.queryParameterLengths)
        for (const auto& r : made->rows)
            if (r.extra != 0)
                raise(Err::QueryNotStorable,
                      {query.name, "a Text parameter declares a length, which an Access 97 file "
                                   "does not keep"});
    QueryState q;
    q.name = query.name;
    q.text = readBackText(made->rows);
    if (!freedName(query.name))
        checkCatalogKey("MSysObjects", "Name", query.name, query.view ? "View" : "Procedure",
                        query.name);
    q.codecText = q.text;
    q.made = std::move(made);
    state_.queries[key] = std::move(q);
    state_.changedAnything = true;
}

void FileStorage::dropQuery(const statement::QueryDef& query) {
    if (!state_.queriesRefusal.empty())
        raise(Err::NotWrittenYet, {"A view or procedure (" + state_.queriesRefusal + ")"});
    auto it = state_.queries.find(text::fold(query.name));
    if (it == state_.queries.end())
        raise(Err::General, {"The writer has no state of query '" + query.name + "'."});
    if (!it->second.made) state_.droppedQueries.push_back(std::move(it->second));
    state_.queries.erase(it);
    state_.changedAnything = true;
}

void FileStorage::dropPermissions(int32_t, std::string_view) {
    // The entries of a dropped object go with its MSysObjects row when the
    // planner writes the catalog.
}

// --- rows ----------------------------------------------------------------------------------

int32_t FileStorage::copyColumns(const TableDef& table,
                                 const std::vector<std::pair<std::string, std::string>>& sets) {
    TableState& t = stateOf(table);
    struct Copy {
        size_t to, from;
        statement::Target target;
        std::string name;
    };
    std::vector<Copy> copies;
    for (const auto& [to, from] : sets) {
        const statement::ColumnDef* c = table.column(to);
        if (!c) raise(Err::FieldNotFound, {to, t.name});
        copies.push_back({position(t, to), position(t, from),
                          statement::Target{c->type, c->size, c->precision, c->scale}, c->name});
    }
    auto rows = std::make_shared<ChangedRows>(t.changed ? *t.changed : ChangedRows{});
    int32_t count = 0;
    bool any = false;
    forEachRow(t, [&](uint32_t id, const RowValues& v) {
        RowValues r = v;
        for (const auto& c : copies) {
            FieldValue out;
            switch (statement::convertValue(v[c.from], c.target, out)) {
                case statement::ConvertResult::Ok:
                    break;
                case statement::ConvertResult::Mismatch:
                    raise(Err::DataTypeMismatch);
                case statement::ConvertResult::TooLong:
                    raise(Err::FieldTooSmall);
            }
            r[c.to] = std::move(out);
        }
        ++count;
        if (r != v) {
            any = true;
            (*rows)[id] = std::move(r);
        }
    });
    if (!t.created) t.rowsHeld = static_cast<uint32_t>(count);
    if (any) {
        t.changed = std::move(rows);
        std::vector<std::string> names;
        for (const auto& c : copies) {
            t.changedColumns.insert(t.def.columns[c.to].number);
            names.push_back(c.name);
        }
        checkIndexesOver(t, table, names);
        state_.changedAnything = true;
    }
    return count;
}

}  // namespace jet::file
