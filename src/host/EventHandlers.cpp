#include "EventHandlers.h"

#include "MarlinToolbarObj.h"

#include <mshtmdid.h>
#include <mshtml.h>

const IID& CDocEventHandler::EventsIid() noexcept { return DIID_HTMLDocumentEvents2; }

void CDocEventHandler::Attach(CMarlinToolbarObj* band, HWND toolbar) noexcept
{
    m_bandObject = band;
    m_band = band ? band->Identity() : nullptr;
    m_toolbar = toolbar;
}

STDMETHODIMP CDocEventHandler::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept
{
    // Drags and clicks in page content come with drag and drop.
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
