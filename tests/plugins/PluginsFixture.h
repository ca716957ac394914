#pragma once
// A scratch installation with an installation folder for plug-in libraries.
#include "support/Installation.h"

#include "config/InstallPaths.h"

namespace marlin::test {

class PluginsFixture : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        install = MakeFolder(L"Install");
        g_InstallPath = install;
    }

    // Copies `library` to Plugins\<id>\<name>.dll of the installation; answers the path.
    std::wstring InstallLibrary(int id, const std::wstring& name, const char* library = MARLIN_TEST_PLUGIN) const
    {
        const std::wstring path = MakeFolder(Format(L"Install\\Plugins\\%d", id)) + name + L".dll";
        EXPECT_TRUE(::CopyFileW(WinePath(library).c_str(), path.c_str(), FALSE));
        return path;
    }

    std::wstring install;
};

} // namespace marlin::test
