#pragma once
// Button icons loaded from their files, kept per file for the life of the
// module. Reading an icon file costs milliseconds under Wine, and every
// browser window builds its toolbar from the same few files. An entry is
// reloaded when its file changes; the image lists copy the icons they are given.
#include "platform/Win32.h"

#include <string>

namespace marlin {

// The icon of `path` (".ico" as an icon, anything else as a bitmap), or null.
// The cache owns it: the caller must not destroy it.
HICON CachedButtonIcon(const std::wstring& path);

// Destroys every cached icon (module unload).
void ClearIconCache() noexcept;

} // namespace marlin
