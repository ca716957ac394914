#pragma once
// The band's own hidden window. It is never visible; it parents the toolbar
// window, which it creates over its whole client area when it is created.
// Building it sets up the protected-mode folders first.
#include "platform/Window.h"
#include "toolbar/MarlinToolbarCtrl.h"

class CInvisibleWnd : public marlin::Window<CInvisibleWnd> {
public:
    static constexpr const wchar_t* kClassName = L"MarlinInvisibleWnd";

    CInvisibleWnd();
    // Destroys the window while the toolbar member still exists, so that the
    // WM_DESTROY handler takes the toolbar down in order.
    ~CInvisibleWnd() { Destroy(); }

    // A child of `parent` with `rect`, style WS_CHILD only.
    HWND CreateIn(HWND parent, const RECT& rect);

    CMarlinToolbarCtrl& Toolbar() noexcept { return m_toolbar; }
    bool ToolbarExists() const noexcept { return m_toolbar.hwnd() != nullptr; }

    LRESULT OnCreate(WPARAM, LPARAM, bool&);
    LRESULT OnDestroy(WPARAM, LPARAM, bool&);

    static constexpr marlin::MessageEntry<CInvisibleWnd> kMessageMap[] = {
        {WM_CREATE, &CInvisibleWnd::OnCreate},
        {WM_DESTROY, &CInvisibleWnd::OnDestroy},
    };

private:
    CMarlinToolbarCtrl m_toolbar;
};
