#pragma once
// CRTP bases for windows and dialogs. A derived class lists its messages in a
// table, first match wins:
//
//   static constexpr MessageEntry<CFoo> kMessageMap[] = {
//       {WM_CREATE, &CFoo::OnCreate},
//       {WM_TIMER, &CFoo::OnTimer},
//   };
//
// Handlers have the form LRESULT OnX(WPARAM, LPARAM, bool& handled); handled
// starts true. Dialogs may add a command table (CommandEntry) for WM_COMMAND.
// `this` is bound at WM_NCCREATE / WM_INITDIALOG: a window keeps it in its
// class's last extra bytes (a superclass adds its slot after the system
// control's own), a dialog in DWLP_USER. A window is unbound at its
// WM_NCDESTROY, so Destroy() runs the object's WM_DESTROY handlers (and its
// children's). The base destructor can no longer reach the derived object: it
// unbinds before it destroys a window that is still there, so no handler runs
// on a half-destroyed object. A derived window whose handlers must run at its
// end calls Destroy() in its own destructor. No exception leaves a window
// procedure: it is reported and the message gets its default.
#include "Diagnostics.h"
#include "DialogReturn.h"
#include "Environment.h"
#include "Module.h"
#include "Win32.h"

#include <windowsx.h>

#include <atomic>
#include <span>

namespace marlin {

// Window classes this module registered. A DLL's classes outlive it unless it
// removes them: after an unload and a reload elsewhere in memory, a stale class
// would send messages to code that is gone.
void RememberWindowClass(const wchar_t* name) noexcept;
void UnregisterWindowClasses() noexcept;

template <typename Derived>
struct MessageEntry {
    UINT message;
    LRESULT (Derived::*handler)(WPARAM wParam, LPARAM lParam, bool& handled);
};

template <typename Derived>
struct CommandEntry {
    UINT id;
    void (Derived::*handler)(UINT notifyCode, HWND control);
};

// Typed crackers for the messages the product uses.
inline UINT CommandId(WPARAM wParam) noexcept { return LOWORD(wParam); }
inline UINT CommandCode(WPARAM wParam) noexcept { return HIWORD(wParam); }
inline POINT PointFromLParam(LPARAM lParam) noexcept { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

namespace detail {

template <typename Derived>
bool DispatchMessageMap(Derived& self, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    for (const auto& entry : std::span(Derived::kMessageMap)) {
        if (entry.message != message) continue;
        bool handled = true;
        result = (self.*entry.handler)(wParam, lParam, handled);
        if (handled) return true;
    }
    if constexpr (requires { Derived::kCommandMap; }) {
        if (message == WM_COMMAND) {
            for (const auto& entry : std::span(Derived::kCommandMap)) {
                if (entry.id == CommandId(wParam)) {
                    (self.*entry.handler)(CommandCode(wParam), reinterpret_cast<HWND>(lParam));
                    result = 0;
                    return true;
                }
            }
        }
    }
    return false;
}

} // namespace detail

template <typename Derived>
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window() { DestroyUnbound(); }

    HWND Create(HWND parent, const RECT& rect, const wchar_t* title, DWORD style, DWORD exStyle = 0,
                UINT_PTR id = 0)
    {
        if (m_hwnd || !RegisterClassOnce()) return nullptr;
        ::CreateWindowExW(exStyle, Derived::kClassName, title ? title : L"", style, rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top, parent,
                          reinterpret_cast<HMENU>(id), ModuleInstance(), this);
        return m_hwnd;
    }

    // Destroys the window. Its WM_DESTROY reaches the handlers; the object lets
    // go of the window at WM_NCDESTROY and receives nothing after this returns.
    void Destroy() noexcept
    {
        if (!m_hwnd || m_destroying) return;
        m_destroying = true;
        ::DestroyWindow(m_hwnd);
        m_destroying = false;
        // Not destroyed (another thread's window): at least nothing more reaches the object.
        DestroyUnbound();
    }

    HWND hwnd() const noexcept { return m_hwnd; }

protected:
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        WNDPROC base = BaseWindowProc();
        return base ? ::CallWindowProcW(base, m_hwnd, message, wParam, lParam)
                    : ::DefWindowProcW(m_hwnd, message, wParam, lParam);
    }

    // Called once the window is gone (after WM_NCDESTROY).
    void OnFinalMessage() noexcept {}

private:
    // A derived class superclasses a system control by naming it:
    //   static constexpr const wchar_t* kBaseClassName = TOOLBARCLASSNAMEW;
    static WNDPROC& BaseWindowProc() noexcept
    {
        static WNDPROC base = nullptr;
        return base;
    }

    // Where a window of the class keeps its object: the class's last extra
    // bytes. Read at every message, so kept here rather than asked of the class.
    static std::atomic<int>& ObjectSlot() noexcept
    {
        // Written by every thread that registers (the same value), read by all.
        static std::atomic<int> slot{0};
        return slot;
    }
    static int Slot() noexcept { return ObjectSlot().load(std::memory_order_relaxed); }

    static bool RegisterClassOnce() noexcept
    {
        WNDCLASSEXW existing{sizeof(existing)};
        if (::GetClassInfoExW(ModuleInstance(), Derived::kClassName, &existing)) {
            ObjectSlot().store(existing.cbWndExtra - static_cast<int>(sizeof(LONG_PTR)), std::memory_order_relaxed);
            return true;
        }
        WNDCLASSEXW wc{sizeof(wc)};
        if constexpr (requires { Derived::kBaseClassName; }) {
            if (!::GetClassInfoExW(nullptr, Derived::kBaseClassName, &wc)) return false;
            wc.cbSize = sizeof(wc);
            BaseWindowProc() = wc.lpfnWndProc;
        } else {
            wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        }
        // The system control's window procedure keeps using its own bytes.
        ObjectSlot().store(wc.cbWndExtra, std::memory_order_relaxed);
        wc.cbWndExtra += static_cast<int>(sizeof(LONG_PTR));
        wc.style |= CS_DBLCLKS;
        wc.lpfnWndProc = &Window::WindowProc;
        wc.hInstance = ModuleInstance();
        wc.lpszClassName = Derived::kClassName;
        if (::RegisterClassExW(&wc) == 0) return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        RememberWindowClass(Derived::kClassName);
        return true;
    }

    void Unbind() noexcept
    {
        if (m_hwnd) ::SetWindowLongPtrW(m_hwnd, Slot(), 0);
        m_hwnd = nullptr;
    }

    // Destroys the window without calling the object's handlers.
    void DestroyUnbound() noexcept
    {
        HWND window = m_hwnd;
        if (!window) return;
        Unbind();
        ::DestroyWindow(window);
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, Slot()));
        if (!self && message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            self = static_cast<Window*>(create->lpCreateParams);
            if (self) {
                self->m_hwnd = window;
                ::SetWindowLongPtrW(window, Slot(), reinterpret_cast<LONG_PTR>(self));
            }
        }
        if (!self) {
            WNDPROC base = BaseWindowProc();
            return base ? ::CallWindowProcW(base, window, message, wParam, lParam)
                        : ::DefWindowProcW(window, message, wParam, lParam);
        }
        LRESULT result = 0;
        bool handled = false;
        try {
            handled = detail::DispatchMessageMap(static_cast<Derived&>(*self), message, wParam, lParam, result);
        } catch (...) {
            ReportFailure(Derived::kClassName);
            handled = false;
        }
        if (!handled) result = self->DefaultProc(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            self->Unbind();
            static_cast<Derived*>(self)->OnFinalMessage();
        }
        return result;
    }

    HWND m_hwnd = nullptr;
    bool m_destroying = false;
};

template <typename Derived>
class Dialog {
public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    ~Dialog() { DestroyModeless(); }

    // Runs the dialog modally (through the environment seam) and answers the
    // value passed to End. The Return that may have closed it is not a search.
    INT_PTR DoModal(HWND parent)
    {
        m_modal = true;
        const INT_PTR result = Env().RunModalDialog(ModuleInstance(), MAKEINTRESOURCEW(Derived::kDialogId),
                                                    parent, &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
        IgnoreNextReturn();
        return result;
    }

    HWND CreateModeless(HWND parent)
    {
        m_modal = false;
        return ::CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(Derived::kDialogId), parent,
                                    &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    }

    void End(INT_PTR result) noexcept
    {
        if (!m_hwnd) return;
        if (m_modal) {
            ::EndDialog(m_hwnd, result);
        } else {
            DestroyModeless();
        }
    }

    HWND hwnd() const noexcept { return m_hwnd; }
    HWND Item(int id) const noexcept { return ::GetDlgItem(m_hwnd, id); }

private:
    void DestroyModeless() noexcept
    {
        HWND window = m_hwnd;
        if (!window || m_modal) return;
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        m_hwnd = nullptr;
        ::DestroyWindow(window);
    }

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(window, DWLP_USER));
        if (!self && message == WM_INITDIALOG) {
            self = reinterpret_cast<Dialog*>(lParam);
            if (self) {
                self->m_hwnd = window;
                ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
            }
        }
        if (!self) return FALSE;
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(window, DWLP_USER, 0);
            self->m_hwnd = nullptr;
        }
        LRESULT result = 0;
        bool handled = false;
        try {
            handled = detail::DispatchMessageMap(static_cast<Derived&>(*self), message, wParam, lParam, result);
        } catch (...) {
            ReportFailure(L"Dialog");
            return FALSE;
        }
        if (!handled) return FALSE;
        if (message == WM_INITDIALOG) return static_cast<INT_PTR>(result);
        if (result != 0) ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
        return TRUE;
    }

    HWND m_hwnd = nullptr;
    bool m_modal = false;
};

} // namespace marlin
