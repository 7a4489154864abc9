#pragma once
// The detail window's designed geometry in twips, without Qt: its client
// size and font, every control's place in each of its two layouts, and the
// settings of the proportional resizer that scales the window.
//
// The window has two layouts. Views and procedures show the tree above the
// two command texts; a table has no command texts, so its tree takes their
// area too and they are hidden. Both are fixed designs: switching back and
// forth, or showing table after table, always gives the same geometry (at
// any other size, the same geometry scaled).
#include <array>
#include <stdexcept>
#include <string_view>

namespace detail::layout {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    [[nodiscard]] constexpr int right() const { return left + width; }
    [[nodiscard]] constexpr int bottom() const { return top + height; }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

enum class Mode {
    Text,   // views and procedures: tree, then the command texts
    Table,  // tables: the tree over the whole middle of the window
};

inline constexpr int kClientWidth = 8880;
inline constexpr int kClientHeight = 5610;
// Every control's font at the design size.
inline constexpr const char* kFontName = "Verdana";
inline constexpr double kFontSize = 8.25;

// A control's place, by the control's name.
struct Place {
    std::string_view control;
    Rect rect;
    bool inTextMode;   // shown in the views' and procedures' layout
    bool inTableMode;  // shown in the tables' layout
};

// The designed places (the text layout's geometry for every control).
inline constexpr std::array kDesign{
    Place{"CmdExpand", {120, 120, 1455, 375}, true, true},
    Place{"CmdCollapse", {1650, 120, 1455, 375}, true, true},
    Place{"CmdPrint", {3180, 120, 1095, 375}, true, true},
    Place{"DGrid", {120, 600, 8625, 2040}, true, true},
    Place{"CmdHdr", {120, 2700, 8625, 240}, true, false},
    Place{"Label2", {120, 2985, 2400, 225}, true, false},
    Place{"Label3", {4815, 2985, 2400, 225}, true, false},
    Place{"SCmdTxt", {120, 3240, 3945, 1815}, true, false},
    Place{"PAction", {4320, 4020, 240, 240}, true, false},
    Place{"DCmdTxt", {4815, 3240, 3930, 1815}, true, false},
    Place{"CmdClose", {7650, 5160, 1095, 375}, true, true},
};

// The designed place of a control; a name not in the design is a bug.
[[nodiscard]] constexpr const Place& designOf(std::string_view control) {
    for (const Place& p : kDesign)
        if (p.control == control) return p;
    throw std::logic_error("no such control in the detail window's design");
}

// The tree's place in the table layout: down to 25 twips below the bottom of
// the destination command text, and 25 twips wider than designed.
[[nodiscard]] constexpr Rect tableGrid() {
    const Rect grid = designOf("DGrid").rect;
    const Rect text = designOf("DCmdTxt").rect;
    return {grid.left, grid.top, grid.width + 25, text.bottom() - grid.top + 25};
}

// A control's place and whether it shows, in a layout.
[[nodiscard]] constexpr Rect placeIn(Mode mode, const Place& p) {
    return mode == Mode::Table && p.control == "DGrid" ? tableGrid() : p.rect;
}
[[nodiscard]] constexpr bool shownIn(Mode mode, const Place& p) {
    return mode == Mode::Table ? p.inTableMode : p.inTextMode;
}

// The proportional resizer's settings on this window (twips; 0: no limit),
// as saved with it. First* is the design size every control's place is
// scaled from; the minimum is the window's outer size, frame included.
struct ResizerSettings {
    int MinFormHeight = 5910;
    int MinFormWidth = 9000;
    int MaxFormHeight = 0;
    int MaxFormWidth = 0;
    int FirstHeight = kClientHeight;
    int FirstWidth = kClientWidth;
    bool ResizeFont = true;
    bool Enabled = true;
    bool WorkAtDesignTime = false;
    bool SmartDetect = false;
};
inline constexpr ResizerSettings kResizer{};

}  // namespace detail::layout
