#pragma once
// A fake form with a QResizer on it, for the headless tests: the control
// loaded with saved properties (as a form loads it) or placed new, the form
// shown and resized through its window's messages.
#include <functional>
#include <memory>
#include <string>

#include "host/Site.h"
#include "host/model/Desktop.h"
#include "host/model/FakeObjects.h"
#include "host/model/FakeSite.h"
#include "resizer/QResizer.h"
#include "subclass/MSubclass.h"

namespace resizer::testing {

struct Rig {
    // Client size in pixels (15 twips each unless the test changes it).
    explicit Rig(std::int32_t clientWidth = 600, std::int32_t clientHeight = 400)
        : form(std::make_shared<host::model::FakeForm>(desktop, clientWidth, clientHeight)),
          site(desktop, form) {}
    ~Rig() {
        if (resizer) resizer->Terminate();
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    // Loads the control with the saved properties `fill` puts into its bag;
    // the design size is the form's present client size unless set.
    QResizer& load(const std::function<void(host::MemoryBag&)>& fill = {}) {
        host::MemoryBag bag;
        bag.put("FirstHeight", static_cast<std::int32_t>(clientHeightTwips()));
        bag.put("FirstWidth", static_cast<std::int32_t>(clientWidthTwips()));
        if (fill) fill(bag);
        resizer = std::make_shared<QResizer>(site, module);
        resizer->ReadProperties(bag);
        return *resizer;
    }
    // Places a new control (the designer's way).
    QResizer& place() {
        resizer = std::make_shared<QResizer>(site, module);
        resizer->InitProperties();
        return *resizer;
    }
    // The form's first position message: the control sets itself up.
    void show() { desktop.SendMessage(form->window, host::WM_WINDOWPOSCHANGING, 0, 0); }
    // Resizes the client area in pixels, with the window's messages.
    void resize(std::int32_t width, std::int32_t height) { form->resizeClient(width, height); }
    [[nodiscard]] double clientWidthTwips() const {
        return form->clientWidth() * static_cast<double>(desktop.twipsPerPixelX);
    }
    [[nodiscard]] double clientHeightTwips() const {
        return form->clientHeight() * static_cast<double>(desktop.twipsPerPixelY);
    }
    // A control with a font (kind "Std").
    std::shared_ptr<host::model::FakeControl> add(const std::string& name, float l, float t,
                                                  float w, float h, float font = 8,
                                                  const host::ObjectRef& container = nullptr) {
        auto c = form->add(name, l, t, w, h, container);
        c->fontSize = font;
        return c;
    }
    [[nodiscard]] const ResizeType& record(std::size_t position) const {
        return resizer->ResizeTable().at(position);
    }

    host::model::Desktop desktop;
    std::shared_ptr<host::model::FakeForm> form;
    host::model::FakeSite site;
    subclass::MSubclass module{"Scalora2", desktop};
    std::shared_ptr<QResizer> resizer;
};

}  // namespace resizer::testing
