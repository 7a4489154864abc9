#include "wizard/DatabaseSettings.h"

#include "jet/ConnectionString.h"
#include "text/Trim.h"

namespace wizard {

std::string BuildConnectionString(const DatabaseSide& side) {
    // The empty segment after the Data Source is the wizard's own.
    return jet::userConnectionString(side.DBPath, side.WFPath, side.UName, side.Password, ";");
}

bool HasWorkgroup(const DatabaseSide& side) { return !text::trimSpaces(side.WFPath).empty(); }

}  // namespace wizard
