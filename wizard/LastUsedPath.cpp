#include "wizard/LastUsedPath.h"

#include <cstdlib>
#include <filesystem>

#include "wizard_core/cInifile.h"

namespace wizard {

namespace {

constexpr const char* kSection = "User";
constexpr const char* kKey = "LastUsedPath";

}  // namespace

std::string DefaultSettingsFile() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".config";
    else
        return {};
    return (base / "parabase1" / "Parabase.ini").string();
}

std::string FolderOf(const std::string& fileName) {
    const size_t slash = fileName.rfind('/');
    if (slash == std::string::npos) return {};
    return fileName.substr(0, slash + 1);
}

std::string LastUsedPath::ApplyLastUsedPath() const {
    if (settingsFile_.empty()) return {};
    cInifile ini;
    ini.Path(settingsFile_);
    ini.Section(kSection);
    ini.Key(kKey);
    return ini.Value();
}

void LastUsedPath::SaveLastUsedPath(const std::string& fileName) const {
    if (settingsFile_.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(settingsFile_).parent_path(), ec);
    cInifile ini;
    ini.Path(settingsFile_);
    ini.Section(kSection);
    ini.Key(kKey);
    ini.Value(FolderOf(fileName));
}

}  // namespace wizard
