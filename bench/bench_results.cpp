// The results page for a comparison of two databases of 2,000 tables x 20
// columns (primary key and index each; every tenth table differs, 50 more
// only on either side), on the offscreen platform, through the page's real
// controls: showing the page (the result copied out of the engine, the tree
// filled and filtered) with the grid's first paint; expanding every category
// with its paint; one filter button toggled with its paint; and a script
// request for every table. Targets: showing under 1 s, a filter toggle under
// 100 ms.
//
//   build/bench/bench_results
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QVBoxLayout>
#include <memory>
#include <string>

#include "WideCatalogs.h"
#include "engine/CCAccess.h"
#include "jet/CatalogData.h"
#include "jet/Types.h"
#include "jet/testing/MemoryCatalog.h"
#include "wizard/OptionRules.h"
#include "wizard/QtResultsControls.h"

namespace {

using namespace jet;

constexpr int kTables = 2000;

using bench::wideTable;

CatalogData database(bool destination) {
    CatalogData d;
    for (int i = 0; i < kTables; ++i) {
        TableData t = wideTable("Table" + std::to_string(10000 + i));
        if (destination && i % 10 == 0) t.columns[5].type = adtype::LongVarWChar;
        d.tables.push_back(std::move(t));
    }
    for (int i = 0; i < 50; ++i)
        d.tables.push_back(wideTable((destination ? "Old" : "New") + std::to_string(i)));
    return d;
}

class QuietView : public wizard::ResultsView {
public:
    [[nodiscard]] std::string SourceDBPath() const override { return "s"; }
    [[nodiscard]] std::string DestinationDBPath() const override { return "d"; }
    void ShowScript(const wizard::ScriptWindowText& s) override { bytes = s.Text.size(); }
    void ShowDetails(const engine::TComparisonResult&, int32_t, int32_t) override {}
    void ShowReport(const report::Document&) override {}
    void MsgBox(const std::string& text, wizard::BoxIcon, const std::string&) override {
        failure = text;
    }
    size_t bytes = 0;
    std::string failure;
};

// The compared engine, made once for every benchmark.
std::shared_ptr<engine::CCAccess> comparedEngine() {
    static const std::shared_ptr<engine::CCAccess> made = [] {
        static const CatalogData source = database(false);
        static const CatalogData destination = database(true);
        auto e = engine::CCAccess::create();
        e->setCatalogFactory([](engine::CompareSide side, const std::string&) {
            return testing::memoryCatalog(side == engine::csSource ? source : destination);
        });
        e->SourceDatabaseConnectionString("s");
        e->DestinationDatabaseConnnectionString("d");
        e->CompareDatabases();
        return e;
    }();
    return made;
}

// The page as the main window builds it.
struct Page {
    QWidget window;
    ui::Toolbar* TBar = new ui::Toolbar(&window);
    ui::TreeGrid* MGrid = new ui::TreeGrid(&window);
    ui::PopupMenu* MenuPop = new ui::PopupMenu("MenuPop", "PopUp", &window);
    QuietView view;
    wizard::OptionRules options;
    wizard::QtResultsControls controls{*TBar, *MGrid, *MenuPop};
    wizard::ResultsTree tree{MGrid->grid(), controls,
                             view,          [] { return comparedEngine(); },
                             options,       [] { return false; }};

    Page() {
        // The comparison is made before anything is timed.
        (void)comparedEngine();
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(TBar);
        layout->addWidget(MGrid);
        wizard::ResultsTree::SetUpGrid(MGrid->grid());
        wizard::SetUpResultsGrid(*MGrid);
        wizard::AddResultsButtons(*TBar);
        wizard::AddMenuPopEntries(*MenuPop);
        wizard::ConnectResults(tree, *TBar, *MGrid, *MenuPop);
        window.resize(620, 480);
        window.show();
        QApplication::processEvents();
    }
    void paint() { MGrid->viewport()->repaint(); }
    [[nodiscard]] bool fine() const {
        return view.failure.empty() && MGrid->grid().Rows() == kTables + 100 + 1;
    }
};

void BM_ShowResultsAndFirstPaint(benchmark::State& state) {
    Page page;
    for (auto _ : state) {
        page.tree.ShowResults();
        page.paint();
    }
    if (!page.fine())
        state.SkipWithError(("the page shows no result " + page.view.failure).c_str());
}
BENCHMARK(BM_ShowResultsAndFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ExpandAllAndPaint(benchmark::State& state) {
    Page page;
    for (auto _ : state) {
        state.PauseTiming();
        page.tree.ShowResults();
        page.paint();
        state.ResumeTiming();
        page.TBar->ButtonClick(15, "Expand");
        page.paint();
    }
    if (!page.fine() || !page.MGrid->grid().RowVisible(2))
        state.SkipWithError("nothing was expanded");
}
BENCHMARK(BM_ExpandAllAndPaint)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_FilterToggleAndPaint(benchmark::State& state) {
    Page page;
    page.tree.ShowResults();
    page.TBar->ButtonClick(15, "Expand");
    page.paint();
    for (auto _ : state) {
        page.TBar->ButtonClick(7, "SHE");  // equal objects hidden, or shown again
        page.paint();
    }
    if (!page.fine())
        state.SkipWithError(("the page shows no result " + page.view.failure).c_str());
}
BENCHMARK(BM_FilterToggleAndPaint)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ScriptRequest(benchmark::State& state) {
    Page page;
    page.tree.ShowResults();
    for (auto _ : state) page.TBar->ButtonClick(18, "SScript");
    if (!page.fine() || page.view.bytes == 0) state.SkipWithError("no script");
    state.counters["script KiB"] = static_cast<double>(page.view.bytes) / 1024.0;
}
BENCHMARK(BM_ScriptRequest)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
