#include "jet/writer/EngagedSession.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "jet/Error.h"
#include "jet/QueryText.h"
#include "jet/file/ReplaceError.h"
#include "jet/format/JetHeader.h"
#include "jet/writer/CatalogCompare.h"
#include "jet/writer/FileQueries.h"
#include "jet/writer/FileSchema.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace {

std::string fileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The lock found the file or its folder read-only: Jet's words for the file,
// and for a writable file in a folder that cannot be written, that it is the
// folder.
[[noreturn]] void refuseNotWritable(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path resolved = fs::canonical(path, ec);
    struct stat st {};
    const bool fileWritable = !ec && ::stat(resolved.c_str(), &st) == 0 &&
                              (st.st_mode & 0222) != 0 && ::access(resolved.c_str(), W_OK) == 0;
    if (!fileWritable) raise(Err::ReadOnly);
    raise(Err::FolderNotWritable, {fileName(path), resolved.parent_path().string()});
}

std::string formatName(int version) {
    switch (version) {
        case 2:
            return "Access 2007";
        case 3:
            return "Access 2010";
        case 4:
            return "Access 2013";
        case 5:
            return "Access 2016";
        case 6:
            return "Access 2019";
        default:
            return "version " + std::to_string(version);
    }
}

void exactDefinition(Engaged& w, const TableDefinition& d, const std::string& name) {
    const auto images = d.encode();
    for (size_t i = 0; i < images.size(); ++i) {
        const auto page = w.file.page(d.pages()[i]);
        if (*page != images[i])
            raise(Err::NotWritableDefinition,
                  {"the definition of table '" + name +
                   "' holds something this program cannot write back exactly."});
    }
}

// Every definition and property blob the writer may rewrite encodes to
// the bytes it was read from.
void checkExact(Engaged& w) {
    const auto exact = [&](const TableDefinition& d, const std::string& name) {
        exactDefinition(w, d, name);
    };
    exact(w.catalog.objects.definition(), "MSysObjects");
    if (w.catalog.aces.present()) exact(w.catalog.aces.definition(), "MSysACEs");
    if (w.catalog.relationships.present())
        exact(w.catalog.relationships.definition(), "MSysRelationships");
    const size_t props = w.catalog.objects.column("LvProp");
    for (const auto& t : w.catalog.tables) {
        exact(t.definition, t.name);
        if (!t.properties) continue;
        const std::string_view blob = asBinary(w.catalog.objects.rows[t.objectRow].values[props]);
        const Bytes again = t.properties->encode();
        if (blob.size() != again.size() ||
            !std::equal(again.begin(), again.end(), reinterpret_cast<const uint8_t*>(blob.data())))
            raise(Err::NotWritableDefinition,
                  {"the properties of table '" + t.name +
                   "' hold something this program cannot write back exactly."});
    }
}

// The saved queries as the reader reads them, each with its MSysObjects
// row. What keeps them from being changed is kept for the statements
// that would change them: the rest of the file can still be written.
void readQueries(Engaged& w, const CatalogData& base) {
    FileState& s = w.state;
    const FileCatalog& c = w.catalog;
    s.queriesRefusal = queryTableProblem(c.queries, s.queryNameRoom);
    s.queryParameterLengths = !c.queries.present() || c.queries.findColumn("LvExtra").has_value();
    std::map<std::string, size_t> rows;
    for (size_t i = 0; i < c.objects.rows.size(); ++i)
        if (c.objectType(c.objects.rows[i]) == msys::kQuery)
            rows.emplace(c.objectName(c.objects.rows[i]), i);
    const auto byObject = s.queriesRefusal.empty()
                              ? queryRowsByObject(c.queries)
                              : std::map<int32_t, std::vector<format::QueryRow>>{};
    const auto add = [&](const QueryData& q) {
        QueryState state;
        state.name = q.name;
        state.text = q.commandText;
        if (auto it = rows.find(q.name); it != rows.end()) {
            state.objectRow = it->second;
            const auto own = byObject.find(c.objectId(c.objects.rows[it->second]));
            const auto none = std::vector<format::QueryRow>{};
            const auto& queryRows = own == byObject.end() ? none : own->second;
            state.codecText = readBackText(queryRows);
            for (const auto& r : queryRows)
                if (r.attribute == format::qattr::Type && r.flag == format::qkind::PassThrough)
                    state.passThroughConnect = r.name1;
        } else if (s.queriesRefusal.empty())
            s.queriesRefusal = "query '" + q.name + "' has no row of its own in MSysObjects";
        s.queries[text::fold(q.name)] = std::move(state);
    };
    for (const auto& q : base.views) add(q);
    for (const auto& q : base.procedures) add(q);
    if (s.queriesRefusal.empty()) {
        try {
            exactDefinition(w, c.queries.definition(), "MSysQueries");
        } catch (const Error&) {
            s.queriesRefusal =
                "the definition of table 'MSysQueries' holds something this program cannot "
                "write back exactly";
        }
    }
}

}  // namespace

std::unique_ptr<Engaged> engageFile(const std::string& path, Backend& reader) {
    const std::string name = fileName(path);
    {
        PageFile probe(path);
        const FileFacts& f = probe.facts();
        if (!f.codecSupported()) raise(Err::FormatNotWritable, {name, formatName(f.version)});
    }
    std::unique_ptr<Engaged> w;
    try {
        w = std::make_unique<Engaged>(path);
    } catch (const ReplaceError& e) {
        if (e.reason() == ReplaceError::Reason::NotWritable) refuseNotWritable(path);
        raise(Err::General, {e.what()});
    } catch (const FormatError& e) {
        raise(Err::NotWritableDefinition,
              {"its structures cannot be read for writing (" + std::string(e.what()) + ")."});
    }
    try {
        checkExact(*w);
        w->model = readModel(w->catalog);
    } catch (const FormatError& e) {
        raise(Err::NotWritableDefinition,
              {"its structures cannot be read for writing (" + std::string(e.what()) + ")."});
    }
    // The writer must read the tables as the reader does, or it would
    // change what it does not see.
    const auto base = reader.catalog();
    std::vector<TableData> theirs;
    for (const auto& t : base->tables)
        if (t.type == "TABLE") theirs.push_back(t);
    std::vector<TableData> ours;
    for (const auto& [key, t] : w->model.tables) ours.push_back(statement::tableData(t));
    const auto diff = tableDifferences(theirs, ours);
    if (!diff.empty())
        raise(Err::NotWritableDefinition,
              {"its tables read differently through the file's own structures than through "
               "its reader (" +
               diff.front() + "), so changing it could change what is not seen."});
    for (const auto& q : base->views)
        w->model.queries[text::fold(q.name)] = {q.name, q.commandText, true};
    for (const auto& q : base->procedures)
        w->model.queries[text::fold(q.name)] = {q.name, q.commandText, false};
    w->state = fileStateOf(w->catalog, w->model);
    {
        const auto page = w->file.page(0);
        if (const auto header = format::parseHeader(std::string(page->begin(), page->end())))
            w->state.sidKey = header->sidKey;
    }
    readQueries(*w, *base);

    return w;
}

}  // namespace jet::file
