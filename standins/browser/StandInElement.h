#pragma once
// An element of a stand-in page: its tag name, its attributes and its parent,
// what a handler walks from an event's source element. The document that made
// an element keeps it (see StandInDocument::AddElement).
#include "HtmlElementStubs.h"

#include <map>
#include <string>

namespace standin {

class StandInElement final : public HtmlElementStubs<StandInElement> {
public:
    using Attributes = std::map<std::wstring, std::wstring>;

    StandInElement(std::wstring tag, Attributes attributes, StandInElement* parent);

    // IHTMLElement
    // Names in any letter case, as the browser reads them; a missing attribute is VT_NULL.
    STDMETHODIMP getAttribute(BSTR name, LONG flags, VARIANT* value) noexcept override;
    STDMETHODIMP get_tagName(BSTR* tag) noexcept override;
    // The outermost element answers S_OK and no parent.
    STDMETHODIMP get_parentElement(IHTMLElement** parent) noexcept override;

private:
    std::wstring m_tag;
    Attributes m_attributes;
    marlin::ComPtr<StandInElement> m_parent;
};

} // namespace standin
