#pragma once
// One search box's searching: the current engine, the browser it navigates
// and its history. Every new search box starts with the first engine; the
// choice is not stored.
#include "SearchHistory.h"
#include "platform/ComObject.h"

#include <exdisp.h>

#include <string>
#include <string_view>

namespace marlin {

class CWebSearch {
public:
    CWebSearch();

    // Makes the first engine whose name occurs in `name` current; false (and
    // the current one kept) when none does.
    bool SetEngine(std::wstring_view name) noexcept;
    const std::wstring& UrlTemplate() const noexcept { return m_template; }

    void SetBrowser(IWebBrowser2* browser) noexcept { m_browser = browser; }
    IWebBrowser2* Browser() const noexcept { return m_browser.Get(); }

    // Trims the query, records it (signed-in state from the shared state),
    // composes the address and navigates the browser in place. Blanks only:
    // nothing at all. True only when the browser accepted the navigation.
    bool RunSearch(std::wstring_view query);

    CSearchHistory& History() noexcept { return m_history; }
    const CSearchHistory& History() const noexcept { return m_history; }

private:
    std::wstring m_template;
    ComPtr<IWebBrowser2> m_browser;
    CSearchHistory m_history;
};

} // namespace marlin
