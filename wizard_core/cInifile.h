#pragma once
// The comparison program's INI file access: set Path, Section and Key, then
// read or assign Value; further members delete a key or a section, list the
// keys of a section or the sections of a file, and turn a text into a number
// with a fallback. Files follow the profile rules of ini/Profile.h; nothing is
// kept open between calls.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wizard {

class cInifile {
public:
    // The result of the last write made through the object: nonzero success,
    // 0 failure; 0 until the first write. Reads leave it alone.
    [[nodiscard]] int32_t LastReturnCode() const { return lastReturnCode_; }
    [[nodiscard]] bool Success() const { return lastReturnCode_ != 0; }

    // What a read gives for a missing file, section or key ("" until set).
    [[nodiscard]] const std::string& Default() const { return default_; }
    void Default(std::string sDefault) { default_ = std::move(sDefault); }
    [[nodiscard]] const std::string& Path() const { return path_; }
    void Path(std::string sPath) { path_ = std::move(sPath); }
    [[nodiscard]] const std::string& Key() const { return key_; }
    void Key(std::string sKey) { key_ = std::move(sKey); }
    [[nodiscard]] const std::string& Section() const { return section_; }
    void Section(std::string sSection) { section_ = std::move(sSection); }

    // Section/Key of Path, whole, or Default when missing.
    [[nodiscard]] std::string Value() const;
    // Writes Section/Key of Path; NUL characters are left out. Creates the
    // file, section and key as needed and replaces a value in place.
    void Value(std::string_view sValue);

    void DeleteKey();
    void DeleteSection();

    // The key names of Section, each followed by one NUL (Default when none).
    [[nodiscard]] std::string INISection() const;
    // Removes the whole section; the text itself is not stored.
    void INISection(std::string_view sValue);
    // The section names of Path, each followed by one NUL (Default when none).
    [[nodiscard]] std::string Sections() const;

    // The key names of Section, or the section names of Path, in file order
    // (from index 0), with their number.
    void EnumerateCurrentSection(std::vector<std::string>& sKey, int32_t& iCount) const;
    void EnumerateAllSections(std::vector<std::string>& sSections, int32_t& iCount) const;

    // `sString` as a 32-bit whole number: blanks around it allowed, a fraction
    // or exponent allowed and rounded to the nearest, halves to even; the
    // decimal point is ".". `lDefault` for anything else, and for a number
    // outside the 32-bit range.
    [[nodiscard]] static int32_t CLngDefault(std::string_view sString, int32_t lDefault);

private:
    std::string path_;
    std::string key_;
    std::string section_;
    std::string default_;
    int32_t lastReturnCode_ = 0;
};

}  // namespace wizard
