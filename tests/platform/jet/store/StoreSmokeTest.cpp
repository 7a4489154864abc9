#include <gtest/gtest.h>

#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/Error.h"
#include "jet/testing/StoreBuilder.h"

namespace {

using jet::testing::buildStore;
using jet::testing::storeConnectionString;

TEST(StoreSmoke, BuildAndRead) {
    testsupport::TempDir dir;
    const auto db = dir.file("a.sdb");
    try {
        buildStore(db, R"(
CREATE TABLE [Customers] ([ID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY, [Name] TEXT(50) NOT NULL WITH COMPRESSION, [Born] DATETIME);
CREATE TABLE [Orders] ([OrderID] LONG, [CustomerID] LONG, [Total] CURRENCY,
  CONSTRAINT [PK] PRIMARY KEY ([OrderID]),
  CONSTRAINT [CustomersOrders] FOREIGN KEY ([CustomerID]) REFERENCES [Customers] ([ID]) ON DELETE CASCADE);
CREATE UNIQUE INDEX [ixName] ON [Customers] ([Name] DESC) WITH IGNORE NULL;
CREATE PROCEDURE [ByName] AS PARAMETERS [n] TEXT(50); SELECT * FROM Customers WHERE Name = [n];
CREATE VIEW [AllCustomers] AS SELECT * FROM Customers;
INSERT INTO [Customers] ([Name], [Born]) VALUES ('Ann', #1/2/1990#);
INSERT INTO [Customers] ([Name]) VALUES ('Bob');
INSERT INTO [Orders] VALUES (1, 1, 12.5);
)");
    } catch (const jet::Error& e) {
        FAIL() << e.description();
    }
    jet::Catalog cat;
    cat.ActiveConnection(storeConnectionString(db));
    auto tables = cat.Tables();
    for (int i = 0; i < tables.Count(); ++i) std::cout << tables.Item(i).Name() << " " << tables.Item(i).Type() << "\n";
    auto c = cat.Tables().Item("customers");
    EXPECT_EQ(c.Columns().Count(), 3);
    EXPECT_EQ(c.Keys().Count(), 2);
    EXPECT_EQ(cat.Procedures().Item(0).Command().Parameters().Count(), 1);
    EXPECT_EQ(cat.Views().Count(), 1);
    auto rows = jet::testing::storeRows(db, "SELECT ID, Name, Born FROM Customers ORDER BY ID");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(*rows[0][0], "1");
    EXPECT_EQ(*rows[1][0], "2");
    EXPECT_EQ(*rows[0][2], "1990-01-02 00:00:00");
    jet::Connection conn;
    conn.Open(storeConnectionString(db));
    EXPECT_EQ(conn.Execute("DELETE FROM Customers WHERE Name = 'ann'"), 1);
    EXPECT_TRUE(jet::testing::storeRows(db, "SELECT * FROM Orders").empty());
    conn.Execute("\r\nALTER TABLE [Customers] ALTER COLUMN [Name] TEXT(10);\r\n\r\n");
    EXPECT_EQ(cat.Tables().Item("customers").Columns().Item("Name").DefinedSize(), 10);
}

}  // namespace
