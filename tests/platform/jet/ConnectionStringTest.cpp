#include <gtest/gtest.h>

#include "jet/ConnectionString.h"
#include "jet/Error.h"

namespace {

using jet::parseConnectionString;

struct ParseCase {
    const char* name;
    const char* text;
    const char* dataSource;
    const char* systemDatabase;  // nullptr: not named
    const char* userId;
    const char* password;
    const char* databasePassword;
};

class ConnectionStringParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ConnectionStringParse, ReadsEveryKey) {
    const auto& c = GetParam();
    const auto p = parseConnectionString(c.text);
    EXPECT_EQ(p.dataSource, c.dataSource);
    auto same = [](const std::optional<std::string>& got, const char* want) {
        if (!want) return !got.has_value();
        return got.has_value() && *got == want;
    };
    EXPECT_TRUE(same(p.systemDatabase, c.systemDatabase));
    EXPECT_TRUE(same(p.userId, c.userId));
    EXPECT_TRUE(same(p.password, c.password));
    EXPECT_TRUE(same(p.databasePassword, c.databasePassword));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectionStringParse,
    ::testing::Values(
        ParseCase{"wizardOnlyDatabase", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/a.mdb;",
                  "/d/a.mdb", nullptr, nullptr, nullptr, nullptr},
        ParseCase{"doubleSemicolonBeforeWorkgroup",
                  "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb;;Jet OLEDB:System "
                  "database=s.mdw;User ID=bob;Password=",
                  "a.mdb", "s.mdw", "bob", "", nullptr},
        ParseCase{"keyCaseAndBlanks",
                  "  provider = microsoft.jet.oledb.4.0 ; DATA SOURCE = a.mdb ; jet oledb:database "
                  "password = pw",
                  "a.mdb", nullptr, nullptr, nullptr, "pw"},
        ParseCase{"quotedValues",
                  "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\" a;b=c.mdb \";Password=\"x\"\"y\"",
                  " a;b=c.mdb ", nullptr, nullptr, "x\"y", nullptr},
        ParseCase{"laterDuplicateWins",
                  "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb;Data Source=b.mdb", "b.mdb",
                  nullptr, nullptr, nullptr, nullptr},
        ParseCase{"persistSecurityInfoIgnored",
                  "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb;Persist Security Info=True",
                  "a.mdb", nullptr, nullptr, nullptr, nullptr},
        ParseCase{"unquotedEqualsKept", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb;Password=a=b",
                  "a.mdb", nullptr, nullptr, "a=b", nullptr}),
    [](const auto& tc) { return std::string(tc.param.name); });

struct BadCase {
    const char* name;
    const char* text;
    jet::Err expected;
    const char* mentioned;  // text the description must name
};

class ConnectionStringRefuses : public ::testing::TestWithParam<BadCase> {};

TEST_P(ConnectionStringRefuses, WithAClearError) {
    const auto& c = GetParam();
    try {
        (void)parseConnectionString(c.text);
        FAIL() << "accepted " << c.text;
    } catch (const jet::Error& e) {
        EXPECT_EQ(e.number(), jet::errorEntry(c.expected).number);
        EXPECT_NE(e.description().find(c.mentioned), std::string::npos) << e.description();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectionStringRefuses,
    ::testing::Values(
        BadCase{"unknownKey", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb;Colour=red",
                jet::Err::UnknownKey, "Colour"},
        BadCase{"missingDataSource", "Provider=Microsoft.Jet.OLEDB.4.0;", jet::Err::NoDataSource,
                "Data Source"},
        BadCase{"emptyDataSource", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=;",
                jet::Err::NoDataSource, "Data Source"},
        BadCase{"wrongProvider", "Provider=SQLOLEDB;Data Source=a.mdb", jet::Err::ProviderNotFound,
                "SQLOLEDB"},
        BadCase{"noProvider", "Data Source=a.mdb", jet::Err::ProviderNotFound, "(none)"},
        BadCase{"segmentWithoutEquals", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb;junk",
                jet::Err::BadInitString, "without '='"},
        BadCase{"unclosedQuote", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"a.mdb",
                jet::Err::BadInitString, "unclosed"}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(ConnectionStringQuote, OnlyValuesThatNeedIt) {
    struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"C:\\data\\north wind.mdb", "C:\\data\\north wind.mdb"},
        {"", ""},
        {"a;b", "\"a;b\""},
        {"a=b", "\"a=b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {" lead", "\" lead\""},
        {"trail ", "\"trail \""},
    };
    for (const auto& c : cases) EXPECT_EQ(jet::quoteConnectionValue(c.in), c.out) << c.in;
}

TEST(ConnectionStringQuote, RoundTripsThroughTheParser) {
    for (std::string v : {"a;b", "x\"\"y", " both ", "p=q;r", "plain"}) {
        const auto text = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=d.mdb;Password=" +
                          jet::quoteConnectionValue(v);
        EXPECT_EQ(parseConnectionString(text).password.value_or("<none>"), v);
    }
}

}  // namespace
