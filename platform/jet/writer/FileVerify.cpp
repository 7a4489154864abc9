#include "jet/writer/FileVerify.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <map>
#include <set>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "jet/Types.h"
#include "jet/file/Checker.h"
#include "jet/file/Digest.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/TableReader.h"
#include "jet/file/UniqueFd.h"
#include "jet/format/JetHeader.h"
#include "jet/mdb/ReaderProcess.h"
#include "jet/writer/CatalogCompare.h"
#include "jet/writer/FileQueries.h"
#include "jet/writer/FileSchema.h"
#include "jet/writer/FileStorage.h"
#include "text/CaseFold.h"
#include "text/Trim.h"

namespace jet::file {

namespace {

constexpr size_t kMaxFindings = 20;

void add(std::vector<std::string>& out, std::string finding) {
    if (out.size() < kMaxFindings) out.push_back(std::move(finding));
}

std::vector<TableData> userTables(const std::vector<TableData>& all) {
    std::vector<TableData> out;
    for (const auto& t : all)
        if (t.type == "TABLE") out.push_back(t);
    return out;
}

// Pages [first, last) that the plan left alone, byte for byte the original's.
std::vector<std::string> compareRange(int a, int b, uint32_t first, uint32_t last,
                                      const std::vector<uint32_t>& changed, size_t pageSize) {
    std::vector<std::string> out;
    constexpr size_t kChunk = 64;  // pages at a time: two buffers that stay in the cache
    std::vector<uint8_t> x(kChunk * pageSize), y(kChunk * pageSize);
    for (uint32_t from = first; from < last; from += kChunk) {
        const size_t count = std::min<size_t>(kChunk, last - from);
        const off_t at = static_cast<off_t>(from) * static_cast<off_t>(pageSize);
        const ssize_t want = static_cast<ssize_t>(count * pageSize);
        if (::pread(a, x.data(), count * pageSize, at) != want ||
            ::pread(b, y.data(), count * pageSize, at) != want) {
            add(out, "the files cannot be read to compare their pages");
            return out;
        }
        for (size_t i = 0; i < count; ++i) {
            const uint32_t page = from + static_cast<uint32_t>(i);
            if (std::binary_search(changed.begin(), changed.end(), page)) continue;
            if (std::memcmp(x.data() + i * pageSize, y.data() + i * pageSize, pageSize) != 0)
                add(out, "page " + std::to_string(page) + " changed although nothing asked it to");
        }
    }
    return out;
}

// Pages the plan left alone, byte for byte the original's. Reading both files
// is most of what verifying a large file costs, so the second half is read
// on a thread of its own.
void compareUnchanged(const std::string& newFile, const std::string& original,
                      const PageFile& planned, std::vector<std::string>& out) {
    UniqueFd a(::open(original.c_str(), O_RDONLY | O_CLOEXEC));
    UniqueFd b(::open(newFile.c_str(), O_RDONLY | O_CLOEXEC));
    if (a.get() < 0 || b.get() < 0) {
        add(out, "the files cannot be opened to compare their pages");
        return;
    }
    const std::vector<uint32_t> changed = planned.changedPages();
    const uint32_t pages = planned.originalPageCount();
    const uint32_t half = pages / 2;
    auto second = std::async(std::launch::async, compareRange, a.get(), b.get(), half, pages,
                             std::cref(changed), planned.pageSize());
    std::vector<std::string> found =
        compareRange(a.get(), b.get(), 0, half, changed, planned.pageSize());
    for (auto& f : second.get()) found.push_back(std::move(f));
    for (auto& f : found) add(out, std::move(f));
}

// Two 64-bit hashes of a row's values, each value by its kind and its bytes
// (numbers by their bit patterns, as they are stored): rows that read alike
// give the same pair, others the same pair by a chance too small to matter.
class RowDigest {
public:
    using Value = std::pair<uint64_t, uint64_t>;

    static Value of(const RowValues& row) {
        RowDigest d;
        for (const FieldValue& v : row) d.value(v);
        return d.digest_.value();
    }

private:
    void word(uint64_t w) { digest_.word(w); }
    void bytes(std::string_view s) {
        word(s.size());
        uint64_t w = 0;
        for (size_t i = 0; i < s.size(); ++i) {
            w |= static_cast<uint64_t>(static_cast<uint8_t>(s[i])) << (8 * (i % 8));
            if (i % 8 == 7) {
                word(w);
                w = 0;
            }
        }
        word(w);
    }
    template <class T>
    void bits(const T& x) {
        uint64_t w = 0;
        static_assert(sizeof(T) <= sizeof w);
        std::memcpy(&w, &x, sizeof x);
        word(w);
    }
    void value(const FieldValue& v) {
        word(v.index());
        std::visit(
            [&](const auto& x) {
                using T = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<T, std::monostate>) {
                } else if constexpr (std::is_same_v<T, std::string>) {
                    bytes(x);
                } else if constexpr (std::is_same_v<T, Binary>) {
                    bytes(x.bytes);
                } else if constexpr (std::is_same_v<T, Currency>) {
                    bits(x.units);
                } else if constexpr (std::is_same_v<T, DateTime>) {
                    bits(x.days);
                } else if constexpr (std::is_same_v<T, Guid>) {
                    bytes(std::string_view(reinterpret_cast<const char*>(x.bytes.data()),
                                           x.bytes.size()));
                } else if constexpr (std::is_same_v<T, Decimal>) {
                    word(static_cast<uint64_t>(x.negative) << 8 | x.scale);
                    word(static_cast<uint64_t>(x.high) << 32 | x.middle);
                    word(x.low);
                } else {
                    bits(x);
                }
            },
            v);
    }

    Digest digest_;
};

// The saved queries a reader found against those planned, matched by name.
void compareQueries(const std::vector<ExpectedQuery>& planned,
                    const std::vector<ExpectedQuery>& found, std::string ExpectedQuery::*text,
                    const std::string& reader, std::vector<std::string>& out) {
    std::map<std::string, const ExpectedQuery*> byName;
    for (const auto& q : found)
        if (!byName.emplace(q.name, &q).second)
            add(out, reader + " reads two queries named '" + q.name + "'");
    for (const auto& q : planned) {
        auto it = byName.find(q.name);
        if (it == byName.end()) {
            add(out, reader + " reads no query '" + q.name + "'");
            continue;
        }
        if (it->second->*text != q.*text)
            add(out, reader + " reads query '" + q.name + "' as \"" + it->second->*text +
                         "\", not as planned, \"" + q.*text + "\"");
        byName.erase(it);
    }
    for (const auto& [name, q] : byName)
        add(out, reader + " reads a query '" + name + "' not planned");
}

// Every permission line, as the reader reads the written file's access
// entries: the account's entries on the object, ORed as the reader reads
// them, hold the planned mask.
void comparePermissions(const jet::mdb::FileSnapshot& read, const FileState& state,
                        std::vector<std::string>& out) {
    const auto hex = [](std::string_view bytes) {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string h;
        for (unsigned char b : bytes) {
            h += kDigits[b >> 4];
            h += kDigits[b & 15];
        }
        return h;
    };
    for (const auto& [key, mask] : state.permissions) {
        const int32_t type = key.object == PermissionKey::Object::Database ? objtype::Database
                             : key.object == PermissionKey::Object::Table  ? objtype::Table
                                                                           : objtype::Procedure;
        const jet::mdb::SnapshotObject* object = nullptr;
        for (const auto& o : read.objects)
            if (o.objectType == type &&
                (type == objtype::Database || text::fold(o.name) == key.name)) {
                object = &o;
                break;
            }
        const std::string what = type == objtype::Database ? "the database" : "'" + key.name + "'";
        if (!object) {
            add(out, "the reader finds no object " + what + " to read the rights on");
            continue;
        }
        const std::string sid =
            hex(state.sidKey ? format::unmaskSid(key.sid, *state.sidKey) : key.sid);
        uint32_t held = 0;
        for (const auto& a : read.aces)
            if (a.objectId == object->id && a.sid == sid) held |= static_cast<uint32_t>(a.mask);
        if (held != mask)
            add(out, "the reader reads the access mask " + std::to_string(held) + " of SID " +
                         sid + " on " + what + ", not as planned, " + std::to_string(mask));
    }
}

}  // namespace

std::vector<std::string> verifyWritten(const std::string& newFile, const std::string& original,
                                       const PageFile& planned,
                                       const std::vector<TableData>& expected,
                                       const PlanResult& plan, const FileState& state,
                                       const std::vector<ExpectedQuery>& queries) {
    std::vector<std::string> out;
    // The reader, in its own process.
    const auto reply = jet::mdb::readInChild(newFile, state.permissions.empty()
                                                          ? jet::mdb::ReadMode::Schema
                                                          : jet::mdb::ReadMode::Database);
    if (reply.status != jet::mdb::ReadStatus::Ok) {
        add(out, "the reader cannot read the written file (" + reply.detail + ")");
        return out;
    }
    for (auto& d : tableDifferences(expected, userTables(reply.snapshot.tables)))
        add(out, "the reader sees " + d);
    std::vector<ExpectedQuery> theirs;
    for (const auto& q : reply.snapshot.queries)
        theirs.push_back({q.name, std::string(text::trimWhite(q.sql)), {}});
    compareQueries(queries, theirs, &ExpectedQuery::text, "the reader", out);
    comparePermissions(reply.snapshot, state, out);

    // The page codec, reading the file afresh.
    PageFile file(newFile);
    if (file.pageCount() != planned.pageCount())
        add(out, "the written file has " + std::to_string(file.pageCount()) + " pages, not " +
                     std::to_string(planned.pageCount()));
    const FileCatalog catalog(file);
    std::vector<TableData> ours;
    for (const auto& [key, t] : readModel(catalog).tables) ours.push_back(statement::tableData(t));
    for (auto& d : tableDifferences(expected, ours)) add(out, "the codec reads " + d);
    // Queries the session could not change (their table is not one the
    // writer knows) are read by the reader alone.
    if (state.queriesRefusal.empty()) {
        std::vector<ExpectedQuery> read;
        const auto byObject = queryRowsByObject(catalog.queries);
        const std::vector<format::QueryRow> none;
        for (const auto& r : catalog.objects.rows) {
            if (catalog.objectType(r) != msys::kQuery) continue;
            const auto own = byObject.find(catalog.objectId(r));
            read.push_back({catalog.objectName(r),
                            {},
                            readBackText(own == byObject.end() ? none : own->second)});
        }
        compareQueries(queries, read, &ExpectedQuery::codecText, "the codec", out);
    }

    // Every table whose pages changed, by the structural checker, against
    // the original: what the plan left as it was is the original's.
    PageFile before(original);
    std::map<uint32_t, std::string> names;
    for (const auto& r : catalog.objects.rows)
        if (catalog.objectType(r) == msys::kTable)
            names[static_cast<uint32_t>(catalog.objectId(r)) & 0x00FFFFFFu] = catalog.objectName(r);
    std::vector<CheckedTable> touched;
    for (uint32_t page : plan.touchedTables)
        touched.push_back({names.count(page) ? names[page] : "page " + std::to_string(page), page});
    for (const auto& f : Checker(file, Baseline{&before, planned.changedPages()}).check(touched))
        add(out, f.table + ": " + f.what +
                     (f.page >= 0 ? " (page " + std::to_string(f.page) + ")" : ""));

    // The rows of every rewritten table, against what the session asked for.
    FileState asked = state;
    FileStorage storage(asked, before);
    for (const auto& [id, t] : state.tables) {
        if (!plan.rewrittenTables.count(t.page)) continue;
        // What each row should read, by id, as a digest: a large table's rows
        // are not held a second time.
        std::vector<std::pair<uint32_t, RowDigest::Value>> want;
        storage.forEachRow(t, [&](uint32_t rowId, const RowValues& v) {
            want.emplace_back(rowId, RowDigest::of(v));
        });
        std::sort(want.begin(), want.end());
        const TableDefinition def = TableDefinition::read(file, t.page);
        size_t seen = 0;
        TableReader(file, def).forEachValues([&](uint32_t rowId, const std::vector<FieldValue>& v) {
            ++seen;
            const auto it =
                std::lower_bound(want.begin(), want.end(), rowId,
                                 [](const auto& w, uint32_t key) { return w.first < key; });
            if (it == want.end() || it->first != rowId)
                add(out, t.name + ": a row that was not there before");
            else if (it->second != RowDigest::of(v))
                add(out,
                    t.name + ": row " + std::to_string(rowId) + " reads otherwise than planned");
        });
        if (seen != want.size())
            add(out, t.name + ": " + std::to_string(seen) + " rows where there were " +
                         std::to_string(want.size()));
    }
    compareUnchanged(newFile, original, planned, out);
    return out;
}

}  // namespace jet::file
