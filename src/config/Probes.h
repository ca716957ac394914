#pragma once
// Which Windows and which Internet Explorer the component runs on, and the
// product's per-user registry key.
#include "platform/UniqueHandle.h"

#include <optional>
#include <string>

namespace marlin {

// "Vista", "2003", "XP", "2000 ", "NT ", "Windows95  ", "Windows98 ", "WINME ",
// or "" for anything else; the trailing blanks belong to the names.
std::wstring GetOSName();
// Windows 6.0 (Vista) or later, from the version itself: the OS name above is
// empty past Vista, but every later version keeps Vista's rules (settings file
// instead of the registry, the writable tree in protected mode).
bool IsVistaOrLater();
// The browser's "Version" value ("" when it cannot be read).
std::wstring GetBrowserVersion();
// The visual-style switch ThemeManager\ThemeActive of the current user, as
// stored; read through the thread's SettingsReads (SettingsStore.h).
std::optional<std::wstring> ThemeActiveSetting();
// The primary screen's width, read once per process (each read is a display
// check under Wine).
int ScreenWidth();
// HKEY_CURRENT_USER\software\MarlinToolbar, created when missing.
unique_hkey OpenUserKey();

} // namespace marlin
