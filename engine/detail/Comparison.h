#pragma once
// The per-kind comparisons behind CCAccess::CompareDatabases. Internal to the
// engine library.
//
// Each operation reads the catalogs through the handles it is given and writes
// into the result record in place. Names are matched without regard to letter
// case; where several entries of the other side share a name, the first in
// collection order is the match (each pass builds a lookup that gives that
// first match, instead of searching linearly once per entry).
//
// Nothing here catches a failure, except the table driver around the column,
// index and key steps of one table: a failing read ends the operation and
// leaves what was written so far in the record.
//
// Only the drivers raise events (through Progress). A receiver may touch the
// record from inside an event, so the drivers never hold a reference to an
// element across an event; the operations that take an element by reference
// raise none.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/CCAccess.h"
#include "engine/ComparisonResult.h"
#include "jet/Catalog.h"
#include "jet/Error.h"

namespace engine::detail {

using Options = CCAccess::CompareOptions;

// A held failure: its number and description, for the three-line report.
struct Failure {
    int32_t number = 0;
    std::string description;
};

// What the drivers need of the engine: announce a visit (the engine raises its
// position, then Comparing) and raise a three-line error report.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void visit(const std::string& name, ObjectKind kind) = 0;
    virtual void report(std::string_view message, const Failure& failure) = 0;
};

// Runs `step` with its failure held instead of thrown: a jet::Error by its own
// number, any other std::exception by the general number. A later failure
// replaces an earlier one.
template <class Step>
void deferred(std::optional<Failure>& held, Step&& step) {
    try {
        step();
    } catch (const jet::Error& e) {
        held = Failure{e.number(), e.description()};
    } catch (const std::exception& e) {
        held = Failure{jet::errorEntry(jet::Err::General).number, e.what()};
    }
}

// A code stored into a 16-bit field; one outside that range is a failure.
[[nodiscard]] int16_t toInt16(int32_t value);

// --- Tables (and, per table, columns, indexes, keys) -------------------------

// An ordinary table (Type "TABLE" in any letter case): the only entries of a
// Tables collection that are counted, visited and paired.
[[nodiscard]] bool isTable(const jet::Table& entry);

void CompareTables(const jet::Collection<jet::Table>& source,
                   const jet::Collection<jet::Table>& destination, bool reverse,
                   TComparisonResult& result, const Options& options, Progress& progress);

void CompareColumns(const jet::Collection<jet::Column>& source,
                    const jet::Collection<jet::Column>& destination, bool reverse, TTable& table,
                    const Options& options);
void CollectColumns(const jet::Collection<jet::Column>& columns, CompareSide side, TTable& table,
                    const Options& options);

void CompareIndexes(const jet::Collection<jet::Index>& source,
                    const jet::Collection<jet::Index>& destination, bool reverse, TTable& table);
void CompareIndexColumns(const jet::Collection<jet::IndexColumn>& source,
                         const jet::Collection<jet::IndexColumn>& destination, bool reverse,
                         TIndex& index);
void CollectIndexes(const jet::Collection<jet::Index>& indexes, CompareSide side, TTable& table);
void CollectIndexColumns(const jet::Collection<jet::IndexColumn>& columns, CompareSide side,
                         TIndex& index);

// Both tables' indexes are given: a key is paired only with a key that takes
// part on its own side, and whether it does depends on that side's indexes.
void CompareKeys(const jet::Collection<jet::Key>& sourceKeys,
                 const jet::Collection<jet::Key>& destinationKeys,
                 const jet::Collection<jet::Index>& sourceIndexes,
                 const jet::Collection<jet::Index>& destinationIndexes, bool reverse,
                 TTable& table);
void CompareKeyColumns(const jet::Collection<jet::KeyColumn>& source,
                       const jet::Collection<jet::KeyColumn>& destination, bool reverse, TKey& key);
void CollectKeys(const jet::Collection<jet::Key>& keys, const jet::Collection<jet::Index>& indexes,
                 CompareSide side, TTable& table);
void CollectKeyColumns(const jet::Collection<jet::KeyColumn>& columns, CompareSide side, TKey& key);

// --- Procedures and views --------------------------------------------------------

void CompareProcedures(const jet::Collection<jet::Procedure>& source,
                       const jet::Collection<jet::Procedure>& destination, bool reverse,
                       ElementArray<TProcedure>& procedures, Progress& progress);
void CompareViews(const jet::Collection<jet::View>& source,
                  const jet::Collection<jet::View>& destination, bool reverse,
                  ElementArray<TView>& views, Progress& progress);
void CompareParameters(const jet::Collection<jet::Parameter>& source,
                       const jet::Collection<jet::Parameter>& destination, bool reverse,
                       TProcedure& procedure);
void CollectParameters(const jet::Collection<jet::Parameter>& parameters, CompareSide side,
                       TProcedure& procedure);

// --- Users and groups ------------------------------------------------------------

// The permission lists walk the record's Tables, Procedures and Views, which
// must be complete before users and groups are compared.
void CompareUsers(const jet::Collection<jet::User>& source,
                  const jet::Collection<jet::User>& destination, bool reverse,
                  TComparisonResult& result, Progress& progress);
void CompareGroups(const jet::Collection<jet::Group>& source,
                   const jet::Collection<jet::Group>& destination, bool reverse,
                   TComparisonResult& result, Progress& progress);

}  // namespace engine::detail
