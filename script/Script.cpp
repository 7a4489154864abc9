#include "script/Script.h"

#include "engine/CCAccess.h"
#include "script/ScriptGenerator.h"

namespace script {

TScript GenerateScript(const engine::TComparisonResult& result, const ScriptOptions& options,
                       ScriptDirection direction, bool matchColumnsBox) {
    ScriptGenerator generator(result, options, matchColumnsBox);
    return generator.GenerateScript(direction);
}

ScriptOptions OptionsOf(const engine::CCAccess& engine) {
    ScriptOptions o;
    o.IncludeTables = engine.IncludeTables();
    o.IncludeIndexes = engine.IncludeIndexes();
    o.IncludeKeys = engine.IncludeKeys();
    o.IncludeViews = engine.IncludeViews();
    o.IncludeProcedures = engine.IncludeProcedures();
    o.IncludeUsers = engine.IncludeUsers();
    o.IncludeGroups = engine.IncludeGroups();
    o.DropOppositeObjects = engine.DropOppositeObjects();
    o.SkipAutoIncrementColumns = engine.SkipAutoIncrementColumns();
    o.IncludeIncrementAndSeed = engine.IncludeIncrementAndSeed();
    o.CompareIncrementAndSeed = engine.CompareIncrementAndSeed();
    return o;
}

TScript GenerateScript(const engine::CCAccess& engine, ScriptDirection direction,
                       bool matchColumnsBox) {
    const ScriptOptions options = OptionsOf(engine);
    return GenerateScript(engine.Result(), options, direction, matchColumnsBox);
}

}  // namespace script
