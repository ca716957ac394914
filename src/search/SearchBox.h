#pragma once
// The search box: an edit box between the engine button (left) and the
// history button (right), in a container built on the STATIC class that the
// toolbar places in its row's search slot. Its windows are made once and
// moved on every re-layout, so what the user types survives resizes and
// rebuilds. It owns its searching (engine, browser, history), the history
// drop-down and a hidden list of its own that an engine change adds the
// current text to.
#include "ListboxHolder.h"
#include "SearchBand.h"
#include "SearchboxButton.h"
#include "SearchboxEdit.h"
#include "WebSearch.h"
#include "platform/Window.h"

#include <string>
#include <vector>

namespace marlin {

// Where the search box's parts go inside a W x H box.
struct SearchBoxLayout {
    RECT historyButton{};
    RECT engineButton{};
    RECT edit{};
};
// `compact`: Windows 2000, or a band under the visual style: the parts take
// (almost) the box's whole height.
SearchBoxLayout LayoutSearchBoxParts(int width, int height, bool compact) noexcept;

class CSearchBox : public Window<CSearchBox>, public ISearchBoxInput {
public:
    static constexpr const wchar_t* kClassName = L"MarlinSearchBox";
    static constexpr const wchar_t* kBaseClassName = WC_STATICW;
    static constexpr COLORREF kFrameColour = RGB(127, 157, 185);
    static constexpr int kDropDownWidth = 232;

    CSearchBox();
    ~CSearchBox();
    CSearchBox(const CSearchBox&) = delete;
    CSearchBox& operator=(const CSearchBox&) = delete;

    // Made once in `parent` over `rect` (loading the stored history), then
    // moved there on every later call: the parts are moved, never made again.
    void LayoutSearchBox(HWND parent, const RECT& rect);

    void SetBrowser(IWebBrowser2* browser) noexcept { m_search.SetBrowser(browser); }
    void SetBand(ISearchBand* band);
    CWebSearch& Search() noexcept { return m_search; }

    // A command of the engine menu: the engine's pictures, the engine, and
    // the current text searched again on it.
    void SelectEngine(UINT command);
    // Trims and searches `query` (the history recorded first).
    bool RunSearch(const std::wstring& query);

    // The engine menu's pictures (white is transparent), made when the menu first opens.
    unique_himagelist MakeEngineMenuImages() const;

    // The history drop-down.
    bool DropDownOpen() const noexcept { return m_dropDown.Visible(); }
    void ToggleHistoryDropDown(bool wasOpen);
    void CloseDropDown(bool focusEdit) noexcept;
    void ClearHistory();
    // A selection in the drop-down's list; `keyboard` when an arrow key made it.
    void OnDropDownSelection(bool keyboard);
    // The list (or the edit box) lost the focus to `to`.
    void OnFocusLeft(HWND to, bool fromList) noexcept;
    // Whether the drop-down closed just now because a press on the history
    // button took the focus from its list (that press closes it, not reopens it).
    bool TakeClosedByButtonPress() noexcept;
    // Return, Escape and the arrows as the key handler sees them; true when handled.
    void OnReturn();
    bool MoveSuggestion(int step);
    // Whether a text the search box sets itself is being set (no suggestions for it).
    bool SettingText() const noexcept { return m_settingText; }
    void SetSettingText(bool setting) noexcept { m_settingText = setting; }

    // For the toolbar and tests.
    CSearchboxEdit& Edit() noexcept { return m_edit; }
    CSearchboxButton& HistoryButton() noexcept { return m_historyButton; }
    CSearchboxButton& EngineButton() noexcept { return m_engineButton; }
    CListboxHolder& DropDown() noexcept { return m_dropDown; }
    CListboxHolder& OwnList() noexcept { return m_ownList; }
    ISearchBand* Band() const noexcept { return m_band; }
    const RECT& DropDownRect() const noexcept { return m_dropDownRect; }

    // ISearchBoxInput
    HWND EditWindow() const noexcept override { return m_edit.hwnd(); }
    HWND BoxWindow() const noexcept override { return hwnd(); }
    bool OwnsWindow(HWND window) const noexcept override;
    HRESULT TranslateKey(MSG& message) noexcept override { return m_edit.TranslateKey(message); }
    void FocusEdit() noexcept override;
    bool DropDownExists() const noexcept override { return m_dropDown.Exists(); }
    void HideDropDown() noexcept override;

    LRESULT OnPaint(WPARAM, LPARAM, bool&);
    LRESULT OnEraseBackground(WPARAM, LPARAM, bool&);
    LRESULT OnSize(WPARAM, LPARAM, bool&);
    LRESULT OnCommand(WPARAM, LPARAM, bool&);
    LRESULT OnDrawItem(WPARAM, LPARAM, bool&);
    LRESULT OnDestroy(WPARAM, LPARAM, bool&);

    static constexpr MessageEntry<CSearchBox> kMessageMap[] = {
        {WM_PAINT, &CSearchBox::OnPaint},
        {WM_ERASEBKGND, &CSearchBox::OnEraseBackground},
        {WM_SIZE, &CSearchBox::OnSize},
        {WM_COMMAND, &CSearchBox::OnCommand},
        {WM_DRAWITEM, &CSearchBox::OnDrawItem},
        {WM_DESTROY, &CSearchBox::OnDestroy},
    };

private:
    bool Compact() const;
    void PlaceParts();
    void LoadPictures();
    void ShowSuggestions();
    bool SignedIn() const noexcept;
    RECT DropDownPlace() const noexcept;

    CSearchboxEdit m_edit;
    CSearchboxButton m_historyButton;
    CSearchboxButton m_engineButton;
    CListboxHolder m_dropDown; // the history button's
    CListboxHolder m_ownList;  // hidden; an engine change adds the current text
    CWebSearch m_search;
    ISearchBand* m_band = nullptr;
    RECT m_dropDownRect{};
    std::vector<std::wstring> m_suggestions; // what the open drop-down suggests
    bool m_settingText = false;
    bool m_selectionSearched = false; // the open list's arrow keys searched its selection
    DWORD m_hiddenOverButtonAt = 0;   // when the list lost the focus to a click on the history button
    bool m_hiddenOverButton = false;
};

} // namespace marlin
