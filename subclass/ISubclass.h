#pragma once
// The interface of an object that receives chosen messages of a window it does
// not own (a layout control receives its form's), and how the window's previous
// procedure is combined with the handlers of a message.
#include <cstdint>
#include <memory>

#include "host/Windows.h"

namespace subclass {

enum EMsgResponse : std::int32_t {
    emrConsume = 0,      // the previous procedure is not called
    emrPostProcess = 1,  // it runs after every handler; its result is returned
    emrPreprocess = 2,   // it runs just before the first-attached handler
};

// Clients are owned by shared pointers: the module keeps only a weak reference
// to each and holds a counted one while it calls it, so a client that is gone
// is skipped and one that goes away during its own call stays alive until the
// call returns.
class ISubclass : public std::enable_shared_from_this<ISubclass> {
public:
    virtual ~ISubclass();
    ISubclass(const ISubclass&) = delete;
    ISubclass& operator=(const ISubclass&) = delete;

    // The interface's own body keeps the last value set (emrConsume until set).
    [[nodiscard]] virtual EMsgResponse MsgResponse() const { return msgResponse_; }
    virtual void setMsgResponse(EMsgResponse response) { msgResponse_ = response; }
    virtual host::LResult WindowProc(host::Hwnd /*hwnd*/, std::uint32_t /*iMsg*/,
                                     host::WParam /*wParam*/, host::LParam /*lParam*/) {
        return 0;
    }

protected:
    ISubclass() = default;

private:
    friend class MSubclass;
    std::int32_t clientId_ = 0;  // the client's number in the window stores; 0 until attached
    EMsgResponse msgResponse_ = emrConsume;
};

}  // namespace subclass
