// Users and groups: membership and permissions. The two kinds are twins; a
// user's members are its groups, a group's members its users.
#include <string>

#include "engine/detail/Comparison.h"
#include "engine/detail/NameLookup.h"
#include "jet/Types.h"

namespace engine::detail {

namespace {

struct UserKind {
    using Principal = jet::User;
    static constexpr ObjectKind kind = okUser;
    static ElementArray<TPrincipal>& list(TComparisonResult& r) { return r.Users; }
    static jet::Collection<jet::Group> members(const jet::User& u) { return u.Groups(); }
};

struct GroupKind {
    using Principal = jet::Group;
    static constexpr ObjectKind kind = okGroup;
    static ElementArray<TPrincipal>& list(TComparisonResult& r) { return r.Groups; }
    static jet::Collection<jet::User> members(const jet::Group& g) { return g.Users(); }
};

// --- Permissions ------------------------------------------------------------------

// Whether an element of Tables, Procedures or Views exists on a side.
bool onSide(int32_t action, CompareSide side) {
    return action == acEqual || action == acDifferent ||
           action == (side == csSource ? acOnlyInSource : acOnlyInDestination);
}

// The entries of one side's list after the database entry: every table, then
// every procedure, then every view of that side, in the record's order. `write`
// fills one grown entry from (element action, name, object type, index).
template <class Write>
void objectEntries(const TComparisonResult& r, CompareSide side, Write&& write) {
    auto walk = [&](const auto& objects, int32_t objectType) {
        for (int32_t j = 1; j <= objects.UBound(); ++j) {
            const auto& o = objects[j];
            if (onSide(o.Action, side)) write(o.Action, o.Name, objectType, j);
        }
    };
    walk(r.Tables, jet::objtype::Table);
    walk(r.Procedures, jet::objtype::Procedure);
    walk(r.Views, jet::objtype::View);
}

// One side's list of a principal in both databases: `own`'s rights on each
// object of this side, compared with `other`'s where the object is in both.
template <class Kind>
void comparePermissions(const typename Kind::Principal& own, const typename Kind::Principal& other,
                        bool reverse, TComparisonResult& r, int32_t index) {
    const CompareSide side = reverse ? csDestination : csSource;
    const int32_t onlyHere = reverse ? acOnlyInDestination : acOnlyInSource;
    auto principal = [&]() -> TPrincipal& { return Kind::list(r)[index]; };
    auto entries = [&]() -> ElementArray<TPermission>& {
        return reverse ? principal().Destination.Permissions : principal().Source.Permissions;
    };

    entries().Redim(1);
    {
        const int32_t rights = own.GetPermissions("", jet::objtype::Database);
        TPermission& e = entries()[1];
        e.ObjectName = "Database";
        e.ObjectType = static_cast<int16_t>(jet::objtype::Database);
        e.Rights = rights;
        if (other.GetPermissions("", jet::objtype::Database) == rights) {
            e.Action = acEqual;
        } else {
            e.Action = acDifferent;
            principal().Action = acDifferent;
        }
    }

    objectEntries(r, side, [&](int32_t action, const std::string& name, int32_t type, int32_t j) {
        TPermission& e = entries().Append();
        const int32_t rights = own.GetPermissions(name, type);
        e.Rights = rights;
        // An object on this side only always differs; the other principal is not asked.
        if (action == onlyHere || other.GetPermissions(name, type) != rights) {
            e.Action = acDifferent;
            principal().Action = acDifferent;
        } else {
            e.Action = acEqual;
        }
        e.ObjectName = name;
        e.ObjectType = static_cast<int16_t>(type);
        e.ObjectIndex = j;
    });
}

// The list of a principal on one side only: every entry differs.
template <class Kind>
void collectPermissions(const typename Kind::Principal& own, CompareSide side,
                        TComparisonResult& r, int32_t index) {
    TPrincipal& p = Kind::list(r)[index];
    ElementArray<TPermission>& entries =
        side == csSource ? p.Source.Permissions : p.Destination.Permissions;
    entries.Redim(1);
    {
        TPermission& e = entries[1];
        e.Action = acDifferent;
        e.ObjectName = "Database";
        e.ObjectType = static_cast<int16_t>(jet::objtype::Database);
        e.Rights = own.GetPermissions("", jet::objtype::Database);
    }
    objectEntries(r, side, [&](int32_t, const std::string& name, int32_t type, int32_t j) {
        TPermission& e = entries.Append();
        e.Action = acDifferent;
        e.ObjectName = name;
        e.ObjectType = static_cast<int16_t>(type);
        e.Rights = own.GetPermissions(name, type);
        e.ObjectIndex = j;
    });
}

// --- Membership --------------------------------------------------------------------

template <class Members>
void compareMembers(const Members& source, const Members& destination, bool reverse, TPrincipal& p) {
    const auto& walked = reverse ? destination : source;
    const auto& other = reverse ? source : destination;
    ElementArray<TMember>& list = reverse ? p.Destination.Members : p.Source.Members;

    const int32_t n = walked.Count();
    list.Redim(n);
    const NameLookup partners = NameLookup::of(other);
    for (int32_t i = 0; i < n; ++i) {
        const std::string name = walked.Item(i).Name();
        TMember& m = list[i + 1];
        m.Name = name;
        if (partners.contains(name)) {
            m.Action = acEqual;
        } else {
            m.Action = reverse ? acOnlyInDestination : acOnlyInSource;
            p.Action = acDifferent;
        }
    }
}

template <class Members>
void collectMembers(const Members& members, CompareSide side, TPrincipal& p) {
    ElementArray<TMember>& list = side == csSource ? p.Source.Members : p.Destination.Members;
    const int32_t n = members.Count();
    list.Redim(n);
    for (int32_t i = 0; i < n; ++i) {
        TMember& m = list[i + 1];
        m.Name = members.Item(i).Name();
        m.Action = side == csSource ? acOnlyInSource : acOnlyInDestination;
    }
}

// --- Drivers -------------------------------------------------------------------------

template <class Kind>
void comparePrincipals(const jet::Collection<typename Kind::Principal>& source,
                       const jet::Collection<typename Kind::Principal>& destination, bool reverse,
                       TComparisonResult& r, Progress& progress) {
    using Principal = typename Kind::Principal;
    ElementArray<TPrincipal>& list = Kind::list(r);

    if (!reverse) {
        const int32_t n = source.Count();
        list.Redim(n);
        const NameLookup partners = NameLookup::of(destination);
        for (int32_t i = 0; i < n; ++i) {
            const Principal s = source.Item(i);
            const std::string name = s.Name();
            progress.visit(name, Kind::kind);
            const int32_t index = i + 1;
            if (const int32_t j = partners.find(name); j >= 0) {
                const Principal d = destination.Item(j);
                list[index].Name = name;
                list[index].Action = acEqual;
                comparePermissions<Kind>(s, d, false, r, index);
                comparePermissions<Kind>(d, s, true, r, index);
                compareMembers(Kind::members(s), Kind::members(d), false, list[index]);
                compareMembers(Kind::members(s), Kind::members(d), true, list[index]);
            } else {
                list[index].Name = name;
                list[index].Action = acOnlyInSource;
                collectPermissions<Kind>(s, csSource, r, index);
                collectMembers(Kind::members(s), csSource, list[index]);
            }
        }
        return;
    }

    const NameLookup sources = NameLookup::of(source);
    const int32_t n = destination.Count();
    for (int32_t i = 0; i < n; ++i) {
        const Principal d = destination.Item(i);
        const std::string name = d.Name();
        progress.visit(name, Kind::kind);
        if (sources.contains(name)) continue;
        list.Append();
        const int32_t index = list.UBound();
        list[index].Name = name;
        list[index].Action = acOnlyInDestination;
        collectPermissions<Kind>(d, csDestination, r, index);
        collectMembers(Kind::members(d), csDestination, list[index]);
    }
}

}  // namespace

void CompareUsers(const jet::Collection<jet::User>& source,
                  const jet::Collection<jet::User>& destination, bool reverse,
                  TComparisonResult& result, Progress& progress) {
    comparePrincipals<UserKind>(source, destination, reverse, result, progress);
}

void CompareGroups(const jet::Collection<jet::Group>& source,
                   const jet::Collection<jet::Group>& destination, bool reverse,
                   TComparisonResult& result, Progress& progress) {
    comparePrincipals<GroupKind>(source, destination, reverse, result, progress);
}

}  // namespace engine::detail
