#pragma once
// What a session has done to a Jet file so far, before anything is written:
// per table, its definition as read and as it now stands, its property blob,
// and the rows the session changed. Statements change this state (and the
// statement model beside it); the planner turns the difference between this
// state and the file into pages at the end of the session. Copying a state
// is cheap enough to do before every statement (rows are shared until a
// statement changes them), which is how a failed statement is taken back.
#include <compare>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "jet/FieldValue.h"
#include "jet/file/IndexKey.h"
#include "jet/file/PropertyBlob.h"
#include "jet/file/TableDefinition.h"
#include "jet/format/QueryDecompose.h"

namespace jet::statement {
struct Model;
}

namespace jet::file {

class FileCatalog;

using RowValues = std::vector<FieldValue>;
// Rows by row id, each with one value per column of the table's current
// definition (in its order).
using ChangedRows = std::map<uint32_t, RowValues>;

struct TableState {
    std::string name;
    bool created = false;  // made by this session: no page of the file holds it yet
    // Of a table of the file: its definition's first page and its MSysObjects row.
    uint32_t page = 0;
    size_t objectRow = 0;
    TableDefinition original;  // as read (a created table: empty)
    // The columns as they now stand (numbers, offsets and slots as Jet gives
    // them). Its index sections are the file's until the planner lays out
    // the indexes the model asks for.
    TableDefinition def;
    std::optional<PropertyBlob> props;
    bool propsChanged = false;
    // Rows the session changed; every row of the table is here once a column
    // changed its room in a row (such rows no longer read by the definition).
    std::shared_ptr<const ChangedRows> changed;
    // Numbers of the columns whose values the session changed in those rows.
    std::set<uint16_t> changedColumns;
    // The counter's last number handed out, when the session set it.
    std::optional<uint32_t> lastCounter;
    // The rows a table of the file holds, once the session counted them: its
    // definition's count can lag behind them (Access mends it when it
    // compacts). A session changes rows, never their number.
    std::optional<uint32_t> rowsHeld;

    [[nodiscard]] bool rowsChanged() const { return changed && !changed->empty(); }
};

// A saved query as the session leaves it.
struct QueryState {
    std::string name;
    // The text the reader reads from its rows (outer white space trimmed), and
    // the one the page codec's reading of the rows gives (the same for every
    // Access-made query measured; kept apart so that a query the two read
    // otherwise cannot fail the check of a file that did not touch it).
    std::string text;
    std::string codecText;
    // Of a query of the file: its MSysObjects row (a position in the catalog's
    // rows), and the connect string of a pass-through query.
    std::optional<size_t> objectRow;
    std::string passThroughConnect;
    // Of a query the session made: its rows, not in the file yet.
    std::shared_ptr<const format::DecomposedQuery> made;
};

// What a permission line names: the object by its kind and folded name (the
// database has none), the account by its SID as the file stores it (masked in
// Jet 4, see JetHeader.h).
struct PermissionKey {
    enum class Object : uint8_t { Database, Table, Query };
    Object object = Object::Database;
    std::string name;
    std::string sid;
    auto operator<=>(const PermissionKey&) const = default;
};

struct FileState {
    // By the statement model's table id: a file table's first page, or a
    // negative number for a table the session made.
    std::map<int64_t, TableState> tables;
    // Tables of the file the session dropped.
    std::vector<TableState> dropped;
    int64_t nextCreatedId = -1;
    // Folded names the statement model does not know but the file does, which
    // a new object must not take: tables Jet and Access keep for themselves
    // (and links), and relationships that are no key (not enforced).
    std::set<std::string> otherObjectNames;
    std::set<std::string> otherRelationshipNames;
    // Saved queries as they now stand, by folded name, and those of the file
    // the session dropped (a query dropped and made again with the same name
    // and text keeps its rows: the planner writes only what differs).
    std::map<std::string, QueryState> queries;
    std::vector<QueryState> droppedQueries;
    // Why the file's saved queries cannot be changed (empty when they can),
    // and the characters a name field of its MSysQueries holds.
    std::string queriesRefusal;
    size_t queryNameRoom = 0;
    // Whether MSysQueries keeps a Text parameter's length (Access 97's does not).
    bool queryParameterLengths = true;
    // The keys a new object's names take in the catalog's text indexes: per
    // catalog table (MSysObjects, MSysRelationships) and column, the key
    // column each of its indexes gives the name.
    struct CatalogKey {
        std::string table, column;
        KeyColumn key;
    };
    std::vector<CatalogKey> catalogKeys;
    // The file's relationships by the names their catalog rows hold: its own
    // name (in MSysObjects too), its table's and its related table's. One
    // dropped and made again with the same names takes back their keys.
    struct RelationshipNames {
        std::string name, table, relatedTable;
    };
    std::vector<RelationshipNames> relationshipNames;

    // Permission lines as they now stand: the access mask (MSysACEs.ACM) the
    // entry of each account on each object ends with. Lines on an object the
    // session drops go with it.
    std::map<PermissionKey, uint32_t> permissions;
    // The key that masks the SIDs the file stores; none in Jet 3.
    std::optional<uint32_t> sidKey;

    // True once a statement changed anything.
    bool changedAnything = false;
};

// A session's first state of the file: every table of `catalog` as read, by
// its id in `model` (read from the same catalog), and the names and keys the
// catalog holds that new objects must respect. The provider engages with it;
// tests that plan without a provider start from it too.
[[nodiscard]] FileState fileStateOf(const FileCatalog& catalog, const statement::Model& model);

}  // namespace jet::file
