// The planner's index plan: the entries the model asks for against those the
// file holds, laid out as real and logical indexes, numbered, linked to their
// relationships' partners, kept where nothing changed, and the entries of
// the indexes to build gathered from the rows.
#include <algorithm>
#include <optional>

#include "jet/file/Checker.h"
#include "jet/file/IndexBuilder.h"
#include "jet/writer/FileStorage.h"
#include "jet/writer/PlannerWriter.h"
#include "text/CaseFold.h"

namespace jet::file::planner {

namespace {

std::vector<IndexColumn> keyOf(const TableDefinition& def, const IndexDef& x) {
    std::vector<IndexColumn> key;
    for (const auto& ic : x.columns) {
        const ColumnDef* c = def.columnNamed(ic.name);
        if (!c) throw FormatError("index " + x.name + " names a column the table lacks");
        // Access writes 0x01 for an ascending column and 0x00 for a descending one.
        key.push_back(
            {c->number, static_cast<uint8_t>(ic.sortOrder == kSortDescending ? 0x00 : 0x01)});
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

}  // namespace

std::vector<Want> Writer::wantsOf(TablePlan& p) {
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
            if (!fk)
                throw FormatError("index " + x.name + " of " + m.name +
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
                if ((x.primary || (x.unique && !x.foreign)) && sameColumnSet(related, x.columns) &&
                    (!shared || x.primary))
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
std::vector<Want> Writer::originalWants(const TableState& t) {
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

void Writer::layoutIndexes(TablePlan& p) {
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
                        (ri.flags & idxflag::Rules) == (reals[r].flags & idxflag::Rules);
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
                    (finalReals[f].flags & idxflag::Rules) == (reals[r].flags & idxflag::Rules))
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
                (finalReals[f].flags & idxflag::Rules) == (reals[r].flags & idxflag::Rules)) {
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
void Writer::numberNewEntries(std::vector<LogicalIndex>& logical, const std::vector<bool>& fresh,
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
bool Writer::columnsUnchanged(const TableState& t, const std::vector<IndexColumn>& key) {
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

void Writer::linkRelationships(TablePlan& p) {
    for (size_t i = 0; i < p.wants.size(); ++i) {
        const Want& w = p.wants[i];
        if (w.type != idxtype::ForeignKey) continue;
        TablePlan* q = plan(w.other);
        if (!q) throw FormatError("relationship " + w.relationship + " names a missing table");
        LogicalIndex& li = p.def.logicalIndexes[i];
        li.relatedTablePage = q->page;
        li.relatedTableType = w.referenced ? 1 : 2;
        for (size_t j = 0; j < q->wants.size(); ++j)
            if (q->wants[j].type == idxtype::ForeignKey && q->wants[j].referenced != w.referenced &&
                text::equalNoCase(q->wants[j].relationship, w.relationship))
                li.relatedIndex = static_cast<int32_t>(q->def.logicalIndexes[j].number);
    }
}

// A table whose index sections end as they began keeps their bytes (and order).
void Writer::decideKept(TablePlan& p) {
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

void Writer::gatherEntries(TablePlan& p) {
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
            throw FormatError("index rules broken on table " + p.model->name + ": " + e.what());
        }
    }
}

}  // namespace jet::file::planner
