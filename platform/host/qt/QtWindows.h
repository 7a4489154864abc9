#pragma once
// The window system over Qt widgets, one for the process. Any widget gets a
// handle when first asked for one (forms and containers alike) and keeps it
// while it lives; its store and procedure live here.
//
// A widget whose procedure was replaced (a subclassed form) is watched: its
// first show and every move bring WM_WINDOWPOSCHANGING, every resize
// WM_WINDOWPOSCHANGING then WM_SIZE, and its destruction WM_DESTROY, each sent
// through its procedure chain. Qt has no sizing messages; instead, after each of
// those messages (and when a control reports a changed property) the bridge asks
// the chain with WM_GETMINMAXINFO and a WM_SIZING of an empty rectangle, and
// makes the answers the window's maximum and minimum size (outer sizes, less the
// frame). A widget's own minimum and maximum still hold. While WM_SIZE is
// handled the form's updates are off, so that it repaints once afterwards
// rather than once for each control moved.
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <map>
#include <unordered_map>

#include "host/Object.h"
#include "host/Windows.h"

namespace host::qt {

class QtWindows final : public QObject, public WindowSystem {
    Q_OBJECT

public:
    static QtWindows& instance();

    // The widget's handle, given on first use.
    [[nodiscard]] Hwnd handleOf(QWidget* widget);
    // The widget of a handle; nothing once it is gone.
    [[nodiscard]] QWidget* widgetOf(Hwnd hwnd) const;
    // The host object for a widget (the widget's own when it is a HostWidget),
    // kept while the widget lives.
    [[nodiscard]] ObjectRef objectFor(QWidget* widget);
    // Asks the window's procedure chain for its size limits again.
    void applyLimits(Hwnd hwnd);

    // WindowSystem
    [[nodiscard]] bool IsWindow(Hwnd hwnd) const override;
    [[nodiscard]] std::uint32_t GetWindowThreadProcessId(Hwnd hwnd) const override;
    [[nodiscard]] std::uint32_t GetCurrentProcessId() const override;
    [[nodiscard]] std::int32_t GetProp(Hwnd hwnd, const std::string& key) const override;
    bool SetProp(Hwnd hwnd, const std::string& key, std::int32_t value) override;
    void RemoveProp(Hwnd hwnd, const std::string& key) override;
    [[nodiscard]] std::vector<std::string> PropKeys(Hwnd hwnd) const override;
    ProcId RegisterProc(WindowProcedure procedure) override;
    [[nodiscard]] ProcId GetWindowProc(Hwnd hwnd) const override;
    ProcId SetWindowProc(Hwnd hwnd, ProcId procedure) override;
    LResult CallWindowProc(ProcId procedure, Hwnd hwnd, std::uint32_t msg, WParam wParam,
                           LParam lParam) override;
    [[nodiscard]] RECT GetClientRect(Hwnd hwnd) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QtWindows();

    struct Window {
        QPointer<QWidget> widget;
        std::map<std::string, std::int32_t> props;
        ProcId proc = 0;
        bool watched = false;
        bool shown = false;
        bool probing = false;
        QSize ownMinimum, ownMaximum;  // the widget's own limits when it was first watched
    };
    [[nodiscard]] Window* find(Hwnd hwnd);
    [[nodiscard]] const Window* find(Hwnd hwnd) const;
    void forget(const QObject* object);
    LResult send(Hwnd hwnd, std::uint32_t msg, WParam wParam, LParam lParam);

    std::unordered_map<Hwnd, Window> windows_;
    std::unordered_map<const QObject*, Hwnd> handles_;
    std::unordered_map<const QObject*, ObjectRef> objects_;
    std::map<ProcId, WindowProcedure> procs_;
    ProcId ownProc_ = 0;
    ProcId nextProc_ = 1;
    Hwnd nextHandle_ = 0x10000;
};

}  // namespace host::qt
