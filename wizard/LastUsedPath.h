#pragma once
// The folder of the last file the user chose in any of the main window's file
// dialogs, kept between runs in the per-user settings file "Parabase.ini"
// (section User, key LastUsedPath), so that the next dialog opens there.
#include <string>

namespace wizard {

// The per-user settings file: "Parabase.ini" in the folder "parabase1" of the
// user's configuration folder ($XDG_CONFIG_HOME, else ~/.config). Empty when
// neither is known.
[[nodiscard]] std::string DefaultSettingsFile();

// The folder part of a chosen file with its trailing separator
// ("/data/Shop.sdb" gives "/data/"); "" for a name without a folder.
[[nodiscard]] std::string FolderOf(const std::string& fileName);

class LastUsedPath {
public:
    // `settingsFile` empty: nothing is read or kept.
    explicit LastUsedPath(std::string settingsFile) : settingsFile_(std::move(settingsFile)) {}

    [[nodiscard]] const std::string& SettingsFile() const { return settingsFile_; }

    // The folder a dialog opens in: the stored one, or "" (the dialog's own
    // choice) when the file or the key is missing.
    [[nodiscard]] std::string ApplyLastUsedPath() const;
    // Keeps the folder of `fileName`; the settings file's folder is made when
    // missing. A failure to write is not reported: the next dialog then opens
    // in its own choice of folder.
    void SaveLastUsedPath(const std::string& fileName) const;

private:
    std::string settingsFile_;
};

}  // namespace wizard
