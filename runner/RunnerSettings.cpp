#include "runner/RunnerSettings.h"

#include "jet/ConnectionString.h"

namespace runner {

std::string BuildConnectionString(const RunnerSettings& settings) {
    return jet::userConnectionString(settings.database, settings.workgroup, settings.userName,
                                     settings.password, ";Persist Security Info=True");
}

}  // namespace runner
