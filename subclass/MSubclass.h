#pragma once
// Window subclassing: lets ISubclass clients receive chosen messages of a
// window. The module puts one procedure of its own in front of the window's,
// keeps the handlers of each message in the window's store and calls them in a
// fixed order around the previous procedure; the last detach puts the previous
// procedure back.
//
// Everything lives in the window's store under text keys, so that the modules
// of both control libraries share a window's tables and its one procedure; the
// handler entries are client numbers, resolved through one table of weak
// references per process. A client that is gone is skipped; WM_DESTROY puts
// the previous procedure back and drops the window's whole store.
//
// Errors are host::Error: 13081 to 13084 OR-ed with 0x80040000, the source the
// library's name and ".WindowProc"; a failed store write is error 5.
#include <cstdint>
#include <memory>
#include <string>

#include "host/Windows.h"
#include "subclass/ISubclass.h"

namespace subclass {

inline constexpr std::int32_t kCantSubclass = 13081;
inline constexpr std::int32_t kAlreadyHandled = 13082;
inline constexpr std::int32_t kInvalidWindow = 13083;
inline constexpr std::int32_t kExternalWindow = 13084;

class MSubclass {
public:
    // `libraryName` without extension ("Bollard2") names the errors' source.
    MSubclass(std::string libraryName, host::WindowSystem& windows);
    MSubclass(const MSubclass&) = delete;
    MSubclass& operator=(const MSubclass&) = delete;

    // Adds `Client` as a handler of `Msg` on `hwnd`; the first attachment on a
    // window installs the module's procedure. What a failure leaves behind is
    // taken back.
    void AttachMessage(const std::shared_ptr<ISubclass>& Client, host::Hwnd hwnd, std::int32_t Msg);
    // Removes the handler; the last attachment on the window puts the previous
    // procedure back. Never raises.
    void DetachMessage(const ISubclass& Client, host::Hwnd hwnd, std::int32_t Msg) noexcept;
    // The procedure the module installs (one for all windows and clients).
    host::LResult WindowProc(host::Hwnd hwnd, std::int32_t Msg, host::WParam wParam,
                             host::LParam lParam);
    [[nodiscard]] host::ProcId procedure() const { return procedure_; }

    // The store of one window; an absent key reads 0, storing 0 removes it.
    [[nodiscard]] std::int32_t GetWindowCount(host::Hwnd hwnd) const;
    void SetWindowCount(host::Hwnd hwnd, std::int32_t count);
    [[nodiscard]] host::ProcId GetOldProc(host::Hwnd hwnd) const;
    void SetOldProc(host::Hwnd hwnd, host::ProcId procedure);
    [[nodiscard]] std::int32_t GetMsgCount(host::Hwnd hwnd, std::int32_t Msg) const;
    void SetMsgCount(host::Hwnd hwnd, std::int32_t Msg, std::int32_t count);
    // The client number of the handler at `index` (from 1).
    [[nodiscard]] std::int32_t GetMsgClass(host::Hwnd hwnd, std::int32_t Msg,
                                           std::int32_t index) const;
    void SetMsgClass(host::Hwnd hwnd, std::int32_t Msg, std::int32_t index, std::int32_t client);
    // Whether the last store write succeeded (per thread).
    [[nodiscard]] static bool StoreSucceeded();

    [[nodiscard]] bool IsWindowLocal(host::Hwnd hwnd) const;
    void ReleaseWindow(host::Hwnd hwnd);
    [[noreturn]] void ErrRaise(std::int32_t code) const;

    // The keys, numbers in decimal with a leading "-" when negative.
    [[nodiscard]] static std::string WindowCountKey(host::Hwnd hwnd);
    [[nodiscard]] static std::string OldProcKey(host::Hwnd hwnd);
    [[nodiscard]] static std::string MsgCountKey(host::Hwnd hwnd, std::int32_t Msg);
    [[nodiscard]] static std::string MsgClassKey(host::Hwnd hwnd, std::int32_t Msg,
                                                 std::int32_t index);

    // A client's number in the stores (0 when it was never attached).
    [[nodiscard]] static std::int32_t clientNumber(const ISubclass& client) {
        return client.clientId_;
    }

private:
    std::string libraryName_;
    host::WindowSystem& windows_;
    host::ProcId procedure_;
};

}  // namespace subclass
