#include "ui/grid/GridModel.h"

#include <algorithm>
#include <charconv>

namespace ui::grid {

int32_t itemDataToInt(const ItemData& value) {
    if (const auto* n = std::get_if<int32_t>(&value)) return *n;
    const std::string& text = std::get<std::string>(value);
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    if (first != std::string::npos) {
        const char* begin = text.data() + first;
        const char* end = text.data() + last + 1;
        if (*begin == '+') ++begin;
        int32_t n = 0;
        const auto [ptr, ec] = std::from_chars(begin, end, n);
        if (ec == std::errc() && ptr == end) return n;
    }
    throw GridError("Item data \"" + text + "\" is not a whole number");
}

void GridModel::addListener(GridListener* listener) { listeners_.push_back(listener); }

void GridModel::removeListener(GridListener* listener) { std::erase(listeners_, listener); }

bool GridModel::live() {
    if (redraw_) return true;
    stale_ = true;
    return false;
}

void GridModel::checkRow(int32_t row) const {
    if (row < 1 || row > Rows())
        throw GridError("Row " + std::to_string(row) + " is outside the grid (rows 1 to " +
                        std::to_string(Rows()) + ")");
}

void GridModel::checkColumn(int32_t column) const {
    if (column < 1 || column > Columns())
        throw GridError("Column " + std::to_string(column) + " is outside the grid (columns 1 to " +
                        std::to_string(Columns()) + ")");
}

// --- columns

int32_t GridModel::AddColumn(std::string key, std::string header, HeaderAlign headerAlign,
                             int32_t headerIcon, int32_t width, bool visible) {
    if (width < -1) throw GridError("Column width " + std::to_string(width) + " is not valid");
    const bool now = live();
    const int32_t first = Columns();
    if (now) tell([&](GridListener& l) { l.columnsAboutToBeAdded(first, 1); });
    columns_.push_back(
        Column{std::move(key), std::move(header), headerAlign, headerIcon, width, visible});
    for (Row& row : rows_)
        if (!row.cells.empty()) row.cells.emplace_back();
    if (now) {
        viewColumns_ = Columns();
        tell([](GridListener& l) { l.columnsAdded(); });
    }
    return Columns();
}

int32_t GridModel::ColumnIndex(const std::string& key) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].key == key) return static_cast<int32_t>(i) + 1;
    return 0;
}

const std::string& GridModel::ColumnKey(int32_t column) const {
    checkColumn(column);
    return columns_[column - 1].key;
}

const std::string& GridModel::ColumnHeader(int32_t column) const {
    checkColumn(column);
    return columns_[column - 1].header;
}

void GridModel::ColumnHeader(int32_t column, std::string header) {
    checkColumn(column);
    columns_[column - 1].header = std::move(header);
    if (live()) tell([&](GridListener& l) { l.columnChanged(column); });
}

HeaderAlign GridModel::ColumnHeaderAlign(int32_t column) const {
    checkColumn(column);
    return columns_[column - 1].headerAlign;
}

int32_t GridModel::ColumnHeaderIcon(int32_t column) const {
    checkColumn(column);
    return columns_[column - 1].headerIcon;
}

int32_t GridModel::ColumnWidth(int32_t column) const {
    checkColumn(column);
    const int32_t w = columns_[column - 1].width;
    return w < 0 ? kDefaultColumnWidth : w;
}

void GridModel::ColumnWidth(int32_t column, int32_t width) {
    checkColumn(column);
    if (width < -1) throw GridError("Column width " + std::to_string(width) + " is not valid");
    if (columns_[column - 1].width == width) return;
    columns_[column - 1].width = width;
    if (live()) tell([&](GridListener& l) { l.columnChanged(column); });
}

bool GridModel::ColumnVisible(int32_t column) const {
    checkColumn(column);
    return columns_[column - 1].visible;
}

void GridModel::ColumnVisible(int32_t column, bool visible) {
    checkColumn(column);
    if (columns_[column - 1].visible == visible) return;
    columns_[column - 1].visible = visible;
    if (live()) tell([&](GridListener& l) { l.columnChanged(column); });
}

// --- look

void GridModel::HeaderHeight(int32_t pixels) {
    if (pixels < 0) throw GridError("Header height " + std::to_string(pixels) + " is not valid");
    headerHeight_ = pixels;
    if (live()) tell([](GridListener& l) { l.lookChanged(); });
}

void GridModel::DefaultRowHeight(int32_t pixels) {
    if (pixels < 1) throw GridError("Row height " + std::to_string(pixels) + " is not valid");
    rowHeight_ = pixels;
    if (live()) tell([](GridListener& l) { l.lookChanged(); });
}

int32_t GridModel::RowHeight(int32_t row) const {
    checkRow(row);
    return rowHeight_;
}

void GridModel::Font(GridFont font) {
    font_ = std::move(font);
    if (live()) tell([](GridListener& l) { l.lookChanged(); });
}

// --- rows

int32_t GridModel::AddRow(bool visible) {
    const bool now = live() && visible;
    const auto position = static_cast<int32_t>(shown_.size());
    if (now) tell([&](GridListener& l) { l.rowsAboutToAppear(position, 1); });
    rows_.push_back(Row{visible, {}});
    if (now) {
        shown_.push_back(Rows());
        tell([](GridListener& l) { l.rowsAppeared(); });
    }
    return Rows();
}

void GridModel::Clear() {
    if (!live()) {
        rows_.clear();
        selectedRow_ = 0;
        selectedCol_ = 0;
        return;
    }
    tell([](GridListener& l) { l.gridAboutToReset(); });
    rows_.clear();
    shown_.clear();
    selectedRow_ = 0;
    selectedCol_ = 0;
    tell([](GridListener& l) { l.gridReset(); });
}

bool GridModel::RowVisible(int32_t row) const {
    checkRow(row);
    return rows_[row - 1].visible;
}

void GridModel::RowVisible(int32_t row, bool visible) {
    checkRow(row);
    Row& r = rows_[row - 1];
    if (r.visible == visible) return;
    r.visible = visible;
    if (!live()) return;
    const auto it = std::lower_bound(shown_.begin(), shown_.end(), row);
    const auto position = static_cast<int32_t>(it - shown_.begin());
    if (visible) {
        tell([&](GridListener& l) { l.rowsAboutToAppear(position, 1); });
        shown_.insert(it, row);
        tell([](GridListener& l) { l.rowsAppeared(); });
    } else {
        tell([&](GridListener& l) { l.rowsAboutToVanish(position, 1); });
        shown_.erase(it);
        tell([](GridListener& l) { l.rowsVanished(); });
    }
}

// --- cells

namespace {
const Cell kUnwritten;
}

const Cell& GridModel::cell(int32_t row, int32_t column) const {
    checkRow(row);
    checkColumn(column);
    const Row& r = rows_[row - 1];
    return r.cells.empty() ? kUnwritten : r.cells[column - 1];
}

Cell& GridModel::mutableCell(int32_t row, int32_t column) {
    checkRow(row);
    checkColumn(column);
    Row& r = rows_[row - 1];
    if (r.cells.empty()) r.cells.resize(columns_.size());
    return r.cells[column - 1];
}

void GridModel::cellTouched(int32_t row, int32_t column) {
    if (!rows_[row - 1].visible || !live()) return;
    const int32_t position = viewPosition(row);
    tell([&](GridListener& l) { l.cellChanged(position, column); });
}

void GridModel::CellDetails(int32_t row, int32_t column, std::optional<std::string> text,
                            uint32_t align, int32_t icon, int32_t indent, int32_t extraIcon,
                            ItemData itemData) {
    CellDetails(row, column,
                Cell{std::move(text), align, icon, indent, extraIcon, std::move(itemData)});
}

void GridModel::CellDetails(int32_t row, int32_t column, Cell cell) {
    mutableCell(row, column) = std::move(cell);
    cellTouched(row, column);
}

const std::optional<std::string>& GridModel::CellText(int32_t row, int32_t column) const {
    return cell(row, column).text;
}

void GridModel::CellText(int32_t row, int32_t column, std::optional<std::string> text) {
    mutableCell(row, column).text = std::move(text);
    cellTouched(row, column);
}

uint32_t GridModel::CellAlign(int32_t row, int32_t column) const { return cell(row, column).align; }

void GridModel::CellAlign(int32_t row, int32_t column, uint32_t flags) {
    mutableCell(row, column).align = flags;
    cellTouched(row, column);
}

int32_t GridModel::CellIcon(int32_t row, int32_t column) const { return cell(row, column).icon; }

void GridModel::CellIcon(int32_t row, int32_t column, int32_t icon) {
    mutableCell(row, column).icon = icon;
    cellTouched(row, column);
}

int32_t GridModel::CellExtraIcon(int32_t row, int32_t column) const {
    return cell(row, column).extraIcon;
}

void GridModel::CellExtraIcon(int32_t row, int32_t column, int32_t icon) {
    mutableCell(row, column).extraIcon = icon;
    cellTouched(row, column);
}

int32_t GridModel::CellIndent(int32_t row, int32_t column) const {
    return cell(row, column).indent;
}

void GridModel::CellIndent(int32_t row, int32_t column, int32_t pixels) {
    mutableCell(row, column).indent = pixels;
    cellTouched(row, column);
}

const ItemData& GridModel::CellItemData(int32_t row, int32_t column) const {
    return cell(row, column).itemData;
}

void GridModel::CellItemData(int32_t row, int32_t column, ItemData value) {
    // Item data is never drawn: no view needs to hear of it.
    mutableCell(row, column).itemData = std::move(value);
}

// --- selection

void GridModel::SelectedRow(int32_t row) {
    if (row != 0) checkRow(row);
    if (selectedRow_ == row) return;
    selectedRow_ = row;
    if (live()) tell([](GridListener& l) { l.selectedCellChanged(); });
}

void GridModel::SelectedCol(int32_t column) {
    if (column != 0) checkColumn(column);
    if (selectedCol_ == column) return;
    selectedCol_ = column;
    if (live()) tell([](GridListener& l) { l.selectedCellChanged(); });
}

// --- redraw

void GridModel::Redraw(bool on) {
    if (on == redraw_) return;
    redraw_ = on;
    if (on && stale_) publish();
    tell([&](GridListener& l) { l.redrawChanged(on); });
}

void GridModel::publish() {
    tell([](GridListener& l) { l.gridAboutToReset(); });
    shown_.clear();
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].visible) shown_.push_back(static_cast<int32_t>(i) + 1);
    viewColumns_ = Columns();
    stale_ = false;
    tell([](GridListener& l) { l.gridReset(); });
}

// --- geometry

CellHit GridModel::CellFromPoint(int32_t x, int32_t y, Scroll scroll) const {
    CellHit hit;
    const int64_t dataY = int64_t{y} - headerHeight_ + scroll.y;
    if (y >= headerHeight_ && dataY >= 0) {
        const int64_t position = dataY / rowHeight_;
        if (position < viewRowCount()) hit.row = viewRow(static_cast<int32_t>(position));
    }
    const int64_t dataX = int64_t{x} + scroll.x;
    if (x >= 0 && dataX >= 0) {
        int64_t left = 0;
        for (int32_t c = 1; c <= viewColumns_; ++c) {
            if (!columns_[c - 1].visible) continue;
            const int64_t right = left + ColumnWidth(c);
            if (dataX < right) {
                hit.column = c;
                break;
            }
            left = right;
        }
    }
    return hit;
}

std::optional<CellArea> GridModel::CellBounds(int32_t row, int32_t column, Scroll scroll) const {
    checkRow(row);
    checkColumn(column);
    const int32_t position = viewPosition(row);
    if (position < 0 || column > viewColumns_ || !columns_[column - 1].visible) return std::nullopt;
    int64_t left = 0;
    for (int32_t c = 1; c < column; ++c)
        if (columns_[c - 1].visible) left += ColumnWidth(c);
    const int64_t top = int64_t{headerHeight_} + int64_t{position} * rowHeight_;
    return CellArea{static_cast<int32_t>(left - scroll.x), static_cast<int32_t>(top - scroll.y),
                    ColumnWidth(column), rowHeight_};
}

int32_t GridModel::viewRow(int32_t position) const {
    if (position < 0 || position >= viewRowCount()) return 0;
    const int32_t row = shown_[position];
    return row <= Rows() ? row : 0;
}

int32_t GridModel::viewPosition(int32_t row) const {
    const auto it = std::lower_bound(shown_.begin(), shown_.end(), row);
    if (it == shown_.end() || *it != row) return -1;
    return static_cast<int32_t>(it - shown_.begin());
}

const Cell* GridModel::viewCell(int32_t position, int32_t column) const {
    const int32_t row = viewRow(position);
    if (row == 0 || column < 1 || column > Columns()) return nullptr;
    const Row& r = rows_[row - 1];
    return r.cells.empty() ? &kUnwritten : &r.cells[column - 1];
}

}  // namespace ui::grid
