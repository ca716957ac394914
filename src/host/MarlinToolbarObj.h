#pragma once
// The band object the browser creates for every window, once as a browser
// helper object (sited on the browser) and once as a desk band (sited on the
// browser's rebar). SetSite runs the start-up: the mouse hook, the settings,
// the hidden window with the toolbar, the input-object site, the browser and
// its event stream. Invoke is the browser's DWebBrowserEvents2 sink.
#include "monitors/PopupBlocker.h"
#include "BandThread.h"
#include "InvisibleWnd.h"
#include "toolbar/ToolbarBand.h"
#include "config/SettingsStore.h"
#include "platform/ComObject.h"
#include "platform/ConnectionPointConnection.h"

#include "MarlinToolbar_h.h"

#include <exdisp.h>
#include <ocidl.h>
#include <shobjidl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

class CMarlinToolbarObj final
    : public marlin::ComObject<CMarlinToolbarObj, IDeskBand, IObjectWithSite, IPersistStream, IInputObject,
                               IMarlinToolbarObj>,
      public IToolbarBand {
public:
    // Band styles in the rebar: always a gripper, or none when the browser's toolbars are locked.
    static constexpr UINT kStyleUnlocked = RBBS_BREAK | RBBS_GRIPPERALWAYS | RBBS_USECHEVRON;
    static constexpr UINT kStyleLocked = RBBS_BREAK | RBBS_NOGRIPPER | RBBS_USECHEVRON;

    CMarlinToolbarObj();
    ~CMarlinToolbarObj() override;

    void* QueryExtraInterface(REFIID iid) noexcept;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) noexcept override;
    // IDockingWindow
    STDMETHODIMP ShowDW(BOOL show) noexcept override;
    STDMETHODIMP CloseDW(DWORD reserved) noexcept override;
    STDMETHODIMP ResizeBorderDW(LPCRECT border, IUnknown* site, BOOL reserved) noexcept override;
    // IDeskBand
    STDMETHODIMP GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) noexcept override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) noexcept override;
    STDMETHODIMP GetSite(REFIID iid, void** site) noexcept override;

    // IPersist / IPersistStream
    STDMETHODIMP GetClassID(CLSID* classId) noexcept override;
    STDMETHODIMP IsDirty() noexcept override;
    STDMETHODIMP Load(IStream* stream) noexcept override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) noexcept override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) noexcept override;

    // IInputObject
    STDMETHODIMP UIActivateIO(BOOL activate, MSG* message) noexcept override;
    STDMETHODIMP HasFocusIO() noexcept override;
    STDMETHODIMP TranslateAcceleratorIO(MSG* message) noexcept override;

    // IDispatch (IMarlinToolbarObj): the browser's events
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) noexcept override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) noexcept override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) noexcept override;

    // The class's own: shows or hides the toolbar window.
    virtual int ShowBand(int show) noexcept;

    // Reads the settings document into the process-wide values.
    int InitializeApplicationSettings();
    // Asks the host for the band's size again.
    HRESULT RefreshBandInfo() noexcept;
    void ClearSavedWidthUsed() noexcept { m_savedWidthUsed = false; }
    // Whether the band asked for a repaint while the toolbar did not exist yet;
    // the toolbar's timer takes the request once.
    bool TakeRepaintRequest() noexcept override { return std::exchange(m_repaintPending, false); }
    void ResetPopupCount() noexcept override { m_popupBlocker.ResetCount(); }
    marlin::ComPtr<IUnknown> HoldBand() noexcept override { return marlin::ComPtr<IUnknown>(Identity()); }
    // The search box took or gave up the focus: the site routes the browser's keys by it.
    void SearchFocusChanged(bool focused) noexcept override;

    // State the tests and the toolbar read.
    bool Shown() const noexcept { return m_shown; }
    LONG ScriptNavigation() const noexcept { return m_scriptNavigation; }
    LONG* ScriptNavigationFlag() noexcept { return &m_scriptNavigation; }
    int BlockedCount() const noexcept { return m_popupBlocker.BlockedCount(); }
    size_t ConnectedDocumentCount() const noexcept { return m_pages.size(); }
    CMarlinToolbarCtrl* Toolbar() noexcept;
    // The toolbar's search box, or null.
    marlin::ISearchBoxInput* SearchInput() noexcept;
    HWND ParentWindow() const noexcept { return m_parentWindow; }

    static LRESULT CALLBACK BandMouseHook(int code, WPARAM message, LPARAM data) noexcept;

private:
    // The sinks attached to one completed document and its window, kept while
    // the frame (or the browser) that completed it still shows it.
    struct PageConnection {
        marlin::ComPtr<IDispatch> frame;
        marlin::ComPtr<IUnknown> document; // its identity
        marlin::ConnectionPointConnection documentEvents;
        marlin::ConnectionPointConnection windowEvents;
    };

    void CheckHostAndFirstShow(IUnknown* site);
    bool CreateBandWindows();
    void ConnectBrowserEvents();
    void TearDown() noexcept;

    void OnWindowStateChanged();
    void OnBeforeNavigate2(const DISPPARAMS& params);
    void OnDocumentComplete(const DISPPARAMS& params);
    void OnNewWindow2(const DISPPARAMS& params);
    void OnQuit() noexcept;
    void DropStalePages() noexcept;
    void AttachPage(IDispatch* frame);
    std::wstring BrowserLocation() const;

    // The width RefreshBandInfo gives the band: the frame's, or on Windows
    // 2000 the width saved at the last close, once.
    bool UsesSavedWidth() const noexcept;
    LONG FrameMinWidth() const noexcept;
    // The minimum size GetBandInfo answers.
    POINTL MinSize() const noexcept;

    // The settings read during the band's load (SetSite up to the first
    // ShowDW(TRUE)), each once; in use only within those calls.
    marlin::SettingsReads* LoadReads() noexcept { return m_loading ? &m_loadReads : nullptr; }
    void EndLoad() noexcept;
    marlin::SettingsReads m_loadReads;
    bool m_loading = false;

    // Band size and style.
    LONG m_minWidth;
    std::optional<POINTL> m_answeredMinSize; // what the site was told last
    LONG m_savedWidth;
    bool m_useSavedWidth = true;
    bool m_savedWidthUsed = false;
    bool m_repaintPending = false;
    HWND m_browserFrame = nullptr;
    HWND m_parentWindow = nullptr;
    std::wstring m_osPrefix;
    BOOL m_contextHelp = FALSE;
    BOOL m_shown = FALSE;
    bool m_visible = false;
    DWORD m_bandId = 0;
    DWORD m_viewMode = 0;

    CInvisibleWnd m_hiddenWindow;
    CMarlinToolbarCtrl* m_toolbar = nullptr;
    // This band's share in its thread's mouse hook and current band.
    marlin::BandThreadLink m_thread{*this};
    marlin::ComPtr<IWebBrowser2> m_browser;
    marlin::ComPtr<IInputObjectSite> m_site;

    // The DWebBrowserEvents2 connections this object made (as band, and as
    // helper object showing the band after installation), undone when the
    // browser lets it go.
    marlin::ConnectionPointConnection m_bandEvents;
    marlin::ConnectionPointConnection m_helperEvents;
    bool m_tornDown = false;

    // Event dispatch.
    LONG m_scriptNavigation = 0;
    marlin::CPopupBlocker m_popupBlocker;
    // At most one per document; each sink holds this object until unadvised.
    std::vector<PageConnection> m_pages;
};
