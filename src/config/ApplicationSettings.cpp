#include "ApplicationSettings.h"

#include "ApiHost.h"
#include "ErrorLog.h"
#include "InstallPaths.h"
#include "Messages.h"
#include "Probes.h"
#include "SettingsStore.h"
#include "Skins.h"
#include "platform/ComTypes.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/XmlDom.h"

#include <mutex>
#include <optional>

std::atomic<int> g_LogURL{0};
std::atomic<int> g_AutoUpdate{0};
std::atomic<int> g_Skin{0};
std::atomic<int> g_PopupMgr{0};

namespace marlin {

namespace {

constexpr wchar_t kSettingsNotSaved[] = L"The settings could not be saved. Please try again.";

std::mutex g_skinLoaderLock;
SkinLoader g_skinLoader;

int LoadSkins()
{
    SkinLoader loader;
    {
        std::lock_guard guard(g_skinLoaderLock);
        loader = g_skinLoader;
    }
    return loader ? loader() : LoadSkin();
}

void NotifyHostOfSave()
{
    if (g_bProtectedMode == 1) SendToApiHost(kApiMessageDocumentSaved, L"ApplicationSettings.xml");
}

struct StoredValues {
    int popup;
    int logUrl;
    int autoUpdate;
    int skin;
};

// Load, change, save under the document's lock; the API host hears of the
// save only after the lock is released, since reaching it may take seconds.
// A lock that cannot be had means no write: it is logged and answered false.
bool EditSettingsDocument(const std::wstring& path, const wchar_t* method,
                          const std::function<void(IXMLDOMNode*)>& change)
{
    {
        CrossProcessLock lock(path);
        if (!lock.held()) {
            LogError(kRiskHigh, ErrorMessages::FileLockNotObtained(L"ApplicationSettings", method, path));
            return false;
        }
        auto document = XmlDocument::Create();
        if (!document || !document->Load(path)) return false;
        XmlElement root = document->Root();
        if (root && NodeName(root.Get()) == L"MTRoot") change(root.Get());
        if (!document->SaveAtomically(path)) return false;
    }
    NotifyHostOfSave();
    return true;
}

// Writes the values by attribute name into the children of MTRoot.
bool WriteValues(const std::wstring& path, const StoredValues& values, const wchar_t* method)
{
    return EditSettingsDocument(path, method, [&](IXMLDOMNode* root) {
        for (const XmlElement& child : ChildElements(root)) {
            const std::wstring name = NodeName(child.Get());
            if (name == L"Popup") SetAttribute(child.Get(), L"Status", Format(L"%d", values.popup));
            else if (name == L"LogURL") SetAttribute(child.Get(), L"Yes", Format(L"%d", values.logUrl));
            else if (name == L"AutoUpdate") SetAttribute(child.Get(), L"Plugin", Format(L"%d", values.autoUpdate));
            else if (name == L"Skin") SetAttribute(child.Get(), L"ID", Format(L"%d", values.skin));
        }
    });
}

// "OsInfo" in the settings file names the system; nothing here reads it back.
// Reading the ini file costs up to milliseconds under Wine at every band load,
// so each process checks a given file once.
void RecordOsInfo()
{
    static std::mutex lock;
    static std::wstring confirmed; // ini path and OS name last found or written
    const std::wstring osName = GetOSName();
    const std::wstring key = GetIniFilePath() + L"|" + osName;
    {
        std::lock_guard guard(lock);
        if (confirmed == key) return;
    }
    CReadRegistryValues settings;
    if (settings.GetMTSettingsFromIniFile(L"OsInfo") != osName) settings.SetMTSettingsFromIniFile(L"OsInfo", osName);
    std::lock_guard guard(lock);
    confirmed = key;
}

} // namespace

std::wstring ApplicationSettingsPath() { return g_ApplicationPath.get() + L"XMLS\\ApplicationSettings.xml"; }

void SetSkinLoader(SkinLoader loader)
{
    std::lock_guard guard(g_skinLoaderLock);
    g_skinLoader = std::move(loader);
}

int InitializeApplicationSettings()
{
    ComInitScope com;
    InitApplicationFolders();
    RecordOsInfo();

    // Reading needs no lock: every save replaces the file as a whole.
    const std::wstring path = ApplicationSettingsPath();
    auto document = XmlDocument::Create();
    if (!document) return 0;
    if (g_ApplicationPath.get().empty() || !document->Load(path)) {
        LogError(kRiskLow, ErrorMessages::kApplicationSettingsFailed);
        return 0;
    }

    int result = 0;
    std::optional<int> popupToStore;
    XmlElement root = document->Root();
    if (root && NodeName(root.Get()) == L"MTRoot") {
        for (const XmlElement& child : ChildElements(root.Get())) {
            auto attribute = AttributeAt(child.Get(), 0);
            if (!attribute) continue;
            const std::wstring name = NodeName(child.Get());
            if (name == L"Popup") {
                // The browser's own switch wins; the document follows it.
                int on = 0;
                CReadRegistryValues().GetPopupMgr(on);
                g_PopupMgr = on;
                if (attribute->second != Format(L"%d", on)) popupToStore = on;
            } else if (name == L"LogURL") {
                g_LogURL = ParseInt(attribute->second);
            } else if (name == L"Skin") {
                g_Skin = ParseInt(attribute->second);
            } else if (name == L"AutoUpdate") {
                g_AutoUpdate = ParseInt(attribute->second);
            }
            result = 1;
        }
    }
    // Saving what was read would rewrite the same bytes at every start-up.
    if (popupToStore) {
        const std::wstring text = Format(L"%d", *popupToStore);
        EditSettingsDocument(path, L"InitializeApplicationSettings", [&](IXMLDOMNode* changedRoot) {
            for (const XmlElement& child : ChildElements(changedRoot)) {
                if (NodeName(child.Get()) == L"Popup" && AttributeCount(child.Get()) > 0) {
                    SetAttributeValueAt(child.Get(), 0, text);
                }
            }
        });
    }
    if (result == 1) result = LoadSkins();
    return result;
}

bool SaveApplicationSettings()
{
    ComInitScope com;
    return WriteValues(ApplicationSettingsPath(), {g_PopupMgr, g_LogURL, g_AutoUpdate, g_Skin},
                       L"SaveApplicationSettings");
}

bool SaveSettingsPage(const SettingsPageValues& values)
{
    ComInitScope com;
    const std::wstring path = ApplicationSettingsPath();
    {
        auto probe = XmlDocument::Create();
        if (!probe || !probe->Load(path)) {
            Env().ShowMessageBox(nullptr, L"Failed to Initialize Application Settings.", kCaption,
                                 MB_OK | MB_ICONINFORMATION);
            return false;
        }
    }
    const StoredValues stored{values.popupBlocker, values.logUrl, values.autoUpdate, values.skin};
    if (!WriteValues(path, stored, L"SaveSettingsPage")) {
        Env().ShowMessageBox(nullptr, kSettingsNotSaved, kCaption, MB_OK | MB_ICONWARNING);
        return false;
    }
    g_PopupMgr = stored.popup;
    g_LogURL = stored.logUrl;
    g_AutoUpdate = stored.autoUpdate;
    g_Skin = stored.skin;
    return true;
}

} // namespace marlin
