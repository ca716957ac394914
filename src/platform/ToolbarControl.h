#pragma once
// A typed view of a comctl32 toolbar window: each method is one message. It
// does not own the window.
#include "Win32.h"

#include <commctrl.h>

namespace marlin {

class ToolbarControl {
public:
    ToolbarControl() = default;
    explicit ToolbarControl(HWND window) noexcept : m_hwnd(window) {}

    HWND hwnd() const noexcept { return m_hwnd; }
    explicit operator bool() const noexcept { return m_hwnd != nullptr; }

    // The settings every inner toolbar starts with: one text row, version 5 drawing.
    void Prepare(DWORD extendedStyle) const noexcept
    {
        Send(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        Send(TB_SETEXTENDEDSTYLE, 0, extendedStyle);
        Send(TB_SETMAXTEXTROWS, 1, 0);
        Send(CCM_SETVERSION, 5, 0);
    }
    int ButtonCount() const noexcept { return static_cast<int>(Send(TB_BUTTONCOUNT, 0, 0)); }
    bool AddButtons(const TBBUTTON* buttons, size_t count) const noexcept
    {
        return Send(TB_ADDBUTTONSW, count, reinterpret_cast<LPARAM>(buttons)) != 0;
    }
    void DeleteAllButtons() const noexcept
    {
        while (Send(TB_DELETEBUTTON, 0, 0)) {
        }
    }
    bool GetButton(int index, TBBUTTON& button) const noexcept
    {
        return Send(TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button)) != 0;
    }
    // List `number` of the row (version 5: a button's image names its list in its high word).
    void SetImageList(HIMAGELIST images, int number = 0) const noexcept
    {
        Send(TB_SETIMAGELIST, static_cast<WPARAM>(number), reinterpret_cast<LPARAM>(images));
    }
    void SetButtonSize(int width, int height) const noexcept { Send(TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height)); }
    void SetIndent(int indent) const noexcept { Send(TB_SETINDENT, indent, 0); }
    void SetPadding(int horizontal, int vertical) const noexcept
    {
        Send(TB_SETPADDING, 0, MAKELPARAM(horizontal, vertical));
    }
    bool HideButton(int id, bool hide) const noexcept { return Send(TB_HIDEBUTTON, id, hide) != 0; }
    bool IsButtonHidden(int id) const noexcept { return Send(TB_ISBUTTONHIDDEN, id, 0) != 0; }
    bool EnableButton(int id, bool enable) const noexcept { return Send(TB_ENABLEBUTTON, id, enable) != 0; }
    // The item's rectangle in the toolbar's client area; empty when there is no such item.
    RECT ItemRect(int id) const noexcept
    {
        RECT rect{};
        Send(TB_GETRECT, id, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }
    HWND Tooltips() const noexcept { return reinterpret_cast<HWND>(Send(TB_GETTOOLTIPS, 0, 0)); }
    void SetRedraw(bool redraw) const noexcept { Send(WM_SETREDRAW, redraw, 0); }

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const noexcept
    {
        return m_hwnd ? ::SendMessageW(m_hwnd, message, wParam, lParam) : 0;
    }

    HWND m_hwnd = nullptr;
};

} // namespace marlin
