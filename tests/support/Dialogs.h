#pragma once
// Real dialogs and windows as tests drive and read them.
#include "platform/Win32.h"

#include <string>

namespace marlin::test {

inline std::wstring WindowText(HWND window)
{
    wchar_t text[4096] = {};
    ::GetWindowTextW(window, text, 4096);
    return text;
}
inline std::wstring ItemText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }
// A dialog's controls are shown once its queue is idle, after the script ran: the style says what will show.
inline bool Shown(HWND dialog, int id) { return (::GetWindowLongW(::GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }
// The dialog hears of a press of `id` (whether the button could be pressed or not).
inline void Press(HWND dialog, int id)
{
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}
// The button `id` itself is clicked, as by the mouse.
inline void ClickButton(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
inline void Pump()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

} // namespace marlin::test
