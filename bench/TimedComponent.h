#pragma once
// A component factory for the browser stand-in that hands out each instance
// wrapped in a forwarder: every call the browser makes goes on to the
// instance, and SetSite (with a site) and ShowDW(TRUE) are timed on the way.
// The stand-in's ComponentHost then loads and unloads the component exactly
// as the browser does, and the benchmark learns where the time went.
#include "ComponentHost.h"

#include "BenchTiming.h"

#include "platform/ComObject.h"

#include <ocidl.h>
#include <shobjidl.h>

#include <utility>

// Milliseconds one load spent in the timed calls.
struct StepTimes {
    double helperSetSite = 0;
    double bandSetSite = 0;
    double showBand = 0; // ShowDW(TRUE)
};

class TimedInstance final : public marlin::ComObject<TimedInstance, IDeskBand, IObjectWithSite, IInputObject> {
public:
    TimedInstance(marlin::ComPtr<IUnknown> inner, standin::ComponentRole role, StepTimes& times) noexcept
        : m_inner(std::move(inner)), m_role(role), m_times(times)
    {
        m_inner.As(&m_withSite);
        m_inner.As(&m_band);
        m_inner.As(&m_input);
    }

    // Answers only what the instance answers; interfaces the forwarder does
    // not carry are the instance's own.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        marlin::ComPtr<IUnknown> inner;
        const HRESULT hr = m_inner->QueryInterface(iid, reinterpret_cast<void**>(inner.GetAddressOf()));
        if (FAILED(hr)) return hr;
        if (SUCCEEDED(Base::QueryInterface(iid, object))) return S_OK;
        *object = inner.Detach();
        return S_OK;
    }

    void* QueryExtraInterface(REFIID iid) noexcept
    {
        if (iid == __uuidof(IOleWindow)) return static_cast<IOleWindow*>(static_cast<IDeskBand*>(this));
        if (iid == __uuidof(IDockingWindow)) return static_cast<IDockingWindow*>(static_cast<IDeskBand*>(this));
        return nullptr;
    }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) noexcept override { return m_band->GetWindow(window); }
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) noexcept override
    {
        return m_band->ContextSensitiveHelp(enterMode);
    }
    // IDockingWindow
    STDMETHODIMP ShowDW(BOOL show) noexcept override
    {
        const double start = NowMs();
        const HRESULT hr = m_band->ShowDW(show);
        if (show) m_times.showBand = NowMs() - start;
        return hr;
    }
    STDMETHODIMP CloseDW(DWORD reserved) noexcept override { return m_band->CloseDW(reserved); }
    STDMETHODIMP ResizeBorderDW(LPCRECT border, IUnknown* site, BOOL reserved) noexcept override
    {
        return m_band->ResizeBorderDW(border, site, reserved);
    }
    // IDeskBand
    STDMETHODIMP GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) noexcept override
    {
        return m_band->GetBandInfo(bandId, viewMode, info);
    }

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) noexcept override
    {
        const double start = NowMs();
        const HRESULT hr = m_withSite->SetSite(site);
        if (site) {
            (m_role == standin::ComponentRole::Band ? m_times.bandSetSite : m_times.helperSetSite) = NowMs() - start;
        }
        return hr;
    }
    STDMETHODIMP GetSite(REFIID iid, void** site) noexcept override { return m_withSite->GetSite(iid, site); }

    // IInputObject
    STDMETHODIMP UIActivateIO(BOOL activate, MSG* message) noexcept override
    {
        return m_input->UIActivateIO(activate, message);
    }
    STDMETHODIMP HasFocusIO() noexcept override { return m_input->HasFocusIO(); }
    STDMETHODIMP TranslateAcceleratorIO(MSG* message) noexcept override
    {
        return m_input->TranslateAcceleratorIO(message);
    }

private:
    using Base = marlin::ComObject<TimedInstance, IDeskBand, IObjectWithSite, IInputObject>;

    marlin::ComPtr<IUnknown> m_inner;
    marlin::ComPtr<IObjectWithSite> m_withSite;
    marlin::ComPtr<IDeskBand> m_band;
    marlin::ComPtr<IInputObject> m_input;
    standin::ComponentRole m_role;
    StepTimes& m_times;
};

// `factory`'s instances, each behind a TimedInstance that writes into `times`.
inline standin::ComponentFactory Timed(standin::ComponentFactory factory, StepTimes& times)
{
    return [factory = std::move(factory), &times](standin::ComponentRole role, marlin::ComPtr<IUnknown>& instance) {
        marlin::ComPtr<IUnknown> inner;
        const HRESULT hr = factory(role, inner);
        if (FAILED(hr) || !inner) return FAILED(hr) ? hr : E_POINTER;
        instance = TimedInstance::Make(std::move(inner), role, times)->Identity();
        return S_OK;
    };
}
