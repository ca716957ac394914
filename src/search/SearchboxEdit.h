#pragma once
// The search box's edit box and its key handler: the browser hands the band
// every key while the search box has the focus, and the band hands it here.
// Return searches, Escape closes the drop-down, everything else is
// translated and dispatched to its window, so that editing keys work in the
// edit box rather than in the browser. Text dropped onto it searches at once.
#include "platform/ComObject.h"
#include "platform/Window.h"

#include <oleidl.h>

#include <string>

namespace marlin {

class CSearchBox;

// The most of the edit box's text a search reads.
inline constexpr size_t kMaxQueryChars = 2048;

// The text a data object carries: Unicode text when offered, else ANSI text
// (the system code page); at most kMaxQueryChars characters, up to the first
// terminating zero. Empty when it carries none.
std::wstring DroppedText(IDataObject* data);

class CSearchboxEdit : public Window<CSearchboxEdit> {
public:
    static constexpr const wchar_t* kClassName = L"MarlinSearchboxEdit";
    static constexpr const wchar_t* kBaseClassName = WC_EDITW;

    explicit CSearchboxEdit(CSearchBox& box) noexcept : m_box(box) {}
    ~CSearchboxEdit() { Destroy(); }

    HWND CreateIn(HWND parent, const RECT& rect);

    std::wstring Text() const;
    // Sets the text without offering suggestions for it.
    void SetText(const std::wstring& text);

    // Text dropped onto the edit box: shown and searched at once.
    void DropText(const std::wstring& text);

    // The key handler (see above).
    HRESULT TranslateKey(MSG& message) noexcept;

    IDropTarget* DropTarget() const noexcept { return m_dropTarget.Get(); }

    LRESULT OnKeyDown(WPARAM, LPARAM, bool&);
    LRESULT OnKeyUp(WPARAM, LPARAM, bool&);
    LRESULT OnChar(WPARAM, LPARAM, bool&);
    LRESULT OnKillFocus(WPARAM, LPARAM, bool&);
    LRESULT OnDestroy(WPARAM, LPARAM, bool&);

    // Keys that reach the window itself (a host that does not hand the band
    // its keys) act as through the key handler, which never dispatches them.
    static constexpr MessageEntry<CSearchboxEdit> kMessageMap[] = {
        {WM_KEYDOWN, &CSearchboxEdit::OnKeyDown},
        {WM_KEYUP, &CSearchboxEdit::OnKeyUp},
        {WM_CHAR, &CSearchboxEdit::OnChar},
        {WM_KILLFOCUS, &CSearchboxEdit::OnKillFocus},
        {WM_DESTROY, &CSearchboxEdit::OnDestroy},
    };

private:
    CSearchBox& m_box;
    ComPtr<IDropTarget> m_dropTarget;
    bool m_registered = false;
};

} // namespace marlin
