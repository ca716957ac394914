#include "StandInHtmlWindow.h"

#include <mshtmdid.h>

namespace standin {

marlin::ComPtr<StandInEventObject> StandInHtmlWindow::FireResize()
{
    return FireEvent(DISPID_HTMLWINDOWEVENTS2_ONRESIZE, L"resize");
}

STDMETHODIMP StandInHtmlWindow::get_document(IHTMLDocument2** document) noexcept
{
    if (!document) return E_POINTER;
    *document = m_document;
    if (!m_document) return E_FAIL;
    m_document->AddRef();
    return S_OK;
}

STDMETHODIMP StandInHtmlWindow::get_self(IHTMLWindow2** window) noexcept
{
    if (!window) return E_POINTER;
    AddRef();
    *window = this;
    return S_OK;
}

STDMETHODIMP StandInHtmlWindow::get_window(IHTMLWindow2** window) noexcept { return get_self(window); }

STDMETHODIMP StandInHtmlWindow::EnumConnectionPoints(IEnumConnectionPoints** points) noexcept
{
    if (points) *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP StandInHtmlWindow::FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept
{
    return m_events.Find(iid, point);
}

} // namespace standin
