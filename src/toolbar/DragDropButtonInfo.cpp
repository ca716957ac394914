#include "DragDropButtonInfo.h"

#include "config/Messages.h"
#include "platform/Environment.h"
#include "platform/Strings.h"

#include <vector>

namespace marlin {

namespace {

// "Icon Files(*.ico)" for "*.ico", as the open-file dialog reads a filter.
constexpr wchar_t kIconFilter[] = L"Icon Files(*.ico)\0*.ico\0";

void Show(HWND control, bool shown) noexcept { ::ShowWindow(control, shown ? SW_SHOW : SW_HIDE); }

} // namespace

const wchar_t* CDragDropButtonInfo::Title(Mode mode) noexcept
{
    switch (mode) {
    case Mode::AddToolbar:
        return L"Add New Toolbar";
    case Mode::ModifyToolbar:
        return L"Modify Toolbar";
    case Mode::AddButton:
        return L"Add Drag and Drop Button";
    case Mode::ModifyButton:
        return L"Modify Button Properties";
    }
    return L"";
}

LRESULT CDragDropButtonInfo::OnInitDialog(WPARAM, LPARAM, bool&)
{
    ::SetWindowTextW(hwnd(), Title(m_mode));
    const bool toolbar = ForToolbar();
    ::SetDlgItemTextW(hwnd(), IDC_DRAGDROP_NAME_LABEL, toolbar ? L"Toolbar Name" : L"Button Name");
    ::SetDlgItemTextW(hwnd(), IDC_DRAGDROP_MID_LABEL, toolbar ? L"Image Path" : L"ToolTipText");
    Show(Item(IDC_DRAGDROP_URL_LABEL), !toolbar);
    Show(Item(IDC_DRAGDROP_URL), !toolbar);
    Show(Item(IDC_DRAGDROP_BROWSE), toolbar);
    if (toolbar) {
        // The image path leaves room for "...".
        RECT browse{};
        RECT middle{};
        ::GetWindowRect(Item(IDC_DRAGDROP_BROWSE), &browse);
        ::GetWindowRect(Item(IDC_DRAGDROP_MIDDLE), &middle);
        ::SetWindowPos(Item(IDC_DRAGDROP_MIDDLE), nullptr, 0, 0, browse.left - middle.left - 4, middle.bottom - middle.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The limits hold what is typed; proposed texts are shown whole.
    ::SendMessageW(Item(IDC_DRAGDROP_NAME), EM_LIMITTEXT, kMaxNameChars, 0);
    ::SendMessageW(Item(IDC_DRAGDROP_MIDDLE), EM_LIMITTEXT, kMaxMiddleChars, 0);
    ::SendMessageW(Item(IDC_DRAGDROP_URL), EM_LIMITTEXT, kMaxUrlChars, 0);
    ::SetDlgItemTextW(hwnd(), IDC_DRAGDROP_NAME, m_texts.name.c_str());
    ::SetDlgItemTextW(hwnd(), IDC_DRAGDROP_MIDDLE, m_texts.middle.c_str());
    ::SetDlgItemTextW(hwnd(), IDC_DRAGDROP_URL, m_texts.url.c_str());

    // The focus goes to the first field that wants filling.
    int focus = IDC_DRAGDROP_NAME;
    if (!Trim(m_texts.name).empty()) {
        if (Trim(m_texts.middle).empty() && !toolbar) {
            focus = IDC_DRAGDROP_MIDDLE;
        } else if (!toolbar && Trim(m_texts.url).empty()) {
            focus = IDC_DRAGDROP_URL;
        }
    }
    ::SetFocus(Item(focus));
    ::SendMessageW(Item(focus), EM_SETSEL, 0, -1);
    return FALSE; // the focus is set
}

LRESULT CDragDropButtonInfo::OnClose(WPARAM, LPARAM, bool&)
{
    End(IDCANCEL);
    return 0;
}

std::wstring CDragDropButtonInfo::FieldText(int id) const
{
    HWND field = Item(id);
    const int length = ::GetWindowTextLengthW(field);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = ::GetWindowTextW(field, buffer.data(), static_cast<int>(buffer.size()));
    return Trim(std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0));
}

bool CDragDropButtonInfo::Ask(const wchar_t* message, int fieldId)
{
    Env().ShowMessageBox(hwnd(), message, kCaption, MB_OK | MB_ICONINFORMATION);
    ::SetFocus(Item(fieldId));
    return false;
}

void CDragDropButtonInfo::OnOk(UINT, HWND)
{
    ButtonInfoTexts texts{FieldText(IDC_DRAGDROP_NAME), FieldText(IDC_DRAGDROP_MIDDLE),
                          ForToolbar() ? std::wstring() : FieldText(IDC_DRAGDROP_URL)};
    if (ForToolbar()) {
        if (texts.name.empty()) {
            Ask(L"Please enter Toolbar Name", IDC_DRAGDROP_NAME);
            return;
        }
    } else if (texts.name.empty()) {
        Ask(L"Please enter Button Name", IDC_DRAGDROP_NAME);
        return;
    } else if (texts.middle.empty()) {
        Ask(L"Please enter ToolTip Text", IDC_DRAGDROP_MIDDLE);
        return;
    } else if (texts.url.empty()) {
        Ask(L"Please enter URL", IDC_DRAGDROP_URL);
        return;
    }
    m_texts = std::move(texts);
    End(IDOK);
}

void CDragDropButtonInfo::OnCancel(UINT, HWND) { End(IDCANCEL); }

void CDragDropButtonInfo::OnBrowse(UINT, HWND)
{
    const std::wstring path = ChooseIconFile(hwnd());
    if (!path.empty()) ::SetDlgItemTextW(hwnd(), IDC_DRAGDROP_MIDDLE, path.c_str());
}

std::wstring ChooseIconFile(HWND owner)
{
    std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = kIconFilter;
    request.nFilterIndex = 1;
    request.lpstrFile = path.data();
    request.nMaxFile = static_cast<DWORD>(path.size());
    request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!Env().GetOpenFileName(request)) return std::wstring();
    path.back() = L'\0';
    return std::wstring(path.data());
}

} // namespace marlin
