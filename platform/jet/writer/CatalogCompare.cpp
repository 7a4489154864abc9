#include "jet/writer/CatalogCompare.h"

#include <algorithm>
#include <map>
#include <sstream>

#include "jet/Types.h"

namespace jet::file {

namespace {

std::string show(const Variant& v) {
    return std::visit(
        [](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return "(empty)";
            else if constexpr (std::is_same_v<T, bool>)
                return x ? "true" : "false";
            else if constexpr (std::is_same_v<T, int32_t>)
                return std::to_string(x);
            else
                return "'" + x + "'";
        },
        v);
}

std::string show(const IndexData& x) {
    std::ostringstream o;
    o << (x.primaryKey ? "primary " : "") << (x.unique ? "unique " : "") << "nulls " << x.indexNulls
      << " (";
    for (size_t i = 0; i < x.columns.size(); ++i)
        o << (i ? ", " : "") << x.columns[i].name
          << (x.columns[i].sortOrder == kSortDescending ? " DESC" : "");
    o << ")";
    return o.str();
}

std::string show(const KeyData& k) {
    std::ostringstream o;
    o << "type " << k.type << " related '" << k.relatedTable << "' rules " << k.updateRule << "/"
      << k.deleteRule << " (";
    for (size_t i = 0; i < k.columns.size(); ++i)
        o << (i ? ", " : "") << k.columns[i].name
          << (k.columns[i].relatedColumn.empty() ? "" : "->" + k.columns[i].relatedColumn);
    o << ")";
    return o.str();
}

template <class T>
void compareNamed(const std::string& what, const std::string& table, const std::vector<T>& a,
                  const std::vector<T>& b, std::vector<std::string>& out) {
    std::map<std::string, std::string> left, right;
    for (const auto& x : a) left[x.name] = show(x);
    for (const auto& x : b) right[x.name] = show(x);
    for (const auto& [name, s] : left) {
        auto it = right.find(name);
        if (it == right.end())
            out.push_back(table + ": " + what + " " + name + " is missing");
        else if (it->second != s)
            out.push_back(table + ": " + what + " " + name + ": " + s + " but " + it->second);
    }
    for (const auto& [name, s] : right)
        if (!left.count(name)) out.push_back(table + ": " + what + " " + name + " is extra");
}

void compareColumns(const std::string& table, const std::vector<ColumnData>& a,
                    const std::vector<ColumnData>& b, std::vector<std::string>& out) {
    if (a.size() != b.size())
        out.push_back(table + ": " + std::to_string(a.size()) + " columns but " +
                      std::to_string(b.size()));
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        const ColumnData& x = a[i];
        const ColumnData& y = b[i];
        const std::string at = table + "." + x.name + ": ";
        if (x.name != y.name) out.push_back(at + "column " + std::to_string(i) + " is " + y.name);
        const auto field = [&](const char* name, int64_t u, int64_t v) {
            if (u != v)
                out.push_back(at + name + " " + std::to_string(u) + " but " + std::to_string(v));
        };
        field("type", x.type, y.type);
        field("defined size", x.definedSize, y.definedSize);
        field("precision", x.precision, y.precision);
        field("scale", x.numericScale, y.numericScale);
        field("attributes", x.attributes, y.attributes);
        for (size_t p = 0; p < x.properties.size(); ++p)
            if (x.properties[p] != y.properties[p])
                out.push_back(at + std::string(kColumnPropertyNames[p]) + " " +
                              show(x.properties[p]) + " but " + show(y.properties[p]));
    }
}

}  // namespace

std::vector<std::string> tableDifferences(const std::vector<TableData>& expected,
                                          const std::vector<TableData>& actual) {
    std::vector<std::string> out;
    std::map<std::string, const TableData*> right;
    for (const auto& t : actual) right[t.name] = &t;
    for (const auto& t : expected) {
        auto it = right.find(t.name);
        if (it == right.end()) {
            out.push_back("table " + t.name + " is missing");
            continue;
        }
        const TableData& u = *it->second;
        right.erase(it);
        if (t.type != u.type) out.push_back(t.name + ": type " + t.type + " but " + u.type);
        compareColumns(t.name, t.columns, u.columns, out);
        compareNamed("index", t.name, t.indexes, u.indexes, out);
        compareNamed("key", t.name, t.keys, u.keys, out);
    }
    for (const auto& [name, t] : right) out.push_back("table " + name + " is extra");
    return out;
}

}  // namespace jet::file
