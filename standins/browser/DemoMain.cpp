// The demo browser: opens a window with the component at the start page (or
// the address given) and runs until its last window is closed. Every window
// runs on a thread of its own, as the browser's do; pop-ups the component
// lets through, navigations asked for in a new window and Ctrl+N open new
// windows. Alt+Left and Alt+Right go back and forward. Several processes may
// run at once on the same installation. "--screenshot FILE" saves the window
// as a bitmap after it has painted and exits, for unattended runs.
#include "BrowserFrame.h"
#include "DemoPages.h"

#include "platform/ComTypes.h"
#include "platform/Files.h"
#include "platform/UniqueHandle.h"

#include <shellapi.h>
#include <shobjidl.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

bool SaveWindowBitmap(HWND window, const std::wstring& path)
{
    RECT rect;
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    marlin::WindowDC screen(nullptr);
    marlin::unique_hdc memory(::CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    marlin::unique_hbitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap) return false;
    {
        marlin::SelectedObject selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    }
    ::GdiFlush();
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    const DWORD imageSize = stride * height;
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + imageSize;
    return marlin::ReplaceFileAtomically(path, [&](const std::wstring& temp) {
        marlin::unique_file file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        return file && ::WriteFile(file.get(), &header, sizeof(header), &written, nullptr) &&
               ::WriteFile(file.get(), &info.bmiHeader, sizeof(info.bmiHeader), &written, nullptr) &&
               ::WriteFile(file.get(), bits, imageSize, &written, nullptr);
    });
}

// The browser's message loop for a while: keys go to the band first.
void PumpFor(standin::BrowserFrame& frame, DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    MSG message;
    while (::GetTickCount() - start < milliseconds) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (frame.TranslateAccelerator(message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(10);
    }
}

// Tabs into the band (its search box takes the focus) and types `text` there
// as key presses, as a user would.
void TypeIntoBand(standin::BrowserFrame& frame, const std::wstring& text)
{
    marlin::ComPtr<IInputObject> input;
    if (!frame.Component().Band() || FAILED(frame.Component().Band()->QueryInterface(IID_PPV_ARGS(&input)))) return;
    input->UIActivateIO(TRUE, nullptr);
    for (wchar_t c : text) {
        const UINT key = LOBYTE(::VkKeyScanW(c));
        const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, scan | 1);
        ::PostMessageW(::GetFocus(), WM_KEYUP, key, scan | 0xC0000001);
        PumpFor(frame, 20);
    }
}

// The windows opened after the first, each on its own thread.
std::mutex g_windowsLock;
std::vector<std::thread> g_windows;
std::atomic<int> g_windowCount{0};

void OpenWindow(const std::wstring& url);

// Keys the browser itself uses; the band had its turn first.
bool BrowserKey(standin::BrowserFrame& frame, const MSG& message)
{
    if (message.message == WM_SYSKEYDOWN && (message.wParam == VK_LEFT || message.wParam == VK_RIGHT)) {
        if (message.wParam == VK_LEFT) {
            frame.GoBack();
        } else {
            frame.GoForward();
        }
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == 'N' && (::GetKeyState(VK_CONTROL) & 0x8000)) {
        OpenWindow(standin::kStartPage);
        return true;
    }
    return false;
}

void RunWindow(const std::wstring& url) noexcept
try {
    marlin::OleInitScope ole; // as the browser's window threads
    standin::BrowserOptions options;
    options.quitOnClose = true;
    options.openWindow = OpenWindow;
    // Each new window a little below and right of the last.
    const int offset = 40 * (g_windowCount++ % 8);
    options.position = POINT{80 + offset, 80 + offset};
    standin::BrowserFrame frame(std::move(options));
    if (!frame.Open(url)) return;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (frame.TranslateAccelerator(message)) continue;
        if (BrowserKey(frame, message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
} catch (...) {
    // Out of memory for the window's set-up: this window does not open, the others run on.
}

void OpenWindow(const std::wstring& url)
{
    std::lock_guard lock(g_windowsLock);
    g_windows.emplace_back(RunWindow, url);
}

int Screenshot(const std::wstring& path)
{
    marlin::OleInitScope ole;
    standin::BrowserOptions options;
    options.quitOnClose = true;
    standin::BrowserFrame frame(std::move(options));
    if (!frame.Open(standin::kStartPage)) return 1;
    PumpFor(frame, 1000);
    TypeIntoBand(frame, L"marlin");
    PumpFor(frame, 500);
    bool saved = SaveWindowBitmap(frame.hwnd(), path);
    const bool created = frame.Component().Created();
    frame.Close();
    return saved && created ? 0 : 2;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::wstring screenshot;
    std::wstring start = standin::kStartPage;
    for (int i = 1; argv && i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--screenshot" && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (!argument.empty() && argument[0] != L'-') {
            start = argument;
        }
    }
    if (argv) ::LocalFree(argv);
    if (!screenshot.empty()) return Screenshot(screenshot);

    RunWindow(start);
    // The process ends with its last window.
    for (;;) {
        std::thread next;
        {
            std::lock_guard lock(g_windowsLock);
            if (g_windows.empty()) break;
            next = std::move(g_windows.back());
            g_windows.pop_back();
        }
        next.join();
    }
    return 0;
}
