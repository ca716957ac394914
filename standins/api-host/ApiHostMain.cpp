// MarlinToolbarAPI.exe stand-in: a window titled "MarlinToolbarAPI" that takes
// the component's WM_COPYDATA notices and appends each text, verbatim, as one
// line to MarlinToolbarAPI.log beside the program. It does nothing else.
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <string>

namespace {

std::wstring LogPath()
{
    wchar_t path[MAX_PATH * 2] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring result(path, length);
    size_t slash = result.find_last_of(L'\\');
    return (slash == std::wstring::npos ? std::wstring() : result.substr(0, slash + 1)) + L"MarlinToolbarAPI.log";
}

void AppendLine(const std::wstring& text)
{
    std::wstring line = text + L"\r\n";
    int size = ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size, nullptr, nullptr);
    HANDLE file = ::CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!data || !data->lpData) return FALSE;
        // The sender counts the first byte of the terminating null; whole
        // characters only, and no terminator in the line.
        std::wstring text(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        AppendLine(text);
        return TRUE;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"MarlinToolbarAPIHostWindow";
    if (!::RegisterClassW(&wc)) return 1;
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"MarlinToolbarAPI", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 320, 120, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
