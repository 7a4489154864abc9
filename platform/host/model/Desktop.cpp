#include "host/model/Desktop.h"

#include <stdexcept>

namespace host::model {

namespace {
const std::vector<Desktop::Received> kNone;
}

Desktop::Desktop() = default;

Desktop::Window* Desktop::find(Hwnd hwnd) {
    const auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : &it->second;
}

const Desktop::Window* Desktop::find(Hwnd hwnd) const {
    const auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : &it->second;
}

Hwnd Desktop::CreateWindow(std::int32_t clientWidth, std::int32_t clientHeight, Hwnd handle,
                           std::uint32_t process) {
    if (handle == 0) {
        while (windows_.count(nextHandle_) > 0) nextHandle_ += 4;
        handle = nextHandle_;
        nextHandle_ += 4;
    }
    if (windows_.count(handle) > 0) throw std::logic_error("window handle in use");
    Window w;
    w.process = process == 0 ? kProcess : process;
    w.width = clientWidth;
    w.height = clientHeight;
    w.own = RegisterProc([this, handle](Hwnd h, std::uint32_t msg, WParam wp, LParam lp) {
        Window* self = find(handle);
        if (self == nullptr) return LResult{0};
        self->received.push_back({h, msg, wp, lp});
        if (self->ownHandler) {
            // The handler may change the window's settings; copy it first.
            const WindowProcedure handler = self->ownHandler;
            handler(h, msg, wp, lp);
            self = find(handle);
        }
        return self == nullptr ? LResult{0} : self->ownResult;
    });
    w.proc = w.own;
    windows_.emplace(handle, std::move(w));
    return handle;
}

void Desktop::DestroyWindow(Hwnd hwnd) {
    if (find(hwnd) == nullptr) return;
    SendMessage(hwnd, WM_DESTROY, 0, 0);
    if (Window* w = find(hwnd)) {
        procs_.erase(w->own);
        windows_.erase(hwnd);
    }
}

void Desktop::SetFrame(Hwnd hwnd, std::int32_t frameWidth, std::int32_t frameHeight) {
    if (Window* w = find(hwnd)) {
        w->frameWidth = frameWidth;
        w->frameHeight = frameHeight;
    }
}

std::int32_t Desktop::FrameWidth(Hwnd hwnd) const {
    const Window* w = find(hwnd);
    return w == nullptr ? 0 : w->frameWidth;
}

std::int32_t Desktop::FrameHeight(Hwnd hwnd) const {
    const Window* w = find(hwnd);
    return w == nullptr ? 0 : w->frameHeight;
}

void Desktop::SetClientSize(Hwnd hwnd, std::int32_t width, std::int32_t height) {
    if (Window* w = find(hwnd)) {
        w->width = width;
        w->height = height;
    }
}

void Desktop::ResizeWindow(Hwnd hwnd, std::int32_t clientWidth, std::int32_t clientHeight) {
    if (find(hwnd) == nullptr) return;
    WINDOWPOS pos;
    pos.hwnd = hwnd;
    pos.cx = clientWidth + FrameWidth(hwnd);
    pos.cy = clientHeight + FrameHeight(hwnd);
    SendMessage(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LParam>(&pos));
    SetClientSize(hwnd, clientWidth, clientHeight);
    const auto packed = static_cast<LParam>((static_cast<std::uint32_t>(clientHeight) << 16) |
                                            (static_cast<std::uint32_t>(clientWidth) & 0xFFFF));
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, packed);
}

const std::vector<Desktop::Received>& Desktop::received(Hwnd hwnd) const {
    const Window* w = find(hwnd);
    return w == nullptr ? kNone : w->received;
}

void Desktop::clearReceived(Hwnd hwnd) {
    if (Window* w = find(hwnd)) w->received.clear();
}

void Desktop::setOwnResult(Hwnd hwnd, LResult result) {
    if (Window* w = find(hwnd)) w->ownResult = result;
}

void Desktop::setOwnHandler(Hwnd hwnd, WindowProcedure handler) {
    if (Window* w = find(hwnd)) w->ownHandler = std::move(handler);
}

ProcId Desktop::OwnProc(Hwnd hwnd) const {
    const Window* w = find(hwnd);
    return w == nullptr ? 0 : w->own;
}

bool Desktop::IsWindow(Hwnd hwnd) const { return find(hwnd) != nullptr; }

std::uint32_t Desktop::GetWindowThreadProcessId(Hwnd hwnd) const {
    const Window* w = find(hwnd);
    return w == nullptr ? 0 : w->process;
}

std::int32_t Desktop::GetProp(Hwnd hwnd, const std::string& key) const {
    const Window* w = find(hwnd);
    if (w == nullptr) return 0;
    const auto it = w->props.find(key);
    return it == w->props.end() ? 0 : it->second;
}

bool Desktop::SetProp(Hwnd hwnd, const std::string& key, std::int32_t value) {
    Window* w = find(hwnd);
    if (w == nullptr) return false;
    if (failSetProp && failSetProp(hwnd, key, value)) return false;
    propWrites.emplace_back(key, value);
    w->props[key] = value;
    return true;
}

void Desktop::RemoveProp(Hwnd hwnd, const std::string& key) {
    if (Window* w = find(hwnd)) w->props.erase(key);
}

std::vector<std::string> Desktop::PropKeys(Hwnd hwnd) const {
    std::vector<std::string> keys;
    if (const Window* w = find(hwnd))
        for (const auto& [key, value] : w->props) keys.push_back(key);
    return keys;
}

ProcId Desktop::RegisterProc(WindowProcedure procedure) {
    const ProcId id = nextProc_++;
    procs_.emplace(id, std::move(procedure));
    return id;
}

ProcId Desktop::GetWindowProc(Hwnd hwnd) const {
    const Window* w = find(hwnd);
    return w == nullptr ? 0 : w->proc;
}

ProcId Desktop::SetWindowProc(Hwnd hwnd, ProcId procedure) {
    Window* w = find(hwnd);
    if (w == nullptr || failSetWindowProc) return 0;
    const ProcId previous = w->proc;
    w->proc = procedure;
    return previous;
}

LResult Desktop::CallWindowProc(ProcId procedure, Hwnd hwnd, std::uint32_t msg, WParam wParam,
                                LParam lParam) {
    const auto it = procs_.find(procedure);
    if (it == procs_.end()) return 0;
    // A window destroyed inside its own procedure takes that procedure with it.
    const WindowProcedure call = it->second;
    return call(hwnd, msg, wParam, lParam);
}

RECT Desktop::GetClientRect(Hwnd hwnd) const {
    const Window* w = find(hwnd);
    if (w == nullptr) return {};
    return {0, 0, w->width, w->height};
}

}  // namespace host::model
