#include "InstallPaths.h"

#include "ApiHost.h"
#include "Probes.h"
#include "SettingsStore.h"
#include "platform/ComTypes.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/UniqueHandle.h"
#include "platform/XmlDom.h"

#include <knownfolders.h>

#include <mutex>
#include <optional>

marlin::ProcessValue<std::wstring> g_ApplicationPath;
marlin::ProcessValue<std::wstring> g_InstallPath;
marlin::ProcessValue<std::wstring> g_OSName;
std::atomic<int> g_bProtectedMode{0};

namespace marlin {

namespace {

struct ProtectedModeCache {
    std::mutex lock;
    bool known = false;
    BOOL answer = FALSE;
    HRESULT result = E_NOTIMPL;
};

ProtectedModeCache& Cache()
{
    static ProtectedModeCache cache;
    return cache;
}

// The browser's version cannot change while it runs: read once per process.
struct BrowserVersionCache {
    std::mutex lock;
    std::optional<std::wstring> version;
};

BrowserVersionCache& BrowserVersion()
{
    static BrowserVersionCache cache;
    return cache;
}

std::wstring BrowserVersionOnce()
{
    BrowserVersionCache& cache = BrowserVersion();
    std::lock_guard guard(cache.lock);
    if (!cache.version) cache.version = GetBrowserVersion();
    return *cache.version;
}

// {352481E8-33BE-4251-BA85-6007CAEDCF9D}
constexpr GUID kFolderInternetCache = {0x352481E8, 0x33BE, 0x4251, {0xBA, 0x85, 0x60, 0x07, 0xCA, 0xED, 0xCF, 0x9D}};

constexpr const wchar_t* kSeededIniKeys[] = {
    L"ApplicationPath", L"IsLogin", L"btbho", L"Pkey", L"BaseURL", L"SearchSite", L"DynamicIP", L"OsInfo",
};

constexpr const wchar_t* kSeededXmlFiles[] = {
    L"ApplicationSettings.xml", L"LogURL.xml",           L"Plug-in.xml",           L"Plug-inRules.xml",
    L"MarlinToolbarBasic.xml",  L"MarlinToolbarErrorLog.xml", L"MarlinToolbarLogin.xml",
};

// Copies the installer's settings into the writable tree's settings file and
// answers the installation folder they name.
std::wstring CopyIniSettings(const std::wstring& source, const std::wstring& destination, const std::wstring& dataFolder)
{
    std::wstring values[std::size(kSeededIniKeys)];
    for (size_t i = 0; i < std::size(kSeededIniKeys); ++i) {
        values[i] = ReadIniString(source, kIniSection, kSeededIniKeys[i], kIniValueMaxChars);
    }
    for (size_t i = 0; i < std::size(kSeededIniKeys); ++i) {
        WriteIniString(destination, kIniSection, kSeededIniKeys[i], values[i]);
    }
    WriteIniString(destination, kIniSection, L"VistaProtectedAppPath", dataFolder);
    return values[0];
}

void CopyXmlFromTempCache(const std::wstring& installFolder, const std::wstring& xmlFolder, const wchar_t* name)
{
    auto document = XmlDocument::Create();
    if (!document || !document->Load(installFolder + L"TempCache\\XMLS\\" + name)) return;
    document->SaveAtomically(xmlFolder + name);
}

} // namespace

HRESULT IsProtectedModeProcess(BOOL& protectedMode)
{
    ProtectedModeCache& cache = Cache();
    std::lock_guard guard(cache.lock);
    if (cache.known) {
        protectedMode = cache.answer;
        return cache.result;
    }
    BOOL answer = protectedMode;
    HRESULT hr = Env().IEIsProtectedModeProcess(&answer);
    if (hr == S_OK || hr == E_NOTIMPL) {
        cache.known = true;
        cache.answer = hr == S_OK ? answer : protectedMode;
        cache.result = hr;
    }
    if (hr == S_OK) protectedMode = answer;
    return hr;
}

std::wstring GetIniFilePath()
{
    if (IsVistaOrLater()) {
        BOOL protectedMode = FALSE;
        if (SUCCEEDED(IsProtectedModeProcess(protectedMode)) && protectedMode) {
            return g_ApplicationPath.get() + kIniFileName;
        }
    }
    return Env().WindowsDirectory() + L"\\" + kIniFileName;
}

bool GetIniApplicationPath(std::wstring& path)
{
    std::wstring value = ReadIniString(GetIniFilePath(), kIniSection, L"ApplicationPath", kIniValueMaxChars);
    if (value.empty()) return false;
    path = WithTrailingBackslash(value);
    return true;
}

int SetUpProtectedModeFolders()
{
    BOOL protectedMode = FALSE;
    if (FAILED(IsProtectedModeProcess(protectedMode)) || !protectedMode) {
        g_bProtectedMode = 0;
        return 1;
    }
    g_bProtectedMode = 1;

    unique_cotaskmem_string writable;
    if (FAILED(Env().IEGetWriteableFolderPath(kFolderInternetCache, writable.put())) || !writable) return 1;
    const std::wstring root = std::wstring(writable.get()) + L"\\";
    const std::wstring productFolder = root + L"MarlinToolbar\\";
    const std::wstring dataFolder = productFolder + L"MarlinToolbar\\";
    const std::wstring xmlFolder = dataFolder + L"XMLS\\";
    for (const std::wstring& folder : {productFolder, dataFolder, xmlFolder, dataFolder + L"Images\\"}) {
        if (!EnsureFolder(folder)) return 1;
    }

    const std::wstring writableIni = dataFolder + kIniFileName;
    std::wstring installFolder;
    if (!FileExists(writableIni)) {
        installFolder = CopyIniSettings(Env().WindowsDirectory() + L"\\" + kIniFileName, writableIni, dataFolder);
    } else {
        // The installation folder was copied there at the first start; without it
        // a missing seed would be looked for relative to the current folder.
        installFolder = ReadIniString(writableIni, kIniSection, L"ApplicationPath", kIniValueMaxChars);
    }
    if (!installFolder.empty()) {
        installFolder = WithTrailingBackslash(installFolder);
        ComInitScope com;
        for (const wchar_t* name : kSeededXmlFiles) {
            if (!FileExists(xmlFolder + name)) CopyXmlFromTempCache(installFolder, xmlFolder, name);
        }
    }

    g_ApplicationPath = dataFolder;
    std::wstring iniInstallPath;
    if (GetIniApplicationPath(iniInstallPath)) {
        g_InstallPath = iniInstallPath;
    } else {
        g_InstallPath = std::wstring();
    }
    SendToApiHost(kApiMessageDataFolder, g_ApplicationPath.get());
    SendToApiHost(kApiMessageInstallFolder, g_InstallPath.get());
    return 1;
}

void InitApplicationFolders()
{
    CReadRegistryValues settings;
    g_ApplicationPath = settings.GetRegistryValue(L"ApplicationPath");
    if (IsVistaOrLater()) {
        std::wstring install;
        if (GetIniApplicationPath(install)) g_InstallPath = install;
    } else {
        g_InstallPath = g_ApplicationPath.get();
    }
}

ToolbarPaths InitToolbarPaths()
{
    ToolbarPaths paths;
    paths.browserVersion = BrowserVersionOnce();
    paths.browserVersionFirstChar = paths.browserVersion.empty() ? L'\0' : paths.browserVersion[0];
    paths.screenWidth = ScreenWidth();

    CReadRegistryValues settings;
    g_ApplicationPath = settings.GetRegistryValue(L"ApplicationPath");
    const std::wstring dataFolder = g_ApplicationPath.get();
    paths.visitedUrlLogPath = dataFolder + L"XMLS\\" + L"LogURL.xml";
    paths.signedIn = settings.GetRegistryValue(L"IsLogin") == L"1";

    paths.imageFolder = ImageFolder();
    paths.basicDocumentPath = dataFolder + L"XMLS\\MarlinToolbarBasic.xml";
    paths.loginDocumentPath = dataFolder + L"XMLS\\MarlinToolbarLogin.xml";
    return paths;
}

std::wstring ImageFolder()
{
    std::wstring base;
    if (IsVistaOrLater()) {
        GetIniApplicationPath(base);
    } else {
        base = g_ApplicationPath.get();
    }
    return base + L"Images\\";
}

// Skins are read-only resources: on Vista they come from the installation
// folder the settings file names, also when the data folder is the writable copy.
// No folder known: nothing, rather than a path relative to the current folder.
static std::wstring SkinsFolder()
{
    std::wstring base;
    if (IsVistaOrLater()) {
        GetIniApplicationPath(base);
    } else {
        base = g_ApplicationPath.get();
    }
    return base.empty() ? std::wstring() : WithTrailingBackslash(base) + L"Skins\\";
}

std::wstring SkinFolder(int skin)
{
    const std::wstring skins = SkinsFolder();
    return skins.empty() ? skins : skins + std::to_wstring(skin) + L"\\";
}

std::wstring SkinDatabasePath()
{
    const std::wstring skins = SkinsFolder();
    return skins.empty() ? skins : skins + L"MTSkins.xml";
}

void ResetInstallPathsState()
{
    ProtectedModeCache& cache = Cache();
    {
        std::lock_guard guard(cache.lock);
        cache.known = false;
        cache.answer = FALSE;
        cache.result = E_NOTIMPL;
    }
    {
        BrowserVersionCache& browser = BrowserVersion();
        std::lock_guard guard(browser.lock);
        browser.version.reset();
    }
    g_ApplicationPath = std::wstring();
    g_InstallPath = std::wstring();
    g_OSName = std::wstring();
    g_bProtectedMode = 0;
}

} // namespace marlin
