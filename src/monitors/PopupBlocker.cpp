#include "PopupBlocker.h"

#include "config/ApplicationSettings.h"
#include "platform/Environment.h"
#include "platform/Registry.h"
#include "platform/Strings.h"

namespace marlin {

namespace {

bool IsAsciiLetter(wchar_t c) noexcept { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsAsciiDigit(wchar_t c) noexcept { return c >= L'0' && c <= L'9'; }

// "http" in "http://...", but not "example.com/go?to=http".
bool IsSchemeName(std::wstring_view text) noexcept
{
    if (text.empty() || !IsAsciiLetter(text.front())) return false;
    for (wchar_t c : text) {
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != L'+' && c != L'-' && c != L'.') return false;
    }
    return true;
}

// Host names: labels of letters, digits and inner hyphens, at most 63 each;
// letters beyond ASCII count, so that international names can be typed.
bool IsPlausibleHost(std::wstring_view host)
{
    if (host.empty() || host.size() > 253) return false;
    size_t start = 0;
    while (start <= host.size()) {
        size_t end = host.find(L'.', start);
        if (end == std::wstring_view::npos) end = host.size();
        const std::wstring_view label = host.substr(start, end - start);
        if (label.empty() || label.size() > 63 || label.front() == L'-' || label.back() == L'-') return false;
        for (wchar_t c : label) {
            const bool ascii = (c >= L'a' && c <= L'z') || IsAsciiDigit(c) || c == L'-';
            if (!ascii && (c < 0x80 || !::IsCharAlphaNumericW(c))) return false;
        }
        start = end + 1;
    }
    return true;
}

} // namespace

int IsPopupBlockedForUrl(const std::wstring& url)
{
    if (url.empty()) return 0;
    bool web = false;
    for (const wchar_t* scheme : {L"http:", L"https:", L"ftp:", L"gopher:", L"telnet:"}) {
        web = web || url.find(scheme) != std::wstring::npos;
    }
    if (!web) return 0;

    for (const std::wstring& site : AllowedSites()) {
        // An empty name would match every page; it allows nothing.
        if (!site.empty() && url.find(site) != std::wstring::npos) return 0;
    }
    return 1;
}

std::vector<std::wstring> AllowedSites()
{
    std::vector<std::wstring> sites;
    unique_hkey allow = OpenRegistryKey(HKEY_CURRENT_USER, kPopupAllowListKey, KEY_READ);
    if (!allow) return sites;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kAllowedSiteMaxChars + 1] = {};
        DWORD length = kAllowedSiteMaxChars + 1;
        const LSTATUS status = ::RegEnumValueW(allow.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        sites.emplace_back(name, length);
    }
    return sites;
}

std::optional<std::wstring> AllowListSite(std::wstring_view typed)
{
    const std::wstring text = Trim(typed);
    if (text.empty() || text.size() > kAllowedSiteMaxChars) return std::nullopt;
    std::wstring_view rest = text;
    const size_t scheme = rest.find(L"://");
    if (scheme != std::wstring_view::npos && IsSchemeName(rest.substr(0, scheme))) rest.remove_prefix(scheme + 3);
    rest = rest.substr(0, rest.find_first_of(L"/\\?#"));
    if (const size_t at = rest.rfind(L'@'); at != std::wstring_view::npos) rest.remove_prefix(at + 1);
    if (const size_t colon = rest.find(L':'); colon != std::wstring_view::npos) {
        const std::wstring_view port = rest.substr(colon + 1);
        if (port.size() > 5 || port.find_first_not_of(L"0123456789") != std::wstring_view::npos) return std::nullopt;
        rest = rest.substr(0, colon);
    }
    // The blocker matches parts of addresses, so a site covers its subdomains already.
    if (rest.starts_with(L"*.")) rest.remove_prefix(2);
    std::wstring host = ToLowerAscii(rest);
    if (!IsPlausibleHost(host)) return std::nullopt;
    return host;
}

std::optional<std::wstring> SiteToAllow(const std::wstring& pageUrl)
{
    if (IsPopupBlockedForUrl(pageUrl) == 0) return std::nullopt;
    // Only the part up to the host: a page's address may be longer than any site name.
    const std::wstring_view address = pageUrl;
    const size_t scheme = address.find(L"://");
    const size_t hostEnd = address.find_first_of(L"/\\?#", scheme == std::wstring_view::npos ? 0 : scheme + 3);
    const std::optional<std::wstring> site = AllowListSite(address.substr(0, hostEnd));
    if (!site) return std::nullopt;
    // The blocker matches the address as written, letter case and all: the
    // site keeps the page's spelling of its host.
    const size_t at = ToLowerAscii(address.substr(0, hostEnd)).rfind(*site);
    if (at == std::wstring::npos) return site;
    return std::wstring(address.substr(at, site->size()));
}

bool AllowSite(const std::wstring& site)
{
    if (site.empty() || site.size() > kAllowedSiteMaxChars) return false;
    unique_hkey allow = CreateRegistryKey(HKEY_CURRENT_USER, kPopupAllowListKey, KEY_SET_VALUE);
    return WriteRegistryBinary(allow.get(), site.c_str(), nullptr, 0);
}

bool DisallowSite(const std::wstring& site)
{
    if (site.empty()) return false;
    unique_hkey allow = OpenRegistryKey(HKEY_CURRENT_USER, kPopupAllowListKey, KEY_SET_VALUE);
    return DeleteRegistryValue(allow.get(), site.c_str());
}

std::wstring BlockedCaption(int count) { return Format(L"(%d) %ls", count, L"Blocked"); }

bool IsPopupBlockerCaption(const std::wstring& caption)
{
    if (EqualsNoCase(caption, kPopupBlockerOn) || EqualsNoCase(caption, kPopupBlockerOff)) return true;
    const size_t blocked = caption.find(L"Blocked");
    return blocked != std::wstring::npos && blocked > 0;
}

bool CPopupBlocker::OnNewWindow2(const std::wstring& openerUrl, LONG& scriptNavigation,
                                 const PopupBlockerDisplay& display)
{
    m_openerUrl = openerUrl;
    IEnvironment& env = Env();
    if ((env.GetAsyncKeyState(VK_SHIFT) & 0x8000) || (env.GetAsyncKeyState(VK_CONTROL) & 0x8000)) return false;

    bool refused = false;
    if (IsPopupBlockedForUrl(m_openerUrl) == 0) {
        if (m_blockedCount > 0) {
            if (display.setCaption) display.setCaption(kPopupBlockerOn);
            m_blockedCount = 0;
        }
    } else if (g_PopupMgr >= 1 && !scriptNavigation) {
        refused = true;
        ++m_blockedCount;
        if (display.setCaption) display.setCaption(BlockedCaption(m_blockedCount));
        if (display.repaintIfListOpen) display.repaintIfListOpen();
    }
    scriptNavigation = 0;
    return refused;
}

} // namespace marlin
