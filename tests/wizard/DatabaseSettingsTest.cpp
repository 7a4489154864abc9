#include <gtest/gtest.h>

#include <string>

#include "jet/ConnectionString.h"
#include "wizard/DatabaseSettings.h"

namespace {

using wizard::DatabaseSide;

struct StringCase {
    const char* name;
    DatabaseSide side;
    const char* want;  // after "Provider=Microsoft.Jet.OLEDB.4.0;Data Source="
};

void PrintTo(const StringCase& c, std::ostream* os) { *os << c.name; }

constexpr const char* kHead = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";

class WizardConnectionString : public ::testing::TestWithParam<StringCase> {};

TEST_P(WizardConnectionString, IsBuiltFromOneSidesFields) {
    const auto& c = GetParam();
    EXPECT_EQ(wizard::BuildConnectionString(c.side), std::string(kHead) + c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WizardConnectionString,
    ::testing::Values(
        StringCase{"databaseOnly", {"/d/a.sdb", "", "", ""}, "/d/a.sdb;"},
        StringCase{"workgroupFollowsTwoSemicolons",
                   {"/d/a.sdb", "/d/s.sdw", "", ""},
                   "/d/a.sdb;;Jet OLEDB:System database=/d/s.sdw"},
        StringCase{"workgroupUserAndPassword",
                   {"a.sdb", "s.sdw", "bob", "pw"},
                   "a.sdb;;Jet OLEDB:System database=s.sdw;User ID=bob;Password=pw"},
        StringCase{
            "userWithEmptyPassword", {"a.sdb", "", "bob", ""}, "a.sdb;;User ID=bob;Password="},
        StringCase{"passwordWithoutUserIsTheDatabasePassword",
                   {"a.sdb", "", "", "pw"},
                   "a.sdb;;Jet OLEDB:Database Password=pw"},
        StringCase{"workgroupAndDatabasePassword",
                   {"a.sdb", "s.sdw", "", "pw"},
                   "a.sdb;;Jet OLEDB:System database=s.sdw;Jet OLEDB:Database Password=pw"},
        StringCase{"blankWorkgroupIsNone", {"a.sdb", "    ", "", ""}, "a.sdb;"},
        StringCase{"blankUserFallsToDatabasePassword",
                   {"a.sdb", "", "   ", " pw "},
                   "a.sdb;;Jet OLEDB:Database Password=pw"},
        StringCase{"blankPasswordIsNone", {"a.sdb", "", "", "   "}, "a.sdb;"},
        StringCase{"outerSpacesRemovedEverywhere",
                   {"  a b.sdb ", " s.sdw ", " bob ", "  p w  "},
                   "a b.sdb;;Jet OLEDB:System database=s.sdw;User ID=bob;Password=p w"},
        StringCase{"blankDatabaseLeftForTheOpenToRefuse", {"   ", "", "", ""}, ";"},
        StringCase{"semicolonsEqualsAndQuotesQuoted",
                   {"/d/a;b.sdb", "/w/x=y.sdw", "o\"k", "p;w"},
                   "\"/d/a;b.sdb\";;Jet OLEDB:System database=\"/w/x=y.sdw\";User "
                   "ID=\"o\"\"k\";Password=\"p;w\""},
        StringCase{"tabAtTheEndKeptAndQuoted",
                   {"a.sdb", "", "", "pw\t"},
                   "a.sdb;;Jet OLEDB:Database Password=\"pw\t\""},
        StringCase{"nonAsciiUnchanged",
                   {"/d/Caf\xC3\xA9.sdb", "", "J\xC3\xBCrgen", "\xC3\x9F"},
                   "/d/Caf\xC3\xA9.sdb;;User ID=J\xC3\xBCrgen;Password=\xC3\x9F"}),
    [](const auto& tc) { return std::string(tc.param.name); });

// Whatever the fields hold, the data-access layer reads the string back as the
// trimmed fields: the doubled semicolon is an empty pair, quoted values come
// back unquoted.
TEST(WizardConnectionStringRoundTrip, ReadsBackAsTheTrimmedFields) {
    const DatabaseSide side{" /d/a;b=c.sdb ", " /w/\"x\".sdw", "u;1 ", "  p;w "};
    const auto p = jet::parseConnectionString(wizard::BuildConnectionString(side));
    EXPECT_EQ(p.dataSource, "/d/a;b=c.sdb");
    EXPECT_EQ(p.systemDatabase.value_or("?"), "/w/\"x\".sdw");
    EXPECT_EQ(p.userId.value_or("?"), "u;1");
    EXPECT_EQ(p.password.value_or("?"), "p;w");
    EXPECT_FALSE(p.databasePassword);

    const auto q =
        jet::parseConnectionString(wizard::BuildConnectionString({"a.sdb", "", "", "x"}));
    EXPECT_EQ(q.databasePassword.value_or("?"), "x");
    EXPECT_FALSE(q.userId);
    EXPECT_FALSE(q.systemDatabase);
}

TEST(WizardDatabaseSettings, AWorkgroupIsNamedByANonBlankField) {
    EXPECT_TRUE(wizard::HasWorkgroup({"a", "w", "", ""}));
    EXPECT_TRUE(wizard::HasWorkgroup({"a", "  w ", "", ""}));
    EXPECT_FALSE(wizard::HasWorkgroup({"a", "", "", ""}));
    EXPECT_FALSE(wizard::HasWorkgroup({"a", "   ", "", ""}));
}

}  // namespace
