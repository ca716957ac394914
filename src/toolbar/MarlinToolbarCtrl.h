#pragma once
// The toolbar window the user sees: a superclassed toolbar control inside the
// band's hidden window. At its creation it resolves its paths and the sign-in
// state and makes sure the current toolbar document exists. It then holds two
// inner toolbars (the button row and the sign-in button), follows the other
// browser windows once a second, and turns clicks and menu choices into
// commands.
#include "ToolbarBand.h"
#include "ToolbarMenus.h"
#include "ToolbarModel.h"
#include "document/DocumentStore.h"
#include "platform/ComObject.h"
#include "platform/UniqueHandle.h"
#include "platform/Window.h"

#include <exdisp.h>

#include <functional>
#include <optional>
#include <vector>

class CMarlinToolbarCtrl : public marlin::Window<CMarlinToolbarCtrl> {
public:
    static constexpr const wchar_t* kClassName = L"MarlinToolbarCtrl";
    static constexpr const wchar_t* kBaseClassName = TOOLBARCLASSNAMEW;
    static constexpr UINT kControlId = 0xE800;
    // WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_TRANSPARENT | TBSTYLE_CUSTOMERASE |
    // TBSTYLE_LIST | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_ADJUSTABLE |
    // CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_TOP
    static constexpr DWORD kStyle = 0x5001B96D;
    static constexpr UINT_PTR kSyncTimer = 1195;
    static constexpr UINT kSyncInterval = 1000;
    // WM_USER + 152: 1 leaves the mode (back to the first toolbar), anything else enters it.
    static constexpr UINT kModeMessage = 0x498;
    static constexpr UINT_PTR kTabStripId = 2000;
    static constexpr COLORREF kBackground = RGB(199, 216, 237);

    HWND CreateIn(HWND parent, const RECT& rect);

    // Links with the band and the browser (set up by the band's SetSite).
    void SetBrowser(IWebBrowser2* browser) { m_browser = browser; }
    IWebBrowser2* Browser() const noexcept { return m_browser.Get(); }
    void LinkBand(IToolbarBand* band) noexcept { m_band = band; }
    IToolbarBand* Band() const noexcept { return m_band; }
    void SetParentWindow(HWND parent) noexcept { m_parentWindow = parent; }

    // Mouse state recorded by the band's thread mouse hook.
    void SetLastClickPoint(POINT point) noexcept { m_lastClick = point; }
    POINT LastClickPoint() const noexcept { return m_lastClick; }
    void SetRightButtonPressed() noexcept { m_rightButtonPressed = true; }
    bool MouseMoved() const noexcept { return m_mouseMoved; }

    // The row height the band chose from the visual-style setting.
    void SetRowHeight(int height) noexcept { m_rowHeight = height; }
    int RowHeight() const noexcept { return m_rowHeight; }

    // Repaints the toolbar.
    void Repaint() noexcept;
    // Releases what the band's site gave (the band is being unsited).
    void ReleaseBandResources() noexcept;

    // Whether the data folder was found at creation.
    bool PathFound() const noexcept { return m_startup.pathFound; }
    const marlin::DocumentStartup& Startup() const noexcept { return m_startup; }
    bool ShowsLoginDocument() const noexcept { return m_showsLogin; }

    // Rebuilds the button row for the toolbar at `index` of the current document.
    void RefreshToolbar(int index);
    // Places the inner toolbars and hides what does not fit behind the chevron.
    void LayoutButtons(int width, int height);
    // The model record at `index`, or null.
    const marlin::ToolbarButton* GetButton(size_t index) const noexcept;
    size_t ButtonCount() const noexcept { return m_model.size(); }
    size_t HiddenButtonCount() const noexcept { return m_hiddenCount; }
    HWND ButtonToolbar() const noexcept { return m_buttons; }
    HWND SignInToolbar() const noexcept { return m_signIn; }
    int ShownToolbar() const noexcept { return m_shownToolbar; }
    // How many times the row was built (benchmarks and tests).
    unsigned RowBuilds() const noexcept { return m_rowBuilds; }

    // Shows `caption` on the pop-up blocker button ("(3) Blocked", "Pop-up
    // Blocker (ON)"...); false when the row has no such button.
    bool SetPopupBlockerCaption(const std::wstring& caption);

    // One pass of the synchronisation timer.
    void SynchronizeWithOtherWindows();

    // Commands from buttons and menus; answers whether the command was acted on.
    bool OnCommand(UINT id, UINT code);
    // The menus, as the toolbar's notifications open them.
    void ShowDropDownMenu(int commandId);
    void ShowOverflowMenu();
    void ShowButtonContextMenu(int commandId);

    LRESULT OnCreate(WPARAM, LPARAM, bool&);
    LRESULT OnSize(WPARAM, LPARAM, bool&);
    LRESULT OnThemeChanged(WPARAM, LPARAM, bool&);
    LRESULT OnModeMessage(WPARAM, LPARAM, bool&);
    LRESULT OnTooltipRequest(WPARAM, LPARAM, bool&);
    LRESULT OnTabSelection(WPARAM, LPARAM, bool&);
    LRESULT OnDropDown(WPARAM, LPARAM, bool&);
    LRESULT OnOtherNotify(WPARAM, LPARAM, bool&);
    LRESULT OnEraseBackground(WPARAM, LPARAM, bool&);
    LRESULT OnTimer(WPARAM, LPARAM, bool&);
    LRESULT OnNcXButtonDown(WPARAM, LPARAM, bool&);
    LRESULT OnCommandMessage(WPARAM, LPARAM, bool&);
    LRESULT OnMouseHover(WPARAM, LPARAM, bool&);
    LRESULT OnInitMenuPopup(WPARAM, LPARAM, bool&);
    LRESULT OnUninitMenuPopup(WPARAM, LPARAM, bool&);
    LRESULT OnMeasureItem(WPARAM, LPARAM, bool&);
    LRESULT OnDrawItem(WPARAM, LPARAM, bool&);
    LRESULT OnMouseMove(WPARAM, LPARAM, bool&);
    LRESULT OnDestroy(WPARAM, LPARAM, bool&);

    static constexpr marlin::MessageEntry<CMarlinToolbarCtrl> kMessageMap[] = {
        {WM_CREATE, &CMarlinToolbarCtrl::OnCreate},
        {WM_SIZE, &CMarlinToolbarCtrl::OnSize},
        {WM_THEMECHANGED, &CMarlinToolbarCtrl::OnThemeChanged},
        {kModeMessage, &CMarlinToolbarCtrl::OnModeMessage},
        {WM_NOTIFY, &CMarlinToolbarCtrl::OnTooltipRequest},
        {WM_NOTIFY, &CMarlinToolbarCtrl::OnTabSelection},
        {WM_NOTIFY, &CMarlinToolbarCtrl::OnDropDown},
        {WM_NOTIFY, &CMarlinToolbarCtrl::OnOtherNotify},
        {WM_ERASEBKGND, &CMarlinToolbarCtrl::OnEraseBackground},
        {WM_TIMER, &CMarlinToolbarCtrl::OnTimer},
        {WM_NCXBUTTONDOWN, &CMarlinToolbarCtrl::OnNcXButtonDown},
        {WM_COMMAND, &CMarlinToolbarCtrl::OnCommandMessage},
        {WM_MOUSEHOVER, &CMarlinToolbarCtrl::OnMouseHover},
        {WM_INITMENUPOPUP, &CMarlinToolbarCtrl::OnInitMenuPopup},
        {WM_UNINITMENUPOPUP, &CMarlinToolbarCtrl::OnUninitMenuPopup},
        {WM_MEASUREITEM, &CMarlinToolbarCtrl::OnMeasureItem},
        {WM_DRAWITEM, &CMarlinToolbarCtrl::OnDrawItem},
        {WM_MOUSEMOVE, &CMarlinToolbarCtrl::OnMouseMove},
        {WM_DESTROY, &CMarlinToolbarCtrl::OnDestroy},
    };

private:
    // The marks of the shared change flags this window has acted on.
    struct HandledChanges {
        LONG tabs = 0;
        LONG settings = 0;
        LONG buttons = 0;
        LONG buttonEdits = 0;
        LONG moves = 0;
    };

    // Builds the row for toolbar `index` of `document`, the document of the
    // sign-in state `signedIn`.
    void BuildRow(int index, const marlin::XmlDocument& document, bool signedIn);
    static constexpr size_t kAllShown = static_cast<size_t>(-1);
    static constexpr LRESULT kFewButtons = 16;
    void LoadButtonImages();
    void ClearButtonToolbar();
    // Adds the row's buttons, those from `hiddenFrom` on hidden (with the chevron shown).
    void PopulateButtons(size_t hiddenFrom);
    // The caption and picture follow the stored state; anything but "1" reads as signed out.
    void BuildSignInButton(bool signedIn);
    void PlaceSearchPlaceholder();
    RECT ItemRect(int commandId) const noexcept;
    // Hides the records from `hiddenFrom` on and shows the rest, with as few layouts as it can.
    void ApplyOverflow(size_t hiddenFrom);
    int SignInButtonWidth() const noexcept;
    int DecideRowHeight() const;
    bool BrowserCanBlockPopups() const;
    void RebuildAndRepaint(int index);
    void SwitchDocuments(bool toLogin);

    // Commands (ToolbarCommands.cpp).
    bool OnButtonClick(size_t index);
    bool OnMenuCommand(const marlin::MenuCommand& command);
    bool OnContextCommand(UINT id);
    void OpenFileOrFolder(const std::wstring& path, bool isFile, bool fromMenu);
    void OpenInNewWindow(const std::wstring& url);
    void Navigate(const std::wstring& url);
    void TurnPopupBlocker(bool on, const marlin::ToolbarButton* button);
    void ShowPopupBlockerSettings();
    void OnSignInButton();
    void RunButtonAction(marlin::MenuAction action, size_t buttonIndex);
    void MoveButton(size_t buttonIndex, int targetNumber);
    // Builds a menu, tracks it at `at` (screen) and answers the choice (0: none).
    UINT TrackMenu(const std::function<marlin::unique_hmenu(marlin::CToolbarMenuBuilder&)>& build, POINT at);
    POINT BelowButton(int commandId) const noexcept;
    marlin::MenuContext MakeMenuContext() const;
    marlin::ComPtr<IUnknown> HoldBand() const noexcept;
    std::optional<size_t> ModelIndexOf(int commandId) const noexcept;

    marlin::ComPtr<IWebBrowser2> m_browser;
    HWND m_buttons = nullptr;           // the inner toolbar with the button row
    HWND m_signIn = nullptr;            // the inner toolbar with the sign-in button
    HWND m_searchPlaceholder = nullptr; // where the search box goes
    RECT m_createRect{};
    std::vector<marlin::ToolbarButton> m_model;
    std::vector<std::wstring> m_toolbarNames; // the real toolbars of the row's document
    bool m_rowSignedIn = false;               // the row shows the signed-in document
    std::vector<marlin::unique_himagelist> m_imageLists;
    std::vector<marlin::unique_himagelist> m_nextImageLists; // built, not yet handed to the toolbar
    std::vector<RECT> m_fullRects; // each record's place with every record shown
    size_t m_hiddenFrom = kAllShown; // the first record hidden behind the chevron
    marlin::unique_himagelist m_signInImages;
    marlin::unique_hbrush m_background;
    size_t m_hiddenCount = 0;
    int m_chevronWidth = 0;
    int m_chevronHeight = 0;    // the row height the chevron was measured at
    std::wstring m_signInPicture; // what the sign-in button shows now
    int m_signInHeight = 0;
    SIZE m_size{};
    std::wstring m_tooltip; // the text handed to the tooltip last
    IToolbarBand* m_band = nullptr;
    HWND m_parentWindow = nullptr;
    POINT m_lastClick{};
    bool m_rightButtonPressed = false;
    bool m_mouseMoved = false;
    int m_rowHeight = 16;
    bool m_themeChanged = false;
    bool m_modeMark = false;
    marlin::DocumentStartup m_startup;

    // What this window shows, for the synchronisation timer.
    bool m_showsLogin = false;
    int m_shownToolbar = 0;
    int m_lastPopupState = 0;
    HandledChanges m_handled;
    std::wstring m_blockerCaption; // the blocker button's last caption: a count survives a rebuild
    unsigned m_rowBuilds = 0;

    // Menus: the one being tracked and the commands of the last one.
    marlin::CMenuHelp m_menuHelp;
    std::vector<marlin::MenuCommand> m_menuCommands;
    bool m_menuOpen = false;
    std::optional<size_t> m_contextButton; // the right-clicked button while its menu is open
};
