#pragma once
// The toolbar window the user sees: a superclassed toolbar control inside the
// band's hidden window. It keeps the window, its message table and its
// creation (the document start-up), and puts the row's parts together: the
// button row, the search slot and the sign-in strip, placed by the row
// layout; the commands and menus; and the once-a-second pass that follows the
// other browser windows.
#include "ButtonDrag.h"
#include "ButtonDrops.h"
#include "ButtonRow.h"
#include "FlatTabCtrl.h"
#include "PluginButtons.h"
#include "RowLayout.h"
#include "SettingsDialog.h"
#include "SignInStrip.h"
#include "Skin.h"
#include "ToolbarBand.h"
#include "ToolbarCommands.h"
#include "ToolbarSync.h"
#include "document/DocumentStore.h"
#include "platform/ComObject.h"
#include "platform/UniqueHandle.h"
#include "platform/Window.h"
#include "search/SearchBox.h"

#include <exdisp.h>

#include <string>

class CMarlinToolbarCtrl : public marlin::Window<CMarlinToolbarCtrl>,
                           private marlin::IToolbarCommandHost,
                           private marlin::ITabStripHost,
                           private marlin::ISettingsDialogHost {
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
    // Posted after a row build that has plug-in buttons whose pictures were never asked for.
    static constexpr UINT kAskPluginPicturesMessage = WM_APP + 0x4E0;

    CMarlinToolbarCtrl() : m_commands(*this), m_tabs(*this), m_buttonDrag(*this), m_drops(*this) {}
    // Destroys the window while the parts it tears down in WM_DESTROY still exist.
    ~CMarlinToolbarCtrl() { Destroy(); }
    CMarlinToolbarCtrl(const CMarlinToolbarCtrl&) = delete;
    CMarlinToolbarCtrl& operator=(const CMarlinToolbarCtrl&) = delete;

    HWND CreateIn(HWND parent, const RECT& rect);

    // Links with the band and the browser (set up by the band's SetSite).
    void SetBrowser(IWebBrowser2* browser)
    {
        m_browser = browser;
        m_searchBox.SetBrowser(browser);
    }
    IWebBrowser2* Browser() const noexcept override { return m_browser.Get(); }
    void LinkBand(IToolbarBand* band)
    {
        m_band = band;
        m_searchBox.SetBand(band);
    }
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

    void Repaint() noexcept;
    // Releases what the band's site gave (the band is being unsited).
    void ReleaseBandResources() noexcept;

    // Whether the data folder was found at creation.
    bool PathFound() const noexcept { return m_startup.pathFound; }
    const marlin::DocumentStartup& Startup() const noexcept override { return m_startup; }
    bool ShowsLoginDocument() const noexcept { return m_showsLogin; }

    // Rebuilds the button row for the toolbar at `index` of the current document.
    void RefreshToolbar(int index);
    // Places the row's parts and hides what does not fit behind the chevron.
    void LayoutButtons(int width, int height);
    // The model record at `index`, or null.
    const marlin::ToolbarButton* GetButton(size_t index) const noexcept { return m_row.At(index); }
    size_t ButtonCount() const noexcept { return m_row.Model().size(); }
    size_t HiddenButtonCount() const noexcept { return m_row.HiddenCount(); }
    HWND ButtonToolbar() const noexcept { return m_row.hwnd(); }
    // The row's image list `number` (0: its icons; 1 on: wide plug-in pictures).
    HIMAGELIST RowImageList(int number) const noexcept { return m_row.ImageList(number); }
    HWND SignInToolbar() const noexcept { return m_signIn.hwnd(); }
    // The search box in the row's search slot; null before the first build.
    marlin::ISearchBoxInput* SearchInput() noexcept { return m_searchBox.hwnd() ? &m_searchBox : nullptr; }
    marlin::CSearchBox& SearchBox() noexcept { return m_searchBox; }
    marlin::CFlatTabCtrl& TabStrip() noexcept { return m_tabs; }
    int ShownToolbar() const noexcept { return m_document.shownToolbar; }
    // How many times the row was built (benchmarks and tests).
    unsigned RowBuilds() const noexcept { return m_rowBuilds; }

    // Shows `caption` on the pop-up blocker button ("(3) Blocked", "Pop-up
    // Blocker (ON)"...); false when the row has no such button.
    bool SetPopupBlockerCaption(const std::wstring& caption);

    // Where a dropped link comes from: a link dragged out of a page also asks
    // the favicon service when its site has no icon of its own.
    enum class LinkOrigin { Toolbar, Page };
    // Offers `address` as a new button of the shown toolbar through the button
    // dialog, fetches its icon and rebuilds the row; false when nothing was added.
    bool AddLinkButton(const std::wstring& address, LinkOrigin origin);
    // A link dragged out of a page ended over the toolbar. A drag that the
    // drop target saw since `dragStartedAt` was the drop target's to add (or
    // to refuse): it is not offered twice.
    bool OfferPageLink(const std::wstring& address, ULONGLONG dragStartedAt);
    // Where the cursor was last seen over the toolbar during a drag (screen coordinates).
    POINT LastDropCursor() const noexcept { return m_drops.LastCursor(); }
    // The window's registered drop target (null when the registration failed).
    IDropTarget* DropTarget() const noexcept { return m_dropTarget.Target(); }

    // One pass of the synchronisation timer.
    void SynchronizeWithOtherWindows();

    // A plug-in button's "Settings": the plug-in's FetchData with the
    // button's place, its answer stored for the shown toolbar, the row rebuilt.
    void ShowPluginSettings(const std::wstring& pluginId, int command) override;
    // The place handed to a plug-in for the button `command`.
    RECT PluginRect(int command) const;
    // The row's plug-in side (catalogue, SDK object, pictures).
    marlin::CPluginButtons& Plugins() noexcept { return m_plugins; }

    // The skin this window paints with.
    const marlin::CSkinArt& Skin() const noexcept { return m_skin; }

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
    LRESULT OnButtonDragEnded(WPARAM, LPARAM, bool&);
    LRESULT OnDestroy(WPARAM, LPARAM, bool&);
    LRESULT OnRunDrops(WPARAM, LPARAM, bool&);
    LRESULT OnFaviconArrived(WPARAM, LPARAM, bool&);
    LRESULT OnAskPluginPictures(WPARAM, LPARAM, bool&);

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
        {marlin::CButtonDrag::kDragEndedMessage, &CMarlinToolbarCtrl::OnButtonDragEnded},
        {WM_DESTROY, &CMarlinToolbarCtrl::OnDestroy},
        {marlin::CButtonDrops::kRunDropsMessage, &CMarlinToolbarCtrl::OnRunDrops},
        {marlin::CButtonDrops::kFaviconArrivedMessage, &CMarlinToolbarCtrl::OnFaviconArrived},
        {kAskPluginPicturesMessage, &CMarlinToolbarCtrl::OnAskPluginPictures},
    };

private:
    // IToolbarCommandHost
    HWND OwnerWindow() const noexcept override { return hwnd(); }
    const marlin::CButtonRow& Row() const noexcept override { return m_row; }
    const marlin::RowDocument& Document() const noexcept override { return m_document; }
    bool InMode() const noexcept override { return m_modeMark; }
    void Rebuild(int index) override;
    void PopupSwitchChanged(int state) override;
    void SignedInThroughDialog() noexcept override { m_showsLogin = false; }
    void StopSynchronizing() noexcept override;
    void OpenSettings() override;
    void OpenPluginManager() override;

    // ISettingsDialogHost
    HWND ToolbarWindow() const noexcept override { return hwnd(); }
    bool PopupSwitchAvailable() const override;
    bool HasPluginButton() const override;
    void SettingsApplied(bool popupSwitched) override;

    // Paints with the process's current skin from now on; repaints when it changed.
    void FollowSkin();
    // The tab strip takes the skin's colours and strip background.
    void ApplyTabLook();

    // ITabStripHost
    bool TabStripSignedIn() const noexcept override;
    bool ToolbarHasPluginButton(int index) const override;
    std::optional<std::wstring> AskToolbarName(bool modify, const std::wstring& current) override;
    bool SignInFromTabStrip() override;
    void ActivateToolbar(int index) override;
    void ToolbarsEdited() override;
    void FocusSearch() noexcept override;
    void ButtonsChangedHere() noexcept override;
    void PopupSiteAllowed() override;

    // Builds the row for toolbar `index` of `document`, the document of the
    // sign-in state `signedIn`.
    void BuildRow(int index, const marlin::XmlDocument& document, bool signedIn);
    void ShowSignInStrip(bool signedIn);
    int DecideRowHeight() const;
    // The search box's place over the row's gap, with its height for the look.
    RECT SearchBoxPlace() const noexcept;
    void PlaceSearchBox();
    bool BrowserCanBlockPopups() const;
    void SwitchDocuments(bool toLogin);
    marlin::SyncMarks CurrentMarks(int popupState) const noexcept;
    // Keeps the band, and so this object, alive while a handler runs a message loop.
    marlin::ComPtr<IUnknown> HoldBand() const noexcept;

    marlin::ComPtr<IWebBrowser2> m_browser;
    marlin::CButtonRow m_row;
    marlin::CSignInStrip m_signIn;
    marlin::CRowLayout m_layout;
    marlin::CSearchBox m_searchBox;
    marlin::CToolbarCommands m_commands;
    marlin::CFlatTabCtrl m_tabs;
    marlin::CButtonDrag m_buttonDrag;
    marlin::CButtonDrops m_drops;
    marlin::CPluginButtons m_plugins;
    marlin::DropTargetRegistration m_dropTarget;
    marlin::RowDocument m_document;
    RECT m_createRect{};
    marlin::CSkinArt m_skin;
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
    marlin::SyncMarks m_handled;
    std::wstring m_blockerCaption; // the blocker button's last caption: a count survives a rebuild
    unsigned m_rowBuilds = 0;
    bool m_picturesArrived = false; // plug-in pictures came while the row could not be rebuilt
    bool m_picturesAsked = false;   // a request to ask for them is posted
};
