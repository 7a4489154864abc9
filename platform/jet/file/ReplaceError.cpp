#include "jet/file/ReplaceError.h"

#include <utility>

namespace jet::file {

ReplaceError::ReplaceError(Reason reason, const std::string& what)
    : std::runtime_error(what), reason_(reason) {}

ReplaceError ReplaceError::afterReplace(const std::string& what, std::string backup) {
    ReplaceError error(Reason::Failed, what);
    error.databaseChanged_ = true;
    error.backup_ = std::move(backup);
    return error;
}

ReplaceError ReplaceError::rejected(const std::string& what, std::vector<std::string> findings) {
    ReplaceError error(Reason::Rejected, what);
    error.findings_ = std::move(findings);
    return error;
}

}  // namespace jet::file
