// The generator on small hand-made records: statement order, each statement's
// exact text, the blocks, and both directions (every case is also run on the
// mirrored record in the other direction, which must give the same script).
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "ResultBuilder.h"
#include "script/Script.h"
#include "script/ScriptGenerator.h"

namespace {

using namespace rb;
using script::ScriptGenerator;
using script::ScriptOptions;
using script::TScript;

struct Case {
    const char* name;
    std::function<TComparisonResult()> record;
    ScriptOptions options;
    int32_t direction;
    bool match;
    std::string statements;
    std::string blocks;
    size_t reports = 0;
    // False where the two sides' names differ and the text names one side's.
    bool mirrors = true;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

ScriptOptions options(const std::function<void(ScriptOptions&)>& change = {}) {
    ScriptOptions o;
    if (change) change(o);
    return o;
}
// Tables without their keys and indexes.
ScriptOptions tablesOnly(const std::function<void(ScriptOptions&)>& change = {}) {
    return options([&](ScriptOptions& o) {
        o.IncludeKeys = false;
        o.IncludeIndexes = false;
        if (change) change(o);
    });
}

TComparisonResult withTables(std::initializer_list<TTable> tables) {
    TComparisonResult r;
    r.Tables = arr(tables);
    return r;
}

std::string columns(const std::string& lines) {
    return "<JET:COLUMNS>\r\n" + lines + "</JET:COLUMNS>\r\n\r\n";
}

TScript generate(const TComparisonResult& r, const ScriptOptions& o, int32_t direction,
                 bool match) {
    return script::GenerateScript(r, o, static_cast<script::ScriptDirection>(direction), match);
}

class Generate : public ::testing::TestWithParam<Case> {};

TEST_P(Generate, WritesTheExpectedScriptInBothDirections) {
    const Case& c = GetParam();
    const TComparisonResult record = c.record();
    const TScript s = generate(record, c.options, c.direction, c.match);
    EXPECT_EQ(s.Statements, c.statements);
    EXPECT_EQ(s.Blocks, c.blocks);
    EXPECT_EQ(s.Report.size(), c.reports) << (s.Report.empty() ? "" : s.Report.front());
    if (!c.mirrors) return;

    const TScript m = generate(mirror(record), c.options, 1 - c.direction, c.match);
    EXPECT_EQ(m.Statements, c.statements) << "mirrored record, other direction";
    EXPECT_EQ(m.Blocks, c.blocks) << "mirrored record, other direction";
    EXPECT_EQ(m.Report, s.Report);
    EXPECT_EQ(m.KeptTargetOnly, s.KeptTargetOnly);
    EXPECT_EQ(m.SkippedAutoIncrement, s.SkippedAutoIncrement);
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }

// ---------------------------------------------------------------------------
// Tables and columns

TColumnProps compressedText(int32_t size, bool notNull) {
    auto p = text(size);
    p.Compressed = true;
    p.NotNull = notNull;
    return p;
}

TColumnProps described(TColumnProps p, std::string description, std::string def = {}) {
    p.Description = std::move(description);
    p.Default = std::move(def);
    return p;
}

TColumnProps decimal(uint8_t precision, uint8_t scale) {
    auto p = type(131, 19);
    p.Precision = precision;
    p.NumericScale = scale;
    return p;
}

const Case kTableCases[] = {
    {"WorkedExample",
     [] {
         auto b = compressedText(50, false);
         b.AllowZeroLength = true;
         b.Description = "Remarks";
         return withTables(
             {table("T", acOnlyInSource, true, {sourceOnly("A", counter()), sourceOnly("B", b)})});
     },
     tablesOnly(), 0, false,
     st("CREATE TABLE [T]\r\n(\r\n[A] COUNTER NOT NULL,\r\n[B] TEXT(50)\r\n);") +
         st("ALTER TABLE [T] ALTER COLUMN [B] TEXT(50) WITH COMPRESSION;"),
     columns("T;A;13;0\r\nT;A;2;\r\nT;B;13;-1\r\nT;B;2;Remarks\r\n")},
    {"CompressedRequiredColumnStaysRequired",
     [] {
         return withTables(
             {table("T", acOnlyInSource, true, {sourceOnly("C", compressedText(10, true))})});
     },
     tablesOnly(), 0, false,
     st("CREATE TABLE [T]\r\n(\r\n[C] TEXT(10) NOT NULL\r\n);") +
         st("ALTER TABLE [T] ALTER COLUMN [C] TEXT(10) WITH COMPRESSION NOT NULL;"),
     columns("T;C;13;0\r\nT;C;2;\r\n")},
    {"ThreeColumnsCommaAfterAllButLast",
     [] {
         auto b = text(50);
         b.NotNull = true;
         b.Default = "'x'";
         return withTables(
             {table("T", acOnlyInSource, true,
                    {sourceOnly("A", integer()), sourceOnly("B", b), sourceOnly("C", type(203))})});
     },
     tablesOnly(), 0, false,
     st("CREATE TABLE [T]\r\n(\r\n[A] INTEGER,\r\n[B] TEXT(50) NOT NULL,\r\n[C] MEMO\r\n);"),
     columns("T;A;13;0\r\nT;A;2;\r\nT;B;1;'x'\r\nT;B;13;0\r\nT;B;2;\r\nT;C;13;0\r\nT;C;2;\r\n")},
    {"EqualTableWritesNothing",
     [] {
         return withTables({table("T", acEqual, true, {both("A", text(5), text(9), acDifferent)})});
     },
     tablesOnly(), 0, false, "", ""},
    {"TargetOnlyTableKept",
     [] {
         return withTables(
             {table("T", acOnlyInDestination, true, {destinationOnly("A", integer())})});
     },
     tablesOnly(), 0, false, "", ""},
    {"TargetOnlyTableDropped",
     [] {
         return withTables(
             {table("T", acOnlyInDestination, true, {destinationOnly("A", integer())})});
     },
     tablesOnly([](ScriptOptions& o) { o.DropOppositeObjects = true; }), 0, false,
     st("DROP TABLE [T];"), ""},
    {"UnselectedTableWritesNothing",
     [] { return withTables({table("T", acOnlyInSource, false, {sourceOnly("A", integer())})}); },
     tablesOnly(), 0, false, "", ""},
    {"DescriptionOnlyGivesLinesOnly",
     [] {
         return withTables(
             {table("T", acDifferent, true,
                    {both("C", described(text(), "new"), described(text(), "old"))})});
     },
     tablesOnly(), 0, false, "", columns("T;C;13;0\r\nT;C;2;new\r\n")},
    {"BlankDefaultNoLineAndSemicolonKept",
     [] {
         return withTables({table("T", acDifferent, true,
                                  {both("C1", described(text(), "", "   "), text()),
                                   both("C2", described(text(), "", "a;b "), text())})});
     },
     tablesOnly(), 0, false, "",
     columns("T;C1;13;0\r\nT;C1;2;\r\nT;C2;1;a;b \r\nT;C2;13;0\r\nT;C2;2;\r\n")},
    {"RemovedDefaultIsCleared",
     [] {
         return withTables(
             {table("T", acDifferent, true,
                    {both("C", text(), described(text(), "", "'x'")),
                     both("D", described(text(), "", "'y'"), described(text(), "", "'x'"))})});
     },
     tablesOnly(), 0, false, "",
     columns("T;C;1;\r\nT;C;13;0\r\nT;C;2;\r\nT;D;1;'y'\r\nT;D;13;0\r\nT;D;2;\r\n")},
    {"TypeChangeAltersColumn",
     [] {
         auto s = text(100);
         s.NotNull = true;
         return withTables({table("T", acDifferent, true, {both("C", s, text(50))})});
     },
     tablesOnly(), 0, false, st("ALTER TABLE [T] ALTER COLUMN [C] TEXT(100) NOT NULL;"),
     columns("T;C;13;0\r\nT;C;2;\r\n")},
    {"AddedAndDroppedColumns",
     [] {
         return withTables({table(
             "T", acDifferent, true,
             {both("K", integer(), integer(), acEqual), sourceOnly("N", compressedText(20, false)),
              destinationOnly("O", integer())})});
     },
     tablesOnly(), 0, false,
     st("ALTER TABLE [T] ADD COLUMN [N] TEXT(20) WITH COMPRESSION;") +
         st("ALTER TABLE [T] DROP COLUMN [O];"),
     columns("T;N;13;0\r\nT;N;2;\r\n")},
    {"SkippedAutoIncrementColumns",
     [] {
         return withTables({table("T", acDifferent, true,
                                  {both("A", counter(), integer()), sourceOnly("N", counter()),
                                   destinationOnly("O", counter())})});
     },
     tablesOnly([](ScriptOptions& o) { o.SkipAutoIncrementColumns = true; }), 0, false,
     // A keeps its lines (it exists); the new N gets neither statement nor lines.
     st("ALTER TABLE [T] DROP COLUMN [O];"), columns("T;A;13;0\r\nT;A;2;\r\n")},
    {"CreatedTableWritesCounterWhenSkipping",
     [] { return withTables({table("T", acOnlyInSource, true, {sourceOnly("A", counter())})}); },
     tablesOnly([](ScriptOptions& o) { o.SkipAutoIncrementColumns = true; }), 0, false,
     st("CREATE TABLE [T]\r\n(\r\n[A] COUNTER NOT NULL\r\n);"), columns("T;A;13;0\r\nT;A;2;\r\n")},
    {"RenameSourceToDestination",
     [] {
         return withTables(
             {table("T", acDifferent, true, {both("A", text(20), text(30), acDifferent, "B")})});
     },
     tablesOnly(), 0, true,
     st("ALTER TABLE [T] ADD COLUMN [A] TEXT(20);") + st("UPDATE [T] SET [A]=[B];") +
         st("ALTER TABLE [T] DROP COLUMN [B];"),
     columns("T;A;13;0\r\nT;A;2;\r\n")},
    {"RenameDestinationToSource",
     [] {
         return withTables(
             {table("T", acDifferent, true,
                    {both("A", text(20), compressedText(30, true), acDifferent, "B")})});
     },
     tablesOnly(), 1, true,
     st("ALTER TABLE [T] ADD COLUMN [B] TEXT(30) WITH COMPRESSION NOT NULL;") +
         st("UPDATE [T] SET [B]=[A];") + st("ALTER TABLE [T] DROP COLUMN [A];"),
     columns("T;B;13;0\r\nT;B;2;\r\n")},
    {"NoRenameWithoutTheBox",
     [] {
         return withTables(
             {table("T", acDifferent, true, {both("A", text(20), text(30), acDifferent, "B")})});
     },
     // Column statements name the column by its source name in either direction.
     tablesOnly(), 1, false, st("ALTER TABLE [T] ALTER COLUMN [A] TEXT(30);"),
     columns("T;A;13;0\r\nT;A;2;\r\n"), 0, false},
    {"OneSideColumnsAreNeverRenamed",
     [] {
         return withTables({table("T", acDifferent, true,
                                  {sourceOnly("N", integer()), destinationOnly("O", integer())})});
     },
     tablesOnly(), 0, true,
     st("ALTER TABLE [T] ADD COLUMN [N] INTEGER;") + st("ALTER TABLE [T] DROP COLUMN [O];"),
     columns("T;N;13;0\r\nT;N;2;\r\n")},
    {"EqualColumnWithOtherPrecisionIsAltered",
     [] {
         return withTables(
             {table("T", acDifferent, true, {both("D", decimal(18, 4), decimal(10, 2), acEqual)})});
     },
     tablesOnly(), 0, false, st("ALTER TABLE [T] ALTER COLUMN [D] DECIMAL(18,4);"), ""},
    {"TableChangedOnlyInKeysWritesNothing",
     [] {
         return withTables({table(
             "T", acDifferent, true,
             {both("A", integer(), integer(), acEqual), both("B", text(), text(), acEqual)})});
     },
     tablesOnly(), 0, false, "", ""},
    {"SeededCounterWhenSeedsWereRead",
     [] {
         auto c = counter();
         c.Seed = 100;
         c.Increment = 5;
         return withTables({table("T", acOnlyInSource, true, {sourceOnly("A", c)})});
     },
     tablesOnly([](ScriptOptions& o) {
         o.IncludeIncrementAndSeed = true;
         o.CompareIncrementAndSeed = true;
     }),
     0, false, st("CREATE TABLE [T]\r\n(\r\n[A] COUNTER(100,5) NOT NULL\r\n);"),
     columns("T;A;13;0\r\nT;A;2;\r\n")},
    {"PlainCounterWhenSeedsWereNotRead",
     [] { return withTables({table("T", acOnlyInSource, true, {sourceOnly("A", counter())})}); },
     tablesOnly([](ScriptOptions& o) { o.IncludeIncrementAndSeed = true; }), 0, false,
     st("CREATE TABLE [T]\r\n(\r\n[A] COUNTER NOT NULL\r\n);"), columns("T;A;13;0\r\nT;A;2;\r\n")},
    {"ColumnWithoutTypeTextLeftOutOfNewTable",
     [] {
         return withTables({table("T", acOnlyInSource, true,
                                  {sourceOnly("A", integer()), sourceOnly("X", type(20, 8))})});
     },
     tablesOnly(), 0, false, st("CREATE TABLE [T]\r\n(\r\n[A] INTEGER\r\n);"),
     columns("T;A;13;0\r\nT;A;2;\r\n"), 1},
    {"NewTableWithoutAnyTypeTextLeftOut",
     [] { return withTables({table("T", acOnlyInSource, true, {sourceOnly("X", type(20, 8))})}); },
     tablesOnly(), 0, false, "", "", 2},
    {"ColumnsWithoutTypeTextLeftOutOfChangedTable",
     [] {
         return withTables(
             {table("T", acDifferent, true,
                    {sourceOnly("X", type(20, 8)), both("Y", type(16, 1), integer()),
                     both("Z", described(type(16, 1), "d"), described(type(16, 1), "e"))})});
     },
     // Z needs no statement, so its type does not matter.
     tablesOnly(), 0, false, "", columns("T;Z;13;0\r\nT;Z;2;d\r\n"), 2},
    {"LineBreakInDescriptionOrDefaultLeftOut",
     [] {
         return withTables({table("T", acDifferent, true,
                                  {both("C", described(text(), "two\r\nlines", "a\nb"), text())})});
     },
     tablesOnly(), 0, false, "", columns("T;C;13;0\r\n"), 2},
    {"SemicolonInColumnNameLeavesOutItsLines",
     [] {
         return withTables({table("T", acDifferent, true,
                                  {both("a;b", described(text(), "x"), text()),
                                   both("c", described(text(), "y"), text())})});
     },
     tablesOnly(), 0, false, "", columns("T;c;13;0\r\nT;c;2;y\r\n"), 1},
    {"SemicolonInTableNameLeavesOutItsBlock",
     [] {
         return withTables(
             {table("T;x", acDifferent, true,
                    {both("a", described(text(), "x"), text()), both("b", text(9), text())})});
     },
     tablesOnly(), 0, false, st("ALTER TABLE [T;x] ALTER COLUMN [b] TEXT(9);"), "", 1},
};

INSTANTIATE_TEST_SUITE_P(Tables, Generate, ::testing::ValuesIn(kTableCases), caseName);

// ---------------------------------------------------------------------------
// Keys and indexes

// P is referenced by C; C has a foreign key on both sides, one on each side
// only, and an ordinary index.
TComparisonResult related(bool parentSelected, bool childSelected) {
    const auto pk = keyHalf(1, {"id"});
    const auto pkIndex = indexHalf({{"id", 1}}, true, true);
    const auto fkIndex = indexHalf({{"pid", 1}});
    return withTables({
        table("P", acEqual, parentSelected, {both("id", integer(), integer(), acEqual)},
              {key("PrimaryKey", acEqual, pk, pk)},
              {index("PrimaryKey", acEqual, pkIndex, pkIndex)}),
        table(
            "C", acDifferent, childSelected,
            {both("id", integer(), integer(), acEqual), both("pid", integer(), integer(), acEqual)},
            {key("PC", acDifferent, foreignHalf("P", {{"pid", "id"}}, 1, 2),
                 foreignHalf("P", {{"pid", "id"}})),
             key("OnlyDest", acOnlyInDestination, {}, foreignHalf("P", {{"pid", "id"}})),
             key("OnlySrc", acOnlyInSource, foreignHalf("P", {{"pid", "id"}}), {})},
            {index("PC", acEqual, fkIndex, fkIndex),
             index("OnlyDest", acOnlyInDestination, {}, fkIndex),
             index("OnlySrc", acOnlyInSource, fkIndex, {}),
             index("ix", acDifferent, indexHalf({{"pid", 2}}), indexHalf({{"pid", 1}}))}),
    });
}

// C, selected, refers to a new table that is not selected (New), to a column
// that only the other side of an unselected table has (R.code), to a column
// whose unique index only the other side has (S.a), and to a new selected
// table (Q), the one reference the target can take.
TComparisonResult targetWillLack() {
    const auto eq = [](const char* n) { return both(n, integer(), integer(), acEqual); };
    const auto pk = indexHalf({{"id", 1}}, true, true);
    return withTables({
        table("C", acDifferent, true, {eq("nid"), eq("rcode"), eq("sa"), eq("qid")},
              {key("CN", acOnlyInSource, foreignHalf("New", {{"nid", "id"}}), {}),
               key("CR", acOnlyInSource, foreignHalf("R", {{"rcode", "code"}}), {}),
               key("CS", acOnlyInSource, foreignHalf("S", {{"sa", "a"}}), {}),
               key("CQ", acOnlyInSource, foreignHalf("Q", {{"qid", "id"}}), {})}),
        table("New", acOnlyInSource, false, {sourceOnly("id", integer())}, {},
              {index("PrimaryKey", acOnlyInSource, pk, {})}),
        table("R", acDifferent, false, {eq("id"), sourceOnly("code", integer())}),
        table("S", acDifferent, false, {eq("a")}, {},
              {index("ua", acOnlyInSource, indexHalf({{"a", 1}}, true), {})}),
        table("Q", acOnlyInSource, true, {sourceOnly("id", integer())}, {},
              {index("PrimaryKey", acOnlyInSource, pk, {})}),
    });
}

const std::string kDropRelated = st("ALTER TABLE [C] DROP CONSTRAINT [PC];") +
                                 st("ALTER TABLE [C] DROP CONSTRAINT [OnlyDest];") +
                                 st("DROP INDEX [PrimaryKey] ON [P];") +
                                 st("DROP INDEX [ix] ON [C];");
const std::string kPrimaryBack =
    st("CREATE UNIQUE INDEX [PrimaryKey] ON [P] ([id] ASC) WITH PRIMARY;");

const Case kKeyCases[] = {
    {"NothingSelectedRebuildsTheTargetAsItWas", [] { return related(false, false); }, options(), 0,
     false,
     // Every foreign key of the target comes back from the target, also one the
     // other side lacks.
     kDropRelated + kPrimaryBack + st("CREATE INDEX [ix] ON [C] ([pid] ASC);") +
         st("ALTER TABLE [C] ADD CONSTRAINT [PC] FOREIGN KEY ([pid]) REFERENCES [P] ([id]);") +
         st("ALTER TABLE [C] ADD CONSTRAINT [OnlyDest] FOREIGN KEY ([pid]) REFERENCES [P] ([id]);"),
     ""},
    {"SelectedTableFromTheGeneratingSide", [] { return related(false, true); }, options(), 0, false,
     kDropRelated + kPrimaryBack + st("CREATE INDEX [ix] ON [C] ([pid] DESC);") +
         st("ALTER TABLE [C] ADD CONSTRAINT [PC] FOREIGN KEY ([pid]) REFERENCES [P] ([id]) ON "
            "UPDATE CASCADE ON DELETE SET NULL;") +
         st("ALTER TABLE [C] ADD CONSTRAINT [OnlySrc] FOREIGN KEY ([pid]) REFERENCES [P] ([id]);"),
     ""},
    {"IndexesNeedTablesToBeDropped", [] { return related(false, false); },
     options([](ScriptOptions& o) { o.IncludeTables = false; }), 0, false,
     st("ALTER TABLE [C] DROP CONSTRAINT [PC];") +
         st("ALTER TABLE [C] DROP CONSTRAINT [OnlyDest];") +
         st("ALTER TABLE [C] ADD CONSTRAINT [PC] FOREIGN KEY ([pid]) REFERENCES [P] ([id]);") +
         st("ALTER TABLE [C] ADD CONSTRAINT [OnlyDest] FOREIGN KEY ([pid]) REFERENCES [P] ([id]);"),
     ""},
    {"IndexesOffNoIndexStatements", [] { return related(false, true); },
     options([](ScriptOptions& o) { o.IncludeIndexes = false; }), 0, false,
     st("ALTER TABLE [C] DROP CONSTRAINT [PC];") +
         st("ALTER TABLE [C] DROP CONSTRAINT [OnlyDest];") +
         st("ALTER TABLE [C] ADD CONSTRAINT [PC] FOREIGN KEY ([pid]) REFERENCES [P] ([id]) ON "
            "UPDATE CASCADE ON DELETE SET NULL;") +
         st("ALTER TABLE [C] ADD CONSTRAINT [OnlySrc] FOREIGN KEY ([pid]) REFERENCES [P] ([id]);"),
     ""},
    {"WithoutKeysUnselectedTablesKeepTheirIndexes",
     [] {
         const auto i = indexHalf({{"a", 1}});
         return withTables(
             {table("U", acEqual, false, {both("a", integer(), integer(), acEqual)}, {},
                    {index("iu", acEqual, i, i)}),
              table("S", acDifferent, true, {both("a", integer(), integer(), acEqual)}, {},
                    {index("is", acDifferent, indexHalf({{"a", 2}}), i)})});
     },
     options([](ScriptOptions& o) { o.IncludeKeys = false; }), 0, false,
     st("DROP INDEX [is] ON [S];") + st("CREATE INDEX [is] ON [S] ([a] DESC);"), ""},
    // Keys not scripted: the target's relationships stay, and so do the
    // indexes they hold or refer to. Equal indexes need no change either (when
    // keys were not compared, the record cannot tell which those are).
    {"WithoutKeysEqualIndexesStay",
     [] {
         const auto i = indexHalf({{"a", 1}}, true, true);
         return withTables(
             {table("S", acDifferent, true, {both("a", integer(), integer(), acEqual)}, {},
                    {index("PrimaryKey", acEqual, i, i),
                     index("id", acDifferent, indexHalf({{"a", 2}}), indexHalf({{"a", 1}})),
                     index("old", acOnlyInDestination, {}, indexHalf({{"a", 1}}))})});
     },
     options([](ScriptOptions& o) { o.IncludeKeys = false; }), 0, false,
     st("DROP INDEX [id] ON [S];") + st("DROP INDEX [old] ON [S];") +
         st("CREATE INDEX [id] ON [S] ([a] DESC);"),
     ""},
    {"WithoutKeysRelationshipIndexesStand",
     [] {
         const auto pk = indexHalf({{"id", 1}}, true, true);
         const auto both2 = [](const char* n) { return both(n, integer(), integer(), acEqual); };
         return withTables({
             table("P", acDifferent, true, {both2("id"), both2("code")},
                   {key("PrimaryKey", acOnlyInDestination, {}, keyHalf(1, {"id"})),
                    key("PK_P", acOnlyInSource, keyHalf(1, {"id"}), {})},
                   {index("PrimaryKey", acOnlyInDestination, {}, pk),
                    index("PK_P", acOnlyInSource, pk, {}),
                    index("ux", acDifferent, indexHalf({{"code", 1}}, true, false, 2),
                          indexHalf({{"code", 1}}, true, false, 1)),
                    index("ix", acDifferent, indexHalf({{"code", 2}}), indexHalf({{"code", 1}}))}),
             table("C", acDifferent, true, {both2("pid"), both2("code")},
                   {key("CP", acOnlyInDestination, {}, foreignHalf("P", {{"pid", "id"}})),
                    key("CX", acEqual, foreignHalf("P", {{"code", "code"}}),
                        foreignHalf("P", {{"code", "code"}}))},
                   // CP is the relationship's index on the target, an
                   // ordinary one on the other side.
                   {index("CP", acDifferent, indexHalf({{"pid", 2}}), indexHalf({{"pid", 1}})),
                    index("CX", acEqual, indexHalf({{"code", 1}}), indexHalf({{"code", 1}}))}),
         });
     },
     options([](ScriptOptions& o) { o.IncludeKeys = false; }), 0, false,
     // PrimaryKey and ux stand for the relationships CP and CX, PK_P cannot
     // join PrimaryKey, and CP stays CP's own index.
     st("DROP INDEX [ix] ON [P];") + st("CREATE INDEX [ix] ON [P] ([code] DESC);"), "", 4},
    {"WithoutKeysAChangedPrimaryIndexStandsAlone",
     [] {
         return withTables({
             table("P", acDifferent, true, {both("id", integer(), integer(), acEqual)}, {},
                   // Primary on the target only, referred to; the other side's
                   // primary index has another name.
                   {index("PrimaryKey", acDifferent, indexHalf({{"id", 1}}, true),
                          indexHalf({{"id", 1}}, true, true)),
                    index("PK2", acOnlyInSource, indexHalf({{"id", 2}}, true, true), {})}),
             table("C", acEqual, false, {both("pid", integer(), integer(), acEqual)},
                   {key("CP", acEqual, foreignHalf("P", {{"pid", "id"}}),
                        foreignHalf("P", {{"pid", "id"}}))}),
         });
     },
     options([](ScriptOptions& o) { o.IncludeKeys = false; }), 0, false, "", "", 2},
    {"KeptTargetOnlyTableGetsItsIndexesAndKeysBack",
     [] {
         return withTables({table(
             "K", acOnlyInDestination, true, {destinationOnly("pid", integer())},
             {key("KP", acOnlyInDestination, {}, foreignHalf("P", {{"pid", "id"}}))},
             {index("KP", acOnlyInDestination, {}, indexHalf({{"pid", 1}})),
              index("ix", acOnlyInDestination, {}, indexHalf({{"pid", 1}}, false, false, 1))})});
     },
     options(), 0, false,
     st("ALTER TABLE [K] DROP CONSTRAINT [KP];") + st("DROP INDEX [ix] ON [K];") +
         st("CREATE INDEX [ix] ON [K] ([pid] ASC) WITH DISALLOW NULL;") +
         st("ALTER TABLE [K] ADD CONSTRAINT [KP] FOREIGN KEY ([pid]) REFERENCES [P] ([id]);"),
     ""},
    {"DroppedTargetOnlyTableGetsNothingBack",
     [] {
         return withTables(
             {table("K", acOnlyInDestination, true, {destinationOnly("pid", integer())},
                    {key("KP", acOnlyInDestination, {}, foreignHalf("P", {{"pid", "id"}}))},
                    {index("KP", acOnlyInDestination, {}, indexHalf({{"pid", 1}})),
                     index("ix", acOnlyInDestination, {}, indexHalf({{"pid", 1}}))})});
     },
     options([](ScriptOptions& o) { o.DropOppositeObjects = true; }), 0, false,
     st("ALTER TABLE [K] DROP CONSTRAINT [KP];") + st("DROP INDEX [ix] ON [K];") +
         st("DROP TABLE [K];"),
     ""},
    {"ForeignKeyToADroppedTableLeftOut",
     [] {
         return withTables(
             {table("A", acOnlyInDestination, true, {destinationOnly("id", integer())}),
              table("B", acEqual, false, {both("aid", integer(), integer(), acEqual)},
                    {key("BA", acOnlyInDestination, {}, foreignHalf("A", {{"aid", "id"}}))})});
     },
     options([](ScriptOptions& o) {
         o.DropOppositeObjects = true;
         o.IncludeIndexes = false;
     }),
     0, false, st("ALTER TABLE [B] DROP CONSTRAINT [BA];") + st("DROP TABLE [A];"), "", 1},
    // A relationship needs its table, its columns on both ends, and a unique
    // index on the columns it refers to, all on the target after the script.
    {"ForeignKeysToWhatTheTargetWillLack", [] { return targetWillLack(); }, options(), 0, false,
     st("CREATE TABLE [Q]\r\n(\r\n[id] INTEGER\r\n);") +
         st("CREATE UNIQUE INDEX [PrimaryKey] ON [Q] ([id] ASC) WITH PRIMARY;") +
         st("ALTER TABLE [C] ADD CONSTRAINT [CQ] FOREIGN KEY ([qid]) REFERENCES [Q] ([id]);"),
     columns("Q;id;13;0\r\nQ;id;2;\r\n"), 3},
    {"UniqueKeysUnknownWithoutIndexes", [] { return targetWillLack(); },
     options([](ScriptOptions& o) { o.IncludeIndexes = false; }), 0, false,
     st("CREATE TABLE [Q]\r\n(\r\n[id] INTEGER\r\n);") +
         st("ALTER TABLE [C] ADD CONSTRAINT [CS] FOREIGN KEY ([sa]) REFERENCES [S] ([a]);") +
         st("ALTER TABLE [C] ADD CONSTRAINT [CQ] FOREIGN KEY ([qid]) REFERENCES [Q] ([id]);"),
     columns("Q;id;13;0\r\nQ;id;2;\r\n"), 2},
    {"KeptForeignKeysOnDroppedColumnsLeftOut",
     [] {
         const auto pk = indexHalf({{"id", 1}}, true, true);
         const auto eq = [](const char* n) { return both(n, integer(), integer(), acEqual); };
         return withTables({
             table("P", acDifferent, true,
                   {eq("id"), destinationOnly("code", integer()),
                    both("ref", text(10), text(20), acDifferent, "oldref")},
                   {}, {index("PrimaryKey", acEqual, pk, pk)}),
             table("C", acEqual, false, {eq("pcode"), eq("pref"), eq("pid")},
                   {key("CC", acOnlyInDestination, {}, foreignHalf("P", {{"pcode", "code"}})),
                    key("CR", acOnlyInDestination, {}, foreignHalf("P", {{"pref", "oldref"}})),
                    key("CI", acOnlyInDestination, {}, foreignHalf("P", {{"pid", "id"}}))}),
         });
     },
     options(), 0, true,
     st("ALTER TABLE [C] DROP CONSTRAINT [CC];") + st("ALTER TABLE [C] DROP CONSTRAINT [CR];") +
         st("ALTER TABLE [C] DROP CONSTRAINT [CI];") + st("DROP INDEX [PrimaryKey] ON [P];") +
         st("ALTER TABLE [P] DROP COLUMN [code];") +
         st("ALTER TABLE [P] ADD COLUMN [ref] TEXT(10);") + st("UPDATE [P] SET [ref]=[oldref];") +
         st("ALTER TABLE [P] DROP COLUMN [oldref];") +
         st("CREATE UNIQUE INDEX [PrimaryKey] ON [P] ([id] ASC) WITH PRIMARY;") +
         st("ALTER TABLE [C] ADD CONSTRAINT [CI] FOREIGN KEY ([pid]) REFERENCES [P] ([id]);"),
     columns("P;ref;13;0\r\nP;ref;2;\r\n"), 2},
    {"NewTableThenItsIndexesThenItsKeys",
     [] {
         return withTables({table(
             "N", acOnlyInSource, true, {sourceOnly("pid", integer())},
             {key("NP", acOnlyInSource, foreignHalf("P", {{"pid", "id"}}), {}),
              key("PrimaryKey", acOnlyInSource, keyHalf(1, {"pid"}), {})},
             {index("NP", acOnlyInSource, indexHalf({{"pid", 1}}), {}),
              index("PrimaryKey", acOnlyInSource, indexHalf({{"pid", 1}}, true, true), {})})});
     },
     options(), 0, false,
     st("CREATE TABLE [N]\r\n(\r\n[pid] INTEGER\r\n);") +
         st("CREATE UNIQUE INDEX [PrimaryKey] ON [N] ([pid] ASC) WITH PRIMARY;") +
         st("ALTER TABLE [N] ADD CONSTRAINT [NP] FOREIGN KEY ([pid]) REFERENCES [P] ([id]);"),
     columns("N;pid;13;0\r\nN;pid;2;\r\n")},
    {"IndexAndKeyOnALeftOutColumnLeftOut",
     [] {
         return withTables({table(
             "N", acOnlyInSource, true, {sourceOnly("a", integer()), sourceOnly("x", type(20, 8))},
             {key("NP", acOnlyInSource, foreignHalf("P", {{"x", "id"}}), {})},
             {index("ix", acOnlyInSource, indexHalf({{"a", 1}, {"x", 1}}), {})})});
     },
     options(), 0, false, st("CREATE TABLE [N]\r\n(\r\n[a] INTEGER\r\n);"),
     columns("N;a;13;0\r\nN;a;2;\r\n"), 3},
    // A skipped auto-increment column is not added, so nothing may be built on it.
    {"SkippedNewCounterLeavesOutWhatUsesIt",
     [] {
         return withTables(
             {table("T", acDifferent, true,
                    {both("a", integer(), integer(), acEqual), sourceOnly("ID", counter())}, {},
                    {index("PrimaryKey", acOnlyInSource, indexHalf({{"ID", 1}}, true, true), {})}),
              table("C", acDifferent, true, {both("tid", integer(), integer(), acEqual)},
                    {key("TC", acOnlyInSource, foreignHalf("T", {{"tid", "ID"}}), {})})});
     },
     options([](ScriptOptions& o) { o.SkipAutoIncrementColumns = true; }), 0, false, "", "", 2},
    {"SkippedRenamedCounterLeavesOutItsIndex",
     [] {
         return withTables(
             {table("T", acDifferent, true, {both("ID", counter(), counter(), acEqual, "Nr")}, {},
                    {index("ix", acDifferent, indexHalf({{"ID", 1}}), indexHalf({{"Nr", 1}}))})});
     },
     options([](ScriptOptions& o) { o.SkipAutoIncrementColumns = true; }), 0, true,
     st("DROP INDEX [ix] ON [T];"), "", 1},
};

INSTANTIATE_TEST_SUITE_P(Keys, Generate, ::testing::ValuesIn(kKeyCases), caseName);

struct IndexCase {
    const char* name;
    TIndexProps props;
    std::string statement;
};

TEST(ScriptIndexes, StatementForms) {
    const IndexCase cases[] = {
        {"unique, two columns, ignore null", indexHalf({{"A", 1}, {"B", 2}}, true, false, 2),
         "CREATE UNIQUE INDEX [IX] ON [T] ([A] ASC,[B] DESC) WITH IGNORE NULL;"},
        {"primary wins over disallow", indexHalf({{"A", 1}}, true, true, 1),
         "CREATE UNIQUE INDEX [IX] ON [T] ([A] ASC) WITH PRIMARY;"},
        {"ignore any null", indexHalf({{"A", 1}}, false, false, 4),
         "CREATE INDEX [IX] ON [T] ([A] ASC) WITH IGNORE NULL;"},
        {"disallow null", indexHalf({{"A", 1}}, false, false, 1),
         "CREATE INDEX [IX] ON [T] ([A] ASC) WITH DISALLOW NULL;"},
        {"unknown null handling", indexHalf({{"A", 1}}, false, false, 3),
         "CREATE INDEX [IX] ON [T] ([A] ASC);"},
        {"sort order 0 is descending", indexHalf({{"A", 0}}),
         "CREATE INDEX [IX] ON [T] ([A] DESC);"},
        {"no columns", indexHalf({}, false, false, 1),
         "CREATE INDEX [IX] ON [T] () WITH DISALLOW NULL;"},
    };
    for (const auto& c : cases) {
        const auto r = withTables(
            {table("T", acDifferent, false, {}, {}, {index("IX", acEqual, c.props, c.props)})});
        const ScriptOptions o;
        ScriptGenerator g(r, o, false);
        EXPECT_EQ(g.ScriptObject(okTable, 1, 0, script::smIndexStatements).Statements,
                  st(c.statement))
            << c.name;
    }
}

TEST(ScriptIndexes, SkipsForeignKeyIndexesAndFollowsTheDirection) {
    const auto i = indexHalf({{"A", 1}});
    const auto r = withTables(
        {table(
             "T", acDifferent, true, {},
             {key("FK_X", acEqual, foreignHalf("R", {{"A", "B"}}), foreignHalf("R", {{"A", "B"}})),
              key("PK", acEqual, keyHalf(1, {"A"}), keyHalf(1, {"A"}))},
             {index("fk_x", acEqual, i, i),
              index("pk", acEqual, indexHalf({{"A", 1}}, true, true),
                    indexHalf({{"A", 1}}, true, true)),
              index("InDest", acOnlyInDestination, {}, indexHalf({{"A", 2}})),
              index("InSource", acOnlyInSource, i, {})}),
         table("Gone", acOnlyInDestination, true, {}, {}, {index("G", acOnlyInDestination, {}, i)}),
         table("Gone2", acOnlyInSource, true, {}, {}, {index("G", acOnlyInSource, i, {})})});
    const ScriptOptions o;
    ScriptGenerator g(r, o, false);
    const std::string pk = st("CREATE UNIQUE INDEX [pk] ON [T] ([A] ASC) WITH PRIMARY;");
    EXPECT_EQ(g.ScriptObject(okTable, 1, 1, script::smIndexStatements).Statements,
              pk + st("CREATE INDEX [InDest] ON [T] ([A] DESC);"));
    EXPECT_EQ(g.ScriptObject(okTable, 1, 0, script::smIndexStatements).Statements,
              st("CREATE UNIQUE INDEX [pk] ON [T] ([A] ASC) WITH PRIMARY;") +
                  st("CREATE INDEX [InSource] ON [T] ([A] ASC);"));
    // Any direction but 0 counts as 1; a table only on the target has no indexes to write.
    EXPECT_EQ(g.ScriptObject(okTable, 1, 7, script::smIndexStatements).Statements,
              pk + st("CREATE INDEX [InDest] ON [T] ([A] DESC);"));
    EXPECT_TRUE(g.ScriptObject(okTable, 2, 0, script::smIndexStatements).Statements.empty());
    EXPECT_TRUE(g.ScriptObject(okTable, 3, 1, script::smIndexStatements).Statements.empty());
    EXPECT_TRUE(g.ScriptObject(okTable, 1, 0, 3).Statements.empty());
    EXPECT_TRUE(g.ScriptObject(2, 1, 0, script::smIndexStatements).Statements.empty());
    EXPECT_THROW((void)g.ScriptObject(okTable, 4, 0, script::smIndexStatements), std::out_of_range);
}

TEST(ScriptDropIndexes, LooksOnlyAtTheFirstKeyOfTheIndexName) {
    const auto i = indexHalf({{"A", 1}});
    const auto r = withTables(
        {table("T", acEqual, false, {},
               {key("X", acEqual, keyHalf(1, {"A"}), keyHalf(1, {"A"})),
                key("x", acEqual, foreignHalf("R", {{"A", "B"}}), foreignHalf("R", {{"A", "B"}})),
                key("M", acDifferent, foreignHalf("R", {{"A", "B"}}), keyHalf(3, {"A"}))},
               {index("X", acEqual, i, i), index("M", acEqual, i, i)})});
    const ScriptOptions o;
    ScriptGenerator g(r, o, false);
    EXPECT_EQ(g.ScriptDropIndexes(0), st("DROP INDEX [X] ON [T];") + st("DROP INDEX [M] ON [T];"));
    // The key that is foreign only on the source side keeps its index in direction 1.
    EXPECT_EQ(g.ScriptDropIndexes(1), st("DROP INDEX [X] ON [T];"));
    EXPECT_EQ(g.ScriptDropKeys(0), st("ALTER TABLE [T] DROP CONSTRAINT [x];"));
    EXPECT_EQ(g.ScriptDropKeys(1), st("ALTER TABLE [T] DROP CONSTRAINT [x];") +
                                       st("ALTER TABLE [T] DROP CONSTRAINT [M];"));
    for (int32_t d : {-1, 2}) {
        EXPECT_EQ(g.ScriptDropIndexes(d), "");
        EXPECT_EQ(g.ScriptDropKeys(d), "");
        EXPECT_EQ(g.ScriptCreateKeys(d).Statements, "");
    }
}

TEST(ScriptKeyConstraints, StatementForms) {
    struct KeyCase {
        TKeyProps half;
        std::string statement;
    };
    const KeyCase cases[] = {
        {foreignHalf("R", {{"A", "X"}}, 1, 1),
         "ALTER TABLE [T] ADD CONSTRAINT [K] FOREIGN KEY ([A]) REFERENCES [R] ([X]) ON UPDATE "
         "CASCADE ON DELETE CASCADE;"},
        {foreignHalf("R", {{"A", "X"}, {"B", "Y"}}),
         "ALTER TABLE [T] ADD CONSTRAINT [K] FOREIGN KEY ([A],[B]) REFERENCES [R] ([X],[Y]);"},
        {foreignHalf("R", {{"A", "X"}}, 2, 2),
         "ALTER TABLE [T] ADD CONSTRAINT [K] FOREIGN KEY ([A]) REFERENCES [R] ([X]) ON UPDATE SET "
         "NULL ON DELETE SET NULL;"},
        {foreignHalf("R", {{"A", "X"}}, 3, 3),
         "ALTER TABLE [T] ADD CONSTRAINT [K] FOREIGN KEY ([A]) REFERENCES [R] ([X]);"},
        {keyHalf(1, {"A"}), "ALTER TABLE [T] ADD CONSTRAINT [K] PRIMARY KEY ([A]);"},
        {keyHalf(1, {"A", "B"}), "ALTER TABLE [T] ADD CONSTRAINT [K] PRIMARY KEY ([A],[B]);"},
        {keyHalf(3, {"A", "B"}), "ALTER TABLE [T] ADD CONSTRAINT [K] UNIQUE ([A],[B]);"},
    };
    for (const auto& c : cases) {
        const auto r =
            withTables({table("T", acEqual, false, {}, {key("K", acEqual, c.half, {})})});
        const ScriptOptions o;
        ScriptGenerator g(r, o, false);
        EXPECT_EQ(g.ScriptKeyConstraints(1, 1, csSource).Statements, st(c.statement));
        EXPECT_EQ(g.ScriptKeyConstraints(1, 1, csDestination).Statements, "") << "empty half";
        EXPECT_EQ(g.ScriptKeyConstraints(1, 1, 2).Statements, "");
    }
    const auto r =
        withTables({table("T", acEqual, false, {}, {key("K", acEqual, keyHalf(0, {"A"}), {})})});
    const ScriptOptions o;
    ScriptGenerator g(r, o, false);
    EXPECT_EQ(g.ScriptKeyConstraints(1, 1, csSource).Statements, "") << "no constraint clause";
}

TEST(GenerateScript, RejectsAnUnknownDirection) {
    const auto r = related(true, true);
    EXPECT_THROW((void)generate(r, options(), 2, false), std::invalid_argument);
}

TEST(GenerateScript, BadElementIndexReachesTheCaller) {
    TComparisonResult r;
    auto& u = r.Users.Append();
    u = principal("u", acDifferent, true,
                  principalSide({}, {permission(acDifferent, "T", 1, 5, 1)}), {});
    EXPECT_THROW((void)generate(r, options(), 0, false), std::out_of_range);
}

TEST(GenerateScript, EverythingOffGivesNothing) {
    auto r = related(true, true);
    r.Views.Append() = view("V", acOnlyInSource, true, "SELECT 1", "");
    r.Groups.Append() = principal("g", acOnlyInSource, true, principalSide({}, {}), {});
    const auto s = generate(r, options([](ScriptOptions& o) {
                                o = ScriptOptions{false, false, false, false, false, false,
                                                  false, true,  true,  true,  true};
                            }),
                            0, true);
    EXPECT_EQ(s.Statements, "");
    EXPECT_EQ(s.Blocks, "");
}

// ---------------------------------------------------------------------------
// Views and procedures

std::string viewCreate(const std::string& name, const std::string& body) {
    return "CREATE PROCEDURE [" + name + "] AS \r\n" + body + std::string(kRun);
}
std::string procedureCreate(const std::string& name, const std::string& body) {
    return "CREATE PROCEDURE [" + name + "] \r\nAS \r\n" + body + "\r\nRUN\r\n\r\n";
}

TComparisonResult queries(std::initializer_list<TView> views,
                          std::initializer_list<TProcedure> procedures) {
    TComparisonResult r;
    r.Views = arr(views);
    r.Procedures = arr(procedures);
    return r;
}

const Case kQueryCases[] = {
    {"ProcedureNamedByAViewComesFirst",
     [] {
         return queries({view("Vw1", acOnlyInSource, true, "SELECT * FROM Pr1", "")},
                        {procedure("Pr1", acOnlyInSource, true,
                                   "PARAMETERS a Long;\r\nSELECT * FROM Tab WHERE x=a", "")});
     },
     options(), 0, false,
     procedureCreate("Pr1", "PARAMETERS a Long;\r\nSELECT * FROM Tab WHERE x=a") +
         viewCreate("Vw1", "SELECT * FROM Pr1"),
     ""},
    {"DependentAfterItsViewInOnePass",
     [] {
         return queries({view("Aaa", acOnlyInSource, true, "SELECT * FROM Tab", ""),
                         view("Bbb", acOnlyInSource, true, "SELECT * FROM Aaa", "")},
                        {});
     },
     options(), 0, false,
     viewCreate("Aaa", "SELECT * FROM Tab") + viewCreate("Bbb", "SELECT * FROM Aaa"), ""},
    {"DependentBeforeItsViewWaitsAPass",
     [] {
         return queries({view("Bbb", acOnlyInSource, true, "SELECT * FROM Aaa", ""),
                         view("Aaa", acOnlyInSource, true, "SELECT * FROM Tab", "")},
                        {});
     },
     options(), 0, false,
     viewCreate("Aaa", "SELECT * FROM Tab") + viewCreate("Bbb", "SELECT * FROM Aaa"), ""},
    {"PartOfALongerNameHoldsBack",
     [] {
         return queries({view("Report", acOnlyInSource, true, "SELECT * FROM ORDERS", ""),
                         view("Ord", acOnlyInSource, true, "SELECT 1 AS x FROM Tab", "")},
                        {});
     },
     options(), 0, false,
     viewCreate("Ord", "SELECT 1 AS x FROM Tab") + viewCreate("Report", "SELECT * FROM ORDERS"),
     ""},
    {"OwnNameDoesNotHoldBack",
     [] {
         return queries({view("Self", acOnlyInSource, true, "SELECT * FROM Self_data", ""),
                         view("Zzz", acOnlyInSource, true, "SELECT 2", "")},
                        {});
     },
     options(), 0, false,
     viewCreate("Self", "SELECT * FROM Self_data") + viewCreate("Zzz", "SELECT 2"), ""},
    {"UnselectedOrExcludedNeitherWrittenNorWaitedFor",
     [] {
         return queries({view("Bbb", acOnlyInSource, true, "SELECT * FROM Aaa, Ppp", ""),
                         view("Aaa", acOnlyInSource, false, "SELECT 1", "")},
                        {procedure("Ppp", acOnlyInSource, true, "DELETE FROM Tab", "")});
     },
     options([](ScriptOptions& o) { o.IncludeProcedures = false; }), 0, false,
     viewCreate("Bbb", "SELECT * FROM Aaa, Ppp"), ""},
    {"NothingIncluded",
     [] { return queries({view("Aaa", acOnlyInSource, true, "SELECT 1", "")}, {}); },
     options([](ScriptOptions& o) {
         o.IncludeViews = false;
         o.IncludeProcedures = false;
     }),
     0, false, "", ""},
    {"TargetOnlyViewKept",
     [] { return queries({view("V", acOnlyInDestination, true, "", "SELECT 1")}, {}); }, options(),
     0, false, "", ""},
    {"TargetOnlyViewDropped",
     [] { return queries({view("V", acOnlyInDestination, true, "", "SELECT 1")}, {}); },
     options([](ScriptOptions& o) { o.DropOppositeObjects = true; }), 0, false, st("DROP VIEW [V]"),
     ""},
    {"ChangedProcedureDestinationToSource",
     [] {
         return queries({}, {procedure("P", acDifferent, true, "DELETE FROM Tab",
                                       "DELETE FROM Tab WHERE 1=0")});
     },
     options(), 1, false,
     st("DROP PROCEDURE [P]") + procedureCreate("P", "DELETE FROM Tab WHERE 1=0"), ""},
    {"EqualViewWritesNothing",
     [] {
         return queries({view("Uses", acOnlyInSource, true, "SELECT * FROM Eqv", ""),
                         view("Eqv", acEqual, true, "SELECT 1", "SELECT 1")},
                        {});
     },
     options(), 0, false, viewCreate("Uses", "SELECT * FROM Eqv"), ""},
    {"TextsNamingEachOtherWrittenInListOrder",
     [] {
         return queries({view("Aaa", acDifferent, true, "SELECT * FROM Bbb", "SELECT 1"),
                         view("Bbb", acOnlyInSource, true, "SELECT * FROM Aaa", ""),
                         view("Ccc", acOnlyInSource, true, "SELECT 3", "")},
                        {});
     },
     options(), 0, false,
     viewCreate("Ccc", "SELECT 3") + st("DROP VIEW [Aaa]") +
         viewCreate("Aaa", "SELECT * FROM Bbb") + viewCreate("Bbb", "SELECT * FROM Aaa"),
     ""},
    {"BodyLineReadingRunLeftOut",
     [] {
         return queries({view("V", acOnlyInSource, true, "SELECT 1\r\n RUN \r\nFROM x", ""),
                         view("W", acDifferent, true, "SELECT 1\n<JET:USERS>", "SELECT 2")},
                        {procedure("P", acOnlyInSource, true, "DELETE FROM Tab\rRUN", "")});
     },
     options(), 0, false, "", "", 3},
    {"RunInsideALineIsText",
     [] {
         return queries({view("V", acOnlyInSource, true, "SELECT run, RUN; FROM x\r\nrun", "")},
                        {});
     },
     options(), 0, false, viewCreate("V", "SELECT run, RUN; FROM x\r\nrun"), ""},
    {"DropOfTheOtherKindFirst",
     [] {
         return queries({view("Q", acOnlyInSource, true, "SELECT * FROM Tab", "")},
                        {procedure("q", acOnlyInDestination, true, "", "DELETE FROM Tab")});
     },
     options([](ScriptOptions& o) { o.DropOppositeObjects = true; }), 0, false,
     st("DROP PROCEDURE [q]") + viewCreate("Q", "SELECT * FROM Tab"), ""},
};

INSTANTIATE_TEST_SUITE_P(Queries, Generate, ::testing::ValuesIn(kQueryCases), caseName);

// ---------------------------------------------------------------------------
// Users and groups

TComparisonResult principals(std::initializer_list<TPrincipal> users,
                             std::initializer_list<TPrincipal> groups) {
    TComparisonResult r;
    r.Users = arr(users);
    r.Groups = arr(groups);
    return r;
}

const TPrincipalProps kNone = principalSide({}, {});

// A user who joins, on the generating side, a new group that is not selected,
// a new selected one, one the target has, and one the record does not hold.
TComparisonResult joiningGroups() {
    return principals(
        {principal(
            "u", acDifferent, true,
            principalSide({member("gNew", acOnlyInSource), member("gSel", acOnlyInSource),
                           member("gOld", acOnlyInSource), member("gUnknown", acOnlyInSource)},
                          {}),
            principalSide({}, {}))},
        {principal("gNew", acOnlyInSource, false, kNone, {}),
         principal("gSel", acOnlyInSource, true, kNone, {}),
         principal("gOld", acEqual, false, kNone, kNone)});
}

const Case kPrincipalCases[] = {
    {"EqualPrincipalsWriteNothing",
     [] {
         const auto side =
             principalSide({member("g", acEqual)}, {permission(acEqual, "Database", 3, 0, 8)});
         return principals({principal("u", acEqual, true, side, side)},
                           {principal("g", acEqual, true, kNone, kNone)});
     },
     options(), 0, false, "", ""},
    {"TargetOnlyPrincipalsKept",
     [] {
         const auto side = principalSide({member("g", acOnlyInDestination)},
                                         {permission(acDifferent, "Database", 3, 0, 8)});
         return principals({principal("u", acOnlyInDestination, true, {}, side)},
                           {principal("g", acOnlyInDestination, true, {}, side)});
     },
     options(), 0, false, "", ""},
    {"TargetOnlyPrincipalsDroppedAlone",
     [] {
         const auto side = principalSide({member("g", acOnlyInDestination)},
                                         {permission(acDifferent, "Database", 3, 0, 8)});
         return principals({principal("u", acOnlyInDestination, true, {}, side)},
                           {principal("g", acOnlyInDestination, true, {}, side)});
     },
     options([](ScriptOptions& o) { o.DropOppositeObjects = true; }), 0, false,
     st("DROP GROUP [g]") + st("DROP USER [u]"), ""},
    {"NewUserDestinationToSource",
     [] {
         auto r = principals({principal("ann", acOnlyInDestination, true, {},
                                        principalSide({member("staff", acOnlyInDestination),
                                                       member("admins", acOnlyInDestination)},
                                                      {permission(acDifferent, "Database", 3, 0, 8),
                                                       permission(acDifferent, "T", 1, 1, 12)}))},
                             {});
         r.Tables.Append() = table("T", acEqual, false, {});
         return r;
     },
     tablesOnly([](ScriptOptions& o) { o.IncludeTables = false; }), 1, false,
     st("CREATE USER [ann]") + st("ADD USER [ann] TO [staff]") + st("ADD USER [ann] TO [admins]"),
     "<JET:USERS>\r\nann;Database;3;2;8\r\nann;T;1;2;12\r\n</JET:USERS>\r\n\r\n"},
    {"ChangedGroupGetsOnlyItsBlock",
     [] {
         auto r = principals(
             {}, {principal("g", acDifferent, true,
                            principalSide({}, {permission(acEqual, "Database", 3, 0, 8),
                                               permission(acDifferent, "T", 1, 1,
                                                          static_cast<int32_t>(0x80000000u))}),
                            principalSide({}, {permission(acEqual, "Database", 3, 0, 8),
                                               permission(acDifferent, "T", 1, 1, 0)}))});
         r.Tables.Append() = table("T", acEqual, false, {});
         return r;
     },
     tablesOnly([](ScriptOptions& o) { o.IncludeTables = false; }), 0, false, "",
     "<JET:GROUPS>\r\ng;T;1;1;-2147483648\r\n</JET:GROUPS>\r\n\r\n"},
    {"NewGroupThenItsBlock",
     [] {
         return principals(
             {},
             {principal("g", acOnlyInSource, true,
                        principalSide({}, {permission(acDifferent, "Database", 3, 0, 0)}), {})});
     },
     options(), 0, false, st("CREATE GROUP [g]"),
     "<JET:GROUPS>\r\ng;Database;3;1;0\r\n</JET:GROUPS>\r\n\r\n"},
    {"MembershipOnTheGeneratingSideOnlyIsAdded",
     [] {
         return principals(
             {principal("u", acDifferent, true,
                        principalSide({member("staff", acOnlyInSource), member("x", acEqual)},
                                      {permission(acEqual, "Database", 3, 0, 8)}),
                        principalSide({member("x", acEqual), member("old", acOnlyInDestination)},
                                      {permission(acEqual, "Database", 3, 0, 8)}))},
             {});
     },
     options(), 0, false, st("ADD USER [u] TO [staff]"), ""},
    {"MembershipOnTheTargetOnlyIsKept",
     [] {
         return principals({principal("u", acDifferent, true, principalSide({}, {}),
                                      principalSide({member("old", acOnlyInDestination)}, {}))},
                           {});
     },
     options(), 0, false, "", ""},
    {"PermissionsOnNewObjectsOnlyWhenCreated",
     [] {
         auto r =
             principals({principal("u", acDifferent, true,
                                   principalSide({}, {permission(acDifferent, "NewOff", 1, 1, 1),
                                                      permission(acDifferent, "NewOn", 1, 2, 2),
                                                      permission(acDifferent, "Old", 1, 3, 3),
                                                      permission(acDifferent, "Pr", 4, 1, 4),
                                                      permission(acDifferent, "Vw", 5, 1, 5)}),
                                   principalSide({}, {}))},
                        {});
         r.Tables =
             arr({table("NewOff", acOnlyInSource, false, {}),
                  table("NewOn", acOnlyInSource, true, {}), table("Old", acDifferent, false, {})});
         r.Procedures.Append() = procedure("Pr", acOnlyInSource, false, "DELETE FROM Old", "");
         r.Views.Append() = view("Vw", acEqual, false, "SELECT 1", "SELECT 1");
         return r;
     },
     tablesOnly([](ScriptOptions& o) { o.IncludeTables = false; }), 0, false, "",
     "<JET:USERS>\r\nu;NewOn;1;2;2\r\nu;Old;1;2;3\r\nu;Vw;5;2;5\r\n</JET:USERS>\r\n\r\n"},
    {"MembershipInAGroupTheScriptDoesNotCreateLeftOut", [] { return joiningGroups(); }, options(),
     0, false,
     st("CREATE GROUP [gSel]") + st("ADD USER [u] TO [gSel]") + st("ADD USER [u] TO [gOld]") +
         st("ADD USER [u] TO [gUnknown]"),
     "", 1},
    {"MembershipsInNewGroupsLeftOutWithoutGroups", [] { return joiningGroups(); },
     options([](ScriptOptions& o) { o.IncludeGroups = false; }), 0, false,
     st("ADD USER [u] TO [gOld]") + st("ADD USER [u] TO [gUnknown]"), "", 2},
    {"NewUserIsInUsersAlready",
     [] {
         return principals(
             {principal(
                  "u", acOnlyInSource, true,
                  principalSide({member("users", acOnlyInSource), member("g", acOnlyInSource)}, {}),
                  {}),
              principal("v", acDifferent, true,
                        principalSide({member("Users", acOnlyInSource)}, {}),
                        principalSide({}, {}))},
             {});
     },
     options(), 0, false,
     st("CREATE USER [u]") + st("ADD USER [u] TO [g]") + st("ADD USER [v] TO [Users]"), ""},
    {"GroupsBeforeUsers",
     [] {
         return principals({principal("u", acOnlyInSource, true,
                                      principalSide({member("g", acOnlyInSource)}, {}), {})},
                           {principal("g", acOnlyInSource, true, kNone, {})});
     },
     options(), 0, false,
     st("CREATE GROUP [g]") + st("CREATE USER [u]") + st("ADD USER [u] TO [g]"), ""},
    {"BracketInANameWrittenAsItStands",
     [] {
         return principals(
             {principal("a]b", acOnlyInSource, true,
                        principalSide({}, {permission(acDifferent, "Database", 3, 0, 1)}), {})},
             {});
     },
     options(), 0, false, st("CREATE USER [a]b]"),
     "<JET:USERS>\r\na]b;Database;3;2;1\r\n</JET:USERS>\r\n\r\n"},
    {"NamesBlockLinesCannotCarryLeftOut",
     [] {
         auto r = principals(
             {principal("a;b", acOnlyInSource, true,
                        principalSide({}, {permission(acDifferent, "Database", 3, 0, 1)}), {}),
              principal("c", acOnlyInSource, true,
                        principalSide({}, {permission(acDifferent, "Database", 3, 0, 1),
                                           permission(acDifferent, "t;x", 1, 1, 2)}),
                        {})},
             {});
         r.Tables.Append() = table("t;x", acEqual, false, {});
         return r;
     },
     tablesOnly([](ScriptOptions& o) { o.IncludeTables = false; }), 0, false,
     st("CREATE USER [a;b]") + st("CREATE USER [c]"),
     "<JET:USERS>\r\nc;Database;3;2;1\r\n</JET:USERS>\r\n\r\n", 2},
    {"PermissionOnALeftOutTableLeftOut",
     [] {
         auto r = principals({principal("u", acDifferent, true,
                                        principalSide({}, {permission(acDifferent, "X", 1, 1, 2)}),
                                        principalSide({}, {}))},
                             {});
         r.Tables.Append() = table("X", acOnlyInSource, true, {sourceOnly("c", type(20, 8))});
         return r;
     },
     tablesOnly(), 0, false, "", "", 3},
};

INSTANTIATE_TEST_SUITE_P(Principals, Generate, ::testing::ValuesIn(kPrincipalCases), caseName);

// ---------------------------------------------------------------------------
// What the options keep as it stands (counted for the script window's notes)

struct KeptCase {
    const char* name;
    std::function<TComparisonResult()> record;
    ScriptOptions options;
    bool match;
    int32_t kept;     // KeptTargetOnly, direction 0
    int32_t skipped;  // SkippedAutoIncrement, direction 0
};

void PrintTo(const KeptCase& c, std::ostream* os) { *os << c.name; }

// One selected object only in the destination of every kind, one not
// selected, and one only in the source (which the script creates).
TComparisonResult targetOnlyOfEveryKind() {
    TComparisonResult r;
    r.Tables =
        arr({table("Old", acOnlyInDestination, true, {destinationOnly("x", integer())}),
             table("Unticked", acOnlyInDestination, false, {destinationOnly("x", integer())}),
             table("New", acOnlyInSource, true, {sourceOnly("x", integer())})});
    r.Views = arr({view("OldView", acOnlyInDestination, true, "", "SELECT 1")});
    r.Procedures = arr({procedure("OldProc", acOnlyInDestination, true, "", "DELETE FROM Old")});
    r.Users = arr({principal("olduser", acOnlyInDestination, true, {}, principalSide({}, {}))});
    r.Groups = arr({principal("oldgroup", acOnlyInDestination, true, {}, principalSide({}, {}))});
    return r;
}

// A changed table whose columns are AutoIncrement in the source.
TComparisonResult counterColumns() {
    auto described = counter();
    described.Description = "was blank";
    return withTables(
        {table("T", acDifferent, true,
               {both("BecomesCounter", counter(), integer()),           // altered: skipped
                sourceOnly("NewCounter", counter()),                    // added: skipped
                both("SameCounter", counter(), counter(), acEqual),     // nothing to write
                both("DescriptionOnly", described, counter()),          // block lines only
                both("Renamed", counter(), counter(), acEqual, "Old"),  // renamed with match on
                both("Plain", text(20), text(10))})});                  // not a counter
}

class KeptAsItStands : public ::testing::TestWithParam<KeptCase> {};

TEST_P(KeptAsItStands, IsCountedInBothDirections) {
    const KeptCase& c = GetParam();
    const TComparisonResult record = c.record();
    const TScript s = generate(record, c.options, 0, c.match);
    EXPECT_EQ(s.KeptTargetOnly, c.kept);
    EXPECT_EQ(s.SkippedAutoIncrement, c.skipped);
    const TScript m = generate(mirror(record), c.options, 1, c.match);
    EXPECT_EQ(m.KeptTargetOnly, c.kept) << "mirrored record, other direction";
    EXPECT_EQ(m.SkippedAutoIncrement, c.skipped) << "mirrored record, other direction";
}

const KeptCase kKeptCases[] = {
    {"TargetOnlyObjectsOfEveryKind", targetOnlyOfEveryKind, options(), false, 5, 0},
    {"DroppedWhenTheOptionIsOn", targetOnlyOfEveryKind,
     options([](ScriptOptions& o) { o.DropOppositeObjects = true; }), false, 0, 0},
    {"KindsNotScriptedAreNotCounted", targetOnlyOfEveryKind, options([](ScriptOptions& o) {
         o.IncludeViews = false;
         o.IncludeUsers = false;
     }),
     false, 3, 0},
    {"SkippedCounterColumns", counterColumns,
     options([](ScriptOptions& o) { o.SkipAutoIncrementColumns = true; }), false, 0, 2},
    {"ARenameIsSkippedToo", counterColumns,
     options([](ScriptOptions& o) { o.SkipAutoIncrementColumns = true; }), true, 0, 3},
    {"NothingSkippedWhenTheOptionIsOff", counterColumns, options(), true, 0, 0},
    {"AnUnselectedTableIsNotScripted",
     [] {
         auto r = counterColumns();
         r.Tables[1].Selected = false;
         return r;
     },
     options([](ScriptOptions& o) { o.SkipAutoIncrementColumns = true; }), true, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Options, KeptAsItStands, ::testing::ValuesIn(kKeptCases),
                         [](const auto& p) { return std::string(p.param.name); });

// ---------------------------------------------------------------------------
// Order of the whole script

TEST(GenerateScript, PassesInTheirOrder) {
    auto r = related(false, true);
    r.Tables.Append() =
        table("New", acOnlyInSource, true, {sourceOnly("a", described(integer(), "d"))});
    r.Views.Append() = view("V", acOnlyInSource, true, "SELECT 1", "");
    r.Procedures.Append() = procedure("P", acOnlyInSource, true, "DELETE FROM New", "");
    r.Users.Append() =
        principal("u", acOnlyInSource, true,
                  principalSide({}, {permission(acDifferent, "Database", 3, 0, 1)}), {});
    r.Groups.Append() =
        principal("g", acOnlyInSource, true,
                  principalSide({}, {permission(acDifferent, "Database", 3, 0, 2)}), {});
    const auto s = generate(r, options(), 0, false);
    const std::vector<std::string> inOrder = {
        "DROP CONSTRAINT [PC]", "DROP INDEX [PrimaryKey]", "CREATE TABLE [New]",
        "CREATE INDEX [ix]",    "ADD CONSTRAINT [PC]",     "CREATE PROCEDURE [V]",
        "CREATE PROCEDURE [P]", "CREATE GROUP [g]",        "CREATE USER [u]"};
    size_t at = 0;
    for (const auto& piece : inOrder) {
        const size_t found = s.Statements.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << " missing or out of order";
        at = found;
    }
    EXPECT_EQ(s.Blocks, columns("New;a;13;0\r\nNew;a;2;d\r\n") +
                            "<JET:GROUPS>\r\ng;Database;3;1;2\r\n</JET:GROUPS>\r\n\r\n"
                            "<JET:USERS>\r\nu;Database;3;2;1\r\n</JET:USERS>\r\n\r\n");
    // Generating again on the same record gives the same script.
    const auto again = generate(r, options(), 0, false);
    EXPECT_EQ(again.Statements, s.Statements);
    EXPECT_EQ(again.Blocks, s.Blocks);
}

}  // namespace
