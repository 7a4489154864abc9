#include "wizard/Configuration.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <stdexcept>

#include "ini/AtomicFile.h"
#include "ini/Profile.h"
#include "text/TextDecoding.h"
#include "wizard_core/cInifile.h"

namespace wizard {

namespace {

struct FieldKey {
    DatabaseField field;
    const char* key;
};

constexpr std::array<FieldKey, 8> kFieldKeys{{
    {DatabaseField::SDBPath, "SourceDBFile"},
    {DatabaseField::SWFPath, "SourceWFile"},
    {DatabaseField::SUName, "SourceUserName"},
    {DatabaseField::SPassword, "SourcePassword"},
    {DatabaseField::DDBPath, "DestinationDBFile"},
    {DatabaseField::DWFPath, "DestinationWFile"},
    {DatabaseField::DUName, "DestinationUserName"},
    {DatabaseField::DPassword, "DestinationPassword"},
}};

struct OptionKey {
    OptionBox box;
    const char* key;
};

// In the file's order; the last two are read only from newer files.
constexpr std::array<OptionKey, 12> kOptionKeys{{
    {OptionBox::CTable, "CompareTables"},
    {OptionBox::CIndex, "CompareIndexes"},
    {OptionBox::CKey, "CompareKeys"},
    {OptionBox::CView, "CompareViews"},
    {OptionBox::CProcedure, "CompareProcedures"},
    {OptionBox::CUser, "CompareUsers"},
    {OptionBox::CGroup, "CompareGroups"},
    {OptionBox::DObject, "DropOppositeObjects"},
    {OptionBox::SAIncrement, "SkipAutoIncrementFields"},
    {OptionBox::IIncSeed, "IncludeSeedandIncrement"},
    {OptionBox::CISeed, "CompareSeedandIncrement"},
    {OptionBox::CMatch, "MatchColumnsMaintainingTheirOrders"},
}};
constexpr size_t kSeedOption = 10;
constexpr size_t kMatchOption = 11;

// One character of the version as a number; nothing for anything but a digit.
std::optional<int> versionDigit(const std::string& version, size_t position) {
    if (position >= version.size()) return std::nullopt;
    const char c = version[position];
    if (c < '0' || c > '9') return std::nullopt;
    return c - '0';
}

// An option value that does not fit the check box's 16 bits, or that the box
// refuses, ends the load at its key.
struct KeyRefused {};

void loadOption(cInifile& ini, ConfigurationControls& controls, const OptionKey& option) {
    ini.Key(option.key);
    const int32_t value = cInifile::CLngDefault(ini.Value(), 1);
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        throw KeyRefused{};
    try {
        controls.OptionValue(option.box, static_cast<int16_t>(value));
    } catch (const std::invalid_argument&) {
        throw KeyRefused{};
    }
}

// Makes a missing file empty and private to its owner: it will hold passwords.
// An existing file keeps the permissions it has. True when it made the file.
bool createPrivately(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

std::optional<std::string> readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

// A private copy of a configuration file that the keys are written into one
// by one; the file itself is then replaced in one step, so a save that fails
// part-way leaves it as it was. Removed when it goes.
class Draft {
public:
    explicit Draft(const std::string& original) {
        std::error_code ec;
        std::string folder = std::filesystem::temp_directory_path(ec).string();
        if (ec || folder.empty()) folder = "/tmp";
        std::string name = folder + "/parabase-pcf-XXXXXX";
        const int fd = ::mkstemp(name.data());  // created 0600
        if (fd < 0) return;
        path_ = name;
        const std::optional<std::string> old =
            std::filesystem::exists(original, ec) ? readWhole(original) : std::string();
        bool copied = old.has_value();
        for (size_t at = 0; copied && old && at < old->size();) {
            const ssize_t n = ::write(fd, old->data() + at, old->size() - at);
            copied = n > 0;
            if (copied) at += static_cast<size_t>(n);
        }
        ok_ = ::close(fd) == 0 && copied;
    }
    ~Draft() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    Draft(const Draft&) = delete;
    Draft& operator=(const Draft&) = delete;

    [[nodiscard]] bool ok() const { return ok_; }
    [[nodiscard]] const std::string& path() const { return path_; }

private:
    std::string path_;
    bool ok_ = false;
};

}  // namespace

SaveOutcome SaveConfiguration(const std::string& FileName, const ConfigurationControls& controls) {
    if (!WritableAsConfiguration(FileName)) return SaveOutcome::NotText;
    const Draft draft(FileName);
    if (!draft.ok()) return SaveOutcome::WriteFailed;
    cInifile ini;
    ini.Path(draft.path());
    bool written = true;
    auto write = [&](const char* section, const char* key, std::string_view value) {
        if (!written) return;  // the save has failed already
        ini.Section(section);
        ini.Key(key);
        ini.Value(value);
        written = ini.Success();
    };
    write("General", "Version", kConfigurationVersion);
    // A text with outer blanks or quotes is quoted once more, so that it reads
    // back as typed (a password " pw " or "x" with its quotes).
    for (const FieldKey& f : kFieldKeys)
        write("Database", f.key, ini::quotedForReading(controls.FieldText(f.field)));
    for (const OptionKey& o : kOptionKeys)
        write("Options", o.key, std::to_string(controls.OptionValue(o.box)));
    const std::optional<std::string> text = written ? readWhole(draft.path()) : std::nullopt;
    if (!text) return SaveOutcome::WriteFailed;
    const bool made = createPrivately(FileName);
    if (ini::writeFileAtomically(FileName, *text)) return SaveOutcome::Saved;
    if (made) ::unlink(FileName.c_str());
    return SaveOutcome::WriteFailed;
}

LoadResult LoadConfiguration(const std::string& FileName, ConfigurationControls& controls) {
    cInifile ini;
    ini.Path(FileName);
    ini.Section("General");
    ini.Key("Version");
    const std::string version = ini.Value();
    const auto major = versionDigit(version, 0);
    const auto minor = versionDigit(version, 2);
    const auto build = versionDigit(version, 4);
    if (!major || !minor || !build) return {LoadOutcome::UnreadableVersion, {}};
    if (*major != 1) return {LoadOutcome::OtherVersion, {}};

    ini.Section("Database");
    for (const FieldKey& f : kFieldKeys) {
        ini.Key(f.key);
        controls.FieldText(f.field, ini.Value());
    }
    ini.Section("Options");
    const OptionKey* option = nullptr;
    try {
        for (size_t i = 0; i < kSeedOption; ++i) {
            option = &kOptionKeys[i];
            loadOption(ini, controls, *option);
        }
        if (*minor >= 1 || (*minor == 0 && *build >= 7)) {
            option = &kOptionKeys[kSeedOption];
            loadOption(ini, controls, *option);
        }
        // Files of version 1.0 never carried the match option.
        if (*minor >= 1) {
            option = &kOptionKeys[kMatchOption];
            loadOption(ini, controls, *option);
        }
    } catch (const KeyRefused&) {
        return {LoadOutcome::StoppedAtKey, option->key};
    }
    return {LoadOutcome::Loaded, {}};
}

bool LoadNamesTheFile(LoadOutcome outcome) {
    return outcome == LoadOutcome::Loaded || outcome == LoadOutcome::OtherVersion;
}

std::string ConfigurationStatus(const std::string& FileName) {
    return "Configuration file : " + FileName;
}

bool WritableAsConfiguration(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return true;
    if (ec || status.type() != fs::file_type::regular) return false;
    // Far larger than any configuration: a database or other file chosen by
    // mistake is refused without reading it all.
    constexpr std::uintmax_t kLargestConfiguration = 16u << 20;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kLargestConfiguration) return false;
    // Lines a person added (notes, keys of their own) are kept by the save;
    // only a file that holds no text at all is refused.
    const std::optional<std::string> bytes = readWhole(path);
    return bytes && text::isEightBitText(*bytes);
}

}  // namespace wizard
