// Procedures (command text and parameters) and views (command text).
#include <string>

#include "engine/detail/Comparison.h"
#include "engine/detail/NameLookup.h"
#include "engine/detail/Pairing.h"
#include "text/CaseFold.h"
#include "text/Trim.h"

namespace engine::detail {

namespace {

template <class Query>
std::string trimmedText(const Query& q) {
    return std::string(text::trimSpaces(q.Command().CommandText()));
}

void readParameter(const jet::Parameter& x, TParameter& p) {
    p.Name = x.Name();
    p.Type = toInt16(x.Type());
    p.Size = x.Size();
}

// What differs between the two kinds: procedures have parameters.
struct ProcedureKind {
    static constexpr ObjectKind kind = okProcedure;
    static void compareBoth(const jet::Procedure& s, const jet::Procedure& d, TProcedure& e) {
        CompareParameters(s.Command().Parameters(), d.Command().Parameters(), false, e);
        CompareParameters(s.Command().Parameters(), d.Command().Parameters(), true, e);
    }
    static void collectOne(const jet::Procedure& x, CompareSide side, TProcedure& e) {
        CollectParameters(x.Command().Parameters(), side, e);
        (side == csSource ? e.Destination : e.Source).Parameters.Clear();
    }
};

struct ViewKind {
    static constexpr ObjectKind kind = okView;
    static void compareBoth(const jet::View&, const jet::View&, TView&) {}
    static void collectOne(const jet::View&, CompareSide, TView&) {}
};

template <class Kind, class Query, class Element>
void compareQueries(const jet::Collection<Query>& source, const jet::Collection<Query>& destination,
                    bool reverse, ElementArray<Element>& list, Progress& progress) {
    if (!reverse) {
        const int32_t n = source.Count();
        list.Redim(n);
        const NameLookup partners = NameLookup::of(destination);
        for (int32_t i = 0; i < n; ++i) {
            const Query s = source.Item(i);
            const std::string name = s.Name();
            progress.visit(name, Kind::kind);
            if (const int32_t j = partners.find(name); j >= 0) {
                const Query d = destination.Item(j);
                const std::string sText = trimmedText(s);
                const std::string dText = trimmedText(d);
                Element& e = list[i + 1];
                e.Name = name;
                e.Action = text::equalNoCase(sText, dText) ? acEqual : acDifferent;
                e.Source.CommandText = sText;
                e.Destination.CommandText = dText;
                Kind::compareBoth(s, d, e);
            } else {
                Element& e = list[i + 1];
                e.Name = name;
                e.Source.CommandText = trimmedText(s);
                e.Action = acOnlyInSource;
                Kind::collectOne(s, csSource, e);
            }
        }
        return;
    }

    // Every destination query counts for progress, paired or not.
    forEachDestinationOnly(
        destination, NameLookup::of(source),
        [&](int32_t i) {
            progress.visit(destination.Item(i).Name(), Kind::kind);
            return true;
        },
        [&](const Query& d, int32_t) {
            Element& e = list.Append();
            e.Name = d.Name();
            e.Action = acOnlyInDestination;
            e.Destination.CommandText = trimmedText(d);
            Kind::collectOne(d, csDestination, e);
        });
}

}  // namespace

void CompareParameters(const jet::Collection<jet::Parameter>& source,
                       const jet::Collection<jet::Parameter>& destination, bool reverse,
                       TProcedure& procedure) {
    const auto& walked = reverse ? destination : source;
    const auto& other = reverse ? source : destination;
    ElementArray<TParameter>& list =
        reverse ? procedure.Destination.Parameters : procedure.Source.Parameters;

    const int32_t n = walked.Count();
    list.Redim(n);
    const NameLookup partners = NameLookup::of(other);
    for (int32_t i = 0; i < n; ++i) {
        const jet::Parameter x = walked.Item(i);
        TParameter& p = list[i + 1];
        if (const int32_t j = partners.find(x.Name()); j >= 0) {
            const jet::Parameter y = other.Item(j);
            // Full 32-bit values: a code that differs only above 16 bits differs.
            if (x.Type() != y.Type() || x.Size() != y.Size()) {
                p.Action = acDifferent;
                procedure.Action = acDifferent;
            } else {
                p.Action = acEqual;
            }
        } else {
            procedure.Action = acDifferent;
            p.Action = reverse ? acOnlyInDestination : acOnlyInSource;
        }
        readParameter(x, p);
    }
}

void CollectParameters(const jet::Collection<jet::Parameter>& parameters, CompareSide side,
                       TProcedure& procedure) {
    ElementArray<TParameter>& list =
        side == csSource ? procedure.Source.Parameters : procedure.Destination.Parameters;
    const int32_t n = parameters.Count();
    list.Redim(n);
    for (int32_t i = 0; i < n; ++i) {
        TParameter& p = list[i + 1];
        p.Action = side == csSource ? acOnlyInSource : acOnlyInDestination;
        readParameter(parameters.Item(i), p);
    }
}

void CompareProcedures(const jet::Collection<jet::Procedure>& source,
                       const jet::Collection<jet::Procedure>& destination, bool reverse,
                       ElementArray<TProcedure>& procedures, Progress& progress) {
    compareQueries<ProcedureKind>(source, destination, reverse, procedures, progress);
}

void CompareViews(const jet::Collection<jet::View>& source,
                  const jet::Collection<jet::View>& destination, bool reverse,
                  ElementArray<TView>& views, Progress& progress) {
    compareQueries<ViewKind>(source, destination, reverse, views, progress);
}

}  // namespace engine::detail
