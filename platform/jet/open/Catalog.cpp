#include "jet/Catalog.h"

#include "jet/Error.h"
#include "text/CaseFold.h"

namespace jet {

// --- Property -------------------------------------------------------------

std::string Property::Name() const {
    ctx_.check("Property", "Name", position_);
    return std::string(kColumnPropertyNames[static_cast<size_t>(position_)]);
}

Variant Property::Value() const {
    ctx_.check("Property", "Value", position_);
    return column_->properties[static_cast<size_t>(position_)];
}

void Property::Value(const Variant& value) {
    ctx_.check("Property", "Value", position_);
    if (!ctx_.backend) raise(Err::NoActiveConnection);
    ctx_.backend->setColumnProperty(table_->name, column_->name, position_, value);
}

int32_t Properties::Count() const {
    ctx_.check("Properties", "Count");
    return prop::Count;
}

Property Properties::Item(int32_t position) const {
    ctx_.check("Properties", "Item", position);
    if (position < 0 || position >= prop::Count) raise(Err::ItemNotFound);
    return Property(ctx_, table_, column_, position);
}

Property Properties::Item(std::string_view name) const {
    ctx_.check("Properties", "Item");
    for (int i = 0; i < prop::Count; ++i)
        if (text::equalNoCase(kColumnPropertyNames[static_cast<size_t>(i)], name))
            return Property(ctx_, table_, column_, i);
    raise(Err::ItemNotFound);
}

// --- Column, indexes, keys, tables --------------------------------------------

std::string Column::Name() const {
    ctx_.check(kObject, "Name");
    return d_->name;
}
int32_t Column::Type() const {
    ctx_.check(kObject, "Type");
    return d_->type;
}
int32_t Column::DefinedSize() const {
    ctx_.check(kObject, "DefinedSize");
    return d_->definedSize;
}
uint8_t Column::NumericScale() const {
    ctx_.check(kObject, "NumericScale");
    return d_->numericScale;
}
uint8_t Column::Precision() const {
    ctx_.check(kObject, "Precision");
    return d_->precision;
}
int32_t Column::Attributes() const {
    ctx_.check(kObject, "Attributes");
    return d_->attributes;
}
Properties Column::Properties() const {
    ctx_.check(kObject, "Properties");
    return jet::Properties(ctx_, table_, d_);
}

std::string IndexColumn::Name() const {
    ctx_.check(kObject, "Name");
    return d_->name;
}
int32_t IndexColumn::SortOrder() const {
    ctx_.check(kObject, "SortOrder");
    return d_->sortOrder;
}

std::string Index::Name() const {
    ctx_.check(kObject, "Name");
    return d_->name;
}
bool Index::Unique() const {
    ctx_.check(kObject, "Unique");
    return d_->unique;
}
bool Index::PrimaryKey() const {
    ctx_.check(kObject, "PrimaryKey");
    return d_->primaryKey;
}
int32_t Index::IndexNulls() const {
    ctx_.check(kObject, "IndexNulls");
    return d_->indexNulls;
}
Collection<IndexColumn> Index::Columns() const {
    ctx_.check(kObject, "Columns");
    return Collection<IndexColumn>(ctx_, pointersTo(d_->columns));
}

std::string KeyColumn::Name() const {
    ctx_.check(kObject, "Name");
    return d_->name;
}
std::string KeyColumn::RelatedColumn() const {
    ctx_.check(kObject, "RelatedColumn");
    return d_->relatedColumn;
}

std::string Key::Name() const {
    ctx_.check(kObject, "Name");
    return d_->name;
}
int32_t Key::Type() const {
    ctx_.check(kObject, "Type");
    return d_->type;
}
std::string Key::RelatedTable() const {
    ctx_.check(kObject, "RelatedTable");
    return d_->relatedTable;
}
int32_t Key::UpdateRule() const {
    ctx_.check(kObject, "UpdateRule");
    return d_->updateRule;
}
int32_t Key::DeleteRule() const {
    ctx_.check(kObject, "DeleteRule");
    return d_->deleteRule;
}
Collection<KeyColumn> Key::Columns() const {
    ctx_.check(kObject, "Columns");
    return Collection<KeyColumn>(ctx_, pointersTo(d_->columns));
}

std::string Table::Name() const {
    ctx_.check(kObject, "Name");
    return d_->name;
}
std::string Table::Type() const {
    ctx_.check(kObject, "Type");
    return d_->type;
}
Collection<Column> Table::Columns() const {
    ctx_.check(kObject, "Columns");
    return Collection<Column>(ctx_, pointersTo(d_->columns), d_);
}
Collection<Index> Table::Indexes() const {
    ctx_.check(kObject, "Indexes");
    return Collection<Index>(ctx_, pointersTo(d_->indexes));
}
Collection<Key> Table::Keys() const {
    ctx_.check(kObject, "Keys");
    return Collection<Key>(ctx_, pointersTo(d_->keys));
}

// --- Users and groups -----------------------------------------------------------

namespace {

// The entries of `pool` named in `names`, in the order of `names`; names the
// pool lacks are left out.
std::vector<const PrincipalData*> members(const std::vector<std::string>& names,
                                          const std::vector<PrincipalData>& pool) {
    std::vector<const PrincipalData*> out;
    out.reserve(names.size());
    for (const auto& n : names)
        for (const auto& p : pool)
            if (text::equalNoCase(p.name, n)) {
                out.push_back(&p);
                break;
            }
    return out;
}

int32_t getPermissions(const detail::Ctx& ctx, std::string_view object, PrincipalKind kind,
                       const std::string& principal, std::string_view name, int32_t type) {
    ctx.check(object, "GetPermissions");
    if (!ctx.backend) raise(Err::NoActiveConnection);
    return ctx.backend->getPermissions(kind, principal, name, type);
}

void setPermissions(const detail::Ctx& ctx, std::string_view object, PrincipalKind kind,
                    const std::string& principal, std::string_view name, int32_t type,
                    int32_t action, int32_t rights) {
    ctx.check(object, "SetPermissions");
    if (!ctx.backend) raise(Err::NoActiveConnection);
    ctx.backend->setPermissions(kind, principal, name, type, action, rights);
}

}  // namespace

std::string User::Name() const {
    ctx_.check(kObject, "Name");
    return d_->name;
}
Collection<Group> User::Groups() const {
    ctx_.check(kObject, "Groups");
    return Collection<Group>(ctx_, members(d_->members, ctx_.data->groups));
}
int32_t User::GetPermissions(std::string_view name, int32_t objectType) const {
    return getPermissions(ctx_, kObject, PrincipalKind::User, d_->name, name, objectType);
}
void User::SetPermissions(std::string_view name, int32_t objectType, int32_t action,
                          int32_t rights) const {
    setPermissions(ctx_, kObject, PrincipalKind::User, d_->name, name, objectType, action,
                   rights);
}

std::string Group::Name() const {
    ctx_.check(kObject, "Name");
    return d_->name;
}
Collection<User> Group::Users() const {
    ctx_.check(kObject, "Users");
    return Collection<User>(ctx_, members(d_->members, ctx_.data->users));
}
int32_t Group::GetPermissions(std::string_view name, int32_t objectType) const {
    return getPermissions(ctx_, kObject, PrincipalKind::Group, d_->name, name, objectType);
}
void Group::SetPermissions(std::string_view name, int32_t objectType, int32_t action,
                           int32_t rights) const {
    setPermissions(ctx_, kObject, PrincipalKind::Group, d_->name, name, objectType, action,
                   rights);
}

// --- Catalog ----------------------------------------------------------------------

void Catalog::ActiveConnection(std::string_view connectionString) {
    auto connection = std::make_shared<Connection>();
    connection->Open(connectionString);
    own_ = std::move(connection);
    backend_ = own_->backend();
}

void Catalog::ActiveConnection(const Connection& connection) {
    if (!connection.backend()) raise(Err::NoActiveConnection);
    own_.reset();
    backend_ = connection.backend();
}

detail::Ctx Catalog::root() const {
    if (hook_) hook_->check(FaultSite{"Catalog", "", "ActiveConnection", -1});
    if (!backend_) raise(Err::NoActiveConnection);
    return detail::Ctx{backend_->catalog(), backend_, hook_, {}};
}

Collection<Table> Catalog::Tables() const {
    auto ctx = root();
    ctx.check("Catalog", "Tables");
    auto items = pointersTo(ctx.data->tables);
    return Collection<Table>(std::move(ctx), std::move(items));
}

Collection<View> Catalog::Views() const {
    auto ctx = root();
    ctx.check("Catalog", "Views");
    auto items = pointersTo(ctx.data->views);
    return Collection<View>(std::move(ctx), std::move(items));
}

Collection<Procedure> Catalog::Procedures() const {
    auto ctx = root();
    ctx.check("Catalog", "Procedures");
    auto items = pointersTo(ctx.data->procedures);
    return Collection<Procedure>(std::move(ctx), std::move(items));
}

Collection<User> Catalog::Users() const {
    auto ctx = root();
    ctx.check("Catalog", "Users");
    if (!ctx.data->hasWorkgroup) raise(Err::NoWorkgroup);
    auto items = pointersTo(ctx.data->users);
    return Collection<User>(std::move(ctx), std::move(items));
}

Collection<Group> Catalog::Groups() const {
    auto ctx = root();
    ctx.check("Catalog", "Groups");
    if (!ctx.data->hasWorkgroup) raise(Err::NoWorkgroup);
    auto items = pointersTo(ctx.data->groups);
    return Collection<Group>(std::move(ctx), std::move(items));
}

void Catalog::Create(std::string_view connectionString) {
    store::create(parseConnectionString(connectionString));
}

}  // namespace jet
