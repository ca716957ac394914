#pragma once
// Where the parts of the toolbar's row go. The row has named slots: the
// button row, the search box in the gap after the home button, the sign-in
// strip at the right end, and the tab strip. ArrangeRow is the arithmetic;
// CRowLayout keeps the search slot's window, which is moved, never destroyed
// by a rebuild of the buttons. An empty slot has no window: a placeholder is
// made only when something asks for the slot's window.
#include "platform/Win32.h"

namespace marlin {

// The height of the button row (and of the sign-in strip).
inline constexpr int kButtonRowHeight = 24;

enum class RowSlot { ButtonRow, SearchBox, SignIn, TabStrip };

struct RowMetrics {
    int width = 0;        // the toolbar window's width
    int available = 0;    // the browser frame's client width (the toolbar's own when unknown)
    int signInWidth = 0;  // the sign-in button's width
    int chevronWidth = 0;
    int tabStripWidth = 0; // what the tabs want; the strip gets at most two fifths of the row
};

struct RowPlaces {
    RECT buttonRow{};
    RECT signIn{};
    RECT tabStrip{};
    int overflowLimit = 0; // buttons reaching past this, in the row's coordinates, go behind the chevron
};

RowPlaces ArrangeRow(const RowMetrics& metrics) noexcept;

// Moves `child` to `place` (its parent's coordinates) without repainting
// anything: a layout moves several windows and invalidates once at its end.
// False when the window was there already (nothing done).
bool PlaceChild(HWND child, const RECT& place) noexcept;

class CRowLayout {
public:
    CRowLayout() = default;
    CRowLayout(const CRowLayout&) = delete;
    CRowLayout& operator=(const CRowLayout&) = delete;

    // The window in the search slot: the search box, or else a placeholder
    // made in `parent` the first time it is asked for.
    HWND SearchSlot(HWND parent);
    // Whether the slot has a window to place.
    bool Occupied() const noexcept { return m_search != nullptr; }
    // Hands the slot to `window` (a child of the same parent); the placeholder goes.
    void SetSearchBox(HWND window) noexcept;
    // Moves the search slot's window to `place`, above the button row,
    // without repainting; true when it moved.
    bool PlaceSearchSlot(const RECT& place) const noexcept;
    // The toolbar window is going: its children go with it.
    void Forget() noexcept;

private:
    HWND m_search = nullptr;
    bool m_placeholder = false;
};

} // namespace marlin
