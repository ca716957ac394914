#pragma once
// Button icons loaded from their files, kept per file. Reading an icon file
// costs milliseconds under Wine, and every browser window builds its toolbar
// from the same few files. An entry is reloaded when its file changes.
//
// Icons are shared: a menu or row that holds one keeps its handle alive even
// when the file is reloaded or the entry is dropped from the cache meanwhile
// (another browser thread may do either at any time). Both caches are bounded.
#include "platform/UniqueHandle.h"
#include "platform/Win32.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace marlin {

class ButtonIcon {
public:
    ButtonIcon(unique_hicon icon, std::uint64_t serial) noexcept : m_icon(std::move(icon)), m_serial(serial) {}
    HICON get() const noexcept { return m_icon.get(); }
    // Never reused within the process, unlike handle values.
    std::uint64_t serial() const noexcept { return m_serial; }

private:
    unique_hicon m_icon;
    std::uint64_t m_serial;
};
using ButtonIconRef = std::shared_ptr<const ButtonIcon>;

inline constexpr size_t kMaxCachedIcons = 256;
inline constexpr size_t kMaxCachedImageLists = 32;

// The icon of `path` (".ico" as an icon, anything else as a bitmap), or null.
ButtonIconRef CachedButtonIcon(const std::wstring& path);

// The module's built-in button icon, shown for icon files that do not load.
ButtonIconRef BuiltInButtonIcon();

// An icon made elsewhere (a plug-in's picture), held like the cached ones; not cached.
ButtonIconRef AdoptButtonIcon(unique_hicon icon);

// An image list of 16 x 16 icons holding `icons` in order (null entries are
// skipped). Lists already built for the same icons are copied instead of built
// again: adding icons one by one costs about a millisecond each under Wine.
// The caller owns the returned list.
HIMAGELIST ImageListOf(const std::vector<ButtonIconRef>& icons);

// How many icons and lists the caches hold (tests and benchmarks).
size_t CachedIconCount() noexcept;
size_t CachedImageListCount() noexcept;

// Lets go of every cached icon and image list (module unload).
void ClearIconCache() noexcept;

} // namespace marlin
