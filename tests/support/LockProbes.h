#pragma once
// File locks seen from other threads (a thread can always take again the
// mutex it holds): one held while the object lives, and a window titled as the
// plug-in API host's that notes what it was sent and whether a file's lock was
// free at each message.
#include "platform/Files.h"
#include "platform/Strings.h"

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
        s_received.clear();
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
    // What was sent, a line each: the sender, the number, the bytes beyond the text's characters, the text.
    static std::string Received() { return s_received; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message != WM_COPYDATA) return ::DefWindowProcW(window, message, wParam, lParam);
        std::thread([] { s_lockFree.push_back(CrossProcessLock(s_path, 0).held()); }).join();
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const std::wstring text(static_cast<const wchar_t*>(copy->lpData), copy->cbData / sizeof(wchar_t));
        s_received += ToUtf8(Format(L"%u %u %u ", static_cast<unsigned>(wParam), static_cast<unsigned>(copy->dwData),
                                    static_cast<unsigned>(copy->cbData - text.size() * 2)) + text) + "\r\n";
        return TRUE;
    }
    static inline std::wstring s_path;
    static inline std::vector<bool> s_lockFree;
    static inline std::string s_received;
    unique_hwnd m_window;
};

} // namespace marlin::test
