#pragma once
// The component in one browser window. The browser makes two instances of
// the registered class: the helper object, sited on the browser itself, and
// the desk band, sited on the band site and put into the rebar. When the
// window closes both are told to let go and are released. Every loading step's
// HRESULT is kept, so that a window still opens when the component fails and
// the tests can see where it failed.
#include "BandSite.h"

#include "platform/ComObject.h"

#include <functional>
#include <utility>

namespace standin {

enum class ComponentRole { HelperObject, Band };

// Makes one instance of the component. The browser's way is RegisteredComponent;
// tests supply their own objects.
using ComponentFactory = std::function<HRESULT(ComponentRole role, marlin::ComPtr<IUnknown>& instance)>;
ComponentFactory RegisteredComponent();

// The value of a step that never ran (an earlier step failed).
inline constexpr HRESULT kNotAttempted = E_PENDING;

struct LoadResults {
    HRESULT createHelper = kNotAttempted;
    HRESULT helperSetSite = kNotAttempted; // SetSite(browser)
    HRESULT createBand = kNotAttempted;
    HRESULT bandSetSite = kNotAttempted;   // SetSite(band site)
    HRESULT bandWindow = kNotAttempted;    // IDeskBand, then GetWindow
    HRESULT bandInfo = kNotAttempted;      // GetBandInfo and the rebar band
    HRESULT showBand = kNotAttempted;      // ShowDW(TRUE)
};

class ComponentHost {
public:
    explicit ComponentHost(ComponentFactory factory) : m_factory(std::move(factory)) {}
    ComponentHost(const ComponentHost&) = delete;
    ComponentHost& operator=(const ComponentHost&) = delete;

    // Helper object first, then the band; a band that refuses its site is let go at once.
    void Load(IUnknown* browser, BandSite& site);
    // ShowDW(FALSE), CloseDW(0) and SetSite(nullptr) on the band, the band out
    // of the rebar, SetSite(nullptr) on the helper object; then both released.
    void Unload(BandSite& site) noexcept;

    // Offers a keystroke to the band while it has the focus, as the browser's
    // message loop does; true when the band used it.
    bool TranslateAccelerator(MSG& message, const BandSite& site) noexcept;

    bool Created() const noexcept { return SUCCEEDED(m_loaded.createHelper) && SUCCEEDED(m_loaded.createBand); }
    const LoadResults& Loaded() const noexcept { return m_loaded; }
    IUnknown* Helper() const noexcept { return m_helper.Get(); }
    IUnknown* Band() const noexcept { return m_band.Get(); }

private:
    HRESULT Create(ComponentRole role, marlin::ComPtr<IUnknown>& instance) noexcept;

    ComponentFactory m_factory;
    marlin::ComPtr<IUnknown> m_helper;
    marlin::ComPtr<IUnknown> m_band;
    LoadResults m_loaded;
};

} // namespace standin
