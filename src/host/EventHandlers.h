#pragma once
// The HTML document and window event sinks that the band attaches to each
// completed document. Creatable classes of the module.
#include "platform/ComObject.h"

#include "MarlinToolbar_h.h"

class CMarlinToolbarObj;

namespace marlin {

// IDispatch whose type-information calls answer E_NOTIMPL; what an event does
// is the derived sink's business. Answers `EventsIid` too, the interface the
// event source asks its sinks for.
template <typename Derived, typename Interface>
class EventSinkBase : public ComObject<Derived, Interface> {
public:
    void* QueryExtraInterface(REFIID iid) noexcept
    {
        if (iid == __uuidof(IDispatch) || iid == Derived::EventsIid()) return static_cast<IDispatch*>(this);
        return nullptr;
    }

    STDMETHODIMP GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
};

} // namespace marlin

// HTMLDocumentEvents2 of one completed document. It keeps the band (whose
// script-navigation flag it reads) and the toolbar window.
class CDocEventHandler final : public marlin::EventSinkBase<CDocEventHandler, IDocEventHandler> {
public:
    static const IID& EventsIid() noexcept;
    void Attach(CMarlinToolbarObj* band, HWND toolbar) noexcept;

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) noexcept override;

private:
    marlin::ComPtr<IUnknown> m_band;
    CMarlinToolbarObj* m_bandObject = nullptr;
    HWND m_toolbar = nullptr;
};

// HTMLWindowEvents2 of one completed document's window: a resize makes the
// band ask the rebar for its size again.
class CWindowEventHandler final : public marlin::EventSinkBase<CWindowEventHandler, IWindowEventHandler> {
public:
    static constexpr DISPID kOnResize = 1016;
    static const IID& EventsIid() noexcept;
    void Attach(CMarlinToolbarObj* band) noexcept;

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) noexcept override;

private:
    marlin::ComPtr<IUnknown> m_band;
    CMarlinToolbarObj* m_bandObject = nullptr;
};
