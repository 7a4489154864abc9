#pragma once
// A read-only catalog over a hand-made CatalogData, for tests that need exact
// schema facts no provider makes (odd types, entries of every kind).
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "jet/Catalog.h"

namespace jet::testing {

// Rights by (kind, folded principal name, object type, folded object name);
// the database is keyed by the object name "".
using PermissionMap = std::map<std::tuple<PrincipalKind, std::string, int32_t, std::string>, int32_t>;

[[nodiscard]] std::shared_ptr<Backend> memoryBackend(CatalogData data, PermissionMap permissions = {});

// A catalog bound to memoryBackend(data, permissions).
[[nodiscard]] Catalog memoryCatalog(CatalogData data, PermissionMap permissions = {});

// The key of a PermissionMap entry, with names folded.
[[nodiscard]] std::tuple<PrincipalKind, std::string, int32_t, std::string> permissionKey(
    PrincipalKind kind, std::string_view principal, int32_t objectType, std::string_view object);

}  // namespace jet::testing
