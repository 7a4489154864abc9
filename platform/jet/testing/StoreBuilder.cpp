#include "jet/testing/StoreBuilder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>

#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/ConnectionString.h"
#include "jet/Error.h"
#include "jet/store/Sqlite.h"
#include "text/Trim.h"

namespace jet::testing {

namespace {

bool isWord(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// True when `stmt` reads CREATE VIEW|PROC|PROCEDURE <name> AS PARAMETERS …,
// i.e. the ";" that follows belongs to its PARAMETERS clause.
bool opensParameters(std::string_view stmt) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < stmt.size() && words.size() < 5) {
        while (i < stmt.size() && std::isspace(static_cast<unsigned char>(stmt[i]))) ++i;
        if (i >= stmt.size()) break;
        if (stmt[i] == '[') {
            const size_t close = stmt.find(']', i);
            if (close == std::string_view::npos) return false;
            words.emplace_back("[name]");
            i = close + 1;
        } else if (isWord(stmt[i])) {
            const size_t start = i;
            while (i < stmt.size() && isWord(stmt[i])) ++i;
            std::string w(stmt.substr(start, i - start));
            for (auto& c : w) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            words.push_back(std::move(w));
        } else {
            return false;
        }
    }
    return words.size() == 5 && words[0] == "CREATE" &&
           (words[1] == "VIEW" || words[1] == "PROC" || words[1] == "PROCEDURE") &&
           words[3] == "AS" && words[4] == "PARAMETERS";
}

[[noreturn]] void failIn(size_t number, const std::string& statement, const Error& e) {
    throw Error(e.number(), "statement " + std::to_string(number) + " (" + statement +
                                "): " + e.description(),
                e.source());
}

void createFreshWorkgroup(const std::string& path) {
    ConnectionProperties p;
    p.provider = std::string(kJetProvider);
    p.dataSource = path;
    p.createSystemDatabase = true;
    Catalog::Create(buildConnectionString(p));
}

// The workgroup this program makes, kept in `dir` under the program file's
// identity (a rebuilt program makes its own).
std::string workgroupTemplate(const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    struct stat st {};
    if (ec || ::stat(exe.c_str(), &st) != 0) return {};
    const std::string identity = exe.string() + ":" + std::to_string(st.st_size) + ":" +
                                 std::to_string(st.st_mtim.tv_sec) + "." +
                                 std::to_string(st.st_mtim.tv_nsec);
    const fs::path made =
        fs::path(dir) / ("workgroup-" + std::to_string(std::hash<std::string>{}(identity)) + ".sdw");
    if (fs::exists(made, ec)) return made.string();
    fs::create_directories(dir, ec);
    const std::string part = made.string() + "." + std::to_string(::getpid()) + ".part";
    fs::remove(part, ec);
    createFreshWorkgroup(part);
    fs::rename(part, made, ec);
    if (ec) {
        fs::remove(part, ec);
        return {};
    }
    return made.string();
}

// A new workgroup hashes the passwords of its standard accounts, which costs
// a noticeable part of a second, and tests make hundreds. With
// PARABASE_TEST_CACHE naming a folder (CTest sets it to the build's cache),
// each test program makes one and copies it; otherwise each is made anew.
void createWorkgroup(const std::string& path) {
    const char* dir = std::getenv("PARABASE_TEST_CACHE");
    std::error_code ec;
    if (!dir || !*dir || std::filesystem::exists(path, ec)) return createFreshWorkgroup(path);
    static std::mutex m;
    static std::string made;
    {
        std::lock_guard lock(m);
        if (made.empty()) made = workgroupTemplate(dir);
    }
    if (made.empty() || !std::filesystem::copy_file(made, path, ec) || ec) {
        std::filesystem::remove(path, ec);
        createFreshWorkgroup(path);
    }
}

std::string tempDatabasePath() {
    static std::atomic<int> counter{0};
    return (std::filesystem::temp_directory_path() /
            ("parabase-builder-" + std::to_string(::getpid()) + "-" +
             std::to_string(counter++) + ".sdb"))
        .string();
}

void runAll(Connection& c, std::string_view jetSql) {
    const auto statements = splitStatements(jetSql);
    for (size_t i = 0; i < statements.size(); ++i) {
        try {
            (void)c.Execute(statements[i]);
        } catch (const Error& e) {
            failIn(i + 1, statements[i], e);
        }
    }
}

}  // namespace

std::string storeConnectionString(const std::string& path, const std::string& workgroup,
                                  const std::string& user, const std::string& password,
                                  const std::string& databasePassword) {
    ConnectionProperties p;
    p.provider = std::string(kJetProvider);
    p.dataSource = path;
    if (!workgroup.empty()) p.systemDatabase = workgroup;
    if (!user.empty()) p.userId = user;
    if (!password.empty()) p.password = password;
    if (!databasePassword.empty()) p.databasePassword = databasePassword;
    return buildConnectionString(p);
}

std::vector<std::string> splitStatements(std::string_view s) {
    std::vector<std::string> out;
    size_t start = 0;
    bool parametersTaken = false;
    const auto push = [&](size_t end) {
        std::string piece(s.substr(start, end - start));
        if (!text::trimWhite(piece).empty()) out.push_back(std::move(piece));
        start = end + 1;
        parametersTaken = false;
    };
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '[') {
            const size_t close = s.find(']', i + 1);
            i = close == std::string_view::npos ? s.size() : close;
        } else if (c == '\'' || c == '"') {
            size_t k = i + 1;
            while (k < s.size()) {
                if (s[k] == c) {
                    if (k + 1 < s.size() && s[k + 1] == c) {
                        k += 2;
                        continue;
                    }
                    break;
                }
                ++k;
            }
            i = k;
        } else if (c == ';') {
            if (!parametersTaken && opensParameters(s.substr(start, i - start))) {
                parametersTaken = true;
                continue;
            }
            push(i);
        }
    }
    if (start < s.size()) push(s.size());
    return out;
}

void buildStore(const std::string& path, std::string_view jetSql, const std::string& workgroup,
                const std::string& databasePassword) {
    std::error_code ec;
    if (!workgroup.empty() && !std::filesystem::exists(workgroup, ec))
        createWorkgroup(workgroup);
    Catalog::Create(storeConnectionString(path, "", "", "", databasePassword));
    Connection c;
    c.Open(storeConnectionString(path, workgroup, "", "", databasePassword));
    runAll(c, jetSql);
    c.Close();
}

void buildWorkgroup(const std::string& path, std::string_view jetSql) {
    createWorkgroup(path);
    if (text::trimWhite(jetSql).empty()) return;
    // Account statements run through a database that uses the workgroup.
    const std::string scratch = tempDatabasePath();
    std::error_code ec;
    try {
        Catalog::Create(storeConnectionString(scratch));
        Connection c;
        c.Open(storeConnectionString(scratch, path));
        runAll(c, jetSql);
        c.Close();
    } catch (...) {
        std::filesystem::remove(scratch, ec);
        throw;
    }
    std::filesystem::remove(scratch, ec);
}

std::vector<Row> storeRows(const std::string& path, const std::string& query) {
    store::sql::Db db(path, SQLITE_OPEN_READONLY);
    auto stmt = db.prepare(query);
    std::vector<Row> rows;
    while (stmt.step()) {
        Row r;
        for (int i = 0; i < stmt.columns(); ++i) {
            if (stmt.isNull(i)) r.emplace_back(std::nullopt);
            else r.emplace_back(stmt.text(i));
        }
        rows.push_back(std::move(r));
    }
    return rows;
}

}  // namespace jet::testing
