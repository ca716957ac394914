#pragma once
// The search box's drop-down: a pop-up dialog with the list of queries (730)
// and the "Clear History" label (731), white, unmovable. It shows either the
// history (opened by the history button: a selection searches at once, the
// list takes the focus) or suggestions while the user types (the focus stays
// in the edit box, whose arrow keys move the selection without searching).
#include "platform/UniqueHandle.h"
#include "platform/Window.h"

#include "resources/resource.h"

#include <string>
#include <vector>

namespace marlin {

class CSearchBox;

// A static label drawn without background (in the drop-down's blue,
// underlined font) with the hand cursor; it subclasses the dialog's control.
class CTransparentStatic {
public:
    CTransparentStatic() = default;
    CTransparentStatic(const CTransparentStatic&) = delete;
    CTransparentStatic& operator=(const CTransparentStatic&) = delete;
    ~CTransparentStatic() { Detach(); }

    void Attach(HWND label) noexcept;
    void Detach() noexcept;
    HWND hwnd() const noexcept { return m_hwnd; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self) noexcept;
    void Paint() noexcept;

    HWND m_hwnd = nullptr;
    unique_hfont m_font;
};

class CListboxHolder : public Dialog<CListboxHolder> {
public:
    static constexpr int kDialogId = IDD_SEARCH_DROPDOWN;
    static constexpr COLORREF kLabelColour = RGB(0, 0, 255);

    enum class Mode { History, Suggestions };

    explicit CListboxHolder(CSearchBox& box) noexcept : m_box(box) {}
    ~CListboxHolder() { m_label.Detach(); }

    // Made hidden, owned by `owner`'s window.
    HWND Create(HWND owner);
    bool Exists() const noexcept { return hwnd() != nullptr; }
    bool Visible() const noexcept { return hwnd() && ::IsWindowVisible(hwnd()); }
    Mode CurrentMode() const noexcept { return m_mode; }

    HWND List() const noexcept { return m_list; }
    HWND Label() const noexcept { return m_label.hwnd(); }
    // The list shows exactly `entries`, in their order.
    void Fill(const std::vector<std::wstring>& entries);
    // Adds one entry where the sorted list puts it.
    void AddSorted(const std::wstring& entry);
    std::vector<std::wstring> Entries() const;
    // The selected entry's text (at most 260 characters); empty when none.
    std::wstring SelectedText() const;
    void ShowLabel(bool show) noexcept;

    // Shows the drop-down over `screen`: with the focus in the list (history)
    // or without taking it (suggestions).
    void ShowAt(const RECT& screen, Mode mode) noexcept;
    void Hide() noexcept;

    LRESULT OnInitDialog(WPARAM, LPARAM, bool&);
    LRESULT OnCommand(WPARAM, LPARAM, bool&);
    LRESULT OnCtlColorDialog(WPARAM, LPARAM, bool&);
    LRESULT OnCtlColorStatic(WPARAM, LPARAM, bool&);
    LRESULT OnSetFocus(WPARAM, LPARAM, bool&);
    LRESULT OnNcLeftButtonDown(WPARAM, LPARAM, bool&);
    LRESULT OnMouseActivate(WPARAM, LPARAM, bool&);

    static constexpr MessageEntry<CListboxHolder> kMessageMap[] = {
        {WM_INITDIALOG, &CListboxHolder::OnInitDialog},
        {WM_COMMAND, &CListboxHolder::OnCommand},
        {WM_CTLCOLORDLG, &CListboxHolder::OnCtlColorDialog},
        {WM_CTLCOLORSTATIC, &CListboxHolder::OnCtlColorStatic},
        {WM_SETFOCUS, &CListboxHolder::OnSetFocus},
        {WM_NCLBUTTONDOWN, &CListboxHolder::OnNcLeftButtonDown},
        {WM_NCLBUTTONDBLCLK, &CListboxHolder::OnNcLeftButtonDown},
        {WM_MOUSEACTIVATE, &CListboxHolder::OnMouseActivate},
    };

private:
    // The list's own messages: which selections the keyboard made, and where
    // the focus goes when the list loses it.
    static LRESULT CALLBACK ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self) noexcept;

    CSearchBox& m_box;
    HWND m_list = nullptr;
    CTransparentStatic m_label;
    Mode m_mode = Mode::History;
    bool m_keyboardSelection = false;
};

} // namespace marlin
