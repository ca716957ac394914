#include "EventHandlers.h"

#include "MarlinToolbarObj.h"
#include "document/SharedInstanceState.h"
#include "platform/Diagnostics.h"

#include <mshtmdid.h>
#include <mshtml.h>

const IID& CDocEventHandler::EventsIid() noexcept { return DIID_HTMLDocumentEvents2; }

void CDocEventHandler::Attach(CMarlinToolbarObj* band, HWND toolbar, LinkOffer offerLink) noexcept
{
    m_bandObject = band;
    m_band = band ? band->Identity() : nullptr;
    m_toolbar = toolbar;
    m_offerLink = std::move(offerLink);
}

STDMETHODIMP CDocEventHandler::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                      UINT*) noexcept
{
    try {
        // The offer runs a dialog: the page may be let go meanwhile, and with
        // it this sink and the band it holds.
        const marlin::ComPtr<IUnknown> self(Identity());
        const marlin::ComPtr<IUnknown> band = m_band;
        const bool signedIn = SharedState().IsLoggedIn != 0;
        const std::optional<std::wstring> link = m_pageDrag.OnEvent(id, params, m_toolbar, signedIn);
        if (link && m_offerLink) m_offerLink(*link, m_pageDrag.StartedAt());
    } catch (...) {
        marlin::ReportFailure(L"page drag");
    }
    return DISP_E_MEMBERNOTFOUND;
}

const IID& CWindowEventHandler::EventsIid() noexcept { return DIID_HTMLWindowEvents2; }

void CWindowEventHandler::Attach(CMarlinToolbarObj* band) noexcept
{
    m_bandObject = band;
    m_band = band ? band->Identity() : nullptr;
}

STDMETHODIMP CWindowEventHandler::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                         EXCEPINFO*, UINT*) noexcept
{
    if (!params) return E_INVALIDARG;
    if (!result) return E_POINTER;
    if (id == kOnResize && m_bandObject) {
        m_bandObject->ClearSavedWidthUsed();
        if (FAILED(m_bandObject->RefreshBandInfo())) return S_FALSE;
    }
    return DISP_E_MEMBERNOTFOUND;
}
