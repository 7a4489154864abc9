#include "ui/GridDelegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QTextDocument>
#include <QToolTip>

#include "ui/GridItemModel.h"
#include "ui/GridZoom.h"
#include "ui/images/ImageList.h"

namespace ui {

namespace {

// The grid draws one line: a line end shows as a blank.
QString oneLine(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(u'\r', u' ').replace(u'\n', u' ');
    return s;
}

}  // namespace

GridDelegate::GridDelegate(const GridItemModel& items, QObject* parent)
    : QStyledItemDelegate(parent), items_(items) {}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const grid::GridModel& g = items_.grid();
    const int32_t column = index.column() + 1;
    const int width = column <= g.Columns() ? g.ColumnWidth(column) : 0;
    return {zoomedLength(width, zoom_), zoomedLength(g.DefaultRowHeight(), zoom_)};
}

int GridDelegate::slot() const {
    return zoomedLength((images_ ? images_->IconWidth() : kGlyphSize) + 2, zoom_);
}

QRect GridDelegate::textRect(const QRect& r, const grid::Cell& cell) const {
    int x = r.left() + zoomedLength(cell.indent, zoom_);
    if (cell.extraIcon >= 0) x += slot();
    if (cell.icon >= 0) x += slot();
    const QRect text(QPoint(x + zoomedLength(2, zoom_), r.top()),
                     QPoint(r.right() - zoomedLength(2, zoom_), r.bottom()));
    return text.width() > 0 ? text : QRect();
}

QString GridDelegate::shownText(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const grid::Cell* cell = items_.cellAt(index);
    if (!cell || !cell->text || cell->text->empty()) return {};
    const QRect place = textRect(option.rect, *cell);
    if (place.isEmpty()) return {};
    return QFontMetrics(option.font)
        .elidedText(oneLine(*cell->text), Qt::ElideRight, place.width());
}

std::optional<QString> GridDelegate::cutText(const QStyleOptionViewItem& option,
                                             const QModelIndex& index) const {
    const grid::Cell* cell = items_.cellAt(index);
    if (!cell || !cell->text || cell->text->empty()) return std::nullopt;
    if (shownText(option, index) == oneLine(*cell->text)) return std::nullopt;
    QString whole = QString::fromStdString(*cell->text);
    whole.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return whole;
}

bool GridDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                             const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (const auto whole = cutText(option, index)) {
        // As plain text: a value such as "<None>" is no markup.
        QToolTip::showText(event->globalPos(), Qt::convertFromPlainText(*whole), view->viewport(),
                           option.rect);
    } else {
        QToolTip::hideText();
    }
    return true;
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
    if (cell->extraIcon >= 0) {
        drawImage(cell->extraIcon, x);
        x += slot();
    }
    if (cell->icon >= 0) drawImage(cell->icon, x + zoomed(1));
    const QString text = shownText(option, index);
    if (!text.isEmpty()) {
        painter->setFont(option.font);
        painter->setPen(
            option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(textRect(r, *cell), static_cast<int>(qtAlignment(cell->align)), text);
    }
    painter->restore();
}

}  // namespace ui
