#pragma once
// The detail report, without Qt: what the detail window shows, printed onto
// a report document: a grey centred heading, the tree as it stands (its shown
// rows only, with their icons), and for a procedure or view the two command
// texts with the element's picture between them.
#include <cstdint>
#include <optional>
#include <string>

#include "report/Document.h"
#include "ui/grid/GridModel.h"
#include "wizard/PrintableGrid.h"

namespace detail {

// The grid model read as a printable grid.
class PrintableGridModel : public wizard::PrintableGrid {
public:
    // The grid must outlive the adapter.
    explicit PrintableGridModel(const ui::grid::GridModel& grid) : grid_(grid) {}

    [[nodiscard]] report::Font Font() const override;
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

// The detail grid's image list as printing reads it ("DGridImg", 16 pixels).
class DetailImages : public wizard::PrintableImageList {
public:
    [[nodiscard]] std::string Name() const override { return "DGridImg"; }
    [[nodiscard]] int32_t IconWidth() const override { return 16; }
};

// What the window shows besides its grid.
struct DetailReportSource {
    std::string caption;  // the window's caption
    int32_t kind = 0;     // the kind of the last request
    // The difference code of the procedure or view shown; nothing when the
    // element is not in the window's copy (no picture is printed then).
    std::optional<int32_t> action;
    // The command-text boxes as they stand.
    std::string sourceText;
    std::string destinationText;
};

// Makes the report in `Preview` anew. Pictures come from the numbered
// bitmaps in `imageFolder` ("…/Detail Images"), or from the image list where
// a file is missing.
void PrintDetailReport(report::Document& Preview, const ui::grid::GridModel& grid,
                       const std::string& imageFolder, const DetailReportSource& shown);

}  // namespace detail
