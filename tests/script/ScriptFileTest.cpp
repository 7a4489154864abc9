#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "TestSupport.h"
#include "script/ScriptFile.h"

namespace {

using script::ScriptFileText;
using script::TScript;
using script::WriteScriptFile;

TEST(ScriptFileText, StatementsLineBreakBlocks) {
    struct Case {
        TScript script;
        std::string text;
    } const cases[] = {
        {{}, "\r\n"},
        {{"DROP VIEW [V]\r\n\r\nRUN\r\n\r\n", "", {}}, "DROP VIEW [V]\r\n\r\nRUN\r\n\r\n\r\n"},
        {{"", "<JET:USERS>\r\nu;Database;3;2;1\r\n</JET:USERS>\r\n\r\n", {}},
         "\r\n<JET:USERS>\r\nu;Database;3;2;1\r\n</JET:USERS>\r\n\r\n"},
        {{"CREATE USER [u]\r\n\r\nRUN\r\n\r\n",
          "<JET:USERS>\r\nu;Database;3;2;1\r\n</JET:USERS>\r\n\r\n",
          {"x"}},
         "CREATE USER "
         "[u]\r\n\r\nRUN\r\n\r\n\r\n<JET:USERS>\r\nu;Database;3;2;1\r\n</JET:USERS>\r\n\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(ScriptFileText(c.script), c.text);
}

TEST(WriteScriptFile, WritesTheBytesAndReplacesWhole) {
    testsupport::TempDir dir;
    const std::string path = dir.file("sync.psx");
    const std::string first =
        "CREATE TABLE [Größe]\r\n(\r\n[A] INTEGER\r\n);\r\n\r\nRUN\r\n\r\n\r\n";
    WriteScriptFile(path, first);
    EXPECT_EQ(testsupport::readFile(path), first);

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    WriteScriptFile(path, "\r\n");
    EXPECT_EQ(testsupport::readFile(path), "\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "an existing file keeps its permissions";

    // Nothing but the file itself is left in the folder.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST(WriteScriptFile, WritesThroughALink) {
    testsupport::TempDir dir;
    const std::string target = dir.file("real.psx");
    const std::string link = dir.file("link.psx");
    testsupport::writeFile(target, "old");
    std::filesystem::create_symlink(target, link);
    WriteScriptFile(link, "new\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(testsupport::readFile(target), "new\r\n");
}

TEST(WriteScriptFile, FailuresNameTheFileAndLeaveItAlone) {
    testsupport::TempDir dir;
    const std::string missingFolder = dir.file("no/such/folder/s.psx");
    try {
        WriteScriptFile(missingFolder, "x");
        FAIL() << "expected a failure";
    } catch (const script::ScriptFileError& e) {
        EXPECT_NE(std::string(e.what()).find(missingFolder), std::string::npos) << e.what();
    }
    EXPECT_THROW(WriteScriptFile(dir.path().string(), "x"), script::ScriptFileError);
    EXPECT_THROW(WriteScriptFile("", "x"), script::ScriptFileError);
    const std::string notAFolder = dir.file("plain");
    testsupport::writeFile(notAFolder, "");
    EXPECT_THROW(WriteScriptFile(notAFolder + "/s.psx", "x"), script::ScriptFileError);
}

TEST(WriteScriptFile, UnwritableFolderLeavesTheOldFile) {
    testsupport::TempDir dir;
    // A folder that cannot be written: the old file stays as it was.
    const std::string locked = dir.file("locked");
    std::filesystem::create_directory(locked);
    const std::string path = locked + "/s.psx";
    testsupport::writeFile(path, "old");
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    if (::access(locked.c_str(), W_OK) == 0) {
        ::chmod(locked.c_str(), 0755);
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }
    EXPECT_THROW(WriteScriptFile(path, "new"), script::ScriptFileError);
    EXPECT_EQ(testsupport::readFile(path), "old");
    ::chmod(locked.c_str(), 0755);
}

}  // namespace
