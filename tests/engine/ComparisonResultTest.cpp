// The result record's arrays: 1-based, element 0 unused, and valid after a move.
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "engine/ComparisonResult.h"

using namespace engine;

namespace {

TComparisonResult filled() {
    TComparisonResult r;
    auto& t = r.Tables.Append();
    t.Name = "Orders";
    t.Columns.Append().Name = "Id";
    t.Indexes.Append().Source.Columns.Append().Name = "Id";
    r.Views.Append().Name = "V";
    r.Procedures.Append().Name = "P";
    r.Users.Append().Source.Permissions.Append().ObjectName = "Orders";
    r.Groups.Append().Name = "Users";
    return r;
}

// Every array of the record reads as empty: upper bound 0, nothing to iterate.
void expectEmpty(const TComparisonResult& r) {
    EXPECT_EQ(r.Tables.UBound(), 0);
    EXPECT_EQ(r.Views.UBound(), 0);
    EXPECT_EQ(r.Procedures.UBound(), 0);
    EXPECT_EQ(r.Users.UBound(), 0);
    EXPECT_EQ(r.Groups.UBound(), 0);
    EXPECT_TRUE(r.Tables.empty());
    EXPECT_EQ(r.Tables.begin(), r.Tables.end());
    EXPECT_EQ(r.Users.begin(), r.Users.end());
    size_t seen = 0;
    for (const auto& t : r.Tables) seen += t.Name.size() + 1;
    EXPECT_EQ(seen, 0u);
    EXPECT_EQ(r, TComparisonResult{});
}

TEST(ComparisonResult, AMovedFromRecordIsValidAndEmpty) {
    TComparisonResult source = filled();
    const TComparisonResult copy = source;
    const TComparisonResult moved = std::move(source);
    EXPECT_EQ(moved, copy);
    EXPECT_EQ(moved.Tables[1].Columns[1].Name, "Id");
    expectEmpty(source);  // what is under test

    TComparisonResult target = filled();
    TComparisonResult other = filled();
    target = std::move(other);
    EXPECT_EQ(target, copy);
    expectEmpty(other);
}

TEST(ComparisonResult, AMovedFromArrayGrowsAgainFromElementOne) {
    ElementArray<TColumn> a;
    a.Append().Name = "a";
    ElementArray<TColumn> b = std::move(a);
    EXPECT_EQ(a.UBound(), 0);
    EXPECT_THROW((void)a[1], std::out_of_range);
    a.Append().Name = "again";
    EXPECT_EQ(a.UBound(), 1);
    EXPECT_EQ(a[1].Name, "again");

    EXPECT_EQ(b[1].Name, "a");

    // Every way of sizing an array works on a moved-from one.
    b = std::move(a);
    a.RedimPreserve(2);
    EXPECT_EQ(a.UBound(), 2);
    EXPECT_EQ(a[2].Name, "");
    b = std::move(a);
    a.Redim(1);
    EXPECT_EQ(a.UBound(), 1);
    b = std::move(a);
    a.Clear();
    EXPECT_EQ(a.UBound(), 0);
    EXPECT_EQ(a, ElementArray<TColumn>{});
}

}  // namespace
