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

// What the platform delivers for one column, each member read once.
struct RawColumn {
    int32_t type = 0;
    int32_t definedSize = 0;
    int32_t attributes = 0;
    uint8_t numericScale = 0;
    uint8_t precision = 0;
    jet::Variant autoIncrement, defaultValue, description, seed, increment, compressed,
        allowZeroLength;
};

// Seed and increment are read only when they are to be used.
RawColumn readRaw(const jet::Column& x, bool withIncrementAndSeed) {
    RawColumn r;
    r.definedSize = x.DefinedSize();
    r.type = x.Type();
    r.attributes = x.Attributes();
    r.numericScale = x.NumericScale();
    r.precision = x.Precision();
    const jet::Properties p = x.Properties();
    r.compressed = p.Item(jet::prop::CompressedUnicode).Value();
    r.allowZeroLength = p.Item(jet::prop::AllowZeroLength).Value();
    r.defaultValue = p.Item(jet::prop::Default).Value();
    r.autoIncrement = p.Item(jet::prop::Autoincrement).Value();
    if (withIncrementAndSeed) {
        r.increment = p.Item(jet::prop::Increment).Value();
        r.seed = p.Item(jet::prop::Seed).Value();
    }
    r.description = p.Item(jet::prop::Description).Value();
    return r;
}

std::string trimmedText(const jet::Variant& value) {
    return std::string(text::trimSpaces(jet::toText(value)));
}

// One side of a column. With `actualIncrementAndSeed` the provider's increment
// and seed are stored whatever the option says (`x` must carry them).
TColumnProps sideOf(const RawColumn& x, const Options& options, bool actualIncrementAndSeed) {
    TColumnProps r;
    r.DefinedSize = x.definedSize;
    r.Type = toInt16(x.type);
    r.NotNull = (x.attributes & jet::kColumnNullable) == 0;
    r.NumericScale = x.numericScale;
    r.Precision = x.precision;
    r.Compressed = jet::toBool(x.compressed);
    r.AllowZeroLength = jet::toBool(x.allowZeroLength);
    r.Default = jet::toText(x.defaultValue);
    r.AutoIncrement = jet::toBool(x.autoIncrement);
    if (options.compareIncrementAndSeed || actualIncrementAndSeed) {
        r.Increment = jet::toInt32(x.increment);
        r.Seed = jet::toInt32(x.seed);
    } else if (r.AutoIncrement) {
        r.Increment = 1;
        r.Seed = 0;
    }
    r.Description = trimmedText(x.description);
    return r;
}

TColumnProps readSide(const jet::Column& x, const Options& options, bool actualIncrementAndSeed) {
    const bool withIncrementAndSeed = options.compareIncrementAndSeed || actualIncrementAndSeed;
    return sideOf(readRaw(x, withIncrementAndSeed), options, actualIncrementAndSeed);
}

// Values are compared as the platform delivers them: numbers by value, texts
// without regard to letter case.
bool columnsDiffer(const RawColumn& s, const RawColumn& d, const Options& options) {
    bool differ = false;
    differ |= s.type != d.type;
    differ |= s.definedSize != d.definedSize;
    differ |= (s.attributes & jet::kColumnNullable) != (d.attributes & jet::kColumnNullable);
    differ |= !jet::sameValue(s.compressed, d.compressed);
    differ |= !jet::sameValue(s.allowZeroLength, d.allowZeroLength);
    differ |= !jet::sameValue(s.defaultValue, d.defaultValue);
    differ |= !jet::sameValue(s.autoIncrement, d.autoIncrement);
    if (options.compareIncrementAndSeed) {
        differ |= !jet::sameValue(s.increment, d.increment);
        differ |= !jet::sameValue(s.seed, d.seed);
    }
    differ |= !text::equalNoCase(trimmedText(s.description), trimmedText(d.description));
    // Precision and scale are the definition of a DECIMAL column, not a
    // by-product of its type.
    if (s.type == jet::adtype::Numeric && d.type == jet::adtype::Numeric) {
        differ |= s.precision != d.precision;
        differ |= s.numericScale != d.numericScale;
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
                // Both columns are read in full before the outcome is decided.
                const RawColumn sRaw = readRaw(s, options.compareIncrementAndSeed);
                const RawColumn dRaw = readRaw(*partner, options.compareIncrementAndSeed);
                if (columnsDiffer(sRaw, dRaw, options)) {
                    c.Action = acDifferent;
                    table.Action = acDifferent;
                } else {
                    c.Action = acEqual;
                }
                c.Name = sName;
                c.Source = sideOf(sRaw, options, false);
                c.DestinationName = partner->Name();
                c.Destination = sideOf(dRaw, options, false);
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
