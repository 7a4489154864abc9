// The reader process: reads one Jet file through libmdb and writes the reply
// (see Snapshot.h) to its standard output. The provider starts it for every
// file it opens, so that libmdb's faults on damaged files end here and not in
// the program.
//   parabase-mdb-reader --database|--workgroup -- <file>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "jet/mdb/FileReader.h"
#include "jet/mdb/ReaderLimits.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::strcmp(argv[2], "--") != 0) return 2;
    jet::mdb::ReadMode mode;
    if (std::strcmp(argv[1], "--database") == 0)
        mode = jet::mdb::ReadMode::Database;
    else if (std::strcmp(argv[1], "--workgroup") == 0)
        mode = jet::mdb::ReadMode::Workgroup;
    else
        return 2;
    jet::mdb::limitReaderProcess();
    // libmdb writes its complaints to stdout and stderr; the reply needs a
    // channel of its own.
    const int reply = ::dup(STDOUT_FILENO);
    if (reply < 0) return 3;
    const int devnull = ::open("/dev/null", O_WRONLY);
    if (devnull >= 0) {
        ::dup2(devnull, STDOUT_FILENO);
        ::close(devnull);
    }
    const auto answer = jet::mdb::encodeReply(jet::mdb::readJetFile(argv[3], mode));
    return writeAll(reply, answer) ? 0 : 3;
}
