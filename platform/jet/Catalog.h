#pragma once
// ADOX's Catalog and its objects over one database. Collections are fetched
// afresh from the provider on every call of a Catalog accessor, so changes made
// through the bound connection (or the catalog) show at once; entries are
// handles on the snapshot of the collection they came from. Positions are
// 0-based; order: tables, views, procedures, users, groups, indexes and keys by
// case-insensitive name; columns in ordinal order; key and index columns in key
// order; parameters in declaration order. Every failure is a jet::Error.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "jet/Collection.h"
#include "jet/Command.h"
#include "jet/Connection.h"

namespace jet {

class Property {
public:
    [[nodiscard]] std::string Name() const;
    [[nodiscard]] Variant Value() const;
    // Stores a value; text converts to the property's type ("-1"/"0"/integers
    // for Booleans). A value that does not convert fails and changes nothing.
    void Value(const Variant& value);

    Property(detail::Ctx ctx, const TableData* table, const ColumnData* column, int position)
        : ctx_(std::move(ctx)), table_(table), column_(column), position_(position) {}

private:
    detail::Ctx ctx_;
    const TableData* table_;
    const ColumnData* column_;
    int position_;
};

class Properties {
public:
    [[nodiscard]] int32_t Count() const;
    [[nodiscard]] Property Item(int32_t position) const;
    [[nodiscard]] Property Item(std::string_view name) const;

    Properties(detail::Ctx ctx, const TableData* table, const ColumnData* column)
        : ctx_(std::move(ctx)), table_(table), column_(column) {}

private:
    detail::Ctx ctx_;
    const TableData* table_;
    const ColumnData* column_;
};

class Column {
public:
    using Data = ColumnData;
    static constexpr std::string_view kObject = "Column";
    static constexpr std::string_view kCollection = "Columns";

    [[nodiscard]] std::string Name() const;
    [[nodiscard]] int32_t Type() const;
    [[nodiscard]] int32_t DefinedSize() const;
    [[nodiscard]] uint8_t NumericScale() const;
    [[nodiscard]] uint8_t Precision() const;
    [[nodiscard]] int32_t Attributes() const;
    [[nodiscard]] jet::Properties Properties() const;

    Column(detail::Ctx ctx, const ColumnData* d, const void* table)
        : ctx_(std::move(ctx)), d_(d), table_(static_cast<const TableData*>(table)) {}

private:
    detail::Ctx ctx_;
    const ColumnData* d_;
    const TableData* table_;
};

class IndexColumn {
public:
    using Data = IndexColumnData;
    static constexpr std::string_view kObject = "IndexColumn";
    static constexpr std::string_view kCollection = "Columns";

    [[nodiscard]] std::string Name() const;
    [[nodiscard]] int32_t SortOrder() const;

    IndexColumn(detail::Ctx ctx, const IndexColumnData* d, const void*)
        : ctx_(std::move(ctx)), d_(d) {}

private:
    detail::Ctx ctx_;
    const IndexColumnData* d_;
};

class Index {
public:
    using Data = IndexData;
    static constexpr std::string_view kObject = "Index";
    static constexpr std::string_view kCollection = "Indexes";

    [[nodiscard]] std::string Name() const;
    [[nodiscard]] bool Unique() const;
    [[nodiscard]] bool PrimaryKey() const;
    [[nodiscard]] int32_t IndexNulls() const;
    [[nodiscard]] Collection<IndexColumn> Columns() const;

    Index(detail::Ctx ctx, const IndexData* d, const void*) : ctx_(std::move(ctx)), d_(d) {}

private:
    detail::Ctx ctx_;
    const IndexData* d_;
};

class KeyColumn {
public:
    using Data = KeyColumnData;
    static constexpr std::string_view kObject = "KeyColumn";
    static constexpr std::string_view kCollection = "Columns";

    [[nodiscard]] std::string Name() const;
    [[nodiscard]] std::string RelatedColumn() const;

    KeyColumn(detail::Ctx ctx, const KeyColumnData* d, const void*)
        : ctx_(std::move(ctx)), d_(d) {}

private:
    detail::Ctx ctx_;
    const KeyColumnData* d_;
};

class Key {
public:
    using Data = KeyData;
    static constexpr std::string_view kObject = "Key";
    static constexpr std::string_view kCollection = "Keys";

    [[nodiscard]] std::string Name() const;
    [[nodiscard]] int32_t Type() const;
    [[nodiscard]] std::string RelatedTable() const;
    [[nodiscard]] int32_t UpdateRule() const;
    [[nodiscard]] int32_t DeleteRule() const;
    [[nodiscard]] Collection<KeyColumn> Columns() const;

    Key(detail::Ctx ctx, const KeyData* d, const void*) : ctx_(std::move(ctx)), d_(d) {}

private:
    detail::Ctx ctx_;
    const KeyData* d_;
};

class Table {
public:
    using Data = TableData;
    static constexpr std::string_view kObject = "Table";
    static constexpr std::string_view kCollection = "Tables";

    [[nodiscard]] std::string Name() const;
    [[nodiscard]] std::string Type() const;
    [[nodiscard]] Collection<Column> Columns() const;
    [[nodiscard]] Collection<Index> Indexes() const;
    [[nodiscard]] Collection<Key> Keys() const;

    Table(detail::Ctx ctx, const TableData* d, const void*) : ctx_(std::move(ctx)), d_(d) {}

private:
    detail::Ctx ctx_;
    const TableData* d_;
};

// A view or a procedure: a saved query.
template <bool IsView>
class Query {
public:
    using Data = QueryData;
    static constexpr std::string_view kObject = IsView ? "View" : "Procedure";
    static constexpr std::string_view kCollection = IsView ? "Views" : "Procedures";

    [[nodiscard]] std::string Name() const {
        ctx_.check(kObject, "Name");
        return d_->name;
    }
    [[nodiscard]] jet::Command Command() const {
        ctx_.check(kObject, "Command");
        return jet::Command(ctx_, d_);
    }

    Query(detail::Ctx ctx, const QueryData* d, const void*) : ctx_(std::move(ctx)), d_(d) {}

private:
    detail::Ctx ctx_;
    const QueryData* d_;
};
using View = Query<true>;
using Procedure = Query<false>;

class Group;

class User {
public:
    using Data = PrincipalData;
    static constexpr std::string_view kObject = "User";
    static constexpr std::string_view kCollection = "Users";

    [[nodiscard]] std::string Name() const;
    [[nodiscard]] Collection<Group> Groups() const;
    // Rights (jet::right bits) on an object of a type (jet::objtype); for the
    // database the name is ignored.
    [[nodiscard]] int32_t GetPermissions(std::string_view name, int32_t objectType) const;
    void SetPermissions(std::string_view name, int32_t objectType, int32_t action,
                        int32_t rights) const;

    User(detail::Ctx ctx, const PrincipalData* d, const void*) : ctx_(std::move(ctx)), d_(d) {}

private:
    detail::Ctx ctx_;
    const PrincipalData* d_;
};

class Group {
public:
    using Data = PrincipalData;
    static constexpr std::string_view kObject = "Group";
    static constexpr std::string_view kCollection = "Groups";

    [[nodiscard]] std::string Name() const;
    [[nodiscard]] Collection<User> Users() const;
    [[nodiscard]] int32_t GetPermissions(std::string_view name, int32_t objectType) const;
    void SetPermissions(std::string_view name, int32_t objectType, int32_t action,
                        int32_t rights) const;

    Group(detail::Ctx ctx, const PrincipalData* d, const void*) : ctx_(std::move(ctx)), d_(d) {}

private:
    detail::Ctx ctx_;
    const PrincipalData* d_;
};

class Catalog {
public:
    Catalog() = default;

    // Binds the catalog: to a connection string (the catalog opens a connection
    // of its own) or to an open connection (shared with it). Throws on failure
    // and then stays as it was.
    void ActiveConnection(std::string_view connectionString);
    void ActiveConnection(const Connection& connection);

    [[nodiscard]] Collection<Table> Tables() const;
    [[nodiscard]] Collection<View> Views() const;
    [[nodiscard]] Collection<Procedure> Procedures() const;
    // Fail with Err::NoWorkgroup when the connection names no workgroup file.
    [[nodiscard]] Collection<User> Users() const;
    [[nodiscard]] Collection<Group> Groups() const;

    // Makes a new empty store database (or a workgroup, with
    // "Jet OLEDB:Create System Database=True") at the string's Data Source.
    static void Create(std::string_view connectionString);

    // Test seam: every object handed out afterwards reports its member accesses
    // to `hook` (see FaultHook.h). Null switches it off.
    void setFaultHook(std::shared_ptr<const FaultHook> hook) { hook_ = std::move(hook); }

    // Layer-internal: binds the catalog to a provider session directly.
    void bindBackend(std::shared_ptr<Backend> backend) {
        own_.reset();
        backend_ = std::move(backend);
    }

private:
    [[nodiscard]] detail::Ctx root() const;

    std::shared_ptr<Connection> own_;
    std::shared_ptr<Backend> backend_;
    std::shared_ptr<const FaultHook> hook_;
};

}  // namespace jet
