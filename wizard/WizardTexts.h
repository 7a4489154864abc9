#pragma once
// The main window's fixed texts: its caption, the welcome page, the compare
// page's description, the option boxes' captions and the file dialogs'
// filters, as the program shows them (spelling included).
#include <string>
#include <string_view>

namespace wizard {

inline constexpr std::string_view kWindowCaption = "Orvel! Parabase v1.2 for MSAccess";

inline constexpr std::string_view kWelcomeText =
    "Hello and welcome to Orvel! Parabase v1.2 for MSAccess.\r\n\r\n"
    "Orvel! Parabase is simply a tool which compares and syncronizes two different MSAccess "
    "databases to make them equal. It has a wizard style interface and all you have to do is to "
    "follow 4 easy steps : \r\n\r\n"
    "(1:Databases)  At this step,you're going to choose the source and destination databases "
    "which are going to be compared.\r\n\r\n"
    "(2:Options) At this step,you're going to give some criterias about the compare "
    "process.\r\n\r\n"
    "(3:Compare) If everything is ok till now,the main compare process will be done at "
    "here.\r\n\r\n"
    "(4:Results) At this step,you can browse through the results to see what differences are at "
    "those databases and can generate the merge scripts to make them equal.";

inline constexpr std::string_view kCompareDescription =
    "If you are happy with your current configuration or want to recompare the two databases, "
    "simply press the \"Compare\" button below.According to your configuration, compare process "
    "will take some seconds...";

inline constexpr std::string_view kCaptionCMatch =
    "Match columns maintaining their positions if both columns doesn't match with their names";
inline constexpr std::string_view kCaptionCISeed =
    "Include Increment and Seed attributes to the comparison";
inline constexpr std::string_view kCaptionCTable = "Compare Tables";
inline constexpr std::string_view kCaptionCGroup = "Compare Groups";
inline constexpr std::string_view kCaptionCUser = "Compare Users";
inline constexpr std::string_view kCaptionCView = "Compare Views";
inline constexpr std::string_view kCaptionCProcedure = "Compare Procedures";
inline constexpr std::string_view kCaptionCKey = "Compare Keys";
inline constexpr std::string_view kCaptionCIndex = "Compare Indexes";
inline constexpr std::string_view kCaptionDObject =
    "Drop the object when the object in the database which the script is being applied doesn't "
    "exist on opposite database";
inline constexpr std::string_view kCaptionIIncSeed =
    "Include Increment and Seed values while scripting AutoIncrement fields (Access 97 doesn't "
    "support this)";
inline constexpr std::string_view kCaptionSAIncrement =
    "Skip scripting the altered columns which their type will become AutoIncrement. ";

inline constexpr std::string_view kConfigurationFilter =
    "Parabase configuration file (*.pcf)|*.pcf|";

// The boxes of a configuration save that did not happen.
[[nodiscard]] inline std::string NotTextFileText(const std::string& fileName) {
    return "The file " + fileName +
           " is not a text file, so it cannot hold a configuration. It was left as it was; "
           "please choose another name.";
}
[[nodiscard]] inline std::string ConfigurationNotSavedText(const std::string& fileName) {
    return "The configuration could not be saved in the file " + fileName + ".";
}

}  // namespace wizard
