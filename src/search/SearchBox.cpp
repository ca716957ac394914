#include "SearchBox.h"

#include "SearchEngines.h"
#include "config/InstallPaths.h"
#include "config/Probes.h"
#include "document/SharedInstanceState.h"
#include "platform/Strings.h"

#include <algorithm>

namespace marlin {

namespace {

constexpr int kEngineButtonRight = 30;
constexpr int kHistoryButtonWidth = 18;
constexpr int kEditTop = 5;
constexpr int kFrameWidth = 2;
// A press on the history button takes the focus from the open list just
// before the button sees the press.
constexpr DWORD kPressWindowMs = 500;

std::wstring ImagesFolder() { return g_InstallPath.get() + L"Images\\"; }

bool Windows2000() { return EqualsNoCase(std::wstring_view(g_OSName.get()).substr(0, 4), L"2000"); }

bool Contains(HWND outer, HWND window) noexcept
{
    return outer && window && (outer == window || ::IsChild(outer, window));
}

} // namespace

SearchBoxLayout LayoutSearchBoxParts(int width, int height, bool compact) noexcept
{
    const int historyBottom = height - (compact ? 0 : 4);
    const int engineBottom = height - (compact ? 0 : 3);
    const int editBottom = height - (compact ? 1 : 2);
    SearchBoxLayout layout;
    layout.historyButton = RECT{width - 1 - kHistoryButtonWidth, 1, width - 1, std::max(historyBottom, 1)};
    layout.engineButton = RECT{1, 1, kEngineButtonRight, std::max(engineBottom, 1)};
    layout.edit = RECT{kEngineButtonRight, kEditTop, std::max<LONG>(layout.historyButton.left, kEngineButtonRight),
                       std::max(editBottom, kEditTop)};
    return layout;
}

CSearchBox::CSearchBox()
    : m_edit(*this), m_historyButton(*this, CSearchboxButton::kHistory),
      m_engineButton(*this, CSearchboxButton::kEngine), m_dropDown(*this), m_ownList(*this)
{
}

CSearchBox::~CSearchBox() { Destroy(); }

bool CSearchBox::SignedIn() const noexcept { return SharedState().IsLoggedIn != 0; }

bool CSearchBox::Compact() const
{
    if (Windows2000()) return true;
    return m_band && ThemeActiveSetting().value_or(L"") == L"1";
}

void CSearchBox::LayoutSearchBox(HWND parent, const RECT& rect)
{
    if (!hwnd()) {
        if (!Create(parent, rect, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN)) return;
        // Suggestions come from what is stored; the list of the drop-down is
        // loaded again whenever it opens.
        m_search.History().LoadStoredHistory();
        const SearchBoxLayout parts = LayoutSearchBoxParts(rect.right - rect.left, rect.bottom - rect.top, Compact());
        m_historyButton.CreateIn(hwnd(), parts.historyButton);
        m_engineButton.CreateIn(hwnd(), parts.engineButton);
        m_edit.CreateIn(hwnd(), parts.edit);
        LoadPictures();
        return;
    }
    RECT current{};
    ::GetWindowRect(hwnd(), &current);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd()), reinterpret_cast<POINT*>(&current), 2);
    if (::EqualRect(&current, &rect)) return;
    // The parts follow in WM_SIZE.
    ::SetWindowPos(hwnd(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSearchBox::PlaceParts()
{
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const SearchBoxLayout parts = LayoutSearchBoxParts(client.right, client.bottom, Compact());
    const auto place = [](HWND window, const RECT& r) {
        if (window) ::SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(m_historyButton.hwnd(), parts.historyButton);
    place(m_engineButton.hwnd(), parts.engineButton);
    place(m_edit.hwnd(), parts.edit);
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void CSearchBox::LoadPictures()
{
    const std::wstring images = ImagesFolder();
    m_historyButton.LoadPictures(images + L"Dropdownnormal.bmp", images + L"Dropdownselected.bmp",
                                 images + L"Dropdownover.bmp");
    const SearchEngine* first = FindEngineByName(kFirstEngineName);
    if (!first && !SearchEngines().empty()) first = &SearchEngines().front();
    const std::wstring normal = first ? images + first->normalBitmap : std::wstring();
    const std::wstring hover = first ? images + first->hoverBitmap : std::wstring();
    m_engineButton.LoadPictures(normal, hover, hover, images + L"DropDownArrow.bmp");
}

unique_himagelist CSearchBox::MakeEngineMenuImages() const
{
    const std::wstring images = ImagesFolder();
    unique_himagelist menuImages(::ImageList_Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1));
    for (const SearchEngine& engine : SearchEngines()) {
        unique_hbitmap picture = LoadTransparentBitmapFile(images + engine.normalBitmap, kSearchPictureLimits);
        // An engine without a picture keeps its place in the list.
        if (!picture) picture.reset(::CreateBitmap(16, 16, 1, 32, nullptr));
        if (menuImages && picture) ::ImageList_AddMasked(menuImages.get(), picture.get(), RGB(255, 255, 255));
    }
    return menuImages;
}

void CSearchBox::SetBand(ISearchBand* band)
{
    const bool changed = m_band != band;
    m_band = band;
    if (changed && hwnd()) PlaceParts(); // the band decides the parts' heights
}

bool CSearchBox::RunSearch(const std::wstring& query) { return m_search.RunSearch(query); }

void CSearchBox::SelectEngine(UINT command)
{
    const SearchEngine* engine = FindEngineByCommand(command);
    if (!engine) return;
    const std::wstring images = ImagesFolder();
    m_engineButton.LoadPictures(images + engine->normalBitmap, images + engine->hoverBitmap,
                                images + engine->hoverBitmap, images + L"DropDownArrow.bmp");
    m_search.SetEngine(engine->name);
    const std::wstring text = m_edit.Text();
    if (text.empty()) return;
    RunSearch(text);
    if (!m_ownList.Exists() && hwnd()) m_ownList.Create(hwnd());
    if (m_ownList.Exists()) m_ownList.AddSorted(text);
}

RECT CSearchBox::DropDownPlace() const noexcept
{
    RECT box{};
    ::GetWindowRect(hwnd(), &box);
    RECT button{};
    ::GetWindowRect(m_historyButton.hwnd(), &button);
    RECT list{}, label{};
    ::GetWindowRect(m_dropDown.List(), &list);
    ::GetWindowRect(m_dropDown.Label(), &label);
    RECT place{box.left, box.top + (button.bottom - button.top) + 1, box.left + kDropDownWidth, 0};
    place.bottom = box.bottom + (list.bottom - list.top) + (label.bottom - label.top);
    return place;
}

void CSearchBox::ToggleHistoryDropDown(bool wasOpen)
{
    // After its arrow keys searched, a click opens the list afresh (as when a
    // selection has closed it) rather than closing it.
    if (wasOpen && !m_selectionSearched) {
        CloseDropDown(true);
        return;
    }
    if (!m_dropDown.Exists() && !m_dropDown.Create(hwnd())) return;
    m_dropDownRect = DropDownPlace();
    if (SignedIn()) {
        m_search.History().LoadHistory();
    } else {
        m_search.History().ClearList();
    }
    m_dropDown.Fill(m_search.History().Entries());
    m_dropDown.ShowLabel(!m_search.History().Entries().empty());
    m_selectionSearched = false;
    m_dropDown.ShowAt(m_dropDownRect, CListboxHolder::Mode::History);
}

void CSearchBox::CloseDropDown(bool focusEdit) noexcept
{
    const bool hadFocus = Contains(m_dropDown.hwnd(), ::GetFocus());
    m_dropDown.Hide();
    m_selectionSearched = false;
    if ((focusEdit || hadFocus) && m_edit.hwnd()) ::SetFocus(m_edit.hwnd());
}

void CSearchBox::HideDropDown() noexcept { CloseDropDown(false); }

void CSearchBox::ClearHistory()
{
    m_search.History().ClearHistory();
    m_dropDown.Fill({});
    m_dropDown.ShowLabel(false);
    CloseDropDown(true);
}

void CSearchBox::OnDropDownSelection(bool keyboard)
{
    const std::wstring text = m_dropDown.SelectedText();
    if (text.empty()) return;
    const bool suggestions = m_dropDown.CurrentMode() == CListboxHolder::Mode::Suggestions;
    m_edit.SetText(text);
    if (suggestions && keyboard) return; // arrows browse suggestions; Return searches
    RunSearch(text);
    if (keyboard) {
        // The arrow keys go on through the open list, searching each entry.
        m_selectionSearched = true;
        return;
    }
    CloseDropDown(true);
}

void CSearchBox::OnFocusLeft(HWND to, bool fromList) noexcept
{
    const bool toDropDown = Contains(m_dropDown.hwnd(), to);
    const bool historyOpen = m_dropDown.Visible() && m_dropDown.CurrentMode() == CListboxHolder::Mode::History;
    if (fromList && historyOpen && !toDropDown) {
        RECT button{};
        POINT cursor{};
        ::GetWindowRect(m_historyButton.hwnd(), &button);
        m_hiddenOverButton = ::GetCursorPos(&cursor) && ::PtInRect(&button, cursor);
        m_hiddenOverButtonAt = ::GetTickCount();
        m_dropDown.Hide();
    } else if (!fromList && !historyOpen && m_dropDown.Visible() && !toDropDown) {
        m_dropDown.Hide(); // the suggestions go with the edit box's focus
    }
    if (!OwnsWindow(to) && m_band) m_band->SearchFocusChanged(false);
}

bool CSearchBox::TakeClosedByButtonPress() noexcept
{
    const bool closed = m_hiddenOverButton && ::GetTickCount() - m_hiddenOverButtonAt < kPressWindowMs;
    m_hiddenOverButton = false;
    return closed;
}

void CSearchBox::OnReturn()
{
    const std::wstring text = m_edit.Text();
    // The open list's arrow keys searched their entry already: Return closes it.
    const bool searched = m_selectionSearched && m_dropDown.Visible();
    if (!text.empty() && !TakeIgnoreNextReturn() && !searched) RunSearch(text);
    m_dropDown.ShowLabel(true);
    CloseDropDown(true);
}

bool CSearchBox::MoveSuggestion(int step)
{
    if (!m_dropDown.Visible() || m_dropDown.CurrentMode() != CListboxHolder::Mode::Suggestions) return false;
    HWND list = m_dropDown.List();
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    if (count <= 0) return true;
    const int current = static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0));
    const int next = current < 0 ? (step > 0 ? 0 : count - 1) : std::clamp(current + step, 0, count - 1);
    ::SendMessageW(list, LB_SETCURSEL, next, 0);
    OnDropDownSelection(true);
    return true;
}

void CSearchBox::ShowSuggestions()
{
    const bool open = m_dropDown.Visible();
    if (open && m_dropDown.CurrentMode() == CListboxHolder::Mode::History) return;
    std::vector<std::wstring> suggestions =
        SignedIn() ? m_search.History().Suggestions(m_edit.Text()) : std::vector<std::wstring>{};
    if (suggestions.empty()) {
        if (open) m_dropDown.Hide();
        return;
    }
    // A keystroke that keeps the same suggestions only forgets the chosen one.
    if (open && suggestions == m_suggestions) {
        ::SendMessageW(m_dropDown.List(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        return;
    }
    if (!m_dropDown.Exists() && !m_dropDown.Create(hwnd())) return;
    m_dropDown.Fill(suggestions);
    m_suggestions = std::move(suggestions);
    if (open) return;
    m_dropDown.ShowLabel(false);
    m_dropDownRect = DropDownPlace();
    m_dropDown.ShowAt(m_dropDownRect, CListboxHolder::Mode::Suggestions);
}

bool CSearchBox::OwnsWindow(HWND window) const noexcept
{
    return window && (Contains(hwnd(), window) || Contains(m_dropDown.hwnd(), window));
}

void CSearchBox::FocusEdit() noexcept
{
    if (m_edit.hwnd()) ::SetFocus(m_edit.hwnd());
}

LRESULT CSearchBox::OnPaint(WPARAM, LPARAM, bool&)
{
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(hwnd(), &paint);
    if (!dc) return 0;
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const SearchBoxLayout parts = LayoutSearchBoxParts(client.right, client.bottom, Compact());
    RECT between{parts.engineButton.right, client.top, parts.historyButton.left, client.bottom};
    ::FillRect(dc, &between, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    unique_hpen pen(::CreatePen(PS_SOLID, kFrameWidth, kFrameColour));
    {
        SelectedObject selectedPen(dc, pen.get());
        SelectedObject hollow(dc, ::GetStockObject(HOLLOW_BRUSH));
        ::Rectangle(dc, client.left + 1, client.top + 1, client.right, client.bottom);
    }
    ::EndPaint(hwnd(), &paint);
    return 0;
}

LRESULT CSearchBox::OnEraseBackground(WPARAM, LPARAM, bool&) { return 1; }

LRESULT CSearchBox::OnSize(WPARAM, LPARAM, bool&)
{
    PlaceParts();
    return 0;
}

LRESULT CSearchBox::OnCommand(WPARAM wParam, LPARAM lParam, bool& handled)
{
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (!from || from != m_edit.hwnd()) {
        handled = false;
        return 0;
    }
    switch (CommandCode(wParam)) {
    case EN_SETFOCUS:
        if (m_band) m_band->SearchFocusChanged(true);
        break;
    case EN_CHANGE:
        if (!m_settingText) ShowSuggestions();
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CSearchBox::OnDrawItem(WPARAM, LPARAM lParam, bool& handled)
{
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (!draw || draw->CtlType != ODT_BUTTON) {
        handled = false;
        return 0;
    }
    if (draw->hwndItem == m_historyButton.hwnd()) m_historyButton.Draw(*draw);
    else if (draw->hwndItem == m_engineButton.hwnd()) m_engineButton.Draw(*draw);
    return TRUE;
}

LRESULT CSearchBox::OnDestroy(WPARAM, LPARAM, bool& handled)
{
    // The drop-downs are pop-ups of the browser's frame: they do not go with this window.
    m_dropDown.End(0);
    m_ownList.End(0);
    handled = false;
    return 0;
}

} // namespace marlin
