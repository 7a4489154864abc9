#include "host/qt/QtWindows.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>

#include "host/qt/HostWidget.h"
#include "host/qt/WidgetObject.h"

namespace host::qt {

QtWindows& QtWindows::instance() {
    // Never destroyed: widgets and controls may outlive any static.
    static QtWindows* windows = new QtWindows;
    return *windows;
}

QtWindows::QtWindows() {
    // What a widget does by itself; Qt does the rest.
    ownProc_ = RegisterProc([](Hwnd, std::uint32_t, WParam, LParam) { return LResult{0}; });
}

QtWindows::Window* QtWindows::find(Hwnd hwnd) {
    const auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : &it->second;
}

const QtWindows::Window* QtWindows::find(Hwnd hwnd) const {
    const auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : &it->second;
}

Hwnd QtWindows::handleOf(QWidget* widget) {
    if (widget == nullptr) return 0;
    if (const auto it = handles_.find(widget); it != handles_.end()) return it->second;
    const Hwnd hwnd = nextHandle_;
    nextHandle_ += 4;
    Window w;
    w.widget = widget;
    w.proc = ownProc_;
    windows_.emplace(hwnd, std::move(w));
    handles_.emplace(widget, hwnd);
    if (objects_.count(widget) == 0)
        connect(widget, &QObject::destroyed, this, [this](QObject* o) { forget(o); });
    return hwnd;
}

QWidget* QtWindows::widgetOf(Hwnd hwnd) const {
    const Window* w = find(hwnd);
    return w == nullptr ? nullptr : w->widget.data();
}

ObjectRef QtWindows::objectFor(QWidget* widget) {
    if (widget == nullptr) return nullptr;
    if (const auto it = objects_.find(widget); it != objects_.end()) return it->second;
    ObjectRef object;
    if (auto* own = dynamic_cast<HostWidget*>(widget))
        object = own->makeHostObject();
    else
        object = std::make_shared<WidgetObject>(widget);
    if (handles_.count(widget) == 0)
        connect(widget, &QObject::destroyed, this, [this](QObject* o) { forget(o); });
    objects_.emplace(widget, object);
    return object;
}

void QtWindows::forget(const QObject* object) {
    objects_.erase(object);
    const auto it = handles_.find(object);
    if (it == handles_.end()) return;
    const Hwnd hwnd = it->second;
    // The window still exists for its WM_DESTROY, as a destroyed window does.
    if (const Window* w = find(hwnd); w != nullptr && w->proc != ownProc_)
        send(hwnd, WM_DESTROY, 0, 0);
    windows_.erase(hwnd);
    handles_.erase(object);
}

LResult QtWindows::send(Hwnd hwnd, std::uint32_t msg, WParam wParam, LParam lParam) {
    const Window* w = find(hwnd);
    if (w == nullptr) return 0;
    return CallWindowProc(w->proc, hwnd, msg, wParam, lParam);
}

bool QtWindows::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Resize && type != QEvent::Move) return false;
    const auto it = handles_.find(watched);
    if (it == handles_.end()) return false;
    const Hwnd hwnd = it->second;
    Window* w = find(hwnd);
    if (w == nullptr || w->proc == ownProc_ || !w->widget) return false;

    WINDOWPOS pos;
    pos.hwnd = hwnd;
    const QRect frame = w->widget->frameGeometry();
    pos.x = frame.x();
    pos.y = frame.y();
    pos.cx = frame.width();
    pos.cy = frame.height();
    const auto posParam = reinterpret_cast<LParam>(&pos);
    if (type == QEvent::Show) {
        if (w->shown) return false;
        w->shown = true;
        send(hwnd, WM_WINDOWPOSCHANGING, 0, posParam);
    } else if (type == QEvent::Move) {
        send(hwnd, WM_WINDOWPOSCHANGING, 0, posParam);
        return false;
    } else {
        send(hwnd, WM_WINDOWPOSCHANGING, 0, posParam);
        QWidget* widget = widgetOf(hwnd);
        if (widget == nullptr) return false;
        const WParam kind = widget->isMinimized()   ? SIZE_MINIMIZED
                            : widget->isMaximized() ? SIZE_MAXIMIZED
                                                    : SIZE_RESTORED;
        const auto packed =
            static_cast<LParam>((static_cast<std::uint32_t>(widget->height() & 0xFFFF) << 16) |
                                static_cast<std::uint32_t>(widget->width() & 0xFFFF));
        // The handlers move the form's controls: one repaint when they are
        // done instead of one invalidation per control.
        const bool updating = widget->updatesEnabled();
        if (updating) widget->setUpdatesEnabled(false);
        send(hwnd, WM_SIZE, kind, packed);
        if (updating && (widget = widgetOf(hwnd)) != nullptr) widget->setUpdatesEnabled(true);
    }
    applyLimits(hwnd);
    return false;
}

void QtWindows::applyLimits(Hwnd hwnd) {
    Window* w = find(hwnd);
    if (w == nullptr || w->proc == ownProc_ || w->probing || !w->widget) return;
    QWidget* widget = w->widget;
    // A designer's form is no window: its own limits are saved with it.
    if (!widget->isWindow()) return;
    w->probing = true;
    MINMAXINFO info;
    info.ptMaxTrackSize = {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    RECT dragged;
    const ProcId proc = w->proc;
    const QSize ownMin = w->ownMinimum;
    const QSize ownMax = w->ownMaximum;
    CallWindowProc(proc, hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LParam>(&info));
    CallWindowProc(proc, hwnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LParam>(&dragged));
    if (!(w = find(hwnd)) || !w->widget) return;

    const QSize frame = widget->frameGeometry().size() - widget->size();
    auto clientMax = [](std::int32_t outer, int frameSize) {
        return outer >= QWIDGETSIZE_MAX ? QWIDGETSIZE_MAX : std::max(0, outer - frameSize);
    };
    const int maxW = std::min(ownMax.width(), clientMax(info.ptMaxTrackSize.x, frame.width()));
    const int maxH = std::min(ownMax.height(), clientMax(info.ptMaxTrackSize.y, frame.height()));
    const int minW =
        std::min(maxW, std::max(ownMin.width(), dragged.right - dragged.left - frame.width()));
    const int minH =
        std::min(maxH, std::max(ownMin.height(), dragged.bottom - dragged.top - frame.height()));
    if (widget->maximumSize() != QSize(maxW, maxH)) widget->setMaximumSize(maxW, maxH);
    if (widget->minimumSize() != QSize(minW, minH)) widget->setMinimumSize(minW, minH);
    if ((w = find(hwnd))) w->probing = false;
}

bool QtWindows::IsWindow(Hwnd hwnd) const { return find(hwnd) != nullptr; }

std::uint32_t QtWindows::GetWindowThreadProcessId(Hwnd hwnd) const {
    return IsWindow(hwnd) ? GetCurrentProcessId() : 0;
}

std::uint32_t QtWindows::GetCurrentProcessId() const {
    return static_cast<std::uint32_t>(QCoreApplication::applicationPid());
}

std::int32_t QtWindows::GetProp(Hwnd hwnd, const std::string& key) const {
    const Window* w = find(hwnd);
    if (w == nullptr) return 0;
    const auto it = w->props.find(key);
    return it == w->props.end() ? 0 : it->second;
}

bool QtWindows::SetProp(Hwnd hwnd, const std::string& key, std::int32_t value) {
    Window* w = find(hwnd);
    if (w == nullptr) return false;
    w->props[key] = value;
    return true;
}

void QtWindows::RemoveProp(Hwnd hwnd, const std::string& key) {
    if (Window* w = find(hwnd)) w->props.erase(key);
}

std::vector<std::string> QtWindows::PropKeys(Hwnd hwnd) const {
    std::vector<std::string> keys;
    if (const Window* w = find(hwnd))
        for (const auto& [key, value] : w->props) keys.push_back(key);
    return keys;
}

ProcId QtWindows::RegisterProc(WindowProcedure procedure) {
    const ProcId id = nextProc_++;
    procs_.emplace(id, std::move(procedure));
    return id;
}

ProcId QtWindows::GetWindowProc(Hwnd hwnd) const {
    const Window* w = find(hwnd);
    return w == nullptr ? 0 : w->proc;
}

ProcId QtWindows::SetWindowProc(Hwnd hwnd, ProcId procedure) {
    Window* w = find(hwnd);
    if (w == nullptr || !w->widget || procs_.count(procedure) == 0) return 0;
    const ProcId previous = w->proc;
    w->proc = procedure;
    const bool watch = procedure != ownProc_;
    if (watch && !w->watched) {
        w->ownMinimum = w->widget->minimumSize();
        w->ownMaximum = w->widget->maximumSize();
        w->shown = w->widget->isVisible();
        w->widget->installEventFilter(this);
        w->watched = true;
        // A window that was shown before anyone watched it gets its first
        // position message on the next turn of the event loop.
        if (w->shown)
            QMetaObject::invokeMethod(
                this,
                [this, hwnd] {
                    const Window* again = find(hwnd);
                    if (again == nullptr || !again->watched) return;
                    WINDOWPOS pos;
                    pos.hwnd = hwnd;
                    send(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LParam>(&pos));
                    applyLimits(hwnd);
                },
                Qt::QueuedConnection);
    } else if (!watch && w->watched) {
        w->widget->removeEventFilter(this);
        w->watched = false;
        // The limits the chain gave go with it.
        w->widget->setMinimumSize(w->ownMinimum);
        w->widget->setMaximumSize(w->ownMaximum);
    }
    return previous;
}

LResult QtWindows::CallWindowProc(ProcId procedure, Hwnd hwnd, std::uint32_t msg, WParam wParam,
                                  LParam lParam) {
    const auto it = procs_.find(procedure);
    if (it == procs_.end()) return 0;
    const WindowProcedure call = it->second;
    return call(hwnd, msg, wParam, lParam);
}

RECT QtWindows::GetClientRect(Hwnd hwnd) const {
    const QWidget* widget = widgetOf(hwnd);
    if (widget == nullptr) return {};
    return {0, 0, widget->width(), widget->height()};
}

}  // namespace host::qt
