#include "jet/writer/Planner.h"

#include <algorithm>

#include "jet/file/IndexBuilder.h"
#include "jet/file/LongValue.h"
#include "jet/file/PageEditor.h"
#include "jet/file/Row.h"
#include "jet/writer/PlannerWriter.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace planner {

size_t positionOf(const TableDefinition& def, uint16_t number) {
    for (size_t i = 0; i < def.columns.size(); ++i)
        if (def.columns[i].number == number) return i;
    throw FormatError("no column " + std::to_string(number), def.firstPage());
}

PlanResult Writer::run() {
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

// --- tables and their indexes -----------------------------------------------------

void Writer::collect() {
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

TablePlan* Writer::plan(const std::string& name) {
    auto it = plans_.find(text::fold(name));
    return it == plans_.end() ? nullptr : &it->second;
}

void Writer::allocateNewTables() {
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

// --- rows -----------------------------------------------------------------------------

// Long-value pages the writer made for a table's rows: marked used, and
// taken by the map of the table's first long-value column (they hold the
// values of every long-value column of the rows; readers follow the
// rows' pointers).
void Writer::addLongValuePages(const TableDefinition& def, const std::vector<uint32_t>& made) {
    if (made.empty()) return;
    for (uint32_t pg : made) pages_.markUsed(pg);
    if (def.longValueMaps.empty())
        throw FormatError("long values written for a table without long-value columns",
                          def.firstPage());
    const UsageMapRef where = def.longValueMaps.front().owned;
    UsageMap m =
        UsageMap::decode(pages_.peek(where.page).rows.at(where.row).bytes, file_, where.page);
    std::vector<uint32_t> all = m.pages();
    all.insert(all.end(), made.begin(), made.end());
    std::sort(all.begin(), all.end());
    pages_.writeUsageMap(where, all);
}

void Writer::writeRows(TablePlan& p) {
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

void Writer::freeIndexPages(const RealIndex& ri) {
    if (ri.map.page == 0) return;
    const UsageMap m = UsageMap::read(file_, ri.map);
    for (uint32_t pg : m.pages())
        if (pg < file_.originalPageCount()) pages_.release(pg);
}

// `rows`: the table's rows, which Access keeps beside the distinct keys.
void Writer::writeBuilt(const BuiltIndex& built, RealIndex& ri, uint32_t mapNear,
                        std::optional<UsageMapRef> reuse, uint32_t rows) {
    std::vector<uint32_t> pages;
    for (const auto& [pg, bytes] : built.pages) {
        auto out = file_.writable(pg);
        if (bytes.size() != out.size())
            throw FormatError("an index page was built for pages of another size");
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

void Writer::writeIndexes(TablePlan& p) {
    for (size_t i : p.droppedReals) freeIndexPages(p.state->original.realIndexes[i]);
    if (!p.droppedReals.empty()) result_.touchedTables.insert(p.page);
    for (size_t r : p.build) {
        const auto built =
            IndexBuilder::build(p.entries[r], p.page, [&] { return pages_.allocate(); },
                                file_.layout());
        writeBuilt(built, p.def.realIndexes[r], p.def.ownedPages.page, std::nullopt,
                   p.rowsHeld.value_or(p.def.rowCount));
        result_.touchedTables.insert(p.page);
    }
}

// --- definitions ----------------------------------------------------------------------

void Writer::writeDefinition(TablePlan& p) {
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

void Writer::freeTable(const TableDefinition& d) {
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

}  // namespace planner

PlanResult writePlan(PageFile& file, const FileCatalog& catalog, const FileState& state,
                     const statement::Model& model, const FileStorage& storage, DateTime now) {
    planner::Writer w(file, catalog, state, model, storage, now);
    return w.run();
}

}  // namespace jet::file
