#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestSupport.h"
#include "wizard_core/cInifile.h"

namespace {

using wizard::cInifile;
using Names = std::vector<std::string>;

class cInifileTest : public ::testing::Test {
protected:
    cInifileTest() {
        ini.Path(path);
        ini.Section("Database");
        ini.Key("SourceDBFile");
    }
    testsupport::TempDir dir;
    std::string path = dir.file("settings.pcf");
    cInifile ini;
};

TEST_F(cInifileTest, WritesAndReadsBackAValue) {
    EXPECT_EQ(ini.Value(), "");  // no file yet
    ini.Value("/data/shop.mdb");
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(ini.Value(), "/data/shop.mdb");
    EXPECT_EQ(testsupport::readFile(path), "[Database]\r\nSourceDBFile=/data/shop.mdb\r\n");
}

TEST_F(cInifileTest, AMissingKeyReadsAsTheDefault) {
    ini.Value("");
    EXPECT_EQ(ini.Value(), "");  // present and empty
    ini.Key("Other");
    EXPECT_EQ(ini.Value(), "");
    ini.Default("none");
    EXPECT_EQ(ini.Value(), "none");
    ini.Key("SourceDBFile");
    EXPECT_EQ(ini.Value(), "");  // present: the default does not apply
}

TEST_F(cInifileTest, LongValuesAreReadWhole) {
    const std::string longPath = "/" + std::string(300, 'p');
    ini.Value(longPath);
    EXPECT_EQ(ini.Value(), longPath);
}

TEST_F(cInifileTest, NulCharactersAreLeftOutWhereverTheyStand) {
    std::string text = std::string("a\0b\0", 4) + std::string(40000, 'c');
    text[35000] = '\0';
    ini.Value(text);
    EXPECT_TRUE(ini.Success());
    std::string want = "ab" + std::string(40000, 'c');
    want.erase(35000 - 2, 1);
    EXPECT_EQ(ini.Value(), want);
}

TEST_F(cInifileTest, SuccessFollowsTheLastWriteOnly) {
    EXPECT_EQ(ini.LastReturnCode(), 0);
    EXPECT_FALSE(ini.Success());
    ini.Value("1");
    ASSERT_TRUE(ini.Success());
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ini.Value("1");  // the value it holds: still a write to a read-only file
    EXPECT_FALSE(ini.Success());
    ini.Value("2");
    EXPECT_FALSE(ini.Success());
    EXPECT_EQ(ini.Value(), "1");  // nothing changed
    (void)ini.Value();            // reads leave it as it was
    EXPECT_FALSE(ini.Success());
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    ini.Value("3");
    EXPECT_TRUE(ini.Success());
    ini.Path(dir.file("no/such/folder.pcf"));
    ini.Value("4");
    EXPECT_FALSE(ini.Success());
}

TEST_F(cInifileTest, ListsAndEnumeratesKeysAndSections) {
    testsupport::writeFile(path, "[Database]\r\nA=1\r\nB=2\r\n[Options]\r\nC=3\r\n");
    EXPECT_EQ(ini.INISection(), std::string("A\0B\0", 4));
    EXPECT_EQ(ini.Sections(), std::string("Database\0Options\0", 17));
    Names names{"stale"};
    int32_t count = -1;
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, (Names{"A", "B"}));
    ini.EnumerateAllSections(names, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, (Names{"Database", "Options"}));

    ini.Section("Missing");
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());
    // The default stands in for an empty list, and holds no name.
    ini.Default("none");
    EXPECT_EQ(ini.INISection(), "none");
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 0);
}

TEST_F(cInifileTest, DeletesKeysAndSections) {
    testsupport::writeFile(path, "[Database]\r\nA=1\r\nB=2\r\n[Options]\r\nC=3\r\n");
    ini.Key("a");
    ini.DeleteKey();
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(ini.INISection(), std::string("B\0", 2));
    ini.Section("options");
    ini.INISection("C=4");  // removes the section, stores nothing
    EXPECT_TRUE(ini.Success());
    ini.Section("Database");
    ini.DeleteSection();
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(testsupport::readFile(path), "");
}

TEST(CLngDefault, ConvertsWholeNumbersOrGivesTheDefault) {
    struct Case {
        const char* text;
        int32_t want;
    };
    const Case cases[] = {
        {"12", 12},
        {" 7 ", 7},
        {"\t9\t", 9},
        {"0", 0},
        {" 0 ", 0},
        {"+4", 4},
        {"-3", -3},
        {"2.5", 2},  // halves to even
        {"3.5", 4},
        {"-2.5", -2},
        {"0.5", 0},
        {"2.51", 3},
        {".5", 0},
        {"1.", 1},
        {"1e3", 1000},
        {"1.5E0", 2},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"-2147483648.5", -2147483647 - 1},
        {"x", -99},
        {"", -99},
        {"   ", -99},
        {"12345678901", -99},  // eleven digits: beyond 32 bits
        {"2147483647.5", -99},
        {"2147483648", -99},
        {"1 2", -99},
        {"4-", -99},
        {"1e", -99},
        {"e5", -99},
        {"1e400", -99},
        {"inf", -99},
        {"nan", -99},
        {"0x10", -99},
        {"1,5", -99},
    };
    for (const auto& c : cases) EXPECT_EQ(cInifile::CLngDefault(c.text, -99), c.want) << c.text;
}

}  // namespace
