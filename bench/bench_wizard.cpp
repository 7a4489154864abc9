// The compare run through the main window, offscreen and shown on its
// Compare page (the log, the current object and the progress bar drawn as
// the run goes, window events let through as the program does), against the
// engine alone, on two memory catalogs of N tables x 20 columns that differ in
// every tenth table.
//
//   build/bench/bench_wizard
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string>

#include "WideCatalogs.h"
#include "engine/CCAccess.h"
#include "jet/CatalogData.h"
#include "jet/Types.h"
#include "jet/testing/MemoryCatalog.h"
#include "report/testing/FixedTextMetrics.h"
#include "ui/ButtonStrip.h"
#include "ui/MultiLineTextBox.h"
#include "ui/QtServices.h"
#include "ui/TextBox.h"
#include "wizard/FrmMain.h"

namespace {

using namespace jet;

using bench::engineOver;
using bench::Pair;

CatalogData database(int tables, bool changed) { return bench::wideDatabase(tables, changed); }

// The desktop's services, with the success box answered at once.
class AnsweringServices : public ui::QtServices {
public:
    AnsweringServices() : QtServices(QStringLiteral("Orvel! Parabase")) {}

protected:
    ui::Answer showMessage(const ui::Message&) override { return ui::Answer::Ok; }
};

QApplication& application() {
    static int argc = 1;
    static char name[] = "bench_wizard";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Never destroyed: at exit Qt's own statics go first, and an application
    // destroyed after them crashes the program after its figures.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

void BM_EngineAlone(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const Pair p{database(n, false), database(n, true)};
    // One comparison first, untimed: whichever benchmark runs first would
    // otherwise pay for the process's first use of the case-folding tables.
    (void)engineOver(p)->CompareDatabases();
    for (auto _ : state) benchmark::DoNotOptimize(bench::compareAlone(p));
}

// The engine alone in a process that has made the window (its heap and
// caches as the window's run sees them).
void BM_EngineAloneBesideTheWindow(benchmark::State& state) {
    application();
    AnsweringServices services;
    report::testing::FixedTextMetrics metrics;
    report::Document preview(metrics);
    wizard::ProgramContext context(services, preview);
    wizard::FrmMain window(context);
    window.show();
    QApplication::processEvents();
    BM_EngineAlone(state);
}

void BM_ThroughTheWindow(benchmark::State& state) {
    application();
    const int n = static_cast<int>(state.range(0));
    const Pair p{database(n, false), database(n, true)};
    AnsweringServices services;
    report::testing::FixedTextMetrics metrics;
    report::Document preview(metrics);
    wizard::ProgramContext context(services, preview);
    context.makeEngine = [&p] { return engineOver(p); };
    context.testConnection = [](const std::string&) {};
    wizard::FrmMain window(context);
    window.show();
    window.Bar->MarkCurrent(4);
    window.SDBPath->setText(QStringLiteral("s"));
    window.DDBPath->setText(QStringLiteral("d"));
    QApplication::processEvents();
    window.CmdCompare_Click();
    for (auto _ : state) {
        window.CmdCompare_Click();
        if (!window.Compared()) state.SkipWithError("the comparison did not run");
        state.counters["log KiB"] = static_cast<double>(window.TxtDetail->Text().size()) / 1024.0;
    }
}

}  // namespace

BENCHMARK(BM_EngineAlone)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineAloneBesideTheWindow)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThroughTheWindow)->Arg(2000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
