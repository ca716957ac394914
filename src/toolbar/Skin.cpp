#include "Skin.h"

#include "platform/Bitmaps.h"

namespace marlin {

bool CSkinArt::Follow(const SkinState& state)
{
    if (m_followed && state == m_state) return false;
    m_followed = true;
    m_state = state;
    m_toolbarBrush.reset();
    m_stripBrush.reset();
    m_toolbarPicture.reset();
    m_stripPicture.reset();
    // A skin of colours only paints no pictures, whatever its elements name.
    if (m_state.HasPictures()) {
        m_toolbarPicture = LoadBitmapFile(SkinPicturePath(m_state.number, m_state[SkinPart::ToolbarBackground]));
        m_stripPicture = LoadBitmapFile(SkinPicturePath(m_state.number, m_state[SkinPart::TabBackground]));
    }
    return true;
}

bool CSkinArt::HasPicture(SkinPart part) const noexcept
{
    if (part == SkinPart::ToolbarBackground) return static_cast<bool>(m_toolbarPicture);
    if (part == SkinPart::TabBackground) return static_cast<bool>(m_stripPicture);
    return false;
}

HBRUSH CSkinArt::Brush(SkinPart part, COLORREF builtIn, unique_hbrush& brush)
{
    if (brush) return brush.get();
    const unique_hbitmap& picture = part == SkinPart::ToolbarBackground ? m_toolbarPicture : m_stripPicture;
    if (picture) brush.reset(::CreatePatternBrush(picture.get()));
    if (!brush) {
        // A picture that does not load leaves the skin's colour for it. On
        // the toolbar, black counts as no colour (0 was written for "none").
        COLORREF colour = m_state.Colour(part, builtIn);
        if (colour == 0 && part == SkinPart::ToolbarBackground) colour = builtIn;
        brush.reset(::CreateSolidBrush(colour));
    }
    return brush ? brush.get() : static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
}

HBRUSH CSkinArt::ToolbarBackground()
{
    return Brush(SkinPart::ToolbarBackground, kBuiltInToolbarBackground, m_toolbarBrush);
}

HBRUSH CSkinArt::StripBackground() { return Brush(SkinPart::TabBackground, kBuiltInStripBackground, m_stripBrush); }

void CSkinArt::FillAligned(HDC dc, const RECT& rect, HBRUSH brush) noexcept
{
    // The pattern starts where the logical origin lies on the device.
    POINT origin{0, 0};
    ::LPtoDP(dc, &origin, 1);
    POINT old{};
    ::SetBrushOrgEx(dc, origin.x, origin.y, &old);
    ::FillRect(dc, &rect, brush);
    ::SetBrushOrgEx(dc, old.x, old.y, nullptr);
}

} // namespace marlin
