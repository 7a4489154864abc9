#pragma once
// The main window under test: scripted services, a preview measured with Qt's
// fonts, a settings file in a temporary folder, and the program's folder in
// the build (help page, samples, report bitmaps). A test may set the context
// up (engines, data-access version, test connection) before making the window.
#include <QApplication>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "ui/ReportRenderer.h"
#include "ui/testing/QtTestApplication.h"
#include "ui/testing/ScriptedServices.h"
#include "wizard/FrmMain.h"

namespace wizardtest {

inline void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

inline std::string here(const std::string& file) {
    return (std::filesystem::current_path() / file).string();
}

// Scripted services whose yield can run the user's doing.
class YieldingServices : public ui::testing::ScriptedServices {
public:
    YieldingServices() : ScriptedServices(QStringLiteral("Orvel! Parabase")) {}
    void DoEvents() override {
        ScriptedServices::DoEvents();
        if (onYield) onYield(doEventsCalls());
    }
    // The user's doing during the n-th yield.
    std::function<void(int n)> onYield;
};

// Made before any widget, which needs the application.
struct WithApplication {
    WithApplication() { ui::testing::qtApplication(); }
};

struct WindowRig {
    WindowRig() {
        context.programFolder = PARABASE1_DIR;
        context.settingsFile = temp.file("config/Parabase.ini");
        context.dataAccessVersion = [] { return std::string("2.8"); };
        context.endProgram = [this] { ++programEnded; };
        context.yieldInterval = std::chrono::milliseconds(0);
    }
    wizard::FrmMain& window() {
        if (!window_) window_ = std::make_unique<wizard::FrmMain>(context);
        return *window_;
    }
    void closeWindow() { window_.reset(); }

    WithApplication app;
    testsupport::TempDir temp;
    YieldingServices services;
    ui::QtTextMetrics metrics;
    report::Document preview{metrics};
    wizard::ProgramContext context{services, preview};
    int programEnded = 0;

private:
    std::unique_ptr<wizard::FrmMain> window_;
};

}  // namespace wizardtest
