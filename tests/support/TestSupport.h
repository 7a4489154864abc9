#pragma once
// Helpers every test may use.
#include <filesystem>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The folder of real Jet files (the JET_FIXTURES CMake variable), or an empty
// path when it is missing.
[[nodiscard]] std::filesystem::path fixturesDir();

// The path of one fixture ("jackcess/indexTestV2000.mdb"). It names no real
// file when the folder is missing: call REQUIRE_FIXTURES() first.
[[nodiscard]] std::string fixture(const std::string& relative);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

}  // namespace testsupport

// Skips the current test, with a message, when the fixtures are not there.
#define REQUIRE_FIXTURES()                                                              \
    do {                                                                                \
        if (::testsupport::fixturesDir().empty())                                       \
            GTEST_SKIP() << "fixtures folder (JET_FIXTURES) not found; test skipped";   \
    } while (0)
