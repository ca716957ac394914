#pragma once
// Owner-drawn pop-up menus with a 16 x 16 icon before each entry. Entries are
// added with their text and icon; when the menu opens (WM_INITMENUPOPUP) every
// entry is switched to owner-drawn, and the helper then measures and draws
// them. One menu is built and tracked at a time; Reset starts the next one.
#include "IconCache.h"
#include "platform/UniqueHandle.h"
#include "platform/Win32.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace marlin {

class CMenuHelp {
public:
    // What an owner-drawn entry shows; its address is the entry's item data.
    struct Item {
        std::wstring text;
        int image = -1; // index in the helper's image list; -1: no icon
    };

    // Forgets the last menu's entries and icons.
    void Reset() noexcept;

    // Appends an entry (or, with `subMenu`, a sub-menu the menu then owns) with
    // the icon of `iconPath`; an icon that does not load leaves the entry
    // without one. `flags`: MF_GRAYED and the like.
    void AddMenuItemWithIcon(HMENU menu, UINT id, const std::wstring& text, const std::wstring& iconPath,
                             UINT flags = 0, HMENU subMenu = nullptr);

    // The window's menu messages; each answers whether it handled the message.
    bool OnInitMenuPopup(HMENU menu) noexcept;
    bool OnMeasureItem(MEASUREITEMSTRUCT& measure) noexcept;
    bool OnDrawItem(const DRAWITEMSTRUCT& draw) noexcept;

    // The entry at `position` of a menu built by a helper, or null.
    static const Item* ItemAt(HMENU menu, UINT position) noexcept;
    HIMAGELIST Images() const noexcept { return m_images.get(); }

private:
    HFONT Font() noexcept;
    void MarkOwnerDrawn(HMENU menu) noexcept;

    std::deque<Item> m_items; // stable addresses for the item data
    std::vector<ButtonIconRef> m_icons; // held until the next menu: the menu draws them
    std::map<std::wstring, int> m_iconIndexes; // icon file -> image, -1 when it does not load
    unique_himagelist m_images;
    bool m_imagesStale = false;
    unique_hfont m_font;
};

} // namespace marlin
