#include "Probes.h"

#include "SettingsStore.h"
#include "platform/Environment.h"
#include "platform/Registry.h"

#include <atomic>

namespace marlin {

namespace {

std::wstring NameFor(DWORD platform, DWORD major, DWORD minor)
{
    if (platform == VER_PLATFORM_WIN32_NT) {
        if (major == 6 && minor == 0) return L"Vista";
        if (major == 5 && minor == 2) return L"2003";
        if (major == 5 && minor == 1) return L"XP";
        if (major == 5 && minor == 0) return L"2000 ";
        if (major == 4 || major == 3) return L"NT ";
    } else if (platform == VER_PLATFORM_WIN32_WINDOWS && major == 4) {
        if (minor == 0) return L"Windows95  ";
        if (minor == 10) return L"Windows98 ";
        if (minor == 90) return L"WINME ";
    }
    return {};
}

} // namespace

std::wstring GetOSName()
{
    OSVERSIONINFOEXW extended{};
    extended.dwOSVersionInfoSize = sizeof(extended);
    if (Env().GetVersionEx(reinterpret_cast<OSVERSIONINFOW*>(&extended))) {
        return NameFor(extended.dwPlatformId, extended.dwMajorVersion, extended.dwMinorVersion);
    }
    OSVERSIONINFOW plain{};
    plain.dwOSVersionInfoSize = sizeof(plain);
    if (Env().GetVersionEx(&plain)) return NameFor(plain.dwPlatformId, plain.dwMajorVersion, plain.dwMinorVersion);
    return {};
}

bool IsVistaOrLater()
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return Env().GetVersionEx(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 6;
}

std::wstring GetBrowserVersion()
{
    unique_hkey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", KEY_READ);
    return ReadRegistryString(key.get(), L"Version", 259).value_or(std::wstring());
}

std::optional<std::wstring> ThemeActiveSetting()
{
    return ReadSetting(L"ThemeActive", [] {
        unique_hkey key = OpenRegistryKey(HKEY_CURRENT_USER,
                                          L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", KEY_READ);
        return ReadRegistryString(key.get(), L"ThemeActive", kRegistryValueMaxChars);
    });
}

int ScreenWidth()
{
    static std::atomic<int> width{0};
    int known = width.load(std::memory_order_relaxed);
    if (known == 0) {
        known = ::GetSystemMetrics(SM_CXSCREEN);
        width.store(known, std::memory_order_relaxed);
    }
    return known;
}

unique_hkey OpenUserKey()
{
    return CreateRegistryKey(HKEY_CURRENT_USER, L"software\\MarlinToolbar", KEY_READ | KEY_WRITE);
}

} // namespace marlin
