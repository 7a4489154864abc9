#pragma once
// Folded name -> first position: the answer of a linear search from position 0
// for the first entry whose name matches without regard to letter case, built
// once per pass instead of searching once per entry.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "text/CaseFold.h"

namespace engine::detail {

class NameLookup {
public:
    NameLookup() = default;
    explicit NameLookup(size_t expected) { first_.reserve(expected); }

    // Entries must be added in collection order: the first one of a name stays.
    void add(std::string_view name, int32_t position) {
        first_.try_emplace(text::fold(name), position);
    }

    // The first position of `name`, or -1.
    [[nodiscard]] int32_t find(std::string_view name) const {
        const auto it = first_.find(text::fold(name));
        return it == first_.end() ? -1 : it->second;
    }
    [[nodiscard]] bool contains(std::string_view name) const { return find(name) >= 0; }

    // Builds the lookup over every entry of a collection, by Name().
    template <class Collection>
    [[nodiscard]] static NameLookup of(const Collection& items) {
        const int32_t n = items.Count();
        NameLookup lookup(static_cast<size_t>(n < 0 ? 0 : n));
        for (int32_t i = 0; i < n; ++i) lookup.add(items.Item(i).Name(), i);
        return lookup;
    }

private:
    std::unordered_map<std::string, int32_t> first_;
};

}  // namespace engine::detail
