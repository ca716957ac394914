#include "IconCache.h"

#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/UniqueHandle.h"

#include <map>
#include <mutex>

namespace marlin {

namespace {

struct CachedIcon {
    FileIdentity identity;
    unique_hicon icon;
};

struct Cache {
    std::mutex lock;
    std::map<std::wstring, CachedIcon> icons;
    // Keyed by the cached icons' handles: a reloaded icon gets a new handle,
    // so a list of the old one is never used for it.
    std::map<std::vector<HICON>, unique_himagelist> lists;
};

Cache& TheCache()
{
    // Never destroyed at exit: icons are cleared at module unload instead.
    static auto* cache = new Cache();
    return *cache;
}

// A bitmap becomes an opaque icon, so that every image list entry is an icon.
HICON IconFromBitmapFile(const std::wstring& path)
{
    unique_hbitmap colour(static_cast<HBITMAP>(::LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 16, 16,
                                                            LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    if (!colour) return nullptr;
    const BYTE opaque[16 * 2] = {};
    unique_hbitmap mask(::CreateBitmap(16, 16, 1, 1, opaque));
    if (!mask) return nullptr;
    ICONINFO info{TRUE, 0, 0, mask.get(), colour.get()};
    return ::CreateIconIndirect(&info);
}

HICON LoadFromFile(const std::wstring& path)
{
    const bool isIcon = path.size() >= 4 && EqualsNoCase(std::wstring_view(path).substr(path.size() - 4), L".ico");
    if (!isIcon) return IconFromBitmapFile(path);
    return static_cast<HICON>(::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE));
}

} // namespace

HICON CachedButtonIcon(const std::wstring& path)
{
    const auto identity = QueryFileStamp(path);
    if (!identity) return nullptr;
    Cache& cache = TheCache();
    const std::wstring key = ToLowerAscii(path);
    std::lock_guard guard(cache.lock);
    auto found = cache.icons.find(key);
    if (found != cache.icons.end() && found->second.identity == *identity) return found->second.icon.get();
    HICON icon = LoadFromFile(path);
    if (!icon) {
        cache.icons.erase(key);
        return nullptr;
    }
    CachedIcon& entry = cache.icons[key];
    entry.identity = *identity;
    entry.icon.reset(icon);
    return icon;
}

HIMAGELIST ImageListOf(const std::vector<HICON>& icons)
{
    std::vector<HICON> key;
    for (HICON icon : icons) {
        if (icon) key.push_back(icon);
    }
    Cache& cache = TheCache();
    std::lock_guard guard(cache.lock);
    auto found = cache.lists.find(key);
    if (found != cache.lists.end()) return ::ImageList_Duplicate(found->second.get());
    HIMAGELIST list = ::ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 1);
    if (!list) return nullptr;
    for (HICON icon : key) ::ImageList_ReplaceIcon(list, -1, icon);
    if (HIMAGELIST master = ::ImageList_Duplicate(list)) cache.lists[key].reset(master);
    return list;
}

void ClearIconCache() noexcept
{
    Cache& cache = TheCache();
    std::lock_guard guard(cache.lock);
    cache.lists.clear();
    cache.icons.clear();
}

} // namespace marlin
