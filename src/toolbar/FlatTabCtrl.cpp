#include "FlatTabCtrl.h"

#include "config/Messages.h"
#include "document/ToolbarOperations.h"
#include "platform/Environment.h"
#include "platform/Module.h"

#include <algorithm>
#include <cwctype>
#include <numeric>

namespace marlin {

namespace tabs {

int TabWidth(const std::wstring& name, int textWidth) noexcept
{
    const bool digit = std::ranges::any_of(name, [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    return textWidth + 15 + (digit ? 4 : 0);
}

size_t ScrollToShow(const std::vector<int>& widths, size_t first, size_t selected, int stripWidth) noexcept
{
    if (selected >= widths.size()) return std::min(first, widths.empty() ? 0 : widths.size() - 1);
    if (selected < first) return selected;
    // Move right, a whole tab at a time, until the selected tab's right edge is in view.
    for (;; ++first) {
        int right = kFirstTabLeft;
        for (size_t i = first; i <= selected; ++i) right += widths[i] + kTabGap;
        if (right <= stripWidth || first == selected) return first;
    }
}

} // namespace tabs

namespace {

COLORREF Blend(COLORREF a, COLORREF b) noexcept
{
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

constexpr wchar_t kAddToolbarTab[] = L"Add Toolbar";
constexpr wchar_t kAddTabTab[] = L"Add Tab";

} // namespace

HWND CFlatTabCtrl::CreateIn(HWND parent, const RECT& rect)
{
    return Create(parent, rect, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, kControlId);
}

void CFlatTabCtrl::BuildTabs(const std::vector<std::wstring>& names, bool signedIn)
{
    m_tabs.clear();
    for (const std::wstring& name : names) m_tabs.push_back(Tab{name, {}});
    m_tabs.push_back(Tab{signedIn ? kAddToolbarTab : kAddTabTab, {}});
    m_hover = -1;
    m_selected = std::clamp(m_selected, 0, PseudoTab());
    LayoutTabs();
}

void CFlatTabCtrl::SelectTab(int index)
{
    if (index < 0 || index >= TabCount()) return;
    m_selected = index;
    LayoutTabs();
}

void CFlatTabCtrl::SetLook(const TabStripLook& look)
{
    m_look = look;
    if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

int CFlatTabCtrl::PreferredWidth() const noexcept
{
    return std::accumulate(m_widths.begin(), m_widths.end(), tabs::kFirstTabLeft,
                           [](int sum, int width) { return sum + width + tabs::kTabGap; });
}

bool CFlatTabCtrl::ArrowsShown() const noexcept
{
    RECT client{};
    return hwnd() && ::GetClientRect(hwnd(), &client) && PreferredWidth() > client.right;
}

int CFlatTabCtrl::HitTest(POINT point) const noexcept
{
    if (point.y < 0 || point.y >= tabs::kStripHeight) return -1;
    RECT client{};
    if (hwnd()) ::GetClientRect(hwnd(), &client);
    if (ArrowsShown() && point.x >= client.right - tabs::kArrowsWidth) return -1;
    for (int index = static_cast<int>(m_first); index < TabCount(); ++index) {
        const RECT& rect = m_tabs[index].rect;
        if (point.x >= rect.left && point.x < rect.right && point.y < rect.bottom) return index;
    }
    return -1;
}

void CFlatTabCtrl::LayoutTabs()
{
    m_widths.clear();
    if (hwnd()) {
        const unique_hdc screen(::CreateCompatibleDC(nullptr));
        const SelectedObject font(screen.get(), m_font ? m_font.get() : ::GetStockObject(DEFAULT_GUI_FONT));
        for (const Tab& tab : m_tabs) {
            SIZE text{};
            ::GetTextExtentPoint32W(screen.get(), tab.name.c_str(), static_cast<int>(tab.name.size()), &text);
            m_widths.push_back(tabs::TabWidth(tab.name, text.cx));
        }
    } else {
        m_widths.assign(m_tabs.size(), 15);
    }
    RECT client{};
    if (hwnd()) ::GetClientRect(hwnd(), &client);
    const int room = client.right - (PreferredWidth() > client.right ? tabs::kArrowsWidth : 0);
    m_first = PreferredWidth() > client.right
                  ? tabs::ScrollToShow(m_widths, m_first, static_cast<size_t>(m_selected), room)
                  : 0;
    int left = tabs::kFirstTabLeft;
    for (size_t i = 0; i < m_tabs.size(); ++i) {
        if (i < m_first) {
            m_tabs[i].rect = RECT{};
            continue;
        }
        m_tabs[i].rect = RECT{left, 0, left + m_widths[i], tabs::kTabHeight};
        left += m_widths[i] + tabs::kTabGap;
    }
    if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void CFlatTabCtrl::Scroll(int step)
{
    if (m_tabs.empty()) return;
    const long next = static_cast<long>(m_first) + step;
    m_first = static_cast<size_t>(std::clamp<long>(next, 0, static_cast<long>(m_tabs.size()) - 1));
    int left = tabs::kFirstTabLeft;
    for (size_t i = 0; i < m_tabs.size(); ++i) {
        m_tabs[i].rect = i < m_first ? RECT{} : RECT{left, 0, left + m_widths[i], tabs::kTabHeight};
        if (i >= m_first) left += m_widths[i] + tabs::kTabGap;
    }
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void CFlatTabCtrl::Paint(HDC target, const RECT& client) const
{
    // Painted off-screen and copied in one step: no flicker while tabs move.
    const unique_hdc dc(::CreateCompatibleDC(target));
    const unique_hbitmap canvas(::CreateCompatibleBitmap(target, client.right, client.bottom));
    if (!dc || !canvas) return;
    const SelectedObject canvasSelected(dc.get(), canvas.get());

    const unique_hbrush builtIn(m_look.background ? nullptr : ::CreateSolidBrush(kBuiltInStripBackground));
    ::FillRect(dc.get(), &client, m_look.background ? m_look.background : builtIn.get());

    const unique_hpen line(::CreatePen(PS_SOLID, 1, m_look.tabLine));
    const unique_hbrush fill(::CreateSolidBrush(m_look.tabFill));
    const unique_hbrush hoverFill(::CreateSolidBrush(Blend(m_look.tabFill, RGB(255, 255, 255))));
    const SelectedObject pen(dc.get(), line.get());
    const SelectedObject font(dc.get(), m_font ? m_font.get() : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc.get(), TRANSPARENT);
    ::SetTextColor(dc.get(), m_look.text);

    const int room = client.right - (ArrowsShown() ? tabs::kArrowsWidth : 0);
    for (int index = static_cast<int>(m_first); index < TabCount(); ++index) {
        const RECT& r = m_tabs[index].rect;
        if (r.left >= room) break;
        // A rectangle whose two upper corners are cut by 2-pixel bevels.
        const POINT corners[] = {{r.left + 2, r.top}, {r.left, 2},          {r.left, r.bottom},
                                 {r.right, r.bottom},  {r.right, 2}, {r.right - 2, r.top}};
        const SelectedObject brush(dc.get(), index == m_hover ? hoverFill.get() : fill.get());
        ::Polygon(dc.get(), corners, static_cast<int>(std::size(corners)));
        const std::wstring& name = m_tabs[index].name;
        ::TextOutW(dc.get(), r.left + 6, r.top + 2, name.c_str(), static_cast<int>(name.size()));
    }

    // The base line stays open under the selected tab, which so joins the row below.
    const RECT selected = m_selected >= static_cast<int>(m_first) && m_selected < TabCount() ? m_tabs[m_selected].rect : RECT{};
    const int baseLine = tabs::kTabHeight;
    if (selected.right > selected.left) {
        ::MoveToEx(dc.get(), 0, baseLine, nullptr);
        ::LineTo(dc.get(), selected.left + 1, baseLine);
        ::MoveToEx(dc.get(), selected.right, baseLine, nullptr);
        ::LineTo(dc.get(), client.right, baseLine);
    } else {
        ::MoveToEx(dc.get(), 0, baseLine, nullptr);
        ::LineTo(dc.get(), client.right, baseLine);
    }
    const unique_hpen tabPen(::CreatePen(PS_SOLID, 1, m_look.tabFill));
    {
        const SelectedObject second(dc.get(), tabPen.get());
        ::MoveToEx(dc.get(), 0, baseLine + 2, nullptr);
        ::LineTo(dc.get(), client.right, baseLine + 2);
    }

    if (ArrowsShown()) {
        // Two small triangles: scroll left, scroll right.
        const SelectedObject brush(dc.get(), fill.get());
        const int left = client.right - tabs::kArrowsWidth, middle = tabs::kTabHeight / 2;
        const POINT back[] = {{left + 8, middle - 4}, {left + 8, middle + 4}, {left + 3, middle}};
        const POINT forward[] = {{left + 15, middle - 4}, {left + 15, middle + 4}, {left + 20, middle}};
        ::Polygon(dc.get(), back, 3);
        ::Polygon(dc.get(), forward, 3);
    }
    ::BitBlt(target, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
}

LRESULT CFlatTabCtrl::OnPaint(WPARAM, LPARAM, bool&)
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd(), &ps);
    if (dc) {
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        if (client.right > 0 && client.bottom > 0) Paint(dc, client);
    }
    ::EndPaint(hwnd(), &ps);
    return 0;
}

LRESULT CFlatTabCtrl::OnLeftButtonDown(WPARAM, LPARAM lParam, bool&)
{
    const POINT point = PointFromLParam(lParam);
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    if (ArrowsShown() && point.x >= client.right - tabs::kArrowsWidth) {
        Scroll(point.x < client.right - tabs::kArrowsWidth / 2 ? -1 : 1);
        return 0;
    }
    const int index = HitTest(point);
    if (index < 0) return 0;
    if (index == PseudoTab()) {
        if (!m_host.TabStripSignedIn()) {
            m_host.SignInFromTabStrip();
            return 0;
        }
        const std::optional<std::wstring> name = m_host.AskToolbarName(false, {});
        if (name && CToolbarOperations().AddToolbarFromTabStrip(*name)) m_host.ToolbarsEdited();
        return 0;
    }
    SelectTab(index);
    NMHDR header{hwnd(), kControlId, static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageW(::GetParent(hwnd()), WM_NOTIFY, kControlId, reinterpret_cast<LPARAM>(&header));
    return 0;
}

LRESULT CFlatTabCtrl::OnRightButtonDown(WPARAM, LPARAM lParam, bool&)
{
    if (!m_host.TabStripSignedIn()) return 0;
    const int index = HitTest(PointFromLParam(lParam));
    if (index < 0) return 0;
    if (index != PseudoTab()) {
        m_host.ActivateToolbar(index);
        SelectTab(index);
    }
    unique_hmenu menu(::LoadMenuW(ModuleInstance(), MAKEINTRESOURCEW(kMenuResource)));
    HMENU popup = menu ? ::GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return 0;
    const bool fixed = index == 0 || index == PseudoTab();
    const bool hasPlugin = !fixed && m_host.ToolbarHasPluginButton(index);
    ::EnableMenuItem(popup, kDeleteCommand, MF_BYCOMMAND | (fixed || hasPlugin ? MF_GRAYED : MF_ENABLED));
    ::EnableMenuItem(popup, kPropertiesCommand, MF_BYCOMMAND | (fixed ? MF_GRAYED : MF_ENABLED));
    POINT cursor{};
    ::GetCursorPos(&cursor);
    m_menuTab = index;
    const UINT chosen = Env().TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, hwnd());
    if (chosen) RunTabCommand(chosen, index);
    m_menuTab = -1;
    return 0;
}

void CFlatTabCtrl::RunTabCommand(UINT command, int index)
{
    if (index <= 0 || index >= PseudoTab()) return;
    const std::wstring name = m_tabs[index].name;
    if (command == kDeleteCommand) {
        if (m_host.ToolbarHasPluginButton(index)) return;
        if (Env().ShowMessageBox(hwnd(), CToolbarOperations::RemoveTabQuestion(name), kCaption,
                                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
            return;
        }
        if (CToolbarOperations().RemoveToolbar(index)) m_host.ToolbarsEdited();
        m_host.FocusSearch();
    } else if (command == kPropertiesCommand) {
        const std::optional<std::wstring> renamed = m_host.AskToolbarName(true, name);
        if (renamed && CToolbarOperations().RenameToolbar(index + 1, *renamed)) m_host.ToolbarsEdited();
        m_host.FocusSearch();
    }
    // "Change Icon" means nothing for a tab.
}

LRESULT CFlatTabCtrl::OnCommand(WPARAM wParam, LPARAM, bool&)
{
    if (m_menuTab >= 0) RunTabCommand(LOWORD(wParam), m_menuTab);
    return 0;
}

LRESULT CFlatTabCtrl::OnMenuCommand(WPARAM wParam, LPARAM lParam, bool&)
{
    if (m_menuTab >= 0) RunTabCommand(::GetMenuItemID(reinterpret_cast<HMENU>(lParam), static_cast<int>(wParam)), m_menuTab);
    return 0;
}

LRESULT CFlatTabCtrl::OnSize(WPARAM, LPARAM, bool&)
{
    NONCLIENTMETRICSW metrics{sizeof(metrics)};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        metrics.lfMessageFont.lfHeight = -11;
        m_font.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    }
    LayoutTabs();
    return 0;
}

LRESULT CFlatTabCtrl::OnCreate(WPARAM, LPARAM, bool&)
{
    LayoutTabs();
    return 0;
}

LRESULT CFlatTabCtrl::OnMouseMove(WPARAM, LPARAM, bool&)
{
    if (!m_tracking) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, hwnd(), 100};
        m_tracking = ::TrackMouseEvent(&track) != FALSE;
    }
    return 0;
}

LRESULT CFlatTabCtrl::OnMouseLeave(WPARAM, LPARAM, bool&)
{
    m_tracking = false;
    if (m_hover != -1) {
        m_hover = -1;
        ::InvalidateRect(hwnd(), nullptr, FALSE);
    }
    return 0;
}

LRESULT CFlatTabCtrl::OnMouseHover(WPARAM, LPARAM lParam, bool&)
{
    m_tracking = false; // hover ends the tracking: the next move starts it again
    const int index = HitTest(PointFromLParam(lParam));
    if (index != m_hover) {
        m_hover = index;
        ::InvalidateRect(hwnd(), nullptr, FALSE);
    }
    return 0;
}

LRESULT CFlatTabCtrl::OnEraseBackground(WPARAM, LPARAM, bool&) { return 1; }

LRESULT CFlatTabCtrl::OnGetCurrentSelection(WPARAM, LPARAM, bool&) { return m_selected; }

LRESULT CFlatTabCtrl::OnMouseWheel(WPARAM wParam, LPARAM, bool&)
{
    if (ArrowsShown()) Scroll(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -1 : 1);
    return 0;
}

} // namespace marlin
