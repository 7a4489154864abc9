#include "OracleComparison.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "MdbTools.h"
#include "TestSupport.h"
#include "engine/CCAccess.h"
#include "jet/Types.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/PageFile.h"
#include "jet/format/JetHeader.h"
#include "text/CaseFold.h"
#include "wizard/OptionRules.h"

namespace oracles {

namespace {

// At most this many lines of row differences for one table, then a count.
constexpr size_t kRowLinesPerTable = 12;

std::string quoted(const Value& v) { return v ? "'" + *v + "'" : "Null"; }

std::string rowText(const Row& r) {
    std::string s = "(";
    for (size_t i = 0; i < r.size(); ++i) s += (i ? ", " : "") + quoted(r[i]);
    return s + ")";
}

std::string variantText(const jet::Variant& v) {
    if (jet::isEmpty(v)) return "(empty)";
    if (const bool* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
    if (const int32_t* i = std::get_if<int32_t>(&v)) return std::to_string(*i);
    return "'" + std::get<std::string>(v) + "'";
}

template <class T>
const T* findNoCase(const std::vector<T>& list, const std::string& name) {
    for (const auto& e : list)
        if (text::equalNoCase(e.name, name)) return &e;
    return nullptr;
}

std::string names(const std::vector<std::string>& list) {
    std::string s;
    for (const auto& n : list) s += (s.empty() ? "" : ", ") + n;
    return s;
}

template <class T>
std::vector<std::string> namesOf(const std::vector<T>& list) {
    std::vector<std::string> out;
    for (const auto& e : list) out.push_back(e.name);
    return out;
}

std::string indexColumnsText(const std::vector<jet::IndexColumnData>& cols) {
    std::string s;
    for (const auto& c : cols)
        s +=
            (s.empty() ? "" : ", ") + c.name + (c.sortOrder == jet::kSortDescending ? " DESC" : "");
    return s;
}

std::string keyColumnsText(const std::vector<jet::KeyColumnData>& cols) {
    std::string s;
    for (const auto& c : cols) s += (s.empty() ? "" : ", ") + c.name + "->" + c.relatedColumn;
    return s;
}

// Adds "what: a vs b" when the two differ.
template <class T>
void field(std::ostringstream& out, const std::string& where, const char* what, const T& a,
           const T& b) {
    if (a != b) out << where << ": " << what << " " << a << " vs " << b << "\n";
}

void columnDifferences(std::ostringstream& out, const std::string& where, const jet::ColumnData& a,
                       const jet::ColumnData& b, const CatalogCompareOptions& options) {
    field(out, where, "name", a.name, b.name);
    field(out, where, "type", a.type, b.type);
    field(out, where, "defined size", a.definedSize, b.definedSize);
    field(out, where, "precision", int(a.precision), int(b.precision));
    field(out, where, "scale", int(a.numericScale), int(b.numericScale));
    field(out, where, "attributes", a.attributes, b.attributes);
    if (!options.properties) return;
    for (int p = 0; p < jet::prop::Count; ++p) {
        const std::string name(jet::kColumnPropertyNames[static_cast<size_t>(p)]);
        if (std::find(options.ignoredProperties.begin(), options.ignoredProperties.end(), name) !=
            options.ignoredProperties.end())
            continue;
        const auto& va = a.properties[static_cast<size_t>(p)];
        const auto& vb = b.properties[static_cast<size_t>(p)];
        if (va != vb)
            out << where << ": property " << name << " " << variantText(va) << " vs "
                << variantText(vb) << "\n";
    }
}

void tableDifferences(std::ostringstream& out, const jet::TableData& a, const jet::TableData& b,
                      const CatalogCompareOptions& options) {
    const std::string where = "table [" + a.name + "]";
    field(out, where, "name", a.name, b.name);
    for (const auto& c : a.columns)
        if (const auto* other = findNoCase(b.columns, c.name))
            columnDifferences(out, where + ": column [" + c.name + "]", c, *other, options);
        else
            out << where << ": column [" << c.name << "] only in the first\n";
    for (const auto& c : b.columns)
        if (!findNoCase(a.columns, c.name))
            out << where << ": column [" << c.name << "] only in the second\n";
    std::vector<std::string> ca, cb;
    for (const auto& c : a.columns)
        if (findNoCase(b.columns, c.name)) ca.push_back(text::fold(c.name));
    for (const auto& c : b.columns)
        if (findNoCase(a.columns, c.name)) cb.push_back(text::fold(c.name));
    if (ca != cb)
        out << where << ": columns in another order: " << names(namesOf(a.columns)) << " vs "
            << names(namesOf(b.columns)) << "\n";
    if (options.indexes) {
        for (const auto& i : a.indexes) {
            const std::string at = where + ": index [" + i.name + "]";
            const auto* o = findNoCase(b.indexes, i.name);
            if (!o) {
                out << at << " only in the first\n";
                continue;
            }
            field(out, at, "name", i.name, o->name);
            field(out, at, "unique", i.unique, o->unique);
            field(out, at, "primary key", i.primaryKey, o->primaryKey);
            field(out, at, "nulls", i.indexNulls, o->indexNulls);
            field(out, at, "columns", indexColumnsText(i.columns), indexColumnsText(o->columns));
        }
        for (const auto& i : b.indexes)
            if (!findNoCase(a.indexes, i.name))
                out << where << ": index [" << i.name << "] only in the second\n";
    }
    if (options.keys) {
        for (const auto& k : a.keys) {
            const std::string at = where + ": key [" + k.name + "]";
            const auto* o = findNoCase(b.keys, k.name);
            if (!o) {
                out << at << " only in the first\n";
                continue;
            }
            field(out, at, "name", k.name, o->name);
            field(out, at, "type", k.type, o->type);
            field(out, at, "related table", k.relatedTable, o->relatedTable);
            field(out, at, "update rule", k.updateRule, o->updateRule);
            field(out, at, "delete rule", k.deleteRule, o->deleteRule);
            field(out, at, "columns", keyColumnsText(k.columns), keyColumnsText(o->columns));
        }
        for (const auto& k : b.keys)
            if (!findNoCase(a.keys, k.name))
                out << where << ": key [" << k.name << "] only in the second\n";
    }
}

}  // namespace

std::string catalogDifferences(const std::vector<jet::TableData>& first,
                               const std::vector<jet::TableData>& second,
                               const CatalogCompareOptions& options) {
    std::ostringstream out;
    for (const auto& t : first)
        if (const auto* other = findNoCase(second, t.name))
            tableDifferences(out, t, *other, options);
        else
            out << "table [" << t.name << "] only in the first\n";
    for (const auto& t : second)
        if (!findNoCase(first, t.name)) out << "table [" << t.name << "] only in the second\n";
    return out.str();
}

// ---- Rows -------------------------------------------------------------------

KeyColumns primaryKeysOf(const MdbSchema& schema) {
    return [schema](const std::string& table) {
        std::vector<std::string> key;
        if (const auto* t = schema.table(table))
            for (const auto& i : t->indexes)
                if (i.primaryKey)
                    for (const auto& c : i.columns) key.push_back(c.name);
        return key;
    };
}

namespace {

// The rows on the given columns, in that order.
std::vector<Row> project(const TableRows& t, const std::vector<std::string>& columns) {
    std::vector<size_t> at;
    for (const auto& c : columns)
        at.push_back(static_cast<size_t>(std::find(t.columns.begin(), t.columns.end(), c) -
                                         t.columns.begin()));
    std::vector<Row> out;
    out.reserve(t.rows.size());
    for (const auto& r : t.rows) {
        Row p;
        for (size_t i : at) p.push_back(r[i]);
        out.push_back(std::move(p));
    }
    return out;
}

class Lines {
public:
    explicit Lines(std::string where) : where_(std::move(where)) {}
    void add(const std::string& line) {
        if (++count_ <= kRowLinesPerTable) out_ << where_ << ": " << line << "\n";
    }
    [[nodiscard]] std::string text() const {
        std::string s = out_.str();
        if (count_ > kRowLinesPerTable)
            s += where_ + ": and " + std::to_string(count_ - kRowLinesPerTable) +
                 " more row differences\n";
        return s;
    }

private:
    std::string where_;
    std::ostringstream out_;
    size_t count_ = 0;
};

}  // namespace

std::string tableRowDifferences(const TableRows& first, const TableRows& second,
                                const std::vector<std::string>& key) {
    Lines out("table [" + first.name + "]");
    std::vector<std::string> common;
    for (const auto& c : first.columns)
        if (std::find(second.columns.begin(), second.columns.end(), c) != second.columns.end())
            common.push_back(c);
    if (first.columns != second.columns)
        out.add("columns " + names(first.columns) + " vs " + names(second.columns));
    if (first.rows.size() != second.rows.size())
        out.add(std::to_string(first.rows.size()) + " rows vs " +
                std::to_string(second.rows.size()));
    const auto a = project(first, common);
    const auto b = project(second, common);

    bool keyed = !key.empty();
    std::vector<size_t> keyAt;
    for (const auto& k : key) {
        const auto it = std::find(common.begin(), common.end(), k);
        if (it == common.end()) keyed = false;
        keyAt.push_back(static_cast<size_t>(it - common.begin()));
    }
    const auto keyOf = [&](const Row& r) {
        Row k;
        for (size_t i : keyAt) k.push_back(r[i]);
        return k;
    };
    if (keyed) {
        std::map<Row, const Row*> byKey;
        for (const auto& r : b)
            if (!byKey.emplace(keyOf(r), &r).second) keyed = false;  // not a key after all
        std::map<Row, const Row*> firstByKey;
        for (const auto& r : a)
            if (!firstByKey.emplace(keyOf(r), &r).second) keyed = false;
        if (keyed) {
            for (const auto& [k, r] : firstByKey) {
                const auto it = byKey.find(k);
                if (it == byKey.end()) {
                    out.add("row with key " + rowText(k) + " only in the first: " + rowText(*r));
                    continue;
                }
                for (size_t i = 0; i < common.size(); ++i)
                    if ((*r)[i] != (*it->second)[i])
                        out.add("row with key " + rowText(k) + ": [" + common[i] + "] " +
                                quoted((*r)[i]) + " vs " + quoted((*it->second)[i]));
            }
            for (const auto& [k, r] : byKey)
                if (!firstByKey.count(k))
                    out.add("row with key " + rowText(k) + " only in the second: " + rowText(*r));
            return out.text();
        }
    }
    // As multisets: rows found on both sides pair off; what is left is paired
    // in order when both sides have as many, so that a changed field is named.
    std::map<Row, int> counts;
    for (const auto& r : a) ++counts[r];
    for (const auto& r : b) --counts[r];
    std::vector<const Row*> onlyFirst, onlySecond;
    std::map<Row, int> left = counts;
    for (const auto& r : a)
        if (left[r] > 0) {
            --left[r];
            onlyFirst.push_back(&r);
        }
    left = counts;
    for (const auto& r : b)
        if (left[r] < 0) {
            ++left[r];
            onlySecond.push_back(&r);
        }
    if (onlyFirst.size() == onlySecond.size()) {
        for (size_t k = 0; k < onlyFirst.size(); ++k)
            for (size_t i = 0; i < common.size(); ++i)
                if ((*onlyFirst[k])[i] != (*onlySecond[k])[i])
                    out.add("row " + std::to_string(k + 1) + " of those that differ: [" +
                            common[i] + "] " + quoted((*onlyFirst[k])[i]) + " vs " +
                            quoted((*onlySecond[k])[i]));
        return out.text();
    }
    for (const Row* r : onlyFirst) out.add("row " + rowText(*r) + " only in the first");
    for (const Row* r : onlySecond) out.add("row " + rowText(*r) + " only in the second");
    return out.text();
}

std::string rowDifferences(const std::vector<TableRows>& first,
                           const std::vector<TableRows>& second, const KeyColumns& keys) {
    std::string out;
    for (const auto& t : first) {
        const auto it = std::find_if(second.begin(), second.end(),
                                     [&](const TableRows& o) { return o.name == t.name; });
        if (it == second.end()) {
            out += "table [" + t.name + "] only in the first\n";
            continue;
        }
        out += tableRowDifferences(t, *it, keys ? keys(t.name) : std::vector<std::string>{});
    }
    for (const auto& t : second)
        if (std::none_of(first.begin(), first.end(),
                         [&](const TableRows& o) { return o.name == t.name; }))
            out += "table [" + t.name + "] only in the second\n";
    return out;
}

std::string fileRowDifferences(const std::string& first, const std::string& second) {
    return rowDifferences(mdbExportAll(first), mdbExportAll(second),
                          primaryKeysOf(mdbSchema(first)));
}

// ---- Pages ------------------------------------------------------------------

PageAllowance allowPages(std::string name, std::vector<uint32_t> pages) {
    return {std::move(name),
            [pages = std::move(pages)](uint32_t page, std::string_view, std::string_view) {
                return std::find(pages.begin(), pages.end(), page) != pages.end();
            }};
}

namespace {

uint32_t u32(std::string_view s, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t(static_cast<unsigned char>(s[at + i])) << (8 * i);
    return v;
}

double f64(std::string_view s, size_t at) {
    double d = 0;
    std::memcpy(&d, s.data() + at, sizeof d);
    return d;
}

bool plausibleDate(double d) { return d >= 32874.0 && d <= 73051.0; }  // 1990 to 2100

}  // namespace

PageAllowance catalogDates() {
    return {"the catalog's dates", [](uint32_t, std::string_view a, std::string_view b) {
                constexpr uint32_t kCatalogDefinition = 2;
                if (a.size() != b.size() || a.size() < 16) return false;
                for (const auto page : {a, b})
                    if (page[0] != 0x01 || u32(page, 4) != kCatalogDefinition) return false;
                size_t covered = 0;  // bytes before this are accounted for
                for (size_t p = 0; p < a.size(); ++p) {
                    if (p < covered || a[p] == b[p]) continue;
                    bool found = false;
                    // The changed byte's 8-byte field may start up to 7 bytes before it.
                    for (size_t back = 0; back < 8 && !found; ++back) {
                        if (back > p) break;
                        const size_t o = p - back;
                        if (o + 8 > a.size()) continue;
                        const double da = f64(a, o), db = f64(b, o);
                        if (plausibleDate(da) && plausibleDate(db) && db >= da) {
                            covered = o + 8;
                            found = true;
                        }
                    }
                    if (!found) return false;
                }
                return true;
            }};
}

std::string PageComparison::text() const {
    if (same()) return {};
    std::ostringstream out;
    if (firstPages != secondPages)
        out << "page count " << firstPages << " vs " << secondPages << "\n";
    if (!differing.empty()) {
        out << "pages differ:";
        for (uint32_t p : differing) out << " " << p;
        out << "\n";
    }
    return out.str();
}

PageComparison comparePages(const std::string& first, const std::string& second,
                            const std::vector<PageAllowance>& allowances) {
    const std::string a = testsupport::readFile(first);
    const std::string b = testsupport::readFile(second);
    PageComparison c;
    // Byte 0x14 of the header: 0 for Jet 3, whose pages are half the size.
    c.pageSize = a.size() > 0x14 && a[0x14] == 0 ? 2048 : 4096;
    c.firstPages = static_cast<uint32_t>((a.size() + c.pageSize - 1) / c.pageSize);
    c.secondPages = static_cast<uint32_t>((b.size() + c.pageSize - 1) / c.pageSize);
    const uint32_t both = std::min(c.firstPages, c.secondPages);
    for (uint32_t p = 0; p < both; ++p) {
        const size_t at = size_t(p) * c.pageSize;
        const std::string_view pa = std::string_view(a).substr(at, c.pageSize);
        const std::string_view pb = std::string_view(b).substr(at, c.pageSize);
        if (pa == pb) continue;
        const auto allowance =
            std::find_if(allowances.begin(), allowances.end(),
                         [&](const PageAllowance& x) { return x.covers(p, pa, pb); });
        if (allowance == allowances.end())
            c.differing.push_back(p);
        else
            c.allowed.emplace_back(p, allowance->name);
    }
    return c;
}

// ---- The comparison engine -------------------------------------------------

namespace {

std::string props(const engine::TColumnProps& p) {
    std::ostringstream s;
    s << "type " << p.Type << ", size " << p.DefinedSize << ", precision " << int(p.Precision)
      << ", scale " << int(p.NumericScale) << ", not null " << p.NotNull << ", compressed "
      << p.Compressed << ", zero length " << p.AllowZeroLength << ", auto " << p.AutoIncrement
      << " seed " << p.Seed << " increment " << p.Increment << ", default '" << p.Default
      << "', description '" << p.Description << "'";
    return s.str();
}

std::string keyProps(const engine::TKeyProps& k) {
    std::ostringstream s;
    s << "type " << k.Type << " to [" << k.RelatedTable << "] update " << k.UpdateRule << " delete "
      << k.DeleteRule << " (";
    for (const auto& c : k.Columns)
        s << c.Name << "->" << c.RelatedColumn << (c.Action ? "*" : "") << " ";
    return s.str() + ")";
}

std::string indexProps(const engine::TIndexProps& i) {
    std::ostringstream s;
    s << "unique " << i.Unique << " primary " << i.PrimaryKey << " nulls " << i.IndexNulls << " (";
    for (const auto& c : i.Columns)
        s << c.Name << " " << c.SortOrder << (c.Action ? "*" : "") << " ";
    return s.str() + ")";
}

}  // namespace

std::string engineDifferences(const engine::TComparisonResult& r, bool views, bool procedures) {
    std::ostringstream out;
    const auto differs = [](const auto& list) {
        return std::any_of(list.begin(), list.end(), [](const auto& e) { return e.Action; });
    };
    for (const auto& t : r.Tables) {
        if (t.Action == engine::acEqual && !differs(t.Columns) && !differs(t.Keys) &&
            !differs(t.Indexes))
            continue;
        out << "table [" << t.Name << "] " << t.Action << "\n";
        for (const auto& c : t.Columns)
            if (c.Action)
                out << "  column [" << c.Name << "/" << c.DestinationName << "] " << c.Action
                    << ": " << props(c.Source) << " vs " << props(c.Destination) << "\n";
        for (const auto& k : t.Keys)
            if (k.Action)
                out << "  key [" << k.Name << "] " << k.Action << ": " << keyProps(k.Source)
                    << " vs " << keyProps(k.Destination) << "\n";
        for (const auto& i : t.Indexes)
            if (i.Action)
                out << "  index [" << i.Name << "] " << i.Action << ": " << indexProps(i.Source)
                    << " vs " << indexProps(i.Destination) << "\n";
    }
    if (views)
        for (const auto& v : r.Views)
            if (v.Action)
                out << "view [" << v.Name << "] " << v.Action << ": [" << v.Source.CommandText
                    << "] vs [" << v.Destination.CommandText << "]\n";
    if (procedures)
        for (const auto& q : r.Procedures)
            if (q.Action)
                out << "procedure [" << q.Name << "] " << q.Action << ": [" << q.Source.CommandText
                    << "] vs [" << q.Destination.CommandText << "]\n";
    for (const auto* list : {&r.Users, &r.Groups})
        for (const auto& p : *list) {
            if (!p.Action) continue;
            out << (list == &r.Users ? "user [" : "group [") << p.Name << "] " << p.Action << ":";
            for (const auto* side : {&p.Source, &p.Destination}) {
                for (const auto& m : side->Members)
                    if (m.Action) out << " member " << m.Name << "=" << m.Action;
                for (const auto& e : side->Permissions)
                    if (e.Action) out << " rights " << e.ObjectName << "=" << e.Rights;
            }
            out << "\n";
        }
    return out.str();
}

namespace {

class ErrorLines : public engine::CCAccessEvents {
public:
    void ErrorOccured(std::string Description) override { text += "engine: " + Description + "\n"; }
    std::string text;
};

}  // namespace

std::string compareWithEngine(const std::string& firstConnection,
                              const std::string& secondConnection,
                              const EngineCompareOptions& options) {
    const auto e = engine::CCAccess::create();
    wizard::ApplyCompareOptions(*e, wizard::OptionRules());
    e->IncludeViews(options.views);
    e->IncludeProcedures(options.procedures);
    e->CompareIncrementAndSeed(options.compareIncrementAndSeed);
    e->SourceDatabaseConnectionString(firstConnection);
    e->DestinationDatabaseConnnectionString(secondConnection);
    ErrorLines errors;
    e->setEvents(&errors);
    e->CompareDatabases();
    e->setEvents(nullptr);
    return engineDifferences(e->Result(), options.views, options.procedures) + errors.text;
}

}  // namespace oracles

// ---- Agreement of the readers on one file ----------------------------------

namespace oracles {

namespace {

std::string format(const char* pattern, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, pattern, v);
    return buf;
}

// A decimal without trailing zeros after its point ("90.0000" and "90" alike).
std::string canonicalDecimal(std::string s) {
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// "YYYY-MM-DD HH:MM:SS" again from a count of seconds since 1970.
std::string dateText(int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

// Seconds since 1970 of "YYYY-MM-DD HH:MM:SS[.mmm]" (ISO "T" and "Z" accepted);
// milliseconds round to the nearest second, as mdb-export rounds.
std::optional<int64_t> dateSeconds(const std::string& s) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, ms = 0;
    char sep = 0;
    const int n =
        std::sscanf(s.c_str(), "%d-%d-%d%c%d:%d:%d.%d", &y, &mo, &d, &sep, &h, &mi, &sec, &ms);
    if (n < 7) return std::nullopt;
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    // Hours, minutes and seconds are added apart, so that mdb-export's
    // "24:00:00" (a time that rounded up to midnight) reads as the next day.
    const int64_t day = static_cast<int64_t>(::timegm(&tm));
    return day + h * 3600 + mi * 60 + sec + (n == 8 && ms >= 500 ? 1 : 0);
}

// One text form for the values of both readers, by the npm reader's type:
// - Booleans: the npm reader's true/false as mdb-export's 1/0;
// - single and double: the npm reader gives the stored number exactly;
//   mdb-export prints it with printf's %.8g and %.16g, so the npm reader's
//   number is printed the same way;
// - currency and decimal: mdb-export pads to the column's scale; trailing
//   zeros are dropped on both sides;
// - dates: the npm reader gives milliseconds in ISO form, mdb-export whole
//   seconds (rounded): both as "YYYY-MM-DD HH:MM:SS" of the rounded second;
// - GUIDs: upper-case on both sides; binary: mdb-export's hex is upper-case,
//   the npm reader's lower-case: lower-case on both sides;
// - zero-length text, memo and binary: mdb-export takes a value of length 0
//   for Null and prints both alike, so the npm reader's empty values count as
//   Null.
// Text, memo, binary (hex) and the integer types are compared as they stand.
Value commonForm(const std::string& type, const Value& v, bool fromNpm) {
    if (!v) return v;
    const std::string& s = *v;
    if (s.empty() && (type == "text" || type == "memo" || type == "binary" || type == "ole"))
        return std::nullopt;
    if (type == "boolean" && fromNpm) return std::string(s == "true" ? "1" : "0");
    if (type == "float" && fromNpm) return format("%.8g", double(float(std::stod(s))));
    if (type == "double" && fromNpm) return format("%.16g", std::stod(s));
    if (type == "currency" || type == "numeric") return canonicalDecimal(s);
    if (type == "datetime") {
        const auto seconds = dateSeconds(s);
        return seconds ? dateText(*seconds) : "unreadable date '" + s + "'";
    }
    if (type == "repid") return upper(s);
    if (type == "binary" || type == "ole") return lower(s);
    return v;
}

TableRows inCommonForm(const TableRows& rows, const ReaderTable& types, bool fromNpm) {
    TableRows out = rows;
    for (size_t c = 0; c < out.columns.size(); ++c) {
        const auto col =
            std::find_if(types.columns.begin(), types.columns.end(),
                         [&](const ReaderColumn& x) { return x.name == out.columns[c]; });
        if (col == types.columns.end()) continue;
        for (auto& r : out.rows) r[c] = commonForm(col->type, r[c], fromNpm);
    }
    return out;
}

struct TypeWords {
    int32_t ado;
    const char* npm;
    const char* schema;
    int32_t bytes;  // the npm reader's size for a fixed-size type; -1: sized by definition
};

// The project reader's type codes with the npm reader's and mdb-schema's words.
constexpr TypeWords kTypes[] = {
    {jet::adtype::Boolean, "boolean", "Boolean", 0},
    {jet::adtype::UnsignedTinyInt, "byte", "Byte", 1},
    {jet::adtype::SmallInt, "integer", "Integer", 2},
    {jet::adtype::Integer, "long", "Long Integer", 4},
    {jet::adtype::Currency, "currency", "Currency", 8},
    {jet::adtype::Single, "float", "Single", 4},
    {jet::adtype::Double, "double", "Double", 8},
    {jet::adtype::Date, "datetime", "DateTime", 8},
    {jet::adtype::GUID, "repid", "Replication ID", 16},
    {jet::adtype::Numeric, "numeric", "Numeric", 17},
    {jet::adtype::VarWChar, "text", "Text", -1},
    {jet::adtype::WChar, "text", "Text", -1},
    {jet::adtype::LongVarWChar, "memo", "Memo/Hyperlink", 0},
    {jet::adtype::Binary, "binary", "Binary", -1},
    {jet::adtype::VarBinary, "binary", "Binary", -1},
    {jet::adtype::LongVarBinary, "ole", "OLE", 0},
};

const TypeWords* typeWords(int32_t ado) {
    for (const auto& t : kTypes)
        if (t.ado == ado) return &t;
    return nullptr;
}

bool boolProperty(const jet::ColumnData& c, int position) {
    const auto& v = c.properties[static_cast<size_t>(position)];
    return !jet::isEmpty(v) && jet::toBool(v);
}

std::string textProperty(const jet::ColumnData& c, int position) {
    const auto& v = c.properties[static_cast<size_t>(position)];
    return jet::isEmpty(v) ? std::string() : jet::toText(v);
}

bool nullable(const jet::ColumnData& c) { return (c.attributes & jet::kColumnNullable) != 0; }

std::vector<std::string> sortedNames(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

}  // namespace

namespace {

// Access 97 files store text in single bytes of their code page.
bool singleByteText(const std::string& path) {
    const auto header = jet::format::readHeader(path);
    return header && header->version == 0;
}

// The user tables whose catalog row holds no property blob. mdb-prop keeps
// the blob of the last row it read that had one and prints it for such a
// table: its output for them is not the file's.
std::set<std::string> tablesWithoutProperties(const std::string& path) {
    std::set<std::string> out;
    try {
        const jet::file::PageFile file(path);
        for (const auto& t : jet::file::FileCatalog(file).tables)
            if (!t.properties) out.insert(t.name);
    } catch (const std::exception&) {
        // A file the codec cannot read is judged by mdb-prop alone.
    }
    return out;
}

}  // namespace

std::string rowsDisagreement(const std::string& path) {
    std::ostringstream out;
    const ReaderDump npm = mdbReaderDump(path);
    const auto exported = mdbExportAll(path);
    std::vector<std::string> npmNames, exportNames;
    for (const auto& t : npm.tables) npmNames.push_back(t.name);
    for (const auto& t : exported) exportNames.push_back(t.name);
    if (sortedNames(npmNames) != sortedNames(exportNames))
        out << "tables: npm reader " << names(npmNames) << " vs mdb-export " << names(exportNames)
            << "\n";
    const auto keys = primaryKeysOf(mdbSchema(path));
    for (const auto& e : exported) {
        const ReaderTable* t = npm.table(e.name);
        if (!t) continue;
        if (t->rowCount != static_cast<int64_t>(t->rows.size()))
            out << "table [" << t->name << "]: the npm reader counts " << t->rowCount
                << " rows and gives " << t->rows.size() << "\n";
        out << tableRowDifferences(inCommonForm(t->asRows(), *t, true), inCommonForm(e, *t, false),
                                   keys(e.name));
    }
    return out.str();
}

std::string columnsDisagreement(const std::string& path) {
    std::ostringstream out;
    const ReaderDump npm = mdbReaderDump(path);
    const auto tables = readerTables(path);
    const int32_t textBytes = singleByteText(path) ? 1 : 2;
    for (const auto& t : tables) {
        const ReaderTable* n = npm.table(t.name);
        if (!n) {
            out << "table [" << t.name << "] not read by the npm reader\n";
            continue;
        }
        if (n->columns.size() != t.columns.size()) {
            out << "table [" << t.name << "]: columns " << names(namesOf(t.columns))
                << " vs the npm reader's " << names(namesOf(n->columns)) << "\n";
            continue;
        }
        for (size_t i = 0; i < t.columns.size(); ++i) {
            const jet::ColumnData& c = t.columns[i];
            const ReaderColumn& nc = n->columns[i];
            const std::string at = "table [" + t.name + "]: column [" + c.name + "]";
            if (nc.name != c.name) out << at << ": the npm reader names it [" << nc.name << "]\n";
            const TypeWords* w = typeWords(c.type);
            if (!w) {
                out << at << ": type " << c.type << " has no npm word here\n";
                continue;
            }
            if (nc.type != w->npm) out << at << ": type " << c.type << " vs " << nc.type << "\n";
            // Text sizes are in characters here, in bytes (UCS-2, or the code
            // page's in Access 97) for the npm reader.
            const int32_t expected = w->bytes >= 0       ? w->bytes
                                     : nc.type == "text" ? textBytes * c.definedSize
                                                         : c.definedSize;
            if (nc.size != expected)
                out << at << ": size " << c.definedSize << " vs the npm reader's " << nc.size
                    << " bytes\n";
            if (nc.fixedLength != ((c.attributes & jet::kColumnFixed) != 0))
                out << at << ": fixed length " << ((c.attributes & jet::kColumnFixed) != 0)
                    << " vs " << nc.fixedLength << "\n";
            // The npm reader takes nullability from the column's flags, which
            // Access leaves set even where the Required property says NOT
            // NULL: only its "not nullable" says something.
            if (!nc.nullable && nullable(c)) out << at << ": nullable vs not nullable\n";
            if (nc.autoLong !=
                (c.type == jet::adtype::Integer && boolProperty(c, jet::prop::Autoincrement)))
                out << at << ": auto-number " << boolProperty(c, jet::prop::Autoincrement) << " vs "
                    << nc.autoLong << "\n";
            if (nc.autoUUID !=
                (c.type == jet::adtype::GUID && boolProperty(c, jet::prop::AutoGenerate)))
                out << at << ": generated GUID " << boolProperty(c, jet::prop::AutoGenerate)
                    << " vs " << nc.autoUUID << "\n";
            if (c.type == jet::adtype::Numeric && (nc.precision.value_or(-1) != c.precision ||
                                                   nc.scale.value_or(-1) != c.numericScale))
                out << at << ": precision and scale " << int(c.precision) << ","
                    << int(c.numericScale) << " vs " << nc.precision.value_or(-1) << ","
                    << nc.scale.value_or(-1) << "\n";
        }
    }
    for (const auto& n : npm.tables)
        if (!findNoCase(tables, n.name))
            out << "table [" << n.name << "] read by the npm reader only\n";
    return out.str();
}

namespace {

std::string schemaIndexText(const SchemaIndex& i) {
    std::string s = i.unique ? "unique (" : "(";
    for (size_t k = 0; k < i.columns.size(); ++k)
        s += (k ? ", " : "") + i.columns[k].name + (i.columns[k].descending ? " DESC" : "");
    return s + ")";
}

// An index of the project's reader as mdb-schema prints it: a primary key's
// columns carry no order there.
std::string readerIndexText(const jet::IndexData& i) {
    std::string s = i.unique ? "unique (" : "(";
    for (size_t k = 0; k < i.columns.size(); ++k)
        s += (k ? ", " : "") + i.columns[k].name +
             (!i.primaryKey && i.columns[k].sortOrder == jet::kSortDescending ? " DESC" : "");
    return s + ")";
}

std::string relationText(const SchemaRelation& r) {
    return "[" + r.table + "].[" + r.column + "] -> [" + r.relatedTable + "].[" + r.relatedColumn +
           "]" + (r.enforced ? "" : " not enforced") +
           (r.cascadeUpdates ? " cascade updates" : "") +
           (r.cascadeDeletes ? " cascade deletes" : "");
}

}  // namespace

std::string schemaDisagreement(const std::string& path) {
    std::ostringstream out;
    const MdbSchema schema = mdbSchema(path);
    const auto tables = readerTables(path);
    // Relationships: the project reader's foreign keys against MSysRelationships
    // as a whole (mdb-export of it), and each column pair mdb-schema prints
    // against the reader's. mdb-schema (1.0) is not the whole check: on some
    // files it stops after the first relationship. Relationships that do not
    // enforce integrity are no foreign keys: the reader leaves them out.
    std::vector<std::string> relations, readerRelations, pairs, readerPairs;
    for (const auto& r : schema.relations)
        if (findNoCase(tables, r.table) && r.enforced) pairs.push_back(relationText(r));
    std::map<std::string, std::vector<RelationshipRow>> byName;
    for (const auto& r : msysRelationships(path))
        if (findNoCase(tables, r.table) && !(r.grbit & 0x2)) byName[r.name].push_back(r);
    for (auto& [name, rows] : byName) {
        std::sort(rows.begin(), rows.end(),
                  [](const auto& x, const auto& y) { return x.columnIndex < y.columnIndex; });
        std::string cols;
        for (const auto& r : rows)
            cols += (cols.empty() ? "" : ", ") + r.column + "->" + r.relatedColumn;
        const int64_t g = rows.front().grbit;
        relations.push_back(
            "[" + name + "] of [" + rows.front().table + "] to [" + rows.front().relatedTable +
            "] (" + cols + ")" + ((g & 0x100) ? " cascade updates" : "") +
            ((g & 0x1000) ? " cascade deletes" : "") + ((g & 0x2000) ? " set null" : ""));
    }
    for (const auto& t : tables) {
        for (const auto& k : t.keys) {
            if (k.type != jet::keytype::Foreign) continue;
            for (const auto& c : k.columns)
                readerPairs.push_back(relationText({t.name, c.name, k.relatedTable, c.relatedColumn,
                                                    true, k.updateRule == jet::rule::Cascade,
                                                    k.deleteRule == jet::rule::Cascade}));
            readerRelations.push_back(
                "[" + k.name + "] of [" + t.name + "] to [" + k.relatedTable + "] (" +
                keyColumnsText(k.columns) + ")" +
                (k.updateRule == jet::rule::Cascade ? " cascade updates" : "") +
                (k.deleteRule == jet::rule::Cascade ? " cascade deletes" : "") +
                (k.deleteRule == jet::rule::SetNull ? " set null" : ""));
        }
        const SchemaTable* s = schema.table(t.name);
        const std::string where = "table [" + t.name + "]";
        if (!s) {
            out << where << " not listed by mdb-schema\n";
            continue;
        }
        if (namesOf(s->columns) != namesOf(t.columns)) {
            out << where << ": columns " << names(namesOf(t.columns)) << " vs mdb-schema's "
                << names(namesOf(s->columns)) << "\n";
            continue;
        }
        for (size_t i = 0; i < t.columns.size(); ++i) {
            const jet::ColumnData& c = t.columns[i];
            const SchemaColumn& sc = s->columns[i];
            const std::string at = where + ": column [" + c.name + "]";
            const TypeWords* w = typeWords(c.type);
            if (!w || sc.type != w->schema)
                out << at << ": type " << c.type << " vs mdb-schema's " << sc.type << "\n";
            if (sc.type == "Text" && sc.size.value_or(-1) != c.definedSize)
                out << at << ": size " << c.definedSize << " vs mdb-schema's "
                    << sc.size.value_or(-1) << "\n";
            if (sc.type == "Numeric" && (sc.precision.value_or(-1) != c.precision ||
                                         sc.scale.value_or(-1) != c.numericScale))
                out << at << ": precision and scale " << int(c.precision) << ","
                    << int(c.numericScale) << " vs mdb-schema's " << sc.precision.value_or(-1)
                    << "," << sc.scale.value_or(-1) << "\n";
            // mdb-schema calls every Boolean NOT NULL, whatever Required says.
            if (sc.type != "Boolean" && sc.notNull == nullable(c))
                out << at << ": " << (nullable(c) ? "nullable" : "not null") << " vs mdb-schema's "
                    << (sc.notNull ? "NOT NULL" : "nullable") << "\n";
        }
        // mdb-schema leaves out the indexes of foreign keys (the reader names
        // them after their relationship) and gives no name for a primary key.
        std::vector<std::string> mine, theirs;
        for (const auto& i : t.indexes) {
            const bool ofForeignKey = std::any_of(t.keys.begin(), t.keys.end(), [&](const auto& k) {
                return k.type == jet::keytype::Foreign && text::equalNoCase(k.name, i.name);
            });
            if (!ofForeignKey)
                mine.push_back((i.primaryKey ? std::string("primary key") : "[" + i.name + "]") +
                               " " + readerIndexText(i));
        }
        // mdb-schema prints an empty column list where it cannot find an
        // index's columns (after a column was deleted from the table), and
        // then its other facts are not to be trusted either: those indexes are
        // compared by name alone.
        for (const auto& i : s->indexes) {
            const std::string name = i.primaryKey ? std::string("primary key") : "[" + i.name + "]";
            theirs.push_back(name + " " + schemaIndexText(i));
            if (!i.columns.empty()) continue;
            for (auto& m : mine)
                if (m.rfind(name + " ", 0) == 0) m = theirs.back();
        }
        std::sort(mine.begin(), mine.end());
        std::sort(theirs.begin(), theirs.end());
        if (mine != theirs)
            out << where << ": indexes " << names(mine) << " vs mdb-schema's " << names(theirs)
                << "\n";
    }
    for (const auto& s : schema.tables)
        if (!findNoCase(tables, s.name))
            out << "table [" << s.name << "] listed by mdb-schema only\n";
    const auto oneSide = [&](std::vector<std::string> a, std::vector<std::string> b) {
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        std::vector<std::string> only;
        std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(only));
        return only;
    };
    for (const auto& r : oneSide(readerRelations, relations))
        out << "relationship " << r << " not in MSysRelationships\n";
    for (const auto& r : oneSide(relations, readerRelations))
        out << "relationship " << r << " of MSysRelationships not read by the project's reader\n";
    for (const auto& r : oneSide(pairs, readerPairs))
        out << "relationship " << r << " printed by mdb-schema, not read by the project's reader\n";
    return out.str();
}

std::string propertiesDisagreement(const std::string& path) {
    std::ostringstream out;
    const bool jet3 = singleByteText(path);
    const std::set<std::string> blobless = tablesWithoutProperties(path);
    for (const auto& t : readerTables(path)) {
        const auto sets =
            blobless.count(t.name) ? std::vector<PropertySet>{} : mdbProp(path, t.name);
        for (const auto& c : t.columns) {
            const std::string at = "table [" + t.name + "]: column [" + c.name + "]";
            const auto set = std::find_if(sets.begin(), sets.end(),
                                          [&](const PropertySet& p) { return p.name == c.name; });
            const auto value = [&](const char* name) {
                return set == sets.end() ? std::nullopt : set->value(name);
            };
            const auto same = [&](const char* name, const std::string& mine,
                                  const std::string& theirs) {
                if (mine != theirs)
                    out << at << ": " << name << " '" << mine << "' vs mdb-prop's '" << theirs
                        << "'\n";
            };
            same("Description", textProperty(c, jet::prop::Description),
                 value("Description").value_or(""));
            same("DefaultValue", textProperty(c, jet::prop::Default),
                 value("DefaultValue").value_or(""));
            // A property that is not there reads as its plain value, "no".
            same("AllowZeroLength", boolProperty(c, jet::prop::AllowZeroLength) ? "yes" : "no",
                 value("AllowZeroLength").value_or("no"));
            // Compression is also a flag of the column's definition, which is
            // what the reader reports: the property, where there is one, agrees.
            // Access 97's definitions have no such flag: the property some of
            // their files carry says nothing the engine obeys.
            if (const auto compression = jet3 ? std::nullopt : value("UnicodeCompression"))
                same("UnicodeCompression",
                     boolProperty(c, jet::prop::CompressedUnicode) ? "yes" : "no", *compression);
        }
    }
    return out.str();
}

namespace {

struct SchemaLines {
    std::vector<std::string> lines;
    // Indexes whose columns mdb-schema could not name: table and index name.
    std::vector<std::pair<std::string, std::string>> unreadable;
};

std::string indexKey(const std::string& table, const SchemaIndex& i) {
    return "table [" + table + "] " +
           (i.primaryKey ? std::string("primary key") : "index [" + i.name + "]");
}

SchemaLines independentLines(const std::string& path) {
    SchemaLines out;
    const MdbSchema schema = mdbSchema(path);
    const std::set<std::string> blobless = tablesWithoutProperties(path);
    for (const auto& t : schema.tables) {
        out.lines.push_back("table [" + t.name + "]");
        const auto props =
            blobless.count(t.name) ? std::vector<PropertySet>{} : mdbProp(path, t.name);
        for (size_t i = 0; i < t.columns.size(); ++i) {
            const SchemaColumn& c = t.columns[i];
            std::string line = "table [" + t.name + "] column " + std::to_string(i + 1) + " [" +
                               c.name + "] " + c.type;
            if (c.size) line += " (" + std::to_string(*c.size) + ")";
            if (c.precision)
                line += " (" + std::to_string(*c.precision) + ", " +
                        std::to_string(c.scale.value_or(0)) + ")";
            if (c.notNull) line += " NOT NULL";
            const auto set = std::find_if(props.begin(), props.end(),
                                          [&](const PropertySet& p) { return p.name == c.name; });
            const auto value = [&](const char* name, const char* otherwise) {
                const auto v = set == props.end() ? std::nullopt : set->value(name);
                return v.value_or(otherwise);
            };
            line += " description '" + value("Description", "") + "' default '" +
                    value("DefaultValue", "") + "' zero length " + value("AllowZeroLength", "no") +
                    " required " + value("Required", "no");
            out.lines.push_back(std::move(line));
        }
        for (const auto& i : t.indexes) {
            out.lines.push_back(indexKey(t.name, i) + " " + schemaIndexText(i));
            if (i.columns.empty()) out.unreadable.emplace_back(t.name, indexKey(t.name, i));
        }
    }
    std::map<std::string, std::vector<RelationshipRow>> byName;
    for (const auto& r : msysRelationships(path))
        if (schema.table(r.table) && !(r.grbit & 0x2)) byName[r.name].push_back(r);
    for (auto& [name, rows] : byName) {
        std::sort(rows.begin(), rows.end(),
                  [](const auto& x, const auto& y) { return x.columnIndex < y.columnIndex; });
        std::string cols;
        for (const auto& r : rows)
            cols += (cols.empty() ? "" : ", ") + r.column + "->" + r.relatedColumn;
        out.lines.push_back("relationship [" + name + "] of [" + rows.front().table + "] to [" +
                            rows.front().relatedTable + "] (" + cols + ") rules " +
                            std::to_string(rows.front().grbit & 0x3100));
    }
    return out;
}

}  // namespace

std::string independentSchemaDifferences(const std::string& first, const std::string& second) {
    SchemaLines a = independentLines(first);
    SchemaLines b = independentLines(second);
    // An index whose columns mdb-schema cannot name on one side is compared by
    // its name and kind alone on both.
    for (const auto* unreadable : {&a.unreadable, &b.unreadable})
        for (const auto& [table, key] : *unreadable)
            for (auto* side : {&a.lines, &b.lines})
                for (auto& line : *side)
                    if (line.rfind(key + " ", 0) == 0) line = key;
    std::sort(a.lines.begin(), a.lines.end());
    std::sort(b.lines.begin(), b.lines.end());
    std::vector<std::string> onlyFirst, onlySecond;
    std::set_difference(a.lines.begin(), a.lines.end(), b.lines.begin(), b.lines.end(),
                        std::back_inserter(onlyFirst));
    std::set_difference(b.lines.begin(), b.lines.end(), a.lines.begin(), a.lines.end(),
                        std::back_inserter(onlySecond));
    std::string out;
    for (const auto& l : onlyFirst) out += "only in the first: " + l + "\n";
    for (const auto& l : onlySecond) out += "only in the second: " + l + "\n";
    return out;
}

std::string fromListSorted(const std::string& sql) {
    const std::string from = " FROM [";
    const size_t at = sql.find(from);
    if (at == std::string::npos) return sql;
    size_t i = at + from.size() - 1;
    std::vector<std::string> names;
    while (i < sql.size() && sql[i] == '[') {
        const size_t close = sql.find(']', i);
        if (close == std::string::npos) return sql;
        names.push_back(sql.substr(i, close + 1 - i));
        i = close + 1;
        if (i < sql.size() && sql[i] == ',' && i + 1 < sql.size() && sql[i + 1] == '[') ++i;
    }
    std::sort(names.begin(), names.end());
    std::string list;
    for (const auto& n : names) list += (list.empty() ? "" : ",") + n;
    return sql.substr(0, at + 6) + list + sql.substr(i);
}

std::string mdbQueriesDifferences(const std::string& first, const std::string& second) {
    const auto printed = [](const std::string& file) {
        std::map<std::string, std::string> out;
        std::istringstream list(mdbtest::run("mdb-queries -L -1 " + mdbtest::shellQuote(file)));
        for (std::string name; std::getline(list, name);) {
            if (name.empty()) continue;
            out[name] = fromListSorted(mdbtest::run("mdb-queries " + mdbtest::shellQuote(file) +
                                                      " " + mdbtest::shellQuote(name)));
        }
        return out;
    };
    const auto a = printed(first), b = printed(second);
    std::string out;
    for (const auto& [name, sql] : a) {
        auto it = b.find(name);
        if (it == b.end())
            out += "only in the first: query " + name + "\n";
        else if (it->second != sql)
            out += "query " + name + " prints\n  " + sql + "  in the first and\n  " + it->second +
                   "  in the second\n";
    }
    for (const auto& [name, sql] : b)
        if (!a.count(name)) out += "only in the second: query " + name + "\n";
    return out;
}

std::string readersDisagreement(const std::string& path) {
    return rowsDisagreement(path) + columnsDisagreement(path) + schemaDisagreement(path) +
           propertiesDisagreement(path);
}

}  // namespace oracles
