#include "subclass/MSubclass.h"

#include <unordered_map>

#include "host/Error.h"

namespace subclass {

namespace {

thread_local bool storeSucceeded = true;

// Every client ever attached, by number: one table for the process, so that a
// procedure installed by either library reaches the clients of both.
struct ClientTable {
    std::unordered_map<std::int32_t, std::weak_ptr<ISubclass>> clients;
    std::int32_t next = 1;
};

ClientTable& table() {
    static ClientTable* t = new ClientTable;  // never destroyed: clients may outlive statics
    return *t;
}

std::shared_ptr<ISubclass> findClient(std::int32_t number) {
    auto& clients = table().clients;
    const auto it = clients.find(number);
    return it == clients.end() ? nullptr : it->second.lock();
}

void store(host::WindowSystem& w, host::Hwnd hwnd, const std::string& key, std::int32_t value) {
    storeSucceeded = w.SetProp(hwnd, key, value);
    if (value == 0) w.RemoveProp(hwnd, key);
}

// Puts the previous procedure back and drops every key the modules keep on the
// window.
void release(host::WindowSystem& w, host::Hwnd hwnd) {
    const std::string h = std::to_string(hwnd);
    if (w.GetProp(hwnd, "C" + h) > 0) {
        if (const host::ProcId old = w.GetProp(hwnd, h); old != 0) w.SetWindowProc(hwnd, old);
    }
    for (const std::string& key : w.PropKeys(hwnd)) {
        if (key == h || key == "C" + h || key.rfind(h + "#", 0) == 0) w.RemoveProp(hwnd, key);
    }
}

// The procedure itself: reads everything from the window's store, so that it
// needs no module object.
host::LResult dispatch(host::WindowSystem& w, host::Hwnd hwnd, std::uint32_t msg,
                       host::WParam wParam, host::LParam lParam) {
    const auto Msg = static_cast<std::int32_t>(msg);
    const host::ProcId old = w.GetProp(hwnd, MSubclass::OldProcKey(hwnd));
    if (old == 0) return 0;
    const std::int32_t n = w.GetProp(hwnd, MSubclass::MsgCountKey(hwnd, Msg));
    if (n < 1) {
        if (msg == host::WM_DESTROY) release(w, hwnd);
        return w.CallWindowProc(old, hwnd, msg, wParam, lParam);
    }
    bool called = false;
    host::LResult result = 0;
    std::shared_ptr<ISubclass> last;
    // The last-attached handler first, the first-attached last.
    for (std::int32_t i = n; i >= 1; --i) {
        const std::int32_t number = w.GetProp(hwnd, MSubclass::MsgClassKey(hwnd, Msg, i));
        if (number == 0) continue;
        const std::shared_ptr<ISubclass> client = findClient(number);
        if (!client) continue;  // gone without detaching: skipped
        if (i == 1 && !called && client->MsgResponse() == emrPreprocess) {
            w.CallWindowProc(old, hwnd, msg, wParam, lParam);
            called = true;
        }
        result = client->WindowProc(hwnd, msg, wParam, lParam);
        last = client;
    }
    if (last && !called && last->MsgResponse() == emrPostProcess)
        result = w.CallWindowProc(old, hwnd, msg, wParam, lParam);
    if (msg == host::WM_DESTROY) release(w, hwnd);
    return result;
}

}  // namespace

ISubclass::~ISubclass() {
    if (clientId_ != 0) table().clients.erase(clientId_);
}

MSubclass::MSubclass(std::string libraryName, host::WindowSystem& windows)
    : libraryName_(std::move(libraryName)),
      windows_(windows),
      procedure_(windows.RegisterProc(
          [&windows](host::Hwnd hwnd, std::uint32_t msg, host::WParam wp, host::LParam lp) {
              return dispatch(windows, hwnd, msg, wp, lp);
          })) {}

std::string MSubclass::WindowCountKey(host::Hwnd hwnd) { return "C" + std::to_string(hwnd); }
std::string MSubclass::OldProcKey(host::Hwnd hwnd) { return std::to_string(hwnd); }
std::string MSubclass::MsgCountKey(host::Hwnd hwnd, std::int32_t Msg) {
    return std::to_string(hwnd) + "#" + std::to_string(Msg) + "C";
}
std::string MSubclass::MsgClassKey(host::Hwnd hwnd, std::int32_t Msg, std::int32_t index) {
    return std::to_string(hwnd) + "#" + std::to_string(Msg) + "#" + std::to_string(index);
}

bool MSubclass::StoreSucceeded() { return storeSucceeded; }

std::int32_t MSubclass::GetWindowCount(host::Hwnd hwnd) const {
    return windows_.GetProp(hwnd, WindowCountKey(hwnd));
}
void MSubclass::SetWindowCount(host::Hwnd hwnd, std::int32_t count) {
    store(windows_, hwnd, WindowCountKey(hwnd), count);
}
host::ProcId MSubclass::GetOldProc(host::Hwnd hwnd) const {
    return windows_.GetProp(hwnd, OldProcKey(hwnd));
}
void MSubclass::SetOldProc(host::Hwnd hwnd, host::ProcId procedure) {
    store(windows_, hwnd, OldProcKey(hwnd), procedure);
}
std::int32_t MSubclass::GetMsgCount(host::Hwnd hwnd, std::int32_t Msg) const {
    return windows_.GetProp(hwnd, MsgCountKey(hwnd, Msg));
}
void MSubclass::SetMsgCount(host::Hwnd hwnd, std::int32_t Msg, std::int32_t count) {
    store(windows_, hwnd, MsgCountKey(hwnd, Msg), count);
}
std::int32_t MSubclass::GetMsgClass(host::Hwnd hwnd, std::int32_t Msg, std::int32_t index) const {
    return windows_.GetProp(hwnd, MsgClassKey(hwnd, Msg, index));
}
void MSubclass::SetMsgClass(host::Hwnd hwnd, std::int32_t Msg, std::int32_t index,
                            std::int32_t client) {
    store(windows_, hwnd, MsgClassKey(hwnd, Msg, index), client);
}

bool MSubclass::IsWindowLocal(host::Hwnd hwnd) const {
    return windows_.GetWindowThreadProcessId(hwnd) == windows_.GetCurrentProcessId();
}

void MSubclass::ReleaseWindow(host::Hwnd hwnd) { release(windows_, hwnd); }

void MSubclass::ErrRaise(std::int32_t code) const {
    if (code <= 1000) throw host::Error(code);
    const char* text = "";
    switch (code) {
        case kCantSubclass:
            text = "Can't subclass window";
            break;
        case kAlreadyHandled:
            text = "Message already handled by another class";
            break;
        case kInvalidWindow:
            text = "Invalid window";
            break;
        case kExternalWindow:
            text = "Can't modify external window";
            break;
        default:
            break;
    }
    throw host::Error(code | host::kObjectErrorBase, libraryName_ + ".WindowProc", text);
}

host::LResult MSubclass::WindowProc(host::Hwnd hwnd, std::int32_t Msg, host::WParam wParam,
                                    host::LParam lParam) {
    return dispatch(windows_, hwnd, static_cast<std::uint32_t>(Msg), wParam, lParam);
}

void MSubclass::AttachMessage(const std::shared_ptr<ISubclass>& Client, host::Hwnd hwnd,
                              std::int32_t Msg) {
    if (!Client) throw host::Error(host::err::ObjectRequired);
    if (!windows_.IsWindow(hwnd)) ErrRaise(kInvalidWindow);
    if (!IsWindowLocal(hwnd)) ErrRaise(kExternalWindow);
    if (Client->clientId_ == 0) {
        Client->clientId_ = table().next++;
        table().clients.emplace(Client->clientId_, Client);
    }
    const std::int32_t number = Client->clientId_;

    const std::int32_t n = GetMsgCount(hwnd, Msg);
    for (std::int32_t i = 1; i <= n; ++i)
        if (GetMsgClass(hwnd, Msg, i) == number) ErrRaise(kAlreadyHandled);

    SetMsgCount(hwnd, Msg, n + 1);
    if (!StoreSucceeded()) ErrRaise(host::err::InvalidCall);
    const std::int32_t count = GetMsgCount(hwnd, Msg);
    auto takeBack = [&] {
        SetMsgClass(hwnd, Msg, count, 0);
        SetMsgCount(hwnd, Msg, count - 1);
    };
    SetMsgClass(hwnd, Msg, count, number);
    if (!StoreSucceeded()) {
        SetMsgCount(hwnd, Msg, count - 1);
        ErrRaise(host::err::InvalidCall);
    }

    if (GetWindowCount(hwnd) == 0) {
        const host::ProcId previous = windows_.SetWindowProc(hwnd, procedure_);
        if (previous == 0) {
            takeBack();
            ErrRaise(kCantSubclass);
        }
        SetOldProc(hwnd, previous);
        if (!StoreSucceeded()) {
            windows_.SetWindowProc(hwnd, previous);
            takeBack();
            ErrRaise(host::err::InvalidCall);
        }
    }

    SetWindowCount(hwnd, GetWindowCount(hwnd) + 1);
    if (StoreSucceeded()) return;
    takeBack();
    if (GetWindowCount(hwnd) == 0) {
        if (const host::ProcId old = GetOldProc(hwnd); old != 0) {
            windows_.SetWindowProc(hwnd, old);
            windows_.RemoveProp(hwnd, OldProcKey(hwnd));
        }
    }
    ErrRaise(host::err::InvalidCall);
}

void MSubclass::DetachMessage(const ISubclass& Client, host::Hwnd hwnd, std::int32_t Msg) noexcept {
    if (!windows_.IsWindow(hwnd) || !IsWindowLocal(hwnd)) return;
    const std::int32_t n = GetMsgCount(hwnd, Msg);
    if (n <= 0 || Client.clientId_ == 0) return;
    std::int32_t i = 1;
    while (i <= n && GetMsgClass(hwnd, Msg, i) != Client.clientId_) ++i;
    if (i > n) return;
    for (std::int32_t j = i; j <= n - 1; ++j)
        SetMsgClass(hwnd, Msg, j, GetMsgClass(hwnd, Msg, j + 1));
    SetMsgClass(hwnd, Msg, n, 0);
    SetMsgCount(hwnd, Msg, n - 1);
    if (GetWindowCount(hwnd) == 1) {
        if (const host::ProcId old = GetOldProc(hwnd); old != 0) windows_.SetWindowProc(hwnd, old);
        windows_.RemoveProp(hwnd, OldProcKey(hwnd));
    }
    SetWindowCount(hwnd, GetWindowCount(hwnd) - 1);
}

}  // namespace subclass
