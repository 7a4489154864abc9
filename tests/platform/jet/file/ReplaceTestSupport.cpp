#include "ReplaceTestSupport.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <stdexcept>

#include "TestSupport.h"

namespace replacetest {

std::vector<uint8_t> pageOf(uint8_t fill) { return std::vector<uint8_t>(kPage, fill); }

std::string makeDatabase(const std::string& path, uint32_t pages, mode_t mode) {
    std::string bytes;
    bytes.reserve(std::size_t{pages} * kPage);
    for (uint32_t n = 0; n < pages; ++n) bytes.append(kPage, static_cast<char>(n * 7 + 1));
    testsupport::writeFile(path, bytes);
    if (::chmod(path.c_str(), mode) != 0) throw std::runtime_error("cannot chmod " + path);
    return bytes;
}

uint64_t checksum(const std::string& bytes) {
    uint64_t h = 1469598103934665603ull;
    for (const char c : bytes) {
        h ^= static_cast<uint8_t>(c);
        h *= 1099511628211ull;
    }
    return h;
}

uint64_t fileChecksum(const std::string& path) { return checksum(testsupport::readFile(path)); }

std::vector<std::string> listFolder(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t permissionBits(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw std::runtime_error("cannot stat " + path);
    return st.st_mode & 07777;
}

bool ChildResult::exitedNormally() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
bool ChildResult::killed() const { return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL; }

namespace {

void writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return text;
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace

ChildResult runInChild(const std::function<std::string()>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork");
    if (pid == 0) {
        ::close(pipeFds[0]);
        int code = 0;
        try {
            writeAll(pipeFds[1], body());
        } catch (const std::exception& e) {
            writeAll(pipeFds[1], std::string("exception: ") + e.what());
            code = 1;
        }
        ::_exit(code);
    }
    ::close(pipeFds[1]);
    ChildResult result;
    result.output = readAll(pipeFds[0]);
    ::close(pipeFds[0]);
    while (::waitpid(pid, &result.status, 0) < 0 && errno == EINTR) {
    }
    return result;
}

HeldByChild::HeldByChild(const std::function<void(const std::function<void()>&)>& hold) {
    int ready[2];
    int release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        try {
            hold([&] {
                writeAll(ready[1], "h");
                char c;
                while (::read(release[0], &c, 1) < 0 && errno == EINTR) {
                }
            });
        } catch (...) {
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    // One byte once the child holds; end of file when it gave up.
    char c = 0;
    ssize_t n;
    while ((n = ::read(ready[0], &c, 1)) < 0 && errno == EINTR) {
    }
    holding_ = n == 1;
    ::close(ready[0]);
}

HeldByChild::~HeldByChild() {
    ::close(release_);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace replacetest
