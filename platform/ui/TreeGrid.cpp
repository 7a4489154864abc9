#include "ui/TreeGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "ui/GridDelegate.h"
#include "ui/GridHeader.h"
#include "ui/GridItemModel.h"
#include "ui/GridZoom.h"
#include "ui/Twips.h"
#include "ui/grid/TreeKeys.h"

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

// The grid's code for a key its owners may take, or 0.
int keyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return grid::key::Return;
        case Qt::Key_Space:
            return grid::key::Space;
        case Qt::Key_Left:
            return grid::key::Left;
        case Qt::Key_Right:
            return grid::key::Right;
        case Qt::Key_Menu:
            return grid::key::Apps;
        case Qt::Key_Plus:
            return grid::key::Add;
        case Qt::Key_Minus:
            return grid::key::Subtract;
        case Qt::Key_F10:
            return grid::key::F10;
        default:
            return 0;
    }
}

QFont qtFont(const grid::GridFont& font, double zoom) {
    QFont f(QString::fromStdString(font.name));
    f.setPointSizeF(font.size * zoom);
    f.setBold(font.bold);
    return f;
}

// Whole parts and the rest, for a distance that may lie before the start.
int floorDiv(int a, int b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }

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
        if (!syncing_ && logical < grid_.Columns())
            grid_.ColumnWidth(logical + 1, static_cast<int32_t>(std::lround(size / zoom_)));
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
    const QPoint drawn = child->mapTo(this, point) - contentsRect().topLeft();
    if (zoom_ == 1.0) return drawn;
    const grid::Scroll at = scroll();
    const int x = modelColumnsX(drawn.x() + horizontalScrollBar()->value()) - at.x;
    const int header = header_->isHidden() ? 0 : header_->height();
    if (drawn.y() < header)
        return {x, floorDiv(drawn.y() * grid_.HeaderHeight(), std::max(header, 1))};
    const int y =
        grid_.HeaderHeight() + modelRowsY(drawn.y() - header + verticalScrollBar()->value()) - at.y;
    return {x, y};
}

grid::Scroll TreeGrid::scroll() const {
    const int x = horizontalScrollBar()->value();
    const int y = verticalScrollBar()->value();
    if (zoom_ == 1.0) return {x, y};
    return {modelColumnsX(x), modelRowsY(y)};
}

int TreeGrid::modelRowsY(int y) const {
    const int model = grid_.DefaultRowHeight();
    const int drawn = zoomedLength(model, zoom_);
    if (drawn <= 0 || model == drawn) return y;
    const int rows = floorDiv(y, drawn);
    return rows * model + (y - rows * drawn) * model / drawn;
}

int TreeGrid::modelColumnsX(int x) const {
    if (zoom_ == 1.0) return x;
    if (x < 0) return static_cast<int>(std::floor(x / zoom_));
    int drawnLeft = 0;
    int modelLeft = 0;
    for (int32_t c = 1; c <= grid_.viewColumnCount() && c <= grid_.Columns(); ++c) {
        if (!grid_.ColumnVisible(c)) continue;
        const int drawn = header_->sectionSize(c - 1);
        const int model = grid_.ColumnWidth(c);
        if (x < drawnLeft + drawn) return modelLeft + (x - drawnLeft) * model / drawn;
        drawnLeft += drawn;
        modelLeft += model;
    }
    return modelLeft + static_cast<int>(std::floor((x - drawnLeft) / zoom_));
}

grid::CellHit TreeGrid::CellFromPoint(int x, int y) const {
    return grid_.CellFromPoint(x, y, scroll());
}

std::optional<grid::CellArea> TreeGrid::CellBounds(int32_t row, int32_t column) const {
    return grid_.CellBounds(row, column, scroll());
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

void TreeGrid::keyPressEvent(QKeyEvent* event) {
    int code = keyCode(event->key());
    if (code != 0) {
        const int shift = shiftCode(event->modifiers());
        const bool menu =
            code == grid::key::Apps || (code == grid::key::F10 && shift == grid::shift::Shift);
        // The menu opens at the current row: it must be in view.
        if (menu && currentIndex().isValid()) scrollTo(currentIndex());
        KeyDown(code, shift);
        if (code == 0) {
            event->accept();
            return;
        }
    }
    QTreeView::keyPressEvent(event);
}

void TreeGrid::changeEvent(QEvent* event) {
    QTreeView::changeEvent(event);
    if (event->type() != QEvent::FontChange || header_ == nullptr) return;
    // The grid's own font set (syncLook) gives the zoom it already has.
    const double size = font().pointSizeF();
    const double model = grid_.Font().size;
    if (size > 0 && model > 0) setZoom(size / model);
}

void TreeGrid::setZoom(double zoom) {
    header_->setFont(font());
    if (zoom == zoom_) return;
    zoom_ = zoom;
    delegate_->setZoom(zoom);
    header_->setZoom(zoom);
    syncColumns();
    header_->updateGeometry();
    scheduleDelayedItemsLayout();
    updateGeometries();
    viewport()->update();
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
    if (grid_.ColumnVisible(column))
        header_->resizeSection(section, zoomedLength(grid_.ColumnWidth(column), zoom_));
}

void TreeGrid::syncColumns() {
    syncing_ = true;
    for (int32_t c = 1; c <= grid_.viewColumnCount(); ++c) syncColumn(c);
    syncing_ = false;
}

void TreeGrid::syncLook() {
    const QFont font = qtFont(grid_.Font(), zoom_);
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
