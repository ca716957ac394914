#pragma once
// The toolbar's menus: owner-drawn entries (platform's CMenuHelp) whose icons
// come from icon files through the icon cache. Each file is looked up and
// listed once per menu; the icons are held until the next menu is built, and
// the menu's image list is made when it opens.
#include "IconCache.h"
#include "platform/MenuHelp.h"

#include <map>
#include <string>
#include <vector>

namespace marlin {

class CToolbarMenuHelp : public CMenuHelp {
public:
    // Forgets the last menu's entries and icons.
    void Reset() noexcept;

    // Appends an entry (or a sub-menu the menu then owns) with the icon of
    // `iconPath`; an icon that does not load leaves the entry without one.
    void AddMenuItemWithIcon(HMENU menu, UINT id, const std::wstring& text, const std::wstring& iconPath,
                             UINT flags = 0, HMENU subMenu = nullptr);

    bool OnInitMenuPopup(HMENU menu) noexcept;

private:
    std::vector<ButtonIconRef> m_icons; // held until the next menu: the menu draws them
    std::map<std::wstring, int> m_iconIndexes; // icon file -> image, -1 when it does not load
    bool m_imagesStale = false;
};

} // namespace marlin
