// The anchor control's layout pass: a form of 300 anchored controls resized
// 100 times, through the Qt bridge (offscreen) and on the headless model.
//
// Through Qt the pass is timed from inside the form's own WM_SIZE handling
// (LayoutControlBench.h), so the figure is the control's sync, recording and
// placing of 300 widgets, without Qt's painting.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <chrono>
#include <memory>
#include <string>

#include "LayoutControlBench.h"
#include "anchor/QAnchor.h"
#include "anchor/QAnchorWidget.h"
#include "host/model/Desktop.h"
#include "host/model/FakeObjects.h"
#include "host/model/FakeSite.h"
#include "host/qt/QtWindows.h"
#include "subclass/MSubclass.h"

namespace {

constexpr int kControls = 300;
const char* const kFlags[] = {"1100", "0011", "1111", "0110", "1001", "0000", "1010", "0101"};

std::string anchorList() {
    std::string s;
    for (int i = 0; i < kControls; ++i) s += "C" + std::to_string(i) + "\r" + kFlags[i % 8] + "\r";
    return s;
}

void BM_QtLayoutPass(benchmark::State& state) {
    bench::application("bench_anchor");
    QWidget form;
    form.resize(1000, 800);
    for (int i = 0; i < kControls; ++i) {
        QWidget* c = (i % 2 == 0)
                         ? static_cast<QWidget*>(new QPushButton(&form))
                         : static_cast<QWidget*>(new QLabel(QStringLiteral("Label"), &form));
        c->setObjectName(QStringLiteral("C%1").arg(i));
        c->setGeometry(10 + (i % 20) * 48, 10 + (i / 20) * 50, 44, 24);
    }
    bench::timePasses(state, anchor::module(), form, [&] {
        auto* control = new anchor::QAnchorWidget(&form);
        control->setAnchor(
            QString::fromStdString(anchorList()).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    });
}

// The same resizes, timed whole: Qt delivering each resize and repainting.
void BM_QtResizeWithPainting(benchmark::State& state) {
    bench::application("bench_anchor");
    QWidget form;
    form.resize(1000, 800);
    for (int i = 0; i < kControls; ++i) {
        auto* c = new QPushButton(&form);
        c->setObjectName(QStringLiteral("C%1").arg(i));
        c->setGeometry(10 + (i % 20) * 48, 10 + (i / 20) * 50, 44, 24);
    }
    auto* control = new anchor::QAnchorWidget(&form);
    control->setAnchor(
        QString::fromStdString(anchorList()).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    form.show();
    QApplication::processEvents();
    for (auto _ : state) bench::resizeSteps(form);
}

// The control's rules alone, on the headless model.
void BM_ModelLayoutPass(benchmark::State& state) {
    host::model::Desktop desktop;
    auto form = std::make_shared<host::model::FakeForm>(desktop, 1000, 800);
    for (int i = 0; i < kControls; ++i)
        form->add("C" + std::to_string(i), 150.0f + (i % 20) * 720.0f, 150.0f + (i / 20) * 750.0f,
                  660, 360);
    host::model::FakeSite site(desktop, form);
    subclass::MSubclass module("Bench", desktop);
    auto control = std::make_shared<anchor::QAnchor>(site, module);
    host::MemoryBag bag;
    bag.put("Anchor", anchorList());
    bag.put("FirstHeight", 800.0f);
    bag.put("FirstWidth", 1000.0f);
    control->ReadProperties(bag);
    desktop.SendMessage(form->window, host::WM_WINDOWPOSCHANGING, 0, 0);
    for (auto _ : state) bench::resizeSteps(*form);
    control->Terminate();
}

}  // namespace

BENCHMARK(BM_QtLayoutPass)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QtResizeWithPainting)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ModelLayoutPass)->Unit(benchmark::kMillisecond)->Iterations(10);

BENCHMARK_MAIN();
