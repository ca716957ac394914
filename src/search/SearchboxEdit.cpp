#include "SearchboxEdit.h"

#include "SearchBox.h"
#include "platform/Diagnostics.h"
#include "platform/UniqueHandle.h"

#include <algorithm>
#include <cstring>

namespace marlin {

namespace {

// Global memory of a clipboard format, read within its size.
template <typename Char>
std::wstring TextOf(const STGMEDIUM& medium)
{
    if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal) return {};
    const SIZE_T bytes = ::GlobalSize(medium.hGlobal);
    const auto* data = static_cast<const Char*>(::GlobalLock(medium.hGlobal));
    if (!data) return {};
    const size_t available = bytes / sizeof(Char);
    const size_t length = std::find(data, data + available, Char{}) - data;
    std::wstring text;
    if constexpr (sizeof(Char) == sizeof(wchar_t)) {
        text.assign(reinterpret_cast<const wchar_t*>(data), std::min(length, kMaxQueryChars));
    } else {
        const int count = static_cast<int>(std::min(length, kMaxQueryChars * 2));
        const int wide = ::MultiByteToWideChar(CP_ACP, 0, data, count, nullptr, 0);
        text.resize(wide > 0 ? wide : 0);
        if (wide > 0) ::MultiByteToWideChar(CP_ACP, 0, data, count, text.data(), wide);
        if (text.size() > kMaxQueryChars) text.resize(kMaxQueryChars);
    }
    ::GlobalUnlock(medium.hGlobal);
    return text;
}

std::wstring ReadFormat(IDataObject* data, CLIPFORMAT format)
{
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data->GetData(&request, &medium) != S_OK) return {};
    std::wstring text = format == CF_UNICODETEXT ? TextOf<wchar_t>(medium) : TextOf<char>(medium);
    ::ReleaseStgMedium(&medium);
    return text;
}

bool OffersText(IDataObject* data)
{
    for (CLIPFORMAT format : {CLIPFORMAT(CF_UNICODETEXT), CLIPFORMAT(CF_TEXT)}) {
        FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        if (data->QueryGetData(&request) == S_OK) return true;
    }
    return false;
}

// The edit box as an OLE drop target; it lets go of the edit when that goes.
class EditDropTarget final : public ComObject<EditDropTarget, IDropTarget> {
public:
    explicit EditDropTarget(CSearchboxEdit& edit) noexcept : m_edit(&edit) {}
    void Detach() noexcept
    {
        m_edit = nullptr;
        m_data.Reset();
    }

    STDMETHODIMP DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) noexcept override
    {
        return ComBoundary([&] {
            m_data = data;
            m_hasText = data && OffersText(data);
            if (effect) *effect = m_hasText && m_edit ? DROPEFFECT_COPY : DROPEFFECT_NONE;
            return S_OK;
        });
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) noexcept override
    {
        if (effect) *effect = m_hasText && m_edit ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    STDMETHODIMP DragLeave() noexcept override
    {
        m_data.Reset();
        return S_OK;
    }
    STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) noexcept override
    {
        return ComBoundary([&] {
            m_data.Reset();
            if (effect) *effect = DROPEFFECT_NONE;
            if (!data || !m_edit) return S_OK;
            const std::wstring text = DroppedText(data);
            if (text.empty()) return S_OK;
            if (effect) *effect = DROPEFFECT_COPY;
            m_edit->DropText(text);
            return S_OK;
        });
    }

private:
    CSearchboxEdit* m_edit;
    ComPtr<IDataObject> m_data; // the drag in progress
    bool m_hasText = false;
};

} // namespace

std::wstring DroppedText(IDataObject* data)
{
    if (!data) return {};
    std::wstring text = ReadFormat(data, CF_UNICODETEXT);
    if (text.empty()) text = ReadFormat(data, CF_TEXT);
    // A selection over several lines becomes one line of words.
    std::wstring line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        line += text[i] == L'\r' || text[i] == L'\n' || text[i] == L'\t' ? L' ' : text[i];
    }
    return line;
}

HWND CSearchboxEdit::CreateIn(HWND parent, const RECT& rect)
{
    if (!Create(parent, rect, L"", WS_CHILD | WS_VISIBLE | ES_LEFT | ES_AUTOHSCROLL | ES_WANTRETURN,
                WS_EX_ACCEPTFILES)) {
        return nullptr;
    }
    ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    ::SendMessageW(hwnd(), EM_SETLIMITTEXT, kMaxQueryChars, 0);
    m_dropTarget = EditDropTarget::Make(*this);
    // Fails where OLE is not initialised on the thread: then nothing is dropped here.
    m_registered = SUCCEEDED(::RegisterDragDrop(hwnd(), m_dropTarget.Get()));
    ::ShowWindow(hwnd(), SW_SHOW);
    ::UpdateWindow(hwnd());
    return hwnd();
}

std::wstring CSearchboxEdit::Text() const
{
    if (!hwnd()) return {};
    std::wstring text(kMaxQueryChars + 1, L'\0');
    const int length = ::GetWindowTextW(hwnd(), text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

void CSearchboxEdit::SetText(const std::wstring& text)
{
    if (!hwnd()) return;
    const bool setting = m_box.SettingText();
    m_box.SetSettingText(true);
    ::SetWindowTextW(hwnd(), text.c_str());
    ::SendMessageW(hwnd(), EM_SETSEL, text.size(), text.size());
    m_box.SetSettingText(setting);
}

void CSearchboxEdit::DropText(const std::wstring& text)
{
    SetText(text);
    m_box.RunSearch(text);
}

HRESULT CSearchboxEdit::TranslateKey(MSG& message) noexcept
{
    try {
        const UINT kind = message.message;
        const bool keyMessage = kind == WM_KEYDOWN || kind == WM_KEYUP || kind == WM_SYSKEYDOWN || kind == WM_SYSKEYUP;
        const bool down = kind == WM_KEYDOWN || kind == WM_SYSKEYDOWN;
        // Characters are text, whatever their codes: only key messages carry keys.
        const UINT key = keyMessage ? static_cast<UINT>(message.wParam) : 0;
        if (key == VK_RETURN) {
            if (down) {
                m_box.OnReturn();
            } else {
                // The release of the Return that closed a dialog ends that dialog's mark.
                TakeIgnoreNextReturn();
            }
            return S_OK;
        }
        if (key == VK_ESCAPE) {
            if (down) m_box.CloseDropDown(true);
            return S_OK;
        }
        if (down && (key == VK_UP || key == VK_DOWN) && message.hwnd == hwnd() &&
            m_box.MoveSuggestion(key == VK_DOWN ? 1 : -1)) {
            return S_OK;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
        if (key == VK_F10 || key == VK_MENU) {
            if (ISearchBand* band = m_box.Band()) band->SearchFocusChanged(true);
        }
        return S_OK;
    } catch (...) {
        ReportFailure(L"search box key");
        return S_FALSE;
    }
}

LRESULT CSearchboxEdit::OnKeyDown(WPARAM wParam, LPARAM, bool& handled)
{
    if (wParam == VK_RETURN) {
        m_box.OnReturn();
    } else if (wParam == VK_ESCAPE) {
        m_box.CloseDropDown(true);
    } else {
        handled = (wParam == VK_UP || wParam == VK_DOWN) && m_box.MoveSuggestion(wParam == VK_DOWN ? 1 : -1);
    }
    return 0;
}

LRESULT CSearchboxEdit::OnKeyUp(WPARAM wParam, LPARAM, bool& handled)
{
    if (wParam == VK_RETURN) TakeIgnoreNextReturn();
    handled = false;
    return 0;
}

LRESULT CSearchboxEdit::OnChar(WPARAM wParam, LPARAM, bool& handled)
{
    // The characters of Return and Escape are keys already acted on: no beep.
    handled = wParam == L'\r' || wParam == 0x1B;
    return 0;
}

LRESULT CSearchboxEdit::OnKillFocus(WPARAM wParam, LPARAM, bool& handled)
{
    m_box.OnFocusLeft(reinterpret_cast<HWND>(wParam), false);
    handled = false;
    return 0;
}

LRESULT CSearchboxEdit::OnDestroy(WPARAM, LPARAM, bool& handled)
{
    if (m_registered) ::RevokeDragDrop(hwnd());
    m_registered = false;
    if (m_dropTarget) static_cast<EditDropTarget*>(m_dropTarget.Get())->Detach();
    m_dropTarget.Reset();
    handled = false;
    return 0;
}

} // namespace marlin
