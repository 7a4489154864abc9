#pragma once
// The tree grid's model as a Qt item model: one table row per published
// (shown) grid row, one column per grid column. It reads the grid directly
// and follows its notifications, so while the grid's redraw is off the view
// sees nothing change.
#include <QAbstractTableModel>

#include "ui/grid/GridModel.h"

namespace ui {

class ImageList;

class GridItemModel : public QAbstractTableModel, private grid::GridListener {
public:
    // Roles beside Qt's own (display text, text alignment, decoration).
    enum Role {
        HasTextRole = Qt::UserRole + 1,  // bool: the cell was given a text
        IconRole,                        // int, -1 none
        ExtraIconRole,                   // int, -1 none
        IndentRole,                      // int, pixels
        AlignFlagsRole,                  // uint: the cell's text-drawing flags
        ItemDataRole,                    // int or QString
        GridRowRole,                     // int: the grid's row number
    };

    // `grid` must outlive the model.
    explicit GridItemModel(grid::GridModel& grid, QObject* parent = nullptr);
    ~GridItemModel() override;

    [[nodiscard]] grid::GridModel& grid() const { return grid_; }
    // The pictures header icons name (the cells' are drawn by the view).
    void setImageList(const ImageList* images) { images_ = images; }

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The grid cell an index stands for, or null when there is none.
    [[nodiscard]] const grid::Cell* cellAt(const QModelIndex& index) const;

private:
    void gridAboutToReset() override;
    void gridReset() override;
    void rowsAboutToAppear(int32_t first, int32_t count) override;
    void rowsAppeared() override;
    void rowsAboutToVanish(int32_t first, int32_t count) override;
    void rowsVanished() override;
    void columnsAboutToBeAdded(int32_t first, int32_t count) override;
    void columnsAdded() override;
    void cellChanged(int32_t position, int32_t column) override;
    void columnChanged(int32_t column) override;

    grid::GridModel& grid_;
    const ImageList* images_ = nullptr;
};

// Qt's alignment for a cell's text-drawing flags, or a header's alignment.
[[nodiscard]] Qt::Alignment qtAlignment(uint32_t alignFlags);
[[nodiscard]] Qt::Alignment qtAlignment(grid::HeaderAlign align);

}  // namespace ui
