#include "jet/CatalogData.h"

#include <algorithm>
#include <unordered_set>

#include "text/CaseFold.h"

namespace jet {

namespace {

template <class T>
void sortByName(std::vector<T>& items) {
    // Fold once per item, then sort stably on the folded names.
    std::vector<std::pair<std::string, size_t>> keys;
    keys.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) keys.emplace_back(text::fold(items[i].name), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    bool sorted = true;
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i].second != i) sorted = false;
    if (sorted) return;
    std::vector<T> out;
    out.reserve(items.size());
    for (auto& k : keys) out.push_back(std::move(items[k.second]));
    items = std::move(out);
}

}  // namespace

void normalize(CatalogData& data) {
    std::unordered_set<std::string> tableNames;
    tableNames.reserve(data.tables.size());
    for (const auto& t : data.tables) tableNames.insert(text::fold(t.name));
    for (const auto& v : data.views) {
        if (tableNames.insert(text::fold(v.name)).second) {
            TableData t;
            t.name = v.name;
            t.type = "VIEW";
            data.tables.push_back(std::move(t));
        }
    }
    sortByName(data.tables);
    for (auto& t : data.tables) {
        sortByName(t.indexes);
        sortByName(t.keys);
    }
    sortByName(data.views);
    sortByName(data.procedures);
    sortByName(data.users);
    sortByName(data.groups);
}

}  // namespace jet
