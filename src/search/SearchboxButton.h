#pragma once
// The search box's two owner-drawn buttons: the engine button (left; opens
// the engine menu) and the history button (right; opens the history
// drop-down). Each shows its normal picture, its hover picture while the
// pointer is over it and its pressed picture while pressed; without a
// picture it shows the button face.
#include "platform/Bitmaps.h"
#include "platform/MenuHelp.h"
#include "platform/UniqueHandle.h"
#include "platform/Window.h"

#include <string>

namespace marlin {

// The search box's pictures are small: a file claiming more is not loaded.
inline constexpr BitmapLimits kSearchPictureLimits{256, 256, 256 * 256};

class CSearchBox;

class CSearchboxButton : public Window<CSearchboxButton> {
public:
    static constexpr const wchar_t* kClassName = L"MarlinSearchboxButton";
    static constexpr const wchar_t* kBaseClassName = WC_BUTTONW;
    enum Kind { kHistory = 1, kEngine = 2 };
    // The engine button's drop-down arrow takes its rightmost pixels.
    static constexpr int kArrowWidth = 10;
    static constexpr COLORREF kMenuHighlight = RGB(255, 238, 194);

    CSearchboxButton(CSearchBox& box, Kind kind) noexcept : m_box(box), m_kind(kind) {}

    HWND CreateIn(HWND parent, const RECT& rect);
    Kind ButtonKind() const noexcept { return m_kind; }

    // Pictures from files; a file that does not load leaves none. The hover
    // and pressed pictures load when the pointer first comes over the button.
    void LoadPictures(const std::wstring& normal, const std::wstring& pressed, const std::wstring& hover,
                      const std::wstring& arrow = {});
    // The engine menu's image list (the engine pictures, white transparent).
    void SetMenuImages(unique_himagelist images) noexcept { m_menu.SetImages(std::move(images)); }
    HIMAGELIST MenuImages() const noexcept { return m_menu.Images(); }
    bool HasPicture() const noexcept { return m_normal.get() != nullptr; }

    // The parent's WM_DRAWITEM for this button.
    void Draw(const DRAWITEMSTRUCT& draw) noexcept;
    bool Hot() const noexcept { return m_hot; }

    LRESULT OnMouseMove(WPARAM, LPARAM, bool&);
    LRESULT OnMouseLeave(WPARAM, LPARAM, bool&);
    LRESULT OnLeftButtonDown(WPARAM, LPARAM, bool&);
    LRESULT OnLeftButtonUp(WPARAM, LPARAM, bool&);
    LRESULT OnCaptureChanged(WPARAM, LPARAM, bool&);
    LRESULT OnSetCursor(WPARAM, LPARAM, bool&);
    LRESULT OnInitMenuPopup(WPARAM, LPARAM, bool&);
    LRESULT OnMeasureItem(WPARAM, LPARAM, bool&);
    LRESULT OnDrawItem(WPARAM, LPARAM, bool&);
    LRESULT OnEraseBackground(WPARAM, LPARAM, bool&);

    static constexpr MessageEntry<CSearchboxButton> kMessageMap[] = {
        {WM_MOUSEMOVE, &CSearchboxButton::OnMouseMove},
        {WM_MOUSELEAVE, &CSearchboxButton::OnMouseLeave},
        {WM_LBUTTONDOWN, &CSearchboxButton::OnLeftButtonDown},
        {WM_LBUTTONDBLCLK, &CSearchboxButton::OnLeftButtonDown},
        {WM_LBUTTONUP, &CSearchboxButton::OnLeftButtonUp},
        {WM_CAPTURECHANGED, &CSearchboxButton::OnCaptureChanged},
        {WM_SETCURSOR, &CSearchboxButton::OnSetCursor},
        {WM_INITMENUPOPUP, &CSearchboxButton::OnInitMenuPopup},
        {WM_MEASUREITEM, &CSearchboxButton::OnMeasureItem},
        {WM_DRAWITEM, &CSearchboxButton::OnDrawItem},
        {WM_ERASEBKGND, &CSearchboxButton::OnEraseBackground},
    };

private:
    void ShowEngineMenu();
    void TrackLeave(bool track) noexcept;
    void LoadPendingPictures();
    void Repaint() noexcept { if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE); }

    CSearchBox& m_box;
    Kind m_kind;
    unique_hbitmap m_normal, m_pressedPicture, m_hover, m_arrow;
    std::wstring m_pendingPressed, m_pendingHover; // not loaded yet
    bool m_hot = false;
    bool m_pressed = false;
    bool m_capture = false;
    bool m_dropDownWasOpen = false; // at the press that this release ends
    CMenuHelp m_menu;
};

} // namespace marlin
