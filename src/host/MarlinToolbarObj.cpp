#include "MarlinToolbarObj.h"

#include "ClassIds.h"
#include "config/ApplicationSettings.h"
#include "config/InstallPaths.h"
#include "config/Probes.h"
#include "config/SettingsStore.h"
#include "document/SharedInstanceState.h"
#include "platform/ComTypes.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "toolbar/ToolbarGlobals.h"

#include <shlguid.h>

using namespace marlin;

namespace {

constexpr UINT kModeFlags = DBIMF_USECHEVRON | DBIMF_BREAK;

bool ToolbarsLocked()
{
    unique_hkey key = OpenRegistryKey(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar", KEY_READ);
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof(value);
    return key && ::RegQueryValueExW(key.get(), L"Locked", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                      ERROR_SUCCESS &&
           type == REG_DWORD && value == 1;
}

bool VisualStylesOff()
{
    auto value = ThemeActiveSetting();
    return value && EqualsNoCase(Trim(*value), L"0");
}

int ClientWidth(HWND window)
{
    RECT client{};
    return window && ::GetClientRect(window, &client) ? client.right - client.left : 0;
}

} // namespace

CMarlinToolbarObj::CMarlinToolbarObj()
    : m_minWidth(ScreenWidth()), m_savedWidth(ScreenWidth())
{
}

CMarlinToolbarObj::~CMarlinToolbarObj()
{
    // Nothing can still be connected to an object whose last reference is
    // gone: every connection holds one (the page sinks hold this object). The
    // sources have dropped them already, and their cookies may name other sinks.
    m_bandEvents.Abandon();
    m_helperEvents.Abandon();
    for (PageConnection& page : m_pages) {
        page.windowEvents.Abandon();
        page.documentEvents.Abandon();
    }
    m_pages.clear();
    TearDown();
}

void* CMarlinToolbarObj::QueryExtraInterface(REFIID iid) noexcept
{
    if (iid == __uuidof(IOleWindow)) return static_cast<IOleWindow*>(static_cast<IDeskBand*>(this));
    if (iid == __uuidof(IDockingWindow)) return static_cast<IDockingWindow*>(static_cast<IDeskBand*>(this));
    if (iid == __uuidof(IPersist)) return static_cast<IPersist*>(static_cast<IPersistStream*>(this));
    if (iid == __uuidof(IDispatch) || iid == DIID_DWebBrowserEvents2) {
        return static_cast<IDispatch*>(static_cast<IMarlinToolbarObj*>(this));
    }
    return nullptr;
}

CMarlinToolbarCtrl* CMarlinToolbarObj::Toolbar() noexcept
{
    return m_hiddenWindow.ToolbarExists() ? &m_hiddenWindow.Toolbar() : nullptr;
}

// IOleWindow

STDMETHODIMP CMarlinToolbarObj::GetWindow(HWND* window) noexcept
{
    if (!window) return E_INVALIDARG;
    *window = m_hiddenWindow.Toolbar().hwnd();
    return S_OK;
}

STDMETHODIMP CMarlinToolbarObj::ContextSensitiveHelp(BOOL enterMode) noexcept
{
    m_contextHelp = enterMode;
    return S_OK;
}

// IDockingWindow

STDMETHODIMP CMarlinToolbarObj::ShowDW(BOOL show) noexcept
{
    return ComBoundary([&] {
        UseSettingsReads reads(LoadReads());
        // Shown (or hidden again before): the load is over.
        const auto endLoad = ScopeExit([&]() noexcept { EndLoad(); });
        m_shown = show;
        HWND toolbar = m_hiddenWindow.Toolbar().hwnd();
        // The whole toolbar is painted anew when shown; invalidated first, it
        // is painted by the rebar's own repaint when the style changes below
        // (past the first showing), and not once more after it.
        if (show && toolbar) ::InvalidateRect(toolbar, nullptr, TRUE);
        if (m_parentWindow && toolbar) {
            const auto count = static_cast<UINT>(::SendMessageW(m_parentWindow, RB_GETBANDCOUNT, 0, 0));
            for (UINT index = 0; index < count; ++index) {
                REBARBANDINFOW band{};
                band.cbSize = sizeof(band);
                band.fMask = RBBIM_STYLE | RBBIM_CHILD;
                if (!::SendMessageW(m_parentWindow, RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&band))) continue;
                if (band.hwndChild != toolbar) continue;
                if (!show) {
                    // Hiding lays the rebar out as well: a hidden band (CloseDW
                    // hides it a second time) is left as it is.
                    if (!(band.fStyle & RBBS_HIDDEN)) ::SendMessageW(m_parentWindow, RB_SHOWBAND, index, FALSE);
                } else if (const UINT style = ToolbarsLocked() ? kStyleLocked : kStyleUnlocked;
                           band.fStyle != style) {
                    // Every change makes the rebar lay itself out and repaint:
                    // only a style that differs (also a hidden band) is set.
                    band.fMask = RBBIM_STYLE;
                    band.fStyle = style;
                    // At the first showing nothing of the toolbar has been
                    // painted yet: it stays out of the rebar's repaint and is
                    // painted once, from the message loop, like any window
                    // just shown, instead of inside this call.
                    if (m_loading) ::DefWindowProcW(toolbar, WM_SETREDRAW, FALSE, 0);
                    ::SendMessageW(m_parentWindow, RB_SETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
                    if (m_loading) {
                        ::DefWindowProcW(toolbar, WM_SETREDRAW, TRUE, 0);
                        ::InvalidateRect(toolbar, nullptr, TRUE);
                    }
                }
                break;
            }
        }
        ShowBand(show);
        if (show && toolbar) RefreshBandInfo();
        return S_OK;
    });
}

STDMETHODIMP CMarlinToolbarObj::CloseDW(DWORD) noexcept
{
    return ComBoundary([&] {
        if (EqualsNoCase(m_osPrefix, L"2000")) {
            CReadRegistryValues().SetMTSettingsFromIniFile(L"WndSize", Format(L"%d", ClientWidth(m_browserFrame)));
        }
        ShowDW(FALSE);
        return S_OK;
    });
}

STDMETHODIMP CMarlinToolbarObj::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) noexcept { return E_NOTIMPL; }

// IDeskBand

STDMETHODIMP CMarlinToolbarObj::GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) noexcept
{
    return ComBoundary([&] {
        UseSettingsReads reads(LoadReads());
        m_bandId = bandId;
        m_viewMode = viewMode;
        if (!info) return S_OK;
        if (info->dwMask & DBIM_MINSIZE) {
            info->ptMinSize = MinSize();
            m_answeredMinSize = info->ptMinSize;
        }
        if (info->dwMask & DBIM_MAXSIZE) info->ptMaxSize = POINTL{0, 20};
        if (info->dwMask & DBIM_INTEGRAL) info->ptIntegral = POINTL{10, 10};
        if (info->dwMask & DBIM_ACTUAL) info->ptActual.y = 22;
        if (info->dwMask & DBIM_BKCOLOR) info->dwMask &= ~static_cast<DWORD>(DBIM_BKCOLOR);
        if (info->dwMask & DBIM_MODEFLAGS) info->dwModeFlags = kModeFlags;
        if (CMarlinToolbarCtrl* toolbar = Toolbar(); toolbar && toolbar->PathFound()) {
            toolbar->SetRowHeight(VisualStylesOff() ? 20 : 16);
        }
        return S_OK;
    });
}

// IObjectWithSite

STDMETHODIMP CMarlinToolbarObj::SetSite(IUnknown* site) noexcept
{
    return ComBoundary([&]() -> HRESULT {
        if (m_site) {
            if (CMarlinToolbarCtrl* toolbar = Toolbar()) toolbar->ReleaseBandResources();
            m_site.Reset();
        }
        if (!site) {
            // The browser lets the object go: undo what it connected and made,
            // so that no event reaches windows that are gone.
            TearDown();
            return S_OK;
        }
        // The load starts: the settings it reads are read once until the band is shown.
        m_loadReads.Clear();
        m_loading = true;
        UseSettingsReads reads(LoadReads());
        m_tornDown = false;
        m_answeredMinSize.reset();
        CheckHostAndFirstShow(site);

        m_parentWindow = nullptr;
        ComPtr<IOleWindow> oleWindow;
        if (SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(&oleWindow)))) oleWindow->GetWindow(&m_parentWindow);
        if (!::IsWindow(m_parentWindow)) return E_FAIL;
        if (!CreateBandWindows()) return E_FAIL;
        if (FAILED(site->QueryInterface(IID_PPV_ARGS(&m_site)))) return E_FAIL;

        ComPtr<IOleCommandTarget> commandTarget;
        ComPtr<IServiceProvider> services;
        if (FAILED(site->QueryInterface(IID_PPV_ARGS(&commandTarget))) ||
            FAILED(commandTarget.As(&services))) {
            return S_OK;
        }
        ComPtr<IWebBrowser2> browser;
        if (FAILED(services->QueryService(SID_SWebBrowserApp, IID_PPV_ARGS(&browser))) || !browser) return S_OK;
        m_browser = browser;

        ConnectBrowserEvents();
        CMarlinToolbarCtrl& toolbar = m_hiddenWindow.Toolbar();
        toolbar.SetBrowser(m_browser.Get());
        toolbar.LinkBand(this);
        m_toolbar = &toolbar;
        toolbar.SetParentWindow(m_parentWindow);

        SHANDLE_PTR frame = 0;
        if (SUCCEEDED(m_browser->get_HWND(&frame))) m_browserFrame = reinterpret_cast<HWND>(frame);
        // The site asks for the band's sizes before it shows the band: the
        // first answer already has the width the band takes when shown.
        if (m_browserFrame) m_minWidth = FrameMinWidth();
        return S_OK;
    });
}

STDMETHODIMP CMarlinToolbarObj::GetSite(REFIID iid, void** site) noexcept
{
    if (!site) return E_POINTER;
    *site = nullptr;
    if (!m_site) return E_FAIL;
    return m_site->QueryInterface(iid, site);
}

void CMarlinToolbarObj::CheckHostAndFirstShow(IUnknown* site)
{
    ComPtr<IWebBrowser2> browser;
    if (FAILED(site->QueryInterface(IID_PPV_ARGS(&browser))) || !browser) return;
    m_browser = browser;
    Variant bandClass = Variant::FromString(kBandClsidText);
    Variant hide = Variant::FromBool(false);
    Variant show = Variant::FromBool(true);

    UniqueBstr fullName;
    std::wstring host;
    if (SUCCEEDED(m_browser->get_FullName(fullName.put()))) {
        host = fullName.str();
        if (size_t slash = host.find_last_of(L'\\'); slash != std::wstring::npos) host = host.substr(slash + 1);
    }
    if (!EqualsNoCase(host, L"iexplore.exe")) {
        m_browser->ShowBrowserBar(&bandClass.get(), &hide.get(), nullptr);
        return;
    }
    CReadRegistryValues settings;
    if (settings.GetRegistryValue(L"btbho") != L"1") return;
    settings.SetRegistryValue(L"btbho", L"0");
    m_browser->ShowBrowserBar(&bandClass.get(), &hide.get(), nullptr);
    m_helperEvents.Disconnect();
    m_helperEvents = ConnectionPointConnection::Advise(m_browser.Get(), DIID_DWebBrowserEvents2,
                                                       static_cast<IMarlinToolbarObj*>(this));
    m_browser->ShowBrowserBar(&bandClass.get(), &show.get(), nullptr);
}

bool CMarlinToolbarObj::CreateBandWindows()
{
    m_thread.Link();
    m_thread.InstallMouseHook(&CMarlinToolbarObj::BandMouseHook, m_parentWindow);
    RECT client{};
    ::GetClientRect(m_parentWindow, &client);
    InitializeApplicationSettings();
    if (!m_hiddenWindow.hwnd()) m_hiddenWindow.CreateIn(m_parentWindow, client);
    if (!m_hiddenWindow.ToolbarExists()) return false;
    // The toolbar created last on this thread is the one its hook talks to.
    m_thread.MakeCurrent();
    return true;
}

void CMarlinToolbarObj::ConnectBrowserEvents()
{
    m_bandEvents.Disconnect();
    m_bandEvents = ConnectionPointConnection::Advise(m_browser.Get(), DIID_DWebBrowserEvents2, Identity());
}

void CMarlinToolbarObj::EndLoad() noexcept
{
    m_loading = false;
    m_loadReads.Clear();
}

void CMarlinToolbarObj::TearDown() noexcept
{
    m_tornDown = true;
    EndLoad();
    OnQuit();
    m_bandEvents.Disconnect();
    m_helperEvents.Disconnect();
    // Before the windows go: the thread's hook no longer reaches this toolbar,
    // and goes itself with the thread's last band.
    m_thread.Unlink();
    if (CMarlinToolbarCtrl* toolbar = Toolbar()) toolbar->LinkBand(nullptr);
    m_toolbar = nullptr;
    m_hiddenWindow.Destroy();
    m_browser.Reset();
    m_site.Reset();
}

int CMarlinToolbarObj::InitializeApplicationSettings() { return marlin::InitializeApplicationSettings(); }

bool CMarlinToolbarObj::UsesSavedWidth() const noexcept
{
    return m_useSavedWidth && EqualsNoCase(m_osPrefix, L"2000");
}

LONG CMarlinToolbarObj::FrameMinWidth() const noexcept
{
    return UsesSavedWidth() ? m_savedWidth : ClientWidth(m_browserFrame);
}

POINTL CMarlinToolbarObj::MinSize() const noexcept { return POINTL{m_minWidth, g_TabStripMode == 2 ? 27 : 50}; }

HRESULT CMarlinToolbarObj::RefreshBandInfo() noexcept
{
    return ComBoundary([&] {
        if (!m_site) return S_OK;
        ComPtr<IOleCommandTarget> commandTarget;
        if (FAILED(m_site.As(&commandTarget))) return E_FAIL;
        if (m_browserFrame) {
            m_minWidth = FrameMinWidth();
            if (UsesSavedWidth()) {
                m_useSavedWidth = false;
                m_savedWidthUsed = true;
            }
            // Asking the site again makes the rebar lay itself out and repaint:
            // only when the answer differs from the one it has.
            const POINTL minSize = MinSize();
            if (!m_answeredMinSize || m_answeredMinSize->x != minSize.x || m_answeredMinSize->y != minSize.y) {
                Variant bandId = Variant::FromInt(static_cast<int>(m_bandId));
                commandTarget->Exec(&CGID_DeskBand, DBID_BANDINFOCHANGED, OLECMDEXECOPT_DONTPROMPTUSER,
                                    &bandId.get(), nullptr);
            }
        }
        commandTarget.Reset();
        if (m_toolbar && m_toolbar->hwnd()) {
            ::SendMessageW(m_toolbar->hwnd(), WM_SIZE, 0, MAKELPARAM(m_minWidth & 0xFFFF, 48));
        }
        return S_OK;
    });
}

int CMarlinToolbarObj::ShowBand(int show) noexcept
{
    m_visible = show > 0;
    if (HWND toolbar = m_hiddenWindow.Toolbar().hwnd()) ::ShowWindow(toolbar, show > 0 ? SW_SHOW : SW_HIDE);
    return 0;
}

LRESULT CALLBACK CMarlinToolbarObj::BandMouseHook(int code, WPARAM message, LPARAM data) noexcept
{
    if (code == 0) {
        const auto* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(data);
        // The hook runs on its own thread and sees only that thread's bands.
        BandThread* thread = BandThread::Current();
        CMarlinToolbarObj* band = thread ? thread->CurrentBand() : nullptr;
        CMarlinToolbarCtrl* toolbar = band ? band->Toolbar() : nullptr;
        if (message == WM_LBUTTONUP && toolbar && mouse) {
            if (mouse->hwnd == thread->Rebar()) {
                toolbar->Repaint();
                toolbar->Repaint();
                if (band->Shown()) band->ShowDW(TRUE);
            }
            toolbar->SetLastClickPoint(mouse->pt);
        } else if (message == WM_RBUTTONDOWN && toolbar) {
            toolbar->SetRightButtonPressed();
        }
    }
    return ::CallNextHookEx(nullptr, code, message, data);
}

// IPersistStream

STDMETHODIMP CMarlinToolbarObj::GetClassID(CLSID* classId) noexcept
{
    if (!classId) return E_POINTER;
    *classId = CLSID_MarlinToolbarObj;
    return S_OK;
}

STDMETHODIMP CMarlinToolbarObj::IsDirty() noexcept { return S_FALSE; }

STDMETHODIMP CMarlinToolbarObj::Load(IStream*) noexcept
{
    return ComBoundary([&] {
        m_osPrefix = Trim(g_OSName.get().substr(0, 4));
        if (EqualsNoCase(m_osPrefix, L"2000")) {
            const std::wstring saved = CReadRegistryValues().GetMTSettingsFromIniFile(L"WndSize");
            if (!saved.empty()) m_savedWidth = ParseInt(saved);
        }
        return S_OK;
    });
}

STDMETHODIMP CMarlinToolbarObj::Save(IStream*, BOOL) noexcept
{
    return ComBoundary([&] {
        const BandThread* thread = BandThread::Current();
        if (!thread || !thread->CurrentBand()) {
            m_repaintPending = true;
        } else if (CMarlinToolbarCtrl* toolbar = Toolbar()) {
            ::InvalidateRect(toolbar->hwnd(), nullptr, TRUE);
            toolbar->Repaint();
            toolbar->Repaint();
        }
        return SUCCEEDED(RefreshBandInfo()) ? S_OK : S_FALSE;
    });
}

STDMETHODIMP CMarlinToolbarObj::GetSizeMax(ULARGE_INTEGER*) noexcept { return E_NOTIMPL; }

// IInputObject

STDMETHODIMP CMarlinToolbarObj::UIActivateIO(BOOL activate, MSG*) noexcept
{
    if (activate) {
        if (ISearchBoxInput* search = SearchInput()) search->FocusEdit();
    }
    return S_OK;
}

STDMETHODIMP CMarlinToolbarObj::HasFocusIO() noexcept
{
    HWND toolbar = m_hiddenWindow.Toolbar().hwnd();
    HWND focus = ::GetFocus();
    if (!toolbar || !focus) return S_FALSE;
    for (HWND child = ::GetWindow(toolbar, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (focus == child || focus == ::GetWindow(child, GW_CHILD)) return S_OK;
    }
    if (ISearchBoxInput* search = SearchInput()) {
        if (focus == ::GetWindow(search->BoxWindow(), GW_CHILD) || focus == search->EditWindow()) return S_OK;
    }
    return S_FALSE;
}

STDMETHODIMP CMarlinToolbarObj::TranslateAcceleratorIO(MSG* message) noexcept
{
    // Keys aimed at other windows (the browser's address bar...) are the browser's.
    ISearchBoxInput* search = message ? SearchInput() : nullptr;
    if (!search || !search->OwnsWindow(message->hwnd)) return S_FALSE;
    return search->TranslateKey(*message);
}

void CMarlinToolbarObj::SearchFocusChanged(bool focused) noexcept
{
    if (m_site) m_site->OnFocusChangeIS(Identity(), focused ? TRUE : FALSE);
}

ISearchBoxInput* CMarlinToolbarObj::SearchInput() noexcept
{
    CMarlinToolbarCtrl* toolbar = Toolbar();
    return toolbar ? toolbar->SearchInput() : nullptr;
}
