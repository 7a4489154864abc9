#include "wizard/DatabaseSettings.h"

#include "jet/ConnectionString.h"
#include "text/Trim.h"

namespace wizard {

std::string BuildConnectionString(const DatabaseSide& side) {
    const auto database = text::trimSpaces(side.DBPath);
    const auto workgroup = text::trimSpaces(side.WFPath);
    const auto user = text::trimSpaces(side.UName);
    const auto password = text::trimSpaces(side.Password);

    std::string s = "Provider=";
    s += jet::kJetProvider;
    s += ";Data Source=" + jet::quoteConnectionValue(database) + ";";
    if (!workgroup.empty())
        s += ";Jet OLEDB:System database=" + jet::quoteConnectionValue(workgroup);
    if (!user.empty())
        s += ";User ID=" + jet::quoteConnectionValue(user) +
             ";Password=" + jet::quoteConnectionValue(password);
    else if (!password.empty())
        s += ";Jet OLEDB:Database Password=" + jet::quoteConnectionValue(password);
    return s;
}

bool HasWorkgroup(const DatabaseSide& side) { return !text::trimSpaces(side.WFPath).empty(); }

}  // namespace wizard
