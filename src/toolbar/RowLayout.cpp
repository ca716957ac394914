#include "RowLayout.h"

#include "platform/Module.h"

#include <algorithm>

namespace marlin {

namespace {

constexpr int kTop = 2;
constexpr int kSignInMargin = 12;
constexpr int kTabStripHeight = 22;

} // namespace

RowPlaces ArrangeRow(const RowMetrics& metrics) noexcept
{
    RowPlaces places;
    const int beforeSignIn = std::max(metrics.available - metrics.signInWidth - kSignInMargin, 0);
    // The tabs sit between the buttons and the sign-in button; beyond their
    // share of the row they scroll.
    const int strip = std::clamp(metrics.tabStripWidth, 0, beforeSignIn * 2 / 5);
    const int rowWidth = beforeSignIn - strip;
    places.buttonRow = RECT{0, kTop, rowWidth, kTop + kButtonRowHeight};
    places.tabStrip = RECT{rowWidth, kTop, rowWidth + strip, kTop + kTabStripHeight};
    places.signIn = RECT{beforeSignIn, kTop, beforeSignIn + metrics.signInWidth + kSignInMargin, kTop + kButtonRowHeight};
    places.overflowLimit = metrics.width - metrics.signInWidth - metrics.chevronWidth - strip;
    return places;
}

bool PlaceChild(HWND child, const RECT& place) noexcept
{
    if (!child) return false;
    RECT current{};
    ::GetWindowRect(child, &current);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&current), 2);
    if (::EqualRect(&current, &place)) return false;
    ::SetWindowPos(child, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    return true;
}

HWND CRowLayout::SearchSlot(HWND parent)
{
    if (!m_search) {
        m_search = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr,
                                     ModuleInstance(), nullptr);
        m_placeholder = m_search != nullptr;
    }
    return m_search;
}

void CRowLayout::SetSearchBox(HWND window) noexcept
{
    if (m_placeholder && m_search && m_search != window) ::DestroyWindow(m_search);
    m_search = window;
    m_placeholder = false;
}

bool CRowLayout::PlaceSearchSlot(const RECT& place) const noexcept
{
    if (!m_search) return false;
    const bool moved = PlaceChild(m_search, place);
    // Above the row also when the row's window was made afresh.
    ::SetWindowPos(m_search, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    return moved;
}

void CRowLayout::Forget() noexcept
{
    m_search = nullptr;
    m_placeholder = false;
}

} // namespace marlin
