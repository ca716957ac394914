#pragma once
// The pop-up blocker: the decision for every new-window request, the count of
// refused windows, and the texts its toolbar button shows.
#include "platform/Win32.h"

#include <functional>
#include <string>

namespace marlin {

inline constexpr wchar_t kPopupBlockerName[] = L"Pop-up Blocker";
inline constexpr wchar_t kPopupBlockerOn[] = L"Pop-up Blocker (ON)";
inline constexpr wchar_t kPopupBlockerOff[] = L"Pop-up Blocker (OFF)";

// 1: refuse a window opened from `url`; 0: allow it (not a web page, or a site
// on the browser's allow list).
int IsPopupBlockedForUrl(const std::wstring& url);

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
    const std::wstring& OpenerUrl() const noexcept { return m_openerUrl; }

private:
    int m_blockedCount = 0;
    std::wstring m_openerUrl;
};

} // namespace marlin
