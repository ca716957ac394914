#include "MenuHelp.h"

#include <algorithm>

namespace marlin {

namespace {

constexpr int kIconSize = 16;
constexpr int kIconLeft = 4;
constexpr int kTextLeft = 26;

} // namespace

void CMenuHelp::Reset() noexcept { m_items.clear(); }

void CMenuHelp::AddMenuItem(HMENU menu, UINT id, const std::wstring& text, int image, UINT flags, HMENU subMenu)
{
    Item& item = m_items.emplace_back();
    item.text = text;
    item.image = image;
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

void CMenuHelp::AdoptMenu(HMENU menu)
{
    const int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 255;
        if (!::GetMenuItemInfoW(menu, position, TRUE, &info) || (info.fType & MFT_SEPARATOR)) continue;
        Item& item = m_items.emplace_back();
        item.text = text;
        item.image = position;
        MENUITEMINFOW data{sizeof(data)};
        data.fMask = MIIM_DATA;
        data.dwItemData = reinterpret_cast<ULONG_PTR>(&item);
        ::SetMenuItemInfoW(menu, position, TRUE, &data);
    }
}

bool CMenuHelp::OnInitMenuPopup(HMENU menu) noexcept
{
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

    unique_hbrush fill(::CreateSolidBrush(selected && !disabled ? m_highlight : ::GetSysColor(COLOR_MENU)));
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
