#pragma once
// Small hand-made comparison result records for the generator's tests.
#include <initializer_list>
#include <string>
#include <utility>

#include "engine/ComparisonResult.h"

namespace rb {

using namespace engine;

template <class T>
ElementArray<T> arr(std::initializer_list<T> items) {
    ElementArray<T> a;
    for (const T& t : items) a.Append() = t;
    return a;
}

inline constexpr std::string_view kRun = "\r\n\r\nRUN\r\n\r\n";
// One statement with its separator.
inline std::string st(const std::string& text) { return text + std::string(kRun); }

// Column sides. The engine writes Increment 1 and Seed 0 when seeds are not read.
inline TColumnProps type(int16_t code, int32_t size = 0) {
    TColumnProps p;
    p.Type = code;
    p.DefinedSize = size;
    p.Increment = 1;
    return p;
}
inline TColumnProps text(int32_t size = 50) { return type(202, size); }
inline TColumnProps integer() { return type(3, 4); }
inline TColumnProps counter() {
    auto p = type(3, 4);
    p.AutoIncrement = true;
    p.NotNull = true;
    return p;
}
inline TColumnProps with(TColumnProps p, void (*f)(TColumnProps&)) {
    f(p);
    return p;
}

inline TColumn sourceOnly(std::string name, TColumnProps p) {
    TColumn c;
    c.Name = std::move(name);
    c.Action = acOnlyInSource;
    c.Source = p;
    return c;
}
inline TColumn destinationOnly(std::string name, TColumnProps p) {
    TColumn c;
    c.Name = name;
    c.DestinationName = std::move(name);
    c.Action = acOnlyInDestination;
    c.Destination = p;
    return c;
}
inline TColumn both(std::string name, TColumnProps s, TColumnProps d, int32_t action = acDifferent,
                    std::string destinationName = {}) {
    TColumn c;
    c.DestinationName = destinationName.empty() ? name : std::move(destinationName);
    c.Name = std::move(name);
    c.Action = action;
    c.Source = s;
    c.Destination = d;
    return c;
}

inline TKeyProps foreignHalf(std::string related,
                             std::initializer_list<std::pair<std::string, std::string>> columns,
                             int16_t updateRule = 0, int16_t deleteRule = 0) {
    TKeyProps h;
    h.Type = 2;
    h.RelatedTable = std::move(related);
    h.UpdateRule = updateRule;
    h.DeleteRule = deleteRule;
    for (const auto& [c, r] : columns) {
        auto& kc = h.Columns.Append();
        kc.Name = c;
        kc.RelatedColumn = r;
    }
    return h;
}
inline TKeyProps keyHalf(int16_t keyType, std::initializer_list<std::string> columns) {
    TKeyProps h;
    h.Type = keyType;
    for (const auto& c : columns) h.Columns.Append().Name = c;
    return h;
}
inline TKey key(std::string name, int32_t action, TKeyProps s, TKeyProps d) {
    TKey k;
    k.Name = std::move(name);
    k.Action = action;
    k.Source = std::move(s);
    k.Destination = std::move(d);
    return k;
}

inline TIndexProps indexHalf(std::initializer_list<std::pair<std::string, int16_t>> columns,
                             bool unique = false, bool primary = false, int16_t nulls = 0) {
    TIndexProps h;
    h.Unique = unique;
    h.PrimaryKey = primary;
    h.IndexNulls = nulls;
    for (const auto& [c, order] : columns) {
        auto& ic = h.Columns.Append();
        ic.Name = c;
        ic.SortOrder = order;
    }
    return h;
}
inline TIndex index(std::string name, int32_t action, TIndexProps s, TIndexProps d) {
    TIndex i;
    i.Name = std::move(name);
    i.Action = action;
    i.Source = std::move(s);
    i.Destination = std::move(d);
    return i;
}

inline TTable table(std::string name, int32_t action, bool selected,
                    std::initializer_list<TColumn> columns, std::initializer_list<TKey> keys = {},
                    std::initializer_list<TIndex> indexes = {}) {
    TTable t;
    t.Name = std::move(name);
    t.Action = action;
    t.Selected = selected;
    t.Columns = arr(columns);
    t.Keys = arr(keys);
    t.Indexes = arr(indexes);
    return t;
}

inline TView view(std::string name, int32_t action, bool selected, std::string source,
                  std::string destination) {
    TView v;
    v.Name = std::move(name);
    v.Action = action;
    v.Selected = selected;
    v.Source.CommandText = std::move(source);
    v.Destination.CommandText = std::move(destination);
    return v;
}
inline TProcedure procedure(std::string name, int32_t action, bool selected, std::string source,
                            std::string destination) {
    TProcedure p;
    p.Name = std::move(name);
    p.Action = action;
    p.Selected = selected;
    p.Source.CommandText = std::move(source);
    p.Destination.CommandText = std::move(destination);
    return p;
}

inline TMember member(std::string name, int32_t action) { return TMember{std::move(name), action}; }
inline TPermission permission(int32_t action, std::string object, int16_t objectType,
                              int32_t objectIndex, int32_t rights) {
    return TPermission{action, std::move(object), objectType, objectIndex, rights};
}
inline TPrincipal principal(std::string name, int32_t action, bool selected, TPrincipalProps s,
                            TPrincipalProps d) {
    TPrincipal p;
    p.Name = std::move(name);
    p.Action = action;
    p.Selected = selected;
    p.Source = std::move(s);
    p.Destination = std::move(d);
    return p;
}
inline TPrincipalProps principalSide(std::initializer_list<TMember> members,
                                     std::initializer_list<TPermission> permissions) {
    TPrincipalProps p;
    p.Members = arr(members);
    p.Permissions = arr(permissions);
    return p;
}

// The same differences seen from the other side: halves swapped, codes 2 and 3
// exchanged, column names as the engine would have written them. The script of
// the mirror in one direction equals the script of the original in the other.
inline int32_t mirrorAction(int32_t a) {
    return a == acOnlyInSource        ? acOnlyInDestination
           : a == acOnlyInDestination ? acOnlyInSource
                                      : a;
}
template <class E>
void swapHalves(E& e) {
    std::swap(e.Source, e.Destination);
    e.Action = mirrorAction(e.Action);
}
inline TComparisonResult mirror(TComparisonResult r) {
    for (auto& t : r.Tables) {
        t.Action = mirrorAction(t.Action);
        for (auto& c : t.Columns) {
            swapHalves(c);
            if (c.Action == acOnlyInSource)
                c.DestinationName.clear();
            else if (c.Action == acOnlyInDestination)
                c.DestinationName = c.Name;
            else
                std::swap(c.Name, c.DestinationName);
        }
        for (auto& k : t.Keys) swapHalves(k);
        for (auto& i : t.Indexes) swapHalves(i);
    }
    for (auto& v : r.Views) swapHalves(v);
    for (auto& p : r.Procedures) swapHalves(p);
    for (auto* list : {&r.Users, &r.Groups})
        for (auto& p : *list) {
            swapHalves(p);
            for (auto* side : {&p.Source, &p.Destination}) {
                for (auto& m : side->Members) m.Action = mirrorAction(m.Action);
            }
        }
    return r;
}

}  // namespace rb
