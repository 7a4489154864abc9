#include "ui/ReportRenderer.h"

#include <QAction>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QScreen>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace ui {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerPoint = 20.0;
// Frames are drawn half a point wide, on every device.
constexpr double kFrameWidth = 10.0;

QString qtText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Each picture file is read once per drawing, however often it appears.
class Pictures {
public:
    explicit Pictures(const ImageLookup* images) : images_(images) {}

    void draw(QPainter& painter, const report::PictureItem& item) {
        const QString file = QString::fromStdString(item.file);
        auto it = files_.find(file);
        if (it == files_.end()) it = files_.insert(file, QImage(file));
        if (!it->isNull()) {
            painter.drawImage(QRectF(item.x, item.y, it->width() * double(report::kTwipsPerPixel),
                                     it->height() * double(report::kTwipsPerPixel)),
                              *it);
            return;
        }
        // The file is missing or unreadable: the same picture from its image
        // list, and the report goes on without it when there is none.
        if (!item.fallback || !images_) return;
        const QPixmap pixmap =
            images_->picture(QString::fromStdString(item.fallback->list), item.fallback->index);
        if (pixmap.isNull()) return;
        const QSizeF size = pixmap.deviceIndependentSize() * double(report::kTwipsPerPixel);
        painter.drawPixmap(QRectF(QPointF(item.x, item.y), size), pixmap, QRectF(pixmap.rect()));
    }

private:
    const ImageLookup* images_;
    QHash<QString, QImage> files_;
};

// Draws one page in a painter whose unit is the twip, with the origin at the
// top left of the printable area.
void paintPage(QPainter& painter, const report::Document& document, const report::Page& page,
               Pictures& pictures) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setClipRect(QRectF(0, 0, document.PageWidth(), document.PageHeight()));
    for (const report::Item& item : page.items) {
        if (const auto* t = std::get_if<report::TextItem>(&item)) {
            const QFont font = qtFont(t->font);
            painter.setFont(font);
            painter.setPen(qtColour(t->colour));
            painter.drawText(QPointF(t->x, t->y + QFontMetricsF(font).ascent()), qtText(t->text));
        } else if (const auto* b = std::get_if<report::BoxItem>(&item)) {
            const QRectF rect(QPointF(std::min(b->x1, b->x2), std::min(b->y1, b->y2)),
                              QPointF(std::max(b->x1, b->x2), std::max(b->y1, b->y2)));
            if (b->style == report::BoxStyle::Filled) {
                painter.fillRect(rect, qtColour(b->colour));
            } else {
                painter.setPen(QPen(qtColour(b->colour), kFrameWidth));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(rect);
            }
        } else {
            pictures.draw(painter, std::get<report::PictureItem>(item));
        }
    }
    painter.restore();
}

void applyFormat(QPagedPaintDevice& device, const report::PageFormat& format) {
    const QPageLayout layout = qtPageLayout(format);
    if (device.setPageLayout(layout)) return;
    // A printer that cannot print so near the edge keeps its own margins.
    (void)device.setPageSize(layout.pageSize());
    (void)device.setPageOrientation(layout.orientation());
}

}  // namespace

const QFontMetricsF& QtTextMetrics::metricsFor(const report::Font& font) const {
    if (!font_ || !(*font_ == font)) {
        metrics_.emplace(qtFont(font));
        font_ = font;
    }
    return *metrics_;
}

double QtTextMetrics::width(std::string_view utf8, const report::Font& font) const {
    return metricsFor(font).horizontalAdvance(qtText(utf8));
}

double QtTextMetrics::height(std::string_view, const report::Font& font) const {
    return metricsFor(font).height();
}

std::vector<double> QtTextMetrics::prefixWidths(std::string_view utf8,
                                                const report::Font& font) const {
    const QString text = qtText(utf8);
    QTextLayout layout(text, qtFont(font));
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) line.setLineWidth(1e9);
    layout.endLayout();
    std::vector<double> out;
    out.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        // The end of each character: a surrogate pair is one.
        if (text.at(i).isHighSurrogate() && i + 1 < text.size()) continue;
        out.push_back(line.isValid() ? line.cursorToX(static_cast<int>(i + 1)) : 0.0);
    }
    return out;
}

QFont qtFont(const report::Font& font) {
    QFont f(QString::fromStdString(font.name));
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(font.size * kTwipsPerPoint))));
    f.setBold(font.bold);
    // Hinting would fit glyphs to a pixel grid that a twip is not.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QColor qtColour(report::Colour colour) {
    if (!report::isSystemColour(colour))
        return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    const QPalette palette = QGuiApplication::palette();
    switch (colour & 0xFF) {
        case 5:  // window
            return palette.color(QPalette::Base);
        case 13:  // highlight
            return palette.color(QPalette::Highlight);
        case 14:  // highlighted text
            return palette.color(QPalette::HighlightedText);
        case 15:  // button face
            return palette.color(QPalette::Button);
        case 16:  // button shadow
            return palette.color(QPalette::Dark);
        case 18:  // button text
            return palette.color(QPalette::ButtonText);
        case 20:  // button highlight
            return palette.color(QPalette::Light);
        default:  // window text and the rest
            return palette.color(QPalette::WindowText);
    }
}

QPageLayout qtPageLayout(const report::PageFormat& format) {
    const QPageSize::PageSizeId id =
        format.paper.code != 0 ? QPageSize::id(format.paper.code) : QPageSize::Custom;
    const QPageSize size = id != QPageSize::Custom
                               ? QPageSize(id)
                               : QPageSize(QSizeF(format.paper.width / kTwipsPerPoint,
                                                  format.paper.height / kTwipsPerPoint),
                                           QPageSize::Point, QString(), QPageSize::FuzzyMatch);
    const report::Margins& m = format.margins;
    return QPageLayout(size,
                       format.orientation == report::Orientation::Landscape ? QPageLayout::Landscape
                                                                            : QPageLayout::Portrait,
                       QMarginsF(m.left / kTwipsPerPoint, m.top / kTwipsPerPoint,
                                 m.right / kTwipsPerPoint, m.bottom / kTwipsPerPoint),
                       QPageLayout::Point);
}

report::PageFormat pageFormatOf(const QPageLayout& layout) {
    auto twips = [](double points) { return static_cast<int32_t>(std::lround(points * 20)); };
    report::PageFormat f;
    const QSizeF points = layout.pageSize().size(QPageSize::Point);
    f.paper.code = layout.pageSize().windowsId();
    f.paper.width = twips(std::min(points.width(), points.height()));
    f.paper.height = twips(std::max(points.width(), points.height()));
    if (f.paper.code != 0 && QPageSize::id(f.paper.code) == QPageSize::Custom) f.paper.code = 0;
    f.orientation = layout.orientation() == QPageLayout::Landscape ? report::Orientation::Landscape
                                                                   : report::Orientation::Portrait;
    const QMarginsF m = layout.margins(QPageLayout::Point);
    f.margins = {twips(m.left()), twips(m.top()), twips(m.right()), twips(m.bottom())};
    return f;
}

bool renderReport(const report::Document& document, QPagedPaintDevice& device,
                  const ImageLookup* images) {
    applyFormat(device, document.PageFormat());
    QPainter painter;
    if (!painter.begin(&device)) return false;
    Pictures pictures(images);
    const double sx = device.logicalDpiX() / kTwipsPerInch;
    const double sy = device.logicalDpiY() / kTwipsPerInch;
    const auto& pages = document.pages();
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        painter.resetTransform();
        painter.scale(sx, sy);
        paintPage(painter, document, pages[i], pictures);
    }
    return painter.end();
}

bool printReport(const report::Document& document, QPrinter& printer, const ImageLookup* images) {
    printer.setFullPage(false);
    if (printer.docName().isEmpty())
        printer.setDocName(QString::fromStdString(document.DocumentTitle()));
    return renderReport(document, printer, images);
}

bool writePdf(const report::Document& document, const QString& path, const ImageLookup* images) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    {
        QPdfWriter writer(&file);
        writer.setTitle(QString::fromStdString(document.DocumentTitle()));
        writer.setCreator(QCoreApplication::applicationName());
        if (!renderReport(document, writer, images)) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}

QImage renderPage(const report::Document& document, int page, double dotsPerInch,
                  const ImageLookup* images) {
    if (page < 0 || static_cast<size_t>(page) >= document.pages().size()) return {};
    const report::PageFormat& f = document.PageFormat();
    const bool landscape = f.orientation == report::Orientation::Landscape;
    const double width = landscape ? f.paper.height : f.paper.width;
    const double height = landscape ? f.paper.width : f.paper.height;
    const double scale = dotsPerInch / kTwipsPerInch;
    QImage image(static_cast<int>(std::ceil(width * scale)),
                 static_cast<int>(std::ceil(height * scale)), QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(std::lround(dotsPerInch / 0.0254)));
    image.setDotsPerMeterY(image.dotsPerMeterX());
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    painter.translate(f.margins.left, f.margins.top);
    Pictures pictures(images);
    paintPage(painter, document, document.pages()[static_cast<size_t>(page)], pictures);
    painter.end();
    return image;
}

QPrintPreviewDialog* makePreviewDialog(const report::Document& document, QPrinter& printer,
                                       const ImageLookup* images, QWidget* parent) {
    (void)printer.setPageLayout(qtPageLayout(document.PageFormat()));
    printer.setDocName(QString::fromStdString(document.DocumentTitle()));
    auto* dialog = new QPrintPreviewDialog(&printer, parent);
    if (!document.DocumentTitle().empty())
        dialog->setWindowTitle(QString::fromStdString(document.DocumentTitle()));
    // The layout was made for the document's paper and orientation: choosing
    // others here would only cut it off.
    const QString hidden[] = {
        QCoreApplication::translate("QPrintPreviewDialog", "Page setup"),
        QCoreApplication::translate("QPrintPreviewDialog", "Portrait"),
        QCoreApplication::translate("QPrintPreviewDialog", "Landscape"),
    };
    for (QAction* action : dialog->findChildren<QAction*>())
        if (std::find(std::begin(hidden), std::end(hidden), action->text()) != std::end(hidden))
            action->setVisible(false);
    QObject::connect(
        dialog, &QPrintPreviewDialog::paintRequested, dialog,
        [&document, images](QPrinter* target) { (void)printReport(document, *target, images); });
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableSize();
        dialog->resize(available.width() * 4 / 5, available.height() * 4 / 5);
    }
    return dialog;
}

}  // namespace ui
