#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "TestSupport.h"
#include "ini/Profile.h"

namespace {

using testsupport::readFile;
using testsupport::writeFile;
using Names = std::vector<std::string>;

constexpr const char* kConfig =
    "; made by hand\r\n"
    "[General]\r\n"
    "Version=1.1.0\r\n"
    "\r\n"
    "[Database]\r\n"
    "  SourceDBFile =  /data/shop.mdb  \r\n"
    "SourcePassword=\"  secret \"\r\n"
    "Quoted='x'\r\n"
    "Half=\"x\r\n"
    "Empty=\r\n"
    "# a comment=with an equals sign\r\n"
    "a line without equals\r\n"
    "\r\n"
    "[Options]\r\n"
    "CompareTables=1\r\n";

class ProfileTest : public ::testing::Test {
protected:
    ProfileTest() { writeFile(path, kConfig); }
    testsupport::TempDir dir;
    std::string path = dir.file("settings.pcf");
};

TEST_F(ProfileTest, ReadsValues) {
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"General", "Version", "1.1.0"},
        {"GENERAL", "version", "1.1.0"},                     // names without regard to case
        {" Database ", " SourceDBFile ", "/data/shop.mdb"},  // names and value trimmed
        {"Database", "SourcePassword", "  secret "},  // one pair of quotes dropped, inside kept
        {"Database", "Quoted", "x"},
        {"Database", "Half", "\"x"},  // not a pair
        {"Database", "Empty", ""},    // present and empty
        {"Database", "Missing", std::nullopt},
        {"Nowhere", "Version", std::nullopt},
        {"Database", "# a comment", std::nullopt},  // comments are no keys
        {"Database", "a line without equals", std::nullopt},
        {"Options", "CompareTables", "1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini::readValue(path, c.section, c.key), c.value) << c.section << "/" << c.key;
    EXPECT_EQ(ini::readValue(dir.file("missing.ini"), "General", "Version"), std::nullopt);
    EXPECT_EQ(ini::readValue(dir.path().string(), "General", "Version"), std::nullopt);
}

TEST_F(ProfileTest, ReadsAValueWhole) {
    const std::string longValue(5000, 'v');
    ASSERT_TRUE(ini::writeValue(path, "User", "LastUsedPath", longValue));
    EXPECT_EQ(ini::readValue(path, "User", "LastUsedPath"), longValue);
}

struct QuotedCase {
    const char* name;
    std::string value;
    std::string written;  // what quotedForReading gives
};

class QuotedForReading : public ProfileTest, public ::testing::WithParamInterface<QuotedCase> {};

// What reading would trim or unquote goes in one more pair of quotes; the
// value written so reads back exactly.
TEST_P(QuotedForReading, ReadsBackExactly) {
    const QuotedCase& c = GetParam();
    EXPECT_EQ(ini::quotedForReading(c.value), c.written);
    ASSERT_TRUE(ini::writeValue(path, "Database", "Value", ini::quotedForReading(c.value)));
    EXPECT_EQ(ini::readValue(path, "Database", "Value"), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, QuotedForReading,
    ::testing::Values(
        QuotedCase{"Plain", "s3cret pass", "s3cret pass"}, QuotedCase{"Empty", "", ""},
        QuotedCase{"InnerQuote", "p\"q", "p\"q"}, QuotedCase{"OneQuoteAtTheStart", "\"x", "\"x"},
        QuotedCase{"LoneQuote", "\"", "\""}, QuotedCase{"QuotesOfTwoKinds", "'x\"", "'x\""},
        QuotedCase{"DoubleQuoted", "\"x\"", "\"\"x\"\""},
        QuotedCase{"SingleQuoted", "'x'", "\"'x'\""}, QuotedCase{"EmptyQuotes", "\"\"", "\"\"\"\""},
        QuotedCase{"OuterBlanks", " pw ", "\" pw \""},
        QuotedCase{"LeadingBlank", " /data/dev.sdb", "\" /data/dev.sdb\""},
        QuotedCase{"TrailingTab", "pw\t", "\"pw\t\""}, QuotedCase{"OnlyBlanks", "   ", "\"   \""},
        QuotedCase{"QuoteThenBlank", "\"a ", "\"\"a \""}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ProfileTest, ReplacesInPlaceAndKeepsEverythingElse) {
    ASSERT_TRUE(ini::writeValue(path, "database", "sourcedbfile", "/other.mdb"));
    std::string want = kConfig;
    // The key keeps its spelling in the file; only its line changes.
    want.replace(want.find("  SourceDBFile =  /data/shop.mdb  "), 34, "SourceDBFile=/other.mdb");
    EXPECT_EQ(readFile(path), want);
}

TEST_F(ProfileTest, AddsKeysAndSectionsWhereTheyBelong) {
    ASSERT_TRUE(ini::writeValue(path, "General", "Build", "7"));
    ASSERT_TRUE(ini::writeValue(path, "Database", "DestinationDBFile", "/d.mdb"));
    ASSERT_TRUE(ini::writeValue(path, "User", "LastUsedPath", "/data/"));
    std::string want = kConfig;
    want.insert(want.find("\r\n\r\n[Database]") + 2, "Build=7\r\n");
    want.insert(want.find("a line without equals\r\n") + 23, "DestinationDBFile=/d.mdb\r\n");
    want += "\r\n[User]\r\nLastUsedPath=/data/\r\n";
    EXPECT_EQ(readFile(path), want);
}

TEST_F(ProfileTest, MakesAMissingFile) {
    const std::string fresh = dir.file("Parabase.ini");
    ASSERT_TRUE(ini::writeValue(fresh, "User", "LastUsedPath", "/home/me/"));
    EXPECT_EQ(readFile(fresh), "[User]\r\nLastUsedPath=/home/me/\r\n");
    // A missing folder is not made.
    EXPECT_FALSE(ini::writeValue(dir.file("no/such/folder.ini"), "User", "A", "1"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("no")));
}

TEST_F(ProfileTest, ReadsWindows1252AndWritesUtf8) {
    writeFile(path, "[Database]\nSourceUserName=Jos\xE9\n");
    EXPECT_EQ(ini::readValue(path, "Database", "SourceUserName"), "Jos\xC3\xA9");
    ASSERT_TRUE(ini::writeValue(path, "Database", "SourcePassword", "p"));
    EXPECT_EQ(readFile(path), "[Database]\r\nSourceUserName=Jos\xC3\xA9\r\nSourcePassword=p\r\n");
}

TEST_F(ProfileTest, DeletesKeysAndSections) {
    ASSERT_TRUE(ini::deleteKey(path, "DATABASE", "quoted"));
    EXPECT_EQ(ini::readValue(path, "Database", "Quoted"), std::nullopt);
    ASSERT_TRUE(ini::deleteSection(path, "database"));
    std::string want = kConfig;
    want.erase(want.find("[Database]"), want.find("[Options]") - want.find("[Database]"));
    EXPECT_EQ(readFile(path), want);
    // Nothing to delete: success, and no file is made for it.
    EXPECT_TRUE(ini::deleteKey(path, "Database", "Quoted"));
    EXPECT_TRUE(ini::deleteSection(dir.file("missing.ini"), "User"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.ini")));
}

TEST_F(ProfileTest, ASectionWrittenTwiceIsOneSection) {
    writeFile(path, "[A]\r\nx=1\r\n[B]\r\ny=2\r\n[a]\r\nx=3\r\nz=4\r\n");
    EXPECT_EQ(ini::readValue(path, "A", "z"), "4");
    EXPECT_EQ(ini::readValue(path, "A", "x"), "1");
    EXPECT_EQ(ini::keyNames(path, "a"), (Names{"x", "z"}));
    EXPECT_EQ(ini::sectionNames(path), (Names{"A", "B"}));
    ASSERT_TRUE(ini::deleteKey(path, "A", "X"));
    EXPECT_EQ(ini::readValue(path, "A", "x"), std::nullopt);
    ASSERT_TRUE(ini::deleteSection(path, "A"));
    EXPECT_EQ(readFile(path), "[B]\r\ny=2\r\n");
}

TEST_F(ProfileTest, ListsSectionsAndKeysInFileOrder) {
    EXPECT_EQ(ini::sectionNames(path), (Names{"General", "Database", "Options"}));
    EXPECT_EQ(ini::keyNames(path, "database"),
              (Names{"SourceDBFile", "SourcePassword", "Quoted", "Half", "Empty"}));
    EXPECT_EQ(ini::keyNames(path, "Nowhere"), Names{});
    EXPECT_EQ(ini::sectionNames(dir.file("missing.ini")), Names{});
}

TEST_F(ProfileTest, RefusesWhatCouldNotBeReadBackAndChangesNothing) {
    struct Case {
        const char* name;
        std::string section, key, value;
    };
    const Case cases[] = {
        {"lineBreakInValue", "General", "Version", "1\r\n[Options]\r\nCompareTables=0"},
        {"newlineInValue", "General", "Version", "a\nb"},
        {"nulInValue", "General", "Version", std::string("a\0b", 3)},
        {"equalsInKey", "General", "a=b", "1"},
        {"emptyKey", "General", "  ", "1"},
        {"commentKey", "General", ";x", "1"},
        {"sectionKey", "General", "[x", "1"},
        {"bracketInSection", "Gen]eral", "Version", "1"},
        {"emptySection", "", "Version", "1"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ini::writeValue(path, c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(readFile(path), kConfig) << c.name;
    }
}

TEST_F(ProfileTest, AReadOnlyFileReportsFailureAndChangesNothing) {
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(ini::writeValue(path, "General", "Version", "2.0.0"));
    EXPECT_FALSE(ini::writeValue(path, "User", "LastUsedPath", "/x/"));
    EXPECT_FALSE(ini::deleteKey(path, "General", "Version"));
    EXPECT_FALSE(ini::deleteSection(path, "Options"));
    // Also when there would be nothing to change: the file cannot be written.
    EXPECT_FALSE(ini::writeValue(path, "General", "Version", "1.1.0"));
    EXPECT_FALSE(ini::deleteKey(path, "General", "Missing"));
    EXPECT_FALSE(ini::deleteSection(path, "Missing"));
    EXPECT_EQ(readFile(path), kConfig);
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    EXPECT_TRUE(ini::writeValue(path, "General", "Version", "1.1.0"));
    EXPECT_EQ(readFile(path), kConfig);
    // Nor may a folder be written over.
    EXPECT_FALSE(ini::writeValue(dir.path().string(), "General", "Version", "1"));
}

TEST_F(ProfileTest, WritingKeepsTheFilesPermissions) {
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(ini::writeValue(path, "General", "Version", "1.2.0"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
