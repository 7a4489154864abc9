// Printing a long script as the script window does: every line through
// PrintWrappedText with Qt's text metrics and a footer check, then the whole
// report drawn into a PDF file. Runs on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "ui/ReportRenderer.h"
#include "wizard_core/MFunctions.h"

namespace {

std::vector<std::string> scriptLines(int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        switch (i % 5) {
            case 0:
                lines.push_back("ALTER TABLE [Table" + std::to_string(i) + "] ADD COLUMN [Column" +
                                std::to_string(i) + "] TEXT(50);");
                break;
            case 1:
                lines.push_back("RUN");
                break;
            case 2:
                lines.push_back("");
                break;
            case 3:
                lines.push_back(
                    "CREATE VIEW [View" + std::to_string(i) +
                    "] AS SELECT Customers.CompanyName, Orders.OrderDate, Orders.ShipCity FROM "
                    "Customers INNER JOIN Orders ON Customers.CustomerID = Orders.CustomerID "
                    "WHERE Orders.OrderDate > #1/1/1998# ORDER BY Customers.CompanyName;");
                break;
            default:
                lines.push_back("Table" + std::to_string(i) + ";Column;4;0;50;0;-1;0;;-1");
                break;
        }
    }
    return lines;
}

void layOut(report::Document& doc, const std::vector<std::string>& lines) {
    doc.NewDocument();
    doc.ForeColor(report::kGrey);
    doc.PrintAligned("Database Script (Source->Destination) Report", 2);
    doc.PrintAligned("", 0);
    doc.ForeColor(report::kBlack);
    for (size_t i = 0; i < lines.size(); ++i) {
        wizard::MFunctions::PrintWrappedText(doc, lines[i], doc.PageWidth(), -1, 0);
        const double h = doc.TextHeight(lines[i]);
        if (doc.CurrentY() + 3 * h > doc.PageHeight() || i + 1 == lines.size()) {
            doc.CurrentY(doc.PageHeight() - h);
            doc.ForeColor(report::kGrey);
            doc.PrintAligned("Page " + std::to_string(doc.CurrentPage()), 2);
            doc.ForeColor(report::kBlack);
            if (i + 1 < lines.size()) doc.NewPage();
        }
    }
}

void BM_LayOutScript(benchmark::State& state) {
    const auto lines = scriptLines(static_cast<int>(state.range(0)));
    ui::QtTextMetrics metrics;
    report::Document doc(metrics);
    for (auto _ : state) layOut(doc, lines);
    state.counters["pages"] = static_cast<double>(doc.pages().size());
}
BENCHMARK(BM_LayOutScript)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_WritePdf(benchmark::State& state) {
    const auto lines = scriptLines(static_cast<int>(state.range(0)));
    ui::QtTextMetrics metrics;
    report::Document doc(metrics);
    layOut(doc, lines);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("script.pdf"));
    for (auto _ : state) benchmark::DoNotOptimize(ui::writePdf(doc, path, nullptr));
    state.counters["pages"] = static_cast<double>(doc.pages().size());
}
BENCHMARK(BM_WritePdf)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
