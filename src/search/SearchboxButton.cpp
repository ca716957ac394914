#include "SearchboxButton.h"

#include "SearchBox.h"
#include "platform/Environment.h"
#include "platform/Module.h"

#include "resources/resource.h"

#include <utility>

namespace marlin {

namespace {

unique_hbitmap LoadPicture(const std::wstring& path)
{
    // A picture file that lies about its size loads as none: the button paints its face.
    return path.empty() ? unique_hbitmap() : LoadTransparentBitmapFile(path, kSearchPictureLimits);
}

SIZE PictureSize(HBITMAP picture) noexcept
{
    BITMAP info{};
    ::GetObjectW(picture, sizeof(info), &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

void DrawPicture(HDC dc, HDC memory, HBITMAP picture, const RECT& to, bool stretch) noexcept
{
    const SIZE size = PictureSize(picture);
    SelectedObject selected(memory, picture);
    if (stretch) {
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, memory, 0, 0, size.cx, size.cy,
                     SRCCOPY);
    } else {
        ::BitBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, memory, 0, 0, SRCCOPY);
    }
}

} // namespace

HWND CSearchboxButton::CreateIn(HWND parent, const RECT& rect)
{
    return Create(parent, rect, L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0,
                  m_kind == kHistory ? 1 : 2);
}

void CSearchboxButton::LoadPictures(const std::wstring& normal, const std::wstring& pressed,
                                    const std::wstring& hover, const std::wstring& arrow)
{
    m_normal = LoadPicture(normal);
    // The engine button shows its hover picture while pressed.
    m_pendingPressed = m_kind == kEngine ? std::wstring() : pressed;
    m_pendingHover = hover;
    m_pressedPicture.reset();
    m_hover.reset();
    if (!arrow.empty() && !m_arrow) m_arrow = LoadPicture(arrow);
    Repaint();
}

void CSearchboxButton::LoadPendingPictures()
{
    if (!m_pendingHover.empty()) m_hover = LoadPicture(std::exchange(m_pendingHover, {}));
    if (!m_pendingPressed.empty()) m_pressedPicture = LoadPicture(std::exchange(m_pendingPressed, {}));
}

void CSearchboxButton::Draw(const DRAWITEMSTRUCT& draw) noexcept
{
    const RECT rect = draw.rcItem;
    HBITMAP picture = nullptr;
    if (m_pressed) {
        picture = m_kind == kEngine ? m_hover.get() : m_pressedPicture.get();
    } else {
        picture = m_hot && m_hover ? m_hover.get() : m_normal.get();
    }
    HBRUSH face = ::GetSysColorBrush(COLOR_BTNFACE);
    unique_hdc memory(::CreateCompatibleDC(draw.hDC));
    if (m_kind == kHistory) {
        if (picture && memory) DrawPicture(draw.hDC, memory.get(), picture, rect, true);
        else ::FillRect(draw.hDC, &rect, face);
        return;
    }
    RECT engine = rect;
    engine.right = std::max(rect.left, rect.right - kArrowWidth);
    RECT arrow{engine.right, rect.top, rect.right, rect.bottom};
    if (picture && memory) DrawPicture(draw.hDC, memory.get(), picture, engine, true);
    else ::FillRect(draw.hDC, &engine, face);
    if (m_arrow && memory) DrawPicture(draw.hDC, memory.get(), m_arrow.get(), arrow, false);
    else ::FillRect(draw.hDC, &arrow, face);
}

void CSearchboxButton::TrackLeave(bool track) noexcept
{
    TRACKMOUSEEVENT request{sizeof(request), static_cast<DWORD>(TME_LEAVE | (track ? 0 : TME_CANCEL)), hwnd(), 0};
    ::TrackMouseEvent(&request);
}

LRESULT CSearchboxButton::OnMouseMove(WPARAM, LPARAM lParam, bool&)
{
    LoadPendingPictures();
    if (!m_hot) {
        TrackLeave(true);
        m_hot = true;
    }
    if (m_capture) {
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        m_pressed = ::PtInRect(&client, PointFromLParam(lParam)) != FALSE;
    }
    Repaint();
    return 0;
}

LRESULT CSearchboxButton::OnMouseLeave(WPARAM, LPARAM, bool&)
{
    m_hot = false;
    m_pressed = false;
    if (m_capture) {
        m_capture = false;
        ::ReleaseCapture();
    }
    Repaint();
    return 0;
}

LRESULT CSearchboxButton::OnLeftButtonDown(WPARAM, LPARAM, bool&)
{
    // The menu's message loop may let the band, and this window, go.
    const ComPtr<IUnknown> hold = m_box.Band() ? m_box.Band()->HoldBand() : nullptr;
    LoadPendingPictures();
    if (m_hot) TrackLeave(false);
    if (m_kind == kEngine) {
        m_pressed = true;
        Repaint();
        ShowEngineMenu();
        m_pressed = false;
    } else {
        m_dropDownWasOpen = m_box.DropDownOpen() || m_box.TakeClosedByButtonPress();
        m_pressed = true;
        m_capture = true;
        if (hwnd()) ::SetCapture(hwnd());
    }
    if (!hwnd()) return 0;
    m_box.FocusEdit();
    if (m_box.EditWindow()) ::ShowCaret(m_box.EditWindow());
    m_hot = false;
    Repaint();
    return 0;
}

LRESULT CSearchboxButton::OnLeftButtonUp(WPARAM, LPARAM lParam, bool&)
{
    if (m_kind != kHistory || !m_capture) return 0;
    m_capture = false;
    ::ReleaseCapture();
    m_pressed = false;
    Repaint();
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    if (::PtInRect(&client, PointFromLParam(lParam))) m_box.ToggleHistoryDropDown(m_dropDownWasOpen);
    return 0;
}

LRESULT CSearchboxButton::OnCaptureChanged(WPARAM, LPARAM lParam, bool&)
{
    if (reinterpret_cast<HWND>(lParam) != hwnd() && m_capture) {
        m_capture = false;
        m_pressed = false;
        Repaint();
    }
    return 0;
}

LRESULT CSearchboxButton::OnSetCursor(WPARAM, LPARAM, bool&)
{
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
}

void CSearchboxButton::ShowEngineMenu()
{
    unique_hmenu menu(::LoadMenuW(ModuleInstance(), MAKEINTRESOURCEW(IDR_ENGINE_MENU)));
    HMENU engines = menu ? ::GetSubMenu(menu.get(), 0) : nullptr;
    if (!engines) return;
    MENUINFO info{sizeof(info), MIM_STYLE};
    ::GetMenuInfo(engines, &info);
    info.dwStyle = ((info.dwStyle & MNS_NOCHECK) ^ MNS_NOCHECK) | MNS_AUTODISMISS | MNS_CHECKORBMP;
    ::SetMenuInfo(engines, &info);
    m_menu.Reset();
    if (!m_menu.Images()) m_menu.SetImages(m_box.MakeEngineMenuImages());
    m_menu.SetHighlightColour(kMenuHighlight);
    m_menu.AdoptMenu(engines);

    RECT button{};
    ::GetWindowRect(hwnd(), &button);
    RECT box{};
    ::GetWindowRect(m_box.BoxWindow(), &box);
    const UINT command = Env().TrackPopupMenu(engines, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD,
                                              button.left, box.bottom + 1, hwnd());
    m_menu.Reset();
    if (command) m_box.SelectEngine(command);
}

LRESULT CSearchboxButton::OnInitMenuPopup(WPARAM wParam, LPARAM, bool&)
{
    m_menu.OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
    return 0;
}

LRESULT CSearchboxButton::OnMeasureItem(WPARAM, LPARAM lParam, bool& handled)
{
    handled = m_menu.OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return handled ? TRUE : 0;
}

LRESULT CSearchboxButton::OnDrawItem(WPARAM, LPARAM lParam, bool& handled)
{
    handled = m_menu.OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return handled ? TRUE : 0;
}

LRESULT CSearchboxButton::OnEraseBackground(WPARAM, LPARAM, bool&) { return 1; }

} // namespace marlin
