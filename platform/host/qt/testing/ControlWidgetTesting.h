#pragma once
// Test support for the layout controls' widgets on real Qt forms (offscreen):
// letting posted events run, the modal hook answered by a test, a designer's
// site and Designer's core without Designer. Header only: the widget tests
// link Qt Test, Qt Designer and ui_testing already.
#include <QApplication>
#include <QDesignerFormEditorInterface>
#include <QExtensionManager>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/qt/Modal.h"
#include "host/qt/WidgetSite.h"
#include "ui/testing/QtTestApplication.h"

namespace host::qt::testing {

inline void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

inline void resizeClient(QWidget& form, int width, int height) {
    form.resize(width, height);
    settle();
}

// A file of that name in the test's working folder.
inline std::string here(const char* file) {
    return (std::filesystem::current_path() / file).string();
}

// The modal hook answered by the test for as long as it lives.
struct ModalScript {
    explicit ModalScript(std::function<int(QDialog&)> runner) { setModalRunner(std::move(runner)); }
    ~ModalScript() { setModalRunner({}); }
};

// A designer's site without Designer: user mode False.
class DesignSite : public WidgetSite {
public:
    using WidgetSite::WidgetSite;
    bool UserMode() override { return false; }
    void PropertyChanged(const std::string& name) override { changes.push_back(name); }
    std::vector<std::string> changes;
};

// Made before any widget, which needs the application.
struct WithApplication {
    WithApplication() { ui::testing::qtApplication(); }
};

// Designer's side, without Designer: the plugin loaded from its file.
struct Core : QDesignerFormEditorInterface {
    Core() { setExtensionManager(new QExtensionManager(this)); }
};

}  // namespace host::qt::testing
