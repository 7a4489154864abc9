#pragma once
// The tree grid's rows, columns and cells, without Qt: one model for the
// results grid and the detail grid. The Qt view (ui/TreeGrid.h) shows it; the
// report printer reads it directly.
//
// Rows and columns are numbered from 1; 0 means no row or column. Positions,
// sizes and indexes are 32-bit throughout (a grid may hold far more than
// 32,767 rows). Sizes are in pixels. A call with a row or column outside the
// grid throws GridError and changes nothing.
//
// Hidden rows still count: Rows() is every row, shown or not. The rows a view
// shows are "published": while redraw is on every change reaches the
// listeners at once; while it is off nothing does, the published rows stay
// as they were, and switching redraw on publishes everything in one reset.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace ui::grid {

class GridError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value kept with a cell and never shown: a whole number or a text. A cell
// whose item data was never set holds 0.
using ItemData = std::variant<int32_t, std::string>;

// The whole number an item data holds. A text holding a whole number (outer
// blanks allowed) gives that number; any other text throws GridError.
[[nodiscard]] int32_t itemDataToInt(const ItemData& value);

// A cell's text-drawing flags: the side its text keeps and how a text too
// wide for the cell is cut. The values are those the programs pass.
namespace align {
inline constexpr uint32_t Left = 0x0;
inline constexpr uint32_t Centre = 0x1;
inline constexpr uint32_t Right = 0x2;
inline constexpr uint32_t HorizontalMask = 0x3;
inline constexpr uint32_t SingleLine = 0x20;
inline constexpr uint32_t WordEllipsis = 0x40000;
}  // namespace align

// Alignment of a column's header caption, with the programs' codes.
enum class HeaderAlign : int32_t { Left = 0, Right = 1, Centre = 2 };

// The grid's font, as a description any printer or view can turn into its own.
struct GridFont {
    std::string name = "Verdana";
    double size = 8.25;  // points
    bool bold = false;

    friend bool operator==(const GridFont&, const GridFont&) = default;
};

// Everything one cell holds. A cell created without a text has no text at
// all, which is not the same as an empty text.
struct Cell {
    std::optional<std::string> text;
    uint32_t align = align::Left;
    int32_t icon = -1;       // image-list position, -1 none
    int32_t indent = 0;      // pixels before the extra icon, icon and text
    int32_t extraIcon = -1;  // drawn before the icon (the expand glyph), -1 none
    ItemData itemData = 0;

    friend bool operator==(const Cell&, const Cell&) = default;
};

struct Column {
    std::string key;
    std::string header;
    HeaderAlign headerAlign = HeaderAlign::Left;
    int32_t headerIcon = -1;
    int32_t width = -1;  // pixels; -1: the grid's default width
    bool visible = true;
};

// The cell under a point: row and column from 1, 0 where the point lies
// outside every row or every column.
struct CellHit {
    int32_t row = 0;
    int32_t column = 0;

    friend bool operator==(const CellHit&, const CellHit&) = default;
};

// How far a view has scrolled its data area, in pixels.
struct Scroll {
    int32_t x = 0;
    int32_t y = 0;
};

// Where a cell is drawn, in pixels from the grid's top-left corner.
struct CellArea {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;

    friend bool operator==(const CellArea&, const CellArea&) = default;
};

// What a view hears of the model. Row positions are 0-based among the
// published (shown) rows; columns count from 1. Calls come only while redraw
// is on, except redrawChanged.
class GridListener {
public:
    virtual ~GridListener() = default;
    // Anything may have changed: rows, columns, cells, look and selection.
    virtual void gridAboutToReset() {}
    virtual void gridReset() {}
    virtual void rowsAboutToAppear(int32_t /*first*/, int32_t /*count*/) {}
    virtual void rowsAppeared() {}
    virtual void rowsAboutToVanish(int32_t /*first*/, int32_t /*count*/) {}
    virtual void rowsVanished() {}
    virtual void columnsAboutToBeAdded(int32_t /*first*/, int32_t /*count*/) {}
    virtual void columnsAdded() {}
    virtual void cellChanged(int32_t /*position*/, int32_t /*column*/) {}
    // A column's header, alignment, width or visibility.
    virtual void columnChanged(int32_t /*column*/) {}
    // The font, the header height or the row height.
    virtual void lookChanged() {}
    virtual void selectedCellChanged() {}
    virtual void redrawChanged(bool /*on*/) {}
};

class GridModel {
public:
    static constexpr int32_t kDefaultColumnWidth = 64;
    static constexpr int32_t kDefaultRowHeight = 18;
    static constexpr int32_t kDefaultHeaderHeight = 18;

    GridModel() = default;
    GridModel(const GridModel&) = delete;
    GridModel& operator=(const GridModel&) = delete;

    // Listeners are told in the order they were added; each must outlive the
    // model or be removed first.
    void addListener(GridListener* listener);
    void removeListener(GridListener* listener);

    // --- columns
    // Appends a column and returns its number. Width -1 takes the default.
    int32_t AddColumn(std::string key, std::string header,
                      HeaderAlign headerAlign = HeaderAlign::Left, int32_t headerIcon = -1,
                      int32_t width = -1, bool visible = true);
    [[nodiscard]] int32_t Columns() const { return static_cast<int32_t>(columns_.size()); }
    // The column with this key (exact match), or 0.
    [[nodiscard]] int32_t ColumnIndex(const std::string& key) const;
    [[nodiscard]] const std::string& ColumnKey(int32_t column) const;
    [[nodiscard]] const std::string& ColumnHeader(int32_t column) const;
    void ColumnHeader(int32_t column, std::string header);
    [[nodiscard]] HeaderAlign ColumnHeaderAlign(int32_t column) const;
    [[nodiscard]] int32_t ColumnHeaderIcon(int32_t column) const;
    // The width in pixels; a column left at the default reads the default.
    [[nodiscard]] int32_t ColumnWidth(int32_t column) const;
    void ColumnWidth(int32_t column, int32_t width);
    [[nodiscard]] bool ColumnVisible(int32_t column) const;
    void ColumnVisible(int32_t column, bool visible);

    // --- look
    [[nodiscard]] int32_t HeaderHeight() const { return headerHeight_; }
    void HeaderHeight(int32_t pixels);
    [[nodiscard]] int32_t DefaultRowHeight() const { return rowHeight_; }
    void DefaultRowHeight(int32_t pixels);
    // Every row is as high as the default row height.
    [[nodiscard]] int32_t RowHeight(int32_t row) const;
    [[nodiscard]] const GridFont& Font() const { return font_; }
    void Font(GridFont font);

    // --- rows
    // Appends a row of empty cells, shown or hidden, and returns its number.
    int32_t AddRow(bool visible = true);
    // Removes every row; the columns stay. The selection goes to 0.
    void Clear();
    [[nodiscard]] int32_t Rows() const { return static_cast<int32_t>(rows_.size()); }
    [[nodiscard]] bool RowVisible(int32_t row) const;
    void RowVisible(int32_t row, bool visible);

    // --- cells
    // Replaces the whole cell: text, alignment flags, icon, indent, extra icon
    // and item data, in the order the programs pass them; what a call leaves
    // out takes the defaults, so a cell given no text has none.
    void CellDetails(int32_t row, int32_t column, std::optional<std::string> text,
                     uint32_t align = align::Left, int32_t icon = -1, int32_t indent = 0,
                     int32_t extraIcon = -1, ItemData itemData = 0);
    // The same with a whole cell (designated members left out take the
    // defaults; GCC wants an explicit `.text = std::nullopt` when the text
    // is left out before other members).
    void CellDetails(int32_t row, int32_t column, Cell cell);
    [[nodiscard]] const Cell& cell(int32_t row, int32_t column) const;
    // Nothing for a cell created without a text.
    [[nodiscard]] const std::optional<std::string>& CellText(int32_t row, int32_t column) const;
    void CellText(int32_t row, int32_t column, std::optional<std::string> text);
    [[nodiscard]] uint32_t CellAlign(int32_t row, int32_t column) const;
    void CellAlign(int32_t row, int32_t column, uint32_t flags);
    [[nodiscard]] int32_t CellIcon(int32_t row, int32_t column) const;
    void CellIcon(int32_t row, int32_t column, int32_t icon);
    [[nodiscard]] int32_t CellExtraIcon(int32_t row, int32_t column) const;
    void CellExtraIcon(int32_t row, int32_t column, int32_t icon);
    [[nodiscard]] int32_t CellIndent(int32_t row, int32_t column) const;
    void CellIndent(int32_t row, int32_t column, int32_t pixels);
    [[nodiscard]] const ItemData& CellItemData(int32_t row, int32_t column) const;
    void CellItemData(int32_t row, int32_t column, ItemData value);

    // --- selection (0: none)
    [[nodiscard]] int32_t SelectedRow() const { return selectedRow_; }
    void SelectedRow(int32_t row);
    [[nodiscard]] int32_t SelectedCol() const { return selectedCol_; }
    void SelectedCol(int32_t column);

    // --- redraw
    [[nodiscard]] bool Redraw() const { return redraw_; }
    // Off: later changes reach no view until it is switched on again, which
    // publishes them all at once (one reset). Not counted: one "on" ends any
    // number of "off".
    void Redraw(bool on);

    // The cell at a point given in pixels from the grid's top-left corner
    // (the header band's top-left), with the data area scrolled by `scroll`:
    // the published rows and the shown columns, as a view draws them.
    [[nodiscard]] CellHit CellFromPoint(int32_t x, int32_t y, Scroll scroll = {}) const;
    // Where CellFromPoint finds a cell: nothing for a row not published or a
    // hidden column. The area may lie outside what a view shows (scrolled away).
    [[nodiscard]] std::optional<CellArea> CellBounds(int32_t row, int32_t column,
                                                     Scroll scroll = {}) const;

    // --- what a view shows (published)
    [[nodiscard]] int32_t viewRowCount() const { return static_cast<int32_t>(shown_.size()); }
    [[nodiscard]] int32_t viewColumnCount() const { return viewColumns_; }
    // The row shown at a 0-based position, or 0 when that row no longer
    // exists (possible only while redraw is off).
    [[nodiscard]] int32_t viewRow(int32_t position) const;
    // The position at which a row is shown, or -1 when it is not shown.
    [[nodiscard]] int32_t viewPosition(int32_t row) const;
    // The cell at a published position, or null when it no longer exists.
    [[nodiscard]] const Cell* viewCell(int32_t position, int32_t column) const;

private:
    struct Row {
        bool visible = true;
        std::vector<Cell> cells;  // empty until a cell of the row is written
    };

    void checkRow(int32_t row) const;
    void checkColumn(int32_t column) const;
    Cell& mutableCell(int32_t row, int32_t column);
    // After a cell of `row` changed: tells the listeners when they see it.
    void cellTouched(int32_t row, int32_t column);
    // True when listeners must hear of a change now; otherwise marks the
    // published state stale.
    bool live();
    void publish();

    template <typename F>
    void tell(F&& f) {
        for (GridListener* l : listeners_) f(*l);
    }

    std::vector<Column> columns_;
    std::vector<Row> rows_;
    std::vector<int32_t> shown_;  // published: rows shown, ascending
    int32_t viewColumns_ = 0;     // published column count
    std::vector<GridListener*> listeners_;
    int32_t headerHeight_ = kDefaultHeaderHeight;
    int32_t rowHeight_ = kDefaultRowHeight;
    GridFont font_;
    int32_t selectedRow_ = 0;
    int32_t selectedCol_ = 0;
    bool redraw_ = true;
    bool stale_ = false;
};

}  // namespace ui::grid
