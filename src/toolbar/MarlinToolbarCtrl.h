#pragma once
// The toolbar window the user sees: a superclassed toolbar control inside the
// band's hidden window. At its creation it resolves its paths and the sign-in
// state and makes sure the current toolbar document exists. The buttons, the
// tab strip and the synchronisation timer are built on top of this window.
#include "ToolbarModel.h"
#include "document/DocumentStore.h"
#include "platform/ComObject.h"
#include "platform/UniqueHandle.h"
#include "platform/Window.h"

#include <exdisp.h>

#include <vector>

class CMarlinToolbarObj;

class CMarlinToolbarCtrl : public marlin::Window<CMarlinToolbarCtrl> {
public:
    static constexpr const wchar_t* kClassName = L"MarlinToolbarCtrl";
    static constexpr const wchar_t* kBaseClassName = TOOLBARCLASSNAMEW;
    static constexpr UINT kControlId = 0xE800;
    // WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_TRANSPARENT | TBSTYLE_CUSTOMERASE |
    // TBSTYLE_LIST | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_ADJUSTABLE |
    // CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_TOP
    static constexpr DWORD kStyle = 0x5001B96D;

    HWND CreateIn(HWND parent, const RECT& rect);

    // Links with the band and the browser (set up by the band's SetSite).
    void SetBrowser(IWebBrowser2* browser) { m_browser = browser; }
    IWebBrowser2* Browser() const noexcept { return m_browser.Get(); }
    void LinkBand(CMarlinToolbarObj* band) noexcept { m_band = band; }
    CMarlinToolbarObj* Band() const noexcept { return m_band; }
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

    // Rebuilds the button row for the toolbar at `index` of the current document.
    void RefreshToolbar(int index);
    // Places the inner toolbar and hides what does not fit behind the chevron.
    void LayoutButtons(int width, int height);
    // The model record at `index`, or null.
    const marlin::ToolbarButton* GetButton(size_t index) const noexcept;
    size_t ButtonCount() const noexcept { return m_model.size(); }
    size_t HiddenButtonCount() const noexcept { return m_hiddenCount; }
    HWND ButtonToolbar() const noexcept { return m_buttons; }

    LRESULT OnCreate(WPARAM, LPARAM, bool&);
    LRESULT OnSize(WPARAM, LPARAM, bool&);
    LRESULT OnNotify(WPARAM, LPARAM, bool&);
    LRESULT OnMouseMove(WPARAM, LPARAM, bool&);
    LRESULT OnDestroy(WPARAM, LPARAM, bool&);

    static constexpr marlin::MessageEntry<CMarlinToolbarCtrl> kMessageMap[] = {
        {WM_CREATE, &CMarlinToolbarCtrl::OnCreate},   {WM_SIZE, &CMarlinToolbarCtrl::OnSize},
        {WM_NOTIFY, &CMarlinToolbarCtrl::OnNotify},   {WM_MOUSEMOVE, &CMarlinToolbarCtrl::OnMouseMove},
        {WM_DESTROY, &CMarlinToolbarCtrl::OnDestroy},
    };

private:
    // Builds the row for toolbar `index` of `document`, the current document.
    void BuildRow(int index, const marlin::XmlDocument& document);
    void PopulateButtons();
    void PlaceSearchPlaceholder();
    RECT ItemRect(int commandId) const noexcept;

    marlin::ComPtr<IWebBrowser2> m_browser;
    HWND m_buttons = nullptr;           // the inner toolbar with the button row
    HWND m_searchPlaceholder = nullptr; // where the search box goes
    RECT m_createRect{};
    std::vector<marlin::ToolbarButton> m_model;
    std::vector<marlin::unique_himagelist> m_imageLists;
    size_t m_hiddenCount = 0;
    SIZE m_size{};
    std::wstring m_tooltip; // the text handed to the tooltip last
    CMarlinToolbarObj* m_band = nullptr;
    HWND m_parentWindow = nullptr;
    POINT m_lastClick{};
    bool m_rightButtonPressed = false;
    bool m_mouseMoved = false;
    int m_rowHeight = 16;
    marlin::DocumentStartup m_startup;
};
