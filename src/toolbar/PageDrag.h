#pragma once
// A link or picture dragged out of a web page and let go over the toolbar.
// The page's document sink hands its events over: a press or a drag start
// remembers what the element under the cursor offers, and the drag's end says
// whether it ended over the toolbar.
//
// What an element offers: walking up from it (itself first), the first link
// (A or AREA) gives its address, so a picture inside a link offers the link;
// failing that, the first picture met on the way (IMG, or an INPUT of a
// picture) gives its source. The walk stops at BODY, after a link without an
// address, or after kMaxWalk elements. Addresses are asked for fully expanded
// and are at most kMaxAddress characters; a longer one counts as none.
//
// Where a drag ends: the drag-end event's screen position inside the screen
// rectangle of the visible toolbar window (left and top edges included, right
// and bottom edges excluded).
#include "platform/Win32.h"

#include <mshtml.h>

#include <optional>
#include <string>

namespace marlin {

std::wstring PageDragAddress(IHTMLElement* element);

class CPageDrag {
public:
    static constexpr int kMaxWalk = 256;
    static constexpr size_t kMaxAddress = 2083;

    // One event of the page's document (DISPID and parameters as the sink got
    // them). Answers the address to offer when this event ends a page drag
    // over `toolbar` while `signedIn`. Events without an event object change nothing,
    // except that every drag end clears the mark.
    std::optional<std::wstring> OnEvent(DISPID id, const DISPPARAMS* params, HWND toolbar, bool signedIn);

    bool Dragging() const noexcept { return m_dragging; }
    // When the last drag began (GetTickCount64).
    ULONGLONG StartedAt() const noexcept { return m_startedAt; }

private:
    bool m_dragging = false;
    ULONGLONG m_startedAt = 0;
    std::wstring m_address;
};

} // namespace marlin
