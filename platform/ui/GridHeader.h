#pragma once
// The tree grid's header: as high as the grid says (times the grid's zoom),
// and asking before the user resizes a column (by dragging or double-clicking
// the column's edge), so that the grid's owner may refuse it.
#include <QHeaderView>
#include <functional>

#include "ui/grid/GridModel.h"

namespace ui {

class GridHeader : public QHeaderView {
public:
    // `grid` must outlive the header.
    GridHeader(const grid::GridModel& grid, QWidget* parent);

    // Asked with the column (from 1) whose right edge the user grabbed; false
    // refuses the resize.
    std::function<bool(int32_t column)> mayResize;
    void setZoom(double zoom) { zoom_ = zoom; }

    [[nodiscard]] QSize sizeHint() const override;
    // The column (from 1) whose resize handle lies at x (viewport pixels), or 0.
    [[nodiscard]] int32_t resizeHandleAt(int x) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    [[nodiscard]] bool refused(QMouseEvent* event) const;

    const grid::GridModel& grid_;
    double zoom_ = 1.0;
};

}  // namespace ui
