#pragma once
// Files and processes for the tests of the write session and the replacement:
// databases of numbered pages (no Jet format needed), folder listings, and
// children that hold a lock or run a session so that it can be killed.
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace replacetest {

inline constexpr std::size_t kPage = 4096;

// A page whose every byte is `fill`.
std::vector<uint8_t> pageOf(uint8_t fill);

// Writes a file of `pages` pages, page n filled with n * 7 + 1 (mod 256), with
// exactly the permission bits `mode`; returns its bytes.
std::string makeDatabase(const std::string& path, uint32_t pages, mode_t mode = 0640);

// FNV-1a of the bytes: a short stand-in for comparing whole files in messages.
uint64_t checksum(const std::string& bytes);
uint64_t fileChecksum(const std::string& path);

// The folder's entries (names only), sorted.
std::vector<std::string> listFolder(const std::filesystem::path& folder);

mode_t permissionBits(const std::string& path);

// What a child process reported: the text its body returned, and how it ended.
struct ChildResult {
    std::string output;
    int status = 0;
    [[nodiscard]] bool exitedNormally() const;
    [[nodiscard]] bool killed() const;
};

// Runs `body` in a forked child and waits for it. Its returned text comes back
// as output; an exception's text comes back prefixed with "exception: ".
ChildResult runInChild(const std::function<std::string()>& body);

// A child that runs `hold` (which acquires something), then waits until this
// object is destroyed. `hold` calls the function it is given once it holds
// what it should, and only then does the constructor return.
class HeldByChild {
public:
    explicit HeldByChild(const std::function<void(const std::function<void()>& held)>& hold);
    ~HeldByChild();
    HeldByChild(const HeldByChild&) = delete;
    HeldByChild& operator=(const HeldByChild&) = delete;
    // False when `hold` threw or returned without calling held().
    [[nodiscard]] bool holding() const { return holding_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool holding_ = false;
};

}  // namespace replacetest
