#pragma once
// "Plug-ins Manager", the settings dialog's second page: the installed
// plug-ins (catalogue entries whose library is there) in a sorted list, and
// "Modify Plug-in Settings", which runs the chosen plug-in's FetchData and
// stores its answer for the current toolbar.
#include "PluginButtons.h"
#include "SettingsDialog.h"

#include "plugins/PluginCatalogue.h"

#include <vector>

namespace marlin {

inline constexpr wchar_t kPleaseSelectPlugin[] = L"Please select plugin";

class CPluginManager : public Dialog<CPluginManager>, public ISettingsPage {
public:
    static constexpr int kDialogId = IDD_PLUGIN_MANAGER;

    // `plugins` runs the plug-ins (the toolbar's, with its SDK object) for toolbar `toolbar`.
    CPluginManager(CPluginButtons& plugins, int toolbar) noexcept : m_plugins(plugins), m_toolbar(toolbar) {}

    const wchar_t* Title() const noexcept override { return L"Plug-ins Manager"; }
    HWND CreatePage(HWND dialog, std::function<void()> changed) override;
    // Nothing waits for "Apply": the button acts at once.
    bool Apply() override { return true; }

    LRESULT OnInitDialog(WPARAM, LPARAM, bool&);
    void OnModify(UINT code, HWND);

    static constexpr MessageEntry<CPluginManager> kMessageMap[] = {
        {WM_INITDIALOG, &CPluginManager::OnInitDialog},
    };
    static constexpr CommandEntry<CPluginManager> kCommandMap[] = {
        {IDC_PLUGIN_MODIFY, &CPluginManager::OnModify},
    };

private:
    void ModifySelected();

    CPluginButtons& m_plugins;
    int m_toolbar = 0;
    std::vector<PluginRecord> m_records;
};

} // namespace marlin
