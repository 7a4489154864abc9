// The compare request of the wizard (CompareSession: test opens, options, the
// comparison, one log line and one yield per object) against the engine alone,
// on two memory catalogs of N tables x 20 columns that differ in every tenth
// table. The view keeps the log as a window's text box would and yields
// nothing, so the difference is the session's own share.
//
//   build/bench/bench_compare_session
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "WideCatalogs.h"
#include "engine/CCAccess.h"
#include "jet/CatalogData.h"
#include "jet/Types.h"
#include "jet/testing/MemoryCatalog.h"
#include "wizard/CompareSession.h"

namespace {

using namespace jet;

using bench::engineOver;
using bench::Pair;

CatalogData database(int tables, bool changed) { return bench::wideDatabase(tables, changed); }

// A window's share without a window: the log grows as a text box's would.
class PlainView : public wizard::CompareView {
public:
    void SetLog(const std::string& text) override { log = text; }
    void AppendLog(const std::string& text) override { log += text; }
    void SetProcessLabel(const std::string& text) override { label = text; }
    void SetProgressMaximum(int32_t m) override { maximum = m; }
    void SetProgressValue(int32_t v) override { value = v; }
    void SetCompareEnabled(bool) override {}
    void ResultsDropped() override {}
    void MsgBox(const std::string&, wizard::BoxIcon, const std::string&) override {}
    void DoEvents() override {}

    std::string log, label;
    int32_t maximum = 0, value = 0;
};

void BM_EngineAlone(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const Pair p{database(n, false), database(n, true)};
    // One comparison first, untimed: whichever benchmark runs first would
    // otherwise pay for the process's first use of the case-folding tables.
    (void)engineOver(p)->CompareDatabases();
    for (auto _ : state) benchmark::DoNotOptimize(bench::compareAlone(p));
}

void BM_ThroughTheSession(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const Pair p{database(n, false), database(n, true)};
    PlainView view;
    wizard::CompareSession session(
        view, [&p] { return engineOver(p); }, [](const std::string&) {});
    session.CmdCompare_Click({{"s", "", "", ""}, {"d", "", "", ""}});
    for (auto _ : state) {
        session.CmdCompare_Click({{"s", "", "", ""}, {"d", "", "", ""}});
        if (!session.Compared()) state.SkipWithError("the comparison did not run");
        state.counters["log KiB"] = static_cast<double>(view.log.size()) / 1024.0;
    }
}

}  // namespace

BENCHMARK(BM_EngineAlone)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThroughTheSession)->Arg(2000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
