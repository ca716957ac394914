#pragma once
// The browser's built-in local pages: what the page area shows for an
// address. The start page has links, a picture inside a link and a button
// that opens a pop-up window; every other address shows itself (and, for a
// search, the query it carries).
#include <string>
#include <vector>

namespace standin {

struct PageLink {
    std::wstring text;
    std::wstring href;
    // A picture inside the link: its source (none: a text link).
    std::wstring picture;
};

struct DemoPage {
    std::wstring title;
    std::vector<std::wstring> lines;
    std::vector<PageLink> links;
    // The pop-up the page's button opens (none: no button).
    std::wstring popup;
};

inline constexpr wchar_t kStartPage[] = L"http://www.marlintoolbar.example/";

DemoPage PageFor(const std::wstring& url);

} // namespace standin
