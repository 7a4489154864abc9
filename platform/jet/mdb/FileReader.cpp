#include "jet/mdb/FileReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <unordered_map>

#include "jet/Types.h"
#include "jet/format/JetHeader.h"
#include "jet/format/Layout.h"
#include "jet/format/QuerySql.h"
#include "jet/mdb/MdbApi.h"

namespace jet::mdb {

namespace {

// A structure of the file that fails a check; ends the read with Damaged.
struct Malformed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void malformed(const std::string& what) { throw Malformed(what); }

constexpr size_t kJet3Page = format::kJet3PageSize;
constexpr size_t kJet4Page = format::kJet4.pageSize;
// Bound text of one value: enough for any Text(255) field in UTF-8 (765 bytes).
// libmdb allocates this much per value it converts; memo fields are read apart.
constexpr size_t kBindSize = 4096;
// A memo longer than this is no saved query's text.
constexpr size_t kMaxMemo = size_t{16} << 20;
// A table definition spans a few pages; more than this is a loop or garbage.
constexpr size_t kMaxTdefPages = 512;

// MSysObjects types.
constexpr int32_t kObjTable = 1;
constexpr int32_t kObjDatabase = 2;
constexpr int32_t kObjOdbcLink = 4;
constexpr int32_t kObjQuery = 5;
constexpr int32_t kObjLink = 6;
// MSysObjects flags that mark system objects (Jet's and Access's).
constexpr uint32_t kSystemFlags = 0x80000002u;

// MSysRelationships grbit.
constexpr int32_t kRelNotEnforced = 0x00000002;
constexpr int32_t kRelCascadeUpdates = 0x00000100;
constexpr int32_t kRelCascadeDeletes = 0x00001000;
constexpr int32_t kRelCascadeNull = 0x00002000;

// Column flags of a table definition.
constexpr uint8_t kColFixed = 0x01;
constexpr uint8_t kColLongAuto = 0x04;
constexpr uint8_t kColGuidAuto = 0x40;
constexpr uint8_t kColHyperlink = 0x80;
// Jet 4 keeps a second flag byte; its bit 0 is Unicode compression.
constexpr uint8_t kColCompressed = 0x01;

// Index flags and kinds.
constexpr uint8_t kIdxUnique = 0x01;
constexpr uint8_t kIdxIgnoreNulls = 0x02;
constexpr uint8_t kIdxRequired = 0x08;
constexpr uint8_t kIdxPrimary = 0x01;
constexpr uint8_t kIdxForeign = 0x02;
// The referenced side of a relationship keeps an index entry of its own
// (".rB", ".rC" …) over its primary key; it is Jet's bookkeeping, not an index.
constexpr uint8_t kRelPrimarySide = 0x01;

struct MdbCloser {
    void operator()(MdbHandle* h) const { mdb_close(h); }
};
using MdbPtr = std::unique_ptr<MdbHandle, MdbCloser>;
struct TableCloser {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableCloser>;

std::string hex(std::string_view bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        out.push_back(digits[u >> 4]);
        out.push_back(digits[u & 15]);
    }
    return out;
}

bool startsWithMSys(const std::string& name) {
    if (name.size() < 4) return false;
    return std::tolower(static_cast<unsigned char>(name[0])) == 'm' &&
           std::tolower(static_cast<unsigned char>(name[1])) == 's' &&
           std::tolower(static_cast<unsigned char>(name[2])) == 'y' &&
           std::tolower(static_cast<unsigned char>(name[3])) == 's';
}

// Little-endian integers of the file's structures; callers check the bounds.
uint16_t le16(const void* at) {
    const auto* p = static_cast<const unsigned char*>(at);
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const void* at) {
    const auto* p = static_cast<const unsigned char*>(at);
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Text as the file stores it (the code page in Jet 3, UCS-2, compressed or not,
// in Jet 4), as UTF-8.
std::string utf8Text(MdbHandle* mdb, const void* src, size_t len) {
    if (len == 0) return {};
    std::vector<char> out(len * 3 + 8, '\0');
    mdb_unicode2ascii(mdb, static_cast<const char*>(src), len, out.data(), out.size() - 1);
    return std::string(out.data(), strnlen(out.data(), out.size()));
}

std::optional<int64_t> parseNumber(std::string_view s) {
    if (s.empty()) return std::nullopt;
    int64_t v = 0;
    const auto* end = s.data() + s.size();
    const auto res = std::from_chars(s.data(), end, v);
    if (res.ec != std::errc{} || res.ptr != end) return std::nullopt;
    return v;
}

// One system table read row by row. Text and number columns are bound (libmdb
// converts text to UTF-8); binary columns are copied raw from the row.
class SystemTable {
public:
    // The table whose definition starts at `page` (0: the file has no such
    // table). `maxRows`: more rows than the file could hold means libmdb is
    // going round a loop of damaged pages.
    SystemTable(MdbHandle* mdb, const std::string& name, uint32_t page, uint64_t maxRows)
        : mdb_(mdb), maxRows_(maxRows) {
        if (page == 0) return;
        entry_.mdb = mdb;
        g_strlcpy(entry_.object_name, name.c_str(), sizeof entry_.object_name);
        entry_.object_type = MDB_TABLE;
        entry_.table_pg = page;
        table_.reset(mdb_read_table(&entry_));
        if (!table_) malformed(name + ": definition unreadable");
        // libmdb follows the usage map without looking whether it could read it.
        if (!table_->usage_map || table_->map_sz < 1) malformed(name + ": usage map unreadable");
        if (!mdb_read_columns(table_.get())) malformed(name + ": columns unreadable");
        if (table_->num_cols > 0 && !table_->columns) malformed(name + ": no columns");
        bound_.resize(table_->num_cols);
        lengths_.assign(table_->num_cols, 0);
        mdb_rewind_table(table_.get());
    }
    SystemTable(const SystemTable&) = delete;
    SystemTable& operator=(const SystemTable&) = delete;
    [[nodiscard]] bool present() const { return table_ != nullptr; }

    // 0-based position of a column, or -1.
    [[nodiscard]] int find(const char* column) const {
        if (!table_) return -1;
        for (unsigned i = 0; i < table_->num_cols; ++i) {
            const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
            if (g_ascii_strcasecmp(col->name, column) == 0) return static_cast<int>(i);
        }
        return -1;
    }
    int require(const char* column) const {
        const int i = find(column);
        if (i < 0) malformed(std::string(table_->name) + ": no column " + column);
        return i;
    }
    void bind(int col) {
        if (col < 0 || bound_[col] || isMemo(col)) return;
        bound_[col] = std::unique_ptr<char[]>(new char[kBindSize]);
        bound_[col][0] = '\0';
        mdb_bind_column(table_.get(), col + 1, bound_[col].get(), &lengths_[col]);
    }
    bool next() {
        if (!table_) return false;
        for (size_t i = 0; i < bound_.size(); ++i)
            if (bound_[i]) bound_[i][0] = '\0';
        if (++rows_ > maxRows_) malformed(std::string(table_->name) + ": rows loop");
        return mdb_fetch_row(table_.get()) != 0;
    }
    [[nodiscard]] std::string text(int col) const {
        if (col >= 0 && isMemo(col)) return memoText(col);
        if (col < 0 || !bound_[col]) return {};
        const size_t n = strnlen(bound_[col].get(), kBindSize);
        // A value that fills the buffer was cut short: refuse it rather than use a
        // truncated statement.
        if (n >= kBindSize - 1) malformed("value too long");
        return std::string(bound_[col].get(), n);
    }
    [[nodiscard]] std::optional<int64_t> number(int col) const { return parseNumber(text(col)); }
    // The raw bytes of a memo or OLE column.
    [[nodiscard]] std::string blob(int col) const {
        return col < 0 ? std::string() : longValue(col);
    }
    [[nodiscard]] std::string raw(int col) const {
        if (col < 0) return {};
        const auto* c = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, col));
        if (c->cur_value_len <= 0) return {};
        const auto start = static_cast<size_t>(c->cur_value_start);
        const auto len = static_cast<size_t>(c->cur_value_len);
        const auto page = static_cast<size_t>(mdb_->fmt->pg_size);
        if (c->cur_value_start < 0 || start > page || len > page - start)
            malformed("value outside its page");
        return std::string(reinterpret_cast<const char*>(mdb_->pg_buf) + start, len);
    }

private:
    [[nodiscard]] const MdbColumn* column(int col) const {
        return static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, col));
    }
    [[nodiscard]] bool isMemo(int col) const { return column(col)->col_type == MDB_MEMO; }

    [[nodiscard]] std::string memoText(int col) const {
        const std::string bytes = longValue(col);
        return utf8Text(mdb_, bytes.data(), bytes.size());
    }

    // The bytes of a memo or OLE value: kept in the row itself, in one row of a
    // long-value page, or in a chain of such rows (each starting with the
    // pointer to the next).
    [[nodiscard]] std::string longValue(int col) const {
        const std::string field = raw(col);
        if (field.empty()) return {};
        if (field.size() < 12) malformed("memo field too short");
        const uint32_t head = le32(field.data());
        const size_t length = head & 0x3FFFFFFFu;
        if (length > kMaxMemo) malformed("memo too long");
        std::string bytes;
        if (head & 0x80000000u) {
            if (length > field.size() - 12) malformed("memo longer than its field");
            bytes = field.substr(12, length);
        } else {
            uint32_t pointer = le32(field.data() + 4);
            const bool single = (head & 0x40000000u) != 0;
            std::set<uint32_t> seen;
            while (bytes.size() < length) {
                if (!seen.insert(pointer).second) malformed("memo pages loop");
                void* buf = nullptr;
                int off = 0;
                size_t len = 0;
                if (mdb_find_pg_row(mdb_, static_cast<int>(pointer), &buf, &off, &len) != 0)
                    malformed("memo page unreadable");
                const auto page = static_cast<size_t>(mdb_->fmt->pg_size);
                if (off < 0 || static_cast<size_t>(off) > page ||
                    len > page - static_cast<size_t>(off))
                    malformed("memo row outside its page");
                std::string row(static_cast<const char*>(buf) + off, len);
                if (single) {
                    if (row.size() < length) malformed("memo row too short");
                    bytes = row.substr(0, length);
                    break;
                }
                if (row.size() <= 4) malformed("memo chain row too short");
                pointer = le32(row.data());
                bytes.append(row, 4, std::min(row.size() - 4, length - bytes.size()));
                if (bytes.size() < length && pointer == 0) malformed("memo chain ends early");
            }
        }
        return bytes;
    }

    MdbHandle* mdb_;
    uint64_t maxRows_;
    uint64_t rows_ = 0;
    MdbCatalogEntry entry_{};  // the table refers to it for as long as it lives
    TablePtr table_;
    std::vector<std::unique_ptr<char[]>> bound_;
    std::vector<int> lengths_;
};

// Properties of one object as libmdb parses them from MSysObjects.LvProp: an
// array of MdbProperties, one per column (and one without a name for the object).
struct PropsFree {
    void operator()(GPtrArray* a) const {
        for (unsigned i = 0; i < a->len; ++i)
            mdb_free_props(static_cast<MdbProperties*>(g_ptr_array_index(a, i)));
        g_ptr_array_free(a, TRUE);
    }
};
using PropsPtr = std::unique_ptr<GPtrArray, PropsFree>;

struct ObjectRow {
    int32_t id = 0;
    std::string name;
    int32_t type = 0;
    uint32_t flags = 0;
    std::string props;  // the raw property blob of a table, parsed when it is read
};

// Bytes of one table definition, its pages joined (continuation pages carry an
// 8-byte header of their own). Reads are bounds-checked.
class Tdef {
public:
    Tdef(MdbHandle* mdb, uint32_t firstPage, uint64_t pageCount) {
        const auto pageSize = static_cast<size_t>(mdb->fmt->pg_size);
        std::set<uint32_t> seen;
        uint32_t pg = firstPage;
        while (pg != 0) {
            if (pg >= pageCount) malformed("table definition page beyond the file");
            if (!seen.insert(pg).second || seen.size() > kMaxTdefPages)
                malformed("table definition pages loop");
            if (mdb_read_pg(mdb, pg) != static_cast<ssize_t>(pageSize))
                malformed("table definition page unreadable");
            if (mdb->pg_buf[0] != MDB_PAGE_TABLE) malformed("not a table definition page");
            const auto* buf = mdb->pg_buf;
            bytes_.insert(bytes_.end(), buf + (bytes_.empty() ? 0 : 8), buf + pageSize);
            pg = static_cast<uint32_t>(mdb_get_int32(mdb->pg_buf, 4));
        }
    }
    [[nodiscard]] uint8_t u8(size_t at) const {
        need(at, 1);
        return bytes_[at];
    }
    [[nodiscard]] uint16_t u16(size_t pos) const { return le16(at(pos, 2)); }
    [[nodiscard]] uint32_t u32(size_t pos) const { return le32(at(pos, 4)); }
    [[nodiscard]] const unsigned char* at(size_t at, size_t len) const {
        need(at, len);
        return bytes_.data() + at;
    }

private:
    void need(size_t at, size_t len) const {
        if (at > bytes_.size() || len > bytes_.size() - at) malformed("table definition too short");
    }
    std::vector<unsigned char> bytes_;
};

struct RawColumn {
    uint8_t type = 0;
    uint16_t number = 0;
    uint8_t flags = 0;
    uint8_t extraFlags = 0;
    uint16_t size = 0;
    uint8_t precision = 0;
    uint8_t scale = 0;
    std::string name;
};

struct RawRealIndex {
    std::vector<std::pair<uint16_t, bool>> columns;  // column number, ascending
    uint8_t flags = 0;
};

struct RawLogicalIndex {
    uint32_t realIndex = 0;
    uint8_t relSide = 0;
    uint8_t kind = 0;
    std::string name;
};

class Reader {
public:
    Reader(MdbHandle* mdb, uint64_t pageCount, ReadMode mode, std::optional<uint32_t> sidKey)
        : mdb_(mdb),
          pageCount_(pageCount),
          mode_(mode),
          jet4_(mdb->f->jet_version != MDB_VER_JET3),
          sidKey_(sidKey) {}

    ReadReply run() {
        ReadReply reply;
        reply.snapshot.jetVersion = static_cast<int32_t>(mdb_->f->jet_version);
        mdb_set_boolean_fmt_numbers(mdb_);
        mdb_set_bind_size(mdb_, kBindSize);
        readObjects();
        if (mode_ == ReadMode::Workgroup) {
            if (!readAccounts(reply.snapshot)) reply.status = ReadStatus::NoAccounts;
            return reply;
        }
        readQueries(reply.snapshot);
        if (mode_ == ReadMode::Database) readAces(reply.snapshot);
        auto relationships = readRelationships();
        for (const auto& o : objects_) {
            if (o.type == kObjTable) {
                reply.snapshot.tables.push_back(readTable(o));
                reply.snapshot.objects.push_back({o.name, objtype::Table, o.id});
            } else if (o.type == kObjLink || o.type == kObjOdbcLink) {
                // A link's definition lives in the file it points to.
                TableData t;
                t.name = o.name;
                t.type = "LINK";
                reply.snapshot.tables.push_back(std::move(t));
                reply.snapshot.objects.push_back({o.name, objtype::Table, o.id});
            } else if (o.type == kObjQuery) {
                reply.snapshot.objects.push_back({o.name, objtype::Procedure, o.id});
            } else if (o.type == kObjDatabase && o.name == "MSysDb") {
                reply.snapshot.objects.push_back({o.name, objtype::Database, o.id});
            }
        }
        attachForeignKeys(reply.snapshot.tables, relationships);
        return reply;
    }

private:
    // The definition page of a table of the file (0 when there is none).
    [[nodiscard]] uint32_t tablePage(const char* name) const {
        for (const auto& o : objects_)
            if (o.type == kObjTable && o.name == name)
                return static_cast<uint32_t>(o.id) & 0x00FFFFFFu;
        return 0;
    }

    // A page holds at most one row per 4 bytes of it (a row offset and a byte or more).
    [[nodiscard]] uint64_t maxRows() const {
        return pageCount_ * static_cast<uint64_t>(mdb_->fmt->pg_size) / 4;
    }

    // libmdb trusts the lengths inside a property blob (a zero length makes it
    // loop, a long one read past the end), so they are checked first: after the
    // "MR2"/"KKD" tag, chunks of [u32 length][u16 kind][body]; a names chunk
    // (kind 0x80) holds [u16 length][name] entries, a values chunk (kinds 0, 1)
    // [u32 length][u16 name length][name] and then entries of
    // [u16 length][u8][u8 type][u16 name index][u16 size][value].
    static void checkPropertyBlob(const std::string& b, const std::string& object) {
        const auto* p = reinterpret_cast<const unsigned char*>(b.data());
        const size_t n = b.size();
        auto u16 = [&](size_t at) { return size_t{le16(p + at)}; };
        auto u32 = [&](size_t at) { return size_t{le32(p + at)}; };
        const auto bad = [&] { malformed(object + ": property blob damaged"); };
        if (n < 4 || (std::memcmp(p, "MR2", 4) != 0 && std::memcmp(p, "KKD", 4) != 0)) bad();
        size_t names = 0;
        for (size_t pos = 4; pos < n;) {
            if (n - pos < 6) bad();
            const size_t len = u32(pos), kind = u16(pos + 4);
            if (len < 6 || len > n - pos) bad();
            const size_t body = pos + 6, end = pos + len;
            if (kind == 0x80) {
                names = 0;
                for (size_t q = body; q < end; ++names) {
                    if (end - q < 2 || u16(q) > end - q - 2) bad();
                    q += 2 + u16(q);
                }
            } else if (kind == 0x00 || kind == 0x01) {
                if (end - body < 6 || u16(body + 4) > end - body - 6) bad();
                for (size_t q = body + 6 + u16(body + 4); q < end;) {
                    if (end - q < 8) bad();
                    const size_t entry = u16(q);
                    if (entry < 8 || entry > end - q || u16(q + 6) > entry - 8 ||
                        u16(q + 4) >= names)
                        bad();
                    q += entry;
                }
            }
            pos = end;
        }
    }

    // MSysObjects, whose definition is always on page 2, read here rather than
    // by libmdb's catalog reader so that a damaged one cannot loop for ever.
    void readObjects() {
        SystemTable t(mdb_, "MSysObjects", 2, maxRows());
        const int id = t.require("Id"), name = t.require("Name"), type = t.require("Type"),
                  flags = t.require("Flags");
        const int props = t.find("LvProp");
        for (int c : {id, name, type, flags}) t.bind(c);
        while (t.next()) {
            ObjectRow o;
            o.id = static_cast<int32_t>(t.number(id).value_or(0));
            o.name = t.text(name);
            o.type = static_cast<int32_t>(t.number(type).value_or(0));
            o.flags = static_cast<uint32_t>(t.number(flags).value_or(0));
            // A workgroup's accounts need no table's properties.
            if (o.type == kObjTable && mode_ != ReadMode::Workgroup) o.props = t.blob(props);
            objects_.push_back(std::move(o));
        }
    }

    bool readAccounts(FileSnapshot& s) {
        SystemTable accounts(mdb_, "MSysAccounts", tablePage("MSysAccounts"), maxRows());
        if (!accounts.present()) return false;
        const int name = accounts.require("Name"), sid = accounts.require("SID"),
                  group = accounts.require("FGroup");
        accounts.bind(name);
        accounts.bind(group);
        std::vector<SnapshotAccount> read;
        std::vector<std::string> sids;  // as stored, one per account read
        while (accounts.next()) {
            SnapshotAccount a;
            a.name = accounts.text(name);
            a.isGroup = accounts.number(group).value_or(0) != 0;
            if (a.name.empty()) continue;
            sids.push_back(accounts.raw(sid));
            read.push_back(std::move(a));
        }
        // A workgroup whose SIDs are masked like a database's is unmasked with its
        // own key, so that its accounts match the access entries of databases.
        const bool masked = sidKey_ && format::sidsLookMasked(sids, *sidKey_);
        const auto plain = [&](const std::string& raw) {
            return hex(masked ? format::unmaskSid(raw, *sidKey_) : raw);
        };
        for (size_t i = 0; i < read.size(); ++i) {
            read[i].sid = plain(sids[i]);
            s.accounts.push_back(std::move(read[i]));
        }
        SystemTable groups(mdb_, "MSysGroups", tablePage("MSysGroups"), maxRows());
        if (groups.present()) {
            const int g = groups.require("GroupSID"), u = groups.require("UserSID");
            while (groups.next())
                s.memberships.push_back({plain(groups.raw(g)), plain(groups.raw(u))});
        }
        return true;
    }

    void readQueries(FileSnapshot& s) {
        SystemTable t(mdb_, "MSysQueries", tablePage("MSysQueries"), maxRows());
        if (!t.present()) return;
        const int id = t.require("ObjectId"), attr = t.require("Attribute"),
                  name1 = t.require("Name1"), name2 = t.require("Name2"),
                  expr = t.require("Expression"), flag = t.require("Flag");
        const int order = t.find("Order");
        for (int c : {id, attr, name1, name2, expr, flag}) t.bind(c);
        std::map<int32_t, std::vector<format::QueryRow>> byObject;
        while (t.next()) {
            format::QueryRow r;
            r.attribute = static_cast<int>(t.number(attr).value_or(-1));
            r.name1 = t.text(name1);
            r.name2 = t.text(name2);
            r.expression = t.text(expr);
            r.flag = static_cast<int32_t>(t.number(flag).value_or(0));
            r.order = t.raw(order);
            byObject[static_cast<int32_t>(t.number(id).value_or(0))].push_back(std::move(r));
        }
        for (const auto& o : objects_) {
            if (o.type != kObjQuery) continue;
            auto it = byObject.find(o.id);
            auto built = format::buildQuerySql(
                it == byObject.end() ? std::vector<format::QueryRow>{} : it->second);
            s.queries.push_back({o.name, std::move(built.sql)});
        }
    }

    void readAces(FileSnapshot& s) {
        SystemTable t(mdb_, "MSysACEs", tablePage("MSysACEs"), maxRows());
        if (!t.present()) return;
        const int id = t.require("ObjectId"), sid = t.require("SID"), acm = t.require("ACM");
        t.bind(id);
        t.bind(acm);
        while (t.next()) {
            SnapshotAce a;
            a.objectId = static_cast<int32_t>(t.number(id).value_or(0));
            const std::string raw = t.raw(sid);
            a.sid = hex(sidKey_ ? format::unmaskSid(raw, *sidKey_) : raw);
            a.mask = static_cast<int32_t>(t.number(acm).value_or(0));
            s.aces.push_back(std::move(a));
        }
    }

    struct RelationshipRow {
        std::string name, object, column, referencedObject, referencedColumn;
        int32_t grbit = 0;
        int64_t position = 0;
    };

    std::vector<RelationshipRow> readRelationships() {
        std::vector<RelationshipRow> out;
        SystemTable t(mdb_, "MSysRelationships", tablePage("MSysRelationships"), maxRows());
        if (!t.present()) return out;
        const int name = t.require("szRelationship"), object = t.require("szObject"),
                  column = t.require("szColumn"), refObject = t.require("szReferencedObject"),
                  refColumn = t.require("szReferencedColumn"), grbit = t.require("grbit"),
                  icolumn = t.require("icolumn");
        for (int c : {name, object, column, refObject, refColumn, grbit, icolumn}) t.bind(c);
        while (t.next()) {
            RelationshipRow r;
            r.name = t.text(name);
            r.object = t.text(object);
            r.column = t.text(column);
            r.referencedObject = t.text(refObject);
            r.referencedColumn = t.text(refColumn);
            r.grbit = static_cast<int32_t>(t.number(grbit).value_or(0));
            r.position = t.number(icolumn).value_or(0);
            out.push_back(std::move(r));
        }
        return out;
    }

    // Foreign keys from enforced relationships, on the referencing table. A
    // relationship without referential integrity is no key (Jet keeps no index
    // for it).
    static void attachForeignKeys(std::vector<TableData>& tables,
                                  std::vector<RelationshipRow> rows) {
        std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
            if (a.name != b.name) return a.name < b.name;
            return a.position < b.position;
        });
        for (size_t i = 0; i < rows.size();) {
            size_t j = i;
            while (j < rows.size() && rows[j].name == rows[i].name) ++j;
            const auto& first = rows[i];
            if (!(first.grbit & kRelNotEnforced)) {
                KeyData k;
                k.name = first.name;
                k.type = keytype::Foreign;
                k.relatedTable = first.referencedObject;
                k.updateRule = (first.grbit & kRelCascadeUpdates) ? rule::Cascade : rule::None;
                k.deleteRule = (first.grbit & kRelCascadeDeletes) ? rule::Cascade
                               : (first.grbit & kRelCascadeNull)  ? rule::SetNull
                                                                  : rule::None;
                for (size_t r = i; r < j; ++r)
                    k.columns.push_back({rows[r].column, rows[r].referencedColumn});
                for (auto& t : tables) {
                    if (t.type != "LINK" && t.name == first.object) {
                        t.keys.push_back(std::move(k));
                        break;
                    }
                }
            }
            i = j;
        }
    }

    std::string readName(const Tdef& d, size_t& pos) {
        size_t len = 0;
        if (jet4_) {
            len = d.u16(pos);
            pos += 2;
        } else {
            len = d.u8(pos);
            pos += 1;
        }
        if (len > 1024) malformed("name too long");
        auto name = utf8Text(mdb_, d.at(pos, len), len);
        pos += len;
        return name;
    }

    // A property of a column from the object's property blob; null when absent.
    static const char* property(const GPtrArray* props, const std::string& column,
                                const char* key) {
        if (!props) return nullptr;
        for (unsigned i = 0; i < props->len; ++i) {
            const auto* p = static_cast<MdbProperties*>(g_ptr_array_index(props, i));
            if (!p || !p->name || !p->hash || column != p->name) continue;
            return static_cast<const char*>(g_hash_table_lookup(p->hash, key));
        }
        return nullptr;
    }

    static bool yes(const char* v) { return v && (g_ascii_strcasecmp(v, "yes") == 0); }

    ColumnData makeColumn(const RawColumn& rc, const GPtrArray* entry,
                          uint32_t lastAutoNumber) const {
        ColumnData c;
        c.name = rc.name;
        const bool fixed = (rc.flags & kColFixed) != 0;
        int32_t size = 0;  // n of the types sized by their definition
        switch (rc.type) {
            case MDB_BOOL:
                c.type = adtype::Boolean;
                break;
            case MDB_BYTE:
                c.type = adtype::UnsignedTinyInt;
                break;
            case MDB_INT:
                c.type = adtype::SmallInt;
                break;
            case MDB_LONGINT:
                c.type = adtype::Integer;
                break;
            case MDB_MONEY:
                c.type = adtype::Currency;
                break;
            case MDB_FLOAT:
                c.type = adtype::Single;
                break;
            case MDB_DOUBLE:
                c.type = adtype::Double;
                break;
            case MDB_DATETIME:
                c.type = adtype::Date;
                break;
            case MDB_BINARY:
                c.type = fixed ? adtype::Binary : adtype::VarBinary;
                size = rc.size;
                break;
            case MDB_TEXT:
                c.type = fixed ? adtype::WChar : adtype::VarWChar;
                // Jet 4 sizes text in bytes of UCS-2; the definition counts characters.
                size = jet4_ ? rc.size / 2 : rc.size;
                break;
            case MDB_OLE:
                c.type = adtype::LongVarBinary;
                break;
            case MDB_MEMO:
                c.type = adtype::LongVarWChar;
                break;
            case MDB_REPID:
                c.type = adtype::GUID;
                break;
            case MDB_NUMERIC:
                c.type = adtype::Numeric;
                break;
            // Access's own large binary type (MSysAccessObjects.Data).
            case 0x11:
                c.type = adtype::LongVarBinary;
                break;
            default:
                c.type = 0;
                break;  // a type Jet 3 / Jet 4 do not define
        }
        const auto facts = typeFacts(c.type);
        c.definedSize = size ? size : facts.definedSize;
        c.precision = facts.precision;
        c.numericScale = facts.numericScale;
        if (c.type == adtype::Numeric) {
            c.precision = rc.precision;
            c.numericScale = rc.scale;
        }
        const bool nullable = !yes(property(entry, rc.name, "Required"));
        c.attributes = (facts.fixedLength ? kColumnFixed : 0) | (nullable ? kColumnNullable : 0);
        const bool counter = c.type == adtype::Integer && (rc.flags & kColLongAuto);
        auto text = [&](const char* key) {
            const char* v = property(entry, rc.name, key);
            return Variant{std::string(v ? v : "")};
        };
        auto& p = c.properties;
        p[prop::Autoincrement] = counter;
        p[prop::Default] = text("DefaultValue");
        p[prop::Description] = text("Description");
        p[prop::Nullable] = nullable;
        p[prop::FixedLength] = facts.fixedLength;
        if (counter) {
            // The definition keeps the last number handed out; Seed is the next.
            p[prop::Seed] = static_cast<int32_t>(lastAutoNumber + 1u);
            p[prop::Increment] = int32_t{1};
        }
        p[prop::ValidationText] = text("ValidationText");
        p[prop::ValidationRule] = text("ValidationRule");
        p[prop::IisamNotLastColumn] = false;
        p[prop::AutoGenerate] = c.type == adtype::GUID && (rc.flags & kColGuidAuto) != 0;
        p[prop::OneBlobPerPage] = false;
        p[prop::CompressedUnicode] = jet4_ && (rc.extraFlags & kColCompressed) != 0;
        p[prop::AllowZeroLength] = yes(property(entry, rc.name, "AllowZeroLength"));
        p[prop::Hyperlink] = c.type == adtype::LongVarWChar && (rc.flags & kColHyperlink) != 0;
        return c;
    }

    TableData readTable(const ObjectRow& o) {
        TableData t;
        t.name = o.name;
        t.type = startsWithMSys(o.name)     ? "SYSTEM TABLE"
                 : (o.flags & kSystemFlags) ? "ACCESS TABLE"
                                            : "TABLE";
        // Parsed per table and let go after it, so that the read never holds
        // the properties of every table at once.
        PropsPtr parsed;
        if (!o.props.empty()) {
            checkPropertyBlob(o.props, o.name);
            std::string blob = o.props;  // libmdb takes a mutable buffer
            parsed.reset(mdb_kkd_to_props(mdb_, blob.data(), blob.size()));
        }
        const GPtrArray* entry = parsed.get();
        const Tdef d(mdb_, static_cast<uint32_t>(o.id) & 0x00FFFFFFu, pageCount_);
        const auto* f = mdb_->fmt;
        const uint32_t lastAuto = d.u32(f->tab_num_rows_offset + 4u);
        const uint16_t numCols = d.u16(f->tab_num_cols_offset);
        const uint32_t numIdx = d.u32(f->tab_num_idxs_offset);
        const uint32_t numReal = d.u32(f->tab_num_ridxs_offset);
        if (numCols > 4096 || numIdx > 4096 || numReal > 4096)
            malformed(o.name + ": counts out of range");
        size_t pos = f->tab_cols_start_offset + size_t{numReal} * f->tab_ridx_entry_size;

        std::vector<RawColumn> cols(numCols);
        for (auto& rc : cols) {
            const auto* e = d.at(pos, f->tab_col_entry_size);
            rc.type = e[0];
            rc.number = le16(e + f->col_num_offset);
            rc.flags = e[f->col_flags_offset];
            rc.extraFlags = jet4_ ? e[f->col_flags_offset + 1] : 0;
            rc.size = le16(e + f->col_size_offset);
            // Precision comes first, then scale (libmdb's offsets name them the
            // other way round).
            rc.precision = e[jet4_ ? 11 : 9];
            rc.scale = e[jet4_ ? 12 : 10];
            pos += f->tab_col_entry_size;
        }
        for (auto& rc : cols) rc.name = readName(d, pos);

        // Real indexes: the column maps and flags; Jet 4 adds bytes around them.
        const size_t realSize = jet4_ ? 52 : 39;
        const size_t realSkip = jet4_ ? 4 : 0;
        const size_t flagsAt = jet4_ ? 46 : 38;
        std::vector<RawRealIndex> real(numReal);
        for (auto& ri : real) {
            const auto* e = d.at(pos, realSize);
            for (int k = 0; k < 10; ++k) {
                const auto* c = e + realSkip + 3 * k;
                const uint16_t num = le16(c);
                if (num != 0xFFFF) ri.columns.emplace_back(num, c[2] == 0x01);
            }
            ri.flags = e[flagsAt];
            pos += realSize;
        }
        const size_t logicalSize = jet4_ ? 28 : 20;
        const size_t logicalSkip = jet4_ ? 4 : 0;
        std::vector<RawLogicalIndex> logical(numIdx);
        for (auto& li : logical) {
            const auto* e = d.at(pos, logicalSize) + logicalSkip;
            li.realIndex = le32(e + 4);
            li.relSide = e[8];
            li.kind = e[19];
            pos += logicalSize;
        }
        for (auto& li : logical) li.name = readName(d, pos);

        std::stable_sort(cols.begin(), cols.end(), [](const RawColumn& a, const RawColumn& b) {
            return a.number < b.number;
        });
        std::unordered_map<uint16_t, std::string> byNumber;
        for (const auto& rc : cols) {
            t.columns.push_back(makeColumn(rc, entry, lastAuto));
            byNumber.emplace(rc.number, rc.name);
        }

        for (const auto& li : logical) {
            if (li.kind == kIdxForeign && (li.relSide & kRelPrimarySide)) continue;
            if (li.realIndex >= real.size()) malformed(o.name + ": index refers to no index data");
            const auto& ri = real[li.realIndex];
            IndexData x;
            x.name = li.name;
            x.primaryKey = li.kind == kIdxPrimary;
            x.unique = x.primaryKey || (ri.flags & kIdxUnique);
            x.indexNulls = (x.primaryKey || (ri.flags & kIdxRequired)) ? indexnulls::Disallow
                           : (ri.flags & kIdxIgnoreNulls)              ? indexnulls::Ignore
                                                                       : indexnulls::Allow;
            for (const auto& [num, asc] : ri.columns) {
                auto it = byNumber.find(num);
                if (it == byNumber.end()) malformed(o.name + ": index on a missing column");
                x.columns.push_back({it->second, asc ? kSortAscending : kSortDescending});
            }
            // Jet knows no unique constraint apart from a unique index: every
            // unique index other than the primary key and a relationship's is one.
            if (x.primaryKey || (x.unique && li.kind != kIdxForeign)) {
                KeyData k;
                k.name = x.name;
                k.type = x.primaryKey ? keytype::Primary : keytype::Unique;
                for (const auto& c : x.columns) k.columns.push_back({c.name, ""});
                t.keys.push_back(std::move(k));
            }
            t.indexes.push_back(std::move(x));
        }
        return t;
    }

    MdbHandle* mdb_;
    uint64_t pageCount_;
    ReadMode mode_;
    bool jet4_;
    std::optional<uint32_t> sidKey_;  // the file's SID mask (see JetHeader.h)
    std::vector<ObjectRow> objects_;
};

// Checks what the file's first page and size promise before libmdb sees it:
// the Jet signature, a version libmdb knows, whole pages, room for the catalog.
std::optional<std::string> precheck(std::string_view head, uint64_t size, uint64_t* pageCount) {
    if (head.size() < 0x20) return "file too short";
    const auto sig = head.substr(4, 15);
    if (head[0] != 0 || (sig != "Standard Jet DB" && sig != "Standard ACE DB" &&
                         sig.substr(0, 13) != "Jet System DB"))
        return "no Jet signature";
    const auto version = static_cast<unsigned char>(head[0x14]);
    if (version > MDB_VER_ACCDB_2019) return "unknown version";
    const uint64_t page = version == MDB_VER_JET3 ? kJet3Page : kJet4Page;
    if (size % page != 0) return "file is not made of whole pages";
    if (size / page < 3) return "file too short";
    *pageCount = size / page;
    return std::nullopt;
}

ReadReply readOpened(MdbHandle* mdb, uint64_t pageCount, ReadMode mode, std::string_view head) {
    MdbPtr owner(mdb);
    try {
        const auto header = format::parseHeader(std::string(head));
        return Reader(mdb, pageCount, mode, header ? header->sidKey : std::nullopt).run();
    } catch (const Malformed& e) {
        ReadReply r;
        r.status = ReadStatus::Damaged;
        r.detail = e.what();
        return r;
    }
}

ReadReply failed(ReadStatus status, std::string detail) {
    ReadReply r;
    r.status = status;
    r.detail = std::move(detail);
    return r;
}

}  // namespace

ReadReply readJetFile(const std::string& path, ReadMode mode) noexcept {
    try {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return failed(ReadStatus::NotJet, "not a readable file");
        std::string head(kJet4Page, '\0');
        {
            std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
            if (!f) return failed(ReadStatus::NotJet, "cannot open");
            head.resize(std::fread(head.data(), 1, head.size(), f.get()));
        }
        uint64_t pages = 0;
        if (auto why = precheck(head, static_cast<uint64_t>(st.st_size), &pages))
            return failed(ReadStatus::Damaged, *why);
        MdbHandle* mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
        if (!mdb) return failed(ReadStatus::NotJet, "libmdb cannot open the file");
        return readOpened(mdb, pages, mode, head);
    } catch (const std::exception& e) {
        return failed(ReadStatus::Damaged, e.what());
    } catch (...) {
        return failed(ReadStatus::Damaged, "unknown failure");
    }
}

ReadReply readJetBuffer(std::string_view bytes, ReadMode mode) noexcept {
    try {
        uint64_t pages = 0;
        if (auto why = precheck(bytes.substr(0, kJet4Page), bytes.size(), &pages))
            return failed(ReadStatus::Damaged, *why);
        // libmdb reads from the buffer for the life of the handle.
        std::vector<char> copy(bytes.begin(), bytes.end());
        MdbHandle* mdb = mdb_open_buffer(copy.data(), copy.size(), MDB_NOFLAGS);
        if (!mdb) return failed(ReadStatus::NotJet, "libmdb cannot open the buffer");
        return readOpened(mdb, pages, mode, bytes.substr(0, kJet4Page));
    } catch (const std::exception& e) {
        return failed(ReadStatus::Damaged, e.what());
    } catch (...) {
        return failed(ReadStatus::Damaged, "unknown failure");
    }
}

}  // namespace jet::mdb
