#include "ComponentHost.h"

#include "host/ClassIds.h"

#include <ocidl.h>

namespace standin {

namespace {

HRESULT SetSiteOn(IUnknown* instance, IUnknown* site) noexcept
{
    marlin::ComPtr<IObjectWithSite> withSite;
    HRESULT hr = instance->QueryInterface(IID_PPV_ARGS(&withSite));
    if (FAILED(hr)) return hr;
    return withSite->SetSite(site);
}

} // namespace

ComponentFactory RegisteredComponent()
{
    return [](ComponentRole, marlin::ComPtr<IUnknown>& instance) {
        return ::CoCreateInstance(CLSID_MarlinToolbarObj, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&instance));
    };
}

HRESULT ComponentHost::Create(ComponentRole role, marlin::ComPtr<IUnknown>& instance) noexcept
{
    instance.Reset();
    HRESULT hr = marlin::ComBoundary([&] { return m_factory ? m_factory(role, instance) : E_UNEXPECTED; });
    if (SUCCEEDED(hr) && !instance) hr = E_POINTER;
    if (FAILED(hr)) instance.Reset();
    return hr;
}

void ComponentHost::Load(IUnknown* browser, BandSite& site)
{
    m_loaded.createHelper = Create(ComponentRole::HelperObject, m_helper);
    if (m_helper) m_loaded.helperSetSite = SetSiteOn(m_helper.Get(), browser);

    m_loaded.createBand = Create(ComponentRole::Band, m_band);
    if (!m_band) return;
    m_loaded.bandSetSite = SetSiteOn(m_band.Get(), site.Identity());
    if (FAILED(m_loaded.bandSetSite)) {
        m_band.Reset();
        return;
    }
    marlin::ComPtr<IDeskBand> deskBand;
    HWND window = nullptr;
    m_loaded.bandWindow = m_band.As(&deskBand);
    if (SUCCEEDED(m_loaded.bandWindow)) m_loaded.bandWindow = deskBand->GetWindow(&window);
    if (SUCCEEDED(m_loaded.bandWindow) && !window) m_loaded.bandWindow = E_HANDLE;
    if (FAILED(m_loaded.bandWindow)) return;

    m_loaded.bandInfo = site.AddBand(deskBand.Get(), window);
    if (FAILED(m_loaded.bandInfo)) return;
    m_loaded.showBand = deskBand->ShowDW(TRUE);
}

void ComponentHost::Unload(BandSite& site) noexcept
{
    if (m_band) {
        marlin::ComPtr<IDeskBand> deskBand;
        if (SUCCEEDED(m_band.As(&deskBand))) {
            deskBand->ShowDW(FALSE);
            deskBand->CloseDW(0);
        }
        SetSiteOn(m_band.Get(), nullptr);
    }
    site.RemoveBand();
    if (m_helper) SetSiteOn(m_helper.Get(), nullptr);
    m_band.Reset();
    m_helper.Reset();
}

bool ComponentHost::TranslateAccelerator(MSG& message, const BandSite& site) noexcept
{
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
    if (!m_band || !site.BandHasFocus()) return false;
    marlin::ComPtr<IInputObject> input;
    if (FAILED(m_band.As(&input))) return false;
    return input->TranslateAcceleratorIO(&message) == S_OK;
}

} // namespace standin
