#include "MarlinToolbarCtrl.h"

#include "config/Messages.h"
#include "ToolbarGlobals.h"
#include "platform/Environment.h"

using namespace marlin;

HWND CMarlinToolbarCtrl::CreateIn(HWND parent, const RECT& rect)
{
    return Create(parent, rect, L"", kStyle, 0, kControlId);
}

LRESULT CMarlinToolbarCtrl::OnCreate(WPARAM wParam, LPARAM lParam, bool&)
{
    const LRESULT created = DefaultProc(WM_CREATE, wParam, lParam);
    if (created == -1) return -1;
    try {
        ::SendMessageW(hwnd(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        m_startup = InitializeToolbarDocuments(hwnd());
        if (m_startup.pathFound) {
            auto document = LoadToolbarDocument(m_startup.currentDocumentPath);
            const int tabs = document ? static_cast<int>(TabElements(*document).size()) : 0;
            // Signed in, the current document is the login document: no second parse.
            const int defaultToolbar = document && m_startup.loginDocument ? DefaultToolbarOf(*document)
                                                                          : GetDefaultToolbar();
            ApplyDefaultToolbar(defaultToolbar, tabs);
        }
        g_pToolbarCtrl = this;
    } catch (...) {
        Env().ShowMessageBox(hwnd(),
                             L"Problem in MarlinToolbar Toolbar..... Please Install again or report error to the vendor",
                             kCaption, MB_OK | MB_ICONWARNING);
    }
    return created;
}

LRESULT CMarlinToolbarCtrl::OnMouseMove(WPARAM, LPARAM, bool& handled)
{
    m_mouseMoved = true;
    handled = false;
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnDestroy(WPARAM, LPARAM, bool& handled)
{
    if (g_pToolbarCtrl == this) g_pToolbarCtrl = nullptr;
    m_browser.Reset();
    handled = false;
    return 0;
}

void CMarlinToolbarCtrl::Repaint() noexcept
{
    if (hwnd()) ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CMarlinToolbarCtrl::ReleaseBandResources() noexcept
{
    m_browser.Reset();
}
