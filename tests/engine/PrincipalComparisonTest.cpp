// Users and groups: membership and permissions.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"

using namespace enginetest;
using namespace engine;

namespace {

struct Perm {
    std::string name;
    int32_t type;
    int32_t action;
    int32_t rights;
    bool operator==(const Perm&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Perm& p) {
    return os << "{" << p.name << ", " << p.type << ", " << p.action << ", " << p.rights << "}";
}

std::vector<Perm> perms(const ElementArray<TPermission>& list) {
    std::vector<Perm> out;
    for (const auto& p : list) out.push_back({p.ObjectName, p.ObjectType, p.Action, p.Rights});
    return out;
}

constexpr auto U = PrincipalKind::User;
constexpr auto G = PrincipalKind::Group;

// Objects: T in both, S only in the source, D only in the destination, the
// procedure P and the view V in both.
void objects(Bench& b) {
    b.withWorkgroup();
    b.source.data.tables = {makeTable("S", {col("A")}), makeTable("T", {col("A")})};
    b.destination.data.tables = {makeTable("D", {col("A")}), makeTable("T", {col("A")})};
    for (Side* s : {&b.source, &b.destination}) {
        s->data.procedures = {query("P", "DELETE FROM T")};
        s->data.views = {query("V", "SELECT * FROM T")};
    }
}

}  // namespace

TEST(Principals, NoneOnEitherSideGiveEmptyArraysAndNoEvents) {
    Bench b;
    b.withWorkgroup();
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();
    EXPECT_EQ(r.Users.UBound(), 0);
    EXPECT_EQ(r.Groups.UBound(), 0);
    EXPECT_TRUE(rec.events.empty());
}

TEST(Principals, BothPassesAnnounceEveryPrincipalOfTheirSide) {
    Bench b;
    b.withWorkgroup();
    b.source.data.users = {principal("Ann"), principal("Bob")};
    b.destination.data.users = {principal("ANN"), principal("Cy")};
    b.destination.data.groups = {principal("Staff")};
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();
    const std::vector<ComparingEvent> expected = {{"Ann", okUser, 5, 1}, {"Bob", okUser, 5, 2},
                                                  {"ANN", okUser, 5, 3}, {"Cy", okUser, 5, 4},
                                                  {"Staff", okGroup, 5, 5}};
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(entries(r.Users), (std::vector<Entry>{{"Ann", 0}, {"Bob", 3}, {"Cy", 2}}));
    EXPECT_EQ(entries(r.Groups), (std::vector<Entry>{{"Staff", 2}}));
}

struct MembershipCase {
    const char* what;
    std::vector<std::string> source;
    std::vector<std::string> destination;
    std::vector<Entry> sourceList;
    std::vector<Entry> destinationList;
    int32_t action;
};

class Membership : public ::testing::TestWithParam<MembershipCase> {};

TEST_P(Membership, ComparesTheNamesOfTheMembers) {
    const MembershipCase& c = GetParam();
    Bench b;
    b.withWorkgroup();
    const std::vector<PrincipalData> groups = {principal("Admins"), principal("Staff"), principal("Users")};
    b.source.data.groups = groups;
    b.destination.data.groups = groups;
    b.source.data.users = {principal("ann", c.source)};
    b.destination.data.users = {principal("Ann", c.destination)};
    const auto& r = b.compare();
    ASSERT_EQ(r.Users.UBound(), 1);
    const TPrincipal& u = r.Users[1];
    EXPECT_EQ(u.Name, "ann");
    EXPECT_EQ(entries(u.Source.Members), c.sourceList) << c.what;
    EXPECT_EQ(entries(u.Destination.Members), c.destinationList) << c.what;
    EXPECT_EQ(u.Action, c.action) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Principals, Membership,
    ::testing::Values(
        MembershipCase{"equal in another order", {"Users", "Admins"}, {"Admins", "Users"},
                       {{"Users", 0}, {"Admins", 0}}, {{"Admins", 0}, {"Users", 0}}, 0},
        MembershipCase{"a group only in the destination", {"Users"}, {"Users", "Staff"}, {{"Users", 0}},
                       {{"Users", 0}, {"Staff", 2}}, 1},
        MembershipCase{"a group only in the source", {"Users", "Staff"}, {"Users"},
                       {{"Users", 0}, {"Staff", 3}}, {{"Users", 0}}, 1},
        MembershipCase{"no groups on either side", {}, {}, {}, {}, 0}),
    CaseIndex{});

TEST(Principals, MembersKeepTheirOwnSidesLetterCase) {
    Bench b;
    b.withWorkgroup();
    b.source.data.groups = {principal("Users", {"ann"})};
    b.destination.data.groups = {principal("USERS", {"ANN"})};
    b.source.data.users = {principal("ann", {"Users"})};
    b.destination.data.users = {principal("ANN", {"USERS"})};
    const auto& r = b.compare();
    EXPECT_EQ(entries(r.Users[1].Source.Members), (std::vector<Entry>{{"Users", 0}}));
    EXPECT_EQ(entries(r.Users[1].Destination.Members), (std::vector<Entry>{{"USERS", 0}}));
    EXPECT_EQ(entries(r.Groups[1].Destination.Members), (std::vector<Entry>{{"ANN", 0}}));
    EXPECT_EQ(r.Users[1].Action, acEqual);
    EXPECT_EQ(r.Groups[1].Action, acEqual);
}

TEST(Principals, OneSidedPrincipalsListTheirMembersOnTheirSide) {
    Bench b;
    b.withWorkgroup();
    b.source.data.groups = {principal("Admins", {"ann"}), principal("Users", {"ann"})};
    b.source.data.users = {principal("ann", {"Users", "Admins"})};
    b.destination.data.groups = {principal("Staff", {"bob"})};
    b.destination.data.users = {principal("bob", {"Staff"})};
    const auto& r = b.compare();
    ASSERT_EQ(r.Users.UBound(), 2);
    EXPECT_EQ(r.Users[1].Action, acOnlyInSource);
    EXPECT_EQ(entries(r.Users[1].Source.Members), (std::vector<Entry>{{"Users", 3}, {"Admins", 3}}));
    EXPECT_EQ(r.Users[1].Destination, TPrincipalProps{});
    EXPECT_EQ(r.Users[2].Action, acOnlyInDestination);
    EXPECT_EQ(entries(r.Users[2].Destination.Members), (std::vector<Entry>{{"Staff", 2}}));
    EXPECT_EQ(r.Users[2].Source, TPrincipalProps{});
    ASSERT_EQ(r.Groups.UBound(), 3);
    EXPECT_EQ(entries(r.Groups[1].Source.Members), (std::vector<Entry>{{"ann", 3}}));
    EXPECT_EQ(entries(r.Groups[3].Destination.Members), (std::vector<Entry>{{"bob", 2}}));
}

// --- Permissions ---------------------------------------------------------------------

TEST(Permissions, WithoutObjectsTheListHoldsTheDatabaseEntryAlone) {
    Bench b;
    b.withWorkgroup();
    b.source.data.users = {principal("ann")};
    b.destination.data.users = {principal("ann")};
    grant(b.source.rights, U, "ann", objtype::Database, "", right::Create);
    grant(b.destination.rights, U, "ann", objtype::Database, "", right::Create);
    const auto& r = b.compare();
    const TPrincipal& u = r.Users[1];
    EXPECT_EQ(perms(u.Source.Permissions), (std::vector<Perm>{{"Database", 3, 0, right::Create}}));
    EXPECT_EQ(perms(u.Destination.Permissions), (std::vector<Perm>{{"Database", 3, 0, right::Create}}));
    EXPECT_EQ(u.Source.Permissions[0], TPermission{});
    EXPECT_EQ(u.Action, acEqual);
}

TEST(Permissions, EachSideListsItsOwnObjectsAndComparesTheSharedOnes) {
    Bench b;
    objects(b);
    b.source.data.users = {principal("ann")};
    b.destination.data.users = {principal("ANN")};
    const int32_t read = right::Read;  // the sign bit: stored as a negative number
    for (Side* s : {&b.source, &b.destination}) {
        grant(s->rights, U, "ann", objtype::Table, "T", read | right::Insert);
        grant(s->rights, U, "ann", objtype::Procedure, "P", right::Execute);
    }
    grant(b.source.rights, U, "ann", objtype::Table, "S", read);
    grant(b.destination.rights, U, "ann", objtype::Table, "D", right::Delete);
    grant(b.source.rights, U, "ann", objtype::View, "V", read);
    grant(b.destination.rights, U, "ann", objtype::View, "V", right::None);
    const auto& r = b.compare();

    const TPrincipal& u = r.Users[1];
    EXPECT_EQ(u.Action, acDifferent);
    EXPECT_EQ(perms(u.Source.Permissions),
              (std::vector<Perm>{{"Database", 3, 0, 0},
                                 {"S", 1, 1, read},
                                 {"T", 1, 0, read | right::Insert},
                                 {"P", 4, 0, right::Execute},
                                 {"V", 5, 1, read}}));
    EXPECT_EQ(perms(u.Destination.Permissions),
              (std::vector<Perm>{{"Database", 3, 0, 0},
                                 {"T", 1, 0, read | right::Insert},
                                 {"D", 1, 1, right::Delete},
                                 {"P", 4, 0, right::Execute},
                                 {"V", 5, 1, 0}}));
    EXPECT_LT(u.Source.Permissions[2].Rights, 0);
    // Every entry names the element that its index points at.
    for (const auto* list : {&u.Source.Permissions, &u.Destination.Permissions}) {
        for (int32_t i = 2; i <= list->UBound(); ++i) {
            const TPermission& p = (*list)[i];
            const std::string& named = p.ObjectType == 1   ? r.Tables[p.ObjectIndex].Name
                                       : p.ObjectType == 4 ? r.Procedures[p.ObjectIndex].Name
                                                           : r.Views[p.ObjectIndex].Name;
            EXPECT_EQ(named, p.ObjectName);
        }
    }
    EXPECT_EQ(u.Source.Permissions[5].ObjectIndex, u.Destination.Permissions[5].ObjectIndex);
}

TEST(Permissions, AnObjectOnOneSideAloneMakesThePrincipalDifferent) {
    Bench b;
    b.withWorkgroup();
    b.source.data.tables = {makeTable("OnlyHere", {})};
    b.source.data.groups = {principal("Users")};
    b.destination.data.groups = {principal("Users")};
    const auto& r = b.compare();
    EXPECT_EQ(r.Groups[1].Action, acDifferent);
    EXPECT_EQ(perms(r.Groups[1].Source.Permissions),
              (std::vector<Perm>{{"Database", 3, 0, 0}, {"OnlyHere", 1, 1, 0}}));
    EXPECT_EQ(r.Groups[1].Destination.Permissions.UBound(), 1);
}

TEST(Permissions, EqualRightsOnSharedObjectsLeaveAGroupEqual) {
    Bench b;
    b.withWorkgroup();
    for (Side* s : {&b.source, &b.destination}) {
        s->data.views = {query("V", "SELECT 1")};
        s->data.groups = {principal("Users")};
        grant(s->rights, G, "Users", objtype::View, "V", right::Read);
        grant(s->rights, G, "Users", objtype::Database, "", right::Exclusive);
    }
    // The table differs, its rights do not.
    b.source.data.tables = {makeTable("T", {col("A")})};
    b.destination.data.tables = {makeTable("T", {col("A"), col("B")})};
    const auto& r = b.compare();
    EXPECT_EQ(r.Tables[1].Action, acDifferent);
    const TPrincipal& g = r.Groups[1];
    EXPECT_EQ(g.Action, acEqual);
    for (const auto* list : {&g.Source.Permissions, &g.Destination.Permissions}) {
        ASSERT_EQ(list->UBound(), 3);
        for (const auto& p : *list) EXPECT_EQ(p.Action, acEqual) << p.ObjectName;
    }
}

TEST(Permissions, DifferentRightsOnTheDatabaseMarkBothEntries) {
    Bench b;
    b.withWorkgroup();
    b.source.data.users = {principal("ann")};
    b.destination.data.users = {principal("ann")};
    grant(b.source.rights, U, "ann", objtype::Database, "", right::Create);
    grant(b.destination.rights, U, "ann", objtype::Database, "", right::Exclusive);
    const auto& r = b.compare();
    EXPECT_EQ(perms(r.Users[1].Source.Permissions), (std::vector<Perm>{{"Database", 3, 1, right::Create}}));
    EXPECT_EQ(perms(r.Users[1].Destination.Permissions),
              (std::vector<Perm>{{"Database", 3, 1, right::Exclusive}}));
    EXPECT_EQ(r.Users[1].Action, acDifferent);
}

TEST(Permissions, APrincipalOnOneSideAloneHasEveryEntryDifferent) {
    Bench b;
    objects(b);
    b.destination.data.groups = {principal("Staff")};
    grant(b.destination.rights, G, "Staff", objtype::Table, "D", right::Read);
    const auto& r = b.compare();
    const TPrincipal& g = r.Groups[1];
    EXPECT_EQ(g.Action, acOnlyInDestination);
    EXPECT_EQ(perms(g.Destination.Permissions),
              (std::vector<Perm>{{"Database", 3, 1, 0},
                                 {"T", 1, 1, 0},
                                 {"D", 1, 1, right::Read},
                                 {"P", 4, 1, 0},
                                 {"V", 5, 1, 0}}));
    EXPECT_EQ(g.Source.Permissions.UBound(), 0);
}

TEST(Permissions, KindsLeftOutContributeNoEntries) {
    Bench b;
    objects(b);
    b.engine->IncludeTables(false);
    b.engine->IncludeViews(false);
    b.source.data.users = {principal("ann")};
    b.destination.data.users = {principal("ann")};
    const auto& r = b.compare();
    EXPECT_EQ(perms(r.Users[1].Source.Permissions),
              (std::vector<Perm>{{"Database", 3, 0, 0}, {"P", 4, 0, 0}}));
    EXPECT_EQ(r.Users[1].Action, acEqual);
}

TEST(Permissions, AFailingRightsRequestEndsTheComparison) {
    Bench b;
    objects(b);
    b.source.data.users = {principal("ann")};
    b.destination.data.users = {principal("ann")};
    b.destination.faults = {{.object = "User", .member = "GetPermissions", .skip = 2}};
    EXPECT_THROW((void)b.engine->CompareDatabases(), jet::Error);
    // What was written stays, the entry grown for the failing request included.
    const TPrincipal& u = b.engine->Result().Users[1];
    EXPECT_EQ(u.Name, "ann");
    EXPECT_GE(u.Source.Permissions.UBound(), 2);
}
