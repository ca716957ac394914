#include "SettingsDialog.h"

#include "config/ApplicationSettings.h"
#include "config/InstallPaths.h"
#include "config/SettingsStore.h"
#include "config/Skins.h"
#include "document/SharedInstanceState.h"
#include "platform/Bitmaps.h"
#include "platform/Environment.h"

#include <commctrl.h>

#include <algorithm>

namespace marlin {

namespace {

// The preview is a small picture; a larger one is not shown.
constexpr BitmapLimits kSampleLimits{1024, 768, 1024LL * 768};

} // namespace

// ---- CApplicationsSettings

HWND CApplicationsSettings::CreatePage(HWND dialog, std::function<void()> changed)
{
    m_changed = std::move(changed);
    return CreateModeless(dialog);
}

LRESULT CApplicationsSettings::OnInitDialog(WPARAM, LPARAM, bool&)
{
    // Where the toolbar's own switch is refused, the page cannot switch either.
    m_popupAvailable = m_host.PopupSwitchAvailable();
    ::EnableWindow(Item(IDC_APP_POPUP), m_popupAvailable);
    ::EnableWindow(Item(IDC_APP_AUTOUPDATE), FALSE);
    FillSkinList();
    ShowSampleSkin(g_Skin);
    ::CheckDlgButton(hwnd(), IDC_APP_LOGURL, g_LogURL > 0 ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hwnd(), IDC_APP_AUTOUPDATE, g_AutoUpdate > 0 ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hwnd(), IDC_APP_POPUP, g_PopupMgr > 0 ? BST_CHECKED : BST_UNCHECKED);
    return FALSE;
}

void CApplicationsSettings::FillSkinList()
{
    HWND list = Item(IDC_APP_SKINS);
    // The list sorts its names: each entry carries its skin's number, and the
    // entry is found and read by that number, never by its position.
    for (const SkinListEntry& skin : LoadSkinList()) {
        const LRESULT index = ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(skin.name.c_str()));
        if (index < 0) continue;
        ::SendMessageW(list, CB_SETITEMDATA, index, skin.number);
    }
    const int current = g_Skin;
    const LRESULT count = ::SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        if (static_cast<int>(::SendMessageW(list, CB_GETITEMDATA, index, 0)) == current) {
            ::SendMessageW(list, CB_SETCURSEL, index, 0);
            break;
        }
    }
}

int CApplicationsSettings::ChosenSkin() const
{
    HWND list = Item(IDC_APP_SKINS);
    const LRESULT index = ::SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index < 0) return g_Skin;
    return static_cast<int>(::SendMessageW(list, CB_GETITEMDATA, index, 0));
}

void CApplicationsSettings::ShowSampleSkin(int number)
{
    const std::wstring folder = number > 0 ? SkinFolder(number) : std::wstring();
    unique_hbitmap sample = folder.empty() ? unique_hbitmap() : LoadBitmapFile(folder + L"SampleSkin.bmp", kSampleLimits);
    auto previous = reinterpret_cast<HBITMAP>(
        ::SendDlgItemMessageW(hwnd(), IDC_APP_SAMPLE, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(sample.get())));
    // A picture the control copied for itself is its own to give back.
    if (previous && previous != m_sample.get()) ::DeleteObject(previous);
    m_sample = std::move(sample);
    ::ShowWindow(Item(IDC_APP_SAMPLE), m_sample ? SW_SHOWNA : SW_HIDE);
}

LRESULT CApplicationsSettings::OnDestroy(WPARAM, LPARAM, bool& handled)
{
    auto previous = reinterpret_cast<HBITMAP>(
        ::SendDlgItemMessageW(hwnd(), IDC_APP_SAMPLE, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (previous && previous != m_sample.get()) ::DeleteObject(previous);
    m_sample.reset();
    handled = false;
    return 0;
}

bool CApplicationsSettings::Checked(int id) const noexcept
{
    return ::IsDlgButtonChecked(hwnd(), id) == BST_CHECKED;
}

void CApplicationsSettings::Changed()
{
    m_dirty = true;
    if (m_changed) m_changed();
}

void CApplicationsSettings::OnCheckBox(UINT code, HWND)
{
    if (code == BN_CLICKED) Changed();
}

void CApplicationsSettings::OnSkinList(UINT code, HWND)
{
    if (code != CBN_SELCHANGE) return;
    Changed();
    ShowSampleSkin(ChosenSkin());
}

void CApplicationsSettings::OnOk(UINT, HWND)
{
    // The page's hidden OK applies as "Apply" does.
    ::SendMessageW(::GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_APPLY, BN_CLICKED), 0);
}

bool CApplicationsSettings::Apply()
{
    if (!m_dirty) return true;
    const int popupBefore = g_PopupMgr;
    // A switch the page may not move keeps its state.
    const int popup = m_popupAvailable ? (Checked(IDC_APP_POPUP) ? 1 : 0) : popupBefore;
    if (m_popupAvailable && !CReadRegistryValues().SetPopupMgr(popup)) return false;
    const SettingsPageValues values{popup, Checked(IDC_APP_LOGURL) ? 1 : 0, Checked(IDC_APP_AUTOUPDATE) ? 1 : 0,
                                    ChosenSkin()};
    if (!SaveSettingsPage(values)) return false;
    m_dirty = false;
    LoadSkin();
    // Every other window reads the settings again; this one follows at once.
    RaiseChange(SharedState().SettingsChanged);
    m_host.SettingsApplied(popup != popupBefore);
    return true;
}

// ---- CMainDlg

CMainDlg::CMainDlg(ISettingsDialogHost& host, std::unique_ptr<ISettingsPage> pluginManager, bool startOnPluginManager)
    : m_host(host), m_application(host), m_pluginManager(std::move(pluginManager)),
      m_startOnPluginManager(startOnPluginManager)
{
}

LRESULT CMainDlg::OnInitDialog(WPARAM, LPARAM, bool&)
{
    ::EnableWindow(Item(IDC_SETTINGS_APPLY), FALSE);
    ::ShowWindow(Item(IDC_SETTINGS_OK), SW_HIDE);
    PlaceBelowToolbar();

    m_pages.push_back(&m_application);
    // The plug-in manager only where there are plug-in buttons to manage.
    if (m_pluginManager && m_host.HasPluginButton()) m_pages.push_back(m_pluginManager.get());

    HWND tabs = Item(IDC_SETTINGS_TABS);
    RECT area{};
    ::GetWindowRect(tabs, &area);
    ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&area), 2);
    for (size_t index = 0; index < m_pages.size(); ++index) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(m_pages[index]->Title());
        ::SendMessageW(tabs, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    m_changed.assign(m_pages.size(), false);
    for (size_t index = 0; index < m_pages.size(); ++index) {
        HWND page = m_pages[index]->CreatePage(hwnd(), [this, index] {
            m_changed[index] = true;
            ::EnableWindow(Item(IDC_SETTINGS_APPLY), TRUE);
        });
        if (page) {
            ::SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                           SWP_NOACTIVATE);
        }
        m_pageWindows.push_back(page);
    }
    const int first = m_startOnPluginManager && m_pages.size() > 1 ? 1 : 0;
    ::SendMessageW(tabs, TCM_SETCURSEL, first, 0);
    ShowPage(first);
    return TRUE;
}

void CMainDlg::PlaceBelowToolbar()
{
    // The dialog's top-left corner goes to the toolbar's bottom-left corner,
    // kept on the toolbar's screen.
    RECT toolbar{}, dialog{};
    ::GetWindowRect(m_host.ToolbarWindow(), &toolbar);
    ::GetWindowRect(hwnd(), &dialog);
    const int width = dialog.right - dialog.left, height = dialog.bottom - dialog.top;
    POINT at{toolbar.left, toolbar.bottom};
    MONITORINFO monitor{sizeof(monitor)};
    if (::GetMonitorInfoW(::MonitorFromRect(&toolbar, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        at.x = std::max(work.left, std::min(at.x, static_cast<LONG>(work.right - width)));
        at.y = std::max(work.top, std::min(at.y, static_cast<LONG>(work.bottom - height)));
    }
    ::SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Env().AnimateWindow(hwnd(), kSlideMilliseconds, AW_ACTIVATE | AW_SLIDE | AW_VER_POSITIVE);
}

void CMainDlg::ShowPage(int index)
{
    for (size_t i = 0; i < m_pageWindows.size(); ++i) {
        if (m_pageWindows[i]) ::ShowWindow(m_pageWindows[i], static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
    }
}

LRESULT CMainDlg::OnNotify(WPARAM, LPARAM lParam, bool& handled)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || header->idFrom != IDC_SETTINGS_TABS || header->code != static_cast<UINT>(TCN_SELCHANGE)) {
        handled = false;
        return 0;
    }
    ShowPage(static_cast<int>(::SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
    return 0;
}

bool CMainDlg::ApplyChanges()
{
    bool applied = true;
    for (size_t index = 0; index < m_pages.size(); ++index) {
        if (!m_changed[index]) continue;
        if (m_pages[index]->Apply()) {
            m_changed[index] = false;
        } else {
            applied = false;
        }
    }
    // What was not applied can be tried again.
    if (!hwnd()) return applied;
    HWND apply = Item(IDC_SETTINGS_APPLY);
    // A button that disables itself would leave the keyboard nowhere.
    if (applied && ::GetFocus() == apply) {
        ::SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_SETTINGS_CLOSE)), TRUE);
    }
    ::EnableWindow(apply, applied ? FALSE : TRUE);
    return applied;
}

void CMainDlg::OnApply(UINT, HWND) { ApplyChanges(); }

void CMainDlg::OnOk(UINT, HWND)
{
    if (ApplyChanges()) End(IDOK);
}

void CMainDlg::OnEnter(UINT, HWND)
{
    // Return applies, as the page's own OK does; the dialog stays.
    ApplyChanges();
}

void CMainDlg::OnCancel(UINT, HWND) { End(IDCANCEL); }

LRESULT CMainDlg::OnClose(WPARAM, LPARAM, bool&)
{
    End(IDCANCEL);
    return 0;
}

void ShowSettingsDialog(ISettingsDialogHost& host, std::unique_ptr<ISettingsPage> pluginManager,
                        bool startOnPluginManager)
{
    CMainDlg dialog(host, std::move(pluginManager), startOnPluginManager);
    dialog.DoModal(host.ToolbarWindow());
}

} // namespace marlin
