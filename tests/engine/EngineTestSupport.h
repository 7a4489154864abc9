#pragma once
// Helpers of the engine tests: small hand-made catalogs for either side, an
// engine bound to them (optionally with injected faults), and a recorder of
// the engine's events.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "engine/CCAccess.h"
#include "jet/CatalogData.h"
#include "jet/Types.h"
#include "jet/testing/FaultyCatalog.h"
#include "jet/testing/MemoryCatalog.h"

namespace enginetest {

// An element's name and code, for comparing lists of elements in one line.
struct Entry {
    std::string name;
    int32_t action;
    bool operator==(const Entry&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Entry& e) {
    return os << "{" << e.name << ", " << e.action << "}";
}

template <class List>
std::vector<Entry> entries(const List& list) {
    std::vector<Entry> out;
    for (const auto& e : list) out.push_back({e.Name, e.Action});
    return out;
}

using namespace jet;

// A column with the facts its type reports, nullable, every property at the
// provider's plain value.
inline ColumnData col(std::string name, int32_t type = adtype::Integer, int32_t size = 0) {
    ColumnData c;
    c.name = std::move(name);
    c.type = type;
    const TypeFacts f = typeFacts(type);
    c.definedSize = size != 0 ? size : f.definedSize;
    c.precision = f.precision;
    c.numericScale = f.numericScale;
    c.attributes = kColumnNullable | (f.fixedLength ? kColumnFixed : 0);
    c.properties[prop::Autoincrement] = false;
    c.properties[prop::Default] = std::string();
    c.properties[prop::Description] = std::string();
    c.properties[prop::Nullable] = true;
    c.properties[prop::FixedLength] = f.fixedLength;
    c.properties[prop::Seed] = 1;
    c.properties[prop::Increment] = 1;
    c.properties[prop::CompressedUnicode] = false;
    c.properties[prop::AllowZeroLength] = false;
    return c;
}

inline ColumnData textColumn(std::string name, int32_t size = 50) {
    return col(std::move(name), adtype::VarWChar, size);
}

inline ColumnData counter(std::string name, int32_t seed = 1, int32_t increment = 1) {
    ColumnData c = col(std::move(name), adtype::Integer);
    c.attributes &= ~kColumnNullable;
    c.properties[prop::Autoincrement] = true;
    c.properties[prop::Seed] = seed;
    c.properties[prop::Increment] = increment;
    return c;
}

inline ColumnData decimal(std::string name, uint8_t precision, uint8_t scale) {
    ColumnData c = col(std::move(name), adtype::Numeric);
    c.precision = precision;
    c.numericScale = scale;
    return c;
}

inline ColumnData with(ColumnData c, int position, Variant value) {
    c.properties[static_cast<size_t>(position)] = std::move(value);
    return c;
}

inline IndexData makeIndex(std::string name, std::vector<IndexColumnData> columns, bool unique = false,
                       bool primaryKey = false, int32_t nulls = indexnulls::Allow) {
    IndexData ix;
    ix.name = std::move(name);
    ix.columns = std::move(columns);
    ix.unique = unique;
    ix.primaryKey = primaryKey;
    ix.indexNulls = nulls;
    return ix;
}

inline KeyData makeKey(std::string name, int32_t type, std::vector<KeyColumnData> columns,
                   std::string relatedTable = {}, int32_t updateRule = rule::None,
                   int32_t deleteRule = rule::None) {
    KeyData k;
    k.name = std::move(name);
    k.type = type;
    k.columns = std::move(columns);
    k.relatedTable = std::move(relatedTable);
    k.updateRule = updateRule;
    k.deleteRule = deleteRule;
    return k;
}

inline TableData makeTable(std::string name, std::vector<ColumnData> columns,
                       std::vector<IndexData> indexes = {}, std::vector<KeyData> keys = {},
                       std::string type = "TABLE") {
    TableData t;
    t.name = std::move(name);
    t.columns = std::move(columns);
    t.indexes = std::move(indexes);
    t.keys = std::move(keys);
    t.type = std::move(type);
    return t;
}

inline QueryData query(std::string name, std::string text, std::vector<ParameterData> parameters = {}) {
    return QueryData{std::move(name), std::move(text), std::move(parameters)};
}

inline PrincipalData principal(std::string name, std::vector<std::string> members = {}) {
    PrincipalData p;
    p.name = std::move(name);
    p.members = std::move(members);
    return p;
}

// One side of a comparison: its schema, its rights, the faults of its catalog.
struct Side {
    CatalogData data;
    jet::testing::PermissionMap rights;
    std::vector<jet::testing::Fault> faults;
    std::shared_ptr<jet::testing::FaultPlan> plan;  // set when the catalog was made
};

inline constexpr const char* kSourceWithWorkgroup =
    "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=src.mdb;Jet OLEDB:System database=w.mdw";
inline constexpr const char* kDestination = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=dst.mdb";

// An engine whose catalogs are memory catalogs over the two sides. The sides
// are read when CompareDatabases binds, so tests may change them until then.
struct Bench {
    Side source;
    Side destination;
    std::shared_ptr<engine::CCAccess> engine = engine::CCAccess::create();

    Bench() {
        engine->SourceDatabaseConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=src.mdb");
        engine->DestinationDatabaseConnnectionString(kDestination);
        engine->setCatalogFactory([this](engine::CompareSide side, const std::string&) {
            Side& s = side == engine::csSource ? source : destination;
            Catalog c = jet::testing::memoryCatalog(s.data, s.rights);
            if (!s.faults.empty()) s.plan = jet::testing::injectFaults(c, s.faults);
            return c;
        });
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    // Users and groups are compared only with a workgroup named in the source string.
    void withWorkgroup() {
        source.data.hasWorkgroup = true;
        destination.data.hasWorkgroup = true;
        engine->SourceDatabaseConnectionString(kSourceWithWorkgroup);
    }

    const engine::TComparisonResult& compare() {
        EXPECT_TRUE(engine->CompareDatabases());
        return engine->Result();
    }
};

struct ComparingEvent {
    std::string name;
    int32_t kind;
    int32_t total;
    int32_t current;
    bool operator==(const ComparingEvent&) const = default;
};

class Recorder : public engine::CCAccessEvents {
public:
    void Comparing(std::string ObjectName, int32_t ObjectType, int32_t TotalObjectCount,
                   int32_t CurrentObjectNo) override {
        events.push_back({std::move(ObjectName), ObjectType, TotalObjectCount, CurrentObjectNo});
    }
    void ErrorOccured(std::string Description) override { errors.push_back(std::move(Description)); }

    std::vector<ComparingEvent> events;
    std::vector<std::string> errors;
};

// Rights of one principal on one object, for a PermissionMap.
inline void grant(jet::testing::PermissionMap& map, PrincipalKind kind, std::string_view principalName,
                  int32_t objectType, std::string_view object, int32_t rights) {
    map[jet::testing::permissionKey(kind, principalName, objectType, object)] = rights;
}

// Every element of a record whose code is not acEqual, one item per element,
// joined by "; " in record order: "T:1", "T.Col:2", "T.key FK:1",
// "T.key FK.src Col:3", "T.index IX:1", "view V:1", "proc P.dst x:2",
// "user U:1", "user U.member.src G:3", "group G.dst perm T:1". Empty when all is
// equal.
inline std::string summary(const engine::TComparisonResult& r) {
    std::string out;
    auto add = [&](const std::string& item, int32_t action) {
        if (action == engine::acEqual) return;
        if (!out.empty()) out += "; ";
        out += item + ":" + std::to_string(action);
    };
    auto halves = [&](const std::string& prefix, const auto& source, const auto& destination) {
        for (const auto& c : source) add(prefix + ".src " + c.Name, c.Action);
        for (const auto& c : destination) add(prefix + ".dst " + c.Name, c.Action);
    };
    for (const auto& t : r.Tables) {
        add(t.Name, t.Action);
        for (const auto& c : t.Columns) add(t.Name + "." + c.Name, c.Action);
        for (const auto& k : t.Keys) {
            add(t.Name + ".key " + k.Name, k.Action);
            halves(t.Name + ".key " + k.Name, k.Source.Columns, k.Destination.Columns);
        }
        for (const auto& ix : t.Indexes) {
            add(t.Name + ".index " + ix.Name, ix.Action);
            halves(t.Name + ".index " + ix.Name, ix.Source.Columns, ix.Destination.Columns);
        }
    }
    for (const auto& v : r.Views) add("view " + v.Name, v.Action);
    for (const auto& p : r.Procedures) {
        add("proc " + p.Name, p.Action);
        halves("proc " + p.Name, p.Source.Parameters, p.Destination.Parameters);
    }
    auto principals = [&](const char* kind, const auto& list) {
        for (const auto& p : list) {
            const std::string prefix = std::string(kind) + " " + p.Name;
            add(prefix, p.Action);
            halves(prefix + ".member", p.Source.Members, p.Destination.Members);
            for (const auto& e : p.Source.Permissions) add(prefix + ".src perm " + e.ObjectName, e.Action);
            for (const auto& e : p.Destination.Permissions)
                add(prefix + ".dst perm " + e.ObjectName, e.Action);
        }
    };
    principals("user", r.Users);
    principals("group", r.Groups);
    return out;
}

// Names parameterised cases by their position: "Case0", "Case1", ...
struct CaseIndex {
    template <class Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& param) const {
        return "Case" + std::to_string(param.index);
    }
};

}  // namespace enginetest
