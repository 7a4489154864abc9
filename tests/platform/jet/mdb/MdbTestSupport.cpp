#include "MdbTestSupport.h"

#include <sys/stat.h>

namespace mdbtest {

std::string connectionString(const std::string& database, const std::string& workgroup) {
    std::string s = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + database;
    if (!workgroup.empty()) s += ";Jet OLEDB:System database=" + workgroup;
    return s;
}

std::string script(const testsupport::TempDir& dir, const std::string& name,
                   const std::string& body) {
    const auto path = dir.file(name);
    testsupport::writeFile(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

}  // namespace mdbtest
