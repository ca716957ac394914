#pragma once
// An installation for the benchmarks that run the toolbar: a scratch data
// folder with the built icons and skins, a Windows folder, the scripted environment and
// a registry of its own with the product's settings (signed in). Removed again
// when it goes out of scope.
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "support/ScriptedEnvironment.h"
#include "support/TestIsolation.h"

#include <string>

class BenchInstallation {
public:
    BenchInstallation(const std::wstring& name, const char* imagesDir)
        : m_registryRoot(L"Software\\" + name)
    {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        root = marlin::WithTrailingBackslash(temp) + name + L"\\";
        marlin::test::RemoveTree(root);
        data = root + L"Data\\";
        for (const std::wstring& folder : {root, data, data + L"XMLS", data + L"Images", root + L"Windows"}) {
            marlin::EnsureFolder(folder);
        }
        marlin::test::CopyFiles(marlin::test::WinePath(imagesDir), L"*.ico", data + L"Images");
        marlin::test::CopyFiles(marlin::test::WinePath(imagesDir), L"*.bmp", data + L"Images");
        const std::wstring skins = marlin::test::WinePath(imagesDir) + L"\\..\\Skins\\";
        marlin::EnsureFolder(data + L"Skins");
        marlin::test::CopyFiles(skins, L"*.xml", data + L"Skins");
        for (int skin = 1; skin <= 4; ++skin) {
            const std::wstring folder = data + L"Skins\\" + std::to_wstring(skin);
            marlin::EnsureFolder(folder);
            marlin::test::CopyFiles(skins + std::to_wstring(skin), L"*.bmp", folder);
        }

        auto& env = marlin::test::ScriptedEnvironment::Instance();
        env.windowsDirectory = root + L"Windows";
        marlin::SetEnvironment(&env);
        marlin::test::RedirectRegistry(m_registryRoot);
        marlin::unique_hkey settings =
            marlin::CreateRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\MarlinToolbar", KEY_ALL_ACCESS);
        marlin::WriteRegistryString(settings.get(), L"ApplicationPath", data);
        marlin::WriteRegistryString(settings.get(), L"IsLogin", L"1");
        marlin::CreateRegistryKey(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer", KEY_ALL_ACCESS);
        marlin::test::WriteTextFile(env.windowsDirectory + L"\\MarlinToolbar.ini", "[MTSettings]\r\nIsLogin=1\r\n");
    }
    ~BenchInstallation()
    {
        marlin::test::RestoreRegistry();
        marlin::DeleteRegistryTree(HKEY_CURRENT_USER, m_registryRoot);
        marlin::test::RemoveTree(root);
    }
    BenchInstallation(const BenchInstallation&) = delete;
    BenchInstallation& operator=(const BenchInstallation&) = delete;

    std::wstring root; // ends with "\"
    std::wstring data; // the data folder, ends with "\"

private:
    std::wstring m_registryRoot;
};
