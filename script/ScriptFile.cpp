#include "script/ScriptFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace script {

namespace fs = std::filesystem;

std::string ScriptFileText(const TScript& script) {
    std::string text;
    text.reserve(script.Statements.size() + script.Blocks.size() + 2);
    text += script.Statements;
    text += "\r\n";
    text += script.Blocks;
    return text;
}

namespace {

[[noreturn]] void fail(const std::string& what, const fs::path& path, int error) {
    throw ScriptFileError("Cannot write the script file '" + path.string() + "': " + what + ": " +
                          std::strerror(error));
}

// An open descriptor of the temporary file; removes the file unless kept.
class TempFile {
public:
    TempFile(int fd, fs::path path) : fd_(fd), path_(std::move(path)) {}
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    [[nodiscard]] int fd() const { return fd_; }
    [[nodiscard]] const fs::path& path() const { return path_; }
    [[nodiscard]] int close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }
    void keep() { kept_ = true; }

private:
    int fd_;
    fs::path path_;
    bool kept_ = false;
};

}  // namespace

void WriteScriptFile(const std::string& pathText, std::string_view text) {
    if (pathText.empty()) throw ScriptFileError("Cannot write the script file: no file name given");
    fs::path path(pathText);
    std::error_code ec;
    // Through a link, the file it names is replaced, not the link.
    if (fs::is_symlink(path, ec)) {
        const fs::path resolved = fs::canonical(path, ec);
        if (!ec) path = resolved;
    }
    if (fs::is_directory(path, ec)) fail("it is a folder", path, EISDIR);

    struct stat old {};
    const bool existed = ::stat(path.c_str(), &old) == 0;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");

    std::random_device random;
    int fd = -1;
    fs::path tempPath;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tempPath =
            folder / ("." + path.filename().string() + "." + std::to_string(random()) + ".tmp");
        fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) fail("cannot create a file in its folder", path, errno);
    }
    if (fd < 0) fail("cannot create a temporary file in its folder", path, EEXIST);
    TempFile temp(fd, tempPath);

    if (existed && ::fchmod(temp.fd(), old.st_mode & 07777) != 0)
        fail("cannot keep its permissions", path, errno);
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(temp.fd(), p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("writing failed", path, errno);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(temp.fd()) != 0) fail("writing failed", path, errno);
    if (temp.close() != 0) fail("writing failed", path, errno);
    if (::rename(temp.path().c_str(), path.c_str()) != 0) fail("cannot replace it", path, errno);
    temp.keep();

    // Makes the rename itself durable; a failure here loses nothing written.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

}  // namespace script
