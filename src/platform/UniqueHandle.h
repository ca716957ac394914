#pragma once
// Move-only owners for Win32 handles: one template, one alias per handle type.
#include "Win32.h"

#include <utility>

namespace marlin {

template <typename Traits>
class UniqueHandle {
public:
    using pointer = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(pointer value) noexcept : m_value(value) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_value(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    pointer get() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return m_value != Traits::Invalid(); }

    // Frees the current handle before handing out the address to fill.
    pointer* put() noexcept
    {
        reset();
        return &m_value;
    }

    pointer release() noexcept { return std::exchange(m_value, Traits::Invalid()); }

    void reset(pointer value = Traits::Invalid()) noexcept
    {
        pointer old = std::exchange(m_value, value);
        if (old != Traits::Invalid()) {
            Traits::Close(old);
        }
    }

private:
    pointer m_value = Traits::Invalid();
};

template <typename T, auto CloseFunction>
struct NullHandleTraits {
    using Type = T;
    static T Invalid() noexcept { return nullptr; }
    static void Close(T value) noexcept { CloseFunction(value); }
};

struct FileHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE value) noexcept { ::CloseHandle(value); }
};

inline void CloseFindHandle(HANDLE value) noexcept { ::FindClose(value); }
struct FindHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE value) noexcept { CloseFindHandle(value); }
};

using unique_handle = UniqueHandle<NullHandleTraits<HANDLE, &::CloseHandle>>;
using unique_file = UniqueHandle<FileHandleTraits>;
using unique_find = UniqueHandle<FindHandleTraits>;
using unique_hkey = UniqueHandle<NullHandleTraits<HKEY, &::RegCloseKey>>;
using unique_hmodule = UniqueHandle<NullHandleTraits<HMODULE, &::FreeLibrary>>;
using unique_hicon = UniqueHandle<NullHandleTraits<HICON, &::DestroyIcon>>;
using unique_hcursor = UniqueHandle<NullHandleTraits<HCURSOR, &::DestroyCursor>>;
using unique_hbitmap = UniqueHandle<NullHandleTraits<HBITMAP, &::DeleteObject>>;
using unique_hfont = UniqueHandle<NullHandleTraits<HFONT, &::DeleteObject>>;
using unique_hbrush = UniqueHandle<NullHandleTraits<HBRUSH, &::DeleteObject>>;
using unique_hpen = UniqueHandle<NullHandleTraits<HPEN, &::DeleteObject>>;
using unique_hmenu = UniqueHandle<NullHandleTraits<HMENU, &::DestroyMenu>>;
using unique_himagelist = UniqueHandle<NullHandleTraits<HIMAGELIST, &::ImageList_Destroy>>;
using unique_hwnd = UniqueHandle<NullHandleTraits<HWND, &::DestroyWindow>>;
using unique_hhook = UniqueHandle<NullHandleTraits<HHOOK, &::UnhookWindowsHookEx>>;
using unique_hdc = UniqueHandle<NullHandleTraits<HDC, &::DeleteDC>>;

// Memory handed out by COM (CoTaskMemAlloc), for example a path from a shell query.
template <typename T>
struct CoTaskMemTraits {
    using Type = T*;
    static T* Invalid() noexcept { return nullptr; }
    static void Close(T* value) noexcept { ::CoTaskMemFree(value); }
};
using unique_cotaskmem_string = UniqueHandle<CoTaskMemTraits<wchar_t>>;

// Runs a callable when the scope ends; for one-off clean-ups.
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) noexcept : m_f(std::move(f)) {}
    ~ScopeExit() { if (m_active) m_f(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void Dismiss() noexcept { m_active = false; }

private:
    F m_f;
    bool m_active = true;
};

// A window DC released at the end of the scope.
class WindowDC {
public:
    explicit WindowDC(HWND window) noexcept : m_window(window), m_dc(::GetDC(window)) {}
    ~WindowDC() { if (m_dc) ::ReleaseDC(m_window, m_dc); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const noexcept { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// Selects a GDI object into a DC and puts the old one back at the end of the scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~SelectedObject() { if (m_old) ::SelectObject(m_dc, m_old); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace marlin
