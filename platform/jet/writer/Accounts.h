#pragma once
// The accounts a session's permission lines name, and their SIDs. One place
// answers for every account the writer needs the SID of, so that accounts
// from elsewhere (made in the same session) can join the lookup here.
#include <optional>
#include <string>
#include <string_view>

#include "jet/CatalogData.h"
#include "jet/Types.h"

namespace jet::file {

// The SID of the user or group `name` (by Jet's rules for names, case aside)
// as its workgroup keeps it: plain bytes, not masked as a Jet 4 database masks
// it. `workgroup` holds the accounts of the workgroup the connection names, as
// the session's reader read them (its catalog). Null when there is no such
// account, or when the workgroup keeps no SID for it.
[[nodiscard]] std::optional<std::string> accountSid(const CatalogData& workgroup,
                                                    std::string_view name, PrincipalKind kind);

// True when `path` is a workgroup file of Jet's own, whose SIDs Access knows
// (a store workgroup's are the store's own).
[[nodiscard]] bool isJetWorkgroup(const std::string& path);

}  // namespace jet::file
