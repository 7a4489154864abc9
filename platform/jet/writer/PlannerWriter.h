#pragma once
// The planner's writer, shared by its files: Planner.cpp runs the steps
// (tables, rows, indexes, definitions), PlannerIndexes.cpp plans each table's
// indexes, PlannerCatalog.cpp writes the catalog's rows. Nothing outside the
// planner includes this.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "jet/file/IndexBuilder.h"
#include "jet/file/PageEditor.h"
#include "jet/writer/Planner.h"
#include "text/CaseFold.h"

namespace jet::file::planner {

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
               (flags & idxflag::Rules) == (o.flags & idxflag::Rules) &&
               text::fold(other) == text::fold(o.other) && cascadeUpdates == o.cascadeUpdates &&
               cascadeDeletes == o.cascadeDeletes;
    }
};

struct TablePlan {
    const TableState* state = nullptr;
    const TableDef* model = nullptr;
    TableDefinition def;
    uint32_t page = 0;
    std::vector<Want> wants;    // parallel to def.logicalIndexes
    std::vector<size_t> build;  // real indexes (positions) to build
    std::map<size_t, std::vector<IndexEntry>> entries;
    std::vector<size_t> droppedReals;  // positions in the original to free
    bool indexesKept = false;
    // The rows the table holds, when the session or the plan counted them.
    std::optional<uint32_t> rowsHeld;
};

// The position in the definition's columns of the column numbered `number`.
size_t positionOf(const TableDefinition& def, uint16_t number);

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

    PlanResult run();

private:
    class SystemEdit;

    // The ids the catalog's new rows take and give: the owner new objects
    // get, the last of the file's negative ids handed out, and the objects
    // that went and came (their access entries follow them).
    struct ObjectIds {
        FieldValue owner;
        int32_t lastNegativeId = 0;
        std::set<int32_t> gone;
        std::vector<std::pair<int32_t, std::string>> created;
    };

    // Tables (Planner.cpp).
    void collect();
    TablePlan* plan(const std::string& name);
    void allocateNewTables();

    // The index plan (PlannerIndexes.cpp).
    std::vector<Want> wantsOf(TablePlan& p);
    std::vector<Want> originalWants(const TableState& t);
    void layoutIndexes(TablePlan& p);
    static void numberNewEntries(std::vector<LogicalIndex>& logical, const std::vector<bool>& fresh,
                                 std::vector<Want>& wants);
    static bool columnsUnchanged(const TableState& t, const std::vector<IndexColumn>& key);
    void linkRelationships(TablePlan& p);
    void decideKept(TablePlan& p);
    void gatherEntries(TablePlan& p);

    // Rows, indexes and definitions (Planner.cpp).
    void addLongValuePages(const TableDefinition& def, const std::vector<uint32_t>& made);
    void writeRows(TablePlan& p);
    void freeIndexPages(const RealIndex& ri);
    void writeBuilt(const BuiltIndex& built, RealIndex& ri, uint32_t mapNear,
                    std::optional<UsageMapRef> reuse, uint32_t rows);
    void writeIndexes(TablePlan& p);
    void writeDefinition(TablePlan& p);
    void freeTable(const TableDefinition& d);

    // The catalog (PlannerCatalog.cpp).
    RowValues newObject(const SystemEdit& objects, int32_t id, int32_t parent,
                        const std::string& name, int32_t type, int32_t flags,
                        const FieldValue& owner, int32_t& lastNegativeId);
    void writeCatalog();
    [[nodiscard]] FieldValue newObjectsOwner() const;
    [[nodiscard]] int32_t lastNegativeIdHeld() const;
    void writeTableObjects(SystemEdit& objects, ObjectIds& ids);
    void writeRelationships(SystemEdit& objects, std::optional<SystemEdit>& rels, ObjectIds& ids);
    void writeAccessEntries(const ObjectIds& ids);
    [[nodiscard]] std::optional<int32_t> permissionObjectId(const PermissionKey& key,
                                                            const ObjectIds& ids) const;
    void writeQueries(SystemEdit& objects, ObjectIds& ids);
    static void fixTypes(const SystemEdit& edit, RowValues& v);

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

}  // namespace jet::file::planner
