// End to end over store databases built from Jet SQL text: what a change of
// the schema gives in the record.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "TestSupport.h"
#include "jet/testing/StoreBuilder.h"

using namespace enginetest;
using namespace engine;

namespace {

constexpr const char* kBase =
    "CREATE TABLE Customers (ID COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, Name TEXT(50) NOT NULL,"
    " Credit DECIMAL(18,4), Notes MEMO);"
    "CREATE TABLE Orders (ID LONG CONSTRAINT PrimaryKey PRIMARY KEY, CustomerID LONG"
    " CONSTRAINT CustomersOrders REFERENCES Customers (ID) ON UPDATE CASCADE, Placed DATETIME);"
    "CREATE INDEX ByName ON Customers (Name);"
    "CREATE VIEW Recent AS SELECT * FROM Orders WHERE Placed > #2020-01-01#;"
    "CREATE PROCEDURE DropCustomer AS PARAMETERS Which LONG; DELETE FROM Customers WHERE ID = Which;";

struct StoreCase {
    const char* what;
    std::string source;
    std::string destination;
    std::string expected;
    bool matchColumns = false;
};

class Store : public ::testing::TestWithParam<StoreCase> {};

TEST_P(Store, RecordsExactlyTheChange) {
    const StoreCase& c = GetParam();
    testsupport::TempDir dir;
    jet::testing::buildStore(dir.file("s.sdb"), c.source);
    jet::testing::buildStore(dir.file("d.sdb"), c.destination);
    const auto e = CCAccess::create();
    e->MatchColumns(c.matchColumns);
    e->SourceDatabaseConnectionString(jet::testing::storeConnectionString(dir.file("s.sdb")));
    e->DestinationDatabaseConnnectionString(jet::testing::storeConnectionString(dir.file("d.sdb")));
    Recorder rec;
    e->setEvents(&rec);
    ASSERT_TRUE(e->CompareDatabases());
    EXPECT_EQ(summary(e->Result()), c.expected) << c.what;
    EXPECT_TRUE(rec.errors.empty());
    EXPECT_EQ(e->ProgressPosition(), e->ProgressTotal());
}

const std::string base = kBase;

INSTANTIATE_TEST_SUITE_P(
    Engine, Store,
    ::testing::Values(
        StoreCase{"the same schema", base, base, ""},
        StoreCase{"names in other letter case", base,
                  "CREATE TABLE CUSTOMERS (id COUNTER CONSTRAINT PRIMARYKEY PRIMARY KEY, NAME TEXT(50) NOT NULL,"
                  " credit DECIMAL(18,4), notes MEMO);"
                  "CREATE TABLE orders (id LONG CONSTRAINT primarykey PRIMARY KEY, customerid LONG"
                  " CONSTRAINT customersorders REFERENCES customers (id) ON UPDATE CASCADE, placed DATETIME);"
                  "CREATE INDEX BYNAME ON customers (name);"
                  "CREATE VIEW RECENT AS select * from orders where placed > #2020-01-01#;"
                  "CREATE PROCEDURE dropcustomer AS PARAMETERS which LONG; DELETE FROM Customers WHERE ID = Which;",
                  ""},
        StoreCase{"a column only in the destination", base,
                  base + "ALTER TABLE Orders ADD COLUMN Shipped DATETIME;", "Orders:1; Orders.Shipped:2"},
        StoreCase{"a column only in the source", base + "ALTER TABLE Orders ADD COLUMN Shipped DATETIME;",
                  base, "Orders:1; Orders.Shipped:3"},
        StoreCase{"a text size", base, base + "ALTER TABLE Customers ALTER COLUMN Name TEXT(60) NOT NULL;",
                  "Customers:1; Customers.Name:1"},
        StoreCase{"required or not", base, base + "ALTER TABLE Customers ALTER COLUMN Name TEXT(50);",
                  "Customers:1; Customers.Name:1"},
        StoreCase{"decimal precision and scale", base,
                  base + "ALTER TABLE Customers ALTER COLUMN Credit DECIMAL(10,2);",
                  "Customers:1; Customers.Credit:1"},
        StoreCase{"a renamed column, not matched",
                  "CREATE TABLE T (ID LONG, Old TEXT(10), X LONG);", "CREATE TABLE T (ID LONG, New TEXT(10), X LONG);",
                  "T:1; T.Old:3; T.New:2"},
        StoreCase{"a renamed column, matched by position",
                  "CREATE TABLE T (ID LONG, Old TEXT(10), X LONG);", "CREATE TABLE T (ID LONG, New TEXT(10), X LONG);",
                  "", true},
        StoreCase{"an update rule", base,
                  base + "ALTER TABLE Orders DROP CONSTRAINT CustomersOrders;"
                         "ALTER TABLE Orders ADD CONSTRAINT CustomersOrders FOREIGN KEY (CustomerID)"
                         " REFERENCES Customers (ID);",
                  "Orders:1; Orders.key CustomersOrders:1"},
        StoreCase{"a delete rule", base,
                  base + "ALTER TABLE Orders DROP CONSTRAINT CustomersOrders;"
                         "ALTER TABLE Orders ADD CONSTRAINT CustomersOrders FOREIGN KEY (CustomerID)"
                         " REFERENCES Customers (ID) ON UPDATE CASCADE ON DELETE CASCADE;",
                  "Orders:1; Orders.key CustomersOrders:1"},
        StoreCase{"a foreign key to another table",
                  "CREATE TABLE A (ID LONG CONSTRAINT PA PRIMARY KEY); CREATE TABLE B (ID LONG CONSTRAINT PB PRIMARY KEY);"
                  "CREATE TABLE C (X LONG CONSTRAINT FK REFERENCES A (ID));",
                  "CREATE TABLE A (ID LONG CONSTRAINT PA PRIMARY KEY); CREATE TABLE B (ID LONG CONSTRAINT PB PRIMARY KEY);"
                  "CREATE TABLE C (X LONG CONSTRAINT FK REFERENCES B (ID));",
                  "C:1; C.key FK:1"},
        StoreCase{"an index only in the destination", base, base + "CREATE INDEX ByPlaced ON Orders (Placed);",
                  "Orders:1; Orders.index ByPlaced:2; Orders.index ByPlaced.dst Placed:2"},
        StoreCase{"a unique index", base,
                  base + "DROP INDEX ByName ON Customers; CREATE UNIQUE INDEX ByName ON Customers (Name);",
                  // The store lists a unique index among the keys as well.
                  "Customers:1; Customers.key ByName:2; Customers.key ByName.dst Name:2;"
                  " Customers.index ByName:1"},
        StoreCase{"a descending index column: the index differs, and so does its table", base,
                  base + "DROP INDEX ByName ON Customers; CREATE INDEX ByName ON Customers (Name DESC);",
                  "Customers:1; Customers.index ByName:1; Customers.index ByName.src Name:1; Customers.index ByName.dst Name:1"},
        StoreCase{"a view's text", base,
                  base + "DROP VIEW Recent; CREATE VIEW Recent AS SELECT ID FROM Orders;", "view Recent:1"},
        StoreCase{"a procedure's parameter type", base,
                  base + "DROP PROCEDURE DropCustomer; CREATE PROCEDURE DropCustomer AS PARAMETERS Which TEXT(10);"
                         " DELETE FROM Customers WHERE ID = Which;",
                  "proc DropCustomer:1; proc DropCustomer.src Which:1; proc DropCustomer.dst Which:1"},
        StoreCase{"objects on one side only", base + "CREATE TABLE Extra (ID LONG CONSTRAINT PK PRIMARY KEY);",
                  base + "CREATE VIEW Names AS SELECT Name FROM Customers;",
                  "Extra:3; Extra.ID:3; Extra.key PK:3; Extra.key PK.src ID:3; Extra.index PK:3;"
                  " Extra.index PK.src ID:3; view Names:2"}),
    CaseIndex{});

TEST(Store, UsersAndGroupsWithTheirRights) {
    testsupport::TempDir dir;
    const std::string sw = dir.file("s.sdw"), dw = dir.file("d.sdw");
    jet::testing::buildWorkgroup(sw, "CREATE USER ann secret; CREATE GROUP Staff; ADD USER ann TO Staff;"
                                     "CREATE USER bob;");
    jet::testing::buildWorkgroup(dw, "CREATE USER ANN secret; CREATE GROUP Staff; CREATE USER cy;");
    const std::string schema = "CREATE TABLE T (ID LONG);";
    jet::testing::buildStore(dir.file("s.sdb"), schema + "GRANT SELECT ON TABLE T TO ann;", sw);
    jet::testing::buildStore(dir.file("d.sdb"), schema, dw);

    const auto e = CCAccess::create();
    e->SourceDatabaseConnectionString(jet::testing::storeConnectionString(dir.file("s.sdb"), sw));
    e->DestinationDatabaseConnnectionString(jet::testing::storeConnectionString(dir.file("d.sdb"), dw));
    Recorder rec;
    e->setEvents(&rec);
    ASSERT_TRUE(e->CompareDatabases());
    EXPECT_TRUE(rec.errors.empty());
    const auto& r = e->Result();

    auto user = [&](const std::string& name) -> const TPrincipal& {
        for (const auto& u : r.Users)
            if (u.Name == name) return u;
        throw std::runtime_error("no user " + name);
    };
    const TPrincipal& ann = user("ann");
    EXPECT_EQ(ann.Action, acDifferent);
    ASSERT_EQ(ann.Source.Members.UBound(), 2);  // Staff and the built-in Users
    bool staffOnlyHere = false;
    for (const auto& m : ann.Source.Members) staffOnlyHere |= m.Name == "Staff" && m.Action == acOnlyInSource;
    EXPECT_TRUE(staffOnlyHere);
    ASSERT_EQ(ann.Source.Permissions.UBound(), 2);
    EXPECT_EQ(ann.Source.Permissions[2].ObjectName, "T");
    EXPECT_EQ(ann.Source.Permissions[2].Action, acDifferent);
    EXPECT_NE(ann.Source.Permissions[2].Rights, ann.Destination.Permissions[2].Rights);
    EXPECT_EQ(user("bob").Action, acOnlyInSource);
    EXPECT_EQ(user("cy").Action, acOnlyInDestination);
    EXPECT_EQ(user("admin").Action, acEqual);
    EXPECT_EQ(e->ProgressPosition(), e->ProgressTotal());
}

}  // namespace
