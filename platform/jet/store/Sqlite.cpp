#include "jet/store/Sqlite.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "jet/Error.h"

namespace jet::store::sql {

namespace {

constexpr char kSep = '\x1f';
constexpr std::string_view kMarker = "JET\x1f";

// The error a marker text names, or nullopt when the text is no marker.
std::optional<Error> fromMarker(std::string_view msg) {
    if (msg.substr(0, kMarker.size()) != kMarker) return std::nullopt;
    msg.remove_prefix(kMarker.size());
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= msg.size(); ++i) {
        if (i == msg.size() || msg[i] == kSep) {
            parts.push_back(msg.substr(start, i - start));
            start = i + 1;
        }
    }
    int id = 0;
    for (char c : parts.front()) {
        if (c < '0' || c > '9') return std::nullopt;
        id = id * 10 + (c - '0');
    }
    if (id > static_cast<int>(Err::General)) {
        // Rows appended after General are still rows of the table.
        bool known = false;
        for (const auto& e : kErrorTable)
            if (static_cast<int>(e.id) == id) known = true;
        if (!known) return std::nullopt;
    }
    std::vector<std::string_view> args(parts.begin() + 1, parts.end());
    switch (args.size()) {
        case 0:
            return makeError(static_cast<Err>(id));
        case 1:
            return makeError(static_cast<Err>(id), {args[0]});
        case 2:
            return makeError(static_cast<Err>(id), {args[0], args[1]});
        default:
            return makeError(static_cast<Err>(id), {args[0], args[1], args[2]});
    }
}

}  // namespace

std::string errorMarker(Err id, std::initializer_list<std::string_view> args) {
    std::string out(kMarker);
    out += std::to_string(static_cast<int>(id));
    for (auto a : args) {
        out.push_back(kSep);
        out.append(a);
    }
    return out;
}

void fail(sqlite3* db, int rc, std::string_view context) {
    const char* raw = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    const std::string msg = raw ? raw : "";
    if (auto e = fromMarker(msg)) throw *e;
    const int primary = rc & 0xff;
    if (primary == SQLITE_CONSTRAINT && msg.find("UNIQUE") != std::string::npos)
        raise(Err::DuplicateValues);
    if (primary == SQLITE_READONLY) raise(Err::ReadOnly);
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) raise(Err::Damaged);
    // SQLite's own limits on a statement's nesting, below Jet's.
    if (msg == "parser stack overflow" || msg.rfind("Expression tree is too large", 0) == 0)
        raise(Err::QueryTooComplex);
    std::string text = "The store database reported an error";
    if (!context.empty()) {
        text += " (";
        text += context;
        text += ")";
    }
    text += ": ";
    text += msg;
    raise(Err::General, {text});
}

bool canWrite(const std::string& path) {
    if (::access(path.c_str(), W_OK) != 0) return false;
    auto dir = std::filesystem::path(path).parent_path();
    if (dir.empty()) dir = ".";
    return ::access(dir.c_str(), W_OK) == 0;
}

std::string ident(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

std::string literal(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out.push_back('\'');
        out.push_back(c);
    }
    out.push_back('\'');
    return out;
}

// --- Stmt ----------------------------------------------------------------------

Stmt::Stmt(sqlite3* db, std::string_view text) : db_(db) {
    const int rc =
        sqlite3_prepare_v2(db, text.data(), static_cast<int>(text.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        fail(db, rc, "prepare");
    }
}

Stmt::~Stmt() { sqlite3_finalize(stmt_); }

Stmt& Stmt::operator=(Stmt&& o) noexcept {
    if (this != &o) {
        sqlite3_finalize(stmt_);
        db_ = o.db_;
        stmt_ = o.stmt_;
        o.stmt_ = nullptr;
    }
    return *this;
}

Stmt& Stmt::bind(int index, int64_t v) {
    sqlite3_bind_int64(stmt_, index, v);
    return *this;
}

Stmt& Stmt::bind(int index, std::string_view v) {
    sqlite3_bind_text(stmt_, index, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
}

Stmt& Stmt::bindNull(int index) {
    sqlite3_bind_null(stmt_, index);
    return *this;
}

Stmt& Stmt::bind(int index, const Value& v) {
    switch (v.kind) {
        case Value::Kind::Null:
            sqlite3_bind_null(stmt_, index);
            break;
        case Value::Kind::Integer:
            sqlite3_bind_int64(stmt_, index, v.i);
            break;
        case Value::Kind::Real:
            sqlite3_bind_double(stmt_, index, v.r);
            break;
        case Value::Kind::Text:
            sqlite3_bind_text(stmt_, index, v.s.data(), static_cast<int>(v.s.size()),
                              SQLITE_TRANSIENT);
            break;
        case Value::Kind::Blob:
            sqlite3_bind_blob(stmt_, index, v.s.data(), static_cast<int>(v.s.size()),
                              SQLITE_TRANSIENT);
            break;
    }
    return *this;
}

bool Stmt::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    fail(db_, rc);
}

void Stmt::run() {
    try {
        while (step()) {
        }
    } catch (...) {
        reset();
        throw;
    }
    reset();
}

void Stmt::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

bool Stmt::isNull(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
int64_t Stmt::integer(int col) const { return sqlite3_column_int64(stmt_, col); }
std::string Stmt::text(int col) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
    const int n = sqlite3_column_bytes(stmt_, col);
    return p ? std::string(p, static_cast<size_t>(n)) : std::string();
}
Value Stmt::value(int col) const {
    switch (sqlite3_column_type(stmt_, col)) {
        case SQLITE_INTEGER:
            return Value::integer(sqlite3_column_int64(stmt_, col));
        case SQLITE_FLOAT:
            return Value::real(sqlite3_column_double(stmt_, col));
        case SQLITE_TEXT:
            return Value::text(text(col));
        case SQLITE_BLOB: {
            const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, col));
            const int n = sqlite3_column_bytes(stmt_, col);
            return Value::blob(p ? std::string(p, static_cast<size_t>(n)) : std::string());
        }
        default:
            return Value::null();
    }
}
int Stmt::columns() const { return sqlite3_column_count(stmt_); }

// --- Db ------------------------------------------------------------------------

Db::Db(const std::string& path, int flags) {
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string msg = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        raise(Err::FileNotReadable, {path, msg});
    }
    sqlite3_extended_result_codes(db_, 1);
}

Db::~Db() { close(); }

void Db::close() {
    cache_.clear();
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

void Db::exec(const std::string& text) {
    char* err = nullptr;
    const int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK) fail(db_, rc);
}

Stmt& Db::cached(const std::string& text) {
    auto it = cache_.find(text);
    if (it == cache_.end()) it = cache_.emplace(text, std::make_unique<Stmt>(db_, text)).first;
    it->second->reset();
    return *it->second;
}

int64_t Db::changes() const { return sqlite3_changes64(db_); }

int64_t Db::scalar(const std::string& text) {
    Stmt s(db_, text);
    return s.step() ? s.integer(0) : 0;
}

// --- Transaction ---------------------------------------------------------------

Transaction::Transaction(Db& db) : db_(db) {
    db_.exec("BEGIN IMMEDIATE");
    open_ = true;
}

Transaction::~Transaction() {
    if (open_) sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    db_.exec("COMMIT");
    open_ = false;
}

}  // namespace jet::store::sql
