#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestSupport.h"
#include "runner/RunnerError.h"
#include "runner/ScriptReader.h"

namespace {

using Lines = std::vector<std::string>;

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
