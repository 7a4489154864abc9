#pragma once
// host::Site for tests, over a fake form: the user mode, the twips per pixel,
// the change reports, the yields and the message boxes are the test's.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/Site.h"
#include "host/model/Desktop.h"
#include "host/model/FakeObjects.h"

namespace host::model {

class FakeSite : public Site {
public:
    struct Box {
        std::string text;
        std::int32_t style;
        std::string title;
    };

    FakeSite(Desktop& desktop, std::shared_ptr<FakeForm> form);

    Desktop& desktop;
    std::shared_ptr<FakeForm> form;
    ObjectRef parent;        // the form unless a test sites the control elsewhere
    Hwnd containerHwnd = 0;  // the form's window unless set
    bool userMode = true;
    std::vector<std::string> changes;  // PropertyChanged names, in order
    int doEvents = 0;
    std::function<void()> onDoEvents;  // runs inside each yield
    std::vector<Box> boxes;
    std::int32_t boxAnswer = 1;

    [[nodiscard]] WindowSystem& Windows() override { return desktop; }
    [[nodiscard]] ControlCollection& ParentControls() override { return *form; }
    [[nodiscard]] ObjectRef Parent() override { return parent; }
    [[nodiscard]] Hwnd ContainerHwnd() override { return containerHwnd; }
    [[nodiscard]] bool UserMode() override { return userMode; }
    void PropertyChanged(const std::string& name) override { changes.push_back(name); }
    [[nodiscard]] float TwipsPerPixelX() override { return desktop.twipsPerPixelX; }
    [[nodiscard]] float TwipsPerPixelY() override { return desktop.twipsPerPixelY; }
    void DoEvents() override;
    std::int32_t MsgBox(const std::string& text, std::int32_t style,
                        const std::string& title) override;
};

}  // namespace host::model
