#include "ListboxHolder.h"

#include "SearchBox.h"

#include <commctrl.h>

namespace marlin {

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr int kMaxEntryChars = 260;

} // namespace

void CTransparentStatic::Attach(HWND label) noexcept
{
    Detach();
    if (!label) return;
    m_font.reset(::CreateFontW(8, 6, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
    if (::SetWindowSubclass(label, &CTransparentStatic::Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        m_hwnd = label;
    }
}

void CTransparentStatic::Detach() noexcept
{
    if (m_hwnd) ::RemoveWindowSubclass(m_hwnd, &CTransparentStatic::Procedure, kSubclassId);
    m_hwnd = nullptr;
}

void CTransparentStatic::Paint() noexcept
{
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(m_hwnd, &paint);
    if (!dc) return;
    wchar_t text[64] = {};
    const int length = ::GetWindowTextW(m_hwnd, text, 64);
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    SelectedObject font(dc, m_font ? m_font.get() : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, CListboxHolder::kLabelColour);
    ::DrawTextW(dc, text, length, &client, DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_NOPREFIX);
    ::EndPaint(m_hwnd, &paint);
}

LRESULT CALLBACK CTransparentStatic::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR data) noexcept
{
    auto* self = reinterpret_cast<CTransparentStatic*>(data);
    switch (message) {
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        self->Paint();
        return 0;
    case WM_NCDESTROY:
        self->Detach();
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

HWND CListboxHolder::Create(HWND owner)
{
    if (hwnd()) return hwnd();
    CreateModeless(owner);
    return hwnd();
}

LRESULT CListboxHolder::OnInitDialog(WPARAM, LPARAM, bool&)
{
    m_list = Item(IDC_SEARCH_HISTORY_LIST);
    m_label.Attach(Item(IDC_SEARCH_CLEAR_HISTORY));
    if (m_list) ::SetWindowSubclass(m_list, &CListboxHolder::ListProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    return FALSE;
}

void CListboxHolder::Fill(const std::vector<std::wstring>& entries)
{
    if (!m_list) return;
    ::SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
    // Inserted at the end, not added: the sorted list would reorder them.
    for (const std::wstring& entry : entries) {
        ::SendMessageW(m_list, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.c_str()));
    }
    ::SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_list, nullptr, TRUE);
}

void CListboxHolder::AddSorted(const std::wstring& entry)
{
    if (m_list) ::SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
}

std::vector<std::wstring> CListboxHolder::Entries() const
{
    std::vector<std::wstring> entries;
    const int count = m_list ? static_cast<int>(::SendMessageW(m_list, LB_GETCOUNT, 0, 0)) : 0;
    for (int index = 0; index < count; ++index) {
        const auto length = ::SendMessageW(m_list, LB_GETTEXTLEN, index, 0);
        std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
        const auto got = ::SendMessageW(m_list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        text.resize(got > 0 ? static_cast<size_t>(got) : 0);
        entries.push_back(std::move(text));
    }
    return entries;
}

std::wstring CListboxHolder::SelectedText() const
{
    if (!m_list) return {};
    const auto selected = ::SendMessageW(m_list, LB_GETCURSEL, 0, 0);
    if (selected < 0) return {};
    const auto length = ::SendMessageW(m_list, LB_GETTEXTLEN, selected, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto got = ::SendMessageW(m_list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    if (text.size() > kMaxEntryChars) text.resize(kMaxEntryChars);
    return text;
}

void CListboxHolder::ShowLabel(bool show) noexcept
{
    if (HWND label = Label()) {
        ::ShowWindow(label, show ? SW_SHOW : SW_HIDE);
        ::EnableWindow(label, show);
    }
}

void CListboxHolder::ShowAt(const RECT& screen, Mode mode) noexcept
{
    if (!hwnd()) return;
    m_mode = mode;
    ::SetWindowPos(hwnd(), HWND_TOP, screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top,
                   SWP_NOACTIVATE);
    if (mode == Mode::Suggestions) {
        ::SendMessageW(m_list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
        return;
    }
    ::ShowWindow(hwnd(), SW_SHOW);
    ::SetFocus(m_list);
}

void CListboxHolder::Hide() noexcept
{
    if (hwnd()) ::ShowWindow(hwnd(), SW_HIDE);
    m_mode = Mode::History;
}

LRESULT CListboxHolder::OnCommand(WPARAM wParam, LPARAM lParam, bool& handled)
{
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from && from == m_list && CommandCode(wParam) == LBN_SELCHANGE) {
        m_box.OnDropDownSelection(m_keyboardSelection);
        return 0;
    }
    if (from && from == Label() && CommandCode(wParam) == STN_CLICKED) {
        m_box.ClearHistory();
        return 0;
    }
    handled = false;
    return 0;
}

LRESULT CListboxHolder::OnCtlColorDialog(WPARAM, LPARAM, bool&)
{
    return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
}

LRESULT CListboxHolder::OnCtlColorStatic(WPARAM wParam, LPARAM, bool&)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kLabelColour);
    return reinterpret_cast<LRESULT>(::GetStockObject(HOLLOW_BRUSH));
}

LRESULT CListboxHolder::OnSetFocus(WPARAM, LPARAM, bool&)
{
    if (m_mode == Mode::History && m_list) ::SetFocus(m_list);
    return 0;
}

LRESULT CListboxHolder::OnNcLeftButtonDown(WPARAM, LPARAM, bool&) { return 0; }

LRESULT CListboxHolder::OnMouseActivate(WPARAM, LPARAM, bool& handled)
{
    // Suggestions leave the focus in the edit box: a click chooses without activating.
    if (m_mode == Mode::Suggestions) return MA_NOACTIVATE;
    handled = false;
    return 0;
}

LRESULT CALLBACK CListboxHolder::ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR data) noexcept
{
    auto* self = reinterpret_cast<CListboxHolder*>(data);
    switch (message) {
    case WM_KEYDOWN: {
        self->m_keyboardSelection = true;
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        self->m_keyboardSelection = false;
        return result;
    }
    case WM_KILLFOCUS:
        self->m_box.OnFocusLeft(reinterpret_cast<HWND>(wParam), true);
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(window, &CListboxHolder::ListProcedure, kSubclassId);
        self->m_list = nullptr;
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

} // namespace marlin
