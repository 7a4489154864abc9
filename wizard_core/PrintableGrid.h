#pragma once
// What printing a grid reads of the grid and of its image list, and nothing
// more: read-only, without Qt. Rows and columns are numbered from 1; sizes are
// in pixels (printed at report::kTwipsPerPixel twips each).
#include <cstdint>
#include <optional>
#include <string>

#include "report/Document.h"

namespace wizard {

class PrintableGrid {
public:
    virtual ~PrintableGrid() = default;

    [[nodiscard]] virtual report::Font Font() const = 0;
    // The height of the header band.
    [[nodiscard]] virtual int32_t HeaderHeight() const = 0;

    [[nodiscard]] virtual int32_t Columns() const = 0;
    [[nodiscard]] virtual bool ColumnVisible(int32_t column) const = 0;
    [[nodiscard]] virtual int32_t ColumnWidth(int32_t column) const = 0;
    [[nodiscard]] virtual std::string ColumnHeader(int32_t column) const = 0;

    [[nodiscard]] virtual int32_t Rows() const = 0;
    [[nodiscard]] virtual bool RowVisible(int32_t row) const = 0;
    [[nodiscard]] virtual int32_t RowHeight(int32_t row) const = 0;

    [[nodiscard]] virtual int32_t CellIndent(int32_t row, int32_t column) const = 0;
    // Image indexes in the grid's image list, from 0; below 0 for none.
    [[nodiscard]] virtual int32_t CellExtraIcon(int32_t row, int32_t column) const = 0;
    [[nodiscard]] virtual int32_t CellIcon(int32_t row, int32_t column) const = 0;
    // Nothing for a cell that was given no text (which is not the same as an
    // empty text).
    [[nodiscard]] virtual std::optional<std::string> CellText(int32_t row,
                                                              int32_t column) const = 0;
};

class PrintableImageList {
public:
    virtual ~PrintableImageList() = default;
    // The list's name ("MGridImg"), by which a report finds a picture again
    // when its bitmap file is missing.
    [[nodiscard]] virtual std::string Name() const = 0;
    [[nodiscard]] virtual int32_t IconWidth() const = 0;
};

}  // namespace wizard
