#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestSupport.h"
#include "runner/RunnerError.h"
#include "runner/ScriptReader.h"

namespace {

using Lines = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string text;
    Lines lines;
};

TEST(ScriptReader, EveryLineEndEndsALine) {
    const SplitCase cases[] = {
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lfOnly", "a\nb\n", {"a", "b"}},
        {"crOnly", "a\rb\r", {"a", "b"}},
        {"mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"blankLinesKept", "a\r\n\r\n\r\nb\r\n", {"a", "", "", "b"}},
        {"lfCrIsTwoEnds", "a\n\rb", {"a", "", "b"}},
        {"noFinalEnd", "a\r\nb", {"a", "b"}},
        {"onlyLineEnd", "\r\n", {""}},
        {"empty", "", {}},
        {"tabsAndSpacesStay", " a\t\r\n", {" a\t"}},
    };
    for (const auto& c : cases) EXPECT_EQ(runner::splitLines(c.text), c.lines) << c.name;
}

TEST(ScriptReader, KeepsValidUtf8AndDropsItsByteOrderMark) {
    EXPECT_EQ(runner::decodeScript("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(runner::decodeScript("\xEF\xBB\xBFRUN"), "RUN");
    EXPECT_EQ(runner::decodeScript(""), "");
}

TEST(ScriptReader, ReadsInvalidUtf8AsWindows1252) {
    // 0xE9 é, 0x80 €, 0x93/0x94 curly quotes: not UTF-8 on their own.
    EXPECT_EQ(runner::decodeScript("Caf\xE9 \x80 \x93x\x94"),
              "Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D");
    // One bad byte decides for the whole file.
    EXPECT_EQ(runner::decodeScript("\xC3\xA9\xE9"), "\xC3\x83\xC2\xA9\xC3\xA9");
}

TEST(ScriptReader, ReadsUtf16AfterItsByteOrderMark) {
    // "RUN é€" and a surrogate pair (U+1F600) in either byte order.
    EXPECT_EQ(runner::decodeScript(std::string("\xFF\xFER\0U\0N\0 \0\xE9\0\xAC\x20"
                                               "\x3D\xD8\x00\xDE\r\0\n\0",
                                               22)),
              "RUN \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\r\n");
    EXPECT_EQ(runner::decodeScript(std::string("\xFE\xFF\0R\0U\0N\0 \0\xE9\x20\xAC", 14)),
              "RUN \xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(runner::decodeScript("\xFF\xFE"), "");
}

TEST(ScriptReader, DamagedUtf16FailsClearly) {
    const std::string cases[] = {
        std::string("\xFF\xFER\0U\0N", 7),         // cut in the middle of a character
        std::string("\xFF\xFER\0\x3D\xD8U\0", 8),  // a high surrogate alone
        std::string("\xFE\xFF\xDC\x00", 4),        // a low surrogate alone
    };
    for (const auto& bytes : cases) {
        try {
            (void)runner::decodeScript(bytes);
            ADD_FAILURE() << "decoded " << bytes.size() << " bytes";
        } catch (const runner::RunnerError& e) {
            EXPECT_NE(std::string(e.what()).find("UTF-16"), std::string::npos);
        }
    }
}

TEST(ScriptReader, ReadsAFile) {
    testsupport::TempDir dir;
    const auto path = dir.file("s.psx");
    testsupport::writeFile(path, "CREATE TABLE [T\xE9]\r\n([a] TEXT(5));\nRUN");
    EXPECT_EQ(runner::readScriptLines(path),
              (Lines{"CREATE TABLE [T\xC3\xA9]", "([a] TEXT(5));", "RUN"}));
}

TEST(ScriptReader, FailsClearlyWhenThereIsNoFile) {
    testsupport::TempDir dir;
    // Neither may be read: the FIFO would wait for a writer, the device never ends.
    const std::string fifo = dir.file("fifo.psx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string(), dir.file("missing.psx"), dir.path().string(),
                                    fifo, std::string("/dev/zero")}) {
        try {
            (void)runner::readScriptLines(path);
            ADD_FAILURE() << "read '" << path << "'";
        } catch (const runner::RunnerError& e) {
            EXPECT_FALSE(std::string(e.what()).empty());
            if (!path.empty()) {
                EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
            }
        }
    }
}

}  // namespace
