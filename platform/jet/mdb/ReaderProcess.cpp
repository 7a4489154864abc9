#include "jet/mdb/ReaderProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "jet/Error.h"
#include "jet/mdb/FileReader.h"
#include "jet/mdb/ReaderLimits.h"
#include "jet/mdb/ReaderProtocol.h"

extern char** environ;

namespace jet::mdb {

namespace {

using Clock = std::chrono::steady_clock;

// A reply larger than this is not one the reader writes.
constexpr size_t kMaxReply = size_t{256} << 20;
constexpr const char* kProgramName = "parabase-mdb-reader";
// How long the reader service may take to answer a request.
constexpr auto kServiceAnswer = std::chrono::seconds(10);

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
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    [[nodiscard]] int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
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

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<int64_t>(left, 0, 1 << 30));
}

// Starts `program` with `args`, its standard input on `in` (or /dev/null), its
// output on `out` (or /dev/null). Returns the pid or -errno.
pid_t spawn(const std::string& program, std::vector<std::string> args, int in, int out) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in >= 0)
        posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (out >= 0)
        posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -rc;
}

// Waits for a child of this process until the deadline; kills it when it
// overruns. True when it ended by itself with exit code 0.
bool reap(pid_t pid, Clock::time_point deadline) {
    int status = 0;
    while (true) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        // A program that ignores SIGCHLD has its children reaped for it: the
        // end is then unknown, and the reply alone decides.
        if (r < 0 && errno == ECHILD) return true;
        if (r < 0 && errno != EINTR) return false;
        if (Clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return false;
        }
        ::usleep(500);
    }
}

// The reader service (ReaderProtocol.h), started on first use and again when
// it has gone; exchanges are serialised, the replies themselves are not.
class ReaderService {
public:
    ~ReaderService() { stop(); }

    // Asks for `path` to be read; the reply arrives on the returned pipe end.
    // Returns the child's pid. Throws Err::ReaderFailed.
    pid_t start(const std::string& program, const std::string& path, ReadMode mode,
                std::chrono::milliseconds limit, Fd& replyOut) {
        if (path.size() > protocol::kMaxPath) cannotStart(path, ENAMETOOLONG);
        std::string msg;
        msg.push_back(static_cast<char>(protocol::kRead));
        msg.push_back(static_cast<char>(mode));
        protocol::putU32(msg, static_cast<uint32_t>(std::min<int64_t>(limit.count(), UINT32_MAX)));
        msg += path;
        std::lock_guard lock(mutex_);
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!running(program)) launch(program, path);
            int fds[2];
            if (::pipe2(fds, O_CLOEXEC) != 0) cannotStart(path, errno);
            Fd in(fds[0]), out(fds[1]);
            int32_t answer = 0;
            // The service answers at once; the read's own limit starts after.
            if (exchange(msg, out.get(), Clock::now() + kServiceAnswer, &answer)) {
                if (answer <= 0) cannotStart(path, answer < 0 ? -answer : EAGAIN);
                replyOut.reset(in.release());
                return static_cast<pid_t>(answer);
            }
            stop();  // gone or stuck: start afresh once
        }
        cannotStart(path, ECONNRESET);
    }

    // Has the service kill a child that is still reading.
    void kill(pid_t child) {
        std::string msg;
        msg.push_back(static_cast<char>(protocol::kKill));
        protocol::putU32(msg, static_cast<uint32_t>(child));
        std::lock_guard lock(mutex_);
        int32_t status = -1;
        if (socket_.get() < 0 || !exchange(msg, -1, Clock::now() + kServiceAnswer, &status))
            stop();  // gone or stuck: its children go with it
    }

    pid_t pid() {
        std::lock_guard lock(mutex_);
        return pid_;
    }

private:
    // A service that has ended shows in the next exchange, which then starts
    // it afresh.
    bool running(const std::string& program) const {
        return socket_.get() >= 0 && program == program_;
    }

    void launch(const std::string& program, const std::string& path) {
        stop();
        int sv[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sv) != 0)
            cannotStart(path, errno);
        Fd mine(sv[0]), theirs(sv[1]);
        const pid_t pid = spawn(program, {"--serve"}, theirs.get(), -1);
        if (pid < 0) cannotStart(path, -pid);
        socket_.reset(mine.release());
        pid_ = pid;
        program_ = program;
    }

    void stop() {
        if (pid_ > 0) {
            socket_.reset();  // the service ends when its socket closes
            reap(pid_, Clock::now() + std::chrono::milliseconds(200));
        }
        socket_.reset();
        pid_ = -1;
    }

    // Sends one message (with `fd` attached unless it is -1) and takes the
    // service's 4-byte answer. False when the service is gone or silent.
    bool exchange(const std::string& msg, int fd, Clock::time_point deadline, int32_t* answer) {
        iovec iov{const_cast<char*>(msg.data()), msg.size()};
        msghdr h{};
        h.msg_iov = &iov;
        h.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
        if (fd >= 0) {
            h.msg_control = control;
            h.msg_controllen = sizeof control;
            cmsghdr* c = CMSG_FIRSTHDR(&h);
            c->cmsg_level = SOL_SOCKET;
            c->cmsg_type = SCM_RIGHTS;
            c->cmsg_len = CMSG_LEN(sizeof(int));
            std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
        }
        ssize_t sent;
        while ((sent = ::sendmsg(socket_.get(), &h, MSG_NOSIGNAL)) < 0 && errno == EINTR) {
        }
        if (sent != static_cast<ssize_t>(msg.size())) return false;
        while (true) {
            pollfd p{socket_.get(), POLLIN, 0};
            const int ready = ::poll(&p, 1, std::max(1, remainingMs(deadline)));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return false;
            char buf[8];
            const ssize_t n = ::recv(socket_.get(), buf, sizeof buf, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n != 4) return false;
            *answer = static_cast<int32_t>(protocol::getU32(buf));
            return true;
        }
    }

    std::mutex mutex_;
    Fd socket_;
    pid_t pid_ = -1;
    std::string program_;
};

ReaderService& service() {
    static ReaderService s;
    return s;
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

const char* modeArgument(ReadMode mode) {
    switch (mode) {
        case ReadMode::Database:
            return "--database";
        case ReadMode::Schema:
            return "--schema";
        case ReadMode::Workgroup:
            break;
    }
    return "--workgroup";
}

struct Collected {
    std::string bytes;
    bool overran = false;
    bool tooLarge = false;
};

// Reads the reply until its end, the deadline or the size limit.
Collected collect(int fd, Clock::time_point deadline) {
    Collected c;
    constexpr size_t kChunk = size_t{1} << 16;
    while (true) {
        const int left = remainingMs(deadline);
        if (left <= 0) {
            c.overran = true;
            return c;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, std::min(left, 1000));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        const size_t have = c.bytes.size();
        c.bytes.resize(have + kChunk);
        const ssize_t n = ::read(fd, c.bytes.data() + have, kChunk);
        c.bytes.resize(have + static_cast<size_t>(std::max<ssize_t>(n, 0)));
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return c;  // end of the reply (or a read error: the reply is then short)
        if (c.bytes.size() > kMaxReply) {
            c.tooLarge = true;
            return c;
        }
    }
}

ReadReply judge(const Collected& c, bool clean) {
    if (c.overran) return damaged("the reader overran its time limit");
    if (c.tooLarge) return damaged("the reader's reply is too large");
    if (!clean) return damaged("the reader ended abnormally");
    auto decoded = decodeReply(c.bytes);
    if (!decoded) return damaged("the reader's reply is malformed");
    return std::move(*decoded);
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

pid_t readerServiceProcess() { return service().pid(); }

ReadReply readInChild(const std::string& path, ReadMode mode) {
    const auto options = readerOptions();
    const auto deadline = Clock::now() + options.timeLimit;
    const std::string program = options.forkOnly ? std::string() : findProgram(options);

    if (!program.empty() && options.service) {
        Fd in;
        const pid_t child = service().start(program, path, mode, options.timeLimit, in);
        const auto c = collect(in.get(), deadline);
        in.reset();
        // A whole reply is the child's last act; anything else, and it is stopped.
        auto reply = judge(c, true);
        if (reply.status == ReadStatus::Damaged && decodeReply(c.bytes) == std::nullopt)
            service().kill(child);
        return reply;
    }

    int fds[2];
    // Close-on-exec, so that children started meanwhile by other threads do
    // not hold the pipe open.
    if (::pipe2(fds, O_CLOEXEC) != 0) cannotStart(path, errno);
    Fd in(fds[0]), out(fds[1]);
    pid_t pid = -1;
    if (program.empty()) {
        pid = forkReader(path, mode, in.get(), out.get());
    } else {
        pid = spawn(program, {modeArgument(mode), "--", path}, -1, out.get());
        if (pid < 0) cannotStart(path, -pid);
    }
    out.reset();
    const auto c = collect(in.get(), deadline);
    in.reset();
    const bool clean = reap(pid, c.overran || c.tooLarge ? Clock::now() : deadline);
    return judge(c, clean);
}

}  // namespace jet::mdb
