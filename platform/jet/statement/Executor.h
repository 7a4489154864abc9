#pragma once
// The schema statements applied to the shared model, with every check and
// error of Jet's: CREATE TABLE, ALTER TABLE … ADD / ALTER / DROP COLUMN and
// ADD / DROP CONSTRAINT, DROP TABLE, CREATE / DROP INDEX, CREATE / DROP VIEW
// and PROCEDURE. Names (reserved, taken, missing), Jet's limits (columns per
// table and per index, indexes per table, counting the entries relationships
// keep on the tables they refer to), keys and relationships (one primary key,
// a related key that is unique, which index a relationship shares, refusing
// to drop an index or a table a relationship needs, fields of a relationship
// that keep their type), counters only on columns without values, DEFAULT
// values of constants and Jet's functions. What depends on the rows and every
// physical change goes through the provider's Storage; see Storage.h for the
// order of the calls and for how a failed statement is taken back.
#include "jet/statement/Model.h"
#include "jet/statement/Statement.h"
#include "jet/statement/Storage.h"

namespace jet::statement {

// True for the statements the executor runs; the others (accounts,
// passwords, permissions, DML) are the provider's.
[[nodiscard]] bool isSchemaStatement(const Statement& s);

class Executor {
public:
    Executor(Model& model, Storage& storage) : model_(model), storage_(storage) {}

    // Runs one schema statement (isSchemaStatement). Throws Jet's error; the
    // model and the storage may then hold part of the change (Storage.h).
    void run(const Statement& s);

private:
    void createTable(const CreateTable& s);
    void addColumn(const AddColumn& s);
    void alterColumn(const AlterColumn& s);
    void dropColumn(const DropColumn& s);
    void addConstraint(TableDef& t, const ConstraintSpec& c, const std::string& column);
    void dropConstraint(const DropConstraint& s);
    void dropTable(const DropTable& s);
    void createIndex(const CreateIndex& s);
    void dropIndex(TableDef& t, const std::string& name);
    void createQuery(const CreateQuery& s);
    void dropQuery(const DropQuery& s);

    TableDef& requireTable(std::string_view name);
    // The indexes Jet counts on a table: its own, and one for each
    // relationship that refers to it.
    [[nodiscard]] size_t indexCount(const TableDef& t) const;
    // Checks a new index of `t` on Jet's rules and the rows; gives its columns
    // the names they have in the table.
    void checkIndex(const TableDef& t, IndexDef& ix);
    void addIndex(TableDef& t, IndexDef ix);

    Model& model_;
    Storage& storage_;
};

}  // namespace jet::statement
