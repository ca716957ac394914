#pragma once
// Owner-drawn pop-up menus with a 16 x 16 image before each entry. Each entry
// keeps its text and the index of its image in the helper's image list as
// item data; when the menu opens (WM_INITMENUPOPUP) every such entry is
// switched to owner-drawn, and the helper then measures and draws it. One
// menu is built and tracked at a time; Reset starts the next one.
#include "UniqueHandle.h"
#include "Win32.h"

#include <deque>
#include <string>

namespace marlin {

class CMenuHelp {
public:
    // What an owner-drawn entry shows; its address is the entry's item data.
    struct Item {
        std::wstring text;
        int image = -1; // index in the helper's image list; -1: no image
    };

    static constexpr COLORREF kTextColour = RGB(15, 15, 15);
    static constexpr COLORREF kDefaultHighlight = RGB(225, 233, 245);

    // Forgets the last menu's entries (the image list stays).
    void Reset() noexcept;

    // Appends an entry (or, with `subMenu`, a sub-menu the menu then owns)
    // showing image `image` of the helper's list. `flags`: MF_GRAYED and the like.
    void AddMenuItem(HMENU menu, UINT id, const std::wstring& text, int image, UINT flags = 0,
                     HMENU subMenu = nullptr);
    // Gives every entry of a menu made elsewhere (a resource) its text and the
    // image at its position, so that the helper draws it.
    void AdoptMenu(HMENU menu);

    // The list the entries' images index; the helper owns it.
    void SetImages(unique_himagelist images) noexcept { m_images = std::move(images); }
    HIMAGELIST Images() const noexcept { return m_images.get(); }
    // The fill of the highlighted entry.
    void SetHighlightColour(COLORREF colour) noexcept { m_highlight = colour; }

    // The window's menu messages; each answers whether it handled the message.
    bool OnInitMenuPopup(HMENU menu) noexcept;
    bool OnMeasureItem(MEASUREITEMSTRUCT& measure) noexcept;
    bool OnDrawItem(const DRAWITEMSTRUCT& draw) noexcept;

    // The entry at `position` of a menu built by a helper, or null.
    static const Item* ItemAt(HMENU menu, UINT position) noexcept;

private:
    HFONT Font() noexcept;
    void MarkOwnerDrawn(HMENU menu) noexcept;

    std::deque<Item> m_items; // stable addresses for the item data
    unique_himagelist m_images;
    unique_hfont m_font;
    COLORREF m_highlight = kDefaultHighlight;
};

} // namespace marlin
