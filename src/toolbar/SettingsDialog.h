#pragma once
// "Settings": the dialog the home menu opens, one tab per page. Its first page
// (CApplicationsSettings) holds the pop-up blocker switch, visited-URL
// logging and the skin; a second page (the plug-in manager) joins when the
// toolbar has plug-in buttons and such a page is given. Applying saves the
// settings document and tells every other window through the shared
// settings flag.
#include "platform/UniqueHandle.h"
#include "platform/Window.h"
#include "resources/resource.h"

#include <functional>
#include <memory>
#include <vector>

namespace marlin {

// What the dialog needs of the toolbar it opens from.
class ISettingsDialogHost {
public:
    virtual HWND ToolbarWindow() const noexcept = 0;
    // Whether the pop-up blocker can be switched from here: the toolbar shows
    // its button and the browser can block (the rule of the button itself).
    virtual bool PopupSwitchAvailable() const = 0;
    virtual bool HasPluginButton() const = 0;
    // The settings were saved and the skin reloaded: the toolbar follows the
    // pop-up switch (when it moved) and the skin, and repaints.
    virtual void SettingsApplied(bool popupSwitched) = 0;

protected:
    ~ISettingsDialogHost() = default;
};

// One page of the dialog: a child dialog the main dialog places in its tab control.
class ISettingsPage {
public:
    virtual ~ISettingsPage() = default;
    virtual const wchar_t* Title() const noexcept = 0;
    // Creates the page in `dialog`; `changed` is called whenever the user changes something.
    virtual HWND CreatePage(HWND dialog, std::function<void()> changed) = 0;
    // Applies the page's changes; false when they were not (the user was told).
    virtual bool Apply() = 0;
};

class CApplicationsSettings : public Dialog<CApplicationsSettings>, public ISettingsPage {
public:
    static constexpr int kDialogId = IDD_APPLICATION_SETTINGS;

    explicit CApplicationsSettings(ISettingsDialogHost& host) noexcept : m_host(host) {}

    const wchar_t* Title() const noexcept override { return L"Application Settings"; }
    HWND CreatePage(HWND dialog, std::function<void()> changed) override;
    bool Apply() override;

    // Shows Skins\<number>\SampleSkin.bmp in the preview (nothing when it does not load).
    void ShowSampleSkin(int number);
    // The number of the skin the list shows chosen, or the current one when none is.
    int ChosenSkin() const;

    LRESULT OnInitDialog(WPARAM, LPARAM, bool&);
    LRESULT OnDestroy(WPARAM, LPARAM, bool&);
    void OnCheckBox(UINT code, HWND);
    void OnSkinList(UINT code, HWND);
    void OnOk(UINT, HWND);

    static constexpr MessageEntry<CApplicationsSettings> kMessageMap[] = {
        {WM_INITDIALOG, &CApplicationsSettings::OnInitDialog},
        {WM_DESTROY, &CApplicationsSettings::OnDestroy},
    };
    static constexpr CommandEntry<CApplicationsSettings> kCommandMap[] = {
        {IDC_APP_POPUP, &CApplicationsSettings::OnCheckBox},
        {IDC_APP_LOGURL, &CApplicationsSettings::OnCheckBox},
        {IDC_APP_SKINS, &CApplicationsSettings::OnSkinList},
        {IDOK, &CApplicationsSettings::OnOk},
    };

private:
    void FillSkinList();
    bool Checked(int id) const noexcept;
    void Changed();

    ISettingsDialogHost& m_host;
    std::function<void()> m_changed;
    bool m_dirty = false;
    bool m_popupAvailable = false;
    unique_hbitmap m_sample; // the preview's picture; the control does not own it
};

class CMainDlg : public Dialog<CMainDlg> {
public:
    static constexpr int kDialogId = IDD_SETTINGS;

    // `pluginManager` becomes the second tab when the toolbar has a plug-in
    // button; `startOnPluginManager` opens the dialog on it.
    explicit CMainDlg(ISettingsDialogHost& host, std::unique_ptr<ISettingsPage> pluginManager = nullptr,
                      bool startOnPluginManager = false);

    LRESULT OnInitDialog(WPARAM, LPARAM, bool&);
    LRESULT OnNotify(WPARAM, LPARAM, bool&);
    LRESULT OnClose(WPARAM, LPARAM, bool&);
    void OnApply(UINT, HWND);
    void OnOk(UINT, HWND);
    void OnEnter(UINT, HWND);
    void OnCancel(UINT, HWND);

    static constexpr MessageEntry<CMainDlg> kMessageMap[] = {
        {WM_INITDIALOG, &CMainDlg::OnInitDialog},
        {WM_NOTIFY, &CMainDlg::OnNotify},
        {WM_CLOSE, &CMainDlg::OnClose},
    };
    static constexpr CommandEntry<CMainDlg> kCommandMap[] = {
        {IDC_SETTINGS_APPLY, &CMainDlg::OnApply},
        {IDC_SETTINGS_OK, &CMainDlg::OnOk},
        {IDOK, &CMainDlg::OnEnter},
        {IDC_SETTINGS_CLOSE, &CMainDlg::OnCancel},
        {IDCANCEL, &CMainDlg::OnCancel},
    };

    // How long the dialog takes to slide in below the toolbar.
    static constexpr DWORD kSlideMilliseconds = 800;

private:
    void PlaceBelowToolbar();
    void ShowPage(int index);
    bool ApplyChanges();

    ISettingsDialogHost& m_host;
    CApplicationsSettings m_application;
    std::unique_ptr<ISettingsPage> m_pluginManager;
    bool m_startOnPluginManager = false;
    std::vector<ISettingsPage*> m_pages;   // in tab order
    std::vector<HWND> m_pageWindows;
    std::vector<bool> m_changed;           // per page: changed since the last apply
};

// Opens the dialog modally over the toolbar window.
void ShowSettingsDialog(ISettingsDialogHost& host, std::unique_ptr<ISettingsPage> pluginManager = nullptr,
                        bool startOnPluginManager = false);

} // namespace marlin
