#include "jet/testing/FaultyCatalog.h"

#include "jet/Error.h"
#include "text/CaseFold.h"

namespace jet::testing {

void FaultPlan::check(const FaultSite& site) const {
    for (size_t i = 0; i < faults_.size(); ++i) {
        const Fault& f = faults_[i];
        if (f.object != "*" && f.object != site.object) continue;
        if (f.member != "*" && f.member != site.member) continue;
        if (f.path != "*" && !text::equalNoCase(f.path, site.path)) continue;
        if (f.position != -1 && f.position != site.position) continue;
        const int n = hits_[i]++;
        if (n < f.skip) continue;
        if (f.times >= 0 && n >= f.skip + f.times) continue;
        throw Error(f.number, f.description);
    }
}

Catalog faultyCatalog(std::shared_ptr<const FaultPlan> plan) {
    Catalog c;
    c.setFaultHook(std::move(plan));
    return c;
}

std::shared_ptr<FaultPlan> injectFaults(Catalog& catalog, std::vector<Fault> faults) {
    auto plan = std::make_shared<FaultPlan>(std::move(faults));
    catalog.setFaultHook(plan);
    return plan;
}

}  // namespace jet::testing
