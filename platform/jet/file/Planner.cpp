#include "jet/file/Planner.h"

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <unordered_set>

#include "jet/Types.h"
#include "jet/file/FileQueries.h"
#include "jet/file/Checker.h"
#include "jet/file/FileStorage.h"
#include "jet/file/IndexBuilder.h"
#include "jet/file/IndexKey.h"
#include "jet/file/IndexPage.h"
#include "jet/file/LongValue.h"
#include "jet/file/PageEditor.h"
#include "jet/file/Row.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace {

using statement::ForeignKeyDef;
using statement::IndexDef;
using statement::TableDef;

// One logical index, by what it means rather than where it stands: what the
// model asks for, and what the file holds, are compared in these terms.
struct Want {
    std::string name;
    uint8_t type = idxtype::Normal;
    std::vector<IndexColumn> key;
    uint8_t flags = 0;
    // A relationship's entry: on the referencing table (`referenced` false)
    // or the ".r" entry on the table referred to.
    bool referenced = false;
    std::string other;         // the other table
    std::string relationship;  // the relationship's name
    uint8_t cascadeUpdates = 0;
    uint8_t cascadeDeletes = 0;

    [[nodiscard]] std::string identity() const {
        return (referenced ? "r:" : "n:") + text::fold(referenced ? relationship : name);
    }
    [[nodiscard]] bool sameAs(const Want& o) const {
        return identity() == o.identity() && type == o.type && key == o.key &&
               (flags & 0x0B) == (o.flags & 0x0B) && text::fold(other) == text::fold(o.other) &&
               cascadeUpdates == o.cascadeUpdates && cascadeDeletes == o.cascadeDeletes;
    }
};

struct TablePlan {
    const TableState* state = nullptr;
    const TableDef* model = nullptr;
    TableDefinition def;
    uint32_t page = 0;
    std::vector<Want> wants;                 // parallel to def.logicalIndexes
    std::vector<size_t> build;               // real indexes (positions) to build
    std::map<size_t, std::vector<IndexEntry>> entries;
    std::vector<size_t> droppedReals;        // positions in the original to free
    bool indexesKept = false;
    // The rows the table holds, when the session or the plan counted them.
    std::optional<uint32_t> rowsHeld;
};

std::vector<IndexColumn> keyOf(const TableDefinition& def, const IndexDef& x) {
    std::vector<IndexColumn> key;
    for (const auto& ic : x.columns) {
        const ColumnDef* c = def.columnNamed(ic.name);
        if (!c) throw FormatError("index " + x.name + " names a column the table lacks");
        // Access writes 0x01 for an ascending column and 0x00 for a descending one.
        key.push_back({c->number, static_cast<uint8_t>(ic.sortOrder == kSortDescending ? 0x00
                                                                                       : 0x01)});
    }
    return key;
}

bool sameColumnSet(const std::vector<std::string>& a, const std::vector<IndexColumnData>& b) {
    if (a.size() != b.size()) return false;
    for (const auto& n : a)
        if (std::none_of(b.begin(), b.end(),
                         [&](const IndexColumnData& c) { return text::equalNoCase(c.name, n); }))
            return false;
    return true;
}

uint8_t cascadeUpdatesOf(const ForeignKeyDef& fk) { return fk.updateRule == rule::Cascade ? 1 : 0; }
uint8_t cascadeDeletesOf(const ForeignKeyDef& fk) { return fk.deleteRule == rule::Cascade ? 1 : 0; }

int32_t relationshipFlags(const ForeignKeyDef& fk, bool oneToOne) {
    int32_t g = 0;
    if (oneToOne) g |= relflag::OneToOne;
    if (fk.updateRule == rule::Cascade) g |= relflag::CascadeUpdates;
    if (fk.deleteRule == rule::Cascade) g |= relflag::CascadeDeletes;
    if (fk.deleteRule == rule::SetNull) g |= relflag::CascadeNull;
    return g;
}

size_t positionOf(const TableDefinition& def, uint16_t number) {
    for (size_t i = 0; i < def.columns.size(); ++i)
        if (def.columns[i].number == number) return i;
    throw FormatError("no column " + std::to_string(number), def.firstPage());
}

class Writer {
public:
    Writer(PageFile& file, const FileCatalog& catalog, const FileState& state,
           const statement::Model& model, const FileStorage& storage, DateTime now)
        : file_(file),
          catalog_(catalog),
          state_(state),
          model_(model),
          storage_(storage),
          now_(now),
          pages_(file) {}

    PlanResult run() {
        collect();
        allocateNewTables();
        for (auto& [key, p] : plans_) layoutIndexes(p);
        for (auto& [key, p] : plans_) linkRelationships(p);
        for (auto& [key, p] : plans_) decideKept(p);
        for (auto& [key, p] : plans_) gatherEntries(p);
        for (auto& [key, p] : plans_) writeRows(p);
        for (auto& [key, p] : plans_) writeIndexes(p);
        for (const auto& t : state_.dropped) freeTable(t.original);
        for (auto& [key, p] : plans_) writeDefinition(p);
        writeCatalog();
        pages_.finish();
        return result_;
    }

private:
    // --- tables and their indexes -----------------------------------------------------

    void collect() {
        for (const auto& [key, m] : model_.tables) {
            auto it = state_.tables.find(m.id);
            if (it == state_.tables.end())
                throw FormatError("the writer holds no state of table " + m.name);
            TablePlan p;
            p.state = &it->second;
            p.model = &m;
            p.def = it->second.def;
            p.page = it->second.page;
            p.rowsHeld = it->second.rowsHeld;
            plans_.emplace(key, std::move(p));
        }
        for (const auto& t : catalog_.tables) originalNames_[t.definition.firstPage()] = t.name;
        for (const auto& ri : catalog_.objects.definition().realIndexes) realUnknown1_ = ri.unknown1;
    }

    TablePlan* plan(const std::string& name) {
        auto it = plans_.find(text::fold(name));
        return it == plans_.end() ? nullptr : &it->second;
    }

    void allocateNewTables() {
        for (auto& [key, p] : plans_) {
            // New long-value columns need maps of their own.
            const bool created = p.state->created;
            if (created) {
                p.def.ownedPages = pages_.newUsageMap(std::nullopt);
                p.def.freeSpacePages = pages_.newUsageMap(p.def.ownedPages.page);
            }
            for (auto& lv : p.def.longValueMaps)
                if (lv.owned.page == 0) {
                    lv.owned = pages_.newUsageMap(p.def.ownedPages.page);
                    lv.free = pages_.newUsageMap(p.def.ownedPages.page);
                }
            if (created) {
                // A first writing gives the definition its pages, which other
                // tables' relationships name; it is written again once they are.
                for (uint32_t freed : p.def.write(file_)) pages_.release(freed);
                for (uint32_t pg : p.def.pages()) pages_.markUsed(pg);
                p.page = p.def.firstPage();
            }
        }
    }

    std::vector<Want> wantsOf(TablePlan& p) {
        std::vector<Want> wants;
        const TableDef& m = *p.model;
        for (const auto& x : m.indexes) {
            Want w;
            w.name = x.name;
            w.type = x.primary   ? idxtype::PrimaryKey
                     : x.foreign ? idxtype::ForeignKey
                                 : idxtype::Normal;
            w.key = keyOf(p.def, x);
            w.flags = realIndexFlags(x);
            if (x.foreign) {
                const ForeignKeyDef* fk = m.foreignKey(x.name);
                if (!fk) throw FormatError("index " + x.name + " of " + m.name +
                                           " stands for no relationship");
                w.other = fk->relatedTable;
                w.relationship = fk->name;
                w.cascadeUpdates = cascadeUpdatesOf(*fk);
                w.cascadeDeletes = cascadeDeletesOf(*fk);
            } else {
                // Every Access-made entry that is no relationship's holds these.
                w.cascadeUpdates = 4;
                w.cascadeDeletes = 4;
            }
            wants.push_back(std::move(w));
        }
        // The ".r" entries of the relationships that refer to this table.
        for (const auto& [key, q] : plans_) {
            for (const auto& fk : q.model->foreignKeys) {
                if (!text::equalNoCase(fk.relatedTable, m.name)) continue;
                std::vector<std::string> related;
                for (const auto& kc : fk.columns) related.push_back(kc.relatedColumn);
                const IndexDef* shared = nullptr;
                for (const auto& x : m.indexes)
                    if ((x.primary || (x.unique && !x.foreign)) &&
                        sameColumnSet(related, x.columns) && (!shared || x.primary))
                        shared = &x;
                if (!shared)
                    throw FormatError("relationship " + fk.name + " refers to no unique index of " +
                                      m.name);
                Want w;
                w.type = idxtype::ForeignKey;
                w.referenced = true;
                w.other = q.model->name;
                w.relationship = fk.name;
                w.key = keyOf(p.def, *shared);
                w.flags = realIndexFlags(*shared);
                w.cascadeUpdates = cascadeUpdatesOf(fk);
                w.cascadeDeletes = cascadeDeletesOf(fk);
                wants.push_back(std::move(w));
            }
        }
        return wants;
    }

    // The original entries of a table of the file, in the same terms.
    std::vector<Want> originalWants(const TableState& t) {
        std::vector<Want> out;
        const TableDefinition& d = t.original;
        for (const auto& li : d.logicalIndexes) {
            Want w;
            w.name = li.name;
            w.type = li.indexType;
            if (li.realIndex < d.realIndexes.size()) {
                w.key = d.realIndexes[li.realIndex].keyColumns();
                w.flags = d.realIndexes[li.realIndex].flags;
            }
            w.cascadeUpdates = li.cascadeUpdates;
            w.cascadeDeletes = li.cascadeDeletes;
            if (li.indexType == idxtype::ForeignKey) {
                w.referenced = (li.relatedTableType & 0x01) != 0;
                auto it = originalNames_.find(li.relatedTablePage);
                w.other = it == originalNames_.end() ? std::string() : it->second;
                if (!w.referenced) {
                    w.relationship = li.name;
                } else {
                    // The referencing side's entry carries the relationship's name.
                    for (const auto& u : catalog_.tables)
                        if (u.definition.firstPage() == li.relatedTablePage)
                            for (const auto& other : u.definition.logicalIndexes)
                                if (static_cast<int32_t>(other.number) == li.relatedIndex)
                                    w.relationship = other.name;
                }
            }
            out.push_back(std::move(w));
        }
        return out;
    }

    void layoutIndexes(TablePlan& p) {
        const TableState& t = *p.state;
        std::vector<Want> wants = wantsOf(p);
        std::vector<Want> had = t.created ? std::vector<Want>{} : originalWants(t);
        const TableDefinition& orig = t.original;

        // Real indexes: those of the file that can stay, in their order, then new ones.
        struct RealWant {
            std::vector<IndexColumn> key;
            uint8_t flags;
        };
        std::vector<RealWant> reals;
        for (const auto& w : wants) {
            bool known = false;
            for (const auto& r : reals) known = known || (r.key == w.key && r.flags == w.flags);
            if (!known) reals.push_back({w.key, w.flags});
        }
        std::vector<RealIndex> finalReals;
        std::vector<std::optional<size_t>> finalFromOriginal;
        std::vector<bool> originalUsed(orig.realIndexes.size(), false);
        std::vector<size_t> realOf(reals.size());
        // First the file's own, in the file's order.
        for (size_t i = 0; i < orig.realIndexes.size() && !t.created; ++i) {
            const RealIndex& ri = orig.realIndexes[i];
            for (size_t r = 0; r < reals.size(); ++r) {
                const auto cols = ri.keyColumns();
                bool same = cols.size() == reals[r].key.size() &&
                            (ri.flags & 0x0B) == (reals[r].flags & 0x0B);
                for (size_t k = 0; same && k < cols.size(); ++k)
                    same = cols[k].number == reals[r].key[k].number &&
                           (cols[k].order == 0x01) == (reals[r].key[k].order == 0x01);
                if (!same || !columnsUnchanged(t, reals[r].key) || originalUsed[i]) continue;
                bool taken = false;
                for (size_t f = 0; f < finalFromOriginal.size(); ++f)
                    if (finalFromOriginal[f] && *finalFromOriginal[f] == i) taken = true;
                if (taken) continue;
                // This want may already have a real index.
                bool placed = false;
                for (size_t f = 0; f < finalReals.size(); ++f)
                    if (finalReals[f].keyColumns() == reals[r].key &&
                        (finalReals[f].flags & 0x0B) == (reals[r].flags & 0x0B))
                        placed = true;
                if (placed) continue;
                originalUsed[i] = true;
                realOf[r] = finalReals.size();
                finalReals.push_back(ri);
                finalFromOriginal.push_back(i);
                break;
            }
        }
        for (size_t r = 0; r < reals.size(); ++r) {
            bool placed = false;
            for (size_t f = 0; f < finalReals.size(); ++f)
                if (finalReals[f].keyColumns() == reals[r].key &&
                    (finalReals[f].flags & 0x0B) == (reals[r].flags & 0x0B)) {
                    realOf[r] = f;
                    placed = true;
                }
            if (placed) continue;
            RealIndex ri;
            ri.unknown1 = realUnknown1_;
            for (size_t k = 0; k < reals[r].key.size(); ++k) ri.columns[k] = reals[r].key[k];
            ri.flags = reals[r].flags;
            realOf[r] = finalReals.size();
            p.build.push_back(finalReals.size());
            finalReals.push_back(ri);
            finalFromOriginal.push_back(std::nullopt);
        }
        for (size_t i = 0; i < orig.realIndexes.size() && !t.created; ++i)
            if (!originalUsed[i]) p.droppedReals.push_back(i);

        // Logical indexes: the file's entry where it means the same, else a new one.
        std::vector<bool> hadUsed(had.size(), false);
        std::vector<LogicalIndex> logical;
        std::vector<bool> fresh;
        for (auto& w : wants) {
            size_t r = 0;
            while (!(reals[r].key == w.key && reals[r].flags == w.flags)) ++r;
            LogicalIndex li;
            bool matched = false;
            for (size_t h = 0; h < had.size() && !matched; ++h) {
                if (hadUsed[h] || !had[h].sameAs(w)) continue;
                hadUsed[h] = true;
                matched = true;
                li = orig.logicalIndexes[h];
                w.name = li.name;
            }
            if (!matched) {
                li = LogicalIndex{};
                putLe32(li.unknown1.data(), p.def.unknown12);
                li.indexType = w.type;
                li.cascadeUpdates = w.cascadeUpdates;
                li.cascadeDeletes = w.cascadeDeletes;
                if (w.type == idxtype::ForeignKey) li.relatedTableType = w.referenced ? 1 : 2;
                li.name = w.name;
            }
            li.realIndex = static_cast<uint32_t>(realOf[r]);
            logical.push_back(std::move(li));
            fresh.push_back(!matched);
        }
        numberNewEntries(logical, fresh, wants);
        // Access keeps the entries in the order of their names.
        std::vector<size_t> order(logical.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return text::compareNoCase(logical[a].name, logical[b].name) < 0;
        });
        p.def.realIndexes = std::move(finalReals);
        p.def.logicalIndexes.clear();
        p.wants.clear();
        for (size_t i : order) {
            p.def.logicalIndexes.push_back(logical[i]);
            p.wants.push_back(wants[i]);
        }
    }

    // Numbers for the new entries. Jet numbers a table's logical indexes in the
    // order they are made and never reuses a number; libmdb, one of the
    // readers that judge what is written, finds a real index's columns only
    // through the entry (not a relationship's) numbered as the real index. So
    // a new entry takes its real index's number when it can, a relationship's
    // entry holding that number moves to the next free one (its partner
    // follows, linkRelationships), and every other new entry takes the next
    // free number.
    static void numberNewEntries(std::vector<LogicalIndex>& logical, const std::vector<bool>& fresh,
                                 std::vector<Want>& wants) {
        std::set<uint32_t> used;
        for (size_t i = 0; i < logical.size(); ++i)
            if (!fresh[i]) used.insert(logical[i].number);
        const auto nextFree = [&]() {
            uint32_t n = used.empty() ? 0 : *used.rbegin() + 1;
            used.insert(n);
            return n;
        };
        std::vector<bool> numbered(logical.size(), false);
        for (size_t i = 0; i < logical.size(); ++i) numbered[i] = !fresh[i];
        for (size_t i = 0; i < logical.size(); ++i) {
            if (!fresh[i] || logical[i].indexType == idxtype::ForeignKey) continue;
            const uint32_t wanted = logical[i].realIndex;
            bool claimedByPlain = false;
            for (size_t j = 0; j < logical.size(); ++j)
                if (j != i && numbered[j] && logical[j].number == wanted &&
                    logical[j].indexType != idxtype::ForeignKey)
                    claimedByPlain = true;
            if (claimedByPlain) continue;
            for (size_t j = 0; j < logical.size(); ++j)
                if (j != i && numbered[j] && logical[j].number == wanted) numbered[j] = false;
            logical[i].number = wanted;
            used.insert(wanted);
            numbered[i] = true;
        }
        for (size_t i = 0; i < logical.size(); ++i) {
            if (!numbered[i]) logical[i].number = nextFree();
            // Jet names the entry on the table referred to after its number.
            if (fresh[i] && wants[i].referenced) {
                wants[i].name = ".r" + std::string(1, static_cast<char>('A' + logical[i].number % 26));
                logical[i].name = wants[i].name;
            }
        }
    }

    // True when no column of `key` changed its values or its place in this session.
    static bool columnsUnchanged(const TableState& t, const std::vector<IndexColumn>& key) {
        for (const auto& k : key) {
            const ColumnDef* now = t.def.column(k.number);
            const ColumnDef* was = t.original.column(k.number);
            if (!now || !was || now->type != was->type || now->misc != was->misc) return false;
            if (now->fixed() != was->fixed()) return false;
            if (now->fixed() ? (now->fixedOffset != was->fixedOffset || now->length != was->length)
                             : now->variableIndex != was->variableIndex)
                return false;
            if (t.rowsChanged() && t.changedColumns.count(k.number)) return false;
        }
        return true;
    }

    void linkRelationships(TablePlan& p) {
        for (size_t i = 0; i < p.wants.size(); ++i) {
            const Want& w = p.wants[i];
            if (w.type != idxtype::ForeignKey) continue;
            TablePlan* q = plan(w.other);
            if (!q) throw FormatError("relationship " + w.relationship + " names a missing table");
            LogicalIndex& li = p.def.logicalIndexes[i];
            li.relatedTablePage = q->page;
            li.relatedTableType = w.referenced ? 1 : 2;
            for (size_t j = 0; j < q->wants.size(); ++j)
                if (q->wants[j].type == idxtype::ForeignKey &&
                    q->wants[j].referenced != w.referenced &&
                    text::equalNoCase(q->wants[j].relationship, w.relationship))
                    li.relatedIndex = static_cast<int32_t>(q->def.logicalIndexes[j].number);
        }
    }

    // A table whose index sections end as they began keeps their bytes (and order).
    void decideKept(TablePlan& p) {
        const TableDefinition& orig = p.state->original;
        if (p.state->created || !p.build.empty() || !p.droppedReals.empty()) return;
        if (p.def.realIndexes != orig.realIndexes) return;
        if (p.def.logicalIndexes.size() != orig.logicalIndexes.size()) return;
        std::vector<bool> used(orig.logicalIndexes.size(), false);
        for (const auto& li : p.def.logicalIndexes) {
            bool found = false;
            for (size_t j = 0; j < orig.logicalIndexes.size() && !found; ++j)
                if (!used[j] && orig.logicalIndexes[j] == li) used[j] = found = true;
            if (!found) return;
        }
        p.def.logicalIndexes = orig.logicalIndexes;
        p.indexesKept = true;
    }

    void gatherEntries(TablePlan& p) {
        if (p.build.empty()) return;
        for (size_t r : p.build) {
            const RealIndex& ri = p.def.realIndexes[r];
            const auto columns = keyColumns(p.def, ri);
            std::vector<size_t> at;
            for (const auto& ic : ri.keyColumns()) at.push_back(positionOf(p.def, ic.number));
            std::vector<IndexRow> rows;
            storage_.forEachRow(*p.state, [&](uint32_t id, const RowValues& v) {
                IndexRow row;
                row.page = id >> 8;
                row.row = static_cast<uint8_t>(id & 0xFF);
                for (size_t k : at) row.values.push_back(v[k]);
                rows.push_back(std::move(row));
            });
            if (!p.state->created) p.rowsHeld = static_cast<uint32_t>(rows.size());
            bool primary = false;
            for (const auto& li : p.def.logicalIndexes)
                if (li.realIndex == r && li.indexType == idxtype::PrimaryKey) primary = true;
            try {
                p.entries[r] =
                    IndexBuilder::entries(columns, rows, IndexRules::fromFlags(ri.flags, primary));
            } catch (const KeyViolation& e) {
                throw FormatError("index rules broken on table " + p.model->name + ": " +
                                  e.what());
            }
        }
    }

    // --- rows -----------------------------------------------------------------------------

    // Long-value pages the writer made for a table's rows: marked used, and
    // taken by the map of the table's first long-value column (they hold the
    // values of every long-value column of the rows; readers follow the
    // rows' pointers).
    void addLongValuePages(const TableDefinition& def, const std::vector<uint32_t>& made) {
        if (made.empty()) return;
        for (uint32_t pg : made) pages_.markUsed(pg);
        if (def.longValueMaps.empty())
            throw FormatError("long values written for a table without long-value columns",
                              def.firstPage());
        const UsageMapRef where = def.longValueMaps.front().owned;
        UsageMap m = UsageMap::decode(pages_.peek(where.page).rows.at(where.row).bytes, file_,
                                      where.page);
        std::vector<uint32_t> all = m.pages();
        all.insert(all.end(), made.begin(), made.end());
        std::sort(all.begin(), all.end());
        pages_.writeUsageMap(where, all);
    }

    void writeRows(TablePlan& p) {
        if (!p.state->rowsChanged()) return;
        RowEditor editor(pages_, p.page, p.def.ownedPages, p.def.freeSpacePages);
        LongValueWriter longValues(file_);
        for (const auto& [id, values] : *p.state->changed)
            editor.update(id, encodeRow(p.def, values, &longValues));
        editor.finish();
        addLongValuePages(p.def, longValues.pages());
        result_.rewrittenTables.insert(p.page);
        result_.touchedTables.insert(p.page);
    }

    // --- indexes --------------------------------------------------------------------------

    void freeIndexPages(const RealIndex& ri) {
        if (ri.map.page == 0) return;
        const UsageMap m = UsageMap::read(file_, ri.map);
        for (uint32_t pg : m.pages())
            if (pg < file_.originalPageCount()) pages_.release(pg);
    }

    // `rows`: the table's rows, which Access keeps beside the distinct keys.
    void writeBuilt(const BuiltIndex& built, RealIndex& ri, uint32_t mapNear,
                    std::optional<UsageMapRef> reuse, uint32_t rows) {
        std::vector<uint32_t> pages;
        for (const auto& [pg, bytes] : built.pages) {
            auto out = file_.writable(pg);
            std::copy(bytes.begin(), bytes.end(), out.begin());
            pages.push_back(pg);
        }
        std::sort(pages.begin(), pages.end());
        const UsageMapRef where = reuse ? *reuse : pages_.newUsageMap(mapNear);
        pages_.writeUsageMap(where, pages);
        ri.map = where;
        ri.firstPage = built.root;
        ri.slotRowCount = built.distinctKeys;
        ri.slotUnknown1 = rows;
    }

    void writeIndexes(TablePlan& p) {
        for (size_t i : p.droppedReals) freeIndexPages(p.state->original.realIndexes[i]);
        if (!p.droppedReals.empty()) result_.touchedTables.insert(p.page);
        for (size_t r : p.build) {
            const auto built = IndexBuilder::build(p.entries[r], p.page,
                                                   [&] { return pages_.allocate(); });
            writeBuilt(built, p.def.realIndexes[r], p.def.ownedPages.page, std::nullopt,
                       p.rowsHeld.value_or(p.def.rowCount));
            result_.touchedTables.insert(p.page);
        }
    }

    // --- definitions ----------------------------------------------------------------------

    void writeDefinition(TablePlan& p) {
        if (p.state->lastCounter) p.def.nextCounterValue = *p.state->lastCounter;
        for (uint32_t freed : p.def.write(file_)) pages_.release(freed);
        bool changed = p.state->created;
        for (uint32_t pg : p.def.pages()) changed = changed || file_.changed(pg);
        // A definition written again counts the rows its table holds, where
        // they were counted: Access's count can lag behind them. One that
        // stays as it was keeps its count.
        if (changed && p.rowsHeld && *p.rowsHeld != p.def.rowCount) {
            p.def.rowCount = *p.rowsHeld;
            for (uint32_t freed : p.def.write(file_)) pages_.release(freed);
        }
        for (uint32_t pg : p.def.pages())
            if (pg >= file_.originalPageCount()) pages_.markUsed(pg);
        if (changed) {
            result_.touchedTables.insert(p.page);
            definitionChanged_.insert(p.page);
        }
    }

    void freeTable(const TableDefinition& d) {
        std::set<uint32_t> pages(d.pages().begin(), d.pages().end());
        const auto add = [&](UsageMapRef ref) {
            if (ref.page == 0) return;
            const UsageMap m = UsageMap::read(file_, ref);
            for (uint32_t pg : m.pages()) pages.insert(pg);
        };
        add(d.ownedPages);
        for (const auto& lv : d.longValueMaps) add(lv.owned);
        for (const auto& ri : d.realIndexes) add(ri.map);
        for (uint32_t pg : pages)
            if (pg >= 2 && pg < file_.originalPageCount()) pages_.release(pg);
    }

    // --- the catalog ----------------------------------------------------------------------

    // A system table's rows changed in place, with its indexes rebuilt from
    // the entries they had.
    class SystemEdit {
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
                        rows[i].bytes.empty() &&
                        !pointedTo.count(page << 8 | static_cast<uint32_t>(i)))
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
            const auto built = IndexBuilder::build(entries, def_.firstPage(),
                                                   [&] { return w_.pages_.allocate(); });
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
    RowValues newObject(const SystemEdit& objects, int32_t id, int32_t parent,
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

    void writeCatalog() {
        const FileCatalog& c = catalog_;
        SystemEdit objects(*this, c.objects);
        const size_t updateCol = objects.column("DateUpdate"), ownerCol = objects.column("Owner"),
                     propsCol = objects.column("LvProp");

        // The owner new objects get: the file's tables' own.
        FieldValue owner;
        for (const auto& t : c.tables) {
            owner = c.objects.rows[t.objectRow].values[ownerCol];
            break;
        }
        int32_t lastNegativeId = std::numeric_limits<int32_t>::min();
        bool anyNegative = false;
        for (const auto& r : c.objects.rows)
            if (c.objectId(r) < 0) {
                lastNegativeId = anyNegative ? std::max(lastNegativeId, c.objectId(r))
                                             : c.objectId(r);
                anyNegative = true;
            }
        if (isNull(owner))
            for (const auto& r : c.objects.rows)
                if (c.objectType(r) == msys::kQuery && isNull(owner)) owner = r.values[ownerCol];
        if (isNull(owner))
            for (const auto& r : c.objects.rows)
                if (c.objectId(r) == msys::kTablesContainer) owner = r.values[ownerCol];

        // Dropped tables and their access entries.
        std::set<int32_t> goneIds;
        for (const auto& t : state_.dropped) {
            objects.remove(c.objects.rows[t.objectRow].rowId);
            goneIds.insert(c.objectId(c.objects.rows[t.objectRow]));
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
        std::vector<std::pair<int32_t, std::string>> createdIds;
        for (const auto& [key, p] : plans_) {
            const TableState& t = *p.state;
            if (!t.created) continue;
            RowValues v = newObject(objects, static_cast<int32_t>(p.page), msys::kTablesContainer,
                                    t.name, msys::kTable, 0, owner, lastNegativeId);
            if (t.props && !t.props->chunks.empty()) {
                const Bytes blob = t.props->encode();
                v[propsCol] = Binary{std::string(blob.begin(), blob.end())};
            }
            objects.insert(std::move(v));
            createdIds.emplace_back(static_cast<int32_t>(p.page), t.name);
        }

        // Relationships: what the model holds against what the file holds.
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
                cols[text::fold(n)][asInteger(row.values[icolumn])] = {
                    asText(row.values[column]), asText(row.values[refColumn])};
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
            for (const auto& fk : p.model->foreignKeys)
                wanted[text::fold(fk.name)] = {p.model, &fk};

        std::optional<SystemEdit> rels;
        if (c.relationships.present()) rels.emplace(*this, c.relationships);
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
                                     msys::kRelationship, 0, owner, lastNegativeId));
        }

        writeQueries(objects, owner, lastNegativeId, goneIds, createdIds);

        // Access entries: a new table or query takes the inheritable entries
        // of the Tables container (all but its placeholder), as its own.
        if (c.aces.present() && (!goneIds.empty() || !createdIds.empty())) {
            SystemEdit aces(*this, c.aces);
            const size_t objectId = aces.column("ObjectId"), acm = aces.column("ACM"),
                         inheritable = aces.column("FInheritable");
            for (const auto& r : c.aces.rows)
                if (goneIds.count(static_cast<int32_t>(asInteger(r.values[objectId]))))
                    aces.remove(r.rowId);
            for (const auto& [id, name] : createdIds)
                for (const auto& r : c.aces.rows) {
                    if (asInteger(r.values[objectId]) != msys::kTablesContainer) continue;
                    const auto rights = static_cast<uint32_t>(asInteger(r.values[acm]));
                    if (rights == 0xF00FEu || asInteger(r.values[inheritable]) == 0) continue;
                    RowValues v = r.values;
                    v[objectId] = id;
                    v[inheritable] = false;
                    aces.insert(std::move(v));
                }
            aces.finish();
        }
        if (rels) rels->finish();
        objects.finish();
    }

    // Saved queries: a query of the file that the session dropped goes with
    // its MSysObjects row and its MSysQueries rows (its access entries follow
    // its id); one made again with the same name and the same text keeps
    // them all; a new one gets an MSysObjects row in the Tables container
    // with an id from the file's sequence of negative ids.
    void writeQueries(SystemEdit& objects, const FieldValue& owner, int32_t& lastNegativeId,
                      std::set<int32_t>& goneIds,
                      std::vector<std::pair<int32_t, std::string>>& createdIds) {
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
            goneIds.insert(id);
            for (uint32_t rowId : rowsOf[id]) rows.remove(rowId);
        }
        for (const auto& [key, q] : state_.queries) {
            if (!q.made || kept.count(key)) continue;
            RowValues v = newObject(objects, 0, msys::kTablesContainer, q.name, msys::kQuery,
                                    q.made->objectFlags, owner, lastNegativeId);
            const int32_t id = static_cast<int32_t>(asInteger(v[objects.column("Id")]));
            objects.insert(std::move(v));
            for (auto& r : storedQueryRows(c.queries, id, *q.made)) {
                fixTypes(rows, r);
                rows.insert(std::move(r));
            }
            createdIds.emplace_back(id, q.name);
        }
        rows.finish();
    }

    // Values in the types the system table's columns hold.
    static void fixTypes(const SystemEdit& edit, RowValues& v) {
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

    PageFile& file_;
    const FileCatalog& catalog_;
    const FileState& state_;
    const statement::Model& model_;
    const FileStorage& storage_;
    DateTime now_;
    PageEditor pages_;
    std::map<std::string, TablePlan> plans_;
    std::map<uint32_t, std::string> originalNames_;
    std::array<uint8_t, 4> realUnknown1_{0x83, 0x07, 0x00, 0x00};
    std::set<uint32_t> definitionChanged_;
    PlanResult result_;
};

}  // namespace

PlanResult writePlan(PageFile& file, const FileCatalog& catalog, const FileState& state,
                     const statement::Model& model, const FileStorage& storage, DateTime now) {
    Writer w(file, catalog, state, model, storage, now);
    return w.run();
}

}  // namespace jet::file
