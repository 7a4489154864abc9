#include "jet/mdb/ReaderProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "jet/Error.h"
#include "jet/mdb/FileReader.h"
#include "jet/mdb/ReaderLimits.h"

extern char** environ;

namespace jet::mdb {

namespace {

// A reply larger than this is not one the reader writes.
constexpr size_t kMaxReply = size_t{256} << 20;
constexpr const char* kProgramName = "parabase-mdb-reader";

std::mutex& optionsMutex() {
    static std::mutex m;
    return m;
}
ReaderOptions& optionsStore() {
    static ReaderOptions o;
    return o;
}

bool isExecutable(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::string findProgram(const ReaderOptions& o) {
    if (!o.program.empty()) return o.program;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const auto beside = (self.parent_path() / kProgramName).string();
        if (isExecutable(beside)) return beside;
    }
#ifdef PARABASE_MDB_READER
    if (isExecutable(PARABASE_MDB_READER)) return PARABASE_MDB_READER;
#endif
    return {};
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    [[nodiscard]] int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

ReadReply damaged(std::string why) {
    ReadReply r;
    r.status = ReadStatus::Damaged;
    r.detail = std::move(why);
    return r;
}

[[noreturn]] void cannotStart(const std::string& path, int error) {
    raise(Err::ReaderFailed, {path, std::strerror(error)});
}

pid_t spawnProgram(const std::string& program, const std::string& path, ReadMode mode, int out) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string arg0 = program, arg1 = mode == ReadMode::Database ? "--database" : "--workgroup",
                arg2 = "--", arg3 = path;
    char* argv[] = {arg0.data(), arg1.data(), arg2.data(), arg3.data(), nullptr};
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) cannotStart(path, rc);
    return pid;
}

pid_t forkReader(const std::string& path, ReadMode mode, int in, int out) {
    const pid_t pid = ::fork();
    if (pid < 0) cannotStart(path, errno);
    if (pid == 0) {
        ::close(in);
        limitReaderProcess();
        const int devnull = ::open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            ::dup2(devnull, STDIN_FILENO);
            ::dup2(devnull, STDOUT_FILENO);
            ::dup2(devnull, STDERR_FILENO);
        }
        const auto answer = encodeReply(readJetFile(path, mode));
        size_t done = 0;
        while (done < answer.size()) {
            const ssize_t n = ::write(out, answer.data() + done, answer.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) ::_exit(3);
            done += static_cast<size_t>(n);
        }
        ::_exit(0);
    }
    return pid;
}

// Waits for the child until the deadline; kills it when it overruns. True when
// it ended by itself with exit code 0.
bool reap(pid_t pid, std::chrono::steady_clock::time_point deadline) {
    int status = 0;
    while (true) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (r < 0 && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return false;
        }
        ::usleep(1000);
    }
}

}  // namespace

ReaderOptions readerOptions() {
    std::lock_guard lock(optionsMutex());
    return optionsStore();
}

void setReaderOptions(const ReaderOptions& options) {
    std::lock_guard lock(optionsMutex());
    optionsStore() = options;
}

ReadReply readInChild(const std::string& path, ReadMode mode) {
    const auto options = readerOptions();
    const auto deadline = std::chrono::steady_clock::now() + options.timeLimit;
    int fds[2];
    // Close-on-exec, so that children started meanwhile by other threads do
    // not hold the pipe open.
    if (::pipe2(fds, O_CLOEXEC) != 0) cannotStart(path, errno);
    Fd in(fds[0]), out(fds[1]);
    const std::string program = options.forkOnly ? std::string() : findProgram(options);
    const pid_t pid = program.empty() ? forkReader(path, mode, in.get(), out.get())
                                      : spawnProgram(program, path, mode, out.get());
    out.reset();

    std::string reply;
    bool overran = false, tooLarge = false;
    std::vector<char> buf(1 << 16);
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            overran = true;
            break;
        }
        pollfd p{in.get(), POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<int64_t>(left.count(), 1000)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        const ssize_t n = ::read(in.get(), buf.data(), buf.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;  // end of the reply (or a read error: the reply is then short)
        reply.append(buf.data(), static_cast<size_t>(n));
        if (reply.size() > kMaxReply) {
            tooLarge = true;
            break;
        }
    }
    in.reset();
    const bool clean = reap(pid, overran || tooLarge ? std::chrono::steady_clock::now() : deadline);
    if (overran) return damaged("the reader overran its time limit");
    if (tooLarge) return damaged("the reader's reply is too large");
    if (!clean) return damaged("the reader ended abnormally");
    auto decoded = decodeReply(reply);
    if (!decoded) return damaged("the reader's reply is malformed");
    return std::move(*decoded);
}

}  // namespace jet::mdb
