#include "jet/writer/FileSchema.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "jet/Types.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace {

// The ".r" entry a relationship leaves on the table it refers to: Jet's own
// bookkeeping, not an index the catalog shows.
bool isReferencedSide(const LogicalIndex& li) {
    return li.indexType == idxtype::ForeignKey && (li.relatedTableType & 0x01) != 0;
}

const Property* property(const UserTable& t, const std::string& column, const char* name) {
    return t.properties ? t.properties->find(column, name) : nullptr;
}

std::string textProperty(const UserTable& t, const std::string& column, const char* name) {
    const Property* p = property(t, column, name);
    if (!p) return {};
    return p->text(t.properties->text()).value_or(std::string());
}

bool yesProperty(const UserTable& t, const std::string& column, const char* name) {
    const Property* p = property(t, column, name);
    return p && p->boolean().value_or(false);
}

statement::ColumnDef readColumn(const UserTable& t, const ColumnDef& c) {
    statement::ColumnDef d;
    d.name = c.name;
    d.type = adoType(c);
    switch (c.type) {
        case coltype::Binary:
            d.size = c.length;
            break;
        case coltype::Text:
            // Jet 4 sizes text in bytes of UCS-2; a definition counts characters.
            d.size = c.length / 2;
            break;
        case coltype::Numeric:
            d.precision = c.precision();
            d.scale = c.scale();
            break;
        default:
            break;
    }
    d.required = yesProperty(t, c.name, "Required");
    d.autoIncrement = c.type == coltype::Long && (c.flags & colflag::AutoLong) != 0;
    if (d.autoIncrement) {
        // The definition keeps the last number handed out; the seed is the next.
        d.seed = static_cast<int32_t>(t.definition.nextCounterValue + 1u);
        d.increment = 1;
    }
    d.compressed = c.compressedUnicode();
    d.allowZeroLength = yesProperty(t, c.name, "AllowZeroLength");
    d.hyperlink = c.type == coltype::Memo && (c.flags & colflag::Hyperlink) != 0;
    d.autoGenerate = c.type == coltype::Guid && (c.flags & colflag::AutoGuid) != 0;
    d.defaultValue = textProperty(t, c.name, "DefaultValue");
    d.description = textProperty(t, c.name, "Description");
    d.validationText = textProperty(t, c.name, "ValidationText");
    d.validationRule = textProperty(t, c.name, "ValidationRule");
    return d;
}

struct RelationshipRow {
    std::string name, object, column, referencedObject, referencedColumn;
    int32_t grbit = 0;
    int64_t position = 0;
};

std::vector<RelationshipRow> relationshipRows(const FileCatalog& catalog) {
    std::vector<RelationshipRow> rows;
    const StoredTable& r = catalog.relationships;
    if (!r.present()) return rows;
    const size_t name = r.column("szRelationship"), object = r.column("szObject"),
                 column = r.column("szColumn"), refObject = r.column("szReferencedObject"),
                 refColumn = r.column("szReferencedColumn"), grbit = r.column("grbit"),
                 icolumn = r.column("icolumn");
    for (const auto& row : r.rows)
        rows.push_back({asText(row.values[name]), asText(row.values[object]),
                        asText(row.values[column]), asText(row.values[refObject]),
                        asText(row.values[refColumn]),
                        static_cast<int32_t>(asInteger(row.values[grbit])),
                        asInteger(row.values[icolumn])});
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        if (a.name != b.name) return a.name < b.name;
        return a.position < b.position;
    });
    return rows;
}

}  // namespace

int32_t adoType(const ColumnDef& c) {
    switch (c.type) {
        case coltype::Boolean:
            return adtype::Boolean;
        case coltype::Byte:
            return adtype::UnsignedTinyInt;
        case coltype::Int:
            return adtype::SmallInt;
        case coltype::Long:
            return adtype::Integer;
        case coltype::Money:
            return adtype::Currency;
        case coltype::Float:
            return adtype::Single;
        case coltype::Double:
            return adtype::Double;
        case coltype::DateTime:
            return adtype::Date;
        case coltype::Binary:
            return c.fixed() ? adtype::Binary : adtype::VarBinary;
        case coltype::Text:
            return c.fixed() ? adtype::WChar : adtype::VarWChar;
        case coltype::Ole:
            return adtype::LongVarBinary;
        case coltype::Memo:
            return adtype::LongVarWChar;
        case coltype::Guid:
            return adtype::GUID;
        case coltype::Numeric:
            return adtype::Numeric;
        case 0x11:  // Access's own large binary type
            return adtype::LongVarBinary;
        default:
            return 0;
    }
}

statement::TableDef readTable(const FileCatalog& catalog, const UserTable& t) {
    statement::TableDef d;
    d.id = t.definition.firstPage();
    d.name = t.name;
    std::vector<const ColumnDef*> columns;
    for (const auto& c : t.definition.columns) columns.push_back(&c);
    std::stable_sort(columns.begin(), columns.end(),
                     [](const ColumnDef* a, const ColumnDef* b) { return a->number < b->number; });
    std::unordered_map<uint16_t, std::string> byNumber;
    for (const ColumnDef* c : columns) {
        d.columns.push_back(readColumn(t, *c));
        byNumber.emplace(c->number, c->name);
    }

    for (const auto& li : t.definition.logicalIndexes) {
        if (isReferencedSide(li)) continue;
        if (li.realIndex >= t.definition.realIndexes.size())
            throw FormatError(t.name + ": an index refers to no index data",
                              t.definition.firstPage());
        const RealIndex& ri = t.definition.realIndexes[li.realIndex];
        statement::IndexDef x;
        x.name = li.name;
        x.primary = li.indexType == idxtype::PrimaryKey;
        x.foreign = li.indexType == idxtype::ForeignKey;
        x.unique = x.primary || (ri.flags & idxflag::Unique) != 0;
        x.nulls = (x.primary || (ri.flags & idxflag::Required) != 0)  ? indexnulls::Disallow
                  : (ri.flags & idxflag::IgnoreNulls) != 0 ? indexnulls::Ignore
                                                            : indexnulls::Allow;
        for (const IndexColumn& ic : ri.keyColumns()) {
            auto it = byNumber.find(ic.number);
            if (it == byNumber.end())
                throw FormatError(t.name + ": an index is on a missing column",
                                  t.definition.firstPage());
            x.columns.push_back({it->second, ic.order == 0x01 ? kSortAscending : kSortDescending});
        }
        d.indexes.push_back(std::move(x));
    }

    const auto rows = relationshipRows(catalog);
    for (size_t i = 0; i < rows.size();) {
        size_t j = i;
        while (j < rows.size() && rows[j].name == rows[i].name) ++j;
        const auto& first = rows[i];
        // A relationship without referential integrity is no key: Jet keeps no
        // index for it.
        if (first.object == t.name && !(first.grbit & relflag::NotEnforced)) {
            statement::ForeignKeyDef fk;
            fk.name = first.name;
            fk.relatedTable = first.referencedObject;
            fk.updateRule = (first.grbit & relflag::CascadeUpdates) ? rule::Cascade : rule::None;
            fk.deleteRule = (first.grbit & relflag::CascadeDeletes) ? rule::Cascade
                            : (first.grbit & relflag::CascadeNull)  ? rule::SetNull
                                                                     : rule::None;
            for (size_t r = i; r < j; ++r)
                fk.columns.push_back({rows[r].column, rows[r].referencedColumn});
            d.foreignKeys.push_back(std::move(fk));
        }
        i = j;
    }
    return d;
}

statement::Model readModel(const FileCatalog& catalog) {
    statement::Model m;
    for (const auto& t : catalog.tables) {
        statement::TableDef d = readTable(catalog, t);
        m.tables[text::fold(d.name)] = std::move(d);
    }
    m.indexRelationships();
    return m;
}

}  // namespace jet::file
