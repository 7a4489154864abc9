#pragma once
// What the results page's logic (ResultsTree) needs of the window around it,
// in two parts: the page's own controls (the toolbar's checked states, the
// grid's hit test, the pop-up menu), which QtResultsControls answers from the
// real controls, and the window (the database fields, the script and detail
// windows, the print preview, message boxes), which FrmMain answers. Tests
// record both.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/ComparisonResult.h"
#include "report/Document.h"
#include "ui/grid/GridModel.h"
#include "wizard/CompareView.h"

namespace wizard {

// What a script or detail request says while a comparison runs.
inline constexpr const char* kComparisonRunning =
    "A comparison is running. Please wait until it has finished, then try again.";

// Which entries of the grid's pop-up menu can be chosen.
struct MenuState {
    bool VD = false;     // "View Details..."
    bool SFS = false;    // "Select for scripting..."
    bool UnSFS = false;  // "Unselect for scripting..."
    friend bool operator==(const MenuState&, const MenuState&) = default;
};

// What a script request puts into the script window.
struct ScriptWindowText {
    // The statements, CR LF, the blocks: shown, printed and saved as it stands.
    std::string Text;
    // "Database Script (Source->Destination)" or "Database Script (Destination->Source)".
    std::string Caption;
    // The two database path fields as they stood.
    std::string SourceDBPath;
    std::string DestinationDBPath;
    // What the script leaves out and why, one sentence each (ScriptNotes.h):
    // what the target would refuse, and what the script options keep as it
    // stands.
    std::vector<std::string> Report;
    friend bool operator==(const ScriptWindowText&, const ScriptWindowText&) = default;
};

class ResultsControls {
public:
    virtual ~ResultsControls() = default;
    // The results toolbar's buttons, numbered from 1 (separators included).
    [[nodiscard]] virtual bool ButtonChecked(int32_t button) const = 0;
    virtual void ButtonChecked(int32_t button, bool checked) = 0;
    // The grid's cell under a point in the grid's pixels, as shown now
    // (scrolled); 0 where there is none.
    [[nodiscard]] virtual ui::grid::CellHit CellFromPoint(int32_t x, int32_t y) const = 0;
    // How far the grid's columns are scrolled sideways, in the grid's pixels.
    [[nodiscard]] virtual int32_t ScrolledX() const = 0;
    // Where a shown cell of the grid is drawn now, in the grid's pixels
    // (scrolled); nothing for a row or column not shown.
    [[nodiscard]] virtual std::optional<ui::grid::CellArea> CellBounds(int32_t row,
                                                                       int32_t column) const = 0;
    // Pops the grid's menu up with its entries enabled as given, at (x, y)
    // twips from the grid's top-left. Returns at once.
    virtual void PopupMenu(const MenuState& entries, float x, float y) = 0;
};

class ResultsView {
public:
    virtual ~ResultsView() = default;
    // The texts of the two database path fields, as they stand.
    [[nodiscard]] virtual std::string SourceDBPath() const = 0;
    [[nodiscard]] virtual std::string DestinationDBPath() const = 0;
    // Fills the script window (one instance, loaded when needed) and shows it
    // modeless, over the window.
    virtual void ShowScript(const ScriptWindowText& script) = 0;
    // Hands the detail window its own copy of the result and shows element
    // `index` of kind `kind` (an ObjectKind) in it, modeless, over the window.
    virtual void ShowDetails(const engine::TComparisonResult& result, int32_t kind,
                             int32_t index) = 0;
    // Shows a finished report in the print preview.
    virtual void ShowReport(const report::Document& document) = 0;
    // A modal box with OK alone (the same member as CompareView's).
    virtual void MsgBox(const std::string& text, BoxIcon icon, const std::string& title) = 0;
};

}  // namespace wizard
