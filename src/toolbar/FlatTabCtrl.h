#pragma once
// The strip of tabs that lists the toolbars of the shown document, with the
// pseudo tab last ("Add Toolbar" signed in, "Add Tab" signed out). Choosing a
// tab tells the parent (WM_NOTIFY, sender 2000, TCN_SELCHANGE); the pseudo tab
// adds a toolbar or signs in; a right click offers "Delete" and "Properties"
// for a toolbar. Tabs that do not fit scroll by whole tabs behind two arrows.
#include "config/Skins.h"
#include "platform/UniqueHandle.h"
#include "platform/Window.h"

#include <optional>
#include <string>
#include <vector>

namespace marlin {

// The strip's colours and its background brush (owned by the caller; the
// built-in colour when none).
struct TabStripLook {
    COLORREF tabFill = kBuiltInTabFill;
    COLORREF tabLine = kBuiltInTabLine;
    COLORREF text = kBuiltInTabText;
    HBRUSH background = nullptr;
};

// What the strip asks of the toolbar window that holds it.
class ITabStripHost {
public:
    virtual bool TabStripSignedIn() const noexcept = 0;
    virtual bool ToolbarHasPluginButton(int index) const = 0;
    // The name for a new toolbar (modify: a new name for `current`); none when cancelled.
    virtual std::optional<std::wstring> AskToolbarName(bool modify, const std::wstring& current) = 0;
    // The sign-in dialog below the band; true when it signed in.
    virtual bool SignInFromTabStrip() = 0;
    // Shows the toolbar at `index` (shared index, row, layout).
    virtual void ActivateToolbar(int index) = 0;
    // The toolbars were added, renamed or removed here: tabs and row follow.
    virtual void ToolbarsEdited() = 0;
    virtual void FocusSearch() noexcept = 0;

protected:
    ~ITabStripHost() = default;
};

// Tab geometry, for the window and its tests.
namespace tabs {
inline constexpr int kStripHeight = 22;
inline constexpr int kTabHeight = 19;  // the base line runs below the tabs
inline constexpr int kFirstTabLeft = 2;
inline constexpr int kTabGap = 2;
inline constexpr int kArrowsWidth = 24; // two scroll arrows, shown only when the tabs do not fit
// A tab's width for a name `textWidth` pixels wide: 15 more, 4 more again
// when the name holds a digit.
int TabWidth(const std::wstring& name, int textWidth) noexcept;
// The first visible tab that keeps `selected` in view in `stripWidth`.
size_t ScrollToShow(const std::vector<int>& widths, size_t first, size_t selected, int stripWidth) noexcept;
} // namespace tabs

class CFlatTabCtrl : public Window<CFlatTabCtrl> {
public:
    static constexpr const wchar_t* kClassName = L"MarlinFlatTabCtrl";
    static constexpr UINT_PTR kControlId = 2000;
    static constexpr UINT kDeleteCommand = 32795;
    static constexpr UINT kPropertiesCommand = 32796;
    static constexpr UINT kChangeIconCommand = 32797;
    static constexpr UINT kMenuResource = 279;

    explicit CFlatTabCtrl(ITabStripHost& host) : m_host(host) {}
    ~CFlatTabCtrl() { Destroy(); }

    HWND CreateIn(HWND parent, const RECT& rect);

    // The tabs of the real toolbars `names` in order, then the pseudo tab.
    void BuildTabs(const std::vector<std::wstring>& names, bool signedIn);
    void SelectTab(int index);
    // The tab under `point` (client coordinates), or -1.
    int HitTest(POINT point) const noexcept;
    void SetLook(const TabStripLook& look);

    // The width all tabs want (the row gives the strip at most part of itself).
    int PreferredWidth() const noexcept;
    int Selected() const noexcept { return m_selected; }
    int TabCount() const noexcept { return static_cast<int>(m_tabs.size()); }
    const std::wstring& TabName(int index) const { return m_tabs.at(index).name; }
    RECT TabRect(int index) const { return m_tabs.at(index).rect; }
    size_t FirstVisible() const noexcept { return m_first; }

    LRESULT OnPaint(WPARAM, LPARAM, bool&);
    LRESULT OnLeftButtonDown(WPARAM, LPARAM, bool&);
    LRESULT OnRightButtonDown(WPARAM, LPARAM, bool&);
    LRESULT OnCommand(WPARAM, LPARAM, bool&);
    LRESULT OnSize(WPARAM, LPARAM, bool&);
    LRESULT OnCreate(WPARAM, LPARAM, bool&);
    LRESULT OnMenuCommand(WPARAM, LPARAM, bool&);
    LRESULT OnMouseMove(WPARAM, LPARAM, bool&);
    LRESULT OnMouseLeave(WPARAM, LPARAM, bool&);
    LRESULT OnMouseHover(WPARAM, LPARAM, bool&);
    LRESULT OnEraseBackground(WPARAM, LPARAM, bool&);
    LRESULT OnGetCurrentSelection(WPARAM, LPARAM, bool&);
    LRESULT OnMouseWheel(WPARAM, LPARAM, bool&);

    static constexpr MessageEntry<CFlatTabCtrl> kMessageMap[] = {
        {WM_PAINT, &CFlatTabCtrl::OnPaint},
        {WM_LBUTTONDOWN, &CFlatTabCtrl::OnLeftButtonDown},
        {WM_RBUTTONDOWN, &CFlatTabCtrl::OnRightButtonDown},
        {WM_COMMAND, &CFlatTabCtrl::OnCommand},
        {WM_SIZE, &CFlatTabCtrl::OnSize},
        {WM_CREATE, &CFlatTabCtrl::OnCreate},
        {WM_MENUCOMMAND, &CFlatTabCtrl::OnMenuCommand},
        {WM_MOUSEMOVE, &CFlatTabCtrl::OnMouseMove},
        {WM_MOUSELEAVE, &CFlatTabCtrl::OnMouseLeave},
        {WM_MOUSEHOVER, &CFlatTabCtrl::OnMouseHover},
        {WM_ERASEBKGND, &CFlatTabCtrl::OnEraseBackground},
        {TCM_GETCURSEL, &CFlatTabCtrl::OnGetCurrentSelection},
        {WM_MOUSEWHEEL, &CFlatTabCtrl::OnMouseWheel},
    };

private:
    struct Tab {
        std::wstring name;
        RECT rect{};
    };

    int PseudoTab() const noexcept { return TabCount() - 1; }
    bool ArrowsShown() const noexcept;
    void LayoutTabs();
    void Scroll(int step);
    void RunTabCommand(UINT command, int index);
    void Paint(HDC target, const RECT& client) const;

    ITabStripHost& m_host;
    std::vector<Tab> m_tabs;
    std::vector<int> m_widths;
    int m_selected = 0;
    int m_hover = -1;
    int m_menuTab = -1; // the tab the right-click menu belongs to
    size_t m_first = 0; // the first tab shown
    unique_hfont m_font;
    TabStripLook m_look;
    bool m_tracking = false;
};

} // namespace marlin
