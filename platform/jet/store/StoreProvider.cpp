// Entry points of the store provider (declared in jet/Backend.h).
#include <filesystem>

#include "jet/Backend.h"
#include "jet/Error.h"
#include "jet/store/StoreDatabase.h"
#include "jet/store/StoreWorkgroup.h"

namespace jet::store {

std::shared_ptr<Backend> open(const OpenRequest& request, std::shared_ptr<Workgroup> workgroup) {
    return std::make_shared<StoreDatabase>(request, std::move(workgroup));
}

std::shared_ptr<Workgroup> openWorkgroup(const std::string& path) {
    return std::make_shared<StoreWorkgroup>(path);
}

void create(const ConnectionProperties& props) {
    const std::string& path = props.dataSource;
    if (path.empty()) raise(Err::NoDataSource);
    if (!props.createSystemDatabase) {
        StoreDatabase::create(path, props.databasePassword.value_or(""));
        return;
    }
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) raise(Err::DatabaseExists, {path});
    try {
        StoreWorkgroup::create(path);
    } catch (...) {
        std::filesystem::remove(path, ec);
        throw;
    }
}

}  // namespace jet::store
