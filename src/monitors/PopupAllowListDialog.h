#pragma once
// "Pop-up Blocker Settings" where the system has no dialog for it: the sites
// on the blocker's allow list, added and removed at once in the registry.
#include "platform/Window.h"
#include "resources/resource.h"

#include <string>

namespace marlin {

class CPopupAllowListDialog : public Dialog<CPopupAllowListDialog> {
public:
    static constexpr int kDialogId = IDD_POPUP_ALLOW;

    LRESULT OnInitDialog(WPARAM, LPARAM, bool&);
    LRESULT OnClose(WPARAM, LPARAM, bool&);
    void OnAdd(UINT, HWND);
    void OnSites(UINT notifyCode, HWND);
    void OnRemove(UINT, HWND);
    void OnRemoveAll(UINT, HWND);
    void OnCancel(UINT, HWND);

    static constexpr MessageEntry<CPopupAllowListDialog> kMessageMap[] = {
        {WM_INITDIALOG, &CPopupAllowListDialog::OnInitDialog},
        {WM_CLOSE, &CPopupAllowListDialog::OnClose},
    };
    static constexpr CommandEntry<CPopupAllowListDialog> kCommandMap[] = {
        {IDC_POPUP_ADD, &CPopupAllowListDialog::OnAdd},
        {IDC_POPUP_SITES, &CPopupAllowListDialog::OnSites},
        {IDC_POPUP_REMOVE, &CPopupAllowListDialog::OnRemove},
        {IDC_POPUP_REMOVEALL, &CPopupAllowListDialog::OnRemoveAll},
        {IDCANCEL, &CPopupAllowListDialog::OnCancel},
    };

private:
    // Lists the sites as the registry holds them now and selects the one at
    // `select` (clamped to the list; -1 selects none).
    void ShowSites(int select);
    void UpdateButtons();
    void Tell(const wchar_t* message);
    std::wstring AddressText() const;
};

} // namespace marlin
