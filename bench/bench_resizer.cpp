// The resizer control's resize pass: a form of 300 controls resized 100 times,
// through the Qt bridge (offscreen) and on the headless model.
//
// Through Qt the pass is timed from inside the form's own WM_SIZE handling
// (LayoutControlBench.h), so the figure is the control's check of its table
// and its scaling of 300 widgets and their fonts, without Qt's painting.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <memory>
#include <string>

#include "LayoutControlBench.h"
#include "host/model/Desktop.h"
#include "host/model/FakeObjects.h"
#include "host/model/FakeSite.h"
#include "host/qt/QtWindows.h"
#include "resizer/QResizer.h"
#include "resizer/QResizerWidget.h"
#include "subclass/MSubclass.h"

namespace {

constexpr int kControls = 300;

// 300 controls: buttons, labels and text boxes on the form, every tenth
// position a frame holding the next controls, so that both passes work.
void fill(QWidget& form) {
    QWidget* frame = nullptr;
    for (int i = 0; i < kControls; ++i) {
        QWidget* parent = &form;
        QRect place(10 + (i % 20) * 48, 10 + (i / 20) * 50, 44, 24);
        if (i % 10 == 0) {
            frame = new QGroupBox(&form);
            frame->setGeometry(place.adjusted(0, 0, 0, 20));
            frame->setObjectName(QStringLiteral("C%1").arg(i));
            continue;
        }
        if (i % 10 < 3) {
            parent = frame;
            place = QRect(2, 2 + (i % 10 - 1) * 20, 40, 18);
        }
        QWidget* c = nullptr;
        switch (i % 3) {
            case 0:
                c = new QPushButton(parent);
                break;
            case 1:
                c = new QLabel(QStringLiteral("Label"), parent);
                break;
            default:
                c = new QLineEdit(parent);
                break;
        }
        c->setObjectName(QStringLiteral("C%1").arg(i));
        c->setGeometry(place);
    }
}

void BM_QtResizePass(benchmark::State& state) {
    bench::application("bench_resizer");
    QWidget form;
    form.resize(1000, 800);
    fill(form);
    bench::timePasses(state, resizer::module(), form, [&] { new resizer::QResizerWidget(&form); });
}

// The same resizes, timed whole: Qt delivering each resize and repainting.
// With the fonts left alone (state.range(0) 0) and scaled too (1).
void BM_QtResizeWithPainting(benchmark::State& state) {
    bench::application("bench_resizer");
    QWidget form;
    form.resize(1000, 800);
    fill(form);
    auto* control = new resizer::QResizerWidget(&form);
    control->setResizeFont(state.range(0) != 0);
    form.show();
    QApplication::processEvents();
    for (auto _ : state) bench::resizeSteps(form);
}

// The same form and resizes without the control: what Qt's own delivery and
// painting take (the controls keep their places).
void BM_QtResizeWithoutControl(benchmark::State& state) {
    bench::application("bench_resizer");
    QWidget form;
    form.resize(1000, 800);
    fill(form);
    form.show();
    QApplication::processEvents();
    for (auto _ : state) bench::resizeSteps(form);
}

// The control's rules alone, on the headless model.
void BM_ModelResizePass(benchmark::State& state) {
    host::model::Desktop desktop;
    auto form = std::make_shared<host::model::FakeForm>(desktop, 1000, 800);
    for (int i = 0; i < kControls; ++i) {
        auto c = form->add("C" + std::to_string(i), 150.0f + (i % 20) * 720.0f,
                           150.0f + (i / 20) * 750.0f, 660, 360);
        c->fontSize = 8.25f;
    }
    host::model::FakeSite site(desktop, form);
    subclass::MSubclass module("Bench", desktop);
    auto control = std::make_shared<resizer::QResizer>(site, module);
    host::MemoryBag bag;
    bag.put("FirstHeight", std::int32_t{12000});
    bag.put("FirstWidth", std::int32_t{15000});
    control->ReadProperties(bag);
    desktop.SendMessage(form->window, host::WM_WINDOWPOSCHANGING, 0, 0);
    for (auto _ : state) bench::resizeSteps(*form);
    control->Terminate();
}

}  // namespace

BENCHMARK(BM_QtResizePass)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QtResizeWithPainting)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QtResizeWithoutControl)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ModelResizePass)->Unit(benchmark::kMillisecond)->Iterations(10);

BENCHMARK_MAIN();
