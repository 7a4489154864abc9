#include "jet/statement/Model.h"

#include "jet/Types.h"
#include "text/CaseFold.h"

namespace jet::statement {

namespace {

template <class T>
T* findByName(std::vector<T>& items, std::string_view name) {
    for (auto& i : items)
        if (text::equalNoCase(i.name, name)) return &i;
    return nullptr;
}

}  // namespace

ColumnDef* TableDef::column(std::string_view n) { return findByName(columns, n); }
const ColumnDef* TableDef::column(std::string_view n) const {
    return const_cast<TableDef*>(this)->column(n);
}
IndexDef* TableDef::index(std::string_view n) { return findByName(indexes, n); }
const IndexDef* TableDef::index(std::string_view n) const {
    return const_cast<TableDef*>(this)->index(n);
}
ForeignKeyDef* TableDef::foreignKey(std::string_view n) { return findByName(foreignKeys, n); }
const ForeignKeyDef* TableDef::foreignKey(std::string_view n) const {
    return const_cast<TableDef*>(this)->foreignKey(n);
}

TableDef* Model::table(std::string_view name) {
    auto it = tables.find(text::fold(name));
    return it == tables.end() ? nullptr : &it->second;
}
TableDef* Model::tableByKey(const std::string& key) {
    auto it = tables.find(key);
    return it == tables.end() ? nullptr : &it->second;
}
QueryDef* Model::query(std::string_view name) {
    auto it = queries.find(text::fold(name));
    return it == queries.end() ? nullptr : &it->second;
}
const TableDef* Model::table(std::string_view name) const {
    return const_cast<Model*>(this)->table(name);
}
const TableDef* Model::tableByKey(const std::string& key) const {
    return const_cast<Model*>(this)->tableByKey(key);
}
const QueryDef* Model::query(std::string_view name) const {
    return const_cast<Model*>(this)->query(name);
}

bool changesRows(const ForeignKeyDef& fk) {
    const auto changes = [](int32_t r) {
        return r == rule::Cascade || r == rule::SetNull || r == rule::SetDefault;
    };
    return changes(fk.updateRule) || changes(fk.deleteRule);
}

const std::map<std::string, int>& Model::referrersOf(std::string_view table) const {
    static const std::map<std::string, int> kNone;
    auto it = referrers.find(text::fold(table));
    return it == referrers.end() ? kNone : it->second;
}

bool Model::relationshipExists(std::string_view name) const {
    return relationshipNames.count(text::fold(name)) != 0;
}

void Model::noteRelationship(std::string_view table, const ForeignKeyDef& fk) {
    ++referrers[text::fold(fk.relatedTable)][text::fold(table)];
    ++relationshipNames[text::fold(fk.name)];
}

void Model::forgetRelationship(std::string_view table, const ForeignKeyDef& fk) {
    // Counted down, never below zero: a second key on the same pair of tables
    // keeps the entry.
    const auto down = [](auto& map, auto it) {
        if (it != map.end() && --it->second <= 0) map.erase(it);
    };
    auto r = referrers.find(text::fold(fk.relatedTable));
    if (r != referrers.end()) {
        down(r->second, r->second.find(text::fold(table)));
        if (r->second.empty()) referrers.erase(r);
    }
    down(relationshipNames, relationshipNames.find(text::fold(fk.name)));
}

void Model::indexRelationships() {
    referrers.clear();
    relationshipNames.clear();
    for (const auto& [key, t] : tables)
        for (const auto& fk : t.foreignKeys) noteRelationship(t.name, fk);
}

ColumnData columnData(const ColumnDef& c) {
    ColumnData d;
    d.name = c.name;
    d.type = c.type;
    const TypeFacts f = typeFacts(c.type);
    d.definedSize = f.definedSize;
    d.precision = f.precision;
    d.numericScale = f.numericScale;
    switch (c.type) {
        case adtype::VarWChar:
        case adtype::WChar:
        case adtype::Binary:
        case adtype::VarBinary:
            d.definedSize = c.size;
            break;
        case adtype::Numeric:
            d.precision = c.precision;
            d.numericScale = c.scale;
            break;
        default:
            break;
    }
    const bool nullable = !c.required;
    d.attributes = (f.fixedLength ? kColumnFixed : 0) | (nullable ? kColumnNullable : 0);
    auto& p = d.properties;
    p[prop::Autoincrement] = c.autoIncrement;
    p[prop::Default] = c.defaultValue;
    p[prop::Description] = c.description;
    p[prop::Nullable] = nullable;
    p[prop::FixedLength] = f.fixedLength;
    if (c.autoIncrement) {
        p[prop::Seed] = c.seed;
        p[prop::Increment] = c.increment;
    }
    p[prop::ValidationText] = c.validationText;
    p[prop::ValidationRule] = c.validationRule;
    p[prop::IisamNotLastColumn] = false;
    p[prop::AutoGenerate] = false;
    p[prop::OneBlobPerPage] = false;
    p[prop::CompressedUnicode] = c.compressed;
    p[prop::AllowZeroLength] = c.allowZeroLength;
    p[prop::Hyperlink] = c.hyperlink;
    return d;
}

TableData tableData(const TableDef& t) {
    TableData d;
    d.name = t.name;
    d.type = "TABLE";
    d.columns.reserve(t.columns.size());
    for (const auto& c : t.columns) d.columns.push_back(columnData(c));
    d.indexes.reserve(t.indexes.size());
    for (const auto& x : t.indexes) {
        d.indexes.push_back({x.name, x.unique, x.primary, x.nulls, x.columns});
        if (x.primary || (x.unique && !x.foreign)) {
            KeyData k;
            k.name = x.name;
            k.type = x.primary ? keytype::Primary : keytype::Unique;
            for (const auto& c : x.columns) k.columns.push_back({c.name, ""});
            d.keys.push_back(std::move(k));
        }
    }
    for (const auto& f : t.foreignKeys) {
        KeyData k;
        k.name = f.name;
        k.type = keytype::Foreign;
        k.relatedTable = f.relatedTable;
        k.updateRule = f.updateRule;
        k.deleteRule = f.deleteRule;
        k.columns = f.columns;
        d.keys.push_back(std::move(k));
    }
    return d;
}

}  // namespace jet::statement
