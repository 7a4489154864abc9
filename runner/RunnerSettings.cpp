#include "runner/RunnerSettings.h"

#include "jet/ConnectionString.h"
#include "text/Trim.h"

namespace runner {

std::string BuildConnectionString(const RunnerSettings& settings) {
    const auto database = text::trimSpaces(settings.database);
    const auto workgroup = text::trimSpaces(settings.workgroup);
    const auto user = text::trimSpaces(settings.userName);
    const auto password = text::trimSpaces(settings.password);

    std::string s = "Provider=";
    s += jet::kJetProvider;
    s += ";Data Source=" + jet::quoteConnectionValue(database) + ";Persist Security Info=True";
    if (!workgroup.empty())
        s += ";Jet OLEDB:System database=" + jet::quoteConnectionValue(workgroup);
    if (!user.empty())
        s += ";User ID=" + jet::quoteConnectionValue(user) +
             ";Password=" + jet::quoteConnectionValue(password);
    else if (!password.empty())
        s += ";Jet OLEDB:Database Password=" + jet::quoteConnectionValue(password);
    return s;
}

}  // namespace runner
