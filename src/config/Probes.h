#pragma once
// Which Windows and which Internet Explorer the component runs on, and the
// product's per-user registry key.
#include "platform/UniqueHandle.h"

#include <string>

namespace marlin {

// "Vista", "2003", "XP", "2000 ", "NT ", "Windows95  ", "Windows98 ", "WINME ",
// or "" for anything else; the trailing blanks belong to the names.
std::wstring GetOSName();
// The browser's "Version" value ("" when it cannot be read).
std::wstring GetBrowserVersion();
// HKEY_CURRENT_USER\software\MarlinToolbar, created when missing.
unique_hkey OpenUserKey();

} // namespace marlin
