// Tables: the forward pass over the source's tables, the reverse pass over the
// destination's, and the column, index and key steps of each table.
#include <limits>
#include <optional>
#include <string>

#include "engine/detail/Comparison.h"
#include "engine/detail/NameLookup.h"
#include "text/CaseFold.h"

namespace engine::detail {

int16_t toInt16(int32_t value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        jet::raise(jet::Err::TypeMismatch, {std::to_string(value), "16-bit integer"});
    return static_cast<int16_t>(value);
}

bool isTable(const jet::Table& entry) { return text::equalNoCase(entry.Type(), "TABLE"); }

namespace {

constexpr std::string_view kColumnsFailed = "Error Occured While Comparing Columns...";
constexpr std::string_view kIndexesFailed = "Error Occured While Comparing Indexes...";
constexpr std::string_view kKeysFailed = "Error Occured While Comparing Keys...";

// Partners are ordinary tables only: a table is never paired with a view or a
// linked table of the same name.
NameLookup tableLookup(const jet::Collection<jet::Table>& tables) {
    const int32_t n = tables.Count();
    NameLookup lookup(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        const jet::Table entry = tables.Item(i);
        if (isTable(entry)) lookup.add(entry.Name(), i);
    }
    return lookup;
}

// The steps of one table element. Failures of a step are held until the step
// is done, then reported, and the step's list is emptied; the next step and the
// next table go on.
class TableSteps {
public:
    TableSteps(TComparisonResult& result, int32_t index, const Options& options, Progress& progress)
        : result_(result), index_(index), options_(options), progress_(progress) {}

    void compare(const jet::Table& s, const jet::Table& d) {
        std::optional<Failure> held;
        deferred(held, [&] { CompareColumns(s.Columns(), d.Columns(), false, table(), options_); });
        deferred(held, [&] { CompareColumns(s.Columns(), d.Columns(), true, table(), options_); });
        finish(held, kColumnsFailed, &TTable::Columns);

        if (options_.includeIndexes) {
            deferred(held, [&] { CompareIndexes(s.Indexes(), d.Indexes(), false, table()); });
            deferred(held, [&] { CompareIndexes(s.Indexes(), d.Indexes(), true, table()); });
            finish(held, kIndexesFailed, &TTable::Indexes);
        } else {
            table().Indexes.Clear();
        }

        if (options_.includeKeys) {
            deferred(held, [&] {
                CompareKeys(s.Keys(), d.Keys(), s.Indexes(), d.Indexes(), false, table());
            });
            deferred(held, [&] {
                CompareKeys(s.Keys(), d.Keys(), s.Indexes(), d.Indexes(), true, table());
            });
            finish(held, kKeysFailed, &TTable::Keys);
        } else {
            table().Keys.Clear();
        }
    }

    void collect(const jet::Table& t, CompareSide side) {
        std::optional<Failure> held;
        deferred(held, [&] { CollectColumns(t.Columns(), side, table(), options_); });
        finish(held, kColumnsFailed, &TTable::Columns);

        if (options_.includeIndexes) {
            deferred(held, [&] { CollectIndexes(t.Indexes(), side, table()); });
            finish(held, kIndexesFailed, &TTable::Indexes);
        } else {
            table().Indexes.Clear();
        }

        if (options_.includeKeys) {
            deferred(held, [&] { CollectKeys(t.Keys(), t.Indexes(), side, table()); });
            finish(held, kKeysFailed, &TTable::Keys);
        } else {
            table().Keys.Clear();
        }
    }

private:
    // Taken afresh each time: an error report hands control to the receiver.
    TTable& table() { return result_.Tables[index_]; }

    template <class List>
    void finish(std::optional<Failure>& held, std::string_view message, List TTable::*list) {
        if (!held) return;
        const Failure failure = std::move(*held);
        held.reset();
        progress_.report(message, failure);
        (table().*list).Clear();
    }

    TComparisonResult& result_;
    int32_t index_;
    const Options& options_;
    Progress& progress_;
};

}  // namespace

void CompareTables(const jet::Collection<jet::Table>& source,
                   const jet::Collection<jet::Table>& destination, bool reverse,
                   TComparisonResult& result, const Options& options, Progress& progress) {
    if (!reverse) {
        // Made anew, so that nothing of an earlier record (a Selected flag, a
        // table the source no longer has) survives into this one.
        result.Tables.Clear();
        const NameLookup partners = tableLookup(destination);
        const int32_t n = source.Count();
        for (int32_t i = 0; i < n; ++i) {
            const jet::Table s = source.Item(i);
            if (!isTable(s)) continue;
            const std::string name = s.Name();
            const int32_t k = result.Tables.UBound() + 1;
            result.Tables.RedimPreserve(k);
            progress.visit(name, okTable);

            TableSteps steps(result, k, options, progress);
            const int32_t j = partners.find(name);
            if (j >= 0) {
                const jet::Table d = destination.Item(j);
                TTable& t = result.Tables[k];
                t.Name = name;
                t.Action = acEqual;
                steps.compare(s, d);
            } else {
                TTable& t = result.Tables[k];
                t.Name = name;
                t.Action = acOnlyInSource;
                steps.collect(s, csSource);
            }
        }
        return;
    }

    const NameLookup sources = tableLookup(source);
    const int32_t n = destination.Count();
    for (int32_t i = 0; i < n; ++i) {
        const jet::Table d = destination.Item(i);
        if (!isTable(d)) continue;
        const std::string name = d.Name();
        progress.visit(name, okTable);
        if (sources.contains(name)) continue;

        const int32_t k = result.Tables.UBound() + 1;
        result.Tables.RedimPreserve(k);
        TTable& t = result.Tables[k];
        t.Name = name;
        t.Action = acOnlyInDestination;
        TableSteps(result, k, options, progress).collect(d, csDestination);
    }
}

}  // namespace engine::detail
