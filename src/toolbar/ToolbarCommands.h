#pragma once
// What a click on a toolbar button or a choice in one of its menus does, and
// the menus themselves as the toolbar opens them. The commands see the
// toolbar window only through the narrow IToolbarCommandHost.
#include "ButtonRow.h"
#include "MenuIcons.h"
#include "ToolbarMenus.h"

#include "document/DocumentStore.h"

#include <exdisp.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace marlin {

// The document the row was built from, as menus and commands address it.
struct RowDocument {
    std::vector<std::wstring> toolbarNames; // the real toolbars, in document order
    int shownToolbar = 0;
    bool signedIn = false;                  // the row shows the signed-in document
};

class IToolbarCommandHost {
public:
    virtual HWND OwnerWindow() const noexcept = 0;
    virtual IWebBrowser2* Browser() const noexcept = 0;
    virtual const CButtonRow& Row() const noexcept = 0;
    virtual const RowDocument& Document() const noexcept = 0;
    virtual const DocumentStartup& Startup() const noexcept = 0;
    // The toolbar window's mode (0x498) moves menu identifiers further on.
    virtual bool InMode() const noexcept = 0;
    // Builds the row again for toolbar `index` and repaints.
    virtual void Rebuild(int index) = 0;
    // The pop-up switch was set to `state` here; the row follows it.
    virtual void PopupSwitchChanged(int state) = 0;
    // The user signed in through the dialog; the documents switch on the next tick.
    virtual void SignedInThroughDialog() noexcept = 0;
    // Uninstalling: nothing is to follow other windows any more.
    virtual void StopSynchronizing() noexcept = 0;
    // Opens the settings dialog over the toolbar; on its plug-in manager page when asked.
    virtual void OpenSettings() = 0;
    virtual void OpenPluginManager() = 0;
    // Runs the plug-in of the button `command`: its FetchData, its answer
    // stored, the row rebuilt (the refresh is stopped by the caller).
    virtual void ShowPluginSettings(const std::wstring& pluginId, int command) = 0;
    // A button was added here and the row rebuilt: the other windows follow.
    virtual void ButtonsChangedHere() noexcept = 0;
    // The shown page's site went on the pop-up allow list: its count starts again.
    virtual void PopupSiteAllowed() = 0;

protected:
    ~IToolbarCommandHost() = default;
};

class CToolbarCommands {
public:
    explicit CToolbarCommands(IToolbarCommandHost& host) noexcept : m_host(host) {}
    CToolbarCommands(const CToolbarCommands&) = delete;
    CToolbarCommands& operator=(const CToolbarCommands&) = delete;

    // A command from a button or a menu; answers whether it was acted on.
    bool OnCommand(UINT id, UINT code);
    void ShowDropDownMenu(int commandId);
    void ShowOverflowMenu();
    void ShowButtonContextMenu(int commandId);
    // The sign-in dialog below the toolbar; true when the user signed in.
    bool SignInThroughDialog();

    bool MenuOpen() const noexcept { return m_menuOpen; }
    CToolbarMenuHelp& MenuHelper() noexcept { return m_menuHelp; }
    // The window is going: the last menu's entries and pictures go too.
    void Reset() noexcept;

private:
    bool OnButtonClick(size_t index);
    bool OnMenuCommand(const MenuCommand& command);
    bool OnContextCommand(UINT id, size_t buttonIndex);
    void OpenFileOrFolder(const std::wstring& path, bool isFile, bool fromMenu);
    void OpenInNewWindow(const std::wstring& url);
    void Navigate(const std::wstring& url);
    void TurnPopupBlocker(bool on);
    void AllowPopupsFrom(const std::wstring& site);
    std::wstring PageUrl() const;
    void OnSignInButton();
    void RemoveToolbar(int toolbarIndex);
    void RunButtonAction(MenuAction action, size_t buttonIndex);
    void MoveButton(size_t buttonIndex, int targetNumber);
    bool BrowserCanBlockPopups() const;
    // Builds a menu, tracks it at `at` (screen) and answers the choice (0: none).
    UINT TrackMenu(const std::function<unique_hmenu(CToolbarMenuBuilder&)>& build, POINT at);
    MenuContext MakeMenuContext() const;
    HWND Owner() const noexcept { return m_host.OwnerWindow(); }

    IToolbarCommandHost& m_host;
    CToolbarMenuHelp m_menuHelp;
    std::vector<MenuCommand> m_menuCommands; // the commands of the last menu
    bool m_menuOpen = false;
    std::optional<size_t> m_contextButton;   // the right-clicked button while its command runs
};

} // namespace marlin
