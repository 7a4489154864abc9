#pragma once
// Small owners of SQLite handles for the store provider. Every failure becomes a
// jet::Error: messages that the provider's own triggers and functions raise
// (see errorMarker) carry a row of the error table and its arguments; anything
// else is mapped by its SQLite result code.
#include <sqlite3.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/ErrorCodes.h"

namespace jet::store::sql {

// The text a trigger's RAISE or a provider function reports to name a row of
// the error table: "JET", the row's enumerator number and its arguments, joined
// by the unit separator (0x1F), which no name holds.
[[nodiscard]] std::string errorMarker(Err id, std::initializer_list<std::string_view> args = {});

// Throws the jet::Error an SQLite failure stands for.
[[noreturn]] void fail(sqlite3* db, int rc, std::string_view context = {});

// True when this process may change the file at `path`: the file and its
// folder, where SQLite writes the journal, must both be writable.
[[nodiscard]] bool canWrite(const std::string& path);

// "name" with inner double quotes doubled: an SQLite identifier.
[[nodiscard]] std::string ident(std::string_view name);
// 'text' with inner single quotes doubled: an SQLite string literal, for DDL
// text (triggers) that cannot take bound values.
[[nodiscard]] std::string literal(std::string_view text);

// One bindable value.
struct Value {
    enum class Kind { Null, Integer, Real, Text, Blob } kind = Kind::Null;
    int64_t i = 0;
    double r = 0;
    std::string s;  // text or blob bytes

    static Value null() { return {}; }
    static Value integer(int64_t v) { return {Kind::Integer, v, 0, {}}; }
    static Value real(double v) { return {Kind::Real, 0, v, {}}; }
    static Value text(std::string v) { return {Kind::Text, 0, 0, std::move(v)}; }
    static Value blob(std::string v) { return {Kind::Blob, 0, 0, std::move(v)}; }
};

class Db;

// A prepared statement; parameters are 1-based, result columns 0-based.
class Stmt {
public:
    Stmt() = default;
    Stmt(sqlite3* db, std::string_view text);
    ~Stmt();
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    Stmt(Stmt&& o) noexcept : db_(o.db_), stmt_(o.stmt_) { o.stmt_ = nullptr; }
    Stmt& operator=(Stmt&& o) noexcept;

    Stmt& bind(int index, int64_t v);
    Stmt& bind(int index, std::string_view v);
    Stmt& bind(int index, const Value& v);
    Stmt& bindNull(int index);
    // Binds each argument to the next parameter, from 1.
    template <class... A>
    Stmt& args(const A&... a) {
        int i = 0;
        (bindOne(++i, a), ...);
        return *this;
    }

    // Steps once: true when a row is ready, false when done. Throws on failure.
    bool step();
    // Steps to the end, then resets.
    void run();
    void reset();

    [[nodiscard]] bool isNull(int col) const;
    [[nodiscard]] int64_t integer(int col) const;
    [[nodiscard]] std::string text(int col) const;
    [[nodiscard]] Value value(int col) const;
    [[nodiscard]] int columns() const;

private:
    void bindOne(int i, int64_t v) { bind(i, v); }
    void bindOne(int i, int v) { bind(i, static_cast<int64_t>(v)); }
    void bindOne(int i, bool v) { bind(i, static_cast<int64_t>(v ? 1 : 0)); }
    void bindOne(int i, std::string_view v) { bind(i, v); }
    void bindOne(int i, const std::string& v) { bind(i, std::string_view(v)); }
    void bindOne(int i, const char* v) { bind(i, std::string_view(v)); }
    void bindOne(int i, const Value& v) { bind(i, v); }

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

// One SQLite connection. Not copyable; statements it caches die with it.
class Db {
public:
    Db() = default;
    // Opens `path` with sqlite3_open_v2 flags; throws on failure (nothing left open).
    Db(const std::string& path, int flags);
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    [[nodiscard]] sqlite3* handle() const { return db_; }
    [[nodiscard]] bool isOpen() const { return db_ != nullptr; }
    void close();

    // Runs SQL text without results (several statements allowed).
    void exec(const std::string& text);
    // A statement made once and kept for the connection's life; reset before use.
    Stmt& cached(const std::string& text);
    [[nodiscard]] Stmt prepare(std::string_view text) { return Stmt(db_, text); }
    [[nodiscard]] int64_t changes() const;
    // The single integer a query yields (0 when it yields no row).
    [[nodiscard]] int64_t scalar(const std::string& text);

private:
    sqlite3* db_ = nullptr;
    std::map<std::string, std::unique_ptr<Stmt>, std::less<>> cache_;
};

// BEGIN IMMEDIATE … COMMIT; rolls back when left without commit().
class Transaction {
public:
    explicit Transaction(Db& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Db& db_;
    bool open_ = false;
};

}  // namespace jet::store::sql
