#pragma once
// Button icons loaded from their files, kept per file for the life of the
// module. Reading an icon file costs milliseconds under Wine, and every
// browser window builds its toolbar from the same few files. An entry is
// reloaded when its file changes; the image lists copy the icons they are given.
#include "platform/Win32.h"

#include <string>
#include <vector>

namespace marlin {

// The icon of `path` (".ico" as an icon, anything else as a bitmap), or null.
// The cache owns it: the caller must not destroy it.
HICON CachedButtonIcon(const std::wstring& path);

// An image list of 16 x 16 icons holding `icons` in order (null entries are
// skipped). Lists already built for the same icons are copied instead of built
// again: adding icons one by one costs about a millisecond each under Wine.
// The caller owns the returned list.
HIMAGELIST ImageListOf(const std::vector<HICON>& icons);

// Destroys every cached icon and image list (module unload).
void ClearIconCache() noexcept;

} // namespace marlin
