#pragma once
// A control's event, as the forms knew them: one handler, run synchronously
// whenever the control raises the event (a user's action or code changing the
// control's value alike). A form connects its handler once:
//     CTable->Click.connect([this] { CTable_Click(); });
#include <functional>
#include <utility>

namespace ui {

template <typename... Args>
class Event {
public:
    void connect(std::function<void(Args...)> handler) { handler_ = std::move(handler); }
    [[nodiscard]] bool connected() const { return static_cast<bool>(handler_); }

    // Raises the event; nothing happens without a handler.
    void operator()(Args... args) const {
        if (handler_) handler_(std::forward<Args>(args)...);
    }

private:
    std::function<void(Args...)> handler_;
};

}  // namespace ui
