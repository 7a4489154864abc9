#pragma once
// The program's own small pictures (16 x 16), drawn with QPainter: the grids'
// glyphs and icons, the detail window's icons and the toolbar pictures.
// Needs Qt Gui only (no application object: nothing here draws text).
#include <QColor>
#include <QImage>
#include <vector>

namespace ui {

enum class Glyph {
    Collapsed,            // grey box with "+"
    Expanded,             // grey box with "-"
    Equal,                // equals sign
    Different,            // red arrow left over blue arrow right
    OnlyInDestination,    // red arrow pointing left
    OnlyInSource,         // blue arrow pointing right
    CheckNo,              // empty check box
    CheckYes,             // check box with a black mark
    CheckPartly,          // check box with a grey mark
    Table,                // a small table grid
    Procedure,            // two overlapping windows
    View,                 // a pair of glasses
    User,                 // one person
    Group,                // two people
    ColumnList,           // a list page (columns and parameters)
    Key,                  // a key
    Index,                // lines with a lightning flash
    TableWindow,          // a window holding a table grid
    SelectAll,            // toolbar: every row into the script
    SelectNone,           // toolbar: no row into the script
    ExpandAll,            // toolbar
    CollapseAll,          // toolbar
    ScriptToDestination,  // toolbar: a script page with an arrow to the right
    ScriptToSource,       // toolbar: a script page with an arrow to the left
    Print,                // toolbar: a printer
};

inline constexpr int kGlyphSize = 16;

// The glyph drawn on `background` (transparent by default), `scale` times 16
// pixels square (2 for high-density screens).
[[nodiscard]] QImage glyphImage(Glyph glyph, int scale = 1, QColor background = Qt::transparent);

// Every glyph, in declaration order.
[[nodiscard]] const std::vector<Glyph>& allGlyphs();

}  // namespace ui
