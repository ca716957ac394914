#include "StandInElement.h"

#include "platform/Strings.h"

#include <utility>

namespace standin {

StandInElement::StandInElement(std::wstring tag, Attributes attributes, StandInElement* parent)
    : m_tag(std::move(tag)), m_attributes(std::move(attributes)), m_parent(parent)
{
}

STDMETHODIMP StandInElement::getAttribute(BSTR name, LONG, VARIANT* value) noexcept
{
    if (!value) return E_POINTER;
    ::VariantInit(value);
    value->vt = VT_NULL;
    const std::wstring wanted = name ? std::wstring(name, ::SysStringLen(name)) : std::wstring();
    for (const auto& [attribute, text] : m_attributes) {
        if (!marlin::EqualsNoCase(attribute, wanted)) continue;
        value->vt = VT_BSTR;
        value->bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return value->bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    return S_OK;
}

STDMETHODIMP StandInElement::get_tagName(BSTR* tag) noexcept
{
    if (!tag) return E_POINTER;
    *tag = ::SysAllocStringLen(m_tag.data(), static_cast<UINT>(m_tag.size()));
    return *tag ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP StandInElement::get_parentElement(IHTMLElement** parent) noexcept
{
    if (!parent) return E_POINTER;
    *parent = m_parent.Get();
    if (*parent) (*parent)->AddRef();
    return S_OK;
}

} // namespace standin
