#include "PluginManager.h"

#include "config/Messages.h"
#include "platform/Environment.h"
#include "platform/Strings.h"

namespace marlin {

HWND CPluginManager::CreatePage(HWND dialog, std::function<void()>)
{
    return CreateModeless(dialog);
}

LRESULT CPluginManager::OnInitDialog(WPARAM, LPARAM, bool&)
{
    LoadPluginCatalogue(m_records);
    HWND list = Item(IDC_PLUGIN_LIST);
    for (const PluginRecord& record : m_records) {
        ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record.name.c_str()));
    }
    // The first of the sorted names, or none.
    ::SendMessageW(list, CB_SETCURSEL, m_records.empty() ? static_cast<WPARAM>(-1) : 0, 0);
    return FALSE;
}

void CPluginManager::OnModify(UINT code, HWND)
{
    if (code != BN_CLICKED) return;
    // Stopped while a plug-in runs here; started again on every path.
    PluginRefreshPause pause;
    if (m_records.empty()) return;
    ModifySelected();
}

void CPluginManager::ModifySelected()
{
    HWND list = Item(IDC_PLUGIN_LIST);
    const LRESULT selected = ::SendMessageW(list, CB_GETCURSEL, 0, 0);
    const LRESULT length = selected >= 0 ? ::SendMessageW(list, CB_GETLBTEXTLEN, selected, 0) : CB_ERR;
    std::wstring name;
    if (length > 0) {
        name.resize(static_cast<size_t>(length) + 1);
        ::SendMessageW(list, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(name.data()));
        name.resize(static_cast<size_t>(length));
    }
    if (name.empty()) {
        Env().ShowMessageBox(hwnd(), kPleaseSelectPlugin, kCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    for (const PluginRecord& record : m_records) {
        if (!EqualsNoCase(record.name, name)) continue;
        m_plugins.Run(record, RECT{}, m_toolbar, PluginCaller::Manager);
        return;
    }
}

} // namespace marlin
