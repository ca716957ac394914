#include "DemoPages.h"

#include "platform/Strings.h"

#include <string_view>

namespace standin {

namespace {

// "%20" and "+" as the search engines write them; other escapes stay as they are.
std::wstring Unescaped(std::wstring_view text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'+') {
            out += L' ';
        } else if (text[i] == L'%' && i + 2 < text.size() && text.substr(i + 1, 2) == L"20") {
            out += L' ';
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The query of a search address: the value of q=, p= or query=.
std::wstring QueryOf(const std::wstring& url)
{
    const size_t question = url.find(L'?');
    if (question == std::wstring::npos) return {};
    std::wstring_view rest = std::wstring_view(url).substr(question + 1);
    while (!rest.empty()) {
        const size_t amp = rest.find(L'&');
        const std::wstring_view pair = rest.substr(0, amp);
        const size_t equals = pair.find(L'=');
        if (equals != std::wstring_view::npos) {
            const std::wstring_view name = pair.substr(0, equals);
            if (name == L"q" || name == L"p" || name == L"query") return Unescaped(pair.substr(equals + 1));
        }
        if (amp == std::wstring_view::npos) break;
        rest.remove_prefix(amp + 1);
    }
    return {};
}

} // namespace

DemoPage PageFor(const std::wstring& url)
{
    if (marlin::EqualsNoCase(url, kStartPage)) {
        return DemoPage{
            L"Marlin Toolbar start page",
            {L"Welcome to the demo browser.",
             L"Drag a link or the picture onto the toolbar to add a button; the button below opens a pop-up window."},
            {{L"Reef news", L"http://www.reef.example/news.htm", {}},
             {L"Coral picture", L"http://www.reef.example/", L"http://www.reef.example/coral.png"},
             {L"Toolbar features", L"http://www.marlintoolbar.example/toolbarfeatures.htm", {}}},
            L"http://ads.reef.example/popup.htm"};
    }
    DemoPage page{url, {}, {{L"Start page", kStartPage, {}}}, {}};
    if (const std::wstring query = QueryOf(url); !query.empty()) page.lines.push_back(L"Results for: " + query);
    return page;
}

} // namespace standin
