#pragma once
// The results page's controls as the results tree's logic sees them: the
// toolbar TBar, the grid MGrid and its pop-up menu MenuPop. The window makes
// the controls, lets these functions add the buttons and entries, and
// connects every control event to the tree in one call.
#include "ui/PopupMenu.h"
#include "ui/Toolbar.h"
#include "ui/TreeGrid.h"
#include "wizard/ResultsTree.h"
#include "wizard/ResultsView.h"

namespace wizard {

// The toolbar's 21 buttons (keys, tooltips, pictures, checked states), in
// order, separators shown.
void AddResultsButtons(ui::Toolbar& TBar);

// The menu's entries "View Details...", a separator, "Select for
// scripting..." and "Unselect for scripting...", named VD, S1, SFS and UnSFS.
void AddMenuPopEntries(ui::PopupMenu& MenuPop);
// One entry of the menu by name, or null.
[[nodiscard]] ui::MenuItem* MenuEntry(const ui::PopupMenu& MenuPop, const char* name);

// The grid's pictures (MGridImg) and its look: made once, after
// ResultsTree::SetUpGrid.
void SetUpResultsGrid(ui::TreeGrid& MGrid);

class QtResultsControls final : public ResultsControls {
public:
    // The menu pops up in the grid's window. All three must outlive this object.
    QtResultsControls(ui::Toolbar& TBar, ui::TreeGrid& MGrid, ui::PopupMenu& MenuPop);

    [[nodiscard]] bool ButtonChecked(int32_t button) const override;
    void ButtonChecked(int32_t button, bool checked) override;
    [[nodiscard]] ui::grid::CellHit CellFromPoint(int32_t x, int32_t y) const override;
    [[nodiscard]] int32_t ScrolledX() const override;
    [[nodiscard]] std::optional<ui::grid::CellArea> CellBounds(int32_t row,
                                                               int32_t column) const override;
    void PopupMenu(const MenuState& entries, float x, float y) override;

private:
    ui::Toolbar& TBar_;
    ui::TreeGrid& MGrid_;
    ui::PopupMenu& MenuPop_;
};

// Connects the toolbar's button clicks, the grid's mouse, keys, double-click
// and column events and the menu entries' clicks to the tree's handlers.
void ConnectResults(ResultsTree& tree, ui::Toolbar& TBar, ui::TreeGrid& MGrid,
                    ui::PopupMenu& MenuPop);

}  // namespace wizard
