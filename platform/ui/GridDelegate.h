#pragma once
// Draws one tree-grid cell: after the cell's indent, the extra icon (the
// expand glyph, in the 16 pixels right after the indent), then the icon in an
// 18-pixel slot, then the text, aligned and cut with an ellipsis as the
// cell's flags say. At a zoom every one of those lengths, and the row's
// height, is drawn that many times larger.
#include <QStyledItemDelegate>

namespace ui {

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

private:
    const GridItemModel& items_;
    const ImageList* images_ = nullptr;
    double zoom_ = 1.0;
};

}  // namespace ui
