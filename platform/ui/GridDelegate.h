#pragma once
// Draws one tree-grid cell: after the cell's indent, the extra icon (the
// expand glyph, in the 16 pixels right after the indent), then the icon in an
// 18-pixel slot, then the text, aligned as the cell's flags say. A text wider
// than its place ends in "…", and its tool tip is the whole text. At a zoom
// every one of those lengths, and the row's height, is drawn that many times
// larger.
#include <QStyledItemDelegate>
#include <optional>

namespace ui {

namespace grid {
struct Cell;
}
class GridItemModel;
class ImageList;

class GridDelegate : public QStyledItemDelegate {
public:
    GridDelegate(const GridItemModel& items, QObject* parent);

    void setImageList(const ImageList* images) { images_ = images; }
    void setZoom(double zoom) { zoom_ = zoom; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // The text as the cell at `option.rect` draws it (line ends as blanks,
    // cut with "…" where it is too wide), and the whole text when it is cut.
    [[nodiscard]] QString shownText(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const;
    [[nodiscard]] std::optional<QString> cutText(const QStyleOptionViewItem& option,
                                                 const QModelIndex& index) const;

private:
    // Where a cell's text goes in `cell`'s rectangle, after its indent,
    // glyph and icon; empty when nothing is left for it.
    [[nodiscard]] QRect textRect(const QRect& r, const grid::Cell& cell) const;
    [[nodiscard]] int slot() const;

    const GridItemModel& items_;
    const ImageList* images_ = nullptr;
    double zoom_ = 1.0;
};

}  // namespace ui
