#pragma once
// Test seam of the catalog objects: when a catalog carries a hook, every member
// access of every object it hands out first calls FaultHook::check, which may
// throw to make that access fail. jet::testing builds hooks; production
// catalogs carry none and pay one null test per access.
#include <cstdint>
#include <string_view>

namespace jet {

struct FaultSite {
    // The object's kind: "Catalog", a collection ("Tables", "Columns", "Properties",
    // "Indexes", "Keys", "Views", "Procedures", "Parameters", "Users", "Groups") or
    // an entry ("Table", "Column", "Property", "Index", "IndexColumn", "Key",
    // "KeyColumn", "View", "Procedure", "Command", "Parameter", "User", "Group").
    std::string_view object;
    // The object's names from the catalog down, joined by "/": a table "T", its
    // column "T/C", an index column "T/IX/C", a user's group "U/G". A collection
    // carries the path of the object it belongs to ("" for the catalog's own).
    std::string_view path;
    // The member: "Count", "Item", "Name", "Type", "Value", "GetPermissions", …
    std::string_view member;
    // The position of an Item call or of a property; -1 otherwise.
    int32_t position = -1;
};

class FaultHook {
public:
    virtual ~FaultHook() = default;
    virtual void check(const FaultSite& site) const = 0;
};

}  // namespace jet
