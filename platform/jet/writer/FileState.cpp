#include "jet/writer/FileState.h"

#include <algorithm>

#include "jet/file/Checker.h"
#include "jet/file/FileCatalog.h"
#include "jet/statement/Model.h"
#include "text/CaseFold.h"

namespace jet::file {

FileState fileStateOf(const FileCatalog& catalog, const statement::Model& model) {
    FileState state;
    for (const auto& u : catalog.tables) {
        const statement::TableDef* m = model.table(u.name);
        TableState s;
        s.name = u.name;
        s.page = u.definition.firstPage();
        s.objectRow = u.objectRow;
        s.original = u.definition;
        s.def = u.definition;
        s.props = u.properties;
        state.tables.emplace(m->id, std::move(s));
    }
    const FileCatalog& c = catalog;
    for (const auto& r : c.objects.rows) {
        const int32_t type = c.objectType(r);
        if ((type == msys::kTable || type == msys::kOdbcLink || type == msys::kLink) &&
            !model.table(c.objectName(r)))
            state.otherObjectNames.insert(text::fold(c.objectName(r)));
    }
    if (c.relationships.present()) {
        const size_t nameColumn = c.relationships.column("szRelationship");
        const size_t table = c.relationships.column("szObject"),
                     related = c.relationships.column("szReferencedObject");
        for (const auto& r : c.relationships.rows) {
            const std::string n = asText(r.values[nameColumn]);
            if (!model.relationshipExists(n)) state.otherRelationshipNames.insert(text::fold(n));
            const bool ownRow =
                std::any_of(c.objects.rows.begin(), c.objects.rows.end(), [&](const StoredRow& o) {
                    return c.objectType(o) == msys::kRelationship && c.objectName(o) == n;
                });
            if (ownRow)
                state.relationshipNames.push_back(
                    {n, asText(r.values[table]), asText(r.values[related])});
        }
    }
    // The keys a new object's names take in the catalog's text indexes.
    for (const StoredTable* t : {&c.objects, &c.relationships}) {
        if (!t->present()) continue;
        const TableDefinition& d = t->definition();
        for (const RealIndex& ri : d.realIndexes) {
            const std::vector<KeyColumn> keys = keyColumns(d, ri);
            const std::vector<IndexColumn> used = ri.keyColumns();
            for (size_t k = 0; k < used.size(); ++k) {
                const ColumnDef* col = d.column(used[k].number);
                if (col && isTextType(col->type))
                    state.catalogKeys.push_back({t->name(), col->name, keys[k]});
            }
        }
    }
    return state;
}

}  // namespace jet::file
