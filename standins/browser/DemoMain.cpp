// The demo browser: opens a frame with the component, navigates to the start
// page and runs until closed. "--screenshot FILE" saves the window as a bitmap
// after it has painted and exits, for unattended runs.
#include "BrowserFrame.h"

#include "platform/ComTypes.h"
#include "platform/Files.h"
#include "platform/UniqueHandle.h"

#include <shellapi.h>
#include <shobjidl.h>

#include <string>
#include <utility>

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

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::wstring screenshot;
    for (int i = 1; argv && i + 1 < argc; ++i) {
        if (std::wstring(argv[i]) == L"--screenshot") screenshot = argv[i + 1];
    }
    if (argv) ::LocalFree(argv);

    marlin::OleInitScope ole; // as the browser's window threads
    standin::BrowserOptions options;
    options.quitOnClose = true;
    standin::BrowserFrame frame(std::move(options));
    if (!frame.Open(L"http://www.marlintoolbar.example/")) return 1;

    if (!screenshot.empty()) {
        PumpFor(frame, 1000);
        TypeIntoBand(frame, L"marlin");
        PumpFor(frame, 500);
        bool saved = SaveWindowBitmap(frame.hwnd(), screenshot);
        const bool created = frame.Component().Created();
        frame.Close();
        return saved && created ? 0 : 2;
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (frame.TranslateAccelerator(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
