#include "PopupAllowListDialog.h"

#include "PopupBlocker.h"
#include "config/Messages.h"
#include "platform/Environment.h"
#include "platform/Strings.h"

#include <algorithm>
#include <vector>

namespace marlin {

LRESULT CPopupAllowListDialog::OnInitDialog(WPARAM, LPARAM, bool&)
{
    ::SendMessageW(Item(IDC_POPUP_ADDRESS), EM_LIMITTEXT, kAllowedSiteMaxChars, 0);
    ShowSites(-1);
    return TRUE;
}

LRESULT CPopupAllowListDialog::OnClose(WPARAM, LPARAM, bool&)
{
    End(IDCANCEL);
    return 0;
}

void CPopupAllowListDialog::OnCancel(UINT, HWND) { End(IDCANCEL); }

std::wstring CPopupAllowListDialog::AddressText() const
{
    // The whole text, however it got there: the limit only holds for typing.
    HWND edit = Item(IDC_POPUP_ADDRESS);
    std::vector<wchar_t> buffer(static_cast<size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
    const int length = ::GetWindowTextW(edit, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), static_cast<size_t>(std::max(length, 0)));
}

void CPopupAllowListDialog::Tell(const wchar_t* message)
{
    Env().ShowMessageBox(hwnd(), message, kCaption, MB_OK | MB_ICONINFORMATION);
    ::SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_POPUP_ADDRESS)), TRUE);
}

void CPopupAllowListDialog::OnAdd(UINT, HWND)
{
    const std::wstring typed = AddressText();
    if (Trim(typed).empty()) {
        Tell(L"Please enter the address of a website to allow.");
        return;
    }
    const std::optional<std::wstring> site = AllowListSite(typed);
    if (!site) {
        Tell(L"Please enter a valid website address, for example www.example.com.");
        return;
    }
    const std::vector<std::wstring> sites = AllowedSites();
    const bool listed = std::any_of(sites.begin(), sites.end(),
                                    [&](const std::wstring& existing) { return EqualsNoCase(existing, *site); });
    if (!listed && !AllowSite(*site)) {
        Tell(L"The website could not be added to the list.");
        return;
    }
    ::SetDlgItemTextW(hwnd(), IDC_POPUP_ADDRESS, L"");
    ShowSites(-1);
    // Finds the entry whichever case it was stored in.
    const LRESULT index = ::SendMessageW(Item(IDC_POPUP_SITES), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(site->c_str()));
    ::SendMessageW(Item(IDC_POPUP_SITES), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    UpdateButtons();
}

void CPopupAllowListDialog::OnSites(UINT notifyCode, HWND)
{
    if (notifyCode == LBN_SELCHANGE) UpdateButtons();
}

void CPopupAllowListDialog::OnRemove(UINT, HWND)
{
    HWND list = Item(IDC_POPUP_SITES);
    const LRESULT index = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return;
    const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return;
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    DisallowSite(text.data());
    // The next site takes the removed one's place, so Remove can be pressed again.
    ShowSites(static_cast<int>(index));
}

void CPopupAllowListDialog::OnRemoveAll(UINT, HWND)
{
    for (const std::wstring& site : AllowedSites()) DisallowSite(site);
    ShowSites(-1);
}

void CPopupAllowListDialog::ShowSites(int select)
{
    HWND list = Item(IDC_POPUP_SITES);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& site : AllowedSites()) {
        if (!site.empty()) ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(site.c_str()));
    }
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    if (select >= 0 && count > 0) {
        ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(std::min(select, count - 1)), 0);
    }
    UpdateButtons();
}

void CPopupAllowListDialog::UpdateButtons()
{
    HWND list = Item(IDC_POPUP_SITES);
    ::EnableWindow(Item(IDC_POPUP_REMOVE), ::SendMessageW(list, LB_GETCURSEL, 0, 0) != LB_ERR);
    ::EnableWindow(Item(IDC_POPUP_REMOVEALL), ::SendMessageW(list, LB_GETCOUNT, 0, 0) > 0);
    // Focus never stays on a button that has just been disabled.
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(hwnd(), focus) && !::IsWindowEnabled(focus)) {
        ::SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_POPUP_ADDRESS)), TRUE);
    }
}

void ShowPopupBlockerSettings(HWND owner)
{
    if (Env().DisplayPopupWindowManagementDialog(owner)) return;
    CPopupAllowListDialog dialog;
    dialog.DoModal(owner);
}

} // namespace marlin
