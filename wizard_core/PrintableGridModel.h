#pragma once
// The tree grid's model as printing reads it: a read-only view, no copy. The
// model must outlive this object.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "ui/grid/GridModel.h"
#include "wizard_core/PrintableGrid.h"

namespace wizard {

class PrintableGridModel final : public PrintableGrid {
public:
    explicit PrintableGridModel(const ui::grid::GridModel& grid) : grid_(grid) {}

    [[nodiscard]] report::Font Font() const override {
        const ui::grid::GridFont& font = grid_.Font();
        return report::Font{font.name, font.size, font.bold};
    }
    [[nodiscard]] int32_t HeaderHeight() const override { return grid_.HeaderHeight(); }

    [[nodiscard]] int32_t Columns() const override { return grid_.Columns(); }
    [[nodiscard]] bool ColumnVisible(int32_t column) const override {
        return grid_.ColumnVisible(column);
    }
    [[nodiscard]] int32_t ColumnWidth(int32_t column) const override {
        return grid_.ColumnWidth(column);
    }
    [[nodiscard]] std::string ColumnHeader(int32_t column) const override {
        return grid_.ColumnHeader(column);
    }

    [[nodiscard]] int32_t Rows() const override { return grid_.Rows(); }
    [[nodiscard]] bool RowVisible(int32_t row) const override { return grid_.RowVisible(row); }
    [[nodiscard]] int32_t RowHeight(int32_t row) const override { return grid_.RowHeight(row); }

    [[nodiscard]] int32_t CellIndent(int32_t row, int32_t column) const override {
        return grid_.CellIndent(row, column);
    }
    [[nodiscard]] int32_t CellExtraIcon(int32_t row, int32_t column) const override {
        return grid_.CellExtraIcon(row, column);
    }
    [[nodiscard]] int32_t CellIcon(int32_t row, int32_t column) const override {
        return grid_.CellIcon(row, column);
    }
    [[nodiscard]] std::optional<std::string> CellText(int32_t row, int32_t column) const override {
        return grid_.CellText(row, column);
    }

private:
    const ui::grid::GridModel& grid_;
};

// An image list as printing reads it: its name, for the fallback picture of a
// missing bitmap, and its icon width.
class PrintableImages final : public PrintableImageList {
public:
    PrintableImages(std::string name, int32_t iconWidth)
        : name_(std::move(name)), iconWidth_(iconWidth) {}
    [[nodiscard]] std::string Name() const override { return name_; }
    [[nodiscard]] int32_t IconWidth() const override { return iconWidth_; }

private:
    std::string name_;
    int32_t iconWidth_;
};

}  // namespace wizard
