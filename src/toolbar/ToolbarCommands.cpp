#include "ToolbarCommands.h"

#include "About.h"
#include "ButtonActions.h"
#include "PluginButtons.h"
#include "Uninstall.h"
#include "config/ApplicationSettings.h"
#include "config/ErrorLog.h"
#include "config/InstallPaths.h"
#include "config/Messages.h"
#include "config/SettingsStore.h"
#include "document/ButtonOperations.h"
#include "document/SharedInstanceState.h"
#include "document/SignIn.h"
#include "document/ToolbarOperations.h"
#include "monitors/PopupBlocker.h"
#include "platform/ComTypes.h"
#include "plugins/PluginRefresh.h"
#include "platform/Environment.h"
#include "platform/Strings.h"

#include <atomic>

namespace marlin {

namespace {

constexpr UINT kNotifyNotLookedUp = 0x10;
constexpr wchar_t kMenuCut[] = L"[CToolbarMenuBuilder][TrackMenu][Menu too large: entries left out.]";

void Tell(HWND owner, const std::wstring& text)
{
    Env().ShowMessageBox(owner, text, kCaption, MB_OK | MB_ICONINFORMATION);
}

// Holds the "menu open" mark, and keeps the row's tooltip away, for as long
// as a menu is tracked: a button's tooltip would cover its own drop-down menu.
class MenuOpenScope {
public:
    MenuOpenScope(bool& open, HWND tooltips) noexcept : m_open(open), m_tooltips(tooltips)
    {
        m_open = true;
        if (m_tooltips) {
            ::SendMessageW(m_tooltips, TTM_ACTIVATE, FALSE, 0);
            ::SendMessageW(m_tooltips, TTM_POP, 0, 0);
            // A tip the control no longer tracks as current is not popped: hide it too.
            if (::IsWindowVisible(m_tooltips)) ::ShowWindow(m_tooltips, SW_HIDE);
        }
    }
    ~MenuOpenScope()
    {
        m_open = false;
        if (m_tooltips && ::IsWindow(m_tooltips)) ::SendMessageW(m_tooltips, TTM_ACTIVATE, TRUE, 0);
    }
    MenuOpenScope(const MenuOpenScope&) = delete;
    MenuOpenScope& operator=(const MenuOpenScope&) = delete;

private:
    bool& m_open;
    HWND m_tooltips;
};

} // namespace

void CToolbarCommands::Reset() noexcept
{
    m_menuCommands.clear();
    m_menuHelp.Reset();
    m_contextButton.reset();
}

bool CToolbarCommands::OnCommand(UINT id, UINT code)
{
    if (m_contextButton) return OnContextCommand(id, *m_contextButton);
    if (id == kSignInCommand) {
        OnSignInButton();
        return true;
    }
    if (auto index = m_host.Row().IndexOf(static_cast<int>(id))) return OnButtonClick(*index);
    if (id == 0 || (code & kNotifyNotLookedUp)) return false;
    for (const MenuCommand& command : m_menuCommands) {
        if (command.id != id) continue;
        const MenuCommand chosen = command; // the handler may rebuild the table
        return OnMenuCommand(chosen);
    }
    // The fixed home entries also work without their menu.
    if (id == kMenuAboutDeveloper || id == kMenuSettings || id == kMenuUninstall) {
        MenuCommand fixed;
        fixed.id = id;
        return OnMenuCommand(fixed);
    }
    return false;
}

bool CToolbarCommands::OnButtonClick(size_t index)
{
    const ToolbarButton button = *m_host.Row().At(index); // a copy: the row may be rebuilt below
    if (button.IsChevron()) {
        ShowOverflowMenu();
        return true;
    }
    if (button.newWindow) {
        OpenInNewWindow(button.url);
        return true;
    }
    if (button.kind == L"3") {
        OpenFileOrFolder(button.url, button.iconPath.find(L"File") != std::wstring::npos, false);
        return true;
    }
    if (IsPopupBlockerCaption(button.caption)) {
        TurnPopupBlocker(EqualsNoCase(button.caption, kPopupBlockerOff));
        return true;
    }
    if (!button.url.empty()) Navigate(button.url);
    return true;
}

void CToolbarCommands::OpenInNewWindow(const std::wstring& url)
{
    // One argument, whatever blanks or quotes the address holds.
    const std::wstring argument = QuoteCommandLineArgument(url);
    Env().ShellExecute(Owner(), L"open", L"iexplore.exe", argument.c_str(), nullptr, SW_SHOWNORMAL);
}

void CToolbarCommands::Navigate(const std::wstring& url)
{
    IWebBrowser2* browser = m_host.Browser();
    if (!browser || url.empty()) return;
    Variant address = Variant::FromString(url);
    Variant empty;
    browser->Navigate2(&address.get(), &empty.get(), &empty.get(), &empty.get(), &empty.get());
}

void CToolbarCommands::OpenFileOrFolder(const std::wstring& path, bool isFile, bool fromMenu)
{
    const auto result =
        reinterpret_cast<INT_PTR>(Env().ShellExecute(Owner(), L"open", path.c_str(), nullptr, nullptr, SW_SHOW));
    if (result == ERROR_FILE_NOT_FOUND) {
        if (fromMenu) {
            Tell(Owner(), path + L" does not Exists\n(Deleted/Moved/Renamed).");
        } else {
            Tell(Owner(), std::wstring(L"Specified ") + (isFile ? L"file" : L"folder") +
                              L" path does not exist\n(Deleted / Moved / Renamed)");
        }
    } else if (result == ERROR_FILE_CORRUPT) {
        Tell(Owner(), path + L" corrupted.");
    } else if (result == ERROR_BAD_FORMAT) {
        Tell(Owner(), L"Bad Format.");
    }
}

bool CToolbarCommands::BrowserCanBlockPopups() const
{
    // Not on IE 6 of XP SP2, nor in protected mode.
    return m_host.Startup().paths.browserVersion.find(L"6.0.2800") == std::wstring::npos && g_bProtectedMode != 1;
}

void CToolbarCommands::TurnPopupBlocker(bool on)
{
    if (on) {
        if (g_bProtectedMode == 1) {
            Tell(Owner(), L"This feature is not available in Protected Mode.");
            return;
        }
        if (m_host.Startup().paths.browserVersion.find(L"6.0.2800") != std::wstring::npos) {
            g_PopupMgr = 0;
            Tell(Owner(), L"This functionality is not available in this version");
            return;
        }
    }
    if (!CReadRegistryValues().SetPopupMgr(on ? 1 : 0)) return;
    m_host.PopupSwitchChanged(on ? 1 : 0);
}

void CToolbarCommands::AllowPopupsFrom(const std::wstring& site)
{
    if (site.empty()) return;
    if (!AllowSite(site)) {
        Tell(Owner(), L"The website could not be added to the list.");
        return;
    }
    m_host.PopupSiteAllowed();
}

std::wstring CToolbarCommands::PageUrl() const
{
    UniqueBstr location;
    IWebBrowser2* browser = m_host.Browser();
    if (!browser || FAILED(browser->get_LocationURL(location.put()))) return {};
    return location.str();
}

void CToolbarCommands::OnSignInButton()
{
    const std::wstring stored = StoredSignInState();
    if (stored == L"1") {
        if (StoreSignInState(false)) {
            // The workers end now; signed out no tick starts one, and after
            // the next sign-in (in any window) the refresh runs again.
            StopPluginRefresh(kInteractiveStopWaitMs);
            StartPluginRefresh();
        }
        return;
    }
    if (stored == L"0") SignInThroughDialog();
}

bool CToolbarCommands::SignInThroughDialog()
{
    if (!m_host.Startup().pathFound) return false;
    RECT window{};
    ::GetWindowRect(Owner(), &window);
    CSignIn dialog(POINT{window.left, window.bottom});
    if (dialog.DoModal(::GetActiveWindow()) != IDOK) return false;
    // The documents switch on the next tick of the timer.
    if (!StoreSignInState(true)) return false;
    m_host.SignedInThroughDialog();
    return true;
}

bool CToolbarCommands::OnMenuCommand(const MenuCommand& command)
{
    const std::wstring& caption = command.entry.caption;
    switch (command.action) {
    case MenuAction::ShowToolbar:
        ::InterlockedExchange(&SharedState().CurrentToolbar, command.toolbarIndex);
        m_host.Rebuild(command.toolbarIndex);
        return true;
    case MenuAction::AddToolbar:
        AddToolbarThroughDialog(m_host);
        return true;
    case MenuAction::ModifyToolbar:
        ModifyToolbarThroughDialog(m_host, command.toolbarIndex);
        return true;
    case MenuAction::RemoveToolbar:
        RemoveToolbar(command.toolbarIndex);
        return true;
    case MenuAction::SetDefaultToolbar:
        CToolbarOperations().SetAsDefault(command.toolbarIndex);
        return true;
    case MenuAction::BlockerOn:
    case MenuAction::BlockerOff:
        TurnPopupBlocker(command.action == MenuAction::BlockerOn);
        return true;
    case MenuAction::AllowSite:
        AllowPopupsFrom(command.entry.url);
        return true;
    case MenuAction::DeleteButton:
    case MenuAction::ButtonProperties:
    case MenuAction::ChangeButtonIcon:
        RunButtonAction(command.action, command.buttonIndex);
        return true;
    case MenuAction::MoveButton:
        MoveButton(command.buttonIndex, command.toolbarIndex + 1);
        return true;
    case MenuAction::PluginSettings:
        if (const ToolbarButton* button = m_host.Row().At(command.buttonIndex); button && button->IsPlugin()) {
            // Copied: the row is rebuilt by the call. The refresh is started again on every path.
            const std::wstring pluginId = button->pluginId;
            const int buttonCommand = button->commandId;
            PluginRefreshPause pause;
            m_host.ShowPluginSettings(pluginId, buttonCommand);
        }
        return true;
    case MenuAction::Entry:
        break;
    }

    switch (command.id) {
    case kMenuSettings:
        if (m_host.Startup().pathFound) m_host.OpenSettings();
        return true;
    case kMenuUninstall:
        if (CToolbarOperations::Confirm(Owner(), L"Are you sure you want to uninstall Marlin Toolbar?")) {
            RunUninstall(g_ApplicationPath.get());
            m_host.StopSynchronizing();
        }
        return true;
    case kMenuAboutDeveloper: {
        CAbout about;
        about.DoModal(::GetActiveWindow());
        return true;
    }
    default:
        break;
    }

    const ToolbarButton* button = m_host.Row().At(command.buttonIndex);
    const std::wstring kind = button ? button->kind : std::wstring();
    if (caption == kBlockerSettings) {
        marlin::ShowPopupBlockerSettings(Owner());
    } else if (caption.find(kPluginManager) != std::wstring::npos) {
        if (m_host.Startup().pathFound) m_host.OpenPluginManager();
    } else if (kind == L"3") {
        OpenFileOrFolder(command.entry.url, command.entry.iconPath.find(L"File") != std::wstring::npos, true);
    } else if (!command.entry.url.empty()) {
        if (command.entry.newWindow) {
            OpenInNewWindow(command.entry.url);
        } else {
            Navigate(command.entry.url);
        }
    }
    return true;
}

bool CToolbarCommands::OnContextCommand(UINT id, size_t buttonIndex)
{
    // The context menu edits the signed-in document: signed out it offers nothing.
    if (!m_host.Document().signedIn) return false;
    switch (id) {
    case kContextDelete:
        RunButtonAction(MenuAction::DeleteButton, buttonIndex);
        return true;
    case kContextProperties:
        RunButtonAction(MenuAction::ButtonProperties, buttonIndex);
        return true;
    case kContextChangeIcon:
        RunButtonAction(MenuAction::ChangeButtonIcon, buttonIndex);
        return true;
    default:
        break;
    }
    if (id > kMoveToBase && id <= kMoveToLast) {
        MoveButton(buttonIndex, static_cast<int>(id - kMoveToBase));
        return true;
    }
    return false;
}

void CToolbarCommands::RemoveToolbar(int toolbarIndex)
{
    const std::vector<std::wstring>& names = m_host.Document().toolbarNames;
    if (toolbarIndex < 0 || toolbarIndex >= static_cast<int>(names.size())) return;
    // Copied: the timer may rebuild the row from another window's edit while
    // the question is shown. The toolbar is found again by its name afterwards.
    const std::wstring name = names[toolbarIndex];
    if (!CToolbarOperations::Confirm(Owner(), CToolbarOperations::RemoveToolbarQuestion(name))) return;
    if (CToolbarOperations().RemoveToolbarFromMenu(toolbarIndex, name)) m_host.Rebuild(SharedState().CurrentToolbar);
}

void CToolbarCommands::RunButtonAction(MenuAction action, size_t buttonIndex)
{
    const wchar_t* name = action == MenuAction::DeleteButton       ? kActionDelete
                          : action == MenuAction::ButtonProperties ? kActionProperties
                                                                   : kActionChangeIcon;
    ButtonContextAction(m_host, name, buttonIndex);
}

void CToolbarCommands::MoveButton(size_t buttonIndex, int targetNumber)
{
    const ToolbarButton* button = m_host.Row().At(buttonIndex);
    const RowDocument& document = m_host.Document();
    const std::vector<std::wstring> names = document.toolbarNames;
    const int shown = document.shownToolbar;
    if (!button || !document.signedIn || shown >= static_cast<int>(names.size())) return;
    if (targetNumber < 1 || targetNumber > static_cast<int>(names.size()) || targetNumber == shown + 1) return;
    const ToolbarRef source{names[shown], shown + 1};
    const int buttonId = button->position;
    // Gives the menu time to close before the row changes under it.
    Env().Sleep(700);
    if (CButtonOperations().MoveButtonToToolbar(source, buttonId, targetNumber, names)) m_host.Rebuild(shown);
}

MenuContext CToolbarCommands::MakeMenuContext() const
{
    const RowDocument& document = m_host.Document();
    const std::vector<ToolbarButton>& model = m_host.Row().Model();
    MenuContext context;
    context.model = &model;
    context.toolbarNames = document.toolbarNames;
    context.currentToolbar = document.shownToolbar;
    context.signedIn = document.signedIn;
    context.popupBlockerOn = g_PopupMgr > 0 && BrowserCanBlockPopups();
    context.siteToAllow = SiteToAllow(PageUrl()).value_or(L"");
    context.imageFolder = m_host.Startup().paths.imageFolder;
    // Entry identifiers start past the buttons; the mode moves them further on.
    context.firstEntryId = 555 + static_cast<UINT>(model.size()) + (m_host.InMode() ? 200 : 0);
    return context;
}

UINT CToolbarCommands::TrackMenu(const std::function<unique_hmenu(CToolbarMenuBuilder&)>& build, POINT at)
{
    MenuOpenScope open(m_menuOpen, m_host.Row().Tooltips());
    // Plug-in workers wait while a menu is open, so no menu changes under it.
    const PluginRefreshHold hold;
    CToolbarMenuBuilder builder(m_menuHelp, MakeMenuContext());
    unique_hmenu menu = build(builder);
    if (!menu) return 0;
    if (builder.Dropped() > 0) {
        static std::atomic<bool> logged{false};
        if (!logged.exchange(true)) LogError(kRiskLow, kMenuCut);
    }
    m_menuCommands = builder.Commands();
    HWND owner = Owner();
    ::SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.get()), 0);
    const UINT chosen = Env().TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, owner);
    if (::IsWindow(owner)) ::SendMessageW(owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(menu.get()), 0);
    return chosen;
}

void CToolbarCommands::ShowDropDownMenu(int commandId)
{
    const auto index = m_host.Row().IndexOf(commandId);
    if (!index) return;
    ::SetFocus(m_host.Row().hwnd());
    const UINT chosen = TrackMenu([&](CToolbarMenuBuilder& builder) { return builder.DropDownMenu(*index); },
                                  m_host.Row().BelowItem(commandId));
    if (chosen) OnCommand(chosen, 0);
}

void CToolbarCommands::ShowOverflowMenu()
{
    const std::vector<size_t> hidden = m_host.Row().HiddenIndexes();
    const UINT chosen = TrackMenu([&](CToolbarMenuBuilder& builder) { return builder.OverflowMenu(hidden); },
                                  m_host.Row().BelowItem(kChevronCommand));
    if (chosen) OnCommand(chosen, 0);
}

void CToolbarCommands::ShowButtonContextMenu(int commandId)
{
    if (commandId == static_cast<int>(kSignInCommand) || commandId == kChevronCommand) return;
    // Every entry edits the signed-in document: signed out there is no menu,
    // as the basic row's buttons are not the login document's.
    if (!m_host.Document().signedIn) return;
    const auto index = m_host.Row().IndexOf(commandId);
    if (!index) return;
    POINT at{};
    ::GetCursorPos(&at);
    const UINT chosen = TrackMenu([&](CToolbarMenuBuilder& builder) { return builder.ContextMenu(*index); }, at);
    if (!chosen) return;
    // The command belongs to the right-clicked button until it has run.
    m_contextButton = *index;
    ScopeExit clear([this] { m_contextButton.reset(); });
    OnCommand(chosen, 0);
}

} // namespace marlin
