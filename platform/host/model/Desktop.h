#pragma once
// A window system without windows, for tests: windows are handles with a client
// size, an outer frame, a store and a procedure chain. Each window's own
// procedure records the messages that reach it. Members can be made to fail
// (a store write, replacing a procedure) and windows can belong to another
// process, so that every rule of the layer above can be driven.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/Windows.h"

namespace host::model {

class Desktop : public WindowSystem {
public:
    struct Received {
        Hwnd hwnd;
        std::uint32_t msg;
        WParam wParam;
        LParam lParam;
    };

    Desktop();

    // A window with its client size in pixels and no frame; `handle` 0 takes
    // the next free handle. `process` 0 is this process.
    Hwnd CreateWindow(std::int32_t clientWidth, std::int32_t clientHeight, Hwnd handle = 0,
                      std::uint32_t process = 0);
    // Sends WM_DESTROY through the window's procedure, then the window is gone
    // with everything it held.
    void DestroyWindow(Hwnd hwnd);

    // The border and caption around the client area, in pixels (outer size =
    // client size + frame).
    void SetFrame(Hwnd hwnd, std::int32_t frameWidth, std::int32_t frameHeight);
    [[nodiscard]] std::int32_t FrameWidth(Hwnd hwnd) const;
    [[nodiscard]] std::int32_t FrameHeight(Hwnd hwnd) const;
    // Changes the client size without any message (a container that grows).
    void SetClientSize(Hwnd hwnd, std::int32_t width, std::int32_t height);
    // Changes the client size as a user or program would: WM_WINDOWPOSCHANGING,
    // then WM_SIZE, sent through the window's procedure.
    void ResizeWindow(Hwnd hwnd, std::int32_t clientWidth, std::int32_t clientHeight);

    // What reached each window's own procedure, in order.
    [[nodiscard]] const std::vector<Received>& received(Hwnd hwnd) const;
    void clearReceived(Hwnd hwnd);
    // What the window's own procedure returns.
    void setOwnResult(Hwnd hwnd, LResult result);
    // Runs inside the window's own procedure, after the message is recorded.
    void setOwnHandler(Hwnd hwnd, WindowProcedure handler);
    [[nodiscard]] ProcId OwnProc(Hwnd hwnd) const;

    // Failure switches: a store write for which `failSetProp` answers true fails
    // (nothing is stored); a procedure replacement fails while
    // `failSetWindowProc` is set.
    std::function<bool(Hwnd, const std::string&, std::int32_t)> failSetProp;
    bool failSetWindowProc = false;
    // Every store write, in order: key and value.
    std::vector<std::pair<std::string, std::int32_t>> propWrites;

    // The screen.
    float twipsPerPixelX = 15.0f;
    float twipsPerPixelY = 15.0f;

    // WindowSystem
    [[nodiscard]] bool IsWindow(Hwnd hwnd) const override;
    [[nodiscard]] std::uint32_t GetWindowThreadProcessId(Hwnd hwnd) const override;
    [[nodiscard]] std::uint32_t GetCurrentProcessId() const override { return kProcess; }
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

    static constexpr std::uint32_t kProcess = 4242;

private:
    struct Window {
        std::uint32_t process = kProcess;
        std::int32_t width = 0, height = 0;
        std::int32_t frameWidth = 0, frameHeight = 0;
        std::map<std::string, std::int32_t> props;
        ProcId own = 0;
        ProcId proc = 0;
        LResult ownResult = 0;
        WindowProcedure ownHandler;
        std::vector<Received> received;
    };
    [[nodiscard]] Window* find(Hwnd hwnd);
    [[nodiscard]] const Window* find(Hwnd hwnd) const;

    std::map<Hwnd, Window> windows_;
    std::map<ProcId, WindowProcedure> procs_;
    Hwnd nextHandle_ = 0x1000;
    ProcId nextProc_ = 0x100;
};

}  // namespace host::model
