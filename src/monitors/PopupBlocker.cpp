#include "PopupBlocker.h"

#include "config/ApplicationSettings.h"
#include "platform/Environment.h"
#include "platform/Registry.h"
#include "platform/Strings.h"

namespace marlin {

namespace {
constexpr wchar_t kAllowListKey[] = L"Software\\Microsoft\\Internet Explorer\\New Windows\\Allow";
constexpr DWORD kAllowNameChars = 256;
} // namespace

int IsPopupBlockedForUrl(const std::wstring& url)
{
    if (url.empty()) return 0;
    bool web = false;
    for (const wchar_t* scheme : {L"http:", L"https:", L"ftp:", L"gopher:", L"telnet:"}) {
        web = web || url.find(scheme) != std::wstring::npos;
    }
    if (!web) return 0;

    unique_hkey allow = OpenRegistryKey(HKEY_CURRENT_USER, kAllowListKey, KEY_READ);
    if (!allow) return 1;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kAllowNameChars] = {};
        DWORD length = kAllowNameChars;
        if (::RegEnumValueW(allow.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            return 1;
        }
        // An empty name would match every page; it allows nothing.
        if (length > 0 && url.find(std::wstring(name, length)) != std::wstring::npos) return 0;
    }
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
