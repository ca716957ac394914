#include "MenuIcons.h"

namespace marlin {

void CToolbarMenuHelp::Reset() noexcept
{
    CMenuHelp::Reset();
    SetImages({});
    m_icons.clear();
    m_iconIndexes.clear();
    m_imagesStale = false;
}

void CToolbarMenuHelp::AddMenuItemWithIcon(HMENU menu, UINT id, const std::wstring& text,
                                           const std::wstring& iconPath, UINT flags, HMENU subMenu)
{
    int image = -1;
    if (!iconPath.empty()) {
        // Menus repeat the same few icons: each file is looked up and listed once.
        auto [known, added] = m_iconIndexes.try_emplace(iconPath, -1);
        if (added) {
            if (ButtonIconRef icon = CachedButtonIcon(iconPath)) {
                known->second = static_cast<int>(m_icons.size());
                m_icons.push_back(std::move(icon));
                m_imagesStale = true;
            }
        }
        image = known->second;
    }
    AddMenuItem(menu, id, text, image, flags, subMenu);
}

bool CToolbarMenuHelp::OnInitMenuPopup(HMENU menu) noexcept
{
    if (m_imagesStale) {
        // The cache hands out copies of lists it built before for the same icons.
        SetImages(unique_himagelist(ImageListOf(m_icons)));
        m_imagesStale = false;
    }
    return CMenuHelp::OnInitMenuPopup(menu);
}

} // namespace marlin
