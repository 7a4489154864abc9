// Script generation for two 2,000-table databases that differ everywhere, every
// element selected: changed, added, dropped and renamed columns, keys and
// indexes on every table, views and procedures that name each other, users and
// groups with memberships and permissions.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/ComparisonResult.h"
#include "script/Script.h"

namespace {

using namespace engine;

TColumnProps side(int16_t type, int32_t size, const std::string& description) {
    TColumnProps p;
    p.Type = type;
    p.DefinedSize = size;
    p.Increment = 1;
    p.Description = description;
    p.Default = "0";
    return p;
}

TComparisonResult differentDatabases(int32_t tables, int32_t queries, int32_t principals) {
    TComparisonResult r;
    for (int32_t t = 1; t <= tables; ++t) {
        TTable& table = r.Tables.Append();
        const std::string name = "Table" + std::to_string(t);
        table.Name = name;
        table.Selected = true;
        table.Action = t % 10 == 0   ? acOnlyInSource
                       : t % 10 == 1 ? acOnlyInDestination
                                     : acDifferent;
        for (int32_t c = 1; c <= 12; ++c) {
            TColumn& col = table.Columns.Append();
            col.Name = "Col" + std::to_string(c);
            col.DestinationName = col.Name;
            const int32_t kind = c % 4;
            col.Action = table.Action != acDifferent ? table.Action
                         : kind == 0                 ? acOnlyInSource
                         : kind == 1                 ? acOnlyInDestination
                                                     : acDifferent;
            if (col.Action != acOnlyInDestination) col.Source = side(202, 50 + c, "source " + name);
            if (col.Action != acOnlyInSource) col.Destination = side(c % 2 ? 202 : 3, 40, "dest");
            if (col.Action == acOnlyInSource) col.DestinationName.clear();
            if (kind == 3 && col.Action == acDifferent) col.DestinationName = "Old" + col.Name;
        }
        for (int32_t k = 1; k <= 3; ++k) {
            TKey& key = table.Keys.Append();
            key.Name = name + "FK" + std::to_string(k);
            key.Action = table.Action == acDifferent ? acDifferent : table.Action;
            for (TKeyProps* h : {&key.Source, &key.Destination}) {
                h->Type = 2;
                h->RelatedTable = "Table" + std::to_string(t % tables + 1);
                h->UpdateRule = 1;
                auto& kc = h->Columns.Append();
                kc.Name = "Col2";
                kc.RelatedColumn = "Col2";
            }
        }
        for (int32_t i = 1; i <= 4; ++i) {
            TIndex& index = table.Indexes.Append();
            index.Name = i == 1 ? name + "FK1" : "Index" + std::to_string(i);
            index.Action = table.Action == acDifferent ? acDifferent : table.Action;
            for (TIndexProps* h : {&index.Source, &index.Destination}) {
                h->Unique = i == 2;
                h->IndexNulls = static_cast<int16_t>(i % 3);
                // Index2 is the unique key on Col2 that the relationships refer
                // to (the target refuses a relationship without one).
                for (int32_t c = 1; c <= (i == 2 ? 1 : 2); ++c) {
                    auto& ic = h->Columns.Append();
                    ic.Name = "Col" + std::to_string(i == 2 ? 2 : c + i);
                    ic.SortOrder = static_cast<int16_t>(c);
                }
            }
        }
    }
    for (int32_t q = 1; q <= queries; ++q) {
        TView& v = r.Views.Append();
        v.Name = "View" + std::to_string(q);
        v.Selected = true;
        v.Action = acDifferent;
        v.Source.CommandText = "SELECT * FROM Table" + std::to_string(q) + " INNER JOIN View" +
                               std::to_string(q + 1) + " ON Col1 = Col2;";
        v.Destination.CommandText = "SELECT 1;";
        TProcedure& p = r.Procedures.Append();
        p.Name = "Proc" + std::to_string(q);
        p.Selected = true;
        p.Action = acOnlyInSource;
        p.Source.CommandText =
            "PARAMETERS x Long;\r\nDELETE FROM Table" + std::to_string(q) + " WHERE Col1 = x;";
    }
    for (int32_t n = 1; n <= principals; ++n) {
        for (auto* list : {&r.Groups, &r.Users}) {
            TPrincipal& p = list->Append();
            p.Name = (list == &r.Users ? "user" : "group") + std::to_string(n);
            p.Selected = true;
            p.Action = n % 2 ? acOnlyInSource : acDifferent;
            if (list == &r.Users) p.Source.Members.Append() = TMember{"group1", acOnlyInSource};
            auto& db = p.Source.Permissions.Append();
            db = TPermission{acDifferent, "Database", 3, 0, 8};
            for (int32_t t = 1; t <= tables; t += 7)
                p.Source.Permissions.Append() =
                    TPermission{acDifferent, r.Tables[t].Name, 1, t, 12};
        }
    }
    return r;
}

// Argument: the direction (0 source to destination, 1 destination to source).
void BM_GenerateScript(benchmark::State& state) {
    const TComparisonResult r = differentDatabases(2000, 500, 50);
    script::ScriptOptions o;
    o.DropOppositeObjects = true;
    const auto direction = static_cast<script::ScriptDirection>(state.range(0));
    size_t bytes = 0;
    for (auto _ : state) {
        const script::TScript s = script::GenerateScript(r, o, direction, true);
        bytes = s.Statements.size() + s.Blocks.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["script_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_GenerateScript)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
