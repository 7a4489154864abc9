#include <algorithm>
#include <cctype>

#include "wizard_core/MFunctions.h"

namespace wizard::MFunctions {

namespace {

// The base of the numbers that codes without one of their own are added to:
// the object-error base 0x80040000 plus 1048.
constexpr int32_t kShellErrorBase = static_cast<int32_t>(0x80040418u);

}  // namespace

ShellFailure ShellFailureFor(int32_t code, const std::string& programName) {
    ShellFailure f;
    f.Source = programName + ".GShell";
    auto set = [&](int32_t number, const char* description) {
        f.Number = number;
        f.Description = description;
    };
    switch (code) {
        case 0:
        case 8:
            set(7, "Out of memory");
            break;
        case 2:
            set(53, "File not found");
            break;
        case 3:
            set(76, "Path not found");
            break;
        case 5:
            set(75, "Path/file access error");
            break;
        case 11:
            set(kShellErrorBase + 11, "The executable file is invalid or corrupt");
            break;
        case 26:
            set(75, "A sharing violation occurred.");
            break;
        case 27:
            set(kShellErrorBase + 27, "This file type does not have a valid file association.");
            break;
        case 28:
            set(286,
                "The file could not be opened due to time out.  Please try again in a moment.");
            break;
        case 29:
            set(285,
                "The file could not be opened because the DDE transaction failed.  Please try "
                "again in a moment.");
            break;
        case 30:
            set(285,
                "The file could not be opened because the target application is busy.  Please "
                "try again in a moment.");
            break;
        case 31:
            set(kShellErrorBase + 31, "No application is associated with this file type.");
            break;
        case 32:
            set(48, "The specified dynamic-link library was not found.");
            break;
        default:
            set(kShellErrorBase + code,
                "An error occurred occurred whilst trying to open or print the selected file.");
            break;
    }
    return f;
}

bool ShellEx(const Shell& shell, const std::string& File, int32_t ShowMode,
             const std::string& Parameters, const std::string& Folder, const std::string& Verb,
             int32_t OwnerWindow, ShellFailure* failure) {
    std::string upper = File;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    // A program is started hidden.
    if (upper.find(".EXE") != std::string::npos) ShowMode = 0;

    // Without parameters and folder the window always opens normally.
    const bool withArguments = !Parameters.empty() || !Folder.empty();
    const ShellRequest request{OwnerWindow,
                               Verb,
                               File,
                               withArguments ? Parameters : std::string(),
                               withArguments ? Folder : std::string(),
                               withArguments ? ShowMode : 1};
    int32_t r = 0;
    try {
        if (shell.Execute) r = shell.Execute(request);
    } catch (...) {
        r = 0;  // the call itself failed
    }
    if (r < 0 || r > 32) return true;
    if (failure) {
        try {
            *failure = ShellFailureFor(r, shell.ProgramName);
        } catch (...) {
            // Only the result is promised.
        }
    }
    return false;
}

}  // namespace wizard::MFunctions
