// A results report as the program prints it, with Qt's fonts: laid out by
// PrintGrid and PrintWrappedText and drawn by the renderer, written beside the
// test as PNG for a person's look.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <filesystem>

#include "TestSupport.h"
#include "ui/ReportRenderer.h"
#include "ui/testing/QtTestApplication.h"
#include "wizard_core/MFunctions.h"

namespace {

using namespace wizard;

struct Cell {
    std::optional<std::string> text;
    int32_t icon = -1, extraIcon = -1, indent = 0;
};

class ResultsGrid : public PrintableGrid {
public:
    std::vector<std::pair<std::string, int32_t>> columns{
        {"Name", 220}, {"Source", 60}, {"Destination", 80}, {"Status", 60}, {"Script", 50}};
    std::vector<std::vector<Cell>> rows;

    report::Font Font() const override { return {"Verdana", 8.25, false}; }
    int32_t HeaderHeight() const override { return 18; }
    int32_t Columns() const override { return static_cast<int32_t>(columns.size()); }
    bool ColumnVisible(int32_t) const override { return true; }
    int32_t ColumnWidth(int32_t c) const override { return columns[size_t(c - 1)].second; }
    std::string ColumnHeader(int32_t c) const override { return columns[size_t(c - 1)].first; }
    int32_t Rows() const override { return static_cast<int32_t>(rows.size()); }
    bool RowVisible(int32_t) const override { return true; }
    int32_t RowHeight(int32_t) const override { return 18; }
    int32_t CellIndent(int32_t r, int32_t c) const override { return cell(r, c).indent; }
    int32_t CellExtraIcon(int32_t r, int32_t c) const override { return cell(r, c).extraIcon; }
    int32_t CellIcon(int32_t r, int32_t c) const override { return cell(r, c).icon; }
    std::optional<std::string> CellText(int32_t r, int32_t c) const override {
        return cell(r, c).text;
    }

private:
    const Cell& cell(int32_t r, int32_t c) const { return rows[size_t(r - 1)][size_t(c - 1)]; }
};

// The image list: picture n is a square of its own hue with a dark edge.
class Images : public PrintableImageList, public ui::ImageLookup {
public:
    std::string Name() const override { return "MGridImg"; }
    int32_t IconWidth() const override { return 16; }
    QPixmap picture(const QString& list, int index) const override {
        if (list != QStringLiteral("MGridImg")) return {};
        QPixmap p(16, 16);
        p.fill(colour(index));
        QPainter painter(&p);
        painter.setPen(Qt::darkGray);
        painter.drawRect(0, 0, 15, 15);
        return p;
    }
    static QColor colour(int index) { return QColor::fromHsv((index * 40) % 360, 200, 230); }
};

TEST(ReportLook, ResultsReportWithPicturesFromFilesAndFromTheImageList) {
    ui::testing::qtApplication();
    testsupport::TempDir folder;
    // Only the "equal" bitmap is there; every other picture is drawn from
    // the image list instead.
    QImage equal(16, 16, QImage::Format_RGB32);
    equal.fill(Qt::green);
    ASSERT_TRUE(equal.save(QString::fromStdString(folder.file("3.bmp")), "BMP"));

    ResultsGrid grid;
    grid.rows.push_back({{"Tables", 9, 1}, {}, {}, {}, {std::nullopt, 7}});
    const char* names[] = {"Customers", "Orders", "Order Details", "Error 448",
                           "A table with a name far too long for its column"};
    int action = 0;
    for (const char* name : names) {
        grid.rows.push_back({{name, -1, -1, 18},
                             {action == 2 ? "" : "Yes"},
                             {action == 3 ? "" : "Yes"},
                             {std::nullopt, 2 + action},
                             {std::nullopt, 7}});
        action = (action + 1) % 4;
    }

    ui::QtTextMetrics metrics;
    report::Document doc(metrics);
    doc.NewDocument();
    doc.Font({"Verdana", 8.25, false});
    doc.DocumentTitle("Comparison Results Report");
    doc.ForeColor(report::kGrey);
    doc.PrintAligned("Comparison Results Report", 2);
    doc.PrintAligned("", 0);
    doc.ForeColor(report::kBlack);
    Images images;
    MFunctions::PrintGrid(doc, grid, images, folder.path().string());
    doc.PrintLine("");
    MFunctions::PrintWrappedText(
        doc,
        "SELECT Customers.CompanyName, Orders.OrderDate FROM Customers INNER JOIN Orders ON "
        "Customers.CustomerID = Orders.CustomerID WHERE Orders.OrderDate > #1/1/1998# ORDER BY "
        "Customers.CompanyName, Orders.OrderDate DESC;\r\n\r\nA second paragraph.",
        doc.PageWidth() / 2, -1, 0);

    ASSERT_EQ(doc.pages().size(), 1u);
    const double dpi = 120;
    const QImage page = ui::renderPage(doc, 0, dpi, &images);
    EXPECT_TRUE(page.save(
        QString::fromStdString((std::filesystem::current_path() / "results-report.png").string())));
    auto pixel = [&](double x, double y) {
        const auto& m = doc.PageFormat().margins;
        return page.pixelColor(int((m.left + x) * dpi / 1440), int((m.top + y) * dpi / 1440));
    };
    // Row 2 (Customers, equal) starts two lines and two rows down; its status
    // icon (3.bmp) comes from the file, row 3's (4.bmp, missing) from the list.
    const double rowTop = 2 * doc.TextHeight("x") + 2 * 270;
    const double statusLeft = (220 + 60 + 80) * 15.0;
    EXPECT_EQ(pixel(statusLeft + 30 + 120, rowTop + 15 + 120).rgb(), QColor(Qt::green).rgb());
    EXPECT_EQ(pixel(statusLeft + 30 + 120, rowTop + 270 + 15 + 120).rgb(), Images::colour(3).rgb());
}

}  // namespace
