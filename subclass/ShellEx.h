#pragma once
// Opening a file or an address through the desktop's shell, as the about box's
// links do: the shell answers with a result code (above 32, or below 0, for
// success; 0 to 32 name the failure), and a failure becomes a record with a
// run-time error number, a source and a text, never an error raised.
#include <cstdint>
#include <optional>
#include <string>

namespace subclass {

// Show modes.
inline constexpr std::int32_t SW_HIDE = 0;
inline constexpr std::int32_t SW_SHOWNORMAL = 1;
inline constexpr std::int32_t SW_SHOWDEFAULT = 10;

class Shell {
public:
    Shell() = default;
    virtual ~Shell() = default;
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // Opens `file` with the verb `operation`; returns the shell's result code.
    virtual std::int32_t ShellExecute(std::int32_t owner, const std::string& operation,
                                      const std::string& file, const std::string& parameters,
                                      const std::string& directory, std::int32_t showCmd) = 0;
};

struct ShellFailure {
    std::int32_t number = 0;
    std::string source;
    std::string description;
    friend bool operator==(const ShellFailure&, const ShellFailure&) = default;
};

// The failure record of a shell result code from 0 to 32; `library` is the
// library's name without extension ("Bollard2"), the source its ".GShell".
[[nodiscard]] ShellFailure shellFailure(std::int32_t code, const std::string& library);

// Opens `sFile`: a name holding ".EXE" (in any case) is started hidden; with no
// parameters and no folder the shell is always asked for a normal window.
// Returns true on success; on failure sets `failure` and returns false.
bool ShellEx(Shell& shell, const std::string& library, const std::string& sFile,
             std::int32_t eShowCmd, const std::string& sParameters, const std::string& sDefaultDir,
             const std::string& sOperation, std::int32_t Owner,
             std::optional<ShellFailure>& failure);

}  // namespace subclass
