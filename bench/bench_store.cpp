// The store provider at size: builds a store of 2,000 tables x 20 columns,
// each with a primary key, two indexes and a foreign key; reports statements
// per second, the time to open it and read the full catalog the way the
// comparison engine does (every member it reads), one column property set
// through the catalog (a script's property line), one permission read (the
// engine reads every principal's rights on every object), single-row inserts
// per second in a fresh session, and the time of one ALTER COLUMN on a table
// of 100,000 rows. Targets: catalog read < 0.5 s, that ALTER < 1 s.
//
// Run by hand: build/bench/bench_store [tables] [folder to keep the files in]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/Error.h"
#include "jet/Types.h"
#include "jet/testing/StoreBuilder.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string tableSql(int i) {
    const std::string t = "[T" + std::to_string(i) + "]";
    const std::string parent = "[T" + std::to_string(i == 0 ? 0 : i - 1) + "]";
    std::string s =
        "CREATE TABLE " + t + "\r\n(\r\n[ID] COUNTER NOT NULL,\r\n[Parent] INTEGER,\r\n";
    const char* types[] = {"TEXT(50)", "MEMO",     "DOUBLE",        "DATETIME", "CURRENCY",
                           "YESNO",    "SMALLINT", "DECIMAL(18,4)", "BYTE",     "GUID"};
    for (int c = 2; c < 20; ++c)
        s += "[C" + std::to_string(c) + "] " + types[c % 10] + (c < 19 ? ",\r\n" : "\r\n");
    s += ", CONSTRAINT [PrimaryKey] PRIMARY KEY ([ID]), CONSTRAINT [FK" + std::to_string(i) +
         "] FOREIGN KEY ([Parent]) REFERENCES " + parent + " ([ID]));";
    return s;
}

// Reads every member the comparison engine reads; returns a count so that
// nothing is optimised away.
long readAll(const jet::Catalog& cat) {
    long n = 0;
    auto tables = cat.Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        auto t = tables.Item(i);
        n += static_cast<long>(t.Type().size() + t.Name().size());
        auto cols = t.Columns();
        for (int c = 0; c < cols.Count(); ++c) {
            auto col = cols.Item(c);
            n += static_cast<long>(col.Name().size()) + col.Type() + col.DefinedSize() +
                 col.NumericScale() + col.Precision() + col.Attributes();
            auto props = col.Properties();
            for (int p : {0, 1, 2, 5, 6, 12, 13})
                n += static_cast<long>(jet::toText(props.Item(p).Value()).size());
        }
        auto ix = t.Indexes();
        for (int k = 0; k < ix.Count(); ++k) {
            auto x = ix.Item(k);
            n += static_cast<long>(x.Name().size()) + x.IndexNulls() + x.PrimaryKey() + x.Unique();
            auto xc = x.Columns();
            for (int c = 0; c < xc.Count(); ++c)
                n += static_cast<long>(xc.Item(c).Name().size()) + xc.Item(c).SortOrder();
        }
        auto keys = t.Keys();
        for (int k = 0; k < keys.Count(); ++k) {
            auto key = keys.Item(k);
            n += static_cast<long>(key.Name().size() + key.RelatedTable().size()) + key.Type() +
                 key.UpdateRule() + key.DeleteRule();
            auto kc = key.Columns();
            for (int c = 0; c < kc.Count(); ++c)
                n +=
                    static_cast<long>(kc.Item(c).Name().size() + kc.Item(c).RelatedColumn().size());
        }
    }
    auto views = cat.Views();
    for (int i = 0; i < views.Count(); ++i)
        n += static_cast<long>(views.Item(i).Command().CommandText().size());
    auto procs = cat.Procedures();
    for (int i = 0; i < procs.Count(); ++i) {
        auto cmd = procs.Item(i).Command();
        n += static_cast<long>(cmd.CommandText().size()) + cmd.Parameters().Count();
    }
    return n;
}

}  // namespace

// Opens an existing store and reads its catalog, several times.
int readOnly(const std::string& path) {
    for (int round = 0; round < 5; ++round) {
        auto start = Clock::now();
        jet::Catalog cat;
        cat.ActiveConnection(jet::testing::storeConnectionString(path));
        const double open = seconds(start);
        start = Clock::now();
        const long n = readAll(cat);
        std::printf("open %.3f s, full read %.3f s [%ld]\n", open, seconds(start), n);
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--read") return readOnly(argv[2]);
    const int tables = argc > 1 ? std::atoi(argv[1]) : 2000;
    const bool keep = argc > 2;
    const auto dir = keep ? std::filesystem::path(argv[2])
                          : std::filesystem::temp_directory_path() / "parabase-bench-store";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "big.sdb").string();
    try {
        jet::Catalog::Create(jet::testing::storeConnectionString(path));
        jet::Connection conn;
        conn.Open(jet::testing::storeConnectionString(path));

        auto start = Clock::now();
        long statements = 0;
        for (int i = 0; i < tables; ++i) {
            const std::string t = "[T" + std::to_string(i) + "]";
            conn.Execute(tableSql(i));
            conn.Execute("CREATE INDEX [IxC2] ON " + t + " ([C2] ASC);");
            conn.Execute("CREATE UNIQUE INDEX [IxC12] ON " + t +
                         " ([C12] ASC,[C3] DESC) WITH IGNORE NULL;");
            statements += 3;
        }
        for (int i = 0; i < 20; ++i) {
            conn.Execute("CREATE PROCEDURE [Q" + std::to_string(i) + "] AS SELECT * FROM [T" +
                         std::to_string(i) + "]");
            conn.Execute("CREATE PROCEDURE [P" + std::to_string(i) +
                         "] AS PARAMETERS [p] LONG; DELETE FROM [T" + std::to_string(i) +
                         "] WHERE [ID] = [p]");
            statements += 2;
        }
        const double build = seconds(start);
        std::printf(
            "build: %ld statements in %.2f s = %.0f statements/s (%d tables x 20 columns)\n",
            statements, build, static_cast<double>(statements) / build, tables);
        conn.Close();

        // A fresh session, as the engine has: open, then read everything.
        start = Clock::now();
        jet::Catalog cat;
        cat.ActiveConnection(jet::testing::storeConnectionString(path));
        const double open = seconds(start);
        start = Clock::now();
        const long n = readAll(cat);
        const double first = seconds(start);
        start = Clock::now();
        (void)readAll(cat);
        const double second = seconds(start);
        std::printf(
            "catalog: open %.3f s, full read %.3f s (first, snapshot built), %.3f s (again) "
            "[%ld]\n",
            open, first, second, n);

        // The runner's column-property lines: one property set through the
        // catalog, the catalog read again between them.
        {
            jet::Connection pc;
            pc.Open(jet::testing::storeConnectionString(path));
            jet::Catalog pcat;
            pcat.ActiveConnection(pc);
            const int writes = std::min(tables, 200);
            start = Clock::now();
            for (int i = 0; i < writes; ++i)
                pcat.Tables()
                    .Item("T" + std::to_string(i))
                    .Columns()
                    .Item("C2")
                    .Properties()
                    .Item(jet::prop::Description)
                    .Value(jet::Variant("note " + std::to_string(i)));
            std::printf("column property: %d writes, %.2f ms each\n", writes,
                        seconds(start) * 1000 / writes);
        }

        // The engine's permission lists: every principal's rights on the
        // database and on every table, view and procedure, through a
        // workgroup of 20 users and 20 groups.
        {
            const std::string wg = (dir / "big.sdw").string();
            std::string accounts;
            for (int i = 0; i < 20; ++i)
                accounts += "CREATE USER [u" + std::to_string(i) + "];\nCREATE GROUP [g" +
                            std::to_string(i) + "];\n";
            jet::testing::buildWorkgroup(wg, accounts);
            jet::Catalog wcat;
            wcat.ActiveConnection(jet::testing::storeConnectionString(path, wg));
            std::vector<std::pair<std::string, int32_t>> objects;
            const auto all = wcat.Tables();
            for (int t = 0; t < all.Count(); ++t)
                if (all.Item(t).Type() == "TABLE")
                    objects.emplace_back(all.Item(t).Name(), jet::objtype::Table);
            const auto procs = wcat.Procedures();
            for (int q = 0; q < procs.Count(); ++q)
                objects.emplace_back(procs.Item(q).Name(), jet::objtype::Procedure);
            const auto views = wcat.Views();
            for (int q = 0; q < views.Count(); ++q)
                objects.emplace_back(views.Item(q).Name(), jet::objtype::View);
            start = Clock::now();
            long calls = 0;
            long sum = 0;
            const auto rightsOf = [&](const auto& principals) {
                for (int p = 0; p < principals.Count(); ++p) {
                    const auto who = principals.Item(p);
                    sum += who.GetPermissions("", jet::objtype::Database);
                    ++calls;
                    for (const auto& [name, type] : objects) {
                        sum += who.GetPermissions(name, type);
                        ++calls;
                    }
                }
            };
            rightsOf(wcat.Users());
            rightsOf(wcat.Groups());
            const double perms = seconds(start);
            std::printf("permissions: %ld reads in %.3f s = %.1f us each [%ld]\n", calls, perms,
                        perms * 1e6 / static_cast<double>(calls), sum);
        }

        // One ALTER COLUMN on 100,000 rows.
        jet::Connection c2;
        c2.Open(jet::testing::storeConnectionString(path));
        c2.Execute(
            "CREATE TABLE [Big] ([ID] LONG CONSTRAINT [PK] PRIMARY KEY, [Val] LONG, [Txt] "
            "TEXT(40))");
        c2.Execute("CREATE INDEX [IxVal] ON [Big] ([Val])");
        start = Clock::now();
        for (int i = 1; i <= 3125; ++i)
            c2.Execute("INSERT INTO [Big] VALUES (" + std::to_string(i) + ", " +
                       std::to_string(i * 7) + ", 'row number " + std::to_string(i) + "')");
        const double inserts = seconds(start);
        std::printf("insert: 3125 single-row statements in %.2f s = %.0f statements/s\n", inserts,
                    3125 / inserts);
        for (int rows = 3125; rows < 100000; rows *= 2)
            c2.Execute("INSERT INTO [Big] ([ID], [Val], [Txt]) SELECT [ID] + " +
                       std::to_string(rows) + ", [Val], [Txt] FROM [Big]");
        start = Clock::now();
        c2.Execute("ALTER TABLE [Big] ALTER COLUMN [Val] DOUBLE;");
        const double alter = seconds(start);
        start = Clock::now();
        c2.Execute("ALTER TABLE [Big] ALTER COLUMN [Txt] TEXT(20);");
        const double alterText = seconds(start);
        std::printf("alter column on 100000 rows: LONG->DOUBLE %.3f s, TEXT(40)->TEXT(20) %.3f s\n",
                    alter, alterText);
    } catch (const jet::Error& e) {
        std::fprintf(stderr, "failed: %s\n", e.description().c_str());
        return 1;
    }
    if (!keep) std::filesystem::remove_all(dir);
    return 0;
}
