#include "InvisibleWnd.h"

#include "config/InstallPaths.h"
#include "config/Probes.h"

CInvisibleWnd::CInvisibleWnd()
{
    // The folders below depend on the system's name (Vista keeps its settings elsewhere).
    if (g_OSName.get().empty()) g_OSName = marlin::GetOSName();
    marlin::SetUpProtectedModeFolders();
    m_sdkReady = marlin::PluginSdkLink::InitializeMarlinToolbarPluginSDK();
}

HWND CInvisibleWnd::CreateIn(HWND parent, const RECT& rect)
{
    return Create(parent, rect, L"", WS_CHILD, 0, 0);
}

LRESULT CInvisibleWnd::OnCreate(WPARAM, LPARAM, bool&)
{
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    m_toolbar.CreateIn(hwnd(), client);
    m_refresh = marlin::PluginRefreshRegistration::Register(m_sdkReady);
    ::SetTimer(hwnd(), marlin::kPluginTimer, marlin::kPluginTimerPeriod, nullptr);
    return 0;
}

LRESULT CInvisibleWnd::OnDestroy(WPARAM, LPARAM, bool& handled)
{
    // Only this window's part ends here; the refresh goes on while another
    // window is registered, and the last one to go stops every worker.
    ::KillTimer(hwnd(), marlin::kPluginTimer);
    m_refresh = {};
    m_toolbar.Destroy();
    handled = false;
    return 0;
}

LRESULT CInvisibleWnd::OnTimer(WPARAM id, LPARAM, bool& handled)
{
    if (id != marlin::kPluginTimer) {
        handled = false;
        return 0;
    }
    // Killed while the tick runs and armed again after it, so ticks never overlap.
    ::KillTimer(hwnd(), marlin::kPluginTimer);
    m_refresh.Tick();
    ::SetTimer(hwnd(), marlin::kPluginTimer, marlin::kPluginTimerPeriod, nullptr);
    return 0;
}

void CInvisibleWnd::StartPluginTimer() noexcept
{
    marlin::StartPluginRefresh();
    if (hwnd()) ::SetTimer(hwnd(), marlin::kPluginTimer, marlin::kPluginTimerPeriod, nullptr);
}

void CInvisibleWnd::StopPluginTimer() noexcept
{
    if (hwnd()) ::KillTimer(hwnd(), marlin::kPluginTimer);
    marlin::StopPluginRefresh();
}
