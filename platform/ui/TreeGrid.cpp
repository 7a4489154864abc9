#include "ui/TreeGrid.h"

#include <QMouseEvent>
#include <QScrollBar>

#include "ui/GridDelegate.h"
#include "ui/GridHeader.h"
#include "ui/GridItemModel.h"
#include "ui/Twips.h"

namespace ui {

namespace {

int buttonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

QFont qtFont(const grid::GridFont& font) {
    QFont f(QString::fromStdString(font.name));
    f.setPointSizeF(font.size);
    f.setBold(font.bold);
    return f;
}

}  // namespace

TreeGrid::TreeGrid(QWidget* parent)
    : QTreeView(parent), items_(std::make_unique<GridItemModel>(grid_)) {
    header_ = new GridHeader(grid_, this);
    header_->mayResize = [this](int32_t column) {
        bool cancel = false;
        ColumnChanging(column, cancel);
        return !cancel;
    };
    setHeader(header_);
    delegate_ = new GridDelegate(*items_, this);
    setItemDelegate(delegate_);
    setModel(items_.get());
    // The model tells the view first, then the view brings its own state in line.
    grid_.addListener(this);

    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setAllColumnsShowFocus(true);
    setEditTriggers(NoEditTriggers);
    setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollMode(ScrollPerPixel);
    header_->viewport()->installEventFilter(this);
    connect(header_, &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (!syncing_ && logical < grid_.Columns()) grid_.ColumnWidth(logical + 1, size);
    });
    syncLook();
    syncColumns();
}

TreeGrid::~TreeGrid() {
    grid_.removeListener(this);
    setModel(nullptr);
}

void TreeGrid::ImageList(const ui::ImageList* images) {
    images_ = images;
    delegate_->setImageList(images);
    items_->setImageList(images);
    viewport()->update();
    header_->viewport()->update();
}

// --- coordinates and mouse

QPoint TreeGrid::gridPoint(const QWidget* child, QPoint point) const {
    return child->mapTo(this, point) - contentsRect().topLeft();
}

grid::CellHit TreeGrid::CellFromPoint(int x, int y) const {
    return grid_.CellFromPoint(x, y,
                               {horizontalScrollBar()->value(), verticalScrollBar()->value()});
}

void TreeGrid::raiseMouse(const Event<int, int, float, float>& event, const QWidget* source,
                          const QMouseEvent* mouse) {
    const QPoint at = gridPoint(source, mouse->position().toPoint());
    event(buttonCode(mouse->button()), shiftCode(mouse->modifiers()),
          static_cast<float>(pixelsToTwips(at.x())), static_cast<float>(pixelsToTwips(at.y())));
}

void TreeGrid::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    // The base class treats a double click off the rows as a press: that
    // second press is the double click's.
    if (!inDoubleClick_) raiseMouse(MouseDown, viewport(), event);
}

void TreeGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    raiseMouse(MouseUp, viewport(), event);
}

void TreeGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    inDoubleClick_ = true;
    QTreeView::mouseDoubleClickEvent(event);
    inDoubleClick_ = false;
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = gridPoint(viewport(), event->position().toPoint());
    const grid::CellHit hit = CellFromPoint(at.x(), at.y());
    DblClick(hit.row, hit.column);
}

bool TreeGrid::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == header_->viewport() &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick)) {
        // Presses on the header are the grid's too (they find no row).
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress) {
            raiseMouse(MouseDown, header_->viewport(), mouse);
        } else if (type == QEvent::MouseButtonRelease) {
            raiseMouse(MouseUp, header_->viewport(), mouse);
        } else if (mouse->button() == Qt::LeftButton) {
            const QPoint at = gridPoint(header_->viewport(), mouse->position().toPoint());
            const grid::CellHit hit = CellFromPoint(at.x(), at.y());
            DblClick(hit.row, hit.column);
        }
    }
    return QTreeView::eventFilter(watched, event);
}

void TreeGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    if (syncing_ || !current.isValid()) return;
    const int32_t row = grid_.viewRow(current.row());
    if (row == 0) return;
    syncing_ = true;
    grid_.SelectedRow(row);
    grid_.SelectedCol(current.column() + 1);
    syncing_ = false;
}

// --- following the model

void TreeGrid::gridReset() {
    syncColumns();
    syncSelection();
}

void TreeGrid::columnsAdded() { syncColumns(); }

void TreeGrid::columnChanged(int32_t column) {
    syncing_ = true;
    syncColumn(column);
    syncing_ = false;
}

void TreeGrid::lookChanged() { syncLook(); }

void TreeGrid::selectedCellChanged() { syncSelection(); }

void TreeGrid::redrawChanged(bool on) {
    // Re-enabling updates repaints once.
    viewport()->setUpdatesEnabled(on);
    header_->viewport()->setUpdatesEnabled(on);
}

void TreeGrid::syncColumn(int32_t column) {
    if (column > items_->columnCount()) return;
    const int section = column - 1;
    header_->setSectionHidden(section, !grid_.ColumnVisible(column));
    if (grid_.ColumnVisible(column)) header_->resizeSection(section, grid_.ColumnWidth(column));
}

void TreeGrid::syncColumns() {
    syncing_ = true;
    for (int32_t c = 1; c <= grid_.viewColumnCount(); ++c) syncColumn(c);
    syncing_ = false;
}

void TreeGrid::syncLook() {
    const QFont font = qtFont(grid_.Font());
    setFont(font);
    header_->setFont(font);
    header_->updateGeometry();
    // The header's height and the rows' come from the model; have them asked again.
    scheduleDelayedItemsLayout();
    updateGeometries();
}

void TreeGrid::syncSelection() {
    const int32_t position = grid_.SelectedRow() > 0 ? grid_.viewPosition(grid_.SelectedRow()) : -1;
    syncing_ = true;
    if (position < 0) {
        selectionModel()->clear();
    } else {
        const int column = std::max(grid_.SelectedCol(), 1) - 1;
        selectionModel()->setCurrentIndex(
            items_->index(position, column),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    syncing_ = false;
}

}  // namespace ui
