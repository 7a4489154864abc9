#include "jet/mdb/Snapshot.h"

#include <cstring>
#include <type_traits>

namespace jet::mdb {

namespace {

constexpr std::string_view kMagic = "PBMDB\x02";
constexpr std::string_view kTrailer = "\x04END";

class Writer {
public:
    void reserve(size_t n) { out_.reserve(n); }
    void raw(std::string_view s) { out_.append(s); }
    void u8(uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void str(std::string_view s) {
        u32(static_cast<uint32_t>(s.size()));
        out_.append(s);
    }
    void boolean(bool b) { u8(b ? 1 : 0); }
    void variant(const Variant& v) {
        if (std::holds_alternative<bool>(v)) {
            u8(1);
            boolean(std::get<bool>(v));
        } else if (std::holds_alternative<int32_t>(v)) {
            u8(2);
            i32(std::get<int32_t>(v));
        } else if (std::holds_alternative<std::string>(v)) {
            u8(3);
            str(std::get<std::string>(v));
        } else {
            u8(0);
        }
    }
    template <class T, class F>
    void list(const std::vector<T>& items, F each) {
        u32(static_cast<uint32_t>(items.size()));
        for (const auto& item : items) each(item);
    }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

// Every read checks the bytes left; a failed check marks the reader bad and
// later reads return zero values, so decoding ends in one test at the end.
class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    [[nodiscard]] bool ok() const { return ok_; }
    [[nodiscard]] bool atEnd() const { return pos_ == in_.size(); }
    bool raw(std::string_view expected) {
        if (!need(expected.size()) || in_.substr(pos_, expected.size()) != expected) return fail();
        pos_ += expected.size();
        return true;
    }
    uint8_t u8() {
        if (!need(1)) return 0;
        return static_cast<uint8_t>(in_[pos_++]);
    }
    uint32_t u32() {
        if (!need(4)) return 0;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(static_cast<uint8_t>(in_[pos_ + i])) << (8 * i);
        pos_ += 4;
        return v;
    }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    bool boolean() {
        const uint8_t b = u8();
        if (b > 1) fail();
        return b == 1;
    }
    std::string str() {
        const uint32_t n = u32();
        if (!need(n)) return {};
        std::string s(in_.substr(pos_, n));
        pos_ += n;
        return s;
    }
    Variant variant() {
        switch (u8()) {
            case 0:
                return Variant{};
            case 1:
                return Variant{boolean()};
            case 2:
                return Variant{i32()};
            case 3:
                return Variant{str()};
            default:
                fail();
                return Variant{};
        }
    }
    // A count of entries of at least `minBytes` each: more than the bytes left
    // could hold is malformed (and would otherwise reserve without bound).
    uint32_t count(size_t minBytes) {
        const uint32_t n = u32();
        if (!ok_ || n > (in_.size() - pos_) / minBytes) {
            fail();
            return 0;
        }
        return n;
    }

private:
    bool need(size_t n) {
        if (!ok_ || in_.size() - pos_ < n) {
            fail();
            return false;
        }
        return true;
    }
    bool fail() {
        ok_ = false;
        pos_ = in_.size();
        return false;
    }

    std::string_view in_;
    size_t pos_ = 0;
    bool ok_ = true;
};

void writeTable(Writer& w, const TableData& t) {
    w.str(t.name);
    w.str(t.type);
    w.list(t.columns, [&](const ColumnData& c) {
        w.str(c.name);
        w.i32(c.type);
        w.i32(c.definedSize);
        w.u8(c.numericScale);
        w.u8(c.precision);
        w.i32(c.attributes);
        for (const auto& p : c.properties) w.variant(p);
    });
    w.list(t.indexes, [&](const IndexData& x) {
        w.str(x.name);
        w.boolean(x.unique);
        w.boolean(x.primaryKey);
        w.i32(x.indexNulls);
        w.list(x.columns, [&](const IndexColumnData& c) {
            w.str(c.name);
            w.i32(c.sortOrder);
        });
    });
    w.list(t.keys, [&](const KeyData& k) {
        w.str(k.name);
        w.i32(k.type);
        w.str(k.relatedTable);
        w.i32(k.updateRule);
        w.i32(k.deleteRule);
        w.list(k.columns, [&](const KeyColumnData& c) {
            w.str(c.name);
            w.str(c.relatedColumn);
        });
    });
}

TableData readTable(Reader& r) {
    TableData t;
    t.name = r.str();
    t.type = r.str();
    for (uint32_t n = r.count(16); n > 0 && r.ok(); --n) {
        ColumnData c;
        c.name = r.str();
        c.type = r.i32();
        c.definedSize = r.i32();
        c.numericScale = r.u8();
        c.precision = r.u8();
        c.attributes = r.i32();
        for (auto& p : c.properties) p = r.variant();
        t.columns.push_back(std::move(c));
    }
    for (uint32_t n = r.count(14); n > 0 && r.ok(); --n) {
        IndexData x;
        x.name = r.str();
        x.unique = r.boolean();
        x.primaryKey = r.boolean();
        x.indexNulls = r.i32();
        for (uint32_t m = r.count(8); m > 0 && r.ok(); --m) {
            IndexColumnData c;
            c.name = r.str();
            c.sortOrder = r.i32();
            x.columns.push_back(std::move(c));
        }
        t.indexes.push_back(std::move(x));
    }
    for (uint32_t n = r.count(24); n > 0 && r.ok(); --n) {
        KeyData k;
        k.name = r.str();
        k.type = r.i32();
        k.relatedTable = r.str();
        k.updateRule = r.i32();
        k.deleteRule = r.i32();
        for (uint32_t m = r.count(8); m > 0 && r.ok(); --m) {
            KeyColumnData c;
            c.name = r.str();
            c.relatedColumn = r.str();
            k.columns.push_back(std::move(c));
        }
        t.keys.push_back(std::move(k));
    }
    return t;
}

}  // namespace

std::string encodeReply(const ReadReply& reply) {
    Writer w;
    w.reserve(size_t{1} << 16);  // most replies fit: one allocation
    w.raw(kMagic);
    w.u8(static_cast<uint8_t>(reply.status));
    w.str(reply.detail);
    const auto& s = reply.snapshot;
    w.i32(s.jetVersion);
    w.list(s.tables, [&](const TableData& t) { writeTable(w, t); });
    w.list(s.queries, [&](const SnapshotQuery& q) {
        w.str(q.name);
        w.str(q.sql);
    });
    w.list(s.objects, [&](const SnapshotObject& o) {
        w.str(o.name);
        w.i32(o.objectType);
        w.i32(o.id);
    });
    w.list(s.aces, [&](const SnapshotAce& a) {
        w.i32(a.objectId);
        w.str(a.sid);
        w.i32(a.mask);
    });
    w.list(s.accounts, [&](const SnapshotAccount& a) {
        w.str(a.name);
        w.str(a.sid);
        w.boolean(a.isGroup);
    });
    w.list(s.memberships, [&](const SnapshotMembership& m) {
        w.str(m.groupSid);
        w.str(m.userSid);
    });
    w.raw(kTrailer);
    return w.take();
}

std::optional<ReadReply> decodeReply(std::string_view bytes) {
    Reader r(bytes);
    ReadReply reply;
    if (!r.raw(kMagic)) return std::nullopt;
    const uint8_t status = r.u8();
    if (status > static_cast<uint8_t>(ReadStatus::NoAccounts)) return std::nullopt;
    reply.status = static_cast<ReadStatus>(status);
    reply.detail = r.str();
    auto& s = reply.snapshot;
    s.jetVersion = r.i32();
    for (uint32_t n = r.count(20); n > 0 && r.ok(); --n) s.tables.push_back(readTable(r));
    for (uint32_t n = r.count(8); n > 0 && r.ok(); --n) {
        SnapshotQuery q;
        q.name = r.str();
        q.sql = r.str();
        s.queries.push_back(std::move(q));
    }
    for (uint32_t n = r.count(12); n > 0 && r.ok(); --n) {
        SnapshotObject o;
        o.name = r.str();
        o.objectType = r.i32();
        o.id = r.i32();
        s.objects.push_back(std::move(o));
    }
    for (uint32_t n = r.count(12); n > 0 && r.ok(); --n) {
        SnapshotAce a;
        a.objectId = r.i32();
        a.sid = r.str();
        a.mask = r.i32();
        s.aces.push_back(std::move(a));
    }
    for (uint32_t n = r.count(9); n > 0 && r.ok(); --n) {
        SnapshotAccount a;
        a.name = r.str();
        a.sid = r.str();
        a.isGroup = r.boolean();
        s.accounts.push_back(std::move(a));
    }
    for (uint32_t n = r.count(8); n > 0 && r.ok(); --n) {
        SnapshotMembership m;
        m.groupSid = r.str();
        m.userSid = r.str();
        s.memberships.push_back(std::move(m));
    }
    if (!r.raw(kTrailer) || !r.ok() || !r.atEnd()) return std::nullopt;
    return reply;
}

}  // namespace jet::mdb
