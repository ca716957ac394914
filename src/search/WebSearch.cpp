#include "WebSearch.h"

#include "SearchEngines.h"
#include "document/SharedInstanceState.h"
#include "platform/Diagnostics.h"
#include "platform/Strings.h"

#include <oleauto.h>

namespace marlin {

CWebSearch::CWebSearch() { SetEngine(kFirstEngineName); }

bool CWebSearch::SetEngine(std::wstring_view name) noexcept
{
    const SearchEngine* engine = FindEngineByName(name);
    if (!engine) return false;
    try {
        m_template = EngineUrlTemplate(*engine);
    } catch (...) {
        return false;
    }
    return true;
}

bool CWebSearch::RunSearch(std::wstring_view query)
{
    const std::wstring trimmed = Trim(query);
    if (trimmed.empty()) return false;
    // The stores never hold the search back.
    try {
        m_history.RecordSearch(trimmed, SharedState().IsLoggedIn != 0);
    } catch (...) {
        ReportFailure(L"RecordSearch");
    }
    if (!m_browser) return false;
    const std::wstring address = ComposeSearchAddress(m_template, trimmed);
    VARIANT url;
    ::VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = ::SysAllocStringLen(address.data(), static_cast<UINT>(address.size()));
    if (!url.bstrVal) return false;
    VARIANT empty;
    ::VariantInit(&empty);
    const HRESULT hr = m_browser->Navigate2(&url, &empty, &empty, &empty, &empty);
    ::VariantClear(&url);
    return SUCCEEDED(hr);
}

} // namespace marlin
