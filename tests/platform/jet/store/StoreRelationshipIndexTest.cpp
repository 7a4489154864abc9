// The index a relationship keeps: Jet puts it into the physical index already
// on the same columns, so a one-to-one relationship's index (on a primary key
// or a unique index) is unique. Each case is built twice, the index before
// the relationship and after it, and the two catalogs are compared.
#include "StoreTestSupport.h"

namespace {

using storetest::Db;
using storetest::dump;

constexpr const char* kTables = R"(
CREATE TABLE [P] ([ID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [Code] TEXT(5),
  CONSTRAINT [PK2] UNIQUE ([ID], [Code]));
CREATE TABLE [C] ([ID] LONG, [PID] LONG, [Code] TEXT(5));
)";

struct Case {
    const char* name;
    const char* index;         // an index on [C]
    const char* relationship;  // the relationship [FK] of [C]
    // The relationship's index when it comes second; made first it is never
    // unique and allows nulls.
    bool unique;
    int32_t nulls;
};

const char* const kOnId =
    "ALTER TABLE [C] ADD CONSTRAINT [FK] FOREIGN KEY ([ID]) REFERENCES [P] ([ID])";
const char* const kOnPid =
    "ALTER TABLE [C] ADD CONSTRAINT [FK] FOREIGN KEY ([PID]) REFERENCES [P] ([ID]) ON DELETE "
    "CASCADE";
const char* const kOnTwo =
    "ALTER TABLE [C] ADD CONSTRAINT [FK] FOREIGN KEY ([PID], [Code]) REFERENCES [P] ([ID], [Code])";

const Case kCases[] = {
    {"PrimaryKeyColumns", "ALTER TABLE [C] ADD CONSTRAINT [CK] PRIMARY KEY ([ID])", kOnId, true,
     jet::indexnulls::Disallow},
    {"PrimaryIndex", "CREATE INDEX [CK] ON [C] ([ID]) WITH PRIMARY", kOnId, true,
     jet::indexnulls::Disallow},
    {"UniqueIndex", "CREATE UNIQUE INDEX [UX] ON [C] ([PID])", kOnPid, true,
     jet::indexnulls::Allow},
    {"UniqueConstraint", "ALTER TABLE [C] ADD CONSTRAINT [UX] UNIQUE ([PID])", kOnPid, true,
     jet::indexnulls::Allow},
    {"UniqueIndexIgnoringNulls", "CREATE UNIQUE INDEX [UX] ON [C] ([PID]) WITH IGNORE NULL", kOnPid,
     true, jet::indexnulls::Ignore},
    {"TwoColumnUniqueIndex", "CREATE UNIQUE INDEX [UX] ON [C] ([PID], [Code])", kOnTwo, true,
     jet::indexnulls::Allow},
    // A plain index is shared too: the relationship's index takes its null rule.
    {"NonUniqueIndex", "CREATE INDEX [IX] ON [C] ([PID])", kOnPid, false, jet::indexnulls::Allow},
    {"NonUniqueIndexDisallowingNulls", "CREATE INDEX [IX] ON [C] ([PID]) WITH DISALLOW NULL",
     kOnPid, false, jet::indexnulls::Disallow},
    {"DifferentColumnOrder", "CREATE UNIQUE INDEX [UX] ON [C] ([Code], [PID])", kOnTwo, false,
     jet::indexnulls::Allow},
    {"FewerColumns", "CREATE UNIQUE INDEX [UX] ON [C] ([PID])", kOnTwo, false,
     jet::indexnulls::Allow},
    {"DescendingUniqueIndex", "CREATE UNIQUE INDEX [UX] ON [C] ([PID] DESC)", kOnPid, false,
     jet::indexnulls::Allow},
    {"OtherColumn", "CREATE UNIQUE INDEX [UX] ON [C] ([Code])", kOnPid, false,
     jet::indexnulls::Allow},
};

// The text without its line that starts with `head`, and that line.
std::pair<std::string, std::string> splitOff(std::string text, std::string_view head) {
    const auto at = text.find(head);
    if (at == std::string::npos) return {text, ""};
    const auto end = text.find('\n', at);
    std::string line = text.substr(at, end - at);
    text.erase(at, end - at);
    return {text, line};
}

class RelationshipIndex : public ::testing::TestWithParam<Case> {};

TEST_P(RelationshipIndex, SharesTheIndexMadeBeforeIt) {
    const Case& k = GetParam();
    Db indexFirst(kTables);
    indexFirst.exec(k.index);
    indexFirst.exec(k.relationship);
    Db indexSecond(kTables);
    indexSecond.exec(k.relationship);
    indexSecond.exec(k.index);

    auto first = indexFirst.cat.Tables().Item("C").Indexes().Item("FK");
    EXPECT_EQ(first.Unique(), k.unique);
    EXPECT_EQ(first.IndexNulls(), k.nulls);
    EXPECT_FALSE(first.PrimaryKey());
    auto second = indexSecond.cat.Tables().Item("C").Indexes().Item("FK");
    EXPECT_FALSE(second.Unique());
    EXPECT_EQ(second.IndexNulls(), jet::indexnulls::Allow);

    // Built the other way round, the catalogs differ in that index alone; a
    // relationship's index is never a unique key of its own.
    const auto [restFirst, lineFirst] = splitOff(dump(indexFirst.cat), " I FK ");
    const auto [restSecond, lineSecond] = splitOff(dump(indexSecond.cat), " I FK ");
    EXPECT_EQ(restFirst, restSecond);
    EXPECT_EQ(lineFirst == lineSecond, !k.unique && k.nulls == jet::indexnulls::Allow);
    EXPECT_EQ(indexFirst.cat.Tables().Item("C").Keys().Item("FK").Type(), jet::keytype::Foreign);
}

INSTANTIATE_TEST_SUITE_P(Store, RelationshipIndex, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

// A unique relationship index keeps its rows unique; after the index it
// shared is dropped it does so by itself, and it stays unique in the catalog.
TEST(RelationshipIndex, UniqueIndexKeepsRowsUniqueAfterTheSharedIndexGoes) {
    Db db(kTables);
    db.exec("INSERT INTO [P] VALUES (1, 'a')");
    db.exec("INSERT INTO [P] VALUES (2, 'b')");
    db.exec("CREATE UNIQUE INDEX [UX] ON [C] ([PID])");
    db.exec(kOnPid);
    db.exec("INSERT INTO [C] VALUES (1, 1, 'x')");
    db.exec("DROP INDEX [UX] ON [C]");
    EXPECT_TRUE(db.cat.Tables().Item("C").Indexes().Item("FK").Unique());
    const auto e = storetest::errorOf([&] { db.exec("INSERT INTO [C] VALUES (2, 1, 'y')"); });
    EXPECT_EQ(e.description(), jet::makeError(jet::Err::DuplicateValues).description());
    db.exec("INSERT INTO [C] VALUES (3, 2, 'z')");
    // Dropping the relationship takes its index with it; the rule goes too.
    db.exec("ALTER TABLE [C] DROP CONSTRAINT [FK]");
    db.exec("INSERT INTO [C] VALUES (4, 2, 'w')");
    EXPECT_EQ(db.cat.Tables().Item("C").Indexes().Count(), 0);
}

// A relationship made in CREATE TABLE after the primary key in the same
// statement shares it; the order of the clauses counts, as in ALTER TABLE.
TEST(RelationshipIndex, ClausesOfOneCreateTableTakeEffectInOrder) {
    Db db(kTables);
    db.exec(
        "CREATE TABLE [D] ([ID] LONG CONSTRAINT [DK] PRIMARY KEY CONSTRAINT [DP] REFERENCES [P] "
        "([ID]))");
    db.exec(
        "CREATE TABLE [E] ([ID] LONG CONSTRAINT [EP] REFERENCES [P] ([ID]), CONSTRAINT [EK] "
        "PRIMARY KEY ([ID]))");
    EXPECT_TRUE(db.cat.Tables().Item("D").Indexes().Item("DP").Unique());
    EXPECT_FALSE(db.cat.Tables().Item("E").Indexes().Item("EP").Unique());
}

}  // namespace
