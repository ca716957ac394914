#pragma once
// The document of one navigation: its address and title, its HTML window, and
// the HTMLDocumentEvents2 connection point the component attaches to once the
// document is complete.
#include "ConnectionPoint.h"
#include "HtmlDocumentStubs.h"
#include "StandInEventObject.h"
#include "StandInHtmlWindow.h"

#include <string>
#include <string_view>

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
    ConnectionPoint& Events() noexcept { return m_events; }

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
    ConnectionPoint m_events{*this, DIID_HTMLDocumentEvents2};
};

} // namespace standin
