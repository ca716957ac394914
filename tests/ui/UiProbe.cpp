// Reads the state of another process's windows for the end-to-end tests:
// where a window or a toolbar button is on the screen, a window's text, a
// list box's entries. Toolbar messages carry pointers, so their answers are
// read through memory in the target process. Prints one line per answer and
// exits 1 when nothing matched.
//
//   probe rect TITLE CLASS [N]     screen rectangle "x y w h" of the Nth window of CLASS
//   probe named TITLE TEXT         screen rectangle of the window whose text is TEXT
//   probe text TITLE CLASS [N]     the window's text
//   probe buttons TITLE            every toolbar button: "caption|x y w h|state"
//   probe items TITLE CLASS        a list box's entries, one a line
//   probe close TITLE              asks every matching top-level window to close
//
// TITLE is part of a visible top-level window's title; "*" is any.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

std::wstring TextOf(HWND window)
{
    wchar_t text[1024] = {};
    ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

void Print(const std::wstring& line)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size - 1 : 0, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    std::printf("%s\n", bytes.c_str());
}

std::wstring RectText(RECT rect)
{
    return std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
           std::to_wstring(rect.right - rect.left) + L" " + std::to_wstring(rect.bottom - rect.top);
}

// The visible windows under the matching top-level windows, parents first.
std::vector<HWND> Descendants(const std::wstring& title)
{
    std::vector<HWND> tops;
    ::EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
            if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tops));
    std::vector<HWND> all;
    for (HWND top : tops) {
        if (title != L"*" && TextOf(top).find(title) == std::wstring::npos) continue;
        all.push_back(top);
        ::EnumChildWindows(
            top,
            [](HWND window, LPARAM list) -> BOOL {
                if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&all));
    }
    return all;
}

// A block of memory in the process that owns `window`.
class RemoteBlock {
public:
    RemoteBlock(HWND window, size_t size) : m_size(size)
    {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        m_process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process) m_address = ::VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBlock()
    {
        if (m_address) ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process) ::CloseHandle(m_process);
    }
    LPARAM Address() const { return reinterpret_cast<LPARAM>(m_address); }
    bool Read(void* out, size_t size) const
    {
        return m_address && ::ReadProcessMemory(m_process, m_address, out, std::min(size, m_size), nullptr);
    }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
    size_t m_size;
};

bool ListButtons(HWND toolbar)
{
    const auto count = ::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0);
    if (count <= 0) return false;
    RemoteBlock block(toolbar, 4096);
    bool any = false;
    for (LRESULT i = 0; i < count; ++i) {
        TBBUTTON button{};
        if (!::SendMessageW(toolbar, TB_GETBUTTON, i, block.Address()) || !block.Read(&button, sizeof(button))) continue;
        if (button.fsStyle & BTNS_SEP) continue;
        wchar_t caption[1024] = {};
        const auto length = ::SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, block.Address());
        if (length > 0 && length < 1000) block.Read(caption, (length + 1) * sizeof(wchar_t));
        RECT rect{};
        if (!::SendMessageW(toolbar, TB_GETITEMRECT, i, block.Address()) || !block.Read(&rect, sizeof(rect))) continue;
        ::MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        Print(std::wstring(caption) + L"|" + RectText(rect) + L"|" +
              ((button.fsState & TBSTATE_HIDDEN) ? L"hidden" : L"shown") + L"|" + std::to_wstring(button.idCommand));
        any = true;
    }
    return any;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) return 2;
    const std::wstring command = argv[1];
    const std::wstring title = argv[2];
    const std::wstring what = argc > 3 ? argv[3] : L"";
    int wanted = argc > 4 ? _wtoi(argv[4]) : 0;
    bool found = false;
    if (command == L"close") {
        for (HWND window : Descendants(title)) {
            if (::GetParent(window) || ::GetWindow(window, GW_OWNER)) continue;
            ::PostMessageW(window, WM_CLOSE, 0, 0);
            found = true;
        }
        return found ? 0 : 1;
    }
    for (HWND window : Descendants(title)) {
        const std::wstring className = ClassOf(window);
        if (command == L"buttons") {
            if (className == TOOLBARCLASSNAMEW || className == L"MarlinToolbarCtrl") found = ListButtons(window) || found;
            continue;
        }
        if (command == L"named") {
            if (TextOf(window) != what) continue;
        } else if (className != what || wanted-- > 0) {
            continue;
        }
        RECT rect{};
        ::GetWindowRect(window, &rect);
        if (command == L"rect" || command == L"named") {
            Print(RectText(rect));
        } else if (command == L"text") {
            Print(TextOf(window));
        } else if (command == L"items") {
            const auto count = ::SendMessageW(window, LB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < count; ++i) {
                wchar_t item[1024] = {};
                if (::SendMessageW(window, LB_GETTEXTLEN, i, 0) < 1000) {
                    ::SendMessageW(window, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
                }
                Print(item);
            }
        }
        found = true;
        break;
    }
    std::fflush(stdout);
    return found ? 0 : 1;
}
