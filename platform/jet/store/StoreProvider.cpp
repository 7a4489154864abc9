#include "jet/Backend.h"
#include "jet/Error.h"

namespace jet::store {

std::shared_ptr<Backend> open(const OpenRequest&, std::shared_ptr<Workgroup>) {
    raise(Err::NotSupported);
}
std::shared_ptr<Workgroup> openWorkgroup(const std::string&) { raise(Err::NotSupported); }
void create(const ConnectionProperties&) { raise(Err::NotSupported); }

}  // namespace jet::store
