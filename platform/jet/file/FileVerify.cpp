#include "jet/file/FileVerify.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>

#include "jet/file/CatalogCompare.h"
#include "jet/file/Checker.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/FileQueries.h"
#include "jet/file/FileSchema.h"
#include "jet/file/FileStorage.h"
#include "jet/file/TableReader.h"
#include "jet/file/UniqueFd.h"
#include "jet/mdb/ReaderProcess.h"
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

// Pages the plan left alone, byte for byte the original's.
void compareUnchanged(const std::string& newFile, const std::string& original,
                      const PageFile& planned, std::vector<std::string>& out) {
    UniqueFd a(::open(original.c_str(), O_RDONLY | O_CLOEXEC));
    UniqueFd b(::open(newFile.c_str(), O_RDONLY | O_CLOEXEC));
    if (a.get() < 0 || b.get() < 0) {
        add(out, "the files cannot be opened to compare their pages");
        return;
    }
    const std::vector<uint32_t> changed = planned.changedPages();
    std::set<uint32_t> skip(changed.begin(), changed.end());
    constexpr size_t kChunk = 256;  // pages at a time
    const size_t pageSize = planned.pageSize();
    std::vector<uint8_t> x(kChunk * pageSize), y(kChunk * pageSize);
    for (uint32_t first = 0; first < planned.originalPageCount(); first += kChunk) {
        const size_t count = std::min<size_t>(kChunk, planned.originalPageCount() - first);
        const off_t at = static_cast<off_t>(first) * static_cast<off_t>(pageSize);
        const ssize_t want = static_cast<ssize_t>(count * pageSize);
        if (::pread(a.get(), x.data(), count * pageSize, at) != want ||
            ::pread(b.get(), y.data(), count * pageSize, at) != want) {
            add(out, "the files cannot be read to compare their pages");
            return;
        }
        for (size_t i = 0; i < count; ++i) {
            const uint32_t page = first + static_cast<uint32_t>(i);
            if (skip.count(page)) continue;
            if (!std::equal(x.begin() + static_cast<ptrdiff_t>(i * pageSize),
                            x.begin() + static_cast<ptrdiff_t>((i + 1) * pageSize),
                            y.begin() + static_cast<ptrdiff_t>(i * pageSize)))
                add(out, "page " + std::to_string(page) + " changed although nothing asked it to");
        }
    }
}

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

}  // namespace

std::vector<std::string> verifyWritten(const std::string& newFile, const std::string& original,
                                       const PageFile& planned,
                                       const std::vector<TableData>& expected,
                                       const PlanResult& plan, const FileState& state,
                                       const std::vector<ExpectedQuery>& queries) {
    std::vector<std::string> out;
    // The reader, in its own process.
    const auto reply = jet::mdb::readInChild(newFile, jet::mdb::ReadMode::Schema);
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
        const std::vector<mdb::QueryRow> none;
        for (const auto& r : catalog.objects.rows) {
            if (catalog.objectType(r) != msys::kQuery) continue;
            const auto own = byObject.find(catalog.objectId(r));
            read.push_back({catalog.objectName(r),
                            {},
                            readBackText(own == byObject.end() ? none : own->second)});
        }
        compareQueries(queries, read, &ExpectedQuery::codecText, "the codec", out);
    }

    // Every table whose pages changed, by the structural checker.
    std::map<uint32_t, std::string> names;
    for (const auto& r : catalog.objects.rows)
        if (catalog.objectType(r) == msys::kTable)
            names[static_cast<uint32_t>(catalog.objectId(r)) & 0x00FFFFFFu] = catalog.objectName(r);
    std::vector<CheckedTable> touched;
    for (uint32_t page : plan.touchedTables)
        touched.push_back({names.count(page) ? names[page] : "page " + std::to_string(page), page});
    for (const auto& f : Checker(file).check(touched))
        add(out, f.table + ": " + f.what + (f.page >= 0 ? " (page " + std::to_string(f.page) + ")" : ""));

    // The rows of every rewritten table, against what the session asked for.
    PageFile before(original);
    FileState asked = state;
    FileStorage storage(asked, before);
    for (const auto& [id, t] : state.tables) {
        if (!plan.rewrittenTables.count(t.page)) continue;
        std::map<uint32_t, RowValues> want;
        storage.forEachRow(t, [&](uint32_t rowId, const RowValues& v) { want.emplace(rowId, v); });
        const TableDefinition def = TableDefinition::read(file, t.page);
        size_t seen = 0;
        TableReader(file, def).forEachValues([&](uint32_t rowId, const std::vector<FieldValue>& v) {
            ++seen;
            auto it = want.find(rowId);
            if (it == want.end())
                add(out, t.name + ": a row that was not there before");
            else if (it->second != v)
                add(out, t.name + ": row " + std::to_string(rowId) + " reads otherwise than planned");
        });
        if (seen != want.size())
            add(out, t.name + ": " + std::to_string(seen) + " rows where there were " +
                         std::to_string(want.size()));
    }
    compareUnchanged(newFile, original, planned, out);
    return out;
}

}  // namespace jet::file
