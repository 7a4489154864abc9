#pragma once
// The main window's design that is not code: its size in twips, the anchor
// control's limits, and the edges each control keeps as the window is resized
// (flags left, top, right, bottom; "1" keeps the distance to that edge).
#include <string>
#include <string_view>
#include <vector>

namespace wizard::design {

// The client area as designed, in twips (15 to the pixel): 760 x 520 pixels.
inline constexpr int kClientWidth = 11400;
inline constexpr int kClientHeight = 7800;

// The outer size the user cannot size the window below, in twips.
inline constexpr int kMinFormHeight = 7200;
inline constexpr int kMinFormWidth = 10650;

struct AnchorEntry {
    std::string_view control;  // "Page(0)" for a member of a control array
    std::string_view flags;    // left, top, right, bottom
};

// One entry per control of the window, in the order the window stores them.
[[nodiscard]] const std::vector<AnchorEntry>& AnchorEntries();

// The flags of a control; "1100" (left and top) for one the list does not name.
[[nodiscard]] std::string_view AnchorFlags(std::string_view control);

// The list as the anchor control's saved property takes it: each entry's
// control, a line feed, its flags, a line feed.
[[nodiscard]] std::string AnchorList();

}  // namespace wizard::design
