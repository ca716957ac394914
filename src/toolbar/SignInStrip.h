#pragma once
// The sign-in button at the right end of the row: its own inner toolbar with
// one button (20000), "SignIn" or "SignOut" with the skin's picture.
#include "IconCache.h"

#include "platform/ToolbarControl.h"
#include "platform/UniqueHandle.h"

#include <string>

namespace marlin {

class CSignInStrip {
public:
    CSignInStrip() = default;
    CSignInStrip(const CSignInStrip&) = delete;
    CSignInStrip& operator=(const CSignInStrip&) = delete;
    ~CSignInStrip() { Destroy(); }

    // Shows the button of `signedIn` with `picture` (a bitmap file), creating
    // the strip in `parent` the first time. Rebuilt only when the picture or
    // the row height changes.
    void Show(HWND parent, const RECT& createRect, bool signedIn, const std::wstring& picture, int rowHeight);
    // Moves the strip without repainting; true when it moved.
    bool Place(const RECT& place) const noexcept;
    void Repaint() const noexcept;
    void Destroy() noexcept;

    // The button's width, 0 while there is none.
    int ButtonWidth() const noexcept;
    HWND hwnd() const noexcept { return m_control.hwnd(); }

private:
    ToolbarControl m_control;
    unique_himagelist m_images;
    ButtonIconRef m_icon;
    std::wstring m_picture; // what the button shows now
    int m_height = 0;
};

} // namespace marlin
