// Columns of one table: pairing, property comparison, one-side listing.
#include <optional>
#include <string>

#include "engine/detail/Comparison.h"
#include "engine/detail/NameLookup.h"
#include "jet/Types.h"
#include "jet/Variant.h"
#include "text/CaseFold.h"
#include "text/Trim.h"

namespace engine::detail {

namespace {

jet::Variant property(const jet::Properties& properties, int position) {
    return properties.Item(position).Value();
}

std::string trimmedText(const jet::Variant& value) {
    return std::string(text::trimSpaces(jet::toText(value)));
}

// One side of a column. With `actualIncrementAndSeed` the provider's increment
// and seed are read whatever the option says.
TColumnProps readSide(const jet::Column& x, const Options& options, bool actualIncrementAndSeed) {
    TColumnProps r;
    r.DefinedSize = x.DefinedSize();
    r.Type = toInt16(x.Type());
    r.NotNull = (x.Attributes() & jet::kColumnNullable) == 0;
    r.NumericScale = x.NumericScale();
    r.Precision = x.Precision();
    const jet::Properties p = x.Properties();
    r.Compressed = jet::toBool(property(p, jet::prop::CompressedUnicode));
    r.AllowZeroLength = jet::toBool(property(p, jet::prop::AllowZeroLength));
    r.Default = jet::toText(property(p, jet::prop::Default));
    r.AutoIncrement = jet::toBool(property(p, jet::prop::Autoincrement));
    if (options.compareIncrementAndSeed || actualIncrementAndSeed) {
        r.Increment = jet::toInt32(property(p, jet::prop::Increment));
        r.Seed = jet::toInt32(property(p, jet::prop::Seed));
    } else if (r.AutoIncrement) {
        r.Increment = 1;
        r.Seed = 0;
    }
    r.Description = trimmedText(property(p, jet::prop::Description));
    return r;
}

// Every comparison is fetched before the outcome is decided, so that a value
// that cannot be read fails the pair whatever came before it.
bool columnsDiffer(const jet::Column& s, const jet::Column& d, const Options& options) {
    bool differ = false;
    const int32_t sType = s.Type();
    const int32_t dType = d.Type();
    differ |= sType != dType;
    differ |= s.DefinedSize() != d.DefinedSize();
    differ |= (s.Attributes() & jet::kColumnNullable) != (d.Attributes() & jet::kColumnNullable);
    const jet::Properties sp = s.Properties();
    const jet::Properties dp = d.Properties();
    for (int position : {jet::prop::CompressedUnicode, jet::prop::AllowZeroLength,
                         jet::prop::Default, jet::prop::Autoincrement})
        differ |= !jet::sameValue(property(sp, position), property(dp, position));
    if (options.compareIncrementAndSeed) {
        differ |= !jet::sameValue(property(sp, jet::prop::Increment), property(dp, jet::prop::Increment));
        differ |= !jet::sameValue(property(sp, jet::prop::Seed), property(dp, jet::prop::Seed));
    }
    differ |= !text::equalNoCase(trimmedText(property(sp, jet::prop::Description)),
                                 trimmedText(property(dp, jet::prop::Description)));
    // Precision and scale are the definition of a DECIMAL column, not a
    // by-product of its type.
    if (sType == jet::adtype::Numeric && dType == jet::adtype::Numeric) {
        differ |= s.Precision() != d.Precision();
        differ |= s.NumericScale() != d.NumericScale();
    }
    return differ;
}

}  // namespace

void CollectColumns(const jet::Collection<jet::Column>& columns, CompareSide side, TTable& table,
                    const Options& options) {
    const int32_t n = columns.Count();
    table.Columns.Redim(n);
    for (int32_t i = 0; i < n; ++i) {
        const jet::Column x = columns.Item(i);
        TColumn& c = table.Columns[i + 1];
        if (side == csDestination) {
            c.Action = acOnlyInDestination;
            c.Name = x.Name();
            c.Destination = readSide(x, options, false);
        } else if (side == csSource) {
            c.Action = acOnlyInSource;
            c.Name = x.Name();
            c.Source = readSide(x, options, false);
        }
    }
}

void CompareColumns(const jet::Collection<jet::Column>& source,
                    const jet::Collection<jet::Column>& destination, bool reverse, TTable& table,
                    const Options& options) {
    ElementArray<TColumn>& columns = table.Columns;

    if (!reverse) {
        const int32_t sCount = source.Count();
        columns.Redim(sCount);
        const NameLookup byName = NameLookup::of(destination);
        const int32_t dCount = destination.Count();
        // Only needed for pairing by position.
        std::optional<NameLookup> sourceNames;
        if (options.matchColumns) sourceNames = NameLookup::of(source);

        for (int32_t i = 0; i < sCount; ++i) {
            const jet::Column s = source.Item(i);
            const std::string sName = s.Name();
            // A name match anywhere in the destination wins. Only without one
            // is the column at the same position taken, and only when no source
            // column bears its name (that column is that source column's partner).
            std::optional<jet::Column> partner;
            if (const int32_t j = byName.find(sName); j >= 0) {
                partner = destination.Item(j);
            } else if (options.matchColumns && dCount >= i + 1) {
                const jet::Column candidate = destination.Item(i);
                if (!sourceNames->contains(candidate.Name())) partner = candidate;
            }

            TColumn& c = columns[i + 1];
            if (partner) {
                if (columnsDiffer(s, *partner, options)) {
                    c.Action = acDifferent;
                    table.Action = acDifferent;
                } else {
                    c.Action = acEqual;
                }
                c.Name = sName;
                c.Source = readSide(s, options, false);
                c.DestinationName = partner->Name();
                c.Destination = readSide(*partner, options, false);
            } else {
                c.Action = acOnlyInSource;
                table.Action = acDifferent;
                c.Name = sName;
                c.Source = readSide(s, options, false);
            }
        }
        return;
    }

    const NameLookup sourceNames = NameLookup::of(source);
    // Destination names already taken by the forward pass's position pairing.
    std::optional<NameLookup> taken;
    if (options.matchColumns) {
        taken.emplace();
        for (int32_t e = 1; e <= columns.UBound(); ++e) taken->add(columns[e].DestinationName, e);
    }
    const int32_t dCount = destination.Count();
    for (int32_t j = 0; j < dCount; ++j) {
        const jet::Column d = destination.Item(j);
        const std::string dName = d.Name();
        if (sourceNames.contains(dName)) continue;
        if (taken && taken->contains(dName)) continue;

        TColumn& c = columns.Append();
        c.Action = acOnlyInDestination;
        table.Action = acDifferent;
        c.Name = dName;
        c.DestinationName = dName;
        c.Destination = readSide(d, options, true);
        if (taken) taken->add(dName, columns.UBound());
    }
}

}  // namespace engine::detail
