#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <filesystem>

#include "TestSupport.h"
#include "ui/ReportRenderer.h"
#include "ui/testing/QtTestApplication.h"

using namespace Qt::StringLiterals;

namespace {

// The image lists of a window, here: every picture a 16 x 16 square of the
// list's own colour.
class FakeImages : public ui::ImageLookup {
public:
    QPixmap picture(const QString& list, int index) const override {
        if (list != u"MGridImg"_s || index < 0 || index > 13) return {};
        QPixmap p(16, 16);
        p.fill(Qt::blue);
        return p;
    }
};

QString qt(const std::string& s) { return QString::fromStdString(s); }

// The number of pages and the page size pdfinfo reports for a PDF file.
struct PdfInfo {
    int pages = -1;
    QString pageSize;
};

PdfInfo pdfInfo(const QString& path) {
    QProcess p;
    p.start(u"pdfinfo"_s, {path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    PdfInfo info;
    const auto pages = QRegularExpression(u"Pages:\\s+(\\d+)"_s).match(out);
    if (pages.hasMatch()) info.pages = pages.captured(1).toInt();
    const auto size = QRegularExpression(u"Page size:\\s+([^\\n]+)"_s).match(out);
    if (size.hasMatch()) info.pageSize = size.captured(1).trimmed();
    return info;
}

class ReportRendererTest : public ::testing::Test {
protected:
    ReportRendererTest() {
        ui::testing::qtApplication();
        report::PageFormat f;
        f.paper = report::Paper::Letter();
        doc.PageFormat(f);
    }

    // A report of three pages: a grey title, a framed grey band, a picture
    // from a file, one whose file is missing, and a footer on every page.
    void buildReport(const std::string& folder) {
        QImage red(16, 16, QImage::Format_RGB32);
        red.fill(Qt::red);
        ASSERT_TRUE(red.save(qt(folder + "/3.bmp"), "BMP"));
        doc.NewDocument();
        doc.DocumentTitle("Comparison Results Report");
        doc.ForeColor(report::kGrey);
        doc.PrintAligned("Comparison Results Report", 2);
        doc.PrintAligned("", 0);
        doc.ForeColor(report::kBlack);
        const double top = doc.CurrentY();
        doc.Box(0, top, 3000, top + 270, report::kGrey, report::BoxStyle::Filled);
        doc.Box(0, top, 3000, top + 270, report::kBlack, report::BoxStyle::Frame);
        doc.PrintLine("Name");
        doc.PrintPicture(folder + "/3.bmp", 30, top + 300);
        doc.PrintPicture(folder + "/missing.bmp", 300, top + 300,
                         report::PictureFallback{"MGridImg", 4});
        doc.PrintPicture(folder + "/gone.bmp", 600, top + 300);
        for (int page = 1; page <= 3; ++page) {
            if (page > 1) doc.NewPage();
            doc.CurrentY(1500);
            doc.PrintLine("Line on page " + std::to_string(page));
            doc.CurrentY(doc.PageHeight() - doc.TextHeight("Hi"));
            doc.ForeColor(report::kGrey);
            doc.PrintAligned("Page " + std::to_string(doc.CurrentPage()), 2);
            doc.ForeColor(report::kBlack);
        }
    }

    ui::QtTextMetrics metrics;
    report::Document doc{metrics};
    FakeImages images;
    testsupport::TempDir dir;
};

TEST_F(ReportRendererTest, QtMetricsMeasureInTwips) {
    const report::Font small{"DejaVu Sans", 10, false};
    const report::Font large{"DejaVu Sans", 20, false};
    const report::Font bold{"DejaVu Sans", 10, true};
    const double w = metrics.width("Comparison", small);
    // Ten characters of a 10 point font: some 4 to 8 points each.
    EXPECT_GT(w, 10 * 4 * 20);
    EXPECT_LT(w, 10 * 8 * 20);
    EXPECT_NEAR(metrics.width("Comparison", large), 2 * w, w * 0.05);
    EXPECT_GT(metrics.width("Comparison", bold), w);
    EXPECT_EQ(metrics.width("", small), 0);
    // Widths of every beginning of a text, from one pass: as measured alone.
    const std::vector<double> prefixes = metrics.prefixWidths("Comparison", small);
    ASSERT_EQ(prefixes.size(), 10u);
    EXPECT_TRUE(std::is_sorted(prefixes.begin(), prefixes.end()));
    EXPECT_NEAR(prefixes[3], metrics.width("Comp", small), 20);
    EXPECT_NEAR(prefixes.back(), w, 20);
    EXPECT_EQ(metrics.prefixWidths("\xC3\xA9 \xF0\x9F\x98\x80", small).size(), 3u);
    EXPECT_TRUE(metrics.prefixWidths("", small).empty());
    const double h = metrics.height("x", small);
    EXPECT_GT(h, 200);  // a line is taller than the font's size
    EXPECT_LT(h, 400);
    EXPECT_EQ(metrics.height("", small), h);
}

TEST_F(ReportRendererTest, PageFormatsMapToQtAndBack) {
    struct Case {
        const char* name;
        report::PageFormat format;
        QPageSize::PageSizeId id;
    };
    const Case cases[] = {
        {"a4Portrait", {report::Paper::A4(), report::Orientation::Portrait, {}}, QPageSize::A4},
        {"letterLandscape",
         {report::Paper::Letter(), report::Orientation::Landscape, {360, 720, 1080, 1440}},
         QPageSize::Letter},
        {"customSize",
         {{0, 7200, 10080}, report::Orientation::Portrait, {0, 0, 0, 0}},
         QPageSize::Custom},
    };
    for (const auto& c : cases) {
        const QPageLayout layout = ui::qtPageLayout(c.format);
        EXPECT_EQ(layout.pageSize().id(), c.id) << c.name;
        const report::PageFormat back = ui::pageFormatOf(layout);
        EXPECT_EQ(back.orientation, c.format.orientation) << c.name;
        EXPECT_EQ(back.margins, c.format.margins) << c.name;
        EXPECT_EQ(back.paper.code, c.format.paper.code) << c.name;
        EXPECT_NEAR(back.paper.width, c.format.paper.width, 20) << c.name;
        EXPECT_NEAR(back.paper.height, c.format.paper.height, 20) << c.name;
    }
}

TEST_F(ReportRendererTest, ColoursAreBlueGreenRed) {
    EXPECT_EQ(ui::qtColour(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ui::qtColour(report::kGrey), QColor(0xB0, 0xB0, 0xB0));
    EXPECT_EQ(ui::qtColour(0x123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(ui::qtColour(report::kButtonFace), QApplication::palette().color(QPalette::Button));
}

TEST_F(ReportRendererTest, WritesEveryPageToPdf) {
    buildReport(dir.path().string());
    const QString pdf = qt((std::filesystem::current_path() / "report.pdf").string());
    ASSERT_TRUE(ui::writePdf(doc, pdf, &images));
    const PdfInfo info = pdfInfo(pdf);
    EXPECT_EQ(info.pages, 3);
    EXPECT_TRUE(info.pageSize.startsWith(u"612 x 792"_s)) << info.pageSize.toStdString();
    EXPECT_FALSE(ui::writePdf(doc, qt(dir.file("no/such/folder/report.pdf")), &images));
}

TEST_F(ReportRendererTest, PrintsOnAPrinterInTheDocumentsOrientation) {
    buildReport(dir.path().string());
    doc.Orientation(report::Orientation::Landscape);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = qt(dir.file("printed.pdf"));
    printer.setOutputFileName(pdf);
    ASSERT_TRUE(ui::printReport(doc, printer, &images));
    const PdfInfo info = pdfInfo(pdf);
    EXPECT_EQ(info.pages, 3);
    EXPECT_TRUE(info.pageSize.startsWith(u"792 x 612"_s)) << info.pageSize.toStdString();
}

// The first page as a person sees it, written beside the test for a look,
// and checked where its parts must be.
TEST_F(ReportRendererTest, DrawsTextBoxesAndPicturesWithTheImageListStandingIn) {
    buildReport(dir.path().string());
    const double dpi = 96;
    const QImage page = ui::renderPage(doc, 0, dpi, &images);
    ASSERT_FALSE(page.isNull());
    EXPECT_TRUE(page.save(qt((std::filesystem::current_path() / "report-page1.png").string())));
    EXPECT_EQ(page.size(), QSize(816, 1056));  // Letter at 96 dpi
    // Twips from the printable area's top left to pixels on the sheet.
    auto at = [&](double x, double y) {
        return page.pixelColor(static_cast<int>((720 + x) * dpi / 1440),
                               static_cast<int>((720 + y) * dpi / 1440));
    };
    const double top = 2 * doc.TextHeight("x");
    EXPECT_EQ(at(1500, top + 200), QColor(0xB0, 0xB0, 0xB0));      // inside the grey band
    EXPECT_EQ(at(30 + 120, top + 300 + 120), QColor(Qt::red));     // the bitmap file
    EXPECT_EQ(at(300 + 120, top + 300 + 120), QColor(Qt::blue));   // from the image list
    EXPECT_EQ(at(600 + 120, top + 300 + 120), QColor(Qt::white));  // missing, no stand-in
    // Some ink where the title stands, centred on the page.
    int dark = 0;
    for (int x = 0; x < page.width(); ++x)
        for (int y = 48; y < 48 + 14; ++y) dark += page.pixelColor(x, y).lightness() < 220;
    EXPECT_GT(dark, 50);
    EXPECT_TRUE(ui::renderPage(doc, 3, dpi, &images).isNull());
}

TEST_F(ReportRendererTest, WithoutImageListsAMissingPictureIsLeftOut) {
    buildReport(dir.path().string());
    const QImage page = ui::renderPage(doc, 0, 96, nullptr);
    const double top = 2 * doc.TextHeight("x");
    EXPECT_EQ(page.pixelColor(static_cast<int>((720 + 420) * 96 / 1440),
                              static_cast<int>((720 + top + 420) * 96 / 1440)),
              QColor(Qt::white));
}

TEST_F(ReportRendererTest, PreviewShowsEveryPageAndOffersNoPageSetupOfItsOwn) {
    buildReport(dir.path().string());
    QPrinter printer(QPrinter::HighResolution);
    std::unique_ptr<QPrintPreviewDialog> dialog(
        ui::makePreviewDialog(doc, printer, &images, nullptr));
    dialog->resize(900, 700);
    dialog->show();
    QApplication::processEvents();
    auto* preview = dialog->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(preview, nullptr);
    preview->updatePreview();
    QApplication::processEvents();
    EXPECT_EQ(preview->pageCount(), 3);
    EXPECT_EQ(dialog->windowTitle(), u"Comparison Results Report"_s);
    int hidden = 0;
    for (QAction* a : dialog->findChildren<QAction*>()) hidden += !a->isVisible();
    EXPECT_EQ(hidden, 3);
    const QPixmap shot = dialog->grab();
    EXPECT_TRUE(shot.save(qt((std::filesystem::current_path() / "preview.png").string())));
}

}  // namespace
