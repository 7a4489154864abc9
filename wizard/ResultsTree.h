#pragma once
// The results page's logic, over the results grid's model `MGrid`: the tree of
// one category row per kind and one row per compared object (filled afresh
// from the engine's result every time the page is shown), its filters by kind
// and by difference, expanding and collapsing, the script selection in the
// Script column (6 no, 7 yes, 8 some), the grid's mouse and menu handlers, the
// toolbar, printing, and the script and detail requests.
//
// Rows and columns from 1. Each row's values live in hidden columns (cell item
// data): 6 Level (0 category, 1 object), 7 Visible (-1 or 0), 8 Type (the
// ObjectKind), 9 Index (the element's position in its result array) and 10
// MainRowIndex (the object row's category row; 0 on category rows).
//
// Every handler that the window connects to a control catches what its work
// throws and shows it in a critical box; the program goes on. Script and
// detail requests are refused while a comparison runs, and check that the
// rows they read still name the elements of the engine's result.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine/CCAccess.h"
#include "report/Document.h"
#include "ui/grid/GridModel.h"
#include "wizard/ResultsView.h"

namespace wizard {

class CompareSession;
class OptionRules;

// Positions in the image list MGridImg.
namespace img {
inline constexpr int32_t Collapsed = 0;  // expand glyph of a collapsed category
inline constexpr int32_t Expanded = 1;
inline constexpr int32_t ActionBase = 2;  // Action column: ActionCode + 2
inline constexpr int32_t No = 6;          // not selected; not in that database
inline constexpr int32_t Yes = 7;         // selected; in that database
inline constexpr int32_t Partly = 8;      // some of the category's objects selected
inline constexpr int32_t Tables = 9;
inline constexpr int32_t Procedures = 10;
inline constexpr int32_t Views = 11;
inline constexpr int32_t Users = 12;
inline constexpr int32_t Groups = 13;
}  // namespace img

// The grid's columns.
namespace col {
inline constexpr int32_t Object = 1;
inline constexpr int32_t SourceDb = 2;
inline constexpr int32_t Action = 3;
inline constexpr int32_t DestinationDb = 4;
inline constexpr int32_t Script = 5;
inline constexpr int32_t Level = 6;
inline constexpr int32_t Visible = 7;
inline constexpr int32_t Type = 8;
inline constexpr int32_t Index = 9;
inline constexpr int32_t MainRowIndex = 10;
}  // namespace col

// One button of the results toolbar TBar, in order; a separator has no key.
struct ResultsButton {
    std::string_view Key;
    std::string_view ToolTip;
    bool CheckedAtStart = false;
    [[nodiscard]] bool separator() const { return Key.empty(); }
};

inline constexpr std::array<ResultsButton, 21> kResultsButtons{{
    {"SHT", "Show/Hide Tables", true},
    {"SHP", "Show/Hide Procedures", true},
    {"SHV", "Show/Hide Views", true},
    {"SHU", "Show/Hide Users", true},
    {"SHG", "Show/Hide Groups", true},
    {},
    {"SHE", "Show/Hide Equal Objects", true},
    {"SHD", "Show/Hide Different Objects", true},
    {"SHES", "Show/Hide Objects Which Doesn't Exist At Source Database", true},
    {"SHED", "Show/Hide Objects Which Doesn't Exist At Destination Database", true},
    {},
    {"SelAll", "Select All For Scripting", false},
    {"SelNone", "Unselect All For Scripting", false},
    {},
    {"Expand", "Expand All Items in Grid", false},
    {"Collapse", "Collapse All Items in Grid", false},
    {},
    {"SScript", "Create script to make destination database same as source database", false},
    {"DScript", "Create script to make source database same as destination database", false},
    {},
    {"Print", "Print the comparison results", false},
}};

// The pop-up menu's entries: name and caption.
struct ResultsMenuEntry {
    std::string_view Name;
    std::string_view Caption;
};
inline constexpr std::string_view kMenuPopName = "MenuPop";
inline constexpr std::string_view kMenuPopCaption = "PopUp";
inline constexpr std::array<ResultsMenuEntry, 4> kMenuPopEntries{{
    {"VD", "View Details..."},
    {"S1", "-"},
    {"SFS", "Select for scripting..."},
    {"UnSFS", "Unselect for scripting..."},
}};

class ResultsTree {
public:
    // The present engine (replaced by every comparison and invalidation, so
    // asked afresh each time) and whether a comparison is running.
    using AccessSource = std::function<std::shared_ptr<engine::CCAccess>()>;
    using ComparingSource = std::function<bool()>;

    // All references must outlive the tree.
    ResultsTree(ui::grid::GridModel& MGrid, ResultsControls& controls, ResultsView& view,
                AccessSource access, const OptionRules& options, ComparingSource comparing);
    // The same over the wizard's session: its engine, its option boxes and its
    // running comparison.
    ResultsTree(ui::grid::GridModel& MGrid, ResultsControls& controls, ResultsView& view,
                CompareSession& session);

    // The ten columns and the grid's look, made once when the window loads.
    static void SetUpGrid(ui::grid::GridModel& MGrid);

    // The report document that Print draws on (the wizard's print preview;
    // not owned; printing does nothing without one), and the folder of the
    // numbered bitmaps that the printed grid's icons come from.
    report::Document* Preview = nullptr;
    std::string ReportImageFolder;

    // --- what the window calls
    // The results page is shown: the tree filled from the engine's result,
    // then filtered. While a comparison runs the result is half made: the
    // grid is left empty. Catches and reports its failures.
    void ShowResults();
    // The engine's result was dropped: the grid goes empty (no failure).
    void Clear();

    // --- the controls' handlers (each catches and reports its failures)
    void MGrid_ColumnChanging(int32_t column, bool& cancel);
    // Button 1 left, 2 right; x and y in twips from the grid's top-left.
    void MGrid_MouseDown(int Button, int Shift, float x, float y);
    void MGrid_MouseUp(int Button, int Shift, float x, float y);
    void MGrid_DblClick(int32_t row, int32_t column);
    // A key on the grid's current row (its selected row), as a tree user
    // expects: Right and Left (and + and -) open and close a category, or go
    // to its first object or back to it; Space ticks the Script mark as a
    // click does; Return asks for a table's, view's or procedure's details;
    // the Menu key and Shift+F10 open the menu there. A key used sets
    // KeyCode to 0; the grid does what it does with any other.
    void MGrid_KeyDown(int& KeyCode, int Shift);
    void SFS_Click();
    void UnSFS_Click();
    void VD_Click();
    // A toolbar button by number (from 1) and key; keys match ignoring case.
    void TBar_ButtonClick(int Index, std::string_view Key);

    // --- the steps, for the handlers above and for tests (these throw)
    // Rebuilds every row from `result`: categories collapsed, everything
    // selected. The overload without a result reads the engine's.
    void FillResults();
    void FillResults(const engine::TComparisonResult& result);
    // Shows each row by its kind's and its difference's buttons and its
    // category's glyph.
    void ApplyFilter();
    // Opens a collapsed category row or closes an expanded one, then filters.
    void ToggleExpand(int32_t Row);
    // After the Script image of `Row` was set: an object row's category shows
    // all (7), none (6) or some (8); a category row's image goes to its objects.
    void SetScriptSelection(int32_t Row);
    // The script request in a direction (a ScriptDirection).
    void CreateScript(int32_t Direction);
    // Prints the tree on Preview and shows the report.
    void PrintResults();

private:
    template <typename Work>
    void guarded(Work&& work);
    [[nodiscard]] bool refusedWhileComparing();
    [[nodiscard]] std::shared_ptr<engine::CCAccess> engine() const;

    [[nodiscard]] int32_t data(int32_t row, int32_t column) const;
    [[nodiscard]] int32_t centringIndent(int32_t column) const;
    void writeHidden(int32_t row, int32_t column, int32_t value);
    void setAllScriptImages(int32_t image);
    // Flips a row's Script mark (a category showing some becomes selected)
    // and brings the rest of the tree in line.
    void toggleScriptMark(int32_t row);
    // The menu's entries for a row, popped up at (x, y) twips from the grid's corner.
    void popUpMenuFor(int32_t row, float x, float y);
    void toggleAll(int32_t glyph);

    ui::grid::GridModel& MGrid_;
    ResultsControls& controls_;
    ResultsView& view_;
    AccessSource access_;
    const OptionRules& options_;
    ComparingSource comparing_;
};

}  // namespace wizard
