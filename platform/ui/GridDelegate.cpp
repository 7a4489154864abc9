#include "ui/GridDelegate.h"

#include <QPainter>

#include "ui/GridItemModel.h"
#include "ui/images/ImageList.h"

namespace ui {

GridDelegate::GridDelegate(const GridItemModel& items, QObject* parent)
    : QStyledItemDelegate(parent), items_(items) {}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const grid::GridModel& g = items_.grid();
    const int32_t column = index.column() + 1;
    const int width = column <= g.Columns() ? g.ColumnWidth(column) : 0;
    return {width, g.DefaultRowHeight()};
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
    int x = r.left() + cell->indent;
    auto drawImage = [&](int position, int left) {
        if (!images_ || !images_->contains(position)) return;
        const int top = r.top() + (r.height() - images_->IconHeight()) / 2;
        painter->drawPixmap(QPoint(left, top), images_->pixmap(position, ratio));
    };
    const int slot = (images_ ? images_->IconWidth() : kGlyphSize) + 2;
    if (cell->extraIcon >= 0) {
        drawImage(cell->extraIcon, x);
        x += slot;
    }
    if (cell->icon >= 0) {
        drawImage(cell->icon, x + 1);
        x += slot;
    }
    if (cell->text && !cell->text->empty()) {
        const QRect textRect(QPoint(x + 2, r.top()), QPoint(r.right() - 2, r.bottom()));
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
