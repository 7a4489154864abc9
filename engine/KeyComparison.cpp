// Keys of one table: which keys take part, pairing, comparison of the pair and
// of its columns; one-side listing.
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/detail/Comparison.h"
#include "engine/detail/NameLookup.h"
#include "engine/detail/Pairing.h"
#include "jet/Types.h"
#include "text/CaseFold.h"

namespace engine::detail {

namespace {

void readSide(const jet::Key& x, TKeyProps& side) {
    side.Type = toInt16(x.Type());
    side.RelatedTable = x.RelatedTable();
    side.UpdateRule = toInt16(x.UpdateRule());
    side.DeleteRule = toInt16(x.DeleteRule());
}

// A key that only `side` has: its own half and columns, and an empty column
// list on the other half. The caller marks the table.
void listOneSided(const jet::Key& x, CompareSide side, TKey& e) {
    TKeyProps& own = side == csSource ? e.Source : e.Destination;
    TKeyProps& other = side == csSource ? e.Destination : e.Source;
    e.Action = side == csSource ? acOnlyInSource : acOnlyInDestination;
    e.Name = x.Name();
    readSide(x, own);
    CollectKeyColumns(x.Columns(), side, e);
    other.Columns.Clear();
}

// The keys of one side that take part in the comparison: a key needs an index
// of its name on its table, and a unique key that shares its name with a
// foreign key of the same table is that foreign key's shadow and stays out.
// `first` gives the first taking part of each name: a key is paired only with
// a key that takes part on the other side.
struct Participants {
    std::vector<bool> takesPart;
    NameLookup first;
};

Participants participants(const jet::Collection<jet::Key>& keys,
                          const jet::Collection<jet::Index>& indexes) {
    const NameLookup indexNames = NameLookup::of(indexes);
    const int32_t n = keys.Count();
    std::vector<std::string> names(static_cast<size_t>(n));
    std::vector<int32_t> types(static_cast<size_t>(n));
    std::unordered_set<std::string> foreignNames;
    for (int32_t i = 0; i < n; ++i) {
        const jet::Key k = keys.Item(i);
        names[static_cast<size_t>(i)] = k.Name();
        types[static_cast<size_t>(i)] = k.Type();
        if (types[static_cast<size_t>(i)] == jet::keytype::Foreign)
            foreignNames.insert(text::fold(names[static_cast<size_t>(i)]));
    }
    Participants p{std::vector<bool>(static_cast<size_t>(n)), NameLookup(static_cast<size_t>(n))};
    for (int32_t i = 0; i < n; ++i) {
        const std::string& name = names[static_cast<size_t>(i)];
        const bool indexed = indexNames.contains(name);
        const bool shadow = types[static_cast<size_t>(i)] == jet::keytype::Unique &&
                            foreignNames.count(text::fold(name)) != 0;
        p.takesPart[static_cast<size_t>(i)] = indexed && !shadow;
        if (indexed && !shadow) p.first.add(name, i);
    }
    return p;
}

}  // namespace

void CollectKeyColumns(const jet::Collection<jet::KeyColumn>& columns, CompareSide side, TKey& key) {
    ElementArray<TKeyColumn>& list = side == csSource ? key.Source.Columns : key.Destination.Columns;
    const int32_t n = columns.Count();
    list.Redim(n);
    for (int32_t i = 0; i < n; ++i) {
        const jet::KeyColumn x = columns.Item(i);
        TKeyColumn& c = list[i + 1];
        c.Action = side == csSource ? acOnlyInSource : acOnlyInDestination;
        c.Name = x.Name();
        c.RelatedColumn = x.RelatedColumn();
    }
}

void CollectKeys(const jet::Collection<jet::Key>& keys, const jet::Collection<jet::Index>& indexes,
                 CompareSide side, TTable& table) {
    table.Keys.Clear();
    const NameLookup indexNames = NameLookup::of(indexes);
    const int32_t n = keys.Count();
    for (int32_t i = 0; i < n; ++i) {
        const jet::Key k = keys.Item(i);
        if (!indexNames.contains(k.Name())) continue;
        listOneSided(k, side, table.Keys.Append());
    }
}

void CompareKeyColumns(const jet::Collection<jet::KeyColumn>& source,
                       const jet::Collection<jet::KeyColumn>& destination, bool reverse, TKey& key) {
    const auto& walked = reverse ? destination : source;
    const auto& other = reverse ? source : destination;
    ElementArray<TKeyColumn>& list = reverse ? key.Destination.Columns : key.Source.Columns;

    const int32_t n = walked.Count();
    list.Redim(n);
    const NameLookup partners = NameLookup::of(other);
    for (int32_t i = 0; i < n; ++i) {
        const jet::KeyColumn c = walked.Item(i);
        const std::string name = c.Name();
        const std::string related = c.RelatedColumn();
        TKeyColumn& e = list[i + 1];
        if (const int32_t j = partners.find(name); j >= 0) {
            if (text::equalNoCase(related, other.Item(j).RelatedColumn())) {
                e.Action = acEqual;
            } else {
                e.Action = acDifferent;
                key.Action = acDifferent;
            }
        } else {
            key.Action = acDifferent;
            e.Action = reverse ? acOnlyInDestination : acOnlyInSource;
        }
        e.Name = name;
        e.RelatedColumn = related;
    }
}

void CompareKeys(const jet::Collection<jet::Key>& sourceKeys,
                 const jet::Collection<jet::Key>& destinationKeys,
                 const jet::Collection<jet::Index>& sourceIndexes,
                 const jet::Collection<jet::Index>& destinationIndexes, bool reverse,
                 TTable& table) {
    const Participants src = participants(sourceKeys, sourceIndexes);
    const Participants dst = participants(destinationKeys, destinationIndexes);

    if (!reverse) {
        table.Keys.Clear();
        const int32_t n = static_cast<int32_t>(src.takesPart.size());
        for (int32_t i = 0; i < n; ++i) {
            if (!src.takesPart[static_cast<size_t>(i)]) continue;
            const jet::Key s = sourceKeys.Item(i);
            const int32_t j = dst.first.find(s.Name());
            TKey& e = table.Keys.Append();
            if (j >= 0) {
                const jet::Key d = destinationKeys.Item(j);
                const bool differ = s.Type() != d.Type() || s.UpdateRule() != d.UpdateRule() ||
                                    s.DeleteRule() != d.DeleteRule() ||
                                    !text::equalNoCase(s.RelatedTable(), d.RelatedTable());
                comparePair(s, d, differ, e, table, readSide, CompareKeyColumns);
            } else {
                table.Action = acDifferent;
                listOneSided(s, csSource, e);
            }
        }
        return;
    }

    forEachDestinationOnly(
        destinationKeys, src.first,
        [&](int32_t i) { return dst.takesPart[static_cast<size_t>(i)]; },
        [&](const jet::Key& d, int32_t) {
            TKey& e = table.Keys.Append();
            table.Action = acDifferent;
            listOneSided(d, csDestination, e);
        });
}

}  // namespace engine::detail
