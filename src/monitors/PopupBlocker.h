#pragma once
// The pop-up blocker: the decision for every new-window request, the count of
// refused windows, and the texts its toolbar button shows.
#include "platform/Win32.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlin {

inline constexpr wchar_t kPopupBlockerName[] = L"Pop-up Blocker";
inline constexpr wchar_t kPopupBlockerOn[] = L"Pop-up Blocker (ON)";
inline constexpr wchar_t kPopupBlockerOff[] = L"Pop-up Blocker (OFF)";

// 1: refuse a window opened from `url`; 0: allow it (not a web page, or a site
// on the browser's allow list).
int IsPopupBlockedForUrl(const std::wstring& url);

// The browser's allow list: the value names of this key (under
// HKEY_CURRENT_USER) are the sites; a page whose address contains one is
// allowed.
inline constexpr wchar_t kPopupAllowListKey[] = L"Software\\Microsoft\\Internet Explorer\\New Windows\\Allow";
// The longest site name the blocker reads.
inline constexpr size_t kAllowedSiteMaxChars = 255;

// The sites on the allow list, as stored; longer names are passed over.
std::vector<std::wstring> AllowedSites();
// Reduces what a user typed to the host the blocker matches: trimmed, the
// scheme, user, port and path taken off, in lower case ("http://WWW.Example.com:8080/page"
// gives "www.example.com"). Nothing when the text is longer than a site name
// can be or is not a plausible host name or address.
std::optional<std::wstring> AllowListSite(std::wstring_view typed);
// The site "Allow pop-ups from this site" puts on the list for the page at
// `pageUrl`: its host as the address spells it, when the blocker refuses that
// page's pop-ups now.
// Nothing for pages that are no web pages, are allowed already or have no
// plausible host.
std::optional<std::wstring> SiteToAllow(const std::wstring& pageUrl);
// Puts a site on the list (a zero-length REG_BINARY value, as the browser
// writes it) or takes it off; true when that was done.
bool AllowSite(const std::wstring& site);
bool DisallowSite(const std::wstring& site);

// "Pop-up Blocker Settings": the browser's own dialog where the system has
// one, else the product's dialog over the allow list. Modal to `owner`.
void ShowPopupBlockerSettings(HWND owner);

// "(3) Blocked" for a count of 3.
std::wstring BlockedCaption(int count);
// Whether a toolbar caption is the pop-up blocker button's.
bool IsPopupBlockerCaption(const std::wstring& caption);

// The toolbar side of the blocker, as far as the band needs it.
struct PopupBlockerDisplay {
    // Sets the blocker button's caption; false when there is no such button.
    std::function<bool(const std::wstring& caption)> setCaption;
    // Repaints the toolbar when the search box's drop-down list is open.
    std::function<void()> repaintIfListOpen;
};

// The per-window state of the blocker: the count and the page that asked.
class CPopupBlocker {
public:
    // Decides a NewWindow2 request: answers true when the window is refused.
    // `openerUrl` is the browser's location when the request came; the
    // script-navigation flag is cleared afterwards unless a modifier key let
    // the window through.
    bool OnNewWindow2(const std::wstring& openerUrl, LONG& scriptNavigation, const PopupBlockerDisplay& display);

    int BlockedCount() const noexcept { return m_blockedCount; }
    // The user allowed the page's site: counting starts again.
    void ResetCount() noexcept { m_blockedCount = 0; }
    const std::wstring& OpenerUrl() const noexcept { return m_openerUrl; }

private:
    int m_blockedCount = 0;
    std::wstring m_openerUrl;
};

} // namespace marlin
