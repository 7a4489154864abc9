#include "jet/writer/FileQueries.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>

#include "jet/Error.h"
#include "jet/file/Text.h"
#include "jet/format/QuerySql.h"
#include "text/Trim.h"

namespace jet::file {

namespace {

using format::QueryRow;
namespace qattr = format::qattr;

// The clause a row of an attribute stands for, for messages.
const char* clauseOf(int attribute) {
    switch (attribute) {
        case qattr::Type:
            return "INTO";
        case qattr::Parameter:
            return "PARAMETERS";
        case qattr::Flag:
            return "TOP";
        case qattr::RemoteDb:
            return "IN";
        case qattr::Table:
        case qattr::Join:
            return "FROM";
        case qattr::Column:
            return "SELECT";
        case qattr::OrderBy:
            return "ORDER BY";
        default:
            return "statement";
    }
}

bool flagIsNull(int attribute) {
    return attribute == qattr::End || attribute == qattr::Table || attribute == qattr::Where ||
           attribute == qattr::Having || attribute == qattr::OrderBy ||
           attribute == qattr::RemoteDb;
}

bool heldAsText(int32_t kind) {
    return kind == format::qkind::DataDefinition || kind == format::qkind::PassThrough;
}

FieldValue textOrNull(const std::string& s) { return s.empty() ? FieldValue{} : FieldValue{s}; }

// The start of a long name, cut between characters.
std::string shortened(const std::string& s) {
    constexpr size_t kMax = 40;
    if (s.size() <= kMax) return s;
    size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    return s.substr(0, cut) + "…";
}

// A query Access keeps for a form or a report (its record source, a control's
// row source) is named "~sq_" and the object's name.
bool keptForAForm(std::string_view name) {
    constexpr std::string_view kPrefix = "~sq_";
    if (name.size() < kPrefix.size()) return false;
    for (size_t i = 0; i < kPrefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != kPrefix[i]) return false;
    return true;
}

// Access writes no type row for a select query it keeps for a form, and a
// Flag row only when the query has a flag (DISTINCTROW, *): the builder reads
// neither row missing as a select with no flags.
void asAccessKeepsForAForm(format::DecomposedQuery& q) {
    if (q.kind != format::qkind::Select) return;
    std::erase_if(q.rows, [](const QueryRow& r) {
        const bool blank = r.name1.empty() && r.name2.empty() && r.expression.empty();
        return blank && ((r.attribute == qattr::Type && r.flag == format::qkind::Select) ||
                         (r.attribute == qattr::Flag && r.flag == 0));
    });
}

}  // namespace

std::string queryTableProblem(const StoredTable& queries, size_t& nameRoom) {
    if (!queries.present()) return "the database has no MSysQueries table";
    struct Wanted {
        const char* name;
        uint8_t type;
    };
    static constexpr Wanted kColumns[] = {
        {"ObjectId", coltype::Long}, {"Attribute", coltype::Byte}, {"Order", coltype::Binary},
        {"Name1", coltype::Text},    {"Name2", coltype::Text},     {"Expression", coltype::Memo},
        {"Flag", coltype::Int},      {"LvExtra", coltype::Long},
    };
    size_t room = SIZE_MAX;
    for (const auto& w : kColumns) {
        const auto at = queries.findColumn(w.name);
        // Access 97's MSysQueries has no LvExtra: its parameters keep no length.
        if (!at && std::string_view(w.name) == "LvExtra" && queries.definition().text().singleByte())
            continue;
        if (!at || queries.definition().columns[*at].type != w.type)
            return std::string("its MSysQueries table has no column ") + w.name +
                   " of the type Access gives it";
        if (w.type == coltype::Text)
            room = std::min<size_t>(room, queries.definition().text().singleByte()
                                              ? queries.definition().columns[*at].length
                                              : queries.definition().columns[*at].length / 2u);
    }
    nameRoom = room;
    return {};
}

format::DecomposedQuery storableQuery(std::string_view name, std::string_view text,
                                      size_t nameRoom) {
    format::DecomposedQuery q;
    try {
        q = format::decomposeQuery(text);
    } catch (const format::QueryDecomposeError& e) {
        raise(Err::QueryNotStorable, {name, e.what()});
    }
    for (const auto& r : q.rows) {
        for (const std::string* value : {&r.name1, &r.name2}) {
            const size_t units = textUnits(*value);
            if (units <= nameRoom) continue;
            const format::QueryDecomposeError e(
                clauseOf(r.attribute), "the name '" + shortened(*value) + "' has " +
                                           std::to_string(units) + " characters, and the file " +
                                           "keeps at most " + std::to_string(nameRoom));
            raise(Err::QueryNotStorable, {name, e.what()});
        }
    }
    if (keptForAForm(name)) asAccessKeepsForAForm(q);
    return q;
}

format::DecomposedQuery storablePassThrough(std::string_view name, std::string_view text,
                                         std::string_view connect) {
    try {
        return format::passThroughQuery(text, connect);
    } catch (const format::QueryDecomposeError& e) {
        raise(Err::QueryNotStorable, {name, e.what()});
    }
}

std::string readBackText(const std::vector<QueryRow>& rows) {
    return std::string(text::trimWhite(format::buildQuerySql(rows).sql));
}

std::string queryRowOrder(uint32_t n) {
    return {static_cast<char>(n >> 24), static_cast<char>((n >> 16) & 0xFF),
            static_cast<char>((n >> 8) & 0xFF), static_cast<char>(n & 0xFF)};
}

std::vector<RowValues> storedQueryRows(const StoredTable& queries, int32_t objectId,
                                       const format::DecomposedQuery& query) {
    const size_t idCol = queries.column("ObjectId"), attrCol = queries.column("Attribute"),
                 orderCol = queries.column("Order"), name1Col = queries.column("Name1"),
                 name2Col = queries.column("Name2"), exprCol = queries.column("Expression"),
                 flagCol = queries.column("Flag");
    const std::optional<size_t> extraCol = queries.findColumn("LvExtra");
    std::map<int, uint32_t> counts;
    std::vector<RowValues> out;
    out.reserve(query.rows.size());
    for (const auto& r : query.rows) {
        RowValues v(queries.definition().columns.size());
        v[idCol] = objectId;
        v[attrCol] = static_cast<uint8_t>(r.attribute);
        v[orderCol] = Binary{queryRowOrder(++counts[r.attribute])};
        v[name1Col] = textOrNull(r.name1);
        v[name2Col] = textOrNull(r.name2);
        std::string expression = r.expression;
        if (r.attribute == qattr::Type && heldAsText(query.kind) && !expression.empty())
            expression.push_back('\0');
        v[exprCol] = textOrNull(expression);
        if (!flagIsNull(r.attribute)) v[flagCol] = static_cast<int16_t>(r.flag);
        // The statement refused a length the table cannot keep.
        if (r.extra != 0 && extraCol) v[*extraCol] = r.extra;
        out.push_back(std::move(v));
    }
    return out;
}

std::map<int32_t, std::vector<QueryRow>> queryRowsByObject(const StoredTable& queries) {
    std::map<int32_t, std::vector<QueryRow>> out;
    if (!queries.present()) return out;
    const size_t idCol = queries.column("ObjectId"), attrCol = queries.column("Attribute"),
                 orderCol = queries.column("Order"), name1Col = queries.column("Name1"),
                 name2Col = queries.column("Name2"), exprCol = queries.column("Expression"),
                 flagCol = queries.column("Flag");
    const std::optional<size_t> extraCol = queries.findColumn("LvExtra");
    for (const auto& row : queries.rows) {
        const auto& v = row.values;
        QueryRow r;
        r.attribute = static_cast<int>(asInteger(v[attrCol]));
        r.order = std::string(asBinary(v[orderCol]));
        r.name1 = asText(v[name1Col]);
        r.name2 = asText(v[name2Col]);
        r.expression = asText(v[exprCol]);
        // The reader's library takes text up to its first NUL.
        if (const size_t nul = r.expression.find('\0'); nul != std::string::npos)
            r.expression.resize(nul);
        r.flag = static_cast<int32_t>(asInteger(v[flagCol]));
        r.extra = extraCol ? static_cast<int32_t>(asInteger(v[*extraCol])) : 0;
        out[static_cast<int32_t>(asInteger(v[idCol]))].push_back(std::move(r));
    }
    return out;
}

std::vector<QueryRow> queryRowsOf(const StoredTable& queries, int32_t objectId) {
    auto all = queryRowsByObject(queries);
    auto it = all.find(objectId);
    return it == all.end() ? std::vector<QueryRow>{} : std::move(it->second);
}

}  // namespace jet::file
