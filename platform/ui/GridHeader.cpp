#include "ui/GridHeader.h"

#include <QMouseEvent>
#include <QStyle>

#include "ui/GridZoom.h"

namespace ui {

GridHeader::GridHeader(const grid::GridModel& grid, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), grid_(grid) {
    setStretchLastSection(false);
    setSectionsMovable(false);
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSectionResizeMode(QHeaderView::Interactive);
    setMinimumSectionSize(0);
}

QSize GridHeader::sizeHint() const {
    QSize hint = QHeaderView::sizeHint();
    hint.setHeight(zoomedLength(grid_.HeaderHeight(), zoom_));
    return hint;
}

int32_t GridHeader::resizeHandleAt(int x) const {
    // The grip lies within a margin of a section's edges; at a left edge it
    // belongs to the shown section before (as QHeaderView itself decides).
    int visual = visualIndexAt(x);
    if (visual < 0) return 0;
    const int logical = logicalIndex(visual);
    const int left = sectionViewportPosition(logical);
    const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    if (x < left + grip) {
        while (visual > 0) {
            const int before = logicalIndex(--visual);
            if (!isSectionHidden(before)) return before + 1;
        }
        return 0;
    }
    if (x > left + sectionSize(logical) - grip) return logical + 1;
    return 0;
}

bool GridHeader::refused(QMouseEvent* event) const {
    if (event->button() != Qt::LeftButton || !mayResize) return false;
    const int32_t column = resizeHandleAt(event->position().toPoint().x());
    return column > 0 && !mayResize(column);
}

void GridHeader::mousePressEvent(QMouseEvent* event) {
    if (refused(event)) {
        event->accept();
        return;
    }
    QHeaderView::mousePressEvent(event);
}

void GridHeader::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click on an edge fits the column to its contents: a resize too.
    if (refused(event)) {
        event->accept();
        return;
    }
    QHeaderView::mouseDoubleClickEvent(event);
}

}  // namespace ui
