#include "MarlinToolbarCtrl.h"

#include "IconCache.h"
#include "config/ApplicationSettings.h"
#include "config/InstallPaths.h"
#include "config/Messages.h"
#include "config/SettingsStore.h"
#include "document/SharedInstanceState.h"
#include "document/SignIn.h"
#include "monitors/PopupBlocker.h"
#include "platform/Environment.h"
#include "platform/Module.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "resources/resource.h"

#include <algorithm>
#include <map>

using namespace marlin;

namespace {

constexpr wchar_t kThemeManagerKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";


int ReadPopupManager()
{
    int on = 0;
    CReadRegistryValues().GetPopupMgr(on);
    return on;
}

HWND CreateInnerToolbar(HWND parent, const RECT& rect, DWORD style)
{
    return ::CreateWindowExW(WS_EX_TRANSPARENT, TOOLBARCLASSNAMEW, L"", style, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, ModuleInstance(), nullptr);
}

void RemoveAllButtons(HWND toolbar)
{
    while (::SendMessageW(toolbar, TB_DELETEBUTTON, 0, 0)) {
    }
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
        const SharedInstanceState& shared = SharedState();
        m_handled = HandledChanges{shared.TabsChanged, shared.SettingsChanged, shared.ButtonsChanged,
                                   shared.ButtonEditChanged, shared.MoveToChanged};
        m_lastPopupState = ReadPopupManager();
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
    } catch (...) {
        Env().ShowMessageBox(hwnd(),
                             L"Problem in MarlinToolbar Toolbar..... Please Install again or report error to the vendor",
                             kCaption, MB_OK | MB_ICONWARNING);
    }
    return created;
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

void CMarlinToolbarCtrl::RebuildAndRepaint(int index)
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
    std::wstring themeActive;
    if (unique_hkey key = OpenRegistryKey(HKEY_CURRENT_USER, kThemeManagerKey, KEY_READ)) {
        themeActive = ReadRegistryString(key.get(), L"ThemeActive", kRegistryValueMaxChars).value_or(L"");
    }
    const bool windows2000 = EqualsNoCase(g_OSName.get().substr(0, 4), L"2000");
    return themeActive == L"0" || windows2000 ? 20 : 16;
}

void CMarlinToolbarCtrl::BuildRow(int index, const XmlDocument& document, bool signedIn)
{
    const std::vector<XmlElement> tabs = TabElements(document);
    if (index < 0 || index >= static_cast<int>(tabs.size())) index = 0;
    const std::wstring name = tabs.empty() ? std::wstring() : AttributeText(tabs[index].Get(), L"Name");
    // The menus and commands act on the toolbars of the document the row shows.
    m_toolbarNames.clear();
    for (const XmlElement& tab : tabs) {
        if (!IsPseudoToolbar(tab.Get())) m_toolbarNames.push_back(AttributeText(tab.Get(), L"Name"));
    }
    m_rowSignedIn = signedIn;

    if (!m_buttons) {
        m_buttons = CreateInnerToolbar(hwnd(), m_createRect, kStyle);
        if (!m_buttons) {
            Env().ShowMessageBox(hwnd(), L"Unable to attach toolbar, Please restart Internet Explorer", kCaption,
                                 MB_OK | MB_ICONWARNING);
            return;
        }
    }
    // A theme change keeps the height the row had until the next build.
    if (!m_themeChanged) m_rowHeight = DecideRowHeight();
    m_themeChanged = false;

    const std::wstring& version = m_startup.paths.browserVersion;
    // Where the browser cannot block, the blocker counts as off.
    if (!BrowserCanBlockPopups()) g_PopupMgr = 0;
    const bool blockerOn = g_PopupMgr > 0;
    ToolbarModelContext context{m_startup.paths.imageFolder, blockerOn, nullptr};
    m_model = LoadToolbarButtons(document, name, Format(L"%d", index + 1), context);
    for (ToolbarButton& button : m_model) {
        // A count of blocked windows survives the rebuild while the blocker stays on.
        if (blockerOn && IsPopupBlockerCaption(button.caption) && !m_blockerCaption.empty()) {
            button.caption = m_blockerCaption;
        }
    }
    if (!m_model.empty() && !m_model.front().IsChevron()) {
        AddFixedMenuesinHomeButton(m_model.front(), m_toolbarNames, signedIn, m_startup.paths.imageFolder);
    }
    LoadButtonImages();
    PopulateButtons(kAllShown);
    PlaceSearchPlaceholder();
    BuildSignInButton(signedIn);
    if (version.find(L"6.0.2800") != std::wstring::npos) {
        for (const ToolbarButton& button : m_model) {
            if (IsPopupBlockerCaption(button.caption)) {
                ::SendMessageW(m_buttons, TB_ENABLEBUTTON, button.commandId, FALSE);
                break;
            }
        }
    }
    m_shownToolbar = index;
    ++m_rowBuilds;
    // The first build happens inside the window's creation, before its size is
    // known; the WM_SIZE that follows lays the row out.
    if (m_size.cx > 0) LayoutButtons(m_size.cx, m_size.cy);
}

void CMarlinToolbarCtrl::LoadButtonImages()
{
    // Each record's icon: its file, or the built-in icon when the file does
    // not load (loaded once per build), or none.
    HICON builtIn = nullptr;
    std::vector<HICON> icons;
    std::map<HICON, int> indexOf; // buttons with the same icon share its image
    std::map<std::wstring, HICON> loaded; // each file is looked up once per build
    for (ToolbarButton& button : m_model) {
        button.imageList = 0;
        button.imageIndex = -1;
        HICON icon = nullptr;
        if (!button.iconPath.empty()) {
            if (button.iconExists) {
                auto [known, added] = loaded.try_emplace(button.iconPath, nullptr);
                if (added) known->second = CachedButtonIcon(button.iconPath);
                icon = known->second;
            }
            if (!icon) {
                // A shared resource icon belongs to the system; it is not destroyed.
                if (!builtIn) {
                    builtIn = static_cast<HICON>(::LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_DEFAULT_BUTTON),
                                                              IMAGE_ICON, 16, 16, LR_SHARED));
                }
                icon = builtIn;
            }
        }
        if (!icon) continue;
        auto [known, added] = indexOf.try_emplace(icon, static_cast<int>(icons.size()));
        if (added) icons.push_back(icon);
        button.imageIndex = known->second;
    }
    // The old lists go once the toolbar no longer refers to them (PopulateButtons).
    m_nextImageLists.clear();
    m_nextImageLists.emplace_back(ImageListOf(icons));
}

void CMarlinToolbarCtrl::ClearButtonToolbar()
{
    const auto count = ::SendMessageW(m_buttons, TB_BUTTONCOUNT, 0, 0);
    if (count <= kFewButtons) {
        RemoveAllButtons(m_buttons);
        return;
    }
    // Each removal lays the whole row out again: for a long row a fresh
    // window is far cheaper. The search box moves over to it.
    HWND fresh = CreateInnerToolbar(hwnd(), m_createRect, kStyle);
    if (!fresh) {
        RemoveAllButtons(m_buttons);
        return;
    }
    RECT place{};
    ::GetWindowRect(m_buttons, &place);
    ::MapWindowPoints(HWND_DESKTOP, hwnd(), reinterpret_cast<POINT*>(&place), 2);
    ::MoveWindow(fresh, place.left, place.top, place.right - place.left, place.bottom - place.top, FALSE);
    if (m_searchPlaceholder) ::SetParent(m_searchPlaceholder, fresh);
    ::DestroyWindow(m_buttons);
    m_buttons = fresh;
}

void CMarlinToolbarCtrl::PopulateButtons(size_t hiddenFrom)
{
    ::SendMessageW(m_buttons, WM_SETREDRAW, FALSE, 0);
    ClearButtonToolbar();
    ::SendMessageW(m_buttons, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(m_buttons, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
    ::SendMessageW(m_buttons, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(m_buttons, TB_SETMAXTEXTROWS, 1, 0);
    ::SendMessageW(m_buttons, CCM_SETVERSION, 5, 0);
    if (!m_nextImageLists.empty()) {
        ::SendMessageW(m_buttons, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_nextImageLists[0].get()));
        m_imageLists = std::move(m_nextImageLists);
        m_nextImageLists.clear();
    } else if (!m_imageLists.empty()) {
        ::SendMessageW(m_buttons, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_imageLists[0].get()));
    }
    ::SendMessageW(m_buttons, TB_SETINDENT, 0, 0);
    ::SendMessageW(m_buttons, TB_SETPADDING, 0, MAKELPARAM(8, 0));

    std::vector<TBBUTTON> entries;
    auto add = [&](const ToolbarButton& button, BYTE style, BYTE state) {
        TBBUTTON entry{};
        entry.iBitmap = button.imageIndex >= 0 ? MAKELONG(button.imageIndex, button.imageList) : I_IMAGENONE;
        entry.idCommand = button.commandId;
        entry.fsState = state;
        entry.fsStyle = style;
        entry.iString = reinterpret_cast<INT_PTR>(button.caption.c_str());
        entries.push_back(entry);
    };
    // A separator's image field is its width: the search placeholder gets its
    // 125 pixels as it is added, without a second layout of the row.
    auto separator = [&](int command, int width = -1) {
        TBBUTTON entry{};
        entry.iBitmap = width;
        entry.idCommand = command;
        entry.fsStyle = BTNS_SEP;
        entry.iString = -1;
        entries.push_back(entry);
    };
    const bool overflowing = hiddenFrom < m_model.size();
    for (size_t i = 0; i < m_model.size(); ++i) {
        const ToolbarButton& button = m_model[i];
        if (button.IsChevron()) {
            add(button, kStylePlain, overflowing ? TBSTATE_ENABLED : TBSTATE_ENABLED | TBSTATE_HIDDEN);
            continue;
        }
        const BYTE enabled = button.enabled ? TBSTATE_ENABLED : 0;
        add(button, ButtonStyle(button, i == 0), i >= hiddenFrom ? enabled | TBSTATE_HIDDEN : enabled);
        if (i == 0) {
            separator(kSeparatorAfterHome);
            separator(kSearchPlaceholder, kSearchPlaceholderWidth);
            separator(kSeparatorAfterSearch);
        }
    }
    // The size first: every message that changes the row lays it out again.
    ::SendMessageW(m_buttons, TB_SETBUTTONSIZE, 0, MAKELPARAM(81, m_rowHeight));
    ::SendMessageW(m_buttons, TB_ADDBUTTONSW, entries.size(), reinterpret_cast<LPARAM>(entries.data()));
    if (!overflowing && hiddenFrom == kAllShown) {
        // Every record is shown: remember where each lies. The layout decides
        // the overflow from these.
        m_fullRects.clear();
        for (const ToolbarButton& button : m_model) m_fullRects.push_back(ItemRect(button.commandId));
        if (m_chevronWidth == 0 || m_chevronHeight != m_rowHeight) {
            // The chevron (one blank and its arrow) is measured once while shown.
            ::SendMessageW(m_buttons, TB_HIDEBUTTON, kChevronCommand, FALSE);
            const RECT chevron = ItemRect(kChevronCommand);
            m_chevronWidth = chevron.right - chevron.left;
            m_chevronHeight = m_rowHeight;
            ::SendMessageW(m_buttons, TB_HIDEBUTTON, kChevronCommand, TRUE);
        }
    }
    ::SendMessageW(m_buttons, WM_SETREDRAW, TRUE, 0);
    m_hiddenFrom = hiddenFrom;
}

void CMarlinToolbarCtrl::BuildSignInButton(bool signedIn)
{
    const std::wstring picture = SkinFolder(g_Skin) + (signedIn ? L"SignOut.bmp" : L"SignIn.bmp");
    if (m_signIn && picture == m_signInPicture && m_rowHeight == m_signInHeight) return;
    m_signInPicture = picture;
    m_signInHeight = m_rowHeight;
    if (!m_signIn) {
        m_signIn = CreateInnerToolbar(hwnd(), m_createRect, kStyle);
        if (!m_signIn) return;
        ::SendMessageW(m_signIn, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        ::SendMessageW(m_signIn, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
        ::SendMessageW(m_signIn, TB_SETMAXTEXTROWS, 1, 0);
        ::SendMessageW(m_signIn, CCM_SETVERSION, 5, 0);
    } else {
        RemoveAllButtons(m_signIn);
    }
    HICON icon = CachedButtonIcon(picture);
    unique_himagelist images(icon ? ImageListOf({icon}) : nullptr);
    ::SendMessageW(m_signIn, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
    m_signInImages = std::move(images);

    static const wchar_t kSignInText[] = L"SignIn";
    static const wchar_t kSignOutText[] = L"SignOut";
    TBBUTTON button{};
    button.iBitmap = icon ? 0 : I_IMAGENONE;
    button.idCommand = kSignInCommand;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = kStylePlain;
    button.iString = reinterpret_cast<INT_PTR>(signedIn ? kSignOutText : kSignInText);
    ::SendMessageW(m_signIn, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    ::SendMessageW(m_signIn, TB_SETBUTTONSIZE, 0, MAKELPARAM(60, m_rowHeight));
    ::ShowWindow(m_signIn, SW_SHOWNA);
}

RECT CMarlinToolbarCtrl::ItemRect(int commandId) const noexcept
{
    RECT rect{};
    ::SendMessageW(m_buttons, TB_GETRECT, commandId, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

int CMarlinToolbarCtrl::SignInButtonWidth() const noexcept
{
    RECT rect{};
    if (!m_signIn || !::SendMessageW(m_signIn, TB_GETRECT, kSignInCommand, reinterpret_cast<LPARAM>(&rect))) return 0;
    return rect.right - rect.left;
}

void CMarlinToolbarCtrl::PlaceSearchPlaceholder()
{
    // The search box lies between the home button and the separator after it.
    const RECT home = ItemRect(m_model.empty() || m_model.front().IsChevron() ? 0 : m_model.front().commandId);
    const RECT after = ItemRect(kSeparatorAfterSearch);
    const int bottom = std::min<int>(home.bottom, 22);
    const RECT place{home.right + 1, home.top, after.left - 1, bottom};
    if (!m_searchPlaceholder) {
        m_searchPlaceholder = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_buttons,
                                                nullptr, ModuleInstance(), nullptr);
    }
    ::MoveWindow(m_searchPlaceholder, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

void CMarlinToolbarCtrl::LayoutButtons(int width, int height)
{
    if (width > 0) m_size = SIZE{width, height};
    if (!m_buttons) return;
    int available = m_size.cx;
    SHANDLE_PTR frame = 0;
    if (m_browser && SUCCEEDED(m_browser->get_HWND(&frame)) && frame) {
        RECT client{};
        if (::GetClientRect(reinterpret_cast<HWND>(frame), &client)) available = client.right - client.left;
    }
    const int signInWidth = SignInButtonWidth();
    const int rowWidth = std::max(available - signInWidth - 12, 0);
    ::MoveWindow(m_buttons, 0, 2, rowWidth, 24, TRUE);
    if (m_signIn) ::MoveWindow(m_signIn, rowWidth, 2, signInWidth + 12, 24, TRUE);

    // Hide from the first record within whose reach the limit lies, measured
    // as the row lies with every record shown.
    const int limit = m_size.cx - signInWidth - m_chevronWidth;
    const size_t count = std::min(m_model.size(), m_fullRects.size());
    size_t overflowAt = kAllShown;
    for (size_t i = 1; i < count; ++i) {
        if (m_model[i].IsChevron()) continue;
        const RECT& rect = m_fullRects[i];
        if (rect.left <= limit && limit <= rect.right + m_chevronWidth) {
            overflowAt = i;
            break;
        }
    }
    m_hiddenCount = 0;
    for (size_t i = std::min(overflowAt, count); i < count; ++i) {
        if (!m_model[i].IsChevron()) ++m_hiddenCount;
    }
    ApplyOverflow(overflowAt);
    if (m_searchPlaceholder) PlaceSearchPlaceholder();
}

void CMarlinToolbarCtrl::ApplyOverflow(size_t hiddenFrom)
{
    if (hiddenFrom == m_hiddenFrom) return;
    // Each hidden or shown button lays the whole row out again; past a few
    // changes, adding the buttons afresh with their states is cheaper.
    const size_t from = std::min(hiddenFrom, m_hiddenFrom);
    const size_t to = std::min(std::max(hiddenFrom, m_hiddenFrom), m_model.size());
    if (to - from > kFewButtons) {
        PopulateButtons(hiddenFrom);
        return;
    }
    for (size_t i = from; i < to; ++i) {
        if (m_model[i].IsChevron()) continue;
        ::SendMessageW(m_buttons, TB_HIDEBUTTON, m_model[i].commandId, i >= hiddenFrom);
    }
    ::SendMessageW(m_buttons, TB_HIDEBUTTON, kChevronCommand, hiddenFrom >= m_model.size());
    m_hiddenFrom = hiddenFrom;
}

bool CMarlinToolbarCtrl::SetPopupBlockerCaption(const std::wstring& caption)
{
    if (!m_buttons) return false;
    for (ToolbarButton& button : m_model) {
        if (!IsPopupBlockerCaption(button.caption)) continue;
        button.caption = caption;
        // A count survives the next rebuild; the plain captions follow the switch.
        m_blockerCaption = caption.find(L"Blocked") != std::wstring::npos ? caption : std::wstring();
        // The button's width changes: the row is added again and measured anew.
        PopulateButtons(kAllShown);
        LayoutButtons(m_size.cx, m_size.cy);
        return true;
    }
    return false;
}

const ToolbarButton* CMarlinToolbarCtrl::GetButton(size_t index) const noexcept
{
    return index < m_model.size() ? &m_model[index] : nullptr;
}

std::optional<size_t> CMarlinToolbarCtrl::ModelIndexOf(int commandId) const noexcept
{
    for (size_t i = 0; i < m_model.size(); ++i) {
        if (m_model[i].commandId == commandId) return i;
    }
    return std::nullopt;
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
    for (const ToolbarButton& button : m_model) {
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
    ::InterlockedExchange(&SharedState().CurrentToolbar, selected);
    RefreshToolbar(selected);
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
    ShowDropDownMenu(reinterpret_cast<NMTOOLBARW*>(lParam)->iItem);
    return TBDDRET_DEFAULT;
}

LRESULT CMarlinToolbarCtrl::OnOtherNotify(WPARAM, LPARAM lParam, bool& handled)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && header->hwndFrom == m_buttons && header->code == static_cast<UINT>(NM_RCLICK)) {
        const auto* mouse = reinterpret_cast<NMMOUSE*>(lParam);
        if (mouse->dwItemSpec != static_cast<DWORD_PTR>(-1)) {
            const auto hold = HoldBand();
            ShowButtonContextMenu(static_cast<int>(mouse->dwItemSpec));
            return TRUE;
        }
    }
    handled = false;
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnEraseBackground(WPARAM wParam, LPARAM, bool&)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    if (HWND bandWindow = ::GetParent(hwnd())) ::SendMessageW(bandWindow, WM_ERASEBKGND, wParam, 0);
    // Until skins bring their own colours and pictures, the built-in colour.
    if (!m_background) m_background.reset(::CreateSolidBrush(kBackground));
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    ::FillRect(dc, &client, m_background ? m_background.get() : static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
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
    // A tracked menu holds entries of the current row: it is not rebuilt under it.
    if (!m_menuOpen) {
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
    // The search box's drop-down list closes here once the search box exists.
    handled = false;
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnCommandMessage(WPARAM wParam, LPARAM, bool& handled)
{
    const auto hold = HoldBand();
    handled = OnCommand(CommandId(wParam), CommandCode(wParam));
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnMouseHover(WPARAM, LPARAM, bool&) { return 0; }

LRESULT CMarlinToolbarCtrl::OnInitMenuPopup(WPARAM wParam, LPARAM, bool&)
{
    m_menuHelp.OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnUninitMenuPopup(WPARAM, LPARAM, bool&)
{
    // The entries' drawing data lives until the next menu is built.
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnMeasureItem(WPARAM, LPARAM lParam, bool& handled)
{
    handled = m_menuHelp.OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return handled ? TRUE : 0;
}

LRESULT CMarlinToolbarCtrl::OnDrawItem(WPARAM, LPARAM lParam, bool& handled)
{
    handled = m_menuHelp.OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return handled ? TRUE : 0;
}

LRESULT CMarlinToolbarCtrl::OnMouseMove(WPARAM, LPARAM, bool& handled)
{
    m_mouseMoved = true;
    handled = false;
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnDestroy(WPARAM, LPARAM, bool& handled)
{
    ::KillTimer(hwnd(), kSyncTimer);
    m_browser.Reset();
    // The inner toolbars go with this window; the image lists go after them.
    if (m_buttons) ::DestroyWindow(m_buttons);
    if (m_signIn) ::DestroyWindow(m_signIn);
    m_buttons = nullptr;
    m_signIn = nullptr;
    m_searchPlaceholder = nullptr;
    m_imageLists.clear();
    m_signInImages.reset();
    m_model.clear();
    m_menuCommands.clear();
    m_menuHelp.Reset();
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
}
