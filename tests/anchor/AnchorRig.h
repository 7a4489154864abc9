#pragma once
// A fake form with a QAnchor on it, for the headless tests: the control loaded
// with saved properties (as a form loads it) or placed new, the form shown and
// resized through its window's messages.
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "anchor/QAnchor.h"
#include "host/Site.h"
#include "host/model/Desktop.h"
#include "host/model/FakeObjects.h"
#include "host/model/FakeSite.h"
#include "subclass/MSubclass.h"

namespace anchor::testing {

// "A", CR, "1100", CR, …
inline std::string anchorText(std::initializer_list<std::pair<std::string, std::string>> entries) {
    std::string s;
    for (const auto& [key, flags] : entries) s += key + "\r" + flags + "\r";
    return s;
}

struct Rig {
    explicit Rig(std::int32_t clientWidth = 400, std::int32_t clientHeight = 300)
        : form(std::make_shared<host::model::FakeForm>(desktop, clientWidth, clientHeight)),
          site(desktop, form) {}
    ~Rig() {
        if (anchor) anchor->Terminate();
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    // Loads the control with the saved properties `fill` puts into its bag
    // (the design size is the form's present client size unless set).
    QAnchor& load(const std::function<void(host::MemoryBag&)>& fill = {}) {
        host::MemoryBag bag;
        bag.put("FirstHeight", static_cast<float>(form->clientHeight()));
        bag.put("FirstWidth", static_cast<float>(form->clientWidth()));
        if (fill) fill(bag);
        anchor = std::make_shared<QAnchor>(site, module);
        anchor->ReadProperties(bag);
        return *anchor;
    }
    // Places a new control (the designer's way).
    QAnchor& place() {
        anchor = std::make_shared<QAnchor>(site, module);
        anchor->InitProperties();
        return *anchor;
    }
    // The form's first position message: the control sets itself up.
    void show() { desktop.SendMessage(form->window, host::WM_WINDOWPOSCHANGING, 0, 0); }
    void resize(std::int32_t width, std::int32_t height) { form->resizeClient(width, height); }
    [[nodiscard]] const TAnchorEntry* record(const std::string& key) const {
        for (std::size_t i = 1; i < anchor->records().size(); ++i)
            if (anchor->records()[i].Key == key) return &anchor->records()[i];
        return nullptr;
    }

    host::model::Desktop desktop;
    std::shared_ptr<host::model::FakeForm> form;
    host::model::FakeSite site;
    subclass::MSubclass module{"Bollard2", desktop};
    std::shared_ptr<QAnchor> anchor;
};

}  // namespace anchor::testing
