#pragma once
// The detail window's logic without Qt: its own copy of the comparison
// result, the request that fills the tree for one table, procedure or view,
// and the mouse's expand and collapse. The window (FrmDetail) shows what a
// request returns and passes the grid's events here.
#include <cstdint>
#include <optional>
#include <string>

#include "detail/DetailLayout.h"
#include "detail/DetailTree.h"
#include "detail/WizardOptions.h"
#include "engine/ComparisonResult.h"

namespace detail {

// Window icons: positions in "FrmImg".
namespace windowIcon {
inline constexpr int32_t Table = 0;
inline constexpr int32_t Procedure = 1;
inline constexpr int32_t View = 2;
}  // namespace windowIcon

// What a request shows besides the tree.
struct DetailHead {
    std::string caption;
    int32_t windowIcon = windowIcon::Table;
    layout::Mode mode = layout::Mode::Table;
    // Views and procedures: both command texts and the picture between them
    // (a "DGridImg" position). A side the element is missing from is empty.
    std::string sourceText;
    std::string destinationText;
    int32_t actionPicture = icon::None;
};

class DetailView {
public:
    static constexpr int kTwipsPerPixel = 15;

    // The grid and the options must outlive the view.
    DetailView(ui::grid::GridModel& grid, const WizardOptions& options);

    [[nodiscard]] DetailTree& tree() { return tree_; }
    [[nodiscard]] const DetailTree& tree() const { return tree_; }

    // Replaces the view's copy of the result; the tree shown stays as it is.
    void Differences(const engine::TComparisonResult& result) { result_ = result; }
    void Differences(engine::TComparisonResult&& result) { result_ = std::move(result); }
    [[nodiscard]] const engine::TComparisonResult& Differences() const { return result_; }

    // Fills the tree for element `index` (from 1) of the kind's array: 0
    // table, 4 procedure, 5 view. The tree is emptied first and painted once
    // at the end, every node collapsed. Returns what the window shows besides
    // the tree; nothing for another kind (recorded, the tree left empty) or
    // for an index outside the kind's array (the tree left empty and nothing
    // else changed, DetailKind and DetailIndex included).
    std::optional<DetailHead> ShowDetails(int32_t kind, int32_t index);
    // The kind and index of the last request that named an element (0 before).
    [[nodiscard]] int32_t DetailKind() const { return kind_; }
    [[nodiscard]] int32_t DetailIndex() const { return index_; }
    // The difference code of the procedure or view last shown, or nothing
    // when no such element is in the copy (a table, or a copy replaced since).
    [[nodiscard]] std::optional<int32_t> shownAction() const;

    // The grid's mouse: a left press on a node's glyph, or anywhere left of
    // it in column 1, toggles that node. x and y are twips from the grid's
    // top-left corner, with the data area scrolled by `scroll` pixels.
    // True when a node was toggled.
    bool MouseDown(int button, int shift, float x, float y, ui::grid::Scroll scroll = {});
    // A double click on a cell holding a glyph toggles its node, unless the
    // first press of the same double click toggled it already.
    bool DblClick(int32_t row, int32_t column);
    // A key on the grid's current row (its selected row): Right and + open a
    // collapsed node, Left and - close an expanded one, Right goes on to an
    // open node's first child and Left back to a row's parent. A key used
    // sets `keyCode` to 0; the grid does what it does with any other.
    void KeyDown(int& keyCode, int shift);

private:
    void showTable(const engine::TTable& table, DetailHead& head);
    void addColumns(const engine::TTable& table);
    void addColumnProperties(const engine::TColumn& column);
    void addKeys(const engine::TTable& table);
    void addIndexes(const engine::TTable& table);
    void showProcedure(const engine::TProcedure& procedure, DetailHead& head);
    bool toggle(int32_t row);

    DetailTree tree_;
    const WizardOptions& options_;
    engine::TComparisonResult result_;
    int32_t kind_ = 0;
    int32_t index_ = 0;
    // The node the last press toggled (0: none), so that the double click
    // the press began does not toggle it back.
    int32_t pressToggled_ = 0;
};

}  // namespace detail
