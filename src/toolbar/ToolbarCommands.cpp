// What a click on a toolbar button or a choice in one of its menus does, and
// the menus themselves as the toolbar shows them.
#include "MarlinToolbarCtrl.h"

#include "About.h"
#include "Uninstall.h"
#include "config/ApplicationSettings.h"
#include "config/InstallPaths.h"
#include "config/Messages.h"
#include "config/SettingsStore.h"
#include "document/ButtonOperations.h"
#include "document/SharedInstanceState.h"
#include "document/SignIn.h"
#include "document/ToolbarOperations.h"
#include "host/MarlinToolbarObj.h"
#include "monitors/PopupBlocker.h"
#include "platform/ComTypes.h"
#include "platform/Environment.h"
#include "platform/Strings.h"

using namespace marlin;

namespace {

constexpr UINT kNotifyNotLookedUp = 0x10;

void Tell(HWND owner, const std::wstring& text)
{
    Env().ShowMessageBox(owner, text, kCaption, MB_OK | MB_ICONINFORMATION);
}

// Holds the "menu open" mark for as long as a menu is tracked.
class MenuOpenScope {
public:
    explicit MenuOpenScope(bool& open) noexcept : m_open(open) { m_open = true; }
    ~MenuOpenScope() { m_open = false; }
    MenuOpenScope(const MenuOpenScope&) = delete;
    MenuOpenScope& operator=(const MenuOpenScope&) = delete;

private:
    bool& m_open;
};

} // namespace

marlin::ComPtr<IUnknown> CMarlinToolbarCtrl::HoldBand() const noexcept
{
    // The band owns this object. A menu, dialog or message box runs a message
    // loop in which the browser may let the band go; holding it keeps this
    // object alive until the handler has returned.
    return marlin::ComPtr<IUnknown>(m_band ? m_band->Identity() : nullptr);
}

bool CMarlinToolbarCtrl::OnCommand(UINT id, UINT code)
{
    if (m_contextButton) return OnContextCommand(id);
    if (id == kSignInCommand) {
        OnSignInButton();
        return true;
    }
    if (auto index = ModelIndexOf(static_cast<int>(id))) return OnButtonClick(*index);
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

bool CMarlinToolbarCtrl::OnButtonClick(size_t index)
{
    const ToolbarButton button = m_model[index]; // a copy: the row may be rebuilt below
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
        TurnPopupBlocker(EqualsNoCase(button.caption, kPopupBlockerOff), &button);
        return true;
    }
    if (!button.url.empty()) Navigate(button.url);
    return true;
}

void CMarlinToolbarCtrl::OpenInNewWindow(const std::wstring& url)
{
    Env().ShellExecute(hwnd(), L"open", L"iexplore.exe", url.c_str(), nullptr, SW_SHOWNORMAL);
}

void CMarlinToolbarCtrl::Navigate(const std::wstring& url)
{
    if (!m_browser || url.empty()) return;
    Variant address = Variant::FromString(url);
    Variant empty;
    m_browser->Navigate2(&address.get(), &empty.get(), &empty.get(), &empty.get(), &empty.get());
}

void CMarlinToolbarCtrl::OpenFileOrFolder(const std::wstring& path, bool isFile, bool fromMenu)
{
    const auto result = reinterpret_cast<INT_PTR>(
        Env().ShellExecute(hwnd(), L"open", path.c_str(), nullptr, nullptr, SW_SHOW));
    if (result == ERROR_FILE_NOT_FOUND) {
        if (fromMenu) {
            Tell(hwnd(), path + L" does not Exists\n(Deleted/Moved/Renamed).");
        } else {
            Tell(hwnd(), std::wstring(L"Specified ") + (isFile ? L"file" : L"folder") +
                             L" path does not exist\n(Deleted / Moved / Renamed)");
        }
    } else if (result == ERROR_FILE_CORRUPT) {
        Tell(hwnd(), path + L" corrupted.");
    } else if (result == ERROR_BAD_FORMAT) {
        Tell(hwnd(), L"Bad Format.");
    }
}

void CMarlinToolbarCtrl::TurnPopupBlocker(bool on, const ToolbarButton*)
{
    if (on) {
        if (g_bProtectedMode == 1) {
            Tell(hwnd(), L"This feature is not available in Protected Mode.");
            return;
        }
        if (m_startup.paths.browserVersion.find(L"6.0.2800") != std::wstring::npos) {
            g_PopupMgr = 0;
            Tell(hwnd(), L"This functionality is not available in this version");
            return;
        }
    }
    if (!CReadRegistryValues().SetPopupMgr(on ? 1 : 0)) return;
    g_PopupMgr = on ? 1 : 0;
    m_blockerCaption.clear();
    // This window rebuilds now; the others see the registry value change.
    m_lastPopupState = g_PopupMgr;
    RebuildAndRepaint(m_shownToolbar);
}

void CMarlinToolbarCtrl::ShowPopupBlockerSettings()
{
    marlin::ShowPopupBlockerSettings(hwnd());
}

void CMarlinToolbarCtrl::OnSignInButton()
{
    const std::wstring stored = StoredSignInState();
    if (stored == L"1") {
        StoreSignInState(false);
        return;
    }
    if (stored != L"0" || !m_startup.pathFound) return;
    RECT window{};
    ::GetWindowRect(hwnd(), &window);
    CSignIn dialog(POINT{window.left, window.bottom});
    if (dialog.DoModal(::GetActiveWindow()) != IDOK) return;
    // The documents switch on the next tick of the timer.
    if (StoreSignInState(true)) m_showsLogin = false;
}

bool CMarlinToolbarCtrl::OnMenuCommand(const MenuCommand& command)
{
    const std::wstring& caption = command.entry.caption;
    switch (command.action) {
    case MenuAction::ShowToolbar:
        ::InterlockedExchange(&SharedState().CurrentToolbar, command.toolbarIndex);
        RebuildAndRepaint(command.toolbarIndex);
        return true;
    case MenuAction::ModifyToolbar:
        // Renaming needs the toolbar dialog, which comes with drag and drop.
        return true;
    case MenuAction::RemoveToolbar: {
        const std::vector<std::wstring>& names = m_toolbarNames;
        if (command.toolbarIndex >= static_cast<int>(names.size())) return true;
        if (!CToolbarOperations::Confirm(hwnd(), CToolbarOperations::RemoveToolbarQuestion(names[command.toolbarIndex]))) {
            return true;
        }
        if (CToolbarOperations().RemoveToolbarFromMenu(command.toolbarIndex)) RebuildAndRepaint(SharedState().CurrentToolbar);
        return true;
    }
    case MenuAction::SetDefaultToolbar:
        CToolbarOperations().SetAsDefault(command.toolbarIndex);
        return true;
    case MenuAction::BlockerOn:
    case MenuAction::BlockerOff:
        TurnPopupBlocker(command.action == MenuAction::BlockerOn, nullptr);
        return true;
    case MenuAction::DeleteButton:
    case MenuAction::ButtonProperties:
    case MenuAction::ChangeButtonIcon:
        RunButtonAction(command.action, command.buttonIndex);
        return true;
    case MenuAction::MoveButton:
        MoveButton(command.buttonIndex, command.toolbarIndex + 1);
        return true;
    case MenuAction::Entry:
        break;
    }

    switch (command.id) {
    case kMenuSettings:
        // The settings dialog opens here once it exists; nothing to do until then.
        return true;
    case kMenuUninstall:
        if (CToolbarOperations::Confirm(hwnd(), L"Are you sure you want to uninstall Marlin Toolbar?")) {
            RunUninstall(g_ApplicationPath.get());
            ::KillTimer(hwnd(), kSyncTimer);
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

    const ToolbarButton* button = GetButton(command.buttonIndex);
    if (caption == kBlockerSettings) {
        ShowPopupBlockerSettings();
    } else if (caption.find(kPluginManager) != std::wstring::npos) {
        // Consumed: the plug-in manager opens from the settings dialog.
    } else if (button && button->kind == L"1" && caption == L"Settings") {
        // A plug-in's own settings come with the plug-in link.
    } else if (button && button->kind == L"3") {
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

bool CMarlinToolbarCtrl::OnContextCommand(UINT id)
{
    const size_t index = *m_contextButton;
    switch (id) {
    case kContextDelete:
        RunButtonAction(MenuAction::DeleteButton, index);
        return true;
    case kContextProperties:
        RunButtonAction(MenuAction::ButtonProperties, index);
        return true;
    case kContextChangeIcon:
        RunButtonAction(MenuAction::ChangeButtonIcon, index);
        return true;
    default:
        break;
    }
    if (id > kMoveToBase && id != kSignInCommand && id != kChevronCommand) {
        MoveButton(index, static_cast<int>(id - kMoveToBase));
        return true;
    }
    return false;
}

void CMarlinToolbarCtrl::RunButtonAction(MenuAction action, size_t buttonIndex)
{
    const ToolbarButton* button = GetButton(buttonIndex);
    if (!button || action != MenuAction::DeleteButton) {
        // Properties and Change Icon need the button dialog, which comes with drag and drop.
        return;
    }
    const std::vector<std::wstring>& names = m_toolbarNames;
    if (m_shownToolbar >= static_cast<int>(names.size())) return;
    const ToolbarRef toolbar{names[m_shownToolbar], m_shownToolbar + 1};
    const int buttonId = button->position;
    if (!CToolbarOperations::Confirm(hwnd(), CToolbarOperations::RemoveButtonQuestion(button->caption))) return;
    if (CButtonOperations().DeleteButton(toolbar, buttonId)) {
        RaiseChange(SharedState().ButtonEditChanged);
        RebuildAndRepaint(m_shownToolbar);
    }
}

void CMarlinToolbarCtrl::MoveButton(size_t buttonIndex, int targetNumber)
{
    const ToolbarButton* button = GetButton(buttonIndex);
    const std::vector<std::wstring>& names = m_toolbarNames;
    if (!button || m_shownToolbar >= static_cast<int>(names.size())) return;
    if (targetNumber < 1 || targetNumber > static_cast<int>(names.size()) || targetNumber == m_shownToolbar + 1) return;
    const ToolbarRef source{names[m_shownToolbar], m_shownToolbar + 1};
    const int buttonId = button->position;
    // Gives the menu time to close before the row changes under it.
    Env().Sleep(700);
    if (CButtonOperations().MoveButtonToToolbar(source, buttonId, targetNumber, names)) RebuildAndRepaint(m_shownToolbar);
}

MenuContext CMarlinToolbarCtrl::MakeMenuContext() const
{
    MenuContext context;
    context.model = &m_model;
    context.toolbarNames = m_toolbarNames;
    context.currentToolbar = m_shownToolbar;
    context.signedIn = m_rowSignedIn;
    context.popupBlockerOn = g_PopupMgr > 0 && BrowserCanBlockPopups();
    context.imageFolder = m_startup.paths.imageFolder;
    // Entry identifiers start past the buttons; the mode moves them further on.
    context.firstEntryId = 555 + static_cast<UINT>(m_model.size()) + (m_modeMark ? 200 : 0);
    return context;
}

UINT CMarlinToolbarCtrl::TrackMenu(const std::function<unique_hmenu(CToolbarMenuBuilder&)>& build, POINT at)
{
    MenuOpenScope open(m_menuOpen);
    CToolbarMenuBuilder builder(m_menuHelp, MakeMenuContext());
    unique_hmenu menu = build(builder);
    if (!menu) return 0;
    m_menuCommands = builder.Commands();
    ::SendMessageW(hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.get()), 0);
    const UINT chosen =
        Env().TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, hwnd());
    ::SendMessageW(hwnd(), WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(menu.get()), 0);
    return chosen;
}

POINT CMarlinToolbarCtrl::BelowButton(int commandId) const noexcept
{
    RECT rect = ItemRect(commandId);
    ::MapWindowPoints(m_buttons, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    return POINT{rect.left, rect.bottom};
}

void CMarlinToolbarCtrl::ShowDropDownMenu(int commandId)
{
    const auto index = ModelIndexOf(commandId);
    if (!index) return;
    ::SetFocus(m_buttons);
    const UINT chosen = TrackMenu([&](CToolbarMenuBuilder& builder) { return builder.DropDownMenu(*index); },
                                  BelowButton(commandId));
    if (chosen) OnCommand(chosen, 0);
}

void CMarlinToolbarCtrl::ShowOverflowMenu()
{
    std::vector<size_t> hidden;
    for (size_t i = 0; i < m_model.size(); ++i) {
        if (!m_model[i].IsChevron() && ::SendMessageW(m_buttons, TB_ISBUTTONHIDDEN, m_model[i].commandId, 0)) {
            hidden.push_back(i);
        }
    }
    const UINT chosen = TrackMenu([&](CToolbarMenuBuilder& builder) { return builder.OverflowMenu(hidden); },
                                  BelowButton(kChevronCommand));
    if (chosen) OnCommand(chosen, 0);
}

void CMarlinToolbarCtrl::ShowButtonContextMenu(int commandId)
{
    if (commandId == static_cast<int>(kSignInCommand) || commandId == kChevronCommand) return;
    const auto index = ModelIndexOf(commandId);
    if (!index) return;
    POINT at{};
    ::GetCursorPos(&at);
    const UINT chosen = TrackMenu([&](CToolbarMenuBuilder& builder) { return builder.ContextMenu(*index); }, at);
    if (!chosen) return;
    // The command belongs to the right-clicked button until it has run.
    m_contextButton = *index;
    try {
        OnCommand(chosen, 0);
    } catch (...) {
        m_contextButton.reset();
        throw;
    }
    m_contextButton.reset();
}
