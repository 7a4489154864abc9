#pragma once
// Configuration files (".pcf"): every setting of the Databases and Options
// pages as INI text, sections General, Database and Options, written and read
// key by key through cInifile.
//
// Loading assigns each key to its control as it is read, so a text box's
// Change and a check box's Click run at once, before the next key: the option
// rules and the dropping of results take effect key by key, in the file's key
// order. Files older than a key's version leave that key's control alone.
#include <cstdint>
#include <string>
#include <string_view>

#include "wizard/OptionRules.h"

namespace wizard {

// The eight text boxes of the Databases page, in the file's key order.
enum class DatabaseField {
    SDBPath,
    SWFPath,
    SUName,
    SPassword,
    DDBPath,
    DWFPath,
    DUName,
    DPassword
};

// The controls a configuration file gives and takes: the window's text boxes
// and check boxes. Setting a value behaves as a change of the control (its
// handler runs when the value differs); an option value the check box refuses
// throws.
class ConfigurationControls {
public:
    virtual ~ConfigurationControls() = default;
    [[nodiscard]] virtual std::string FieldText(DatabaseField field) const = 0;
    virtual void FieldText(DatabaseField field, const std::string& text) = 0;
    [[nodiscard]] virtual int16_t OptionValue(OptionBox box) const = 0;
    virtual void OptionValue(OptionBox box, int16_t value) = 0;
};

// The version this program writes.
inline constexpr std::string_view kConfigurationVersion = "1.1.0";

enum class SaveOutcome {
    Saved,
    // The file exists but holds no text (a database, a folder): it is left as
    // it was.
    NotText,
    // A write failed (a read-only file, a missing folder, a value that cannot
    // be stored such as a line break in a password); keys written before it
    // stay written.
    WriteFailed,
};

// Writes the version, the eight texts as they stand (not trimmed, passwords
// in clear; a text with outer blanks or quotes inside one more pair of
// quotes, so that it reads back as typed) and the twelve check-box values. Every other line of an existing
// file is kept: keys, sections, comments and notes added by hand. A new file
// is made readable by its owner only, since it may hold passwords.
[[nodiscard]] SaveOutcome SaveConfiguration(const std::string& FileName,
                                            const ConfigurationControls& controls);

enum class LoadOutcome {
    Loaded,
    // A major version other than 1: nothing is read.
    OtherVersion,
    // No version, or not of the form digit, any, digit, any, digit (a missing
    // file reads so too): nothing is read.
    UnreadableVersion,
    // An option value the check box refused, or that is no 16-bit number:
    // the keys before it are applied, the rest are not.
    StoppedAtKey,
};

struct LoadResult {
    LoadOutcome outcome = LoadOutcome::Loaded;
    std::string key;  // the key that stopped the load
    friend bool operator==(const LoadResult&, const LoadResult&) = default;
};

// Reads the file into the controls. Major version 1: the eight texts (a
// missing key gives ""), then the options CompareTables to
// IncludeSeedandIncrement (a missing, empty or non-numeric value gives 1),
// then CompareSeedandIncrement from version 1.0.7 on and
// MatchColumnsMaintainingTheirOrders from 1.1 on. The version's parts are its
// 1st, 3rd and 5th characters.
[[nodiscard]] LoadResult LoadConfiguration(const std::string& FileName,
                                           ConfigurationControls& controls);

// True when the status bar names the file after a load with this outcome.
[[nodiscard]] bool LoadNamesTheFile(LoadOutcome outcome);

// The status bar's text for a configuration file.
[[nodiscard]] std::string ConfigurationStatus(const std::string& FileName);
inline constexpr std::string_view kNoConfigurationStatus = "Configuration file : <None>";

// True when `path` names no file yet, or an existing regular file of at most
// 16 MiB that holds text (text::isEightBitText), whatever its lines are: the
// profile functions keep every line they do not change.
[[nodiscard]] bool WritableAsConfiguration(const std::string& path);

}  // namespace wizard
