#include "MenuHelp.h"

#include "IconCache.h"

#include <algorithm>

namespace marlin {

namespace {

constexpr COLORREF kTextColour = RGB(15, 15, 15);
constexpr COLORREF kSelectedFill = RGB(225, 233, 245);
constexpr int kIconSize = 16;
constexpr int kIconLeft = 4;
constexpr int kTextLeft = 26;

} // namespace

void CMenuHelp::Reset() noexcept
{
    m_items.clear();
    m_icons.clear();
    m_iconIndexes.clear();
    m_images.reset();
    m_imagesStale = false;
}

void CMenuHelp::AddMenuItemWithIcon(HMENU menu, UINT id, const std::wstring& text, const std::wstring& iconPath,
                                    UINT flags, HMENU subMenu)
{
    Item& item = m_items.emplace_back();
    item.text = text;
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
        item.image = known->second;
    }
    MENUITEMINFOW info{sizeof(info)};
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_DATA | MIIM_STATE | (subMenu ? MIIM_SUBMENU : 0);
    info.wID = id;
    info.dwTypeData = item.text.data();
    info.dwItemData = reinterpret_cast<ULONG_PTR>(&item);
    info.fState = (flags & MF_GRAYED) ? MFS_GRAYED : MFS_ENABLED;
    info.hSubMenu = subMenu;
    if (!::InsertMenuItemW(menu, ::GetMenuItemCount(menu), TRUE, &info)) {
        if (subMenu) ::DestroyMenu(subMenu);
    }
}

bool CMenuHelp::OnInitMenuPopup(HMENU menu) noexcept
{
    if (m_imagesStale) {
        // The cache hands out copies of lists it built before for the same icons.
        m_images.reset(ImageListOf(m_icons));
        m_imagesStale = false;
    }
    MarkOwnerDrawn(menu);
    return true;
}

void CMenuHelp::MarkOwnerDrawn(HMENU menu) noexcept
{
    const int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
        if (!::GetMenuItemInfoW(menu, position, TRUE, &info)) continue;
        if (info.hSubMenu) MarkOwnerDrawn(info.hSubMenu);
        if ((info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW)) || !info.dwItemData) continue;
        info.fMask = MIIM_FTYPE;
        info.fType |= MFT_OWNERDRAW;
        ::SetMenuItemInfoW(menu, position, TRUE, &info);
    }
}

HFONT CMenuHelp::Font() noexcept
{
    if (!m_font) {
        m_font.reset(::CreateFontW(16, 8, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Century Gothic"));
    }
    return m_font ? m_font.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

bool CMenuHelp::OnMeasureItem(MEASUREITEMSTRUCT& measure) noexcept
{
    if (measure.CtlType != ODT_MENU || !measure.itemData) return false;
    const auto* item = reinterpret_cast<const Item*>(measure.itemData);
    WindowDC dc(nullptr);
    SIZE extent{};
    {
        SelectedObject font(dc.get(), Font());
        ::GetTextExtentPoint32W(dc.get(), item->text.c_str(), static_cast<int>(item->text.size()), &extent);
    }
    measure.itemWidth = static_cast<UINT>(extent.cx + kTextLeft + kIconSize / 2);
    measure.itemHeight = static_cast<UINT>(std::max(::GetSystemMetrics(SM_CYMENU), kIconSize + 4));
    return true;
}

bool CMenuHelp::OnDrawItem(const DRAWITEMSTRUCT& draw) noexcept
{
    if (draw.CtlType != ODT_MENU || !draw.itemData) return false;
    const auto* item = reinterpret_cast<const Item*>(draw.itemData);
    HDC dc = draw.hDC;
    RECT rect = draw.rcItem;
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    const bool disabled = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;

    unique_hbrush fill(::CreateSolidBrush(selected && !disabled ? kSelectedFill : ::GetSysColor(COLOR_MENU)));
    ::FillRect(dc, &rect, fill.get());
    if (selected && !disabled) {
        unique_hbrush frame(::CreateSolidBrush(kTextColour));
        ::FrameRect(dc, &rect, frame.get());
    }
    if (item->image >= 0 && m_images) {
        const int top = rect.top + (rect.bottom - rect.top - kIconSize) / 2;
        ::ImageList_Draw(m_images.get(), item->image, dc, rect.left + kIconLeft, top,
                         disabled ? ILD_TRANSPARENT | ILD_BLEND50 : ILD_TRANSPARENT);
    }
    RECT text = rect;
    text.left += kTextLeft;
    SelectedObject font(dc, Font());
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc, disabled ? ::GetSysColor(COLOR_GRAYTEXT) : kTextColour);
    ::DrawTextW(dc, item->text.c_str(), static_cast<int>(item->text.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
    return true;
}

const CMenuHelp::Item* CMenuHelp::ItemAt(HMENU menu, UINT position) noexcept
{
    MENUITEMINFOW info{sizeof(info)};
    info.fMask = MIIM_DATA;
    if (!::GetMenuItemInfoW(menu, position, TRUE, &info)) return nullptr;
    return reinterpret_cast<const Item*>(info.dwItemData);
}

} // namespace marlin
