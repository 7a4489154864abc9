#include "JetOracles.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <mutex>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "OracleCache.h"

#include "jet/Backend.h"
#include "jet/ConnectionString.h"
#include "jet/Error.h"
#include "jet/mdb/ReaderProcess.h"

namespace oracles {

using mdbtest::run;
using mdbtest::shellQuote;

namespace {

const std::filesystem::path kReaderDir = MDB_READER_DIR;

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::string trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(first, last - first + 1));
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            out.push_back(text.substr(start));
            break;
        }
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

// A JSON value of the dump as text: numbers in their shortest exact form, as
// JavaScript printed them.
Value jsonText(const nlohmann::json& v) {
    if (v.is_null()) return std::nullopt;
    if (v.is_string()) return v.get<std::string>();
    if (v.is_boolean()) return std::string(v.get<bool>() ? "true" : "false");
    if (v.is_number_unsigned()) return std::to_string(v.get<uint64_t>());
    if (v.is_number_integer()) return std::to_string(v.get<int64_t>());
    if (v.is_number_float()) {
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, v.get<double>());
        return std::string(buf, r.ptr);
    }
    return v.dump();
}

// "`name`" or "[name]" at `pos`: the name, with pos past the closing mark.
std::string quotedName(const std::string& s, size_t& pos, char open, char close) {
    const size_t start = s.find(open, pos);
    if (start == std::string::npos) throw std::runtime_error("mdb-schema: no name in: " + s);
    const size_t end = s.find(close, start + 1);
    if (end == std::string::npos) throw std::runtime_error("mdb-schema: name not closed: " + s);
    pos = end + 1;
    return s.substr(start + 1, end - start - 1);
}

// "(`a` DESC, `b`)" from pos: the columns, with pos past ")".
std::vector<SchemaIndexColumn> indexColumns(const std::string& s, size_t& pos) {
    const size_t open = s.find('(', pos);
    const size_t close = s.find(')', open);
    if (open == std::string::npos || close == std::string::npos)
        throw std::runtime_error("mdb-schema: no column list in: " + s);
    std::vector<SchemaIndexColumn> out;
    size_t p = open + 1;
    while (true) {
        const size_t tick = s.find('`', p);
        if (tick == std::string::npos || tick > close) break;
        SchemaIndexColumn c;
        c.name = quotedName(s, p, '`', '`');
        const size_t next = s.find_first_of(",)", p);
        c.descending = trim(s.substr(p, next - p)) == "DESC";
        out.push_back(std::move(c));
        p = next;
    }
    pos = close + 1;
    return out;
}

SchemaTable& tableNamed(MdbSchema& schema, const std::string& name) {
    for (auto& t : schema.tables)
        if (t.name == name) return t;
    throw std::runtime_error("mdb-schema: an index of table '" + name + "', which it did not list");
}

// The column lines of the access backend: "\t[name]\t\t\tType (a, b) NOT NULL, ".
SchemaColumn schemaColumn(const std::string& line) {
    SchemaColumn c;
    size_t pos = 0;
    c.name = quotedName(line, pos, '[', ']');
    std::string rest = trim(line.substr(pos));
    if (endsWith(rest, ",")) rest = trim(rest.substr(0, rest.size() - 1));
    if (endsWith(rest, " NOT NULL")) {
        c.notNull = true;
        rest = trim(rest.substr(0, rest.size() - 9));
    }
    if (endsWith(rest, ")")) {
        const size_t open = rest.rfind(" (");
        if (open == std::string::npos) throw std::runtime_error("mdb-schema: odd type: " + line);
        const std::string args = rest.substr(open + 2, rest.size() - open - 3);
        const size_t comma = args.find(',');
        if (comma == std::string::npos) {
            c.size = std::stoi(args);
        } else {
            c.precision = std::stoi(args.substr(0, comma));
            c.scale = std::stoi(args.substr(comma + 1));
        }
        rest = rest.substr(0, open);
    }
    c.type = rest;
    return c;
}

// The npm reader started once for the whole test program (dump.mjs --serve):
// starting node costs far more than reading a fixture. One request at a time.
class NpmReaderService {
public:
    ~NpmReaderService() { stop(); }

    std::string dump(const std::string& path, bool systemTables) {
        std::lock_guard lock(mutex_);
        if (fd_ < 0) start();
        const std::string request =
            nlohmann::json{{"file", path}, {"system", systemTables}}.dump() + "\n";
        std::string answer;
        if (!send(request) || !receiveLine(answer)) {
            stop();
            throw std::runtime_error("npm reader: the service ended while reading " + path);
        }
        if (!answer.empty() && answer.front() == '!')
            throw std::runtime_error("npm reader cannot read " + path + ": " + answer.substr(1));
        return answer;
    }

private:
    void start() {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
            throw std::runtime_error("npm reader: no socket pair");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 0);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const std::string script = (kReaderDir / "dump.mjs").string();
        char* argv[] = {const_cast<char*>("node"), const_cast<char*>(script.c_str()),
                        const_cast<char*>("--serve"), nullptr};
        pid_t pid = -1;
        const int rc = ::posix_spawnp(&pid, "node", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (rc != 0) {
            ::close(fds[0]);
            throw std::runtime_error("npm reader: node could not be started");
        }
        fd_ = fds[0];
        pid_ = pid;
        buffer_.clear();
    }

    void stop() {
        if (fd_ >= 0) ::close(fd_);  // node ends when its input ends
        fd_ = -1;
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    bool send(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

    bool receiveLine(std::string& line) {
        char chunk[65536];
        while (true) {
            if (const size_t nl = buffer_.find('\n'); nl != std::string::npos) {
                line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return true;
            }
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }

    std::mutex mutex_;
    int fd_ = -1;
    pid_t pid_ = -1;
    std::string buffer_;
};

// The reader's own files, so that a cached reading goes with the reader that
// made it.
const std::string& npmReaderDigest() {
    static const std::string d =
        oraclecache::fileDigest((kReaderDir / "dump.mjs").string()) + ":" +
        oraclecache::fileDigest((kReaderDir / "package-lock.json").string()) + ":" +
        oraclecache::fileDigest(
            (kReaderDir / "node_modules" / "mdb-reader" / "package.json").string()) +
        ":" + oraclecache::programDigest("node");
    return d;
}

std::string npmReaderText(const std::string& path, bool systemTables) {
    static NpmReaderService service;
    return oraclecache::reading(
        std::string("npm-reader\0") + npmReaderDigest() + (systemTables ? "\0system" : ""),
        {path}, [&] { return service.dump(path, systemTables); });
}

}  // namespace

TableRows ReaderTable::asRows() const {
    TableRows t{name, {}, rows};
    for (const auto& c : columns) t.columns.push_back(c.name);
    return t;
}

const ReaderTable* ReaderDump::table(const std::string& name) const {
    for (const auto& t : tables)
        if (t.name == name) return &t;
    return nullptr;
}

bool haveMdbReader() { return mdbReaderMissing().empty(); }

std::string mdbReaderMissing() {
    static const std::string missing = []() -> std::string {
        try {
            run("command -v node");
        } catch (const std::exception&) {
            return "node is not installed";
        }
        std::error_code ec;
        if (!std::filesystem::exists(kReaderDir / "node_modules" / "mdb-reader" / "package.json",
                                     ec))
            return "the npm reader is not installed (npm ci --prefix " + kReaderDir.string() +
                   ", as scripts/setup.sh does)";
        return {};
    }();
    return missing;
}

ReaderDump mdbReaderDump(const std::string& path, bool systemTables) {
    const std::string out = npmReaderText(path, systemTables);
    ReaderDump dump;
    try {
        const auto j = nlohmann::json::parse(out);
        dump.sortOrder = j.at("sortOrder").at("value").get<int32_t>();
        dump.sortOrderVersion = j.at("sortOrder").at("version").get<int32_t>();
        for (const auto& jt : j.at("tables")) {
            ReaderTable t;
            t.name = jt.at("name").get<std::string>();
            t.rowCount = jt.at("rowCount").get<int64_t>();
            for (const auto& jc : jt.at("columns")) {
                ReaderColumn c;
                c.name = jc.at("name").get<std::string>();
                c.type = jc.at("type").get<std::string>();
                c.size = jc.at("size").get<int32_t>();
                c.fixedLength = jc.at("fixedLength").get<bool>();
                c.nullable = jc.at("nullable").get<bool>();
                c.autoLong = jc.at("autoLong").get<bool>();
                c.autoUUID = jc.at("autoUUID").get<bool>();
                if (!jc.at("precision").is_null()) c.precision = jc.at("precision").get<int32_t>();
                if (!jc.at("scale").is_null()) c.scale = jc.at("scale").get<int32_t>();
                t.columns.push_back(std::move(c));
            }
            for (const auto& jr : jt.at("rows")) {
                Row r;
                for (const auto& v : jr) r.push_back(jsonText(v));
                t.rows.push_back(std::move(r));
            }
            dump.tables.push_back(std::move(t));
        }
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error("npm reader: unexpected output for " + path + ": " + e.what());
    }
    return dump;
}

std::vector<std::string> mdbTables(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& line : lines(run("mdb-tables -1 " + shellQuote(path))))
        if (!line.empty()) names.push_back(line);
    return names;
}

TableRows mdbExport(const std::string& path, const std::string& table) {
    const std::string format = "%Y-%m-%d %H:%M:%S";
    auto rows = mdbtest::parseCsvCells(run("mdb-export -b hex -D " + shellQuote(format) + " -T " +
                                           shellQuote(format) + " " + shellQuote(path) + " " +
                                           shellQuote(table)));
    if (rows.empty()) throw std::runtime_error("mdb-export printed nothing for " + table);
    TableRows t;
    t.name = table;
    for (const auto& v : rows.front()) t.columns.push_back(v.value_or(""));
    t.rows.assign(rows.begin() + 1, rows.end());
    for (const auto& r : t.rows)
        if (r.size() != t.columns.size())
            throw std::runtime_error("mdb-export: a row of " + table + " has " +
                                     std::to_string(r.size()) + " fields, the header " +
                                     std::to_string(t.columns.size()));
    return t;
}

std::vector<TableRows> mdbExportAll(const std::string& path) {
    std::vector<TableRows> all;
    for (const auto& name : mdbTables(path)) all.push_back(mdbExport(path, name));
    return all;
}

const SchemaTable* MdbSchema::table(const std::string& name) const {
    for (const auto& t : tables)
        if (t.name == name) return &t;
    return nullptr;
}

MdbSchema mdbSchema(const std::string& path) {
    MdbSchema schema;
    // Columns through the access backend, which prints Access's own type words.
    SchemaTable* current = nullptr;
    for (const auto& line :
         lines(run("mdb-schema --no-drop-table --not-null --no-default-values --no-comments "
                   "--no-indexes --no-relations " +
                   shellQuote(path) + " access"))) {
        if (startsWith(line, "CREATE TABLE ")) {
            size_t pos = 0;
            schema.tables.push_back({quotedName(line, pos, '[', ']'), {}, {}});
            current = &schema.tables.back();
        } else if (current && startsWith(line, "\t[")) {
            current->columns.push_back(schemaColumn(line));
        } else if (startsWith(line, ");")) {
            current = nullptr;
        }
    }
    // Indexes and relationships through the mysql backend, the one that keeps
    // index names as they stand.
    for (const auto& line :
         lines(run("mdb-schema --no-drop-table --no-not-null --no-default-values --no-comments "
                   "--indexes --relations " +
                   shellQuote(path) + " mysql"))) {
        if (startsWith(line, "ALTER TABLE `")) {
            size_t pos = 0;
            const std::string table = quotedName(line, pos, '`', '`');
            const std::string rest = line.substr(pos);
            if (startsWith(rest, " ADD PRIMARY KEY")) {
                SchemaIndex ix;
                ix.primaryKey = ix.unique = true;
                ix.columns = indexColumns(line, pos);
                tableNamed(schema, table).indexes.push_back(std::move(ix));
            } else if (startsWith(rest, " ADD INDEX") || startsWith(rest, " ADD UNIQUE INDEX")) {
                SchemaIndex ix;
                ix.unique = startsWith(rest, " ADD UNIQUE");
                ix.name = quotedName(line, pos, '`', '`');
                ix.columns = indexColumns(line, pos);
                tableNamed(schema, table).indexes.push_back(std::move(ix));
            } else if (startsWith(rest, " ADD CONSTRAINT")) {
                SchemaRelation r;
                r.table = table;
                quotedName(line, pos, '`', '`');  // a made-up name: table_column_fk
                auto cols = indexColumns(line, pos);
                r.relatedTable = quotedName(line, pos, '`', '`');
                auto related = indexColumns(line, pos);
                if (cols.size() != 1 || related.size() != 1)
                    throw std::runtime_error("mdb-schema: odd relationship: " + line);
                r.column = cols[0].name;
                r.relatedColumn = related[0].name;
                r.cascadeUpdates = line.find(" ON UPDATE CASCADE") != std::string::npos;
                r.cascadeDeletes = line.find(" ON DELETE CASCADE") != std::string::npos;
                schema.relations.push_back(std::move(r));
            }
        } else if (startsWith(line, "-- Relationship from `")) {
            SchemaRelation r;
            size_t pos = 0;
            r.enforced = false;
            r.table = quotedName(line, pos, '`', '`');
            r.column = quotedName(line, pos, '`', '`');
            r.relatedTable = quotedName(line, pos, '`', '`');
            r.relatedColumn = quotedName(line, pos, '`', '`');
            schema.relations.push_back(std::move(r));
        }
    }
    return schema;
}

std::vector<RelationshipRow> msysRelationships(const std::string& path) {
    const TableRows t = mdbExport(path, "MSysRelationships");
    const auto at = [&](const char* column) {
        const auto it = std::find(t.columns.begin(), t.columns.end(), column);
        if (it == t.columns.end())
            throw std::runtime_error(std::string("MSysRelationships has no column ") + column);
        return static_cast<size_t>(it - t.columns.begin());
    };
    const size_t name = at("szRelationship"), grbit = at("grbit"), count = at("ccolumn"),
                 index = at("icolumn"), table = at("szObject"), column = at("szColumn"),
                 related = at("szReferencedObject"), relatedColumn = at("szReferencedColumn");
    std::vector<RelationshipRow> rows;
    for (const auto& r : t.rows)
        rows.push_back({r[name].value_or(""), std::stoll(r[grbit].value_or("0")),
                        std::stoi(r[count].value_or("0")), std::stoi(r[index].value_or("0")),
                        r[table].value_or(""), r[column].value_or(""), r[related].value_or(""),
                        r[relatedColumn].value_or("")});
    return rows;
}

std::optional<std::string> PropertySet::value(const std::string& property) const {
    for (const auto& [k, v] : values)
        if (k == property) return v;
    return std::nullopt;
}

std::vector<PropertySet> mdbProp(const std::string& path, const std::string& object) {
    std::vector<PropertySet> sets;
    for (const auto& line : lines(run("mdb-prop " + shellQuote(path) + " " + shellQuote(object)))) {
        if (startsWith(line, "name: ")) {
            sets.push_back({line.substr(6), {}});
        } else if (!sets.empty() && startsWith(line, "\t")) {
            const size_t colon = line.find(": ");
            if (colon == std::string::npos) {
                // A value that runs over more than one line.
                if (!sets.back().values.empty()) sets.back().values.back().second += "\n" + line;
                continue;
            }
            sets.back().values.emplace_back(line.substr(1, colon - 1), line.substr(colon + 2));
        } else if (!sets.empty() && !line.empty() && !sets.back().values.empty()) {
            sets.back().values.back().second += "\n" + line;
        }
    }
    return sets;
}

std::vector<jet::TableData> readerTables(const std::string& path) {
    const auto reply = jet::mdb::readInChild(path, jet::mdb::ReadMode::Schema);
    if (reply.status != jet::mdb::ReadStatus::Ok)
        throw std::runtime_error("the project's reader cannot read " + path + " (status " +
                                 std::to_string(static_cast<int>(reply.status)) +
                                 "): " + reply.detail);
    std::vector<jet::TableData> tables;
    for (const auto& t : reply.snapshot.tables)
        if (t.type == "TABLE") tables.push_back(t);
    return tables;
}

std::vector<jet::TableData> catalogTables(const std::string& connectionString) {
    jet::OpenRequest request;
    request.props = jet::parseConnectionString(connectionString);
    request.mode = jet::ConnectMode::Read;
    const auto backend = jet::openBackend(request);
    std::vector<jet::TableData> tables;
    for (const auto& t : backend->catalog()->tables)
        if (t.type == "TABLE") tables.push_back(t);
    backend->close();
    return tables;
}

std::string connectionFor(const std::string& path, const std::string& workgroup) {
    jet::ConnectionProperties p;
    p.provider = std::string(jet::kJetProvider);
    p.dataSource = path;
    if (!workgroup.empty()) p.systemDatabase = workgroup;
    return jet::buildConnectionString(p);
}

}  // namespace oracles
