#pragma once
// What the search box needs of the band that hosts it, and what the band
// needs of the search box: small interfaces, since the search box never sees
// the band's class and the band reaches the search box through the toolbar.
#include "platform/ComObject.h"

namespace marlin {

class ISearchBand {
public:
    // A reference that keeps the band, and with it the search box, alive while
    // a handler runs a menu's message loop: the browser may let the band go meanwhile.
    virtual ComPtr<IUnknown> HoldBand() noexcept = 0;
    // The search box took or gave up the keyboard focus: while it has it, the
    // browser hands the band its keys (TranslateAcceleratorIO).
    virtual void SearchFocusChanged(bool focused) noexcept = 0;

protected:
    ~ISearchBand() = default;
};

class ISearchBoxInput {
public:
    virtual HWND EditWindow() const noexcept = 0;
    virtual HWND BoxWindow() const noexcept = 0;
    // Whether keys aimed at `window` are the search box's: its edit, its
    // buttons, its history drop-down.
    virtual bool OwnsWindow(HWND window) const noexcept = 0;
    // The edit box's key handler: S_OK when the key was handled, S_FALSE
    // only when handling it failed.
    virtual HRESULT TranslateKey(MSG& message) noexcept = 0;
    virtual void FocusEdit() noexcept = 0;
    virtual bool DropDownExists() const noexcept = 0;
    virtual void HideDropDown() noexcept = 0;

protected:
    ~ISearchBoxInput() = default;
};

} // namespace marlin
