#pragma once
// The tree grid: a flat list view over a grid::GridModel (rows and columns
// from 1, per-cell text, icons, indent and item data, hidden rows, a redraw
// switch), drawing each cell's indent, expand glyph, icon and text.
//
// Coordinates: the grid's own pixels start at the top-left corner of its
// inside (the header's top-left, within the border); CellFromPoint takes
// them, and the mouse events give them in twips (15 to the pixel).
// While the model's redraw is off the view neither repaints nor re-reads.
//
// Zoom: a font set on the widget itself (a proportional resizer scaling it)
// zooms the grid by that font's size over the model's: rows, header, columns,
// indents and icons are drawn that many times larger, so that the larger text
// fits them. The model keeps its own sizes (what prints from it does not
// change), and every position the grid gives or takes (the events,
// CellFromPoint, gridPoint, scroll) stays in the model's pixels, whole rows
// and columns mapping to whole rows and columns: hit tests made against the
// model hold at any zoom.
#include <QTreeView>
#include <memory>
#include <optional>

#include "ui/Event.h"
#include "ui/grid/GridModel.h"

namespace ui {

class GridDelegate;
class GridHeader;
class GridItemModel;
class ImageList;

class TreeGrid : public QTreeView, private grid::GridListener {
public:
    explicit TreeGrid(QWidget* parent = nullptr);
    ~TreeGrid() override;

    [[nodiscard]] grid::GridModel& grid() { return grid_; }
    [[nodiscard]] const grid::GridModel& grid() const { return grid_; }
    [[nodiscard]] GridItemModel& itemModel() { return *items_; }

    // The list the cells' icons name; must outlive the grid (null: no icons).
    void ImageList(const ui::ImageList* images);
    [[nodiscard]] const ui::ImageList* ImageList() const { return images_; }

    // The cell under a point in the grid's pixels (see above), as shown now.
    [[nodiscard]] grid::CellHit CellFromPoint(int x, int y) const;
    // Where a shown cell is drawn now, in the grid's pixels; nothing for a
    // hidden row or column.
    [[nodiscard]] std::optional<grid::CellArea> CellBounds(int32_t row, int32_t column) const;
    // A point in the grid's pixels from a point in a child's (the viewport's,
    // the header's) own.
    [[nodiscard]] QPoint gridPoint(const QWidget* child, QPoint point) const;
    // How far the rows are scrolled, in the model's pixels.
    [[nodiscard]] grid::Scroll scroll() const;
    // 1 while the widget's font is the model's.
    [[nodiscard]] double zoom() const { return zoom_; }

    // Button: 1 left, 2 right, 4 middle. Shift: 1 Shift, 2 Ctrl, 4 Alt.
    // x and y: twips from the grid's top-left. The second press of a double
    // click raises DblClick, not MouseDown; every release raises MouseUp.
    Event<int, int, float, float> MouseDown;
    Event<int, int, float, float> MouseUp;
    // Row and column of the cell double-clicked; 0 where there is none.
    Event<int32_t, int32_t> DblClick;
    // The user is about to resize a column (from 1); cancel refuses it.
    Event<int32_t, bool&> ColumnChanging;
    // A key pressed in the grid, for the keys of grid::key (ui/grid/TreeKeys.h;
    // other keys are the grid's alone), with the shift state as for the mouse.
    // A handler that sets the key code to 0 has taken the key; otherwise the
    // grid does with it what it always does (moves or scrolls, selects). The
    // menu keys (Menu, Shift+F10) first bring the current row into view.
    Event<int&, int> KeyDown;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void gridReset() override;
    void columnsAdded() override;
    void columnChanged(int32_t column) override;
    void lookChanged() override;
    void selectedCellChanged() override;
    void redrawChanged(bool on) override;

    void syncColumn(int32_t column);
    void syncColumns();
    void syncLook();
    void syncSelection();
    void raiseMouse(const Event<int, int, float, float>& event, const QWidget* source,
                    const QMouseEvent* mouse);
    void setZoom(double zoom);
    // A distance into the rows, or across the columns, as drawn, in the
    // model's pixels.
    [[nodiscard]] int modelRowsY(int y) const;
    [[nodiscard]] int modelColumnsX(int x) const;

    grid::GridModel grid_;
    std::unique_ptr<GridItemModel> items_;  // after grid_: goes first
    GridHeader* header_ = nullptr;
    GridDelegate* delegate_ = nullptr;
    const ui::ImageList* images_ = nullptr;
    bool syncing_ = false;
    bool inDoubleClick_ = false;
    double zoom_ = 1.0;
};

}  // namespace ui
