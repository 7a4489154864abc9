// Indexes of one table: pairing by name, own properties, columns and sort
// orders; one-side listing.
#include "engine/detail/Comparison.h"
#include "engine/detail/NameLookup.h"
#include "engine/detail/Pairing.h"

namespace engine::detail {

namespace {

void readSide(const jet::Index& x, TIndexProps& side) {
    side.IndexNulls = toInt16(x.IndexNulls());
    side.PrimaryKey = x.PrimaryKey();
    side.Unique = x.Unique();
}

// An index that only `side` has: its own half and columns, and an empty column
// list on the other half. The caller marks the table.
void listOneSided(const jet::Index& x, CompareSide side, TIndex& e) {
    TIndexProps& own = side == csSource ? e.Source : e.Destination;
    TIndexProps& other = side == csSource ? e.Destination : e.Source;
    e.Action = side == csSource ? acOnlyInSource : acOnlyInDestination;
    e.Name = x.Name();
    readSide(x, own);
    CollectIndexColumns(x.Columns(), side, e);
    other.Columns.Clear();
}

}  // namespace

void CollectIndexColumns(const jet::Collection<jet::IndexColumn>& columns, CompareSide side,
                         TIndex& index) {
    ElementArray<TIndexColumn>& list =
        side == csSource ? index.Source.Columns : index.Destination.Columns;
    const int32_t n = columns.Count();
    list.Redim(n);
    for (int32_t i = 0; i < n; ++i) {
        const jet::IndexColumn x = columns.Item(i);
        TIndexColumn& c = list[i + 1];
        c.Action = side == csSource ? acOnlyInSource : acOnlyInDestination;
        c.Name = x.Name();
        c.SortOrder = toInt16(x.SortOrder());
    }
}

void CollectIndexes(const jet::Collection<jet::Index>& indexes, CompareSide side, TTable& table) {
    const int32_t n = indexes.Count();
    table.Indexes.Redim(n);
    for (int32_t i = 0; i < n; ++i) listOneSided(indexes.Item(i), side, table.Indexes[i + 1]);
}

void CompareIndexColumns(const jet::Collection<jet::IndexColumn>& source,
                         const jet::Collection<jet::IndexColumn>& destination, bool reverse,
                         TIndex& index) {
    const auto& walked = reverse ? destination : source;
    const auto& other = reverse ? source : destination;
    ElementArray<TIndexColumn>& list = reverse ? index.Destination.Columns : index.Source.Columns;

    const int32_t n = walked.Count();
    list.Redim(n);
    const NameLookup partners = NameLookup::of(other);
    for (int32_t i = 0; i < n; ++i) {
        const jet::IndexColumn c = walked.Item(i);
        const std::string name = c.Name();
        TIndexColumn& e = list[i + 1];
        if (const int32_t j = partners.find(name); j >= 0) {
            if (c.SortOrder() == other.Item(j).SortOrder()) {
                e.Action = acEqual;
            } else {
                e.Action = acDifferent;
                index.Action = acDifferent;
            }
        } else {
            index.Action = acDifferent;
            e.Action = reverse ? acOnlyInDestination : acOnlyInSource;
        }
        e.Name = name;
        e.SortOrder = toInt16(c.SortOrder());
    }
}

void CompareIndexes(const jet::Collection<jet::Index>& source,
                    const jet::Collection<jet::Index>& destination, bool reverse, TTable& table) {
    ElementArray<TIndex>& list = table.Indexes;

    if (!reverse) {
        const int32_t n = source.Count();
        list.Redim(n);
        const NameLookup partners = NameLookup::of(destination);
        for (int32_t i = 0; i < n; ++i) {
            const jet::Index s = source.Item(i);
            TIndex& e = list[i + 1];
            if (const int32_t j = partners.find(s.Name()); j >= 0) {
                const jet::Index d = destination.Item(j);
                const bool differ = s.Unique() != d.Unique() ||
                                    s.PrimaryKey() != d.PrimaryKey() ||
                                    s.IndexNulls() != d.IndexNulls();
                comparePair(s, d, differ, e, table, readSide, CompareIndexColumns);
            } else {
                table.Action = acDifferent;
                listOneSided(s, csSource, e);
            }
        }
        return;
    }

    forEachDestinationOnly(
        destination, NameLookup::of(source), [](int32_t) { return true; },
        [&](const jet::Index& d, int32_t) {
            TIndex& e = list.Append();
            table.Action = acDifferent;
            listOneSided(d, csDestination, e);
        });
}

}  // namespace engine::detail
