#include <gtest/gtest.h>

#include "jet/ConnectionString.h"
#include "runner/RunnerSettings.h"

namespace {

struct SettingsCase {
    const char* name;
    runner::RunnerSettings settings;
    const char* want;
};

void PrintTo(const SettingsCase& c, std::ostream* os) { *os << c.name; }

constexpr const char* kHead = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";

class RunnerConnectionString : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(RunnerConnectionString, IsBuiltFromTheFields) {
    const auto& c = GetParam();
    const std::string got = runner::BuildConnectionString(c.settings);
    EXPECT_EQ(got, std::string(kHead) + c.want);
    // Whatever the fields hold, the string reads back as those fields.
    const auto props = jet::parseConnectionString(got);
    EXPECT_FALSE(props.dataSource.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunnerConnectionString,
    ::testing::Values(
        SettingsCase{
            "databaseOnly", {"/d/a.sdb", "", "", ""}, "/d/a.sdb;Persist Security Info=True"},
        SettingsCase{"workgroup",
                     {"/d/a.sdb", "/d/s.sdw", "", ""},
                     "/d/a.sdb;Persist Security Info=True;Jet OLEDB:System database=/d/s.sdw"},
        SettingsCase{"userWithEmptyPassword",
                     {"a.sdb", "s.sdw", "bob", ""},
                     "a.sdb;Persist Security Info=True;Jet OLEDB:System database=s.sdw;User "
                     "ID=bob;Password="},
        SettingsCase{"userAndPassword",
                     {"a.sdb", "", "bob", "pw"},
                     "a.sdb;Persist Security Info=True;User ID=bob;Password=pw"},
        SettingsCase{"passwordWithoutUser",
                     {"a.sdb", "", "", "pw"},
                     "a.sdb;Persist Security Info=True;Jet OLEDB:Database Password=pw"},
        SettingsCase{
            "blankWorkgroupIsNone", {"a.sdb", "    ", "", ""}, "a.sdb;Persist Security Info=True"},
        SettingsCase{"outerSpacesRemovedEverywhere",
                     {"  a b.sdb ", " s.sdw ", " bob ", "  p w  "},
                     "a b.sdb;Persist Security Info=True;Jet OLEDB:System database=s.sdw;User "
                     "ID=bob;Password=p w"},
        SettingsCase{"blankUserFallsToDatabasePassword",
                     {"a.sdb", "", "   ", " pw "},
                     "a.sdb;Persist Security Info=True;Jet OLEDB:Database Password=pw"},
        SettingsCase{
            "semicolonAndEqualsQuoted",
            {"/d/a;b.sdb", "", "x=y", "p\"w;"},
            "\"/d/a;b.sdb\";Persist Security Info=True;User ID=\"x=y\";Password=\"p\"\"w;\""},
        SettingsCase{"nonAsciiUnchanged",
                     {"/d/Caf\xC3\xA9.sdb", "", "J\xC3\xBCrgen", "\xC3\x9F"},
                     "/d/Caf\xC3\xA9.sdb;Persist Security Info=True;User "
                     "ID=J\xC3\xBCrgen;Password=\xC3\x9F"}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(RunnerConnectionStringRoundTrip, QuotedValuesReadBackUnchanged) {
    const auto s = runner::BuildConnectionString({"/d/a;b=c.sdb", "/w/\"x\".sdw", "u;1", " p;w "});
    const auto p = jet::parseConnectionString(s);
    EXPECT_EQ(p.dataSource, "/d/a;b=c.sdb");
    EXPECT_EQ(p.systemDatabase.value_or("?"), "/w/\"x\".sdw");
    EXPECT_EQ(p.userId.value_or("?"), "u;1");
    EXPECT_EQ(p.password.value_or("?"), "p;w");
}

}  // namespace
