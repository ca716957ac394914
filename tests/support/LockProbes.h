#pragma once
// File locks seen from other threads (a thread can always take again the
// mutex it holds): one held while the object lives, and a window titled as the
// plug-in API host's that notes whether a file's lock was free at each message.
#include "platform/Files.h"

#include <algorithm>
#include <future>
#include <thread>
#include <vector>

namespace marlin::test {

class HeldLock {
public:
    explicit HeldLock(const std::wstring& path)
        : m_holder([this, path] {
              CrossProcessLock lock(path);
              m_taken.set_value();
              m_release.get_future().wait();
          })
    {
        m_taken.get_future().wait();
    }
    ~HeldLock()
    {
        m_release.set_value();
        m_holder.join();
    }

private:
    std::promise<void> m_taken, m_release;
    std::thread m_holder; // last: starts once the promises exist
};

class FakeApiHost {
public:
    explicit FakeApiHost(const std::wstring& guardedPath)
    {
        s_path = guardedPath;
        s_lockFree.clear();
        WNDCLASSW windowClass{0, &Proc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"MarlinFakeApiHost"};
        ::RegisterClassW(&windowClass);
        m_window.reset(::CreateWindowExW(0, windowClass.lpszClassName, L"MarlinToolbarAPI", 0, 0, 0, 1, 1, nullptr,
                                         nullptr, nullptr, nullptr));
    }
    // Something was sent, and never while the lock was held.
    static bool SentOnlyWithTheLockFree()
    {
        return !s_lockFree.empty() && std::find(s_lockFree.begin(), s_lockFree.end(), false) == s_lockFree.end();
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message != WM_COPYDATA) return ::DefWindowProcW(window, message, wParam, lParam);
        std::thread([] { s_lockFree.push_back(CrossProcessLock(s_path, 0).held()); }).join();
        return TRUE;
    }
    static inline std::wstring s_path;
    static inline std::vector<bool> s_lockFree;
    unique_hwnd m_window;
};

} // namespace marlin::test
