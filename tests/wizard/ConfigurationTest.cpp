// Configuration files without a window: what is written, what a load sets and
// in which order (the option rules run key by key), the version gates, the
// files a save refuses, and the last-used folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "text/TextDecoding.h"
#include "wizard/Configuration.h"
#include "wizard/LastUsedPath.h"

namespace {

using wizard::DatabaseField;
using wizard::LoadOutcome;
using wizard::LoadResult;
using wizard::OptionBox;
using wizard::SaveOutcome;
using Events = std::vector<std::string>;

std::string boxName(OptionBox b) { return std::string(wizard::OptionBoxName(b)); }

const char* fieldName(DatabaseField f) {
    static const char* names[] = {"SDBPath", "SWFPath", "SUName", "SPassword",
                                  "DDBPath", "DWFPath", "DUName", "DPassword"};
    return names[static_cast<int>(f)];
}

// The window's controls as a configuration file sees them: text boxes whose
// Change runs only on a real change, and check boxes under the option rules.
// Every change is recorded in order.
class Controls : public wizard::ConfigurationControls {
public:
    Controls() {
        options.OnValueChanged([this](OptionBox b, int16_t v) {
            events.push_back(boxName(b) + "=" + std::to_string(v));
        });
        options.OnInvalidate([this] { events.push_back("invalidate"); });
    }
    std::string FieldText(DatabaseField f) const override {
        const auto it = texts.find(f);
        return it == texts.end() ? std::string() : it->second;
    }
    void FieldText(DatabaseField f, const std::string& text) override {
        if (FieldText(f) == text) return;
        texts[f] = text;
        events.push_back(std::string(fieldName(f)) + ":" + text);
    }
    int16_t OptionValue(OptionBox b) const override { return options.Value(b); }
    void OptionValue(OptionBox b, int16_t v) override { options.SetValue(b, v); }

    std::map<DatabaseField, std::string> texts;
    wizard::OptionRules options;
    Events events;
};

class ConfigurationTest : public ::testing::Test {
protected:
    std::string write(const std::string& text) {
        testsupport::writeFile(path, text);
        return path;
    }
    testsupport::TempDir dir;
    std::string path = dir.file("shop.pcf");
};

const char* const kSaved =
    "[General]\r\nVersion=1.1.0\r\n"
    "\r\n[Database]\r\nSourceDBFile=\" /data/dev.sdb\"\r\nSourceWFile=/data/dev.sdw\r\n"
    "SourceUserName=admin\r\nSourcePassword=s3cret pass\r\nDestinationDBFile=/data/prod.sdb\r\n"
    "DestinationWFile=\r\nDestinationUserName=\r\nDestinationPassword=\r\n"
    "\r\n[Options]\r\nCompareTables=1\r\nCompareIndexes=0\r\nCompareKeys=1\r\nCompareViews=1\r\n"
    "CompareProcedures=0\r\nCompareUsers=1\r\nCompareGroups=1\r\nDropOppositeObjects=1\r\n"
    "SkipAutoIncrementFields=0\r\nIncludeSeedandIncrement=1\r\nCompareSeedandIncrement=1\r\n"
    "MatchColumnsMaintainingTheirOrders=1\r\n";

TEST_F(ConfigurationTest, SavesEveryKeyInItsOrderTextsAsTheyStand) {
    Controls c;
    c.texts = {{DatabaseField::SDBPath, " /data/dev.sdb"},
               {DatabaseField::SWFPath, "/data/dev.sdw"},
               {DatabaseField::SUName, "admin"},
               {DatabaseField::SPassword, "s3cret pass"},
               {DatabaseField::DDBPath, "/data/prod.sdb"}};
    c.options.SetValue(OptionBox::CIndex, 0);
    c.options.SetValue(OptionBox::CProcedure, 0);
    c.options.SetValue(OptionBox::DObject, 1);
    c.options.SetValue(OptionBox::SAIncrement, 0);
    c.options.SetValue(OptionBox::CISeed, 1);
    c.options.SetValue(OptionBox::IIncSeed, 1);
    c.options.SetValue(OptionBox::CMatch, 1);
    ASSERT_EQ(wizard::SaveConfiguration(path, c), SaveOutcome::Saved);
    // The leading blank is the field's own: quoted, so that a reader keeps it.
    EXPECT_EQ(testsupport::readFile(path), kSaved);
    // A new file holds passwords: its owner alone may read it.
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ConfigurationTest, ASavedFileLoadsBackEveryControl) {
    Controls saved;
    saved.texts = {{DatabaseField::SDBPath, "/a b/dev.sdb"},
                   {DatabaseField::SPassword, "pw;x=y"},
                   {DatabaseField::DUName, "Admin"},
                   {DatabaseField::DPassword, "p\"q"}};
    saved.options.SetValue(OptionBox::CTable, 0);  // Indexes and Keys follow
    saved.options.SetValue(OptionBox::CGroup, 0);
    saved.options.SetValue(OptionBox::CMatch, 1);
    saved.options.SetValue(OptionBox::CISeed, 1);
    saved.options.SetValue(OptionBox::IIncSeed, 1);
    saved.options.SetValue(OptionBox::DObject, 1);
    ASSERT_EQ(wizard::SaveConfiguration(path, saved), SaveOutcome::Saved);

    Controls loaded;
    EXPECT_EQ(wizard::LoadConfiguration(path, loaded), (LoadResult{LoadOutcome::Loaded, {}}));
    EXPECT_EQ(loaded.texts, saved.texts);
    for (const OptionBox b : wizard::kOptionBoxes)
        EXPECT_EQ(loaded.options.Value(b), saved.options.Value(b)) << boxName(b);
}

class TextRoundTrip : public ConfigurationTest,
                      public ::testing::WithParamInterface<const char*> {};

// A text that reading would trim or unquote still loads back as typed, so a
// reloaded configuration connects as the saved one did.
TEST_P(TextRoundTrip, LoadsBackAsTyped) {
    Controls saved;
    for (const DatabaseField f : {DatabaseField::SPassword, DatabaseField::DPassword,
                                  DatabaseField::SDBPath, DatabaseField::DUName})
        saved.texts[f] = GetParam();
    ASSERT_EQ(wizard::SaveConfiguration(path, saved), SaveOutcome::Saved);
    Controls loaded;
    ASSERT_EQ(wizard::LoadConfiguration(path, loaded).outcome, LoadOutcome::Loaded);
    EXPECT_EQ(loaded.texts, saved.texts) << testsupport::readFile(path);
}

INSTANTIATE_TEST_SUITE_P(Texts, TextRoundTrip,
                         ::testing::Values("\"x\"", " pw ", "'x'", "\"\"", "  ", "\t", "\"a ",
                                           "x\"", "\"\"\"", "p w"));

TEST_F(ConfigurationTest, SavingKeepsWhatOthersAddedAndReplacesOurKeys) {
    write(
        "; notes by hand\r\n[Mine]\r\nColour=blue\r\n[Options]\r\nCompareTables=0\r\nExtra=7\r\n");
    chmod(path.c_str(), 0644);
    Controls c;
    ASSERT_EQ(wizard::SaveConfiguration(path, c), SaveOutcome::Saved);
    const std::string text = testsupport::readFile(path);
    EXPECT_EQ(
        text.find("; notes by hand\r\n[Mine]\r\nColour=blue\r\n[Options]\r\nCompareTables=1\r\n"
                  "Extra=7\r\n"),
        0u)
        << text;
    EXPECT_NE(text.find("MatchColumnsMaintainingTheirOrders=0"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);  // an existing file keeps its permissions
}

struct RefusedFile {
    const char* name;
    std::string bytes;
};

class SaveRefuses : public ::testing::TestWithParam<RefusedFile> {};

TEST_P(SaveRefuses, AFileThatHoldsNoTextAndLeavesItAsItWas) {
    testsupport::TempDir dir;
    const std::string path = dir.file("target");
    testsupport::writeFile(path, GetParam().bytes);
    Controls c;
    EXPECT_FALSE(wizard::WritableAsConfiguration(path));
    EXPECT_EQ(wizard::SaveConfiguration(path, c), SaveOutcome::NotText);
    EXPECT_EQ(testsupport::readFile(path), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveRefuses,
    ::testing::Values(RefusedFile{"Database", std::string("\0\1\0\0Standard Jet DB\0", 20)},
                      RefusedFile{"Store", std::string("SQLite format 3\0\x10\0\1\1", 20)},
                      RefusedFile{"NulAmongKeys",
                                  std::string("[General]\r\nVersion=1\0.1.0\r\n", 27)},
                      // Not UTF-8, and bytes Windows-1252 does not define.
                      RefusedFile{"Binary", "\x89PNG\r\n\x1A\n\x81\x8D\x90"}),
    [](const auto& p) { return std::string(p.param.name); });

// The lines of a file as text, whatever its encoding.
std::vector<std::string> linesOf(const std::string& bytes) {
    return text::splitLines(text::decodeText(bytes));
}

struct HandEdited {
    const char* name;
    std::string bytes;
};

class SaveKeeps : public ConfigurationTest, public ::testing::WithParamInterface<HandEdited> {};

// A person's notes, odd lines and keys of their own stay where they were, in
// their order; the program's keys are set; the file loads back.
TEST_P(SaveKeeps, EveryLineOfAHandEditedFileItDoesNotChange) {
    write(GetParam().bytes);
    Controls c;
    c.texts = {{DatabaseField::SDBPath, "/data/dev.sdb"}, {DatabaseField::DPassword, "pw"}};
    c.options.SetValue(OptionBox::CView, 0);
    ASSERT_TRUE(wizard::WritableAsConfiguration(path));
    ASSERT_EQ(wizard::SaveConfiguration(path, c), SaveOutcome::Saved);

    const std::vector<std::string> after = linesOf(testsupport::readFile(path));
    size_t at = 0;
    for (const std::string& line : linesOf(GetParam().bytes)) {
        if (line.starts_with("Version=") || line.starts_with("SourceDBFile=") ||
            line.starts_with("CompareViews="))
            continue;  // the program's own keys, given new values
        while (at < after.size() && after[at] != line) ++at;
        ASSERT_LT(at, after.size()) << "lost or moved: " << line;
        ++at;
    }
    Controls loaded;
    EXPECT_EQ(wizard::LoadConfiguration(path, loaded).outcome, LoadOutcome::Loaded);
    EXPECT_EQ(loaded.texts, c.texts);
    EXPECT_EQ(loaded.options.Value(OptionBox::CView), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveKeeps,
    ::testing::Values(
        HandEdited{"NoteInASection",
                   "[General]\r\nVersion=1.1.0\r\n[Database]\r\nNote: my production pair\r\n"
                   "SourceDBFile=/old.sdb\r\n[Options]\r\nCompareViews=1\r\n"},
        HandEdited{"NotesOnly", "Just some notes\nabout the shop\n"},
        HandEdited{"ValueWithoutKey", "[General]\r\n=1.1.0\r\nVersion=1.0.9\r\n"},
        HandEdited{"OpenSection", "[General\r\nVersion=1.1.0\r\n"},
        HandEdited{"Windows1252Note", "; Notiz f\xFCr M\xFCller\r\n[Mine]\r\nFarbe=gr\xFCn\r\n"},
        HandEdited{"Script", "CREATE TABLE [A] ([x] LONG)\r\n\r\nRUN\r\n\r\n"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ConfigurationFiles, WritableAsConfigurationTakesNewFilesAndText) {
    testsupport::TempDir dir;
    EXPECT_TRUE(wizard::WritableAsConfiguration(dir.file("new.pcf")));
    testsupport::writeFile(dir.file("empty.pcf"), "");
    EXPECT_TRUE(wizard::WritableAsConfiguration(dir.file("empty.pcf")));
    testsupport::writeFile(dir.file("ini.pcf"),
                           "# made by hand\n\n[General]\nVersion = 1.1.0\n; done\r\n[Other]\n");
    EXPECT_TRUE(wizard::WritableAsConfiguration(dir.file("ini.pcf")));
    testsupport::writeFile(dir.file("notes.pcf"), "Note: my production pair\r\n");
    EXPECT_TRUE(wizard::WritableAsConfiguration(dir.file("notes.pcf")));
    EXPECT_FALSE(wizard::WritableAsConfiguration(dir.path().string()));  // a folder
    // Far larger than a configuration, even of INI lines: not one of ours.
    std::string large;
    while (large.size() <= (16u << 20)) large += "Key=Value\r\n";
    testsupport::writeFile(dir.file("large.pcf"), large);
    EXPECT_FALSE(wizard::WritableAsConfiguration(dir.file("large.pcf")));
}

TEST(ConfigurationFiles, AWriteThatFailsIsReported) {
    testsupport::TempDir dir;
    Controls c;
    EXPECT_EQ(wizard::SaveConfiguration(dir.file("missing/shop.pcf"), c), SaveOutcome::WriteFailed);
    // A line break could not be read back: the password is refused, and the
    // file saved before is left as it was, not half replaced.
    c.texts[DatabaseField::SDBPath] = "/data/old.sdb";
    ASSERT_EQ(wizard::SaveConfiguration(dir.file("shop.pcf"), c), SaveOutcome::Saved);
    const std::string before = testsupport::readFile(dir.file("shop.pcf"));
    c.texts[DatabaseField::SDBPath] = "/data/new.sdb";
    c.texts[DatabaseField::SPassword] = "a\r\n[Options]\r\nCompareTables=0";
    EXPECT_EQ(wizard::SaveConfiguration(dir.file("shop.pcf"), c), SaveOutcome::WriteFailed);
    EXPECT_EQ(testsupport::readFile(dir.file("shop.pcf")).find("[Options]\r\nCompareTables=0"),
              std::string::npos);
    EXPECT_EQ(testsupport::readFile(dir.file("shop.pcf")), before);
    // A new file whose save fails is not left behind, empty or in part.
    EXPECT_EQ(wizard::SaveConfiguration(dir.file("other.pcf"), c), SaveOutcome::WriteFailed);
    EXPECT_FALSE(std::filesystem::exists(dir.file("other.pcf")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

// ---- loading: the versions and the values ----

struct VersionCase {
    const char* name;
    const char* version;  // nullptr: no [General] section
    LoadOutcome outcome;
    bool databaseRead;
    bool seedRead;
    bool matchRead;
};

class VersionGate : public ConfigurationTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionGate, DecidesWhichKeysAreRead) {
    const VersionCase& v = GetParam();
    std::string text = v.version ? std::string("[General]\r\nVersion=") + v.version + "\r\n" : "";
    text +=
        "[Database]\r\nSourceDBFile=/data/dev.sdb\r\n"
        "[Options]\r\nCompareTables=1\r\nCompareIndexes=1\r\nCompareKeys=1\r\nCompareViews=0\r\n"
        "CompareProcedures=1\r\nCompareUsers=1\r\nCompareGroups=1\r\nDropOppositeObjects=0\r\n"
        "SkipAutoIncrementFields=1\r\nIncludeSeedandIncrement=0\r\nCompareSeedandIncrement=1\r\n"
        "MatchColumnsMaintainingTheirOrders=1\r\n";
    write(text);
    Controls c;
    EXPECT_EQ(wizard::LoadConfiguration(path, c).outcome, v.outcome);
    EXPECT_EQ(c.texts.count(DatabaseField::SDBPath), v.databaseRead ? 1u : 0u);
    EXPECT_EQ(c.options.Value(OptionBox::CView), v.databaseRead ? 0 : 1);
    EXPECT_EQ(c.options.Value(OptionBox::CISeed), v.seedRead ? 1 : 0);
    EXPECT_EQ(c.options.Value(OptionBox::CMatch), v.matchRead ? 1 : 0);
    EXPECT_EQ(wizard::LoadNamesTheFile(v.outcome),
              v.outcome == LoadOutcome::Loaded || v.outcome == LoadOutcome::OtherVersion);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionGate,
    ::testing::Values(
        VersionCase{"Current", "1.1.0", LoadOutcome::Loaded, true, true, true},
        VersionCase{"Later_1_x", "1.9.9", LoadOutcome::Loaded, true, true, true},
        VersionCase{"SeedOnly_1_0_8", "1.0.8", LoadOutcome::Loaded, true, true, false},
        VersionCase{"SeedFrom_1_0_7", "1.0.7", LoadOutcome::Loaded, true, true, false},
        VersionCase{"Neither_1_0_6", "1.0.6", LoadOutcome::Loaded, true, false, false},
        // The separators are not looked at.
        VersionCase{"Dashes", "1-1-0", LoadOutcome::Loaded, true, true, true},
        VersionCase{"Letters", "1x1y0", LoadOutcome::Loaded, true, true, true},
        VersionCase{"TrailingText", "1.1.0 beta", LoadOutcome::Loaded, true, true, true},
        VersionCase{"OtherMajor", "2.0.0", LoadOutcome::OtherVersion, false, false, false},
        VersionCase{"MajorZero", "0.9.9", LoadOutcome::OtherVersion, false, false, false},
        // One digit a part: in "1.10.0" the build's place holds ".".
        VersionCase{"TwoDigitMinor", "1.10.0", LoadOutcome::UnreadableVersion, false, false, false},
        VersionCase{"Short", "1.1", LoadOutcome::UnreadableVersion, false, false, false},
        VersionCase{"Empty", "", LoadOutcome::UnreadableVersion, false, false, false},
        VersionCase{"NoVersion", nullptr, LoadOutcome::UnreadableVersion, false, false, false},
        VersionCase{"LetterMajor", "a.1.0", LoadOutcome::UnreadableVersion, false, false, false},
        VersionCase{"BlankBuild", "1.1. ", LoadOutcome::UnreadableVersion, false, false, false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ConfigurationTest, AMissingFileChangesNothing) {
    Controls c;
    EXPECT_EQ(wizard::LoadConfiguration(dir.file("none.pcf"), c).outcome,
              LoadOutcome::UnreadableVersion);
    EXPECT_TRUE(c.events.empty());
}

struct ValueCase {
    const char* name;
    const char* line;  // the CompareViews line; nullptr: the key is missing
    int16_t value;     // CView afterwards (1 at start)
    bool stops;
};

class OptionValues : public ConfigurationTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(OptionValues, AreReadAsNumbersWithOneAsTheFallback) {
    const ValueCase& v = GetParam();
    std::string text = "[General]\r\nVersion=1.1.0\r\n[Options]\r\nCompareKeys=0\r\n";
    if (v.line) text += std::string("CompareViews=") + v.line + "\r\n";
    text += "CompareProcedures=0\r\n";
    write(text);
    Controls c;
    const LoadResult r = wizard::LoadConfiguration(path, c);
    EXPECT_EQ(c.options.Value(OptionBox::CView), v.value);
    EXPECT_EQ(c.options.Value(OptionBox::CKey), 0);  // before it: applied
    if (v.stops) {
        EXPECT_EQ(r, (LoadResult{LoadOutcome::StoppedAtKey, "CompareViews"}));
        EXPECT_EQ(c.options.Value(OptionBox::CProcedure), 1);  // after it: not read
    } else {
        EXPECT_EQ(r.outcome, LoadOutcome::Loaded);
        EXPECT_EQ(c.options.Value(OptionBox::CProcedure), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Values, OptionValues,
                         ::testing::Values(ValueCase{"Zero", "0", 0, false},
                                           ValueCase{"ZeroWithBlanks", "  0  ", 0, false},
                                           ValueCase{"Grey", "2", 2, false},
                                           ValueCase{"HalfRoundsToEven", "2.5", 2, false},
                                           ValueCase{"Missing", nullptr, 1, false},
                                           ValueCase{"Empty", "", 1, false},
                                           ValueCase{"NoNumber", "abc", 1, false},
                                           ValueCase{"Three", "3", 1, true},
                                           ValueCase{"Negative", "-1", 1, true},
                                           ValueCase{"Beyond16Bits", "70000", 1, true}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(ConfigurationTest, EachKeyTakesEffectAtOnceWithTheRulesItSetsOff) {
    // Tables off turns Indexes and Keys off; Indexes on then turns Tables on,
    // whose rule turns Keys on; the file's Keys=0 then turns Keys off alone.
    write(
        "[General]\r\nVersion=1.0.6\r\n[Database]\r\nSourceDBFile=/d.sdb\r\n"
        "[Options]\r\nCompareTables=0\r\nCompareIndexes=1\r\nCompareKeys=0\r\n");
    Controls c;
    ASSERT_EQ(wizard::LoadConfiguration(path, c).outcome, LoadOutcome::Loaded);
    EXPECT_EQ(c.events, (Events{"SDBPath:/d.sdb", "CTable=0", "CIndex=0", "invalidate", "CKey=0",
                                "invalidate", "invalidate", "CIndex=1", "CTable=1", "CKey=1",
                                "invalidate", "invalidate", "invalidate", "CKey=0", "invalidate",
                                // Missing keys read as 1; the seed key is too new for 1.0.6.
                                "DObject=1", "IIncSeed=1"}));
    EXPECT_EQ(c.options.Value(OptionBox::CTable), 1);
    EXPECT_EQ(c.options.Value(OptionBox::CIndex), 1);
    EXPECT_EQ(c.options.Value(OptionBox::CKey), 0);
}

TEST_F(ConfigurationTest, TheStatusNamesTheFile) {
    EXPECT_EQ(wizard::ConfigurationStatus("/data/shop.pcf"), "Configuration file : /data/shop.pcf");
    EXPECT_EQ(wizard::kNoConfigurationStatus, "Configuration file : <None>");
}

// ---- the last-used folder ----

struct FolderCase {
    const char* file;
    const char* folder;
};

class FolderOf : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderOf, KeepsTheTrailingSeparator) {
    EXPECT_EQ(wizard::FolderOf(GetParam().file), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(Names, FolderOf,
                         ::testing::Values(FolderCase{"/data/Shop.sdb", "/data/"},
                                           FolderCase{"/Shop.sdb", "/"},
                                           FolderCase{"/a b/c.d/e", "/a b/c.d/"},
                                           FolderCase{"Shop.sdb", ""}, FolderCase{"", ""}));

TEST(LastUsedPath, TheNextDialogOpensWhereTheLastFileWasChosen) {
    testsupport::TempDir dir;
    // The settings file's folder does not exist yet: it is made.
    const wizard::LastUsedPath last(dir.file("config/parabase1/Parabase.ini"));
    EXPECT_EQ(last.ApplyLastUsedPath(), "");
    last.SaveLastUsedPath("/data/Shop.sdb");
    EXPECT_EQ(last.ApplyLastUsedPath(), "/data/");
    EXPECT_EQ(testsupport::readFile(dir.file("config/parabase1/Parabase.ini")),
              "[User]\r\nLastUsedPath=/data/\r\n");
    last.SaveLastUsedPath("/other/x.pcf");
    EXPECT_EQ(wizard::LastUsedPath(dir.file("config/parabase1/Parabase.ini")).ApplyLastUsedPath(),
              "/other/");
}

TEST(LastUsedPath, WithoutASettingsFileNothingIsKept) {
    const wizard::LastUsedPath last("");
    last.SaveLastUsedPath("/data/Shop.sdb");
    EXPECT_EQ(last.ApplyLastUsedPath(), "");
}

TEST(LastUsedPath, AnUnwritableSettingsFileIsNotReported) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("blocker"), "");
    const wizard::LastUsedPath last(dir.file("blocker/Parabase.ini"));
    last.SaveLastUsedPath("/data/Shop.sdb");
    EXPECT_EQ(last.ApplyLastUsedPath(), "");
}

TEST(LastUsedPath, TheSettingsFileLivesInTheUsersConfigurationFolder) {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = xdg ? xdg : "";
    setenv("XDG_CONFIG_HOME", "/home/u/.cfg", 1);
    EXPECT_EQ(wizard::DefaultSettingsFile(), "/home/u/.cfg/parabase1/Parabase.ini");
    setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
    const char* home = std::getenv("HOME");
    if (home && *home) {
        EXPECT_EQ(wizard::DefaultSettingsFile(),
                  std::string(home) + "/.config/parabase1/Parabase.ini");
    }
    if (xdg)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
