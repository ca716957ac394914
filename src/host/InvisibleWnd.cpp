#include "InvisibleWnd.h"

#include "config/InstallPaths.h"
#include "config/Probes.h"

CInvisibleWnd::CInvisibleWnd()
{
    // The folders below depend on the system's name (Vista keeps its settings elsewhere).
    if (g_OSName.get().empty()) g_OSName = marlin::GetOSName();
    marlin::SetUpProtectedModeFolders();
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
    return 0;
}

LRESULT CInvisibleWnd::OnDestroy(WPARAM, LPARAM, bool& handled)
{
    m_toolbar.Destroy();
    handled = false;
    return 0;
}
