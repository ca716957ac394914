#pragma once
// "About Developer": who made the toolbar and where to find them.
#include "platform/Window.h"
#include "resources/resource.h"

namespace marlin {

class CAbout : public Dialog<CAbout> {
public:
    static constexpr int kDialogId = IDD_ABOUT;

    LRESULT OnInitDialog(WPARAM, LPARAM, bool&) { return TRUE; }
    LRESULT OnClose(WPARAM, LPARAM, bool&)
    {
        End(IDCANCEL);
        return 0;
    }
    void OnOk(UINT, HWND) { End(IDOK); }
    void OnCancel(UINT, HWND) { End(IDCANCEL); }

    static constexpr MessageEntry<CAbout> kMessageMap[] = {
        {WM_INITDIALOG, &CAbout::OnInitDialog},
        {WM_CLOSE, &CAbout::OnClose},
    };
    static constexpr CommandEntry<CAbout> kCommandMap[] = {
        {IDOK, &CAbout::OnOk},
        {IDCANCEL, &CAbout::OnCancel},
    };
};

} // namespace marlin
