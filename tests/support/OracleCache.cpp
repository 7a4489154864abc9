#include "OracleCache.h"

#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <tuple>

namespace oraclecache {

namespace fs = std::filesystem;

namespace {

const fs::path kCacheDir = ORACLE_CACHE_DIR;

bool enabled() {
    static const bool on = [] {
        const char* v = std::getenv("PARABASE_ORACLE_CACHE");
        return !(v && (std::string(v) == "off" || std::string(v) == "0"));
    }();
    return on;
}

std::string hex(const unsigned char* bytes, size_t n) {
    std::string out(n * 2 + 1, '\0');
    sodium_bin2hex(out.data(), out.size(), bytes, n);
    out.pop_back();
    return out;
}

std::string digestOf(const std::string& bytes) {
    if (sodium_init() < 0) throw std::runtime_error("libsodium could not be started");
    unsigned char d[32];
    crypto_generichash(d, sizeof d, reinterpret_cast<const unsigned char*>(bytes.data()),
                       bytes.size(), nullptr, 0);
    return hex(d, sizeof d);
}

// Where the fixtures are, resolved once; empty when they are missing.
const fs::path& fixturesRoot() {
    static const fs::path root = [] {
        std::error_code ec;
        const fs::path p = fs::canonical(JET_FIXTURES, ec);
        return ec ? fs::path() : p;
    }();
    return root;
}

bool inside(const fs::path& file, const fs::path& folder) {
    auto f = file.begin();
    for (auto d = folder.begin(); d != folder.end(); ++d, ++f)
        if (f == file.end() || *f != *d) return false;
    return true;
}

struct Stamp {
    std::string path;
    off_t size;
    int64_t mtime;
    bool operator<(const Stamp& o) const {
        return std::tie(path, size, mtime) < std::tie(o.path, o.size, o.mtime);
    }
};

}  // namespace

std::string fileDigest(const std::string& path) {
    // Keyed by size and modification time as well, so a file changed in place
    // is read again.
    static std::mutex m;
    static std::map<Stamp, std::string> known;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return digestOf("absent:" + path);
    const Stamp stamp{path, st.st_size,
                      static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    {
        std::lock_guard lock(m);
        if (auto it = known.find(stamp); it != known.end()) return it->second;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string d = digestOf(bytes.str());
    std::lock_guard lock(m);
    known[stamp] = d;
    return d;
}

std::optional<std::string> fixtureDigest(const std::string& path) {
    if (fixturesRoot().empty()) return std::nullopt;
    std::error_code ec;
    const fs::path p = fs::canonical(path, ec);
    if (ec || !fs::is_regular_file(p, ec) || !inside(p, fixturesRoot())) return std::nullopt;
    return fileDigest(p.string());
}

std::string programDigest(const std::string& program) {
    std::string found;
    if (program.find('/') != std::string::npos) {
        found = program;
    } else if (const char* path = std::getenv("PATH")) {
        std::stringstream dirs(path);
        for (std::string dir; std::getline(dirs, dir, ':');) {
            const std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
            if (::access(candidate.c_str(), X_OK) == 0) {
                found = candidate;
                break;
            }
        }
    }
    struct stat st {};
    if (found.empty() || ::stat(found.c_str(), &st) != 0) return "missing:" + program;
    return found + ":" + std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) +
           "." + std::to_string(st.st_mtim.tv_nsec);
}

std::string reading(const std::string& what, const std::vector<std::string>& files,
                    const std::function<std::string()>& read) {
    if (!enabled() || files.empty()) return read();
    std::string key = what;
    for (const auto& f : files) {
        const auto d = fixtureDigest(f);
        if (!d) return read();
        key += '\0' + *d;
    }
    const fs::path entry = kCacheDir / digestOf(key);
    {
        std::ifstream in(entry, std::ios::binary);
        if (in) {
            std::ostringstream text;
            text << in.rdbuf();
            return text.str();
        }
    }
    std::string text = read();
    // Written beside and renamed, so that a test process running at the same
    // time reads a whole entry or none.
    std::error_code ec;
    fs::create_directories(kCacheDir, ec);
    static std::atomic<unsigned> counter{0};
    const fs::path part = entry.string() + "." + std::to_string(::getpid()) + "." +
                          std::to_string(counter++) + ".part";
    {
        std::ofstream out(part, std::ios::binary);
        out << text;
        if (!out) {
            fs::remove(part, ec);
            return text;
        }
    }
    fs::rename(part, entry, ec);
    if (ec) fs::remove(part, ec);
    return text;
}

}  // namespace oraclecache
