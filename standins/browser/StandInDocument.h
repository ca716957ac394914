#pragma once
// The document of one navigation: its address and title, its HTML window, the
// elements a test gives its page, and the HTMLDocumentEvents2 connection point
// the component attaches to once the document is complete.
#include "ConnectionPoint.h"
#include "HtmlDocumentStubs.h"
#include "StandInElement.h"
#include "StandInEventObject.h"
#include "StandInHtmlWindow.h"

#include <string>
#include <string_view>
#include <vector>

namespace standin {

class StandInDocument final : public HtmlDocumentStubs<StandInDocument, IConnectionPointContainer> {
public:
    explicit StandInDocument(std::wstring url);
    ~StandInDocument() override;

    const std::wstring& Url() const noexcept { return m_url; }
    const std::wstring& Title() const noexcept { return m_title; }
    void SetTitle(std::wstring title) { m_title = std::move(title); }
    StandInHtmlWindow& Window() noexcept { return *m_window.Get(); }

    std::size_t EventSinkCount() const noexcept { return m_events.SinkCount(); }
    marlin::ComPtr<StandInEventObject> FireEvent(DISPID id, std::wstring_view type)
    {
        return StandInEventObject::Fire(m_events, id, type);
    }
    // Fires `event` (its source and position set by the test) on the document's sinks.
    void FireEvent(DISPID id, StandInEventObject& event) { event.FireOn(m_events, id); }
    ConnectionPoint& Events() noexcept { return m_events; }

    // Adds an element to the page, inside `parent` (none: outermost). The
    // document keeps it.
    StandInElement& AddElement(std::wstring tag, StandInElement::Attributes attributes = {},
                               StandInElement* parent = nullptr);

    // The browser is done with this document: its sinks and its window's are dropped.
    void Unload() noexcept;

    // IHTMLDocument2
    STDMETHODIMP get_parentWindow(IHTMLWindow2** window) noexcept override;
    STDMETHODIMP get_URL(BSTR* url) noexcept override;
    STDMETHODIMP get_title(BSTR* title) noexcept override;
    STDMETHODIMP get_readyState(BSTR* state) noexcept override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) noexcept override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept override;

private:
    std::wstring m_url;
    std::wstring m_title;
    marlin::ComPtr<StandInHtmlWindow> m_window;
    std::vector<marlin::ComPtr<StandInElement>> m_elements; // in the order made: parents first
    ConnectionPoint m_events{*this, DIID_HTMLDocumentEvents2};
};

} // namespace standin
