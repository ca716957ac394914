#pragma once
// The HTML document and window event sinks that the band attaches to each
// completed document. Creatable classes of the module.
#include "platform/ComObject.h"
#include "toolbar/PageDrag.h"

#include "MarlinToolbar_h.h"

#include <functional>
#include <string>

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
// script-navigation flag it reads) and the toolbar window, and follows the
// page's drags: a link or picture dragged onto the toolbar is offered to
// `offerLink` with the tick the drag began at (the band adds it as a button).
class CDocEventHandler final : public marlin::EventSinkBase<CDocEventHandler, IDocEventHandler> {
public:
    using LinkOffer = std::function<void(const std::wstring& address, ULONGLONG dragStartedAt)>;

    static const IID& EventsIid() noexcept;
    void Attach(CMarlinToolbarObj* band, HWND toolbar, LinkOffer offerLink) noexcept;

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) noexcept override;

private:
    marlin::ComPtr<IUnknown> m_band;
    CMarlinToolbarObj* m_bandObject = nullptr;
    HWND m_toolbar = nullptr;
    LinkOffer m_offerLink;
    marlin::CPageDrag m_pageDrag;
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
