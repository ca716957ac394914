#include "IconCache.h"

#include "platform/Bitmaps.h"
#include "platform/Files.h"
#include "platform/Module.h"
#include "resources/resource.h"
#include "platform/Strings.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace marlin {

namespace {

struct CachedIcon {
    FileIdentity identity;
    ButtonIconRef icon;
    std::uint64_t lastUse = 0;
};

struct CachedList {
    unique_himagelist list;
    std::uint64_t lastUse = 0;
};

struct Cache {
    std::mutex lock;
    std::uint64_t clock = 0;      // counts uses, for dropping the least recently used entry
    std::uint64_t nextSerial = 1;
    std::map<std::wstring, CachedIcon> icons;
    // Keyed by the icons' serials: a reloaded icon gets a new serial, so a
    // list of the old picture is never used for it.
    std::map<std::vector<std::uint64_t>, CachedList> lists;
    ButtonIconRef builtIn;
};

Cache& TheCache()
{
    // Never destroyed at exit: icons are cleared at module unload instead.
    static auto* cache = new Cache();
    return *cache;
}

template <typename Map>
void DropLeastRecentlyUsed(Map& entries, size_t limit)
{
    while (entries.size() > limit) {
        auto oldest = std::min_element(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            return a.second.lastUse < b.second.lastUse;
        });
        entries.erase(oldest);
    }
}

// A bitmap becomes an opaque icon, so that every image list entry is an icon.
HICON IconFromBitmapFile(const std::wstring& path)
{
    // A header that lies about the picture's size must not reach the loader.
    if (ProbeBitmapFile(path).cx == 0) return nullptr;
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

ButtonIconRef CachedButtonIcon(const std::wstring& path)
{
    const auto identity = QueryFileStamp(path);
    if (!identity) return nullptr;
    Cache& cache = TheCache();
    const std::wstring key = ToLowerAscii(path);
    std::lock_guard guard(cache.lock);
    auto found = cache.icons.find(key);
    if (found != cache.icons.end() && found->second.identity == *identity) {
        found->second.lastUse = ++cache.clock;
        return found->second.icon;
    }
    unique_hicon loaded(LoadFromFile(path));
    if (!loaded) {
        cache.icons.erase(key);
        return nullptr;
    }
    // A holder of the old picture keeps it; the cache moves on to the new one.
    CachedIcon& entry = cache.icons[key];
    entry.identity = *identity;
    entry.icon = std::make_shared<const ButtonIcon>(std::move(loaded), cache.nextSerial++);
    entry.lastUse = ++cache.clock;
    ButtonIconRef icon = entry.icon;
    DropLeastRecentlyUsed(cache.icons, kMaxCachedIcons);
    return icon;
}

ButtonIconRef BuiltInButtonIcon()
{
    Cache& cache = TheCache();
    std::lock_guard guard(cache.lock);
    if (!cache.builtIn) {
        unique_hicon icon(static_cast<HICON>(
            ::LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_DEFAULT_BUTTON), IMAGE_ICON, 16, 16, 0)));
        if (icon) cache.builtIn = std::make_shared<const ButtonIcon>(std::move(icon), cache.nextSerial++);
    }
    return cache.builtIn;
}

ButtonIconRef AdoptButtonIcon(unique_hicon icon)
{
    if (!icon) return nullptr;
    Cache& cache = TheCache();
    std::lock_guard guard(cache.lock);
    return std::make_shared<const ButtonIcon>(std::move(icon), cache.nextSerial++);
}

HIMAGELIST ImageListOf(const std::vector<ButtonIconRef>& icons)
{
    std::vector<std::uint64_t> key;
    for (const ButtonIconRef& icon : icons) {
        if (icon) key.push_back(icon->serial());
    }
    Cache& cache = TheCache();
    std::lock_guard guard(cache.lock);
    auto found = cache.lists.find(key);
    if (found != cache.lists.end()) {
        found->second.lastUse = ++cache.clock;
        return ::ImageList_Duplicate(found->second.list.get());
    }
    HIMAGELIST list = ::ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 1);
    if (!list) return nullptr;
    for (const ButtonIconRef& icon : icons) {
        if (icon) ::ImageList_ReplaceIcon(list, -1, icon->get());
    }
    if (HIMAGELIST master = ::ImageList_Duplicate(list)) {
        CachedList& entry = cache.lists[key];
        entry.list.reset(master);
        entry.lastUse = ++cache.clock;
        DropLeastRecentlyUsed(cache.lists, kMaxCachedImageLists);
    }
    return list;
}

size_t CachedIconCount() noexcept
{
    Cache& cache = TheCache();
    std::lock_guard guard(cache.lock);
    return cache.icons.size();
}

size_t CachedImageListCount() noexcept
{
    Cache& cache = TheCache();
    std::lock_guard guard(cache.lock);
    return cache.lists.size();
}

void ClearIconCache() noexcept
{
    Cache& cache = TheCache();
    std::lock_guard guard(cache.lock);
    cache.lists.clear();
    cache.icons.clear();
    cache.builtIn.reset();
}

} // namespace marlin
