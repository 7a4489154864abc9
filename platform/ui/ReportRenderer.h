#pragma once
// The report document (report/Document.h) on paper and screen: Qt text
// metrics for laying it out, drawing its pages with QPainter on a printer, a
// PDF file or an image, and the print preview window. Fonts are sized in
// twips (20 to the point) so that what was measured is what is drawn, on any
// device. GUI thread only.
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QString>
#include <optional>

#include "report/Document.h"
#include "ui/ImageLookup.h"

class QPagedPaintDevice;
class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace ui {

// Measures with Qt's fonts. Needs a QGuiApplication.
class QtTextMetrics : public report::TextMetrics {
public:
    [[nodiscard]] double width(std::string_view utf8, const report::Font& font) const override;
    [[nodiscard]] double height(std::string_view utf8, const report::Font& font) const override;
    // From one shaping of the whole text.
    [[nodiscard]] std::vector<double> prefixWidths(std::string_view utf8,
                                                   const report::Font& font) const override;

private:
    // Layout measures many texts in one font in a row.
    [[nodiscard]] const QFontMetricsF& metricsFor(const report::Font& font) const;
    mutable std::optional<report::Font> font_;
    mutable std::optional<QFontMetricsF> metrics_;
};

// The font as drawn in a painter whose unit is the twip.
[[nodiscard]] QFont qtFont(const report::Font& font);
// A report colour (&HBBGGRR, or a system colour by index) as a QColor.
[[nodiscard]] QColor qtColour(report::Colour colour);

[[nodiscard]] QPageLayout qtPageLayout(const report::PageFormat& format);
[[nodiscard]] report::PageFormat pageFormatOf(const QPageLayout& layout);

// Draws every page of `document` on `device`, one device page per report page,
// with the document's page format. Pictures whose file cannot be read come
// from `images` (which may be null: then they are left out). False when the
// device cannot be painted on.
bool renderReport(const report::Document& document, QPagedPaintDevice& device,
                  const ImageLookup* images);

// Prints on `printer` (which takes the document's page format).
bool printReport(const report::Document& document, QPrinter& printer, const ImageLookup* images);

// Writes the document as a PDF file; false when the file cannot be written.
bool writePdf(const report::Document& document, const QString& path, const ImageLookup* images);

// One page (from 0) as an image of the whole sheet at `dotsPerInch`, white
// where nothing is drawn; a null image for a page that does not exist.
[[nodiscard]] QImage renderPage(const report::Document& document, int page, double dotsPerInch,
                                const ImageLookup* images);

// The print preview of `document` on `printer`, not shown yet. Paper and
// orientation stay the document's (its layout was made for them), so the
// preview offers no page set-up of its own; it prints on `printer`. The
// document and `images` must outlive the dialog.
[[nodiscard]] QPrintPreviewDialog* makePreviewDialog(const report::Document& document,
                                                     QPrinter& printer, const ImageLookup* images,
                                                     QWidget* parent);

}  // namespace ui
