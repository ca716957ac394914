#pragma once
// The site the browser gives its desk band: the rebar's window, focus
// notifications, the "band info changed" command, and the service that leads
// to the browser. It also puts the band into the rebar and keeps the rebar
// band's sizes in step with what the band reports.
#include "platform/ComObject.h"

#include <docobj.h>
#include <exdisp.h>
#include <servprov.h>
#include <shobjidl.h>

namespace standin {

// Which parts of a site a test takes away, to see how the band copes.
struct BandSiteOptions {
    bool window = true;          // IOleWindow::GetWindow answers the rebar
    bool inputObjectSite = true; // the site answers IInputObjectSite
    bool commandTarget = true;   // the site answers IOleCommandTarget
    bool browserService = true;  // QueryService leads to the browser
};

class BandSite final
    : public marlin::ComObject<BandSite, IOleWindow, IInputObjectSite, IOleCommandTarget, IServiceProvider> {
public:
    // The mask the browser asks GetBandInfo for.
    static constexpr DWORD kBandInfoMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE |
                                           DBIM_MODEFLAGS | DBIM_BKCOLOR;

    BandSite(HWND rebar, UINT bandId, marlin::ComPtr<IWebBrowser2> browser, BandSiteOptions options) noexcept;

    // Asks the band for its sizes and inserts `window` into the rebar as a band
    // of its own. The site keeps the band until RemoveBand.
    HRESULT AddBand(IDeskBand* band, HWND window);
    // Takes the band out of the rebar and lets it go.
    void RemoveBand() noexcept;
    // Lets the browser go as well (the window is closing).
    void Detach() noexcept;

    UINT BandId() const noexcept { return m_bandId; }
    const DESKBANDINFO& LastBandInfo() const noexcept { return m_lastInfo; }
    // What the band last said through OnFocusChangeIS.
    bool BandHasFocus() const noexcept { return m_bandHasFocus; }
    int FocusChanges() const noexcept { return m_focusChanges; }

    // IUnknown: the parts the options take away are not answered.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) noexcept override;

    // IInputObjectSite
    STDMETHODIMP OnFocusChangeIS(IUnknown* object, BOOL focus) noexcept override;

    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD commands[], OLECMDTEXT* text) noexcept override;
    STDMETHODIMP Exec(const GUID* group, DWORD id, DWORD options, VARIANT* in, VARIANT* out) noexcept override;

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** object) noexcept override;

private:
    using Base = marlin::ComObject<BandSite, IOleWindow, IInputObjectSite, IOleCommandTarget, IServiceProvider>;

    HRESULT QueryBandInfo(DESKBANDINFO& info) noexcept;
    HRESULT ApplyToRebar(const DESKBANDINFO& info, HWND window);

    HWND m_rebar;
    UINT m_bandId;
    marlin::ComPtr<IWebBrowser2> m_browser;
    BandSiteOptions m_options;
    marlin::ComPtr<IDeskBand> m_band;
    DESKBANDINFO m_lastInfo{};
    bool m_bandHasFocus = false;
    int m_focusChanges = 0;
};

} // namespace standin
