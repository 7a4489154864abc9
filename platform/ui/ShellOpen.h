#pragma once
// The desktop in the place of the Windows shell: opening a file or an address
// through Services::OpenWithDesktop, answered with the shell's result codes.
#include <QString>
#include <cstdint>

#include "ui/Services.h"

namespace ui {

// The shell's codes that the desktop gives.
namespace shell {
inline constexpr int32_t Taken = 42;  // any value above 32 means success
inline constexpr int32_t FileNotFound = 2;
inline constexpr int32_t PathNotFound = 3;
inline constexpr int32_t AccessDenied = 5;
inline constexpr int32_t NoAssociation = 31;
}  // namespace shell

// Opens `file`: a path, or an address with a scheme of two letters or more
// (mailto:, https:, file:). Only the verb "open" (or none) is known; others
// answer NoAssociation. A missing file answers FileNotFound, or PathNotFound
// when its folder is missing too; an unreadable one AccessDenied; a file or
// address the desktop has no program for, NoAssociation.
[[nodiscard]] int32_t shellOpen(Services& services, const QString& verb, const QString& file);

}  // namespace ui
