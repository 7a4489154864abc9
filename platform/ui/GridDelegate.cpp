#include "ui/GridDelegate.h"

#include <QPainter>

#include "ui/GridItemModel.h"
#include "ui/GridZoom.h"
#include "ui/images/ImageList.h"

namespace ui {

GridDelegate::GridDelegate(const GridItemModel& items, QObject* parent)
    : QStyledItemDelegate(parent), items_(items) {}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const grid::GridModel& g = items_.grid();
    const int32_t column = index.column() + 1;
    const int width = column <= g.Columns() ? g.ColumnWidth(column) : 0;
    return {zoomedLength(width, zoom_), zoomedLength(g.DefaultRowHeight(), zoom_)};
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    const grid::Cell* cell = items_.cellAt(index);
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    if (selected) painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    if (!cell) return;

    painter->save();
    painter->setClipRect(option.rect);
    const QRect r = option.rect;
    const qreal ratio = painter->device()->devicePixelRatioF();
    auto zoomed = [this](int pixels) { return zoomedLength(pixels, zoom_); };
    int x = r.left() + zoomed(cell->indent);
    auto drawImage = [&](int position, int left) {
        if (!images_ || !images_->contains(position)) return;
        const QSize size(zoomed(images_->IconWidth()), zoomed(images_->IconHeight()));
        const int top = r.top() + (r.height() - size.height()) / 2;
        // Drawn larger, the picture comes from the high-density one.
        painter->drawPixmap(QRect(QPoint(left, top), size),
                            images_->pixmap(position, ratio * zoom_));
    };
    const int slot = zoomed((images_ ? images_->IconWidth() : kGlyphSize) + 2);
    if (cell->extraIcon >= 0) {
        drawImage(cell->extraIcon, x);
        x += slot;
    }
    if (cell->icon >= 0) {
        drawImage(cell->icon, x + zoomed(1));
        x += slot;
    }
    if (cell->text && !cell->text->empty()) {
        const QRect textRect(QPoint(x + zoomed(2), r.top()),
                             QPoint(r.right() - zoomed(2), r.bottom()));
        if (textRect.width() > 0) {
            QString text = QString::fromStdString(*cell->text);
            // The grid draws one line; a line end shows as a blank.
            text.replace(u'\r', u' ').replace(u'\n', u' ');
            const QFontMetrics metrics(option.font);
            if (cell->align & grid::align::WordEllipsis)
                text = metrics.elidedText(text, Qt::ElideRight, textRect.width());
            painter->setFont(option.font);
            painter->setPen(
                option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
            painter->drawText(textRect, static_cast<int>(qtAlignment(cell->align)), text);
        }
    }
    painter->restore();
}

}  // namespace ui
