#include "AddressBar.h"

#include "platform/Strings.h"

namespace standin {

std::wstring AddressBar::Text() const
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd())) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void AddressBar::SetText(const std::wstring& text) noexcept { ::SetWindowTextW(hwnd(), text.c_str()); }

LRESULT AddressBar::OnKeyDown(WPARAM key, LPARAM, bool& handled)
{
    if (key != VK_RETURN) {
        handled = false;
        return 0;
    }
    const std::wstring address = marlin::Trim(Text());
    if (!address.empty() && onEnter) onEnter(address);
    return 0;
}

LRESULT AddressBar::OnChar(WPARAM character, LPARAM, bool& handled)
{
    // A single-line edit beeps at the Enter character; it was handled on key down.
    handled = character == L'\r';
    return 0;
}

} // namespace standin
