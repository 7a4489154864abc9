// The account, password and permission statements of the store provider.
#include "jet/Error.h"
#include "jet/store/Metadata.h"
#include "jet/store/Password.h"
#include "jet/store/StoreDatabase.h"
#include "jet/store/StoreWorkgroup.h"
#include "text/CaseFold.h"

namespace jet::store {

using namespace statement;

// --- passwords, accounts and permissions ------------------------------------------------------

void StoreDatabase::databasePassword(const AlterDatabasePassword& s) {
    const auto current = databaseProperty(*db_, "PasswordHash");
    const std::string old = s.oldPassword.value_or("");
    if (current ? !verifyPassword(*current, old) : !old.empty()) raise(Err::BadDatabasePassword);
    if (!s.newPassword || s.newPassword->empty())
        setDatabaseProperty(*db_, "PasswordHash", std::nullopt);
    else
        setDatabaseProperty(*db_, "PasswordHash", hashPassword(*s.newPassword));
}

void StoreDatabase::grantRevoke(const GrantRevoke& s) {
    workgroup();
    int32_t type = objtype::Database;
    std::string object;
    if (s.target != 2) {
        if (model_.table(s.object)) {
            type = objtype::Table;
        } else if (const QueryDef* q = model_.query(s.object)) {
            type = q->view ? objtype::View : objtype::Procedure;
        } else {
            type = objtype::Table;
        }
        object = permissionObject(s.object, type);
    }
    for (const auto& p : s.principals) {
        PrincipalKind kind = PrincipalKind::User;
        if (!principalExists(kind, p)) {
            kind = PrincipalKind::Group;
            if (!principalExists(kind, p)) raise(Err::AccountNotFound, {p});
        }
        applyPermission(kind, p, object, type, s.grant ? access::Grant : access::Revoke, s.rights);
    }
}

namespace {

std::string_view nameOf(const Account& a) { return a.name; }
std::string_view nameOf(const std::string& n) { return n; }

// True when the name of items[i] stands earlier in the list too.
template <class T>
bool repeated(const std::vector<T>& items, size_t i) {
    for (size_t k = 0; k < i; ++k)
        if (text::equalNoCase(nameOf(items[k]), nameOf(items[i]))) return true;
    return false;
}

// Applies `change` to each item in turn; when one fails, `undo` takes back
// the ones done before it, so that the statement changes nothing.
template <class T, class Change, class Undo>
void allOrNothing(const std::vector<T>& items, Change change, Undo undo) {
    size_t done = 0;
    try {
        for (; done < items.size(); ++done) change(items[done]);
    } catch (...) {
        while (done > 0) {
            try {
                undo(items[--done]);
            } catch (...) {
            }
        }
        throw;
    }
}

}  // namespace

void StoreDatabase::accounts(const Statement& st) {
    Workgroup& wg = workgroup();
    // Names are checked first, so that a statement that cannot succeed
    // changes nothing.
    const auto checkNew = [&](const std::vector<Account>& list) {
        for (size_t i = 0; i < list.size(); ++i) {
            const std::string& n = list[i].name;
            if (principalExists(PrincipalKind::User, n) ||
                principalExists(PrincipalKind::Group, n) || repeated(list, i))
                raise(Err::AccountExists, {n});
        }
    };
    const auto drop = [&](PrincipalKind kind, const std::vector<std::string>& names) {
        for (size_t i = 0; i < names.size(); ++i)
            if (!principalExists(kind, names[i]) || repeated(names, i))
                raise(Err::AccountNotFound, {names[i]});
        // The rights go in the database's transaction, which commits only
        // once the accounts are gone: a failed drop leaves them in place.
        inTransaction([&](Work& w) -> int32_t {
            w.catalogSame = true;
            for (const auto& n : names) {
                dropPrincipalPermissions(kind, n);
                if (kind == PrincipalKind::User)
                    wg.dropUser(n);
                else
                    wg.dropGroup(n);
            }
            return 0;
        });
    };
    if (auto* cu = std::get_if<CreateUsers>(&st)) {
        checkNew(cu->users);
        allOrNothing(
            cu->users, [&](const Account& a) { wg.createUser(a.name, a.password, a.pid); },
            [&](const Account& a) { wg.dropUser(a.name); });
    } else if (auto* cg = std::get_if<CreateGroups>(&st)) {
        checkNew(cg->groups);
        allOrNothing(
            cg->groups, [&](const Account& a) { wg.createGroup(a.name, a.pid); },
            [&](const Account& a) { wg.dropGroup(a.name); });
    } else if (auto* du = std::get_if<DropUsers>(&st)) {
        drop(PrincipalKind::User, du->names);
    } else if (auto* dg = std::get_if<DropGroups>(&st)) {
        drop(PrincipalKind::Group, dg->names);
    } else if (auto* am = std::get_if<AddMembers>(&st)) {
        allOrNothing(
            am->users, [&](const std::string& u) { wg.addMember(u, am->group); },
            [&](const std::string& u) { wg.removeMember(u, am->group); });
    } else if (auto* rm = std::get_if<RemoveMembers>(&st)) {
        allOrNothing(
            rm->users, [&](const std::string& u) { wg.removeMember(u, rm->group); },
            [&](const std::string& u) { wg.addMember(u, rm->group); });
    } else if (auto* ap = std::get_if<AlterUserPassword>(&st)) {
        auto* own = dynamic_cast<StoreWorkgroup*>(&wg);
        if (!own) raise(Err::ReadOnly);
        own->changePassword(ap->user, ap->newPassword, ap->oldPassword);
    }
}

}  // namespace jet::store
