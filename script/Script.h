#pragma once
// The synchronisation script: what the generator returns and the options it
// reads. A script is Jet SQL statements, each followed by a "RUN" separator
// line, then the column-property and permission blocks that the runner applies
// through the catalog after the statements (layout: ScriptFile.h).
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ComparisonResult.h"

namespace engine {
class CCAccess;
}

namespace script {

struct TScript {
    // Statements, each ending with the separator CRLF CRLF "RUN" CRLF CRLF.
    std::string Statements;
    // The <JET:COLUMNS>, <JET:GROUPS> and <JET:USERS> blocks, in that order.
    std::string Blocks;
    // One sentence per thing the script leaves out because it cannot be
    // written safely (a type without Jet SQL text, a value the file format
    // cannot carry), for the caller to show beside the script.
    std::vector<std::string> Report;
    // What the script options leave as it stands on the target, so that a
    // comparison after the run still finds it, for the caller to tell:
    // selected objects found only on the target, kept while
    // DropOppositeObjects is off;
    int32_t KeptTargetOnly = 0;
    // and columns of changed tables that are AutoIncrement on the generating
    // side and would be added, renamed or altered, skipped while
    // SkipAutoIncrementColumns is on.
    int32_t SkippedAutoIncrement = 0;
};

enum ScriptDirection : int32_t {
    sdSourceToDestination = 0,  // the script changes the destination
    sdDestinationToSource = 1,  // the script changes the source
};

// What ScriptObject writes for a table.
enum ScriptMode : int32_t {
    smTableStatements = 1,
    smIndexStatements = 2,
};

// The engine's options that the generator reads, with the engine's defaults.
struct ScriptOptions {
    bool IncludeTables = true;
    bool IncludeIndexes = true;
    bool IncludeKeys = true;
    bool IncludeViews = true;
    bool IncludeProcedures = true;
    bool IncludeUsers = true;
    bool IncludeGroups = true;
    bool DropOppositeObjects = false;
    bool SkipAutoIncrementColumns = false;
    bool IncludeIncrementAndSeed = false;
    // The seeded COUNTER(seed,increment) form is written only when seeds and
    // increments were read, that is when this was on during the comparison.
    bool CompareIncrementAndSeed = false;
};

// The script for the selected elements of `result`, in `direction`.
// `matchColumnsBox`: whether a paired column whose name differs on the two
// sides is to be renamed (the wizard's "match columns" box at this moment).
// Reads `result` only. Throws std::invalid_argument for a direction other than
// the two above, std::out_of_range when an index in the record points outside
// its array; nothing is returned then.
[[nodiscard]] TScript GenerateScript(const engine::TComparisonResult& result,
                                     const ScriptOptions& options, ScriptDirection direction,
                                     bool matchColumnsBox);

// The same for the engine's record in place, with the options read from the
// engine (its Include options, the three script options and
// CompareIncrementAndSeed).
[[nodiscard]] TScript GenerateScript(const engine::CCAccess& engine, ScriptDirection direction,
                                     bool matchColumnsBox);

// The generator's options as the engine holds them.
[[nodiscard]] ScriptOptions OptionsOf(const engine::CCAccess& engine);

}  // namespace script
