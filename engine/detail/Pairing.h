#pragma once
// The steps every kind of element goes through when the engine pairs the two
// sides by name: a pair read and compared both ways, and the reverse pass
// over what only the destination holds.
#include <cstdint>

#include "engine/ComparisonResult.h"
#include "engine/detail/NameLookup.h"

namespace engine::detail {

// A key or an index found on both sides: `differ` (its own properties)
// decides acEqual or acDifferent; both halves are read and the columns are
// compared from each side. The pair carries the destination's spelling of the
// name. A pair that differs in anything, its columns included, makes the table
// differ, or the table would read equal and never be scripted.
template <class Element, class Item, class ReadSide, class CompareColumns>
void comparePair(const Item& s, const Item& d, bool differ, Element& e, TTable& table,
                 ReadSide readSide, CompareColumns compareColumns) {
    if (differ) {
        e.Action = acDifferent;
        table.Action = acDifferent;
    } else {
        e.Action = acEqual;
    }
    e.Name = s.Name();
    readSide(s, e.Source);
    compareColumns(s.Columns(), d.Columns(), false, e);
    e.Name = d.Name();
    readSide(d, e.Destination);
    compareColumns(s.Columns(), d.Columns(), true, e);
    if (e.Action == acDifferent) table.Action = acDifferent;
}

// The reverse pass: `visit(item, position)` for every item of `destination`
// that takes part (`takesPart(position)`) and whose name the source does not
// hold, in the destination's order.
template <class Collection, class TakesPart, class Visit>
void forEachDestinationOnly(const Collection& destination, const NameLookup& sources,
                            TakesPart takesPart, Visit visit) {
    const int32_t n = destination.Count();
    for (int32_t i = 0; i < n; ++i) {
        if (!takesPart(i)) continue;
        const auto d = destination.Item(i);
        if (sources.contains(d.Name())) continue;
        visit(d, i);
    }
}

}  // namespace engine::detail
