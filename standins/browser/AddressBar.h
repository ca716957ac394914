#pragma once
// The browser's address box: an edit control that navigates on Enter.
#include "platform/Window.h"

#include <functional>
#include <string>

namespace standin {

class AddressBar : public marlin::Window<AddressBar> {
public:
    static constexpr const wchar_t* kClassName = L"MarlinStandInAddressBar";
    static constexpr const wchar_t* kBaseClassName = L"EDIT";

    std::wstring Text() const;
    void SetText(const std::wstring& text) noexcept;

    // Called with the typed address when the user presses Enter.
    std::function<void(const std::wstring&)> onEnter;

    LRESULT OnKeyDown(WPARAM, LPARAM, bool&);
    LRESULT OnChar(WPARAM, LPARAM, bool&);

    static constexpr marlin::MessageEntry<AddressBar> kMessageMap[] = {
        {WM_KEYDOWN, &AddressBar::OnKeyDown},
        {WM_CHAR, &AddressBar::OnChar},
    };
};

} // namespace standin
