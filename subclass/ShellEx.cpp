#include "subclass/ShellEx.h"

#include <algorithm>
#include <cctype>

namespace subclass {

namespace {

constexpr std::int32_t kShellErrorBase = static_cast<std::int32_t>(0x80040418u);

}  // namespace

ShellFailure shellFailure(std::int32_t code, const std::string& library) {
    ShellFailure f;
    f.source = library + ".GShell";
    switch (code) {
        case 0:
        case 8:
            f.number = 7;
            f.description = "Out of memory";
            break;
        case 2:
            f.number = 53;
            f.description = "File not found";
            break;
        case 3:
            f.number = 76;
            f.description = "Path not found";
            break;
        case 5:
            f.number = 75;
            f.description = "Path/file access error";
            break;
        case 11:
            f.number = kShellErrorBase + code;
            f.description = "The executable file is invalid or corrupt";
            break;
        case 26:
            f.number = 75;
            f.description = "A sharing violation occurred.";
            break;
        case 27:
            f.number = kShellErrorBase + code;
            f.description = "This file type does not have a valid file association.";
            break;
        case 28:
            f.number = 286;
            f.description =
                "The file could not be opened due to time out.  Please try again in a moment.";
            break;
        case 29:
            f.number = 285;
            f.description =
                "The file could not be opened because the DDE transaction failed.  Please try "
                "again in a moment.";
            break;
        case 30:
            f.number = 285;
            f.description =
                "The file could not be opened because the target application is busy.  Please "
                "try again in a moment.";
            break;
        case 31:
            f.number = kShellErrorBase + code;
            f.description = "No application is associated with this file type.";
            break;
        case 32:
            f.number = 48;
            f.description = "The specified dynamic-link library was not found.";
            break;
        default:
            f.number = kShellErrorBase + code;
            f.description =
                "An error occurred occurred whilst trying to open or print the selected file.";
            break;
    }
    return f;
}

bool ShellEx(Shell& shell, const std::string& library, const std::string& sFile,
             std::int32_t eShowCmd, const std::string& sParameters, const std::string& sDefaultDir,
             const std::string& sOperation, std::int32_t Owner,
             std::optional<ShellFailure>& failure) {
    std::string upper = sFile;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::int32_t show = upper.find(".EXE") != std::string::npos ? SW_HIDE : eShowCmd;
    std::int32_t result = 0;
    try {
        if (sParameters.empty() && sDefaultDir.empty())
            result = shell.ShellExecute(Owner, sOperation, sFile, {}, {}, SW_SHOWNORMAL);
        else
            result = shell.ShellExecute(Owner, sOperation, sFile, sParameters, sDefaultDir, show);
    } catch (...) {
        // A shell that fails outright opened nothing.
        result = 0;
    }
    if (result > 32 || result < 0) return true;
    failure = shellFailure(result, library);
    return false;
}

}  // namespace subclass
