#include <gtest/gtest.h>

#include "jet/Catalog.h"
#include "jet/Error.h"
#include "jet/testing/FaultyCatalog.h"
#include "jet/testing/MemoryCatalog.h"

namespace {

jet::CatalogData sample() {
    jet::CatalogData d;
    jet::TableData orders;
    orders.name = "orders";
    jet::ColumnData id;
    id.name = "ID";
    id.type = jet::adtype::Integer;
    id.attributes = 0;
    id.properties[jet::prop::Autoincrement] = true;
    jet::ColumnData note;
    note.name = "Note";
    note.type = jet::adtype::VarWChar;
    note.definedSize = 50;
    note.properties[jet::prop::Description] = std::string("remarks");
    orders.columns = {id, note};
    orders.indexes = {{"PrimaryKey", true, true, 1, {{"ID", 1}}}, {"ix", false, false, 0, {{"Note", 2}}}};
    jet::TableData alpha;
    alpha.name = "Alpha";
    d.tables = {orders, alpha};
    d.views = {{"QView", "SELECT * FROM orders", {}}};
    d.procedures = {{"Proc", "PARAMETERS [p] Long; DELETE FROM orders", {{"p", 3, 4}}}};
    d.hasWorkgroup = true;
    d.users = {{"bob", {"Admins", "Nobody"}, ""}};
    d.groups = {{"Admins", {"bob"}, ""}};
    return d;
}

TEST(CatalogHandles, OrderAndViewEntries) {
    auto cat = jet::testing::memoryCatalog(sample());
    auto tables = cat.Tables();
    ASSERT_EQ(tables.Count(), 3);
    EXPECT_EQ(tables.Item(0).Name(), "Alpha");
    EXPECT_EQ(tables.Item(1).Name(), "orders");
    EXPECT_EQ(tables.Item(2).Name(), "QView");
    EXPECT_EQ(tables.Item(2).Type(), "VIEW");
    auto ix = tables.Item("ORDERS").Indexes();
    EXPECT_EQ(ix.Item(0).Name(), "ix");  // case-insensitive order
    EXPECT_EQ(ix.Item(1).Columns().Item(0).Name(), "ID");
}

TEST(CatalogHandles, ItemsByNameAndPosition) {
    auto cat = jet::testing::memoryCatalog(sample());
    auto cols = cat.Tables().Item("Orders").Columns();
    EXPECT_EQ(cols.Item("note").DefinedSize(), 50);
    EXPECT_EQ(jet::toText(cols.Item(1).Properties().Item(2).Value()), "remarks");
    EXPECT_EQ(cols.Item(0).Properties().Item("Autoincrement").Name(), "Autoincrement");
    EXPECT_TRUE(jet::toBool(cols.Item(0).Properties().Item(0).Value()));
    for (auto bad : {-1, 2}) {
        try {
            (void)cols.Item(bad);
            FAIL();
        } catch (const jet::Error& e) {
            EXPECT_EQ(e.number(), jet::hr::ItemNotFound);
        }
    }
    EXPECT_THROW((void)cols.Item("missing"), jet::Error);
    EXPECT_THROW((void)cols.Item(0).Properties().Item(15), jet::Error);
}

TEST(CatalogHandles, QueriesAndPrincipals) {
    auto cat = jet::testing::memoryCatalog(sample());
    auto proc = cat.Procedures().Item(0);
    EXPECT_EQ(proc.Command().Parameters().Item(0).Size(), 4);
    EXPECT_EQ(cat.Views().Item("qview").Command().CommandText(), "SELECT * FROM orders");
    // A member the other list lacks is left out.
    EXPECT_EQ(cat.Users().Item("BOB").Groups().Count(), 1);
    EXPECT_EQ(cat.Groups().Item(0).Users().Item(0).Name(), "bob");
}

TEST(CatalogHandles, UsersNeedAWorkgroup) {
    auto d = sample();
    d.hasWorkgroup = false;
    auto cat = jet::testing::memoryCatalog(d);
    try {
        (void)cat.Users();
        FAIL();
    } catch (const jet::Error& e) {
        EXPECT_EQ(e.number(), jet::errorEntry(jet::Err::NoWorkgroup).number);
    }
    EXPECT_THROW((void)cat.Groups(), jet::Error);
}

TEST(CatalogHandles, UnboundCatalogFails) {
    jet::Catalog cat;
    EXPECT_THROW((void)cat.Tables(), jet::Error);
}

TEST(FaultyCatalog, FailsTheChosenMemberOnly) {
    auto cat = jet::testing::memoryCatalog(sample());
    auto plan = jet::testing::injectFaults(
        cat, {{.object = "Property", .path = "orders/Note", .member = "Value", .position = 12,
               .number = -5, .description = "boom"}});
    auto col = cat.Tables().Item("orders").Columns().Item("Note");
    EXPECT_NO_THROW((void)col.Properties().Item(13).Value());
    try {
        (void)col.Properties().Item(12).Value();
        FAIL();
    } catch (const jet::Error& e) {
        EXPECT_EQ(e.number(), -5);
        EXPECT_EQ(e.description(), "boom");
    }
    EXPECT_EQ(plan->hits(0), 1);
}

TEST(FaultyCatalog, SkipAndTimes) {
    auto cat = jet::testing::memoryCatalog(sample());
    jet::testing::injectFaults(cat, {{.object = "Tables", .member = "Count", .skip = 1, .times = 1}});
    EXPECT_NO_THROW((void)cat.Tables().Count());
    EXPECT_THROW((void)cat.Tables().Count(), jet::Error);
    EXPECT_NO_THROW((void)cat.Tables().Count());
}

}  // namespace
