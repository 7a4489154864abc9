#pragma once
// A catalog decorator for tests: a Catalog whose objects fail chosen member
// accesses (a collection's Count, an entry, a property position,
// GetPermissions, …) with a chosen error, for the error paths of callers.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jet/Catalog.h"
#include "jet/ErrorCodes.h"

namespace jet::testing {

struct Fault {
    std::string object = "*";  // FaultSite::object, or "*" for any
    std::string path = "*";    // FaultSite::path (case-insensitive), or "*" for any
    std::string member = "*";  // FaultSite::member, or "*" for any
    int32_t position = -1;     // FaultSite::position, or -1 for any
    int32_t number = hr::Fail;
    std::string description = "Injected fault";
    int skip = 0;    // matching accesses let through before the first failure
    int times = -1;  // failures after that (-1: every later match)
};

class FaultPlan : public FaultHook {
public:
    explicit FaultPlan(std::vector<Fault> faults) : faults_(std::move(faults)), hits_(faults_.size()) {}
    void check(const FaultSite& site) const override;
    // How many accesses matched fault `i` so far (failed or let through).
    [[nodiscard]] int hits(size_t i) const { return hits_.at(i); }

private:
    std::vector<Fault> faults_;
    mutable std::vector<int> hits_;
};

// An unbound catalog carrying `plan`: bind it with ActiveConnection as usual.
[[nodiscard]] Catalog faultyCatalog(std::shared_ptr<const FaultPlan> plan);

// Installs a plan of `faults` on `catalog`, bound or not, and returns it so that
// a test can read its hits.
std::shared_ptr<FaultPlan> injectFaults(Catalog& catalog, std::vector<Fault> faults);

}  // namespace jet::testing
