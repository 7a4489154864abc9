// GenerateScript on the engine: the record in place and the engine's options.
#include <gtest/gtest.h>

#include "ResultBuilder.h"
#include "engine/CCAccess.h"
#include "script/Script.h"

namespace {

using namespace rb;

TEST(GenerateScriptOnEngine, ReadsTheEnginesOptions) {
    auto engine = engine::CCAccess::create();
    const auto defaults = script::OptionsOf(*engine);
    EXPECT_TRUE(defaults.IncludeTables && defaults.IncludeIndexes && defaults.IncludeKeys &&
                defaults.IncludeViews && defaults.IncludeProcedures && defaults.IncludeUsers &&
                defaults.IncludeGroups);
    EXPECT_FALSE(defaults.DropOppositeObjects || defaults.SkipAutoIncrementColumns ||
                 defaults.IncludeIncrementAndSeed || defaults.CompareIncrementAndSeed);

    engine->IncludeTables(false);
    engine->IncludeIndexes(false);
    engine->IncludeKeys(false);
    engine->IncludeViews(false);
    engine->IncludeProcedures(false);
    engine->IncludeUsers(false);
    engine->IncludeGroups(false);
    engine->DropOppositeObjects(true);
    engine->SkipAutoIncrementColumns(true);
    engine->IncludeIncrementAndSeed(true);
    engine->CompareIncrementAndSeed(true);
    const auto o = script::OptionsOf(*engine);
    EXPECT_FALSE(o.IncludeTables || o.IncludeIndexes || o.IncludeKeys || o.IncludeViews ||
                 o.IncludeProcedures || o.IncludeUsers || o.IncludeGroups);
    EXPECT_TRUE(o.DropOppositeObjects && o.SkipAutoIncrementColumns && o.IncludeIncrementAndSeed &&
                o.CompareIncrementAndSeed);
}

TEST(GenerateScriptOnEngine, WritesTheSelectedElementsOfItsRecord) {
    auto engine = engine::CCAccess::create();
    TComparisonResult r;
    auto c = counter();
    c.Seed = 10;
    c.Increment = 2;
    r.Tables = arr({table("T", acOnlyInSource, true, {sourceOnly("A", c)}),
                    table("U", acOnlyInSource, false, {sourceOnly("A", integer())})});
    engine->Differences(r);
    engine->IncludeIncrementAndSeed(true);
    engine->CompareIncrementAndSeed(true);
    const auto s = script::GenerateScript(*engine, script::sdSourceToDestination, false);
    EXPECT_EQ(s.Statements, st("CREATE TABLE [T]\r\n(\r\n[A] COUNTER(10,2) NOT NULL\r\n);"));
    EXPECT_EQ(s.Blocks, "<JET:COLUMNS>\r\nT;A;13;0\r\nT;A;2;\r\n</JET:COLUMNS>\r\n\r\n");
    EXPECT_EQ(script::GenerateScript(*engine, script::sdDestinationToSource, false).Statements, "");
}

}  // namespace
