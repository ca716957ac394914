// The once-a-second pass that keeps every browser window's toolbar in step
// with the others: sign-in state, settings, toolbars, buttons and the shared
// current toolbar. An idle pass reads two registry values and the shared flags
// and builds nothing.
#include "MarlinToolbarCtrl.h"

#include "config/ApplicationSettings.h"
#include "config/SettingsStore.h"
#include "document/SharedInstanceState.h"
#include "document/SignIn.h"

using namespace marlin;

void CMarlinToolbarCtrl::SynchronizeWithOtherWindows()
{
    if (!m_startup.pathFound || !m_buttons) return;
    SharedInstanceState& shared = SharedState();

    if (m_band && m_band->TakeRepaintRequest() && m_signIn) {
        ::RedrawWindow(m_signIn, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }

    // The pop-up blocker switch is the browser's registry value: every window
    // reads it itself and rebuilds its button when it changed.
    int popupState = 0;
    CReadRegistryValues().GetPopupMgr(popupState);
    bool rebuildForBlocker = false;
    if (popupState != m_lastPopupState) {
        m_lastPopupState = popupState;
        g_PopupMgr = popupState;
        if (popupState == 0) m_blockerCaption.clear();
        rebuildForBlocker = true;
    }

    const LONG settings = shared.SettingsChanged;
    if (settings != m_handled.settings) {
        // A settings file that does not load is logged once, not every second.
        m_handled.settings = settings;
        if (InitializeApplicationSettings() == 1) {
            BuildSignInButton(StoredSignInState() == L"1");
            LayoutButtons(m_size.cx, m_size.cy);
            Repaint();
        }
    }

    const SignInSwitch signInSwitch =
        FollowStoredSignInState(StoredSignInState(), m_showsLogin, [](const std::wstring& path) {
            return LoadToolbarDocument(path).has_value();
        });
    if (signInSwitch != SignInSwitch::None) {
        SwitchDocuments(signInSwitch == SignInSwitch::ToLoginDocument);
        return;
    }

    const LONG tabs = shared.TabsChanged;
    if (tabs != m_handled.tabs || rebuildForBlocker) {
        m_handled.tabs = tabs;
        RebuildAndRepaint(shared.CurrentToolbar);
        return;
    }

    const LONG buttons = shared.ButtonsChanged;
    const LONG edits = shared.ButtonEditChanged;
    const LONG moves = shared.MoveToChanged;
    if (buttons != m_handled.buttons || edits != m_handled.buttonEdits || moves != m_handled.moves) {
        // One rebuild covers every button change seen so far.
        m_handled.buttons = buttons;
        m_handled.buttonEdits = edits;
        m_handled.moves = moves;
        RebuildAndRepaint(m_shownToolbar);
        return;
    }

    if (shared.CurrentToolbar != m_shownToolbar) RebuildAndRepaint(shared.CurrentToolbar);
}

void CMarlinToolbarCtrl::SwitchDocuments(bool toLogin)
{
    EnsureCurrentDocument(hwnd());
    if (toLogin) {
        auto document = LoadToolbarDocument(LoginDocumentPath());
        const int tabs = document ? static_cast<int>(TabElements(*document).size()) : 0;
        ApplyDefaultToolbar(document ? DefaultToolbarOf(*document) : 0, tabs);
    } else {
        ::InterlockedExchange(&SharedState().CurrentToolbar, 0);
    }
    // What was pending belongs to the documents just left.
    const SharedInstanceState& shared = SharedState();
    m_handled = HandledChanges{shared.TabsChanged, m_handled.settings, shared.ButtonsChanged,
                               shared.ButtonEditChanged, shared.MoveToChanged};
    RebuildAndRepaint(SharedState().CurrentToolbar);
}
