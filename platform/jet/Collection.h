#pragma once
// Collections of catalog objects: Count(), Item(position) 0-based, Item(name)
// case-insensitive first match. Entries are light handles that share the
// snapshot they came from; a handle stays valid (and unchanged) after later
// changes to the database, which show in collections fetched afterwards.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "jet/Backend.h"
#include "jet/CatalogData.h"
#include "jet/Error.h"
#include "jet/FaultHook.h"
#include "text/CaseFold.h"

namespace jet {

namespace detail {

// What every handle carries: the snapshot it reads, the backend it writes
// through, and the test hook with the handle's path (kept only with a hook).
struct Ctx {
    std::shared_ptr<const CatalogData> data;
    std::shared_ptr<Backend> backend;
    std::shared_ptr<const FaultHook> hook;
    std::string path;

    void check(std::string_view object, std::string_view member, int32_t position = -1) const {
        if (hook) hook->check(FaultSite{object, path, member, position});
    }
    [[nodiscard]] Ctx child(std::string_view name) const {
        Ctx c{data, backend, hook, {}};
        if (hook) c.path = path.empty() ? std::string(name) : path + "/" + std::string(name);
        return c;
    }
};

}  // namespace detail

template <class T>
class Collection {
public:
    using Data = typename T::Data;

    Collection() = default;

    [[nodiscard]] int32_t Count() const {
        ctx_.check(T::kCollection, "Count");
        return static_cast<int32_t>(items_.size());
    }

    // Throws Err::ItemNotFound for a position outside 0 … Count() - 1.
    [[nodiscard]] T Item(int32_t position) const {
        ctx_.check(T::kCollection, "Item", position);
        if (position < 0 || static_cast<size_t>(position) >= items_.size())
            raise(Err::ItemNotFound);
        const Data* d = items_[static_cast<size_t>(position)];
        return T(ctx_.child(d->name), d, owner_);
    }

    // The first entry whose name matches without regard to letter case; throws
    // Err::ItemNotFound when there is none.
    [[nodiscard]] T Item(std::string_view name) const {
        ctx_.check(T::kCollection, "Item");
        for (const Data* d : items_)
            if (text::equalNoCase(d->name, name)) return T(ctx_.child(d->name), d, owner_);
        raise(Err::ItemNotFound);
    }

    // Layer-internal: made by the objects that own the collection.
    Collection(detail::Ctx ctx, std::vector<const Data*> items, const void* owner = nullptr)
        : ctx_(std::move(ctx)), items_(std::move(items)), owner_(owner) {}

private:
    detail::Ctx ctx_;
    std::vector<const Data*> items_;
    const void* owner_ = nullptr;  // the parent record, for entries that write through it
};

template <class Data>
[[nodiscard]] std::vector<const Data*> pointersTo(const std::vector<Data>& v) {
    std::vector<const Data*> out;
    out.reserve(v.size());
    for (const auto& d : v) out.push_back(&d);
    return out;
}

}  // namespace jet
