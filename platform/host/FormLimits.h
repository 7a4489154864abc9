#pragma once
// What both layout controls do with their form: find the window whose messages
// they take, and keep the form's size within the limits they are given (twips
// of the form's outer size; 0 is no limit), whether the user drags it or the
// program sets a limit.
#include <cstdint>

#include "host/Object.h"
#include "host/Site.h"
#include "host/Windows.h"

namespace host {

struct FormLimits {
    std::int32_t minHeight = 0;
    std::int32_t maxHeight = 0;
    std::int32_t minWidth = 0;
    std::int32_t maxWidth = 0;
};

// The window of the form the control is sited on, else of its container.
[[nodiscard]] Hwnd formWindow(Site& site);

// WM_GETMINMAXINFO: the largest size the user may drag the form to.
void limitTracking(const FormLimits& limits, Site& site, MINMAXINFO& info);

// WM_SIZING: the dragged rectangle held within the limits; its left and top
// stay, whichever edge is dragged.
void clampSizing(const FormLimits& limits, Site& site, RECT& rect);

// Brings `form`'s outer size within the limits. Each test measures afresh, so
// it sees what the one before it did. Throws host::Error when the form cannot
// tell its size or refuses one.
void enforceLimits(const FormLimits& limits, Object& form);

}  // namespace host
