#pragma once
// The band's own hidden window. It is never visible; it parents the toolbar
// window, which it creates over its whole client area when it is created.
// Building it sets up the protected-mode folders and starts the plug-in SDK
// (a bounded call on a thread of its own: the window keeps only whether the
// SDK is ready).
//
// It carries the plug-in refresh timer (5005, one minute): while the window
// exists it is registered with the process's plug-in refresh, whose oldest
// registered window drives the refresh from its ticks.
#include "platform/Window.h"
#include "plugins/PluginRefresh.h"
#include "plugins/PluginSdk.h"
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

    // Arms the refresh timer and lets the process refresh run again.
    void StartPluginTimer() noexcept;
    // Kills the refresh timer and stops the process refresh (every worker,
    // cooperatively, within a bound) until it is started again.
    void StopPluginTimer() noexcept;
    bool SdkReady() const noexcept { return m_sdkReady; }
    const marlin::PluginRefreshRegistration& Refresh() const noexcept { return m_refresh; }

    LRESULT OnCreate(WPARAM, LPARAM, bool&);
    LRESULT OnDestroy(WPARAM, LPARAM, bool&);
    LRESULT OnTimer(WPARAM, LPARAM, bool&);

    static constexpr marlin::MessageEntry<CInvisibleWnd> kMessageMap[] = {
        {WM_CREATE, &CInvisibleWnd::OnCreate},
        {WM_DESTROY, &CInvisibleWnd::OnDestroy},
        {WM_TIMER, &CInvisibleWnd::OnTimer},
    };

private:
    bool m_sdkReady = false; // the SDK signed in and started
    marlin::PluginRefreshRegistration m_refresh;
    CMarlinToolbarCtrl m_toolbar;
};
