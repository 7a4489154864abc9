#pragma once
// The synchronisation script generator over one comparison result. The passes
// are public so that each can be exercised on its own; GenerateScript runs them
// in the script's order:
//   1. foreign keys of the target dropped        (ScriptDropKeys)
//   2. indexes of the target dropped             (ScriptDropIndexes)
//   3. table and column statements               (ScriptObject, smTableStatements)
//   4. indexes re-created                        (ScriptObject, smIndexStatements)
//   5. foreign keys re-created                   (ScriptCreateKeys)
//   6. views and procedures in dependency order  (ScriptViewsAndProcedures)
//   7. groups, then 8. users                     (ScriptObject)
// followed by the <JET:COLUMNS>, <JET:GROUPS> and <JET:USERS> blocks.
//
// Direction arguments are ScriptDirection values. The target side is the side
// the script changes (destination for 0, source for 1); the generating side is
// the other one, whose definitions are written. Element indexes are 1-based as
// in the record; an index outside its array throws std::out_of_range.
//
// The generator holds references to the record and the options: both must
// outlive it. The passes read the record only. Later passes learn from earlier
// ones what the script leaves out (so that nothing refers to it), which is why
// the passes are members and GenerateScript starts them afresh.
#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/ComparisonResult.h"
#include "script/Script.h"

namespace script {

class ScriptGenerator {
public:
    ScriptGenerator(const engine::TComparisonResult& result, const ScriptOptions& options,
                    bool matchColumnsBox);

    // The whole script, with Report holding what was left out and why, and
    // the counts of what the options kept as it stands.
    // Throws std::invalid_argument for a direction other than 0 or 1.
    [[nodiscard]] TScript GenerateScript(ScriptDirection direction);

    // Drops every foreign key of the target side. Other directions: "".
    [[nodiscard]] std::string ScriptDropKeys(int32_t direction);
    // Drops every index of the target side but those of foreign keys. With
    // keys not scripted the target's relationships stay: equal indexes and
    // those a relationship holds or refers to stay too (the changed ones
    // reported). Other directions: "".
    [[nodiscard]] std::string ScriptDropIndexes(int32_t direction);
    // One element: kind an engine::ObjectKind, index its position in its array;
    // mode (tables only) a ScriptMode. A non-zero direction counts as 1.
    [[nodiscard]] TScript ScriptObject(int32_t kind, int32_t index, int32_t direction,
                                       int32_t mode);
    // Re-creates the foreign keys: of changed tables from the generating side,
    // of the tables whose target definition stays (not selected, or kept
    // target-only tables) from the target side. One that the target could not
    // take after the earlier passes (its related table, a column on either
    // end, or a unique index on the related columns missing) is left out and
    // reported. Other directions: empty.
    [[nodiscard]] TScript ScriptCreateKeys(int32_t direction);
    // The ADD CONSTRAINT statement of one key from one side (an
    // engine::CompareSide); empty for another side, a key without columns or of
    // an unknown type.
    [[nodiscard]] TScript ScriptKeyConstraints(int32_t tableIndex, int32_t keyIndex, int32_t side);
    // The selected views and procedures, each after the selected ones its text
    // names; what waits on itself in a circle is written in list order.
    [[nodiscard]] TScript ScriptViewsAndProcedures(int32_t direction);

    // What the passes run so far left out, one sentence each.
    [[nodiscard]] const std::vector<std::string>& Report() const { return report_; }

private:
    // A relationship of the target side: the table that holds it and its key.
    struct Referrer {
        const engine::TTable* table;
        const engine::TKey* key;
    };
    // What a column of the target holds after the table statements.
    enum class ColumnFate { Present, LeftOut, Dropped, Absent };

    [[nodiscard]] TScript scriptTable(int32_t index, int32_t direction);
    void scriptCreateTable(const engine::TTable& table, int32_t index, int32_t direction,
                           TScript& out);
    void scriptAlterTable(const engine::TTable& table, int32_t direction, TScript& out);
    [[nodiscard]] TScript scriptIndexes(int32_t index, int32_t direction);
    [[nodiscard]] TScript scriptQuery(int32_t kind, int32_t index, int32_t direction);
    [[nodiscard]] TScript scriptPrincipal(int32_t kind, int32_t index, int32_t direction);

    [[nodiscard]] std::string typeText(const engine::TColumnProps& side) const;
    // Selected elements of included kinds found only on the target.
    [[nodiscard]] int32_t keptTargetOnly(int32_t direction) const;
    [[nodiscard]] bool keepsTargetDefinition(const engine::TTable& table, int32_t direction) const;
    // Whether the table's indexes are dropped and written again (one answer
    // for both passes, so that no index is dropped and left out).
    [[nodiscard]] bool rebuildsIndexes(const engine::TTable& table, int32_t direction) const;
    // The target's relationships that refer to a table (by folded name).
    [[nodiscard]] const std::vector<Referrer>& referrersOf(const std::string& foldedTable,
                                                           int32_t direction);
    // The target relationship that keeps an index of the target in place: the
    // relationship's own index, or the unique index it refers to.
    [[nodiscard]] std::optional<Referrer> pinnedBy(const engine::TTable& table,
                                                   const engine::TIndex& index, int32_t direction);
    [[nodiscard]] const engine::TTable* findTable(const std::string& name) const;
    [[nodiscard]] const engine::TPrincipal* findGroup(const std::string& name) const;
    // Whether the table stands on the target once the table statements ran.
    [[nodiscard]] bool tableAfterScript(const engine::TTable& table, int32_t direction) const;
    [[nodiscard]] ColumnFate columnAfterScript(const engine::TTable& table,
                                               const std::string& column, int32_t direction) const;
    // Whether the table has a unique index on the columns that a relationship
    // refers to once the index statements ran.
    [[nodiscard]] bool uniqueKeyAfterScript(const engine::TTable& table,
                                            const engine::TKeyProps& key, int32_t direction) const;
    // Why a foreign key cannot be written, or "" when it can.
    [[nodiscard]] std::string keyObstacle(const engine::TTable& table,
                                          const engine::TKeyProps& half, int32_t direction) const;
    // `target`: the column's properties on the target when the lines go to
    // that same column (so that a default it has and should not is cleared).
    void columnLines(std::string& block, const engine::TTable& table, const std::string& column,
                     const engine::TColumnProps& side,
                     const engine::TColumnProps* target = nullptr);
    // The <JET:COLUMNS> block of a table's lines; none, reported, when the
    // table's name cannot stand in a block line.
    [[nodiscard]] std::string wrapColumnBlock(const engine::TTable& table, std::string lines);
    void noteMissingColumn(const std::string& table, const std::string& column);
    [[nodiscard]] bool isMissingColumn(const std::string& table, const std::string& column) const;
    void note(std::string sentence) { report_.push_back(std::move(sentence)); }

    const engine::TComparisonResult& r_;
    const ScriptOptions& o_;
    bool matchColumnsBox_;

    std::vector<std::string> report_;
    int32_t skippedAutoIncrement_ = 0;
    // Tables the script drops, and new tables it leaves out.
    std::unordered_set<const engine::TTable*> droppedTables_;
    std::unordered_set<const engine::TTable*> leftOutTables_;
    // (folded table name, folded column name) of columns the target will lack
    // because the script leaves them out.
    std::set<std::pair<std::string, std::string>> missingColumns_;
    // (permission object type, element index) of new objects left out.
    std::set<std::pair<int32_t, int32_t>> leftOutObjects_;
    // Columns (under their target name) and unique indexes of the target that
    // the script drops; unique indexes it writes, with the half written.
    std::unordered_set<const engine::TColumn*> droppedColumns_;
    std::unordered_set<const engine::TIndex*> droppedIndexes_;
    std::unordered_map<const engine::TIndex*, const engine::TIndexProps*> writtenIndexes_;

    // Folded table name: its position in the record (the first of that name).
    std::unordered_map<std::string, int32_t> tableByName_;
    // Per direction, built on first use.
    std::array<std::optional<std::unordered_map<std::string, std::vector<Referrer>>>, 2> referrers_;
};

}  // namespace script
