// The reader process: reads Jet files through libmdb, away from the program,
// so that libmdb's faults on damaged files end here.
//   parabase-mdb-reader --database|--schema|--workgroup -- <file>
//       reads one file and writes the reply (Snapshot.h) to standard output
//   parabase-mdb-reader --serve
//       the reader service (ReaderProtocol.h) on the socket at standard input
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string>

#include "jet/mdb/FileReader.h"
#include "jet/mdb/MdbApi.h"
#include "jet/mdb/ReaderLimits.h"
#include "jet/mdb/ReaderProtocol.h"

namespace {

using namespace jet::mdb;

bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

void quietOutput() {
    // libmdb writes its complaints to stdout and stderr.
    const int devnull = ::open("/dev/null", O_WRONLY);
    if (devnull >= 0) {
        ::dup2(devnull, STDOUT_FILENO);
        ::dup2(devnull, STDERR_FILENO);
        ::close(devnull);
    }
}

bool sendAnswer(int32_t value) {
    std::string out;
    protocol::putU32(out, static_cast<uint32_t>(value));
    return ::send(STDIN_FILENO, out.data(), out.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(out.size());
}

// A child of the service: reads one file and ends.
[[noreturn]] void readOne(const std::string& path, ReadMode mode, uint32_t limitMs, int replyFd) {
    ::close(STDIN_FILENO);
    // A child that loops on the CPU ends by itself even if nobody kills it.
    const rlim_t seconds = limitMs / 1000 + 2;
    rlimit cpu{seconds, seconds + 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
    const bool ok = writeAll(replyFd, encodeReply(readJetFile(path, mode)));
    ::_exit(ok ? 0 : 3);
}

// Kills a live child and reaps it: its wait status, or -1 when it is none.
int32_t killChild(std::set<pid_t>& live, pid_t pid) {
    if (!live.count(pid)) return -1;
    ::kill(pid, SIGKILL);
    int status = 0;
    pid_t r;
    while ((r = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    live.erase(pid);
    return r == pid ? status : -1;
}

int serve() {
    limitReaderProcess();
    ::signal(SIGPIPE, SIG_IGN);
    quietOutput();
    // Converters libmdb opens for Jet 4 and for Jet 3 (Western code page) files,
    // loaded once here so that no child loads them again.
    const iconv_t warm[] = {iconv_open("UCS-2LE", "UTF-8"), iconv_open("UTF-8", "UCS-2LE"),
                            iconv_open("CP1252", "UTF-8"), iconv_open("UTF-8", "CP1252")};
    (void)warm;
    std::set<pid_t> live;
    std::string buf(protocol::kMaxPath + 16, '\0');
    while (true) {
        // Children that ended are reaped here, whether or not the program
        // asks to kill them.
        for (pid_t done; (done = ::waitpid(-1, nullptr, WNOHANG)) > 0;) live.erase(done);
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (::poll(&p, 1, 50) == 0) continue;
        iovec iov{buf.data(), buf.size()};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 4)];
        msghdr msg{};
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(STDIN_FILENO, &msg, MSG_CMSG_CLOEXEC);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the program has gone
        int replyFd = -1;
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
            const size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (size_t i = 0; i < count; ++i) {
                int fd = -1;
                std::memcpy(&fd, CMSG_DATA(c) + i * sizeof(int), sizeof fd);
                if (replyFd < 0)
                    replyFd = fd;
                else
                    ::close(fd);
            }
        }
        const auto size = static_cast<size_t>(n);
        bool answered = false;
        if (buf[0] == protocol::kRead && size >= 6 && replyFd >= 0 &&
            !(msg.msg_flags & MSG_TRUNC)) {
            const auto mode = static_cast<ReadMode>(buf[1]);
            const uint32_t limitMs = protocol::getU32(buf.data() + 2);
            const std::string path = buf.substr(6, size - 6);
            if (mode == ReadMode::Database || mode == ReadMode::Workgroup ||
                mode == ReadMode::Schema) {
                const pid_t pid = ::fork();
                if (pid == 0) readOne(path, mode, limitMs, replyFd);
                if (pid > 0) live.insert(pid);
                answered = sendAnswer(pid > 0 ? pid : -errno);
            }
        } else if (buf[0] == protocol::kKill && size == 5) {
            const auto pid = static_cast<pid_t>(protocol::getU32(buf.data() + 1));
            answered = sendAnswer(killChild(live, pid));
        }
        if (replyFd >= 0) ::close(replyFd);
        if (!answered && !sendAnswer(-1)) break;
    }
    for (pid_t pid : std::set<pid_t>(live)) killChild(live, pid);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--serve") == 0) return serve();
    if (argc != 4 || std::strcmp(argv[2], "--") != 0) return 2;
    ReadMode mode;
    if (std::strcmp(argv[1], "--database") == 0)
        mode = ReadMode::Database;
    else if (std::strcmp(argv[1], "--schema") == 0)
        mode = ReadMode::Schema;
    else if (std::strcmp(argv[1], "--workgroup") == 0)
        mode = ReadMode::Workgroup;
    else
        return 2;
    limitReaderProcess();
    // The reply needs a channel of its own.
    const int reply = ::dup(STDOUT_FILENO);
    if (reply < 0) return 3;
    quietOutput();
    return writeAll(reply, encodeReply(readJetFile(argv[3], mode))) ? 0 : 3;
}
