#include "TestIsolation.h"

#include "config/ApiHost.h"
#include "config/InstallPaths.h"
#include "config/SettingsStore.h"
#include "config/Skins.h"
#include "platform/Files.h"
#include "plugins/PluginRefresh.h"
#include "plugins/PluginSdk.h"
#include "platform/Registry.h"
#include "platform/Strings.h"

#include <algorithm>
#include <atomic>
#include <filesystem>

namespace marlin::test {

namespace {

std::atomic<int> g_testCounter{0};
constexpr wchar_t kRegistryScratchBase[] = L"Software\\MarlinToolbarTests";

std::wstring TempFolder()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD length = ::GetTempPathW(MAX_PATH, buffer);
    return WithTrailingBackslash(std::wstring(buffer, length));
}

} // namespace

void RedirectRegistry(const std::wstring& root)
{
    // HKCU goes last: the scratch keys live below the real one.
    for (auto [predefined, name] : {std::pair{HKEY_LOCAL_MACHINE, L"HKLM"}, {HKEY_CLASSES_ROOT, L"HKCR"},
                                    {HKEY_CURRENT_USER, L"HKCU"}}) {
        ::RegOverridePredefKey(predefined, CreateRegistryKey(HKEY_CURRENT_USER, root + L"\\" + name, KEY_ALL_ACCESS).get());
    }
}

void RestoreRegistry()
{
    for (HKEY predefined : {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE}) {
        ::RegOverridePredefKey(predefined, nullptr);
    }
}

void IsolatedTest::SetUp()
{
    const int number = ++g_testCounter;
    m_scratch = TempFolder() + Format(L"marlin-tests\\%lu-%d\\", ::GetCurrentProcessId(), number);
    EnsureFolder(TempFolder() + L"marlin-tests");
    RemoveTree(m_scratch);
    ASSERT_TRUE(EnsureFolder(m_scratch));

    env().Reset();
    env().windowsDirectory = MakeFolder(L"Windows");
    env().windowsDirectory.pop_back();
    SetEnvironment(&env());

    m_registryRoot = Format(L"%ls\\%lu-%d", kRegistryScratchBase, ::GetCurrentProcessId(), number);
    RedirectRegistry(m_registryRoot);

    ResetInstallPathsState();
    ResetApiHostState();
    ResetSettingsStoreState();
    ResetSkinState();
    ResetPluginSdkState();
    ResetPluginRefreshState();
    CrossProcessLock::SetDefaultTimeoutMs(CrossProcessLock::kDefaultTimeoutMs);
}

void IsolatedTest::TearDown()
{
    RestoreRegistry();
    DeleteRegistryTree(HKEY_CURRENT_USER, m_registryRoot);
    ResetInstallPathsState();
    ResetApiHostState();
    SetEnvironment(nullptr);
    RemoveTree(m_scratch);
}

std::wstring IsolatedTest::MakeFolder(const std::wstring& relative) const
{
    const std::wstring path = m_scratch + relative + L"\\";
    for (size_t end = path.find(L'\\', m_scratch.size()); end != std::wstring::npos; end = path.find(L'\\', end + 1)) {
        EnsureFolder(path.substr(0, end + 1));
    }
    return path;
}

bool WriteTextFile(const std::wstring& path, const std::string& utf8) { return WriteFileBytes(path, utf8); }

std::string ReadTextFile(const std::wstring& path)
{
    return ReadFileBytes(path, 64 * 1024 * 1024).value_or(std::string());
}

void CopyFiles(const std::wstring& fromFolder, const wchar_t* pattern, const std::wstring& toFolder)
{
    const std::wstring from = WithTrailingBackslash(fromFolder), to = WithTrailingBackslash(toFolder);
    WIN32_FIND_DATAW found;
    unique_find search(::FindFirstFileW((from + pattern).c_str(), &found));
    for (bool more = static_cast<bool>(search); more; more = ::FindNextFileW(search.get(), &found)) {
        ::CopyFileW((from + found.cFileName).c_str(), (to + found.cFileName).c_str(), FALSE);
    }
}

std::vector<std::wstring> FilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file()) names.push_back(entry.path().filename().wstring());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::wstring& folder)
{
    std::error_code ignored;
    std::filesystem::remove_all(folder.substr(0, folder.find_last_not_of(L'\\') + 1), ignored);
}

std::wstring WinePath(const char* unixPath) { return ReplaceAll(L"Z:" + FromUtf8(unixPath), L"/", L"\\"); }

} // namespace marlin::test
