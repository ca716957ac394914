#include "StandInDocument.h"

#include <string_view>
#include <utility>

namespace standin {

namespace {

HRESULT CopyOut(std::wstring_view text, BSTR* out) noexcept
{
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

} // namespace

StandInDocument::StandInDocument(std::wstring url)
    : m_url(std::move(url)), m_title(m_url), m_window(StandInHtmlWindow::Make())
{
    m_window->SetDocument(this);
}

StandInDocument::~StandInDocument()
{
    m_window->SetDocument(nullptr);
    // Innermost first: each element then lets go of a parent that the list
    // still holds, so a deep page is not released recursively.
    while (!m_elements.empty()) m_elements.pop_back();
}

StandInElement& StandInDocument::AddElement(std::wstring tag, StandInElement::Attributes attributes,
                                            StandInElement* parent)
{
    m_elements.push_back(StandInElement::Make(std::move(tag), std::move(attributes), parent));
    return *m_elements.back().Get();
}

void StandInDocument::Unload() noexcept
{
    m_events.DisconnectAll();
    m_window->Events().DisconnectAll();
}

STDMETHODIMP StandInDocument::get_parentWindow(IHTMLWindow2** window) noexcept
{
    if (!window) return E_POINTER;
    m_window->AddRef();
    *window = m_window.Get();
    return S_OK;
}

STDMETHODIMP StandInDocument::get_URL(BSTR* url) noexcept { return CopyOut(m_url, url); }

STDMETHODIMP StandInDocument::get_title(BSTR* title) noexcept { return CopyOut(m_title, title); }

STDMETHODIMP StandInDocument::get_readyState(BSTR* state) noexcept { return CopyOut(L"complete", state); }

STDMETHODIMP StandInDocument::EnumConnectionPoints(IEnumConnectionPoints** points) noexcept
{
    if (points) *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP StandInDocument::FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept
{
    return m_events.Find(iid, point);
}

} // namespace standin
