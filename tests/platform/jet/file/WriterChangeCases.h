#pragma once
// Changes on populated Access files, one statement kind at a time, failures
// included: the writer's tests apply each to a copy of its fixture; the store
// twin of the fixture takes the same script to give the expected schema.
#include <algorithm>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "JetOracles.h"

namespace oracles::changes {

// The rows a change leaves, from the rows before it (mdb-export's or the npm
// reader's, in the same form).
using RowChange = std::function<void(std::vector<TableRows>&)>;

inline TableRows& tableOf(std::vector<TableRows>& all, const std::string& name) {
    for (auto& t : all)
        if (t.name == name) return t;
    throw std::runtime_error("no table " + name);
}

inline size_t columnAt(const TableRows& t, const std::string& column) {
    const auto it = std::find(t.columns.begin(), t.columns.end(), column);
    if (it == t.columns.end()) throw std::runtime_error("no column " + column);
    return static_cast<size_t>(it - t.columns.begin());
}

inline RowChange unchanged() {
    return [](std::vector<TableRows>&) {};
}

// A new column: Null in every row.
inline RowChange added(std::string table, std::string column) {
    return [=](std::vector<TableRows>& all) {
        TableRows& t = tableOf(all, table);
        t.columns.push_back(column);
        for (auto& r : t.rows) r.emplace_back(std::nullopt);
    };
}

// A new counter: the rows numbered in the order the reader gives them, from
// `seed`, as Jet numbers them.
inline RowChange numbered(std::string table, std::string column, int seed) {
    return [=](std::vector<TableRows>& all) {
        TableRows& t = tableOf(all, table);
        t.columns.push_back(column);
        int next = seed;
        for (auto& r : t.rows) r.emplace_back(std::to_string(next++));
    };
}

inline RowChange dropped(std::string table, std::string column) {
    return [=](std::vector<TableRows>& all) {
        TableRows& t = tableOf(all, table);
        const size_t at = columnAt(t, column);
        t.columns.erase(t.columns.begin() + static_cast<std::ptrdiff_t>(at));
        for (auto& r : t.rows) r.erase(r.begin() + static_cast<std::ptrdiff_t>(at));
    };
}

// The rename triple: the column's values under the new name, at the end.
inline RowChange renamed(std::string table, std::string column, std::string to) {
    return [=](std::vector<TableRows>& all) {
        TableRows& t = tableOf(all, table);
        const size_t at = columnAt(t, column);
        t.columns.erase(t.columns.begin() + static_cast<std::ptrdiff_t>(at));
        t.columns.push_back(to);
        for (auto& r : t.rows) {
            Value v = r[at];
            r.erase(r.begin() + static_cast<std::ptrdiff_t>(at));
            r.push_back(std::move(v));
        }
    };
}

inline RowChange newTable(std::string table, std::vector<std::string> columns) {
    return [=](std::vector<TableRows>& all) { all.push_back({table, columns, {}}); };
}

inline RowChange droppedTable(std::string table) {
    return [=](std::vector<TableRows>& all) {
        all.erase(std::remove_if(all.begin(), all.end(),
                                 [&](const TableRows& t) { return t.name == table; }),
                  all.end());
    };
}

struct ChangeCase {
    const char* name;
    const char* fixture;
    // Jet SQL statements, applied one after the other, then the blocks.
    std::vector<std::string> statements;
    std::string blocks;
    // Empty: every statement succeeds. Otherwise the one statement fails with
    // Jet's error, which holds this text, and the file stays as it was.
    const char* error = "";
    RowChange rows = unchanged();
};

inline void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

inline std::string scriptOf(const ChangeCase& c) {
    std::string s;
    for (const auto& statement : c.statements) s += statement + "\r\n\r\nRUN\r\n\r\n";
    return s + "\r\n" + c.blocks;
}

inline constexpr const char* kComptoir = "teaching/Comptoir2000.mdb";
inline constexpr const char* kWide = "jackcess/test2V2000.mdb";
inline constexpr const char* kRefGlobal = "jackcess/testRefGlobalV2000.mdb";
// Encoded (RC4) pages, SIDs masked; its MSysRelationships holds a row that no
// reader can decode.
inline constexpr const char* kEncoded = "secured/kontener.mdb";

inline std::vector<ChangeCase> changeCases() {
    const auto ok = [](const char* name, const char* fixture, std::vector<std::string> statements,
                       RowChange rows = unchanged(), std::string blocks = {}) {
        return ChangeCase{name, fixture,        std::move(statements), std::move(blocks),
                          "",   std::move(rows)};
    };
    const auto refused = [](const char* name, const char* fixture, std::string statement,
                            const char* error) {
        return ChangeCase{name, fixture, {std::move(statement)}, {}, error, unchanged()};
    };
    return {
        ok("CreateIndexOnNumbers", kComptoir,
           {"CREATE INDEX [ixPrix] ON [Produit] ([PrixUnit] DESC, [UnitesStock] ASC)"}),
        ok("CreateUniqueIndexWithPrimary", kRefGlobal,
           {"DROP INDEX [PrimaryKey] ON [Table3]",
            "CREATE UNIQUE INDEX [PrimaryKey] ON [Table3] ([a]) WITH PRIMARY"}),
        ok("CreateIndexIgnoreNull", kComptoir,
           {"CREATE INDEX [ixEnv] ON [Commande] ([DateEnv]) WITH IGNORE NULL"}),
        refused("CreateUniqueIndexOverDuplicates", kComptoir,
                "CREATE UNIQUE INDEX [uqFour] ON [Produit] ([NoFour])",
                "would create duplicate values in the index"),
        refused("CreateIndexDisallowNullOverNulls", kComptoir,
                "CREATE INDEX [ixEnvoi] ON [Commande] ([DateEnv]) WITH DISALLOW NULL",
                "cannot contain a Null value"),
        ok("DropIndex", kComptoir, {"DROP INDEX [Date commande] ON [Commande]"}),
        ok("DropAndAddForeignKey", kComptoir,
           {"ALTER TABLE [Commande] DROP CONSTRAINT [ClientCommande]",
            "ALTER TABLE [Commande] ADD CONSTRAINT [ClientCommande] FOREIGN KEY ([CodeCli]) "
            "REFERENCES [Client] ([CodeCli]) ON UPDATE CASCADE ON DELETE CASCADE"}),
        refused("AddForeignKeyThatRowsViolate", kComptoir,
                "ALTER TABLE [DetailCommande] ADD CONSTRAINT [fkBad] FOREIGN KEY ([Refprod]) "
                "REFERENCES [Categorie] ([CodeCateg])",
                "violates referential integrity"),
        ok("AddUniqueConstraint", kRefGlobal,
           {"ALTER TABLE [Table1] ADD CONSTRAINT [uqE] UNIQUE ([E])"}),
        ok("CreateTableOfEveryType", kComptoir,
           {"CREATE TABLE [Nouveau] ([Id] COUNTER(10,1) CONSTRAINT [PrimaryKey] PRIMARY KEY, "
            "[b] YESNO, [y] BYTE, [s] SMALLINT, [i] INTEGER, [f] SINGLE, [d] DOUBLE, "
            "[m] CURRENCY, [t] DATETIME, [g] GUID, [n] DECIMAL(10,2), "
            "[x] TEXT(30) WITH COMPRESSION, [c] CHAR(4), [memo] MEMO, [bin] BINARY(8), "
            "[vb] VARBINARY(16), [ole] OLEOBJECT, [req] TEXT(10) NOT NULL, [cat] LONG, "
            "CONSTRAINT [fkNouveau] FOREIGN KEY ([cat]) REFERENCES [Categorie] ([CodeCateg]))"},
           newTable("Nouveau", {"Id", "b", "y", "s", "i", "f", "d", "m", "t", "g", "n", "x", "c",
                                "memo", "bin", "vb", "ole", "req", "cat"})),
        ok("DropTable", kWide, {"DROP TABLE [MSP_PROJECTS]"}, droppedTable("MSP_PROJECTS")),
        ok("AddColumn", kComptoir, {"ALTER TABLE [Client] ADD COLUMN [Note] TEXT(40)"},
           added("Client", "Note")),
        // The rows hold null in it, as in the store and in Jet: the first step of
        // the generator's rename of a required column.
        ok("AddNotNullColumnToAPopulatedTable", kComptoir,
           {"ALTER TABLE [Client] ADD COLUMN [Obligatoire] LONG NOT NULL"},
           added("Client", "Obligatoire")),
        // Jet 4 files keep no counter step other than 1 that any reader knows of.
        refused("CounterWithAStepOtherThanOne", kComptoir,
                "CREATE TABLE [Pas] ([Id] COUNTER(1,5))", "increment is not 1"),
        // Jet numbers the rows a new counter finds; its next number comes after them.
        ok("AddCounterToAPopulatedTable", kComptoir,
           {"ALTER TABLE [DetailCommande] ADD COLUMN [RowNo] COUNTER"},
           numbered("DetailCommande", "RowNo", 1)),
        ok("AddSeededCounterToAPopulatedTable", kComptoir,
           {"ALTER TABLE [Client] ADD COLUMN [RowNo] COUNTER(100, 1)"},
           numbered("Client", "RowNo", 100)),
        // A Jet table holds one counter at most.
        refused("ASecondCounter", kComptoir, "ALTER TABLE [Categorie] ADD COLUMN [N] AUTOINCREMENT",
                "more than one AutoNumber field"),
        ok("DropColumn", kComptoir, {"ALTER TABLE [Fournisseur] DROP COLUMN [Fax]"},
           dropped("Fournisseur", "Fax")),
        // Whole numbers print alike as LONG and as DOUBLE: the rows read the same.
        ok("AlterColumnLongToDouble", kComptoir,
           {"ALTER TABLE [DetailCommande] ALTER COLUMN [PrixUnit] DOUBLE"}),
        ok("AlterColumnTextSize", kComptoir,
           {"ALTER TABLE [Client] ALTER COLUMN [Tel] TEXT(30) WITH COMPRESSION"}),
        ok("AlterColumnCompressionOff", kComptoir,
           {"ALTER TABLE [Client] ALTER COLUMN [Fax] TEXT(24)"}),
        refused("AlterColumnNotNullOverNulls", kComptoir,
                "ALTER TABLE [Client] ALTER COLUMN [Region] TEXT(15) NOT NULL",
                "cannot contain a Null value"),
        refused("AlterColumnValueThatDoesNotConvert", kWide,
                "ALTER TABLE [MSP_PROJECTS] ALTER COLUMN [RESERVED_BINARY_DATA] TEXT(255)",
                "Data type conversion error"),
        ok("RenameTriple", kComptoir,
           {"ALTER TABLE [Client] ADD COLUMN [Telephone] TEXT(24) WITH COMPRESSION",
            "UPDATE [Client] SET [Telephone]=[Tel]", "ALTER TABLE [Client] DROP COLUMN [Tel]"},
           renamed("Client", "Tel", "Telephone")),
        ok("ColumnProperties", kComptoir, {}, unchanged(),
           "<JET:COLUMNS>\r\nClient;Tel;2;T\u00e9l\u00e9phone du client\r\nClient;Fax;1;'aucun'\r\n"
           "Client;Region;13;-1\r\nCommande;Destinataire;2;\r\n</JET:COLUMNS>\r\n\r\n"),
    };
}

// The same kinds of change on populated Access 97 files: text in the file's
// code page, a byte a character; keys in the General 97 sort order.
inline constexpr const char* kNwind = "mdbtestdata/nwind.mdb";
inline constexpr const char* kLibrary = "jet3/Library97.mdb";
inline constexpr const char* kJet3Small = "jackcess/testV1997.mdb";
inline constexpr const char* kJet3Wide = "jackcess/test2V1997.mdb";

inline std::vector<ChangeCase> jet3ChangeCases() {
    const auto ok = [](const char* name, const char* fixture, std::vector<std::string> statements,
                       RowChange rows = unchanged(), std::string blocks = {}) {
        return ChangeCase{name, fixture,        std::move(statements), std::move(blocks),
                          "",   std::move(rows)};
    };
    const auto refused = [](const char* name, const char* fixture, std::string statement,
                            const char* error) {
        return ChangeCase{name, fixture, {std::move(statement)}, {}, error, unchanged()};
    };
    return {
        ok("CreateIndexOnNumbers", kNwind,
           {"CREATE INDEX [ixPrice] ON [Products] ([UnitPrice] DESC, [UnitsInStock] ASC)"}),
        ok("CreateIndexOnText", kLibrary,
           {"CREATE INDEX [ixName] ON [Members] ([LastName], [FirstName] DESC)"}),
        ok("CreateUniqueIndexWithPrimary", kJet3Small,
           {"DROP INDEX [PrimaryKey] ON [Table1]",
            "CREATE UNIQUE INDEX [PrimaryKey] ON [Table1] ([A]) WITH PRIMARY"}),
        ok("CreateIndexIgnoreNull", kNwind,
           {"CREATE INDEX [ixShipRegion] ON [Orders] ([ShipRegion]) WITH IGNORE NULL"}),
        refused("CreateUniqueIndexOverDuplicates", kNwind,
                "CREATE UNIQUE INDEX [uqCity] ON [Customers] ([City])",
                "would create duplicate values in the index"),
        refused("CreateIndexDisallowNullOverNulls", kNwind,
                "CREATE INDEX [ixRegion] ON [Customers] ([Region]) WITH DISALLOW NULL",
                "cannot contain a Null value"),
        ok("DropIndex", kNwind, {"DROP INDEX [City] ON [Customers]"}),
        ok("DropAndAddForeignKey", kNwind,
           {"ALTER TABLE [Orders] DROP CONSTRAINT [CustomersOrders]",
            "ALTER TABLE [Orders] ADD CONSTRAINT [CustomersOrders] FOREIGN KEY ([CustomerID]) "
            "REFERENCES [Customers] ([CustomerID]) ON UPDATE CASCADE"}),
        refused("AddForeignKeyThatRowsViolate", kNwind,
                "ALTER TABLE [Order Details] ADD CONSTRAINT [fkBad] FOREIGN KEY ([ProductID]) "
                "REFERENCES [Categories] ([CategoryID])",
                "violates referential integrity"),
        ok("AddUniqueConstraint", kJet3Small,
           {"ALTER TABLE [Table1] ADD CONSTRAINT [uqE] UNIQUE ([E])"}),
        // Every type Access 97 has: no DECIMAL, and text kept uncompressed.
        ok("CreateTableOfEveryType", kNwind,
           {"CREATE TABLE [Neu] ([Id] COUNTER(10,1) CONSTRAINT [PrimaryKey] PRIMARY KEY, "
            "[b] YESNO, [y] BYTE, [s] SMALLINT, [i] INTEGER, [f] SINGLE, [d] DOUBLE, "
            "[m] CURRENCY, [t] DATETIME, [g] GUID, [x] TEXT(30), [c] CHAR(4), [memo] MEMO, "
            "[bin] BINARY(8), [vb] VARBINARY(16), [ole] OLEOBJECT, [req] TEXT(10) NOT NULL, "
            "[cat] LONG, "
            "CONSTRAINT [fkNeu] FOREIGN KEY ([cat]) REFERENCES [Categories] ([CategoryID]))"},
           newTable("Neu", {"Id", "b", "y", "s", "i", "f", "d", "m", "t", "g", "x", "c", "memo",
                            "bin", "vb", "ole", "req", "cat"})),
        refused("CreateTableWithDecimal", kNwind,
                "CREATE TABLE [Dezimal] ([Id] LONG, [n] DECIMAL(10,2))",
                "Syntax error in field definition."),
        refused("AddDecimalColumn", kLibrary,
                "ALTER TABLE [Fine] ADD COLUMN [Amount] DECIMAL(10,2)",
                "Syntax error in field definition."),
        ok("DropTable", kJet3Wide, {"DROP TABLE [MSP_PROJECTS]"}, droppedTable("MSP_PROJECTS")),
        ok("DropTableOfANameOutsideAscii", kNwind, {"DROP TABLE [Ums\u00e4tze]"},
           droppedTable("Ums\u00e4tze")),
        ok("AddColumn", kNwind, {"ALTER TABLE [Customers] ADD COLUMN [Note] TEXT(40)"},
           added("Customers", "Note")),
        ok("AddNotNullColumnToAPopulatedTable", kLibrary,
           {"ALTER TABLE [Members] ADD COLUMN [Required] LONG NOT NULL"},
           added("Members", "Required")),
        ok("AddCounterToAPopulatedTable", kNwind,
           {"ALTER TABLE [Order Details] ADD COLUMN [RowNo] COUNTER"},
           numbered("Order Details", "RowNo", 1)),
        ok("AddSeededCounterToAPopulatedTable", kNwind,
           {"ALTER TABLE [Customers] ADD COLUMN [RowNo] COUNTER(100, 1)"},
           numbered("Customers", "RowNo", 100)),
        refused("ASecondCounter", kNwind, "ALTER TABLE [Categories] ADD COLUMN [N] AUTOINCREMENT",
                "more than one AutoNumber field"),
        ok("DropColumn", kNwind, {"ALTER TABLE [Suppliers] DROP COLUMN [Fax]"},
           dropped("Suppliers", "Fax")),
        ok("DropColumnOfAWideTable", kJet3Wide,
           {"ALTER TABLE [MSP_PROJECTS] DROP COLUMN [PROJ_INFO_CAL_NAME]"},
           dropped("MSP_PROJECTS", "PROJ_INFO_CAL_NAME")),
        ok("AlterColumnLongToDouble", kLibrary,
           {"ALTER TABLE [Books] ALTER COLUMN [IssueCounter] DOUBLE"}),
        ok("AlterColumnTextSize", kNwind,
           {"ALTER TABLE [Customers] ALTER COLUMN [Phone] TEXT(30)"}),
        refused("AlterColumnNotNullOverNulls", kNwind,
                "ALTER TABLE [Customers] ALTER COLUMN [Region] TEXT(15) NOT NULL",
                "cannot contain a Null value"),
        refused("AlterColumnValueThatDoesNotConvert", kNwind,
                "ALTER TABLE [Customers] ALTER COLUMN [Phone] LONG", "Data type conversion error"),
        refused("AlterColumnBinaryThatDoesNotConvert", kJet3Wide,
                "ALTER TABLE [MSP_PROJECTS] ALTER COLUMN [RESERVED_BINARY_DATA] TEXT(255)",
                "Data type conversion error"),
        ok("RenameTriple", kNwind,
           {"ALTER TABLE [Customers] ADD COLUMN [Telephone] TEXT(24)",
            "UPDATE [Customers] SET [Telephone]=[Phone]",
            "ALTER TABLE [Customers] DROP COLUMN [Phone]"},
           renamed("Customers", "Phone", "Telephone")),
        ok("ColumnProperties", kLibrary, {}, unchanged(),
           "<JET:COLUMNS>\r\nMembers;Tel;2;T\u00e9l\u00e9phone du "
           "membre\r\nMembers;Email;1;'aucun'\r\n"
           "Members;Address;13;-1\r\nBooks;Condition;2;\r\n</JET:COLUMNS>\r\n\r\n"),
        // Text the file's code page (1252) cannot hold fails its statement.
        refused("TableNameOutsideTheCodePage", kNwind, "CREATE TABLE [\u8868] ([Id] LONG)",
                "code page"),
        refused("DefaultOutsideTheCodePage", kLibrary,
                "ALTER TABLE [Members] ADD COLUMN [Note] TEXT(10) DEFAULT '\u4e2d'", "code page"),
        refused("ColumnNameOutsideTheCodePage", kNwind,
                "ALTER TABLE [Customers] ADD COLUMN [\u540d] TEXT(10)", "code page"),
        refused("IndexNameOutsideTheCodePage", kLibrary,
                "CREATE INDEX [\u7d22\u5f15] ON [Members] ([LastName])", "code page"),
        refused("KeyNameOutsideTheCodePage", kLibrary,
                "CREATE TABLE [Neu] ([Id] LONG CONSTRAINT [\u4e3b\u952e] PRIMARY KEY)",
                "code page"),
    };
}

// The same kinds of change on an encoded database.
inline std::vector<ChangeCase> encodedChangeCases() {
    const auto ok = [](const char* name, std::vector<std::string> statements,
                       RowChange rows = unchanged(), std::string blocks = {}) {
        return ChangeCase{name, kEncoded, std::move(statements), std::move(blocks),
                          "",   std::move(rows)};
    };
    const auto refused = [](const char* name, std::string statement, const char* error) {
        return ChangeCase{name, kEncoded, {std::move(statement)}, {}, error, unchanged()};
    };
    return {
        ok("EncodedCreateTable",
           {"CREATE TABLE [Yangi] ([Id] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY, "
            "[Nomi] TEXT(20), [Soni] LONG)"},
           newTable("Yangi", {"Id", "Nomi", "Soni"})),
        ok("EncodedAddColumn", {"ALTER TABLE [Kontener] ADD COLUMN [Izoh2] TEXT(40)"},
           added("Kontener", "Izoh2")),
        ok("EncodedCreateIndex", {"CREATE INDEX [ixQator] ON [60] ([Qator], [Pachka] DESC)"}),
        ok("EncodedDropColumn", {"ALTER TABLE [Hisobot] DROP COLUMN [Izoh]"},
           dropped("Hisobot", "Izoh")),
        ok("EncodedAlterColumn", {"ALTER TABLE [Kontener] ALTER COLUMN [Qator] DOUBLE"}),
        ok("EncodedDropTable", {"DROP TABLE [Hisobot]"}, droppedTable("Hisobot")),
        ok("EncodedColumnProperties", {}, unchanged(),
           "<JET:COLUMNS>\r\nKontener;Zona;2;Saqlash zonasi\r\n</JET:COLUMNS>\r\n\r\n"),
        // Its relationships cannot be read whole: they are not changed.
        refused("EncodedForeignKeyOverAnUnreadableRelationshipRow",
                "CREATE TABLE [Bola] ([Id] LONG CONSTRAINT [pkBola] PRIMARY KEY, "
                "[Ota] LONG CONSTRAINT [fkBola] REFERENCES [Bola] ([Id]))",
                "MSysRelationships holds a row that cannot be read"),
    };
}

}  // namespace oracles::changes
