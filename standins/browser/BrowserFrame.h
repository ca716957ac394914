#pragma once
// One browser window of the stand-in: a frame with a rebar holding the back
// and forward buttons, the address bar and the component's band, a page area
// (PageView) that shows the current page and the last events fired, the
// browser object and the band site. The title is the page's title and address.
// Opening and closing the window load and unload the component exactly as
// the browser does (see ComponentHost). Several frames may be open at once.
#include "AddressBar.h"
#include "BandSite.h"
#include "ComponentHost.h"
#include "PageView.h"
#include "StandInBrowser.h"

#include "platform/ComObject.h"
#include "platform/Window.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace standin {

struct BrowserOptions {
    ComponentFactory factory = RegisteredComponent();
    BandSiteOptions site;
    std::wstring fullName = StandInBrowser::kDefaultFullName;
    // The demo ends its message loop when its only window closes.
    bool quitOnClose = false;
    // Opens a new browser window at an address: a pop-up the component let
    // through, a navigation asked for in a new window. None: nothing opens.
    std::function<void(const std::wstring& url)> openWindow;
    // The window's top-left corner on the screen.
    POINT position{80, 80};
};

// Sinks the component left connected when the window closed (it should have
// left none: the browser then drops them itself).
struct SinksLeftAtClose {
    std::size_t browser = 0;
    std::size_t documents = 0; // the page's and its frames'
    std::size_t windows = 0;
};

class BrowserFrame : public marlin::Window<BrowserFrame> {
public:
    static constexpr const wchar_t* kClassName = L"MarlinStandInBrowserFrame";
    static constexpr UINT kAddressBandId = 1;
    static constexpr UINT kComponentBandId = 2;
    static constexpr UINT kNavigationBandId = 3;
    static constexpr UINT kBackId = 101;
    static constexpr UINT kForwardId = 102;
    static constexpr const wchar_t* kTitleSuffix = L" - Marlin Demo Browser";

    explicit BrowserFrame(BrowserOptions options = {});
    ~BrowserFrame();

    // Opens the window, loads the component and, when an address is given,
    // navigates to it. False only when the window cannot be made.
    bool Open(const std::wstring& startAddress = {});
    // OnQuit, the component unloaded, the browser shut down, the window destroyed.
    void Close() noexcept;

    // While the window is open.
    StandInBrowser& Browser() noexcept { return *m_browser.Get(); }
    BandSite& Site() noexcept { return *m_site.Get(); }
    HWND Rebar() const noexcept { return m_rebar; }
    AddressBar& Address() noexcept { return m_address; }
    PageView& Page() noexcept { return m_page; }

    // The addresses this window showed, and the one it shows among them.
    bool GoBack();
    bool GoForward();

    const ComponentHost& Component() const noexcept { return m_component; }
    const SinksLeftAtClose& LeftAtClose() const noexcept { return m_leftAtClose; }

    // For the message loop: a keystroke the band used is not dispatched.
    bool TranslateAccelerator(MSG& message) noexcept;

    LRESULT OnCreate(WPARAM, LPARAM, bool&);
    LRESULT OnSize(WPARAM, LPARAM, bool&);
    LRESULT OnNotify(WPARAM, LPARAM, bool&);
    LRESULT OnPaint(WPARAM, LPARAM, bool&);
    LRESULT OnDestroy(WPARAM, LPARAM, bool&);
    void OnBack(UINT, HWND from) { if (from == m_navigation) GoBack(); }
    void OnForward(UINT, HWND from) { if (from == m_navigation) GoForward(); }

    static constexpr marlin::MessageEntry<BrowserFrame> kMessageMap[] = {
        {WM_CREATE, &BrowserFrame::OnCreate},   {WM_SIZE, &BrowserFrame::OnSize},
        {WM_NOTIFY, &BrowserFrame::OnNotify},   {WM_PAINT, &BrowserFrame::OnPaint},
        {WM_DESTROY, &BrowserFrame::OnDestroy},
    };
    static constexpr marlin::CommandEntry<BrowserFrame> kCommandMap[] = {
        {kBackId, &BrowserFrame::OnBack},
        {kForwardId, &BrowserFrame::OnForward},
    };

private:
    void Unload() noexcept;
    bool AddNavigationBand();
    void OnBrowserEvent();
    void ShowPage();
    void LayoutPage();
    void OpenPopup(const std::wstring& url);
    void UpdateNavigationButtons();
    std::wstring PageText() const;

    BrowserOptions m_options;
    ComponentHost m_component;
    marlin::ComPtr<StandInBrowser> m_browser;
    marlin::ComPtr<BandSite> m_site;
    HWND m_rebar = nullptr;
    AddressBar m_address;
    HWND m_navigation = nullptr;
    PageView m_page;
    std::wstring m_shownUrl;
    StandInDocument* m_shownDocument = nullptr; // identity only: the page's elements were given to it
    std::vector<std::wstring> m_history;
    size_t m_position = 0;
    // A back or forward navigation in progress: the history entry it goes to.
    std::optional<size_t> m_travellingTo;
    SinksLeftAtClose m_leftAtClose;
};

} // namespace standin
