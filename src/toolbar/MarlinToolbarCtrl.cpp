#include "MarlinToolbarCtrl.h"

#include "DragDropButtonInfo.h"
#include "PluginManager.h"

#include "config/ApplicationSettings.h"
#include "config/InstallPaths.h"
#include "config/Messages.h"
#include "config/Probes.h"
#include "config/SettingsStore.h"
#include "config/Skins.h"
#include "document/SharedInstanceState.h"
#include "document/SignIn.h"
#include "monitors/PopupBlocker.h"
#include "platform/Environment.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "plugins/PluginData.h"

#include <algorithm>

using namespace marlin;

namespace {

int ReadPopupManager()
{
    int on = 0;
    CReadRegistryValues().GetPopupMgr(on);
    return on;
}

} // namespace

HWND CMarlinToolbarCtrl::CreateIn(HWND parent, const RECT& rect)
{
    m_createRect = rect;
    return Create(parent, rect, L"", kStyle, 0, kControlId);
}

LRESULT CMarlinToolbarCtrl::OnCreate(WPARAM wParam, LPARAM lParam, bool&)
{
    const LRESULT created = DefaultProc(WM_CREATE, wParam, lParam);
    if (created == -1) return -1;
    try {
        ::SendMessageW(hwnd(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        m_startup = InitializeToolbarDocuments(hwnd());
        m_showsLogin = m_startup.loginDocument;
        // Changes made before this window existed are already in its documents.
        m_handled = CurrentMarks(ReadPopupManager());
        m_tabs.CreateIn(hwnd(), RECT{});
        if (m_startup.pathFound) {
            auto document = LoadToolbarDocument(m_startup.currentDocumentPath);
            const int tabs = document ? static_cast<int>(TabElements(*document).size()) : 0;
            // Signed in, the current document is the login document: no second parse.
            const int defaultToolbar = document && m_startup.loginDocument ? DefaultToolbarOf(*document)
                                                                          : GetDefaultToolbar();
            ApplyDefaultToolbar(defaultToolbar, tabs);
            // The document just read is the one of the stored sign-in state.
            if (document) BuildRow(SharedState().CurrentToolbar, *document, m_startup.paths.signedIn);
            ::SetTimer(hwnd(), kSyncTimer, kSyncInterval, nullptr);
        }
        m_skin.Follow(CurrentSkin());
        ApplyTabLook();
        m_dropTarget.Register(hwnd(), &m_drops);
    } catch (...) {
        Env().ShowMessageBox(hwnd(),
                             L"Problem in MarlinToolbar Toolbar..... Please Install again or report error to the vendor",
                             kCaption, MB_OK | MB_ICONWARNING);
    }
    return created;
}

SyncMarks CMarlinToolbarCtrl::CurrentMarks(int popupState) const noexcept
{
    const SharedInstanceState& shared = SharedState();
    return SyncMarks{popupState, shared.TabsChanged, shared.SettingsChanged, shared.ButtonsChanged,
                     shared.ButtonEditChanged, shared.MoveToChanged, PluginDataChanges()};
}

void CMarlinToolbarCtrl::RefreshToolbar(int index)
{
    const bool signedIn = StoredSignInState() == L"1";
    const std::wstring path = signedIn ? LoginDocumentPath() : BasicDocumentPath();
    auto document = LoadToolbarDocument(path);
    if (document && index > static_cast<int>(TabElements(*document).size())) {
        // An index past the end means the documents no longer match what the
        // windows think: make them whole again and start over.
        EnsureCurrentDocument(hwnd());
        document = LoadToolbarDocument(path);
        index = 0;
    }
    if (document) BuildRow(index, *document, signedIn);
}

void CMarlinToolbarCtrl::Rebuild(int index)
{
    RefreshToolbar(index);
    Repaint();
}

bool CMarlinToolbarCtrl::BrowserCanBlockPopups() const
{
    // Not on IE 6 of XP SP2, nor in protected mode.
    return m_startup.paths.browserVersion.find(L"6.0.2800") == std::wstring::npos && g_bProtectedMode != 1;
}

int CMarlinToolbarCtrl::DecideRowHeight() const
{
    // The classic look, and Windows 2000, need the taller row.
    const std::wstring themeActive = ThemeActiveSetting().value_or(L"");
    const bool windows2000 = EqualsNoCase(g_OSName.get().substr(0, 4), L"2000");
    return themeActive == L"0" || windows2000 ? 20 : 16;
}

void CMarlinToolbarCtrl::BuildRow(int index, const XmlDocument& document, bool signedIn)
{
    const std::vector<XmlElement> tabs = TabElements(document);
    if (index < 0 || index >= static_cast<int>(tabs.size())) index = 0;
    const std::wstring name = tabs.empty() ? std::wstring() : AttributeText(tabs[index].Get(), L"Name");
    // The menus and commands act on the toolbars of the document the row shows.
    RowDocument shown;
    for (const XmlElement& tab : tabs) {
        if (!IsPseudoToolbar(tab.Get())) shown.toolbarNames.push_back(AttributeText(tab.Get(), L"Name"));
    }
    shown.shownToolbar = index;
    shown.signedIn = signedIn;

    // A theme change keeps the height the row had until the next build.
    if (!m_themeChanged) m_rowHeight = DecideRowHeight();
    m_themeChanged = false;

    // Where the browser cannot block, the blocker counts as off.
    if (!BrowserCanBlockPopups()) g_PopupMgr = 0;
    const bool blockerOn = g_PopupMgr > 0;
    ToolbarModelContext context{m_startup.paths.imageFolder, blockerOn, nullptr};
    std::vector<ToolbarButton> model = LoadToolbarButtons(document, name, Format(L"%d", index + 1), context);
    for (ToolbarButton& button : model) {
        // A count of blocked windows survives the rebuild while the blocker stays on.
        if (blockerOn && IsPopupBlockerCaption(button.caption) && !m_blockerCaption.empty()) {
            button.caption = m_blockerCaption;
        }
    }
    if (!model.empty() && !model.front().IsChevron()) {
        AddFixedMenuesinHomeButton(model.front(), shown.toolbarNames, signedIn, m_startup.paths.imageFolder);
    }
    for (ToolbarButton& button : model) PutPluginSettingsLast(button, m_startup.paths.imageFolder);
    // The SDK is asked for plug-in pictures after the row shows, never inside a build.
    const bool askPictures = m_plugins.ApplyPictures(model);
    m_picturesArrived = false;
    if (!m_row.Show(hwnd(), m_createRect, std::move(model), m_rowHeight)) {
        Env().ShowMessageBox(hwnd(), L"Unable to attach toolbar, Please restart Internet Explorer", kCaption,
                             MB_OK | MB_ICONWARNING);
        return;
    }
    m_document = std::move(shown);
    if (m_tabs.hwnd()) {
        m_tabs.BuildTabs(m_document.toolbarNames, signedIn);
        m_tabs.SelectTab(index);
    }
    ShowSignInStrip(signedIn);
    if (m_startup.paths.browserVersion.find(L"6.0.2800") != std::wstring::npos) {
        for (const ToolbarButton& button : m_row.Model()) {
            if (IsPopupBlockerCaption(button.caption)) {
                m_row.DisableButton(button.commandId);
                break;
            }
        }
    }
    ++m_rowBuilds;
    if (askPictures && !m_picturesAsked) {
        m_picturesAsked = ::PostMessageW(hwnd(), kAskPluginPicturesMessage, 0, 0) != FALSE;
    }
    // The first build happens inside the window's creation, before its size is
    // known; the WM_SIZE that follows lays the row out.
    if (m_size.cx > 0) {
        LayoutButtons(m_size.cx, m_size.cy);
    } else {
        PlaceSearchBox();
    }
}

RECT CMarlinToolbarCtrl::SearchBoxPlace() const noexcept
{
    RECT place = m_row.SearchGap();
    // Under the classic look (and on Windows 2000) the box takes the row's whole height.
    place.bottom = place.top + kButtonRowHeight - (m_rowHeight == 20 ? 1 : 4);
    return place;
}

void CMarlinToolbarCtrl::PlaceSearchBox()
{
    const RECT place = SearchBoxPlace();
    if (!m_searchBox.hwnd()) {
        // Made once, in the row's search slot: rebuilds and resizes only move it.
        m_searchBox.LayoutSearchBox(hwnd(), place);
        if (!m_searchBox.hwnd()) return;
        m_layout.SetSearchBox(m_searchBox.hwnd());
        m_searchBox.SetBrowser(m_browser.Get());
        m_searchBox.SetBand(m_band);
    }
    m_layout.PlaceSearchSlot(place);
}

void CMarlinToolbarCtrl::ShowSignInStrip(bool signedIn)
{
    const std::wstring folder = SkinFolder(g_Skin);
    const std::wstring picture = folder.empty() ? folder : folder + (signedIn ? L"SignOut.bmp" : L"SignIn.bmp");
    m_signIn.Show(hwnd(), m_createRect, signedIn, picture, m_rowHeight);
}

void CMarlinToolbarCtrl::LayoutButtons(int width, int height)
{
    if (width > 0) m_size = SIZE{width, height};
    if (!m_row.hwnd()) return;
    RowMetrics metrics;
    metrics.width = m_size.cx;
    metrics.available = m_size.cx;
    SHANDLE_PTR frame = 0;
    if (m_browser && SUCCEEDED(m_browser->get_HWND(&frame)) && frame) {
        RECT client{};
        if (::GetClientRect(reinterpret_cast<HWND>(frame), &client)) metrics.available = client.right - client.left;
    }
    metrics.signInWidth = m_signIn.ButtonWidth();
    metrics.chevronWidth = m_row.ChevronWidth();
    metrics.tabStripWidth = m_tabs.hwnd() ? m_tabs.PreferredWidth() : 0;
    const RowPlaces places = ArrangeRow(metrics);
    // The parts move without repainting; what moved is painted once, with
    // the whole window (whose children are not clipped).
    bool moved = m_row.Layout(places.buttonRow, places.overflowLimit);
    moved = m_signIn.Place(places.signIn) || moved;
    moved = PlaceChild(m_tabs.hwnd(), places.tabStrip) || moved;
    if (m_layout.Occupied()) moved = m_layout.PlaceSearchSlot(SearchBoxPlace()) || moved;
    if (moved) ::InvalidateRect(hwnd(), nullptr, TRUE);
}

bool CMarlinToolbarCtrl::SetPopupBlockerCaption(const std::wstring& caption)
{
    if (!m_row.hwnd()) return false;
    const std::vector<ToolbarButton>& model = m_row.Model();
    for (size_t index = 0; index < model.size(); ++index) {
        if (!IsPopupBlockerCaption(model[index].caption)) continue;
        // A count survives the next rebuild; the plain captions follow the switch.
        m_blockerCaption = caption.find(L"Blocked") != std::wstring::npos ? caption : std::wstring();
        m_row.SetCaption(index, caption);
        LayoutButtons(m_size.cx, m_size.cy);
        return true;
    }
    return false;
}

void CMarlinToolbarCtrl::PopupSwitchChanged(int state)
{
    g_PopupMgr = state;
    m_blockerCaption.clear();
    // This window rebuilds now; the others see the registry value change.
    m_handled.popupState = state;
    Rebuild(m_document.shownToolbar);
}

void CMarlinToolbarCtrl::StopSynchronizing() noexcept
{
    if (hwnd()) ::KillTimer(hwnd(), kSyncTimer);
}

void CMarlinToolbarCtrl::SynchronizeWithOtherWindows()
{
    if (!m_startup.pathFound || !m_row.hwnd()) return;
    if (m_band && m_band->TakeRepaintRequest()) m_signIn.Repaint();

    SyncSnapshot snapshot;
    // The pop-up blocker switch is the browser's registry value: every window
    // reads it itself and rebuilds its button when it changed.
    snapshot.now = CurrentMarks(ReadPopupManager());
    snapshot.currentToolbar = SharedState().CurrentToolbar;
    snapshot.shownToolbar = m_document.shownToolbar;
    snapshot.signIn = FollowStoredSignInState(StoredSignInState(), m_showsLogin, [](const std::wstring& path) {
        return LoadToolbarDocument(path).has_value();
    });
    const SyncPlan plan = PlanSynchronization(snapshot, m_handled);

    if (plan.popupSwitched) {
        g_PopupMgr = snapshot.now.popupState;
        if (g_PopupMgr == 0) m_blockerCaption.clear();
    }
    if (plan.reloadSettings) {
        const bool read = InitializeApplicationSettings() == 1;
        // A skin database that stopped loading brings the built-in colours back.
        FollowSkin();
        if (read) {
            ShowSignInStrip(StoredSignInState() == L"1");
            LayoutButtons(m_size.cx, m_size.cy);
            Repaint();
        }
    }
    if (plan.switchDocuments != SignInSwitch::None) {
        SwitchDocuments(plan.switchDocuments == SignInSwitch::ToLoginDocument);
    } else if (plan.rebuild) {
        Rebuild(*plan.rebuild);
    } else if (m_picturesArrived) {
        Rebuild(m_document.shownToolbar);
    }
}

void CMarlinToolbarCtrl::FollowSkin()
{
    if (!m_skin.Follow(CurrentSkin())) return;
    ApplyTabLook();
    Repaint();
}

void CMarlinToolbarCtrl::ApplyTabLook()
{
    m_tabs.SetLook(TabStripLook{m_skin.TabFill(), m_skin.TabLine(), kBuiltInTabText, m_skin.StripBackground()});
}

void CMarlinToolbarCtrl::OpenSettings()
{
    if (!hwnd()) return;
    const auto hold = HoldBand();
    ShowSettingsDialog(*this, std::make_unique<CPluginManager>(m_plugins, m_document.shownToolbar));
}

void CMarlinToolbarCtrl::OpenPluginManager()
{
    if (!hwnd()) return;
    const auto hold = HoldBand();
    ShowSettingsDialog(*this, std::make_unique<CPluginManager>(m_plugins, m_document.shownToolbar), true);
}

RECT CMarlinToolbarCtrl::PluginRect(int command) const
{
    RECT rect{};
    ::GetClientRect(hwnd(), &rect);
    const std::vector<ToolbarButton>& model = m_row.Model();
    if (model.empty() || !m_row.hwnd()) return rect;
    // The buttons before it in ascending command order, counted as the row's positions after the three separators.
    const auto before = std::count_if(model.begin(), model.end(),
                                      [command](const ToolbarButton& button) { return button.commandId < command; });
    ::SendMessageW(m_row.hwnd(), TB_GETITEMRECT, static_cast<WPARAM>(before + 3), reinterpret_cast<LPARAM>(&rect));
    RECT window{};
    ::GetWindowRect(hwnd(), &window);
    rect.bottom = window.bottom;
    return rect;
}

void CMarlinToolbarCtrl::ShowPluginSettings(const std::wstring& pluginId, int command)
{
    if (!hwnd()) return;
    const auto hold = HoldBand();
    const auto plugin = m_plugins.RecordFor(pluginId);
    if (!plugin) {
        ShowPluginLoadFailure(PluginCaller::Toolbar);
        return;
    }
    const int toolbar = m_document.shownToolbar;
    if (m_plugins.Run(*plugin, PluginRect(command), toolbar, PluginCaller::Toolbar) != FetchOutcome::Stored) return;
    if (!hwnd()) return;
    // The new menu shows at once; the data stored here counts as handled here.
    m_handled.pluginData = PluginDataChanges();
    Rebuild(toolbar);
}

bool CMarlinToolbarCtrl::PopupSwitchAvailable() const
{
    if (!BrowserCanBlockPopups()) return false;
    for (const ToolbarButton& button : m_row.Model()) {
        if (IsPopupBlockerCaption(button.caption)) return true;
    }
    return false;
}

bool CMarlinToolbarCtrl::HasPluginButton() const
{
    for (const ToolbarButton& button : m_row.Model()) {
        if (button.kind == L"1") return true;
    }
    return false;
}

void CMarlinToolbarCtrl::SettingsApplied(bool popupSwitched)
{
    if (!hwnd()) return;
    // This window has read what it saved: the flag it raised is handled here.
    m_handled.settings = SharedState().SettingsChanged;
    if (popupSwitched) PopupSwitchChanged(g_PopupMgr);
    m_skin.Follow(CurrentSkin());
    ApplyTabLook();
    ShowSignInStrip(m_document.signedIn);
    LayoutButtons(m_size.cx, m_size.cy);
    Repaint();
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
    const SyncMarks now = CurrentMarks(m_handled.popupState);
    m_handled = SyncMarks{m_handled.popupState, now.tabs, m_handled.settings, now.buttons,
                          now.buttonEdits, now.moves, now.pluginData};
    Rebuild(SharedState().CurrentToolbar);
}

ComPtr<IUnknown> CMarlinToolbarCtrl::HoldBand() const noexcept
{
    return m_band ? m_band->HoldBand() : nullptr;
}

LRESULT CMarlinToolbarCtrl::OnSize(WPARAM, LPARAM lParam, bool& handled)
{
    LayoutButtons(LOWORD(lParam), HIWORD(lParam));
    handled = false;
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnThemeChanged(WPARAM, LPARAM, bool& handled)
{
    if (!EqualsNoCase(g_OSName.get().substr(0, 2), L"XP")) {
        handled = false;
        return 0;
    }
    m_themeChanged = true;
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnModeMessage(WPARAM wParam, LPARAM, bool&)
{
    if (wParam == 1) {
        m_modeMark = false;
        ::InterlockedExchange(&SharedState().CurrentToolbar, 0);
    } else {
        m_modeMark = true;
    }
    Repaint();
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnTooltipRequest(WPARAM, LPARAM lParam, bool& handled)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header || header->code != TTN_GETDISPINFOW) {
        handled = false;
        return 0;
    }
    auto* request = reinterpret_cast<NMTTDISPINFOW*>(lParam);
    for (const ToolbarButton& button : m_row.Model()) {
        if (static_cast<UINT_PTR>(button.commandId) != header->idFrom || button.toolTip.empty()) continue;
        m_tooltip = TooltipText(button.toolTip);
        request->lpszText = m_tooltip.data();
        request->uFlags |= TTF_DI_SETITEM;
        break;
    }
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnTabSelection(WPARAM, LPARAM lParam, bool& handled)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header || header->idFrom != kTabStripId || header->code != TCN_SELCHANGE) {
        handled = false;
        return 0;
    }
    const int selected = static_cast<int>(::SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
    if (selected < 0) return 0;
    ActivateToolbar(selected);
    FocusSearch();
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnDropDown(WPARAM, LPARAM lParam, bool& handled)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header || header->code != static_cast<UINT>(TBN_DROPDOWN)) {
        handled = false;
        return 0;
    }
    const auto hold = HoldBand();
    m_commands.ShowDropDownMenu(reinterpret_cast<NMTOOLBARW*>(lParam)->iItem);
    return TBDDRET_DEFAULT;
}

LRESULT CMarlinToolbarCtrl::OnOtherNotify(WPARAM, LPARAM lParam, bool& handled)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (LRESULT answer = 0; header && m_buttonDrag.OnNotify(*header, answer)) return answer;
    if (header && header->hwndFrom == m_row.hwnd() && header->code == static_cast<UINT>(NM_RCLICK)) {
        const auto* mouse = reinterpret_cast<NMMOUSE*>(lParam);
        if (mouse->dwItemSpec != static_cast<DWORD_PTR>(-1)) {
            const auto hold = HoldBand();
            m_commands.ShowButtonContextMenu(static_cast<int>(mouse->dwItemSpec));
            return TRUE;
        }
    }
    handled = false;
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnEraseBackground(WPARAM wParam, LPARAM, bool&)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    // The skin's background over the whole client area: nothing of the
    // rebar's background would show, so the rebar is not asked to erase first
    // (the transparent inner rows erase through here as well, several times
    // per paint, their drawing offset to this window's coordinates).
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    CSkinArt::FillAligned(dc, client, m_skin.ToolbarBackground());
    return 1;
}

LRESULT CMarlinToolbarCtrl::OnTimer(WPARAM wParam, LPARAM, bool& handled)
{
    if (wParam != kSyncTimer) {
        handled = false;
        return 0;
    }
    ::KillTimer(hwnd(), kSyncTimer);
    const auto hold = HoldBand();
    // The pass looks for other windows' changes: every setting is read afresh,
    // also when the timer fires inside a band's load (in a message box's loop).
    UseSettingsReads fresh(nullptr);
    // A tracked menu holds entries of the current row, and the row may be in
    // its own mouse handling or customisation: it is not rebuilt under them.
    if (!m_commands.MenuOpen() && !m_buttonDrag.RowBusy()) {
        try {
            SynchronizeWithOtherWindows();
        } catch (...) {
            ReportFailure(L"toolbar synchronisation");
        }
    }
    if (hwnd()) ::SetTimer(hwnd(), kSyncTimer, kSyncInterval, nullptr);
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnNcXButtonDown(WPARAM, LPARAM, bool& handled)
{
    m_searchBox.HideDropDown();
    handled = false;
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnCommandMessage(WPARAM wParam, LPARAM lParam, bool& handled)
{
    const auto hold = HoldBand();
    if (reinterpret_cast<HWND>(lParam) == m_row.hwnd()) m_buttonDrag.OnClick(static_cast<int>(CommandId(wParam)));
    handled = m_commands.OnCommand(CommandId(wParam), CommandCode(wParam));
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnMouseHover(WPARAM, LPARAM, bool&) { return 0; }

LRESULT CMarlinToolbarCtrl::OnInitMenuPopup(WPARAM wParam, LPARAM, bool&)
{
    m_commands.MenuHelper().OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnUninitMenuPopup(WPARAM, LPARAM, bool&)
{
    // The entries' drawing data lives until the next menu is built.
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnMeasureItem(WPARAM, LPARAM lParam, bool& handled)
{
    handled = m_commands.MenuHelper().OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return handled ? TRUE : 0;
}

LRESULT CMarlinToolbarCtrl::OnDrawItem(WPARAM, LPARAM lParam, bool& handled)
{
    handled = m_commands.MenuHelper().OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return handled ? TRUE : 0;
}

LRESULT CMarlinToolbarCtrl::OnMouseMove(WPARAM, LPARAM, bool& handled)
{
    m_mouseMoved = true;
    handled = false;
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnButtonDragEnded(WPARAM, LPARAM, bool&)
{
    const auto hold = HoldBand();
    m_buttonDrag.Finish();
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnDestroy(WPARAM, LPARAM, bool& handled)
{
    ::KillTimer(hwnd(), kSyncTimer);
    m_dropTarget.Revoke();
    m_drops.Reset();
    m_browser.Reset();
    m_searchBox.SetBrowser(nullptr);
    // The inner toolbars go with this window; their image lists after them.
    m_row.Destroy();
    m_signIn.Destroy();
    m_layout.Forget();
    m_commands.Reset();
    m_buttonDrag.Reset();
    m_plugins.Reset();
    handled = false;
    return 0;
}

void CMarlinToolbarCtrl::Repaint() noexcept
{
    if (hwnd()) ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CMarlinToolbarCtrl::ReleaseBandResources() noexcept
{
    m_browser.Reset();
    m_searchBox.SetBrowser(nullptr);
}

bool CMarlinToolbarCtrl::OfferPageLink(const std::wstring& address, ULONGLONG dragStartedAt)
{
    if (m_drops.LastDragSeenAt() >= dragStartedAt && m_drops.LastDragSeenAt() != 0) return false;
    return AddLinkButton(address, LinkOrigin::Page);
}

bool CMarlinToolbarCtrl::AddLinkButton(const std::wstring& address, LinkOrigin origin)
{
    const auto hold = HoldBand();
    return m_drops.AddLinkButton(address, origin == LinkOrigin::Page);
}

void CMarlinToolbarCtrl::PopupSiteAllowed()
{
    if (m_band) m_band->ResetPopupCount();
    // A count is shown only while the blocker is on.
    if (!m_blockerCaption.empty()) SetPopupBlockerCaption(kPopupBlockerOn);
}

void CMarlinToolbarCtrl::ButtonsChangedHere() noexcept
{
    // This window has rebuilt already: it marks the change it raised as handled.
    m_handled.buttons = ::InterlockedIncrement(&SharedState().ButtonsChanged);
}

LRESULT CMarlinToolbarCtrl::OnRunDrops(WPARAM, LPARAM, bool&)
{
    const auto hold = HoldBand();
    m_drops.RunPendingDrops();
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnFaviconArrived(WPARAM, LPARAM, bool&)
{
    // The new icon file is in place: this window shows it now, the others at their tick.
    if (!m_commands.MenuOpen() && m_row.hwnd()) {
        Rebuild(m_document.shownToolbar);
        m_handled.buttons = SharedState().ButtonsChanged;
    }
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnAskPluginPictures(WPARAM, LPARAM, bool&)
{
    m_picturesAsked = false;
    const auto hold = HoldBand();
    if (!m_plugins.AskPictures(m_row.Model(), m_document.shownToolbar) || !hwnd()) return 0;
    // A menu or the row's own mouse handling holds the row: the timer rebuilds it afterwards.
    if (m_commands.MenuOpen() || m_buttonDrag.RowBusy()) {
        m_picturesArrived = true;
        return 0;
    }
    Rebuild(m_document.shownToolbar);
    return 0;
}

bool CMarlinToolbarCtrl::TabStripSignedIn() const noexcept { return SharedState().IsLoggedIn != 0; }

bool CMarlinToolbarCtrl::ToolbarHasPluginButton(int index) const
{
    // A right click shows the tab's toolbar first, so its buttons are the row's.
    if (index != m_document.shownToolbar) return false;
    return std::ranges::any_of(m_row.Model(), [](const ToolbarButton& button) { return button.kind == L"1"; });
}

std::optional<std::wstring> CMarlinToolbarCtrl::AskToolbarName(bool modify, const std::wstring& current)
{
    const auto hold = HoldBand();
    using Mode = CDragDropButtonInfo::Mode;
    CDragDropButtonInfo dialog(modify ? Mode::ModifyToolbar : Mode::AddToolbar, {current, {}, {}});
    if (dialog.DoModal(::GetActiveWindow()) != IDOK) return std::nullopt;
    return dialog.Texts().name;
}

bool CMarlinToolbarCtrl::SignInFromTabStrip()
{
    const auto hold = HoldBand();
    return m_commands.SignInThroughDialog();
}

void CMarlinToolbarCtrl::ActivateToolbar(int index)
{
    const auto hold = HoldBand();
    ::InterlockedExchange(&SharedState().CurrentToolbar, index);
    RefreshToolbar(index);
    LayoutButtons(m_size.cx, m_size.cy);
}

void CMarlinToolbarCtrl::ToolbarsEdited()
{
    Rebuild(SharedState().CurrentToolbar);
    // A removed toolbar may have been the one shown: show the last that still exists.
    const int real = static_cast<int>(m_document.toolbarNames.size());
    if (real > 0 && SharedState().CurrentToolbar >= real) {
        ::InterlockedExchange(&SharedState().CurrentToolbar, real - 1);
        Rebuild(real - 1);
    }
}

void CMarlinToolbarCtrl::FocusSearch() noexcept { m_searchBox.FocusEdit(); }
