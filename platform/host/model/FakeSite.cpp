#include "host/model/FakeSite.h"

namespace host::model {

FakeSite::FakeSite(Desktop& d, std::shared_ptr<FakeForm> f)
    : desktop(d), form(std::move(f)), parent(form), containerHwnd(form->window) {}

void FakeSite::DoEvents() {
    ++doEvents;
    if (onDoEvents) onDoEvents();
}

std::int32_t FakeSite::MsgBox(const std::string& text, std::int32_t style,
                              const std::string& title) {
    boxes.push_back({text, style, title});
    return boxAnswer;
}

}  // namespace host::model
