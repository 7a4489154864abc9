#include "ui/GridItemModel.h"

#include "ui/images/ImageList.h"

namespace ui {

namespace {

QVariant itemDataVariant(const grid::ItemData& value) {
    if (const auto* n = std::get_if<int32_t>(&value)) return *n;
    return QString::fromStdString(std::get<std::string>(value));
}

}  // namespace

Qt::Alignment qtAlignment(uint32_t alignFlags) {
    switch (alignFlags & grid::align::HorizontalMask) {
        case grid::align::Centre:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case grid::align::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

Qt::Alignment qtAlignment(grid::HeaderAlign align) {
    switch (align) {
        case grid::HeaderAlign::Centre:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case grid::HeaderAlign::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
        case grid::HeaderAlign::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

GridItemModel::GridItemModel(grid::GridModel& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
    grid_.addListener(this);
}

GridItemModel::~GridItemModel() { grid_.removeListener(this); }

int GridItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.viewRowCount();
}

int GridItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.viewColumnCount();
}

const grid::Cell* GridItemModel::cellAt(const QModelIndex& index) const {
    if (!index.isValid()) return nullptr;
    return grid_.viewCell(index.row(), index.column() + 1);
}

QVariant GridItemModel::data(const QModelIndex& index, int role) const {
    const grid::Cell* cell = cellAt(index);
    if (!cell) return {};
    switch (role) {
        case Qt::DisplayRole:
            if (cell->text) return QString::fromStdString(*cell->text);
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(qtAlignment(cell->align));
        case HasTextRole:
            return cell->text.has_value();
        case IconRole:
            return cell->icon;
        case ExtraIconRole:
            return cell->extraIcon;
        case IndentRole:
            return cell->indent;
        case AlignFlagsRole:
            return cell->align;
        case ItemDataRole:
            return itemDataVariant(cell->itemData);
        case GridRowRole:
            return grid_.viewRow(index.row());
        default:
            return {};
    }
}

QVariant GridItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= grid_.viewColumnCount() ||
        section >= grid_.Columns())
        return {};
    const int32_t column = section + 1;
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(grid_.ColumnHeader(column));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(qtAlignment(grid_.ColumnHeaderAlign(column)));
        case Qt::DecorationRole:
            if (images_ && images_->contains(grid_.ColumnHeaderIcon(column)))
                return images_->icon(grid_.ColumnHeaderIcon(column));
            return {};
        default:
            return {};
    }
}

Qt::ItemFlags GridItemModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void GridItemModel::gridAboutToReset() { beginResetModel(); }
void GridItemModel::gridReset() { endResetModel(); }

void GridItemModel::rowsAboutToAppear(int32_t first, int32_t count) {
    beginInsertRows({}, first, first + count - 1);
}
void GridItemModel::rowsAppeared() { endInsertRows(); }

void GridItemModel::rowsAboutToVanish(int32_t first, int32_t count) {
    beginRemoveRows({}, first, first + count - 1);
}
void GridItemModel::rowsVanished() { endRemoveRows(); }

void GridItemModel::columnsAboutToBeAdded(int32_t first, int32_t count) {
    beginInsertColumns({}, first, first + count - 1);
}
void GridItemModel::columnsAdded() { endInsertColumns(); }

void GridItemModel::cellChanged(int32_t position, int32_t column) {
    const QModelIndex i = index(position, column - 1);
    emit dataChanged(i, i);
}

void GridItemModel::columnChanged(int32_t column) {
    emit headerDataChanged(Qt::Horizontal, column - 1, column - 1);
}

}  // namespace ui
