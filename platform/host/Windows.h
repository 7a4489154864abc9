#pragma once
// The window system under the layout controls: windows named by 32-bit
// handles, a store of 32-bit values under text keys on each window, window
// procedures that can be put in front of a window's own message handling, and
// client rectangles. host::model::Desktop implements it without any windows
// (tests); host::qt::QtWindows implements it over Qt widgets.
//
// Message parameters are pointer-sized (a WM_GETMINMAXINFO or WM_SIZING
// parameter points to its structure); everything the store keeps is 32 bits.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace host {

using Hwnd = std::int32_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
// A window procedure as the store keeps it: 0 is none.
using ProcId = std::int32_t;

// Message numbers.
inline constexpr std::uint32_t WM_DESTROY = 2;
inline constexpr std::uint32_t WM_SIZE = 5;
inline constexpr std::uint32_t WM_GETMINMAXINFO = 36;
inline constexpr std::uint32_t WM_WINDOWPOSCHANGING = 70;
inline constexpr std::uint32_t WM_SIZING = 532;
inline constexpr std::uint32_t WM_EXITSIZEMOVE = 562;

// WM_SIZE's wParam.
inline constexpr WParam SIZE_RESTORED = 0;
inline constexpr WParam SIZE_MINIMIZED = 1;
inline constexpr WParam SIZE_MAXIMIZED = 2;
// WM_SIZING's wParam: the edge dragged.
inline constexpr WParam WMSZ_BOTTOMRIGHT = 8;

struct POINT {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};

struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const RECT&, const RECT&) = default;
};

// WM_GETMINMAXINFO's structure, in pixels of the window's outer size.
struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

// WM_WINDOWPOSCHANGING's structure (the layout controls never read it).
struct WINDOWPOS {
    Hwnd hwnd = 0;
    Hwnd hwndInsertAfter = 0;
    std::int32_t x = 0, y = 0, cx = 0, cy = 0;
    std::uint32_t flags = 0;
};

using WindowProcedure = std::function<LResult(Hwnd, std::uint32_t, WParam, LParam)>;

class WindowSystem {
public:
    WindowSystem() = default;
    virtual ~WindowSystem() = default;
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

    [[nodiscard]] virtual bool IsWindow(Hwnd hwnd) const = 0;
    // The process that owns the window; 0 when it is no window.
    [[nodiscard]] virtual std::uint32_t GetWindowThreadProcessId(Hwnd hwnd) const = 0;
    [[nodiscard]] virtual std::uint32_t GetCurrentProcessId() const = 0;

    // The window's store. An absent key reads 0; a write reports success.
    [[nodiscard]] virtual std::int32_t GetProp(Hwnd hwnd, const std::string& key) const = 0;
    virtual bool SetProp(Hwnd hwnd, const std::string& key, std::int32_t value) = 0;
    virtual void RemoveProp(Hwnd hwnd, const std::string& key) = 0;
    [[nodiscard]] virtual std::vector<std::string> PropKeys(Hwnd hwnd) const = 0;

    // Procedures: a function becomes a 32-bit value once registered. Setting a
    // window's procedure returns the one it replaces, or 0 when it failed.
    virtual ProcId RegisterProc(WindowProcedure procedure) = 0;
    [[nodiscard]] virtual ProcId GetWindowProc(Hwnd hwnd) const = 0;
    virtual ProcId SetWindowProc(Hwnd hwnd, ProcId procedure) = 0;
    // Calls `procedure` with the four values unchanged; 0 for an unknown procedure.
    virtual LResult CallWindowProc(ProcId procedure, Hwnd hwnd, std::uint32_t msg, WParam wParam,
                                   LParam lParam) = 0;
    // Runs the window's present procedure at once (no queue).
    LResult SendMessage(Hwnd hwnd, std::uint32_t msg, WParam wParam, LParam lParam) {
        return CallWindowProc(GetWindowProc(hwnd), hwnd, msg, wParam, lParam);
    }

    // In pixels, from 0, 0; all zeros for a handle that is no window.
    [[nodiscard]] virtual RECT GetClientRect(Hwnd hwnd) const = 0;
};

}  // namespace host
