#pragma once
// The HTML window of a stand-in document: the component attaches its window
// event sink here (HTMLWindowEvents2) and may ask for the document back.
#include "ConnectionPoint.h"
#include "HtmlWindowStubs.h"
#include "StandInEventObject.h"

#include <string_view>

namespace standin {

class StandInHtmlWindow final : public HtmlWindowStubs<StandInHtmlWindow, IConnectionPointContainer> {
public:
    StandInHtmlWindow() = default;

    // The document that owns this window; it clears the link when it goes,
    // so that the window never answers a dead document.
    void SetDocument(IHTMLDocument2* document) noexcept { m_document = document; }

    std::size_t EventSinkCount() const noexcept { return m_events.SinkCount(); }
    marlin::ComPtr<StandInEventObject> FireEvent(DISPID id, std::wstring_view type)
    {
        return StandInEventObject::Fire(m_events, id, type);
    }
    marlin::ComPtr<StandInEventObject> FireResize();
    ConnectionPoint& Events() noexcept { return m_events; }

    // IHTMLWindow2
    STDMETHODIMP get_document(IHTMLDocument2** document) noexcept override;
    STDMETHODIMP get_self(IHTMLWindow2** window) noexcept override;
    STDMETHODIMP get_window(IHTMLWindow2** window) noexcept override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) noexcept override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept override;

private:
    IHTMLDocument2* m_document = nullptr; // not owned: the document owns this window
    ConnectionPoint m_events{*this, DIID_HTMLWindowEvents2};
};

} // namespace standin
