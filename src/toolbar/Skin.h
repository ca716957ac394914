#pragma once
// The selected skin as one toolbar window paints it: the brushes and pictures
// made from the process-wide skin state (config/Skins.h), remade only when
// that state changes. The toolbar's background and the tab strip draw with it.
#include "config/Skins.h"
#include "platform/UniqueHandle.h"

namespace marlin {

class CSkinArt {
public:
    CSkinArt() = default;
    CSkinArt(const CSkinArt&) = delete;
    CSkinArt& operator=(const CSkinArt&) = delete;

    // Takes `state` over, loading its pictures from its folder; false when it
    // is what this window paints already.
    bool Follow(const SkinState& state);
    const SkinState& State() const noexcept { return m_state; }

    // The toolbar's background: a picture skin's toolbar picture as a
    // pattern, else the skin's colour, else the built-in one. Never null.
    HBRUSH ToolbarBackground();
    // The tab strip's background, by the same rule.
    HBRUSH StripBackground();
    COLORREF TabFill() const noexcept { return m_state.Colour(SkinPart::Tab, kBuiltInTabFill); }
    COLORREF TabLine() const noexcept { return m_state.Colour(SkinPart::TabLine, kBuiltInTabLine); }
    // Whether the picture of `part` loaded (tests).
    bool HasPicture(SkinPart part) const noexcept;

    // Fills `rect` of `dc` with `brush`, a pattern starting at the origin of
    // the window the coordinates belong to (also when a child window's
    // drawing was offset into them).
    static void FillAligned(HDC dc, const RECT& rect, HBRUSH brush) noexcept;

private:
    HBRUSH Brush(SkinPart part, COLORREF builtIn, unique_hbrush& brush);

    SkinState m_state;
    bool m_followed = false;
    unique_hbitmap m_toolbarPicture, m_stripPicture;
    unique_hbrush m_toolbarBrush, m_stripBrush;
};

} // namespace marlin
