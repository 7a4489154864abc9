#pragma once
// What the layout controls' benchmarks share: the offscreen application, the
// resizes a form goes through (a Qt one or the headless model's), and the
// timing of a control's pass from inside the form's own WM_SIZE handling: two
// clients of the control's subclassing module stand around the control (the
// one attached last runs first), so the figure is the control's own work,
// without Qt's painting.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/model/FakeObjects.h"
#include "host/qt/QtWindows.h"
#include "subclass/MSubclass.h"

namespace bench {

constexpr int kResizes = 100;

// `name`: the program's name, as the application is told it.
inline QApplication& application(const char* name) {
    static QApplication* app = [name] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static std::string program = name;
        static char* argv[] = {program.data(), nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

// The resizes of one iteration, each delivered in full.
inline void resizeSteps(QWidget& form) {
    for (int r = 0; r < kResizes; ++r) {
        form.resize(1000 + (r % 2 == 0 ? 120 : -40), 800 + (r % 3) * 30);
        QApplication::processEvents();
    }
}

// The same resizes of a form of the headless model.
inline void resizeSteps(host::model::FakeForm& form) {
    for (int r = 0; r < kResizes; ++r)
        form.resizeClient(1000 + (r % 2 == 0 ? 120 : -40), 800 + (r % 3) * 30);
}

using Clock = std::chrono::steady_clock;

class Stopwatch : public subclass::ISubclass {
public:
    explicit Stopwatch(bool start) : start_(start) { setMsgResponse(subclass::emrPostProcess); }
    host::LResult WindowProc(host::Hwnd, std::uint32_t, host::WParam, host::LParam) override {
        if (start_)
            began = Clock::now();
        else
            total += Clock::now() - began;
        return 0;
    }
    static inline Clock::time_point began;
    static inline Clock::duration total{};

private:
    bool start_;
};

// Times the control's passes over the resizes of `form` (1000 x 800 at rest),
// with `place` putting the control on the form between the two stopwatches.
inline void timePasses(benchmark::State& state, subclass::MSubclass& module, QWidget& form,
                       const std::function<void()>& place) {
    auto& windows = host::qt::QtWindows::instance();
    const host::Hwnd hwnd = windows.handleOf(&form);
    auto stop = std::make_shared<Stopwatch>(false);
    module.AttachMessage(stop, hwnd, host::WM_SIZE);
    place();
    auto start = std::make_shared<Stopwatch>(true);
    module.AttachMessage(start, hwnd, host::WM_SIZE);
    form.show();
    QApplication::processEvents();

    std::int64_t passes = 0;
    for (auto _ : state) {
        Stopwatch::total = {};
        resizeSteps(form);
        state.SetIterationTime(std::chrono::duration<double>(Stopwatch::total).count());
        passes += kResizes;
    }
    state.counters["passes"] = static_cast<double>(passes);
    module.DetachMessage(*start, hwnd, host::WM_SIZE);
    module.DetachMessage(*stop, hwnd, host::WM_SIZE);
}

}  // namespace bench
