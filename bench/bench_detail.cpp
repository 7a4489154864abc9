// The detail window's request for a wide table (255 columns, 20 keys of three
// columns, 30 indexes of two) followed by Expand All: on the grid model alone,
// and in the window on the offscreen platform with one paint.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>
#include <string>

#include "detail/DetailView.h"
#include "detail/FrmDetail.h"
#include "engine/ComparisonResult.h"
#include "ui/QtServices.h"

namespace {

using namespace engine;

class Options : public detail::WizardOptions {
public:
    int CMatch() const override { return 1; }
    int CISeed() const override { return 1; }
};

TColumnProps side(int16_t type, int32_t size) {
    TColumnProps p;
    p.Type = type;
    p.DefinedSize = size;
    p.Increment = 1;
    p.Description = "A column of the table";
    return p;
}

TComparisonResult wideTable() {
    TComparisonResult r;
    TTable& t = r.Tables.Append();
    t.Name = "Wide";
    t.Action = acDifferent;
    for (int32_t c = 1; c <= 255; ++c) {
        TColumn& col = t.Columns.Append();
        col.Name = "Column" + std::to_string(c);
        col.DestinationName = c % 7 == 0 ? "Renamed" + std::to_string(c) : col.Name;
        col.Action = c % 3 == 0 ? acDifferent : acEqual;
        col.Source = side(202, 50);
        col.Destination = side(202, c % 3 == 0 ? 80 : 50);
    }
    for (int32_t k = 1; k <= 20; ++k) {
        TKey& key = t.Keys.Append();
        key.Name = "Key" + std::to_string(k);
        key.Action = acDifferent;
        for (TKeyProps* s : {&key.Source, &key.Destination}) {
            s->Type = 2;
            s->RelatedTable = "Other" + std::to_string(k);
            for (int32_t c = 1; c <= 3; ++c) {
                TKeyColumn& kc = s->Columns.Append();
                kc.Name = "Column" + std::to_string(k * 3 + c);
                kc.RelatedColumn = "ID" + std::to_string(c);
            }
        }
    }
    for (int32_t i = 1; i <= 30; ++i) {
        TIndex& index = t.Indexes.Append();
        index.Name = "Index" + std::to_string(i);
        for (TIndexProps* s : {&index.Source, &index.Destination}) {
            for (int32_t c = 1; c <= 2; ++c) {
                TIndexColumn& ic = s->Columns.Append();
                ic.Name = "Column" + std::to_string(i * 2 + c);
                ic.SortOrder = 1;
            }
        }
    }
    return r;
}

QApplication& application() {
    static int argc = 1;
    static char name[] = "bench_detail";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: at exit Qt's own statics go first, and an application
    // destroyed after them crashes the program after its figures.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

void BM_ShowAndExpandModel(benchmark::State& state) {
    Options options;
    ui::grid::GridModel grid;
    detail::DetailView view(grid, options);
    view.tree().SetUp();
    view.Differences(wideTable());
    for (auto _ : state) {
        view.ShowDetails(okTable, 1);
        view.tree().ExpandAll();
        benchmark::DoNotOptimize(grid.viewRowCount());
    }
    state.counters["rows"] = grid.Rows();
}
BENCHMARK(BM_ShowAndExpandModel)->Unit(benchmark::kMillisecond);

void BM_ShowAndExpandWindow(benchmark::State& state) {
    application();
    Options options;
    ui::QtServices services(QStringLiteral("bench_detail"));
    auto window = std::make_unique<detail::FrmDetail>(options, services);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->Differences(wideTable());
    window->show();
    QApplication::processEvents();
    for (auto _ : state) {
        window->ShowDetails(okTable, 1);
        window->CmdExpand_Click();
        window->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ShowAndExpandWindow)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
