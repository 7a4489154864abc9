// The reply of the reader process: what is encoded decodes to the same, and
// anything that is not exactly one reply is refused (never read past its end).
#include <gtest/gtest.h>

#include "jet/mdb/Snapshot.h"

namespace jet::mdb {
namespace {

ReadReply sampleReply() {
    ReadReply r;
    r.detail = "ok";
    auto& s = r.snapshot;
    s.jetVersion = 1;
    TableData t;
    t.name = "Orders";
    ColumnData c;
    c.name = "OrderID";
    c.type = 3;
    c.definedSize = 4;
    c.precision = 10;
    c.attributes = 3;
    c.properties[prop::Autoincrement] = true;
    c.properties[prop::Seed] = int32_t{11078};
    c.properties[prop::Description] = std::string("Unique order number.");
    t.columns.push_back(c);
    IndexData x;
    x.name = "PrimaryKey";
    x.unique = x.primaryKey = true;
    x.indexNulls = 1;
    x.columns.push_back({"OrderID", 2});
    t.indexes.push_back(x);
    KeyData k;
    k.name = "CustomersOrders";
    k.type = 2;
    k.relatedTable = "Customers";
    k.updateRule = 1;
    k.columns.push_back({"CustomerID", "CustomerID"});
    t.keys.push_back(k);
    s.tables.push_back(t);
    s.queries.push_back({"Q", "PARAMETERS [a] Long;\r\nUPDATE T SET x = [a];"});
    s.objects.push_back({"Orders", 1, 23});
    s.aces.push_back({23, "0301", 0xFFFFF});
    s.accounts.push_back({"admin", "0301", false});
    s.memberships.push_back({"0201", "0301"});
    return r;
}

TEST(Snapshot, RoundTripKeepsEveryField) {
    const auto original = sampleReply();
    const auto bytes = encodeReply(original);
    const auto back = decodeReply(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(encodeReply(*back), bytes);
    const auto& t = back->snapshot.tables.at(0);
    EXPECT_EQ(t.columns.at(0).properties[prop::Seed], Variant{int32_t{11078}});
    EXPECT_EQ(t.columns.at(0).properties[prop::Autoincrement], Variant{true});
    EXPECT_TRUE(isEmpty(t.columns.at(0).properties[prop::Increment]));
    EXPECT_EQ(t.indexes.at(0).columns.at(0).sortOrder, 2);
    EXPECT_EQ(t.keys.at(0).relatedTable, "Customers");
    EXPECT_EQ(back->snapshot.queries.at(0).sql, original.snapshot.queries.at(0).sql);
    EXPECT_EQ(back->snapshot.aces.at(0).mask, 0xFFFFF);
}

TEST(Snapshot, EveryTruncationAndAnyTrailingByteIsRefused) {
    const auto bytes = encodeReply(sampleReply());
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(decodeReply(std::string_view(bytes).substr(0, n)).has_value()) << n;
    EXPECT_FALSE(decodeReply(bytes + "x").has_value());
}

// Flipping any byte may give another well-formed reply, but must never read
// out of bounds or reserve memory for counts the bytes cannot hold.
TEST(Snapshot, FlippedBytesDecodeOrFailWithoutHarm) {
    const auto bytes = encodeReply(sampleReply());
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (unsigned char mask : {0x01, 0x80, 0xFF}) {
            auto damaged = bytes;
            damaged[i] = static_cast<char>(damaged[i] ^ mask);
            (void)decodeReply(damaged);
        }
    }
    std::string huge = bytes.substr(0, 6 + 1 + 4 + 2 + 4);  // magic, status, detail, version
    huge += std::string("\xff\xff\xff\x7f", 4);             // a table count far beyond the bytes
    EXPECT_FALSE(decodeReply(huge).has_value());
}

TEST(Snapshot, UnknownStatusIsRefused) {
    auto bytes = encodeReply(sampleReply());
    bytes[6] = 9;
    EXPECT_FALSE(decodeReply(bytes).has_value());
}

}  // namespace
}  // namespace jet::mdb
