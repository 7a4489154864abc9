// The planner's catalog writing: the rows of MSysObjects, MSysRelationships,
// MSysACEs and MSysQueries changed where an object came, went or changed.
#include <algorithm>
#include <limits>
#include <map>
#include <optional>

#include "jet/Types.h"
#include "jet/file/Checker.h"
#include "jet/file/IndexBuilder.h"
#include "jet/file/IndexKey.h"
#include "jet/file/IndexPage.h"
#include "jet/file/LongValue.h"
#include "jet/file/PageEditor.h"
#include "jet/file/Row.h"
#include "jet/writer/FilePermissions.h"
#include "jet/writer/FileQueries.h"
#include "jet/writer/PlannerWriter.h"
#include "text/CaseFold.h"

namespace jet::file::planner {

namespace {

int32_t relationshipFlags(const ForeignKeyDef& fk, bool oneToOne) {
    int32_t g = 0;
    if (oneToOne) g |= relflag::OneToOne;
    if (fk.updateRule == rule::Cascade) g |= relflag::CascadeUpdates;
    if (fk.deleteRule == rule::Cascade) g |= relflag::CascadeDeletes;
    if (fk.deleteRule == rule::SetNull) g |= relflag::CascadeNull;
    return g;
}

}  // namespace

// --- the catalog ----------------------------------------------------------------------

// A system table's rows changed in place, with its indexes rebuilt from
// the entries they had.
class Writer::SystemEdit {
public:
    SystemEdit(Writer& w, const StoredTable& table)
        : w_(w),
          table_(table),
          def_(table.definition()),
          editor_(w.pages_, def_.firstPage(), def_.ownedPages, def_.freeSpacePages),
          longValues_(w.file_) {}

    [[nodiscard]] const StoredTable& table() const { return table_; }
    [[nodiscard]] RowValues blank() const { return RowValues(def_.columns.size()); }
    [[nodiscard]] size_t column(std::string_view name) const { return table_.column(name); }

    void remove(uint32_t rowId) {
        editor_.remove(rowId);
        removed_.insert(rowId);
    }
    void update(uint32_t rowId, const RowValues& values) {
        editor_.update(rowId, encodeRow(def_, values, &longValues_));
        changed_ = true;
    }
    void insert(RowValues values) {
        const uint32_t id = editor_.insert(encodeRow(def_, values, &longValues_));
        inserted_.emplace_back(id, std::move(values));
    }

    void finish() {
        if (removed_.empty() && inserted_.empty() && !changed_) return;
        editor_.finish();
        w_.addLongValuePages(def_, longValues_.pages());
        if (!removed_.empty() || !inserted_.empty()) compact();
        if (!removed_.empty() || !inserted_.empty()) {
            def_.rowCount = static_cast<uint32_t>(static_cast<int64_t>(def_.rowCount) +
                                                  static_cast<int64_t>(inserted_.size()) -
                                                  static_cast<int64_t>(removed_.size()));
            for (auto& ri : def_.realIndexes) rebuild(ri);
            for (uint32_t freed : def_.write(w_.file_)) w_.pages_.release(freed);
            for (uint32_t pg : def_.pages())
                if (pg >= w_.file_.originalPageCount()) w_.pages_.markUsed(pg);
        }
        w_.result_.touchedTables.insert(def_.firstPage());
    }

private:
    // Jet leaves a deleted row's slot in place; libmdb counts slots against
    // the table's row count when it lists relationships, and would miss
    // the rows after a hole. Since every index of a system table is built
    // again here, holes are taken out of their page and the rows after
    // them move up, in their order (readers that read rows in page order,
    // as mdb-queries does, see them as before): the holes this edit made,
    // and those Access left on the table's pages (deleted slots, both
    // flags and no bytes, that no pointer names). A row that is part of an
    // overflow (other slots point to it, or it points elsewhere) keeps its
    // place, and so do the holes before it.
    void compact() {
        std::map<uint32_t, std::set<size_t>> holes;
        for (uint32_t id : removed_) holes[id >> 8].insert(id & 0xFF);
        const std::vector<uint32_t> pages = tablePages();
        std::set<uint32_t> pointedTo;
        for (uint32_t page : pages)
            for (const PageRow& r : w_.pages_.peek(page).rows)
                if (r.flags == kRowOverflowFlag && r.bytes.size() >= 4) {
                    const RowPointer at = readRowPointer(ByteSpan(r.bytes.data(), 4));
                    pointedTo.insert(at.page << 8 | at.row);
                }
        for (uint32_t page : pages) {
            const auto& rows = w_.pages_.peek(page).rows;
            for (size_t i = 0; i < rows.size() && i <= 0xFF; ++i)
                if (rows[i].flags == (kRowDeletedFlag | kRowOverflowFlag) &&
                    rows[i].bytes.empty() && !pointedTo.count(page << 8 | static_cast<uint32_t>(i)))
                    holes[page].insert(i);
        }
        for (const auto& [page, list] : holes) {
            auto& rows = w_.pages_.rows(page).rows;
            // The last row that keeps its place.
            size_t fixedEnd = 0;
            for (size_t i = 0; i < rows.size(); ++i)
                if (!list.count(i) && rows[i].flags != 0) fixedEnd = i + 1;
            std::vector<PageRow> kept;
            for (size_t i = 0; i < rows.size(); ++i) {
                if (i >= fixedEnd && list.count(i)) continue;
                if (kept.size() != i)
                    moved_[page << 8 | static_cast<uint32_t>(i)] =
                        page << 8 | static_cast<uint32_t>(kept.size());
                kept.push_back(std::move(rows[i]));
            }
            rows = std::move(kept);
        }
        for (auto& [id, values] : inserted_)
            if (auto it = moved_.find(id); it != moved_.end()) id = it->second;
    }

    // The data pages of the table, as the edit leaves its owned-pages map.
    std::vector<uint32_t> tablePages() {
        const UsageMapRef where = def_.ownedPages;
        const UsageMap m = UsageMap::decode(w_.pages_.peek(where.page).rows.at(where.row).bytes,
                                            w_.file_, where.page);
        std::vector<uint32_t> out;
        for (uint32_t pg : m.pages()) {
            if (pg >= w_.file_.pageCount()) continue;
            try {
                if (w_.pages_.peek(pg).owner == def_.firstPage()) out.push_back(pg);
            } catch (const FormatError&) {
                // Not a data page: no rows of the table on it.
            }
        }
        return out;
    }

    void rebuild(RealIndex& ri) {
        const PageFile& file = w_.file_;
        const auto tree = walkIndex(
            [&](uint32_t pg) {
                const auto bytes = file.page(pg);
                return std::vector<uint8_t>(bytes->begin(), bytes->end());
            },
            ri.firstPage);
        const auto columns = keyColumns(def_, ri);
        std::vector<size_t> at;
        for (const auto& ic : ri.keyColumns()) at.push_back(positionOf(def_, ic.number));
        const auto keyValues = [&](const RowValues& values) {
            std::vector<FieldValue> key;
            for (size_t k : at) key.push_back(values[k]);
            return key;
        };
        // The keys Access gave the rows this edit removes: a new row with
        // the same values takes the same key (a name dropped and made
        // again), which the encoder need not prove.
        std::vector<std::pair<std::vector<FieldValue>, std::vector<uint8_t>>> removedKeys;
        std::vector<IndexEntry> entries;
        for (const auto& e : tree.entries) {
            const uint32_t id = e.dataPage << 8 | e.dataRow;
            if (removed_.count(id)) {
                for (const StoredRow& r : table_.rows)
                    if (r.rowId == id) removedKeys.emplace_back(keyValues(r.values), e.key);
                continue;
            }
            IndexEntry kept = e;
            if (auto it = moved_.find(id); it != moved_.end()) {
                kept.dataPage = it->second >> 8;
                kept.dataRow = static_cast<uint8_t>(it->second & 0xFF);
            }
            entries.push_back(std::move(kept));
        }
        for (const auto& [id, values] : inserted_) {
            const std::vector<FieldValue> key = keyValues(values);
            bool allNull = true, provable = true;
            for (size_t k = 0; k < key.size(); ++k) {
                allNull = allNull && isNull(key[k]);
                provable = provable && IndexKey::canProve(columns[k], key[k]);
            }
            if (allNull && (ri.flags & idxflag::IgnoreNulls)) continue;
            IndexEntry e;
            if (provable) {
                e.key = IndexKey::encode(columns, key);
            } else {
                const auto same = std::find_if(removedKeys.begin(), removedKeys.end(),
                                               [&](const auto& r) { return r.first == key; });
                if (same == removedKeys.end())
                    throw FormatError("index key: a catalog row's key cannot be proven");
                e.key = same->second;
            }
            e.dataPage = id >> 8;
            e.dataRow = static_cast<uint8_t>(id & 0xFF);
            entries.push_back(std::move(e));
        }
        std::sort(entries.begin(), entries.end(), entryLess);
        for (uint32_t pg : tree.leaves) w_.pages_.release(pg);
        for (uint32_t pg : tree.intermediates) w_.pages_.release(pg);
        const auto built =
            IndexBuilder::build(entries, def_.firstPage(), [&] { return w_.pages_.allocate(); },
                                w_.file_.layout());
        w_.writeBuilt(built, ri, def_.ownedPages.page, ri.map, ri.slotUnknown1);
    }

    Writer& w_;
    const StoredTable& table_;
    TableDefinition def_;
    RowEditor editor_;
    LongValueWriter longValues_;
    std::set<uint32_t> removed_;
    std::map<uint32_t, uint32_t> moved_;  // row ids compact() changed
    std::vector<std::pair<uint32_t, RowValues>> inserted_;
    bool changed_ = false;
};

struct RelationshipRows {
    std::string object, referencedObject;
    int32_t grbit = 0;
    std::vector<std::pair<std::string, std::string>> columns;  // icolumn order
    std::vector<uint32_t> rowIds;
};

// A new MSysObjects row as Jet makes one: dated now, owned as the file's
// new objects are; `id` is the next of the file's negative ids when 0.
RowValues Writer::newObject(const SystemEdit& objects, int32_t id, int32_t parent,
                            const std::string& name, int32_t type, int32_t flags,
                            const FieldValue& owner, int32_t& lastNegativeId) {
    if (id == 0) {
        if (lastNegativeId == -1) throw FormatError("the file has no object id left");
        id = ++lastNegativeId;
    }
    RowValues v = objects.blank();
    v[objects.column("Id")] = id;
    v[objects.column("ParentId")] = parent;
    v[objects.column("Name")] = name;
    v[objects.column("Type")] = static_cast<int16_t>(type);
    v[objects.column("Flags")] = flags;
    v[objects.column("DateCreate")] = now_;
    v[objects.column("DateUpdate")] = now_;
    v[objects.column("Owner")] = owner;
    fixTypes(objects, v);
    return v;
}

void Writer::writeCatalog() {
    const FileCatalog& c = catalog_;
    SystemEdit objects(*this, c.objects);
    ObjectIds ids;
    ids.owner = newObjectsOwner();
    ids.lastNegativeId = lastNegativeIdHeld();
    writeTableObjects(objects, ids);
    std::optional<SystemEdit> rels;
    if (c.relationships.present()) rels.emplace(*this, c.relationships);
    writeRelationships(objects, rels, ids);
    writeQueries(objects, ids);
    writeAccessEntries(ids);
    if (rels) rels->finish();
    objects.finish();
}

// The owner new objects get: the file's tables' own, else a query's, else
// the Tables container's.
FieldValue Writer::newObjectsOwner() const {
    const FileCatalog& c = catalog_;
    const size_t ownerCol = c.objects.column("Owner");
    FieldValue owner;
    for (const auto& t : c.tables) {
        owner = c.objects.rows[t.objectRow].values[ownerCol];
        break;
    }
    if (isNull(owner))
        for (const auto& r : c.objects.rows)
            if (c.objectType(r) == msys::kQuery && isNull(owner)) owner = r.values[ownerCol];
    if (isNull(owner))
        for (const auto& r : c.objects.rows)
            if (c.objectId(r) == msys::kTablesContainer) owner = r.values[ownerCol];
    return owner;
}

// The last of the file's negative object ids (the lowest int32 when it has none).
int32_t Writer::lastNegativeIdHeld() const {
    const FileCatalog& c = catalog_;
    int32_t lastNegativeId = std::numeric_limits<int32_t>::min();
    bool anyNegative = false;
    for (const auto& r : c.objects.rows)
        if (c.objectId(r) < 0) {
            lastNegativeId = anyNegative ? std::max(lastNegativeId, c.objectId(r)) : c.objectId(r);
            anyNegative = true;
        }
    return lastNegativeId;
}

// The tables' MSysObjects rows: dropped ones go, those that stay take their
// properties and dates, new ones come.
void Writer::writeTableObjects(SystemEdit& objects, ObjectIds& ids) {
    const FileCatalog& c = catalog_;
    const size_t updateCol = objects.column("DateUpdate"), propsCol = objects.column("LvProp");
    // Dropped tables and their access entries.
    for (const auto& t : state_.dropped) {
        objects.remove(c.objects.rows[t.objectRow].rowId);
        ids.gone.insert(c.objectId(c.objects.rows[t.objectRow]));
    }
    // Tables that stay: their properties and dates.
    for (const auto& [key, p] : plans_) {
        const TableState& t = *p.state;
        if (t.created) continue;
        const bool defChanged = definitionChanged_.count(p.page) != 0;
        if (!t.propsChanged && !defChanged) continue;
        RowValues v = c.objects.rows[t.objectRow].values;
        if (t.propsChanged) {
            Bytes blob = t.props ? t.props->encode() : Bytes{};
            v[propsCol] = blob.empty() || !t.props || t.props->chunks.empty()
                              ? FieldValue{}
                              : FieldValue{Binary{std::string(blob.begin(), blob.end())}};
        }
        v[updateCol] = now_;
        objects.update(c.objects.rows[t.objectRow].rowId, v);
    }
    // New tables.
    for (const auto& [key, p] : plans_) {
        const TableState& t = *p.state;
        if (!t.created) continue;
        RowValues v = newObject(objects, static_cast<int32_t>(p.page), msys::kTablesContainer,
                                t.name, msys::kTable, 0, ids.owner, ids.lastNegativeId);
        if (t.props && !t.props->chunks.empty()) {
            const Bytes blob = t.props->encode();
            v[propsCol] = Binary{std::string(blob.begin(), blob.end())};
        }
        objects.insert(std::move(v));
        ids.created.emplace_back(static_cast<int32_t>(p.page), t.name);
    }
}

// Relationships: what the model holds against what the file holds. One of
// the file the model knew that ends as it began keeps its rows; one that
// changed goes, and comes again as the model holds it.
void Writer::writeRelationships(SystemEdit& objects, std::optional<SystemEdit>& rels,
                                ObjectIds& ids) {
    const FileCatalog& c = catalog_;
    std::map<std::string, RelationshipRows> had;  // folded name
    std::map<std::string, std::string> hadNames;
    if (c.relationships.present()) {
        const StoredTable& r = c.relationships;
        const size_t name = r.column("szRelationship"), object = r.column("szObject"),
                     column = r.column("szColumn"), refObject = r.column("szReferencedObject"),
                     refColumn = r.column("szReferencedColumn"), grbit = r.column("grbit"),
                     icolumn = r.column("icolumn");
        std::map<std::string, std::map<int64_t, std::pair<std::string, std::string>>> cols;
        for (const auto& row : r.rows) {
            const std::string n = asText(row.values[name]);
            auto& h = had[text::fold(n)];
            hadNames[text::fold(n)] = n;
            h.object = asText(row.values[object]);
            h.referencedObject = asText(row.values[refObject]);
            h.grbit = static_cast<int32_t>(asInteger(row.values[grbit]));
            h.rowIds.push_back(row.rowId);
            cols[text::fold(n)][asInteger(row.values[icolumn])] = {asText(row.values[column]),
                                                                   asText(row.values[refColumn])};
        }
        for (auto& [n, m] : cols)
            for (auto& [i, pair] : m) had[n].columns.push_back(pair);
    }
    // Relationships of the file that the model knew at the start (enforced ones).
    std::set<std::string> modelled;
    for (const auto& t : catalog_.tables)
        for (const auto& [key, h] : had)
            if (text::equalNoCase(h.object, t.name) && !(h.grbit & relflag::NotEnforced))
                modelled.insert(key);
    std::map<std::string, std::pair<const TableDef*, const ForeignKeyDef*>> wanted;
    for (const auto& [key, p] : plans_)
        for (const auto& fk : p.model->foreignKeys) wanted[text::fold(fk.name)] = {p.model, &fk};

    const auto removeRelationship = [&](const std::string& key) {
        for (uint32_t id : had[key].rowIds) rels->remove(id);
        for (const auto& r : c.objects.rows)
            if (c.objectType(r) == msys::kRelationship &&
                text::equalNoCase(c.objectName(r), hadNames[key]))
                objects.remove(r.rowId);
    };
    for (const auto& key : modelled) {
        auto it = wanted.find(key);
        bool same = false;
        if (it != wanted.end()) {
            const auto& [table, fk] = it->second;
            const RelationshipRows& h = had[key];
            const bool oneToOne = table->index(fk->name) && table->index(fk->name)->unique;
            const int32_t known = relflag::OneToOne | relflag::CascadeUpdates |
                                  relflag::CascadeDeletes | relflag::CascadeNull;
            same = text::equalNoCase(h.object, table->name) &&
                   text::equalNoCase(h.referencedObject, fk->relatedTable) &&
                   (h.grbit & known) == (relationshipFlags(*fk, oneToOne) & known) &&
                   h.columns.size() == fk->columns.size() && hadNames[key] == fk->name;
            for (size_t i = 0; same && i < fk->columns.size(); ++i)
                same = h.columns[i].first == fk->columns[i].name &&
                       h.columns[i].second == fk->columns[i].relatedColumn;
        }
        if (same) {
            wanted.erase(key);
        } else {
            if (!rels) throw FormatError("the file has no MSysRelationships");
            removeRelationship(key);
        }
    }
    for (const auto& [key, pair] : wanted) {
        if (modelled.count(key) == 0 && had.count(key))
            throw FormatError("relationship " + pair.second->name + " already stands");
        if (!rels) throw FormatError("the file has no MSysRelationships");
        const TableDef& table = *pair.first;
        const ForeignKeyDef& fk = *pair.second;
        const bool oneToOne = table.index(fk.name) && table.index(fk.name)->unique;
        for (size_t i = 0; i < fk.columns.size(); ++i) {
            RowValues v = rels->blank();
            v[rels->column("ccolumn")] = static_cast<int32_t>(fk.columns.size());
            v[rels->column("grbit")] = relationshipFlags(fk, oneToOne);
            v[rels->column("icolumn")] = static_cast<int32_t>(i);
            v[rels->column("szColumn")] = fk.columns[i].name;
            v[rels->column("szObject")] = table.name;
            v[rels->column("szReferencedColumn")] = fk.columns[i].relatedColumn;
            v[rels->column("szReferencedObject")] = fk.relatedTable;
            v[rels->column("szRelationship")] = fk.name;
            fixTypes(*rels, v);
            rels->insert(std::move(v));
        }
        objects.insert(newObject(objects, 0, msys::kRelationshipsContainer, fk.name,
                                 msys::kRelationship, 0, ids.owner, ids.lastNegativeId));
    }
}

// The MSysObjects id a permission line's object ends with: the database's
// MSysDb row, one the session made, or one of the file that stays.
std::optional<int32_t> Writer::permissionObjectId(const PermissionKey& key,
                                                  const ObjectIds& ids) const {
    const FileCatalog& c = catalog_;
    if (key.object == PermissionKey::Object::Database) {
        for (const auto& r : c.objects.rows)
            if (c.objectType(r) == msys::kDatabase && c.objectName(r) == "MSysDb")
                return c.objectId(r);
        return std::nullopt;
    }
    for (const auto& [id, name] : ids.created)
        if (text::fold(name) == key.name) return id;
    for (const auto& r : c.objects.rows) {
        const int32_t type = c.objectType(r);
        const bool kind = key.object == PermissionKey::Object::Query
                              ? type == msys::kQuery
                              : type == msys::kTable || type == msys::kLink ||
                                    type == msys::kOdbcLink;
        if (kind && text::fold(c.objectName(r)) == key.name && !ids.gone.count(c.objectId(r)))
            return c.objectId(r);
    }
    return std::nullopt;
}

void Writer::writeAccessEntries(const ObjectIds& ids) {
    const FileCatalog& c = catalog_;
    if (!c.aces.present()) {
        if (!state_.permissions.empty()) throw FormatError("the file has no MSysACEs");
        return;
    }
    if (ids.gone.empty() && ids.created.empty() && state_.permissions.empty()) return;
    SystemEdit aces(*this, c.aces);
    const size_t objectId = aces.column("ObjectId"), sidCol = aces.column("SID"),
                 acm = aces.column("ACM"), inheritable = aces.column("FInheritable");
    // The entries as they will stand, by object: the file's (with their row
    // ids) and new ones (row id 0), in the order they are to be inserted.
    std::vector<StoredRow> entries;
    for (const auto& r : c.aces.rows) {
        if (ids.gone.count(static_cast<int32_t>(asInteger(r.values[objectId]))))
            aces.remove(r.rowId);
        else
            entries.push_back(r);
    }
    // A new table or query takes the inheritable entries of the Tables
    // container (all but its placeholder), as its own.
    for (const auto& [id, name] : ids.created)
        for (const auto& r : c.aces.rows) {
            if (!inheritedEntry(c, r)) continue;
            StoredRow made{0, r.values};
            made.values[objectId] = id;
            made.values[inheritable] = false;
            entries.push_back(std::move(made));
        }
    // Permission lines: the account's entry on the object takes the line's
    // mask; another entry of the same account there goes (the reader ORs
    // them). A mask of none keeps the entry, with ACM 0, as Access keeps such
    // entries; an account without one gets none for it. A new entry is not
    // inheritable, as Access writes those of tables, queries and MSysDb.
    std::set<uint32_t> updated;
    for (const auto& [key, mask] : state_.permissions) {
        const auto id = permissionObjectId(key, ids);
        if (!id) throw FormatError("a permission line's object is not in the catalog");
        bool found = false;
        for (size_t i = 0; i < entries.size();) {
            StoredRow& e = entries[i];
            if (asInteger(e.values[objectId]) != *id || asBinary(e.values[sidCol]) != key.sid) {
                ++i;
                continue;
            }
            if (!found) {
                found = true;
                e.values[acm] = static_cast<int32_t>(mask);
                if (e.rowId) updated.insert(e.rowId);
                ++i;
                continue;
            }
            if (e.rowId) {
                aces.remove(e.rowId);
                updated.erase(e.rowId);
            }
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
        }
        if (found || mask == 0) continue;
        StoredRow made{0, aces.blank()};
        made.values[objectId] = *id;
        made.values[sidCol] = Binary{key.sid};
        made.values[acm] = static_cast<int32_t>(mask);
        made.values[inheritable] = false;
        fixTypes(aces, made.values);
        entries.push_back(std::move(made));
    }
    for (auto& e : entries) {
        if (e.rowId == 0)
            aces.insert(std::move(e.values));
        else if (updated.count(e.rowId))
            aces.update(e.rowId, e.values);
    }
    aces.finish();
}

// Saved queries: a query of the file that the session dropped goes with
// its MSysObjects row and its MSysQueries rows (its access entries follow
// its id); one made again with the same name and the same text keeps
// them all; a new one gets an MSysObjects row in the Tables container
// with an id from the file's sequence of negative ids.
void Writer::writeQueries(SystemEdit& objects, ObjectIds& ids) {
    const FileCatalog& c = catalog_;
    bool made = false;
    for (const auto& [key, q] : state_.queries) made = made || q.made;
    if (!made && state_.droppedQueries.empty()) return;
    if (!c.queries.present()) throw FormatError("the file has no MSysQueries");
    SystemEdit rows(*this, c.queries);
    std::map<int32_t, std::vector<uint32_t>> rowsOf;
    const size_t objectIdCol = rows.column("ObjectId");
    for (const auto& r : c.queries.rows)
        rowsOf[static_cast<int32_t>(asInteger(r.values[objectIdCol]))].push_back(r.rowId);
    std::set<std::string> kept;
    for (const auto& d : state_.droppedQueries) {
        const std::string key = text::fold(d.name);
        auto now = state_.queries.find(key);
        if (now != state_.queries.end() && now->second.made && now->second.name == d.name &&
            now->second.text == d.text) {
            kept.insert(key);
            continue;
        }
        if (!d.objectRow) throw FormatError("query " + d.name + " has no MSysObjects row");
        const StoredRow& o = c.objects.rows[*d.objectRow];
        const int32_t id = c.objectId(o);
        objects.remove(o.rowId);
        ids.gone.insert(id);
        for (uint32_t rowId : rowsOf[id]) rows.remove(rowId);
    }
    for (const auto& [key, q] : state_.queries) {
        if (!q.made || kept.count(key)) continue;
        RowValues v = newObject(objects, 0, msys::kTablesContainer, q.name, msys::kQuery,
                                q.made->objectFlags, ids.owner, ids.lastNegativeId);
        const int32_t id = static_cast<int32_t>(asInteger(v[objects.column("Id")]));
        objects.insert(std::move(v));
        for (auto& r : storedQueryRows(c.queries, id, *q.made)) {
            fixTypes(rows, r);
            rows.insert(std::move(r));
        }
        ids.created.emplace_back(id, q.name);
    }
    rows.finish();
}

// Values in the types the system table's columns hold.
void Writer::fixTypes(const SystemEdit& edit, RowValues& v) {
    const auto& cols = edit.table().definition().columns;
    for (size_t i = 0; i < cols.size(); ++i) {
        if (isNull(v[i])) continue;
        const size_t want = fieldKindOf(cols[i].type);
        if (v[i].index() == want) continue;
        const int64_t n = asInteger(v[i]);
        switch (cols[i].type) {
            case coltype::Int:
                v[i] = static_cast<int16_t>(n);
                break;
            case coltype::Long:
                v[i] = static_cast<int32_t>(n);
                break;
            case coltype::Byte:
                v[i] = static_cast<uint8_t>(n);
                break;
            case coltype::Boolean:
                v[i] = n != 0;
                break;
            default:
                throw FormatError("a catalog value of the wrong kind for " + cols[i].name);
        }
    }
}

}  // namespace jet::file::planner
