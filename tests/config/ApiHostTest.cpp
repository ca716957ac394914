// Messages to the plug-in API host, delivered to the real stand-in program by
// real WM_COPYDATA (and once to a stand-in of the test's own, to see the bytes).
#include "config/ApiHost.h"
#include "support/Installation.h"
#include "support/LockProbes.h"
#include "support/Processes.h"

using namespace marlin;
using namespace marlin::test;

namespace {

HWND HostWindow() { return ::FindWindowW(nullptr, L"MarlinToolbarAPI"); }

// Asks every running stand-in to close and waits until its process has ended.
void CloseHosts()
{
    for (int i = 0; i < 10 && HostWindow(); ++i) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(HostWindow(), &pid);
        unique_handle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
        ::PostMessageW(HostWindow(), WM_CLOSE, 0, 0);
        if (process) ::WaitForSingleObject(process.get(), 20000);
        else ::Sleep(200);
    }
}

class ApiHostTest : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        CloseHosts();
        ASSERT_EQ(HostWindow(), nullptr);
        install = MakeFolder(L"Install");
        program = install + L"MarlinToolbarAPI.exe";
        ASSERT_TRUE(::CopyFileW(WinePath(MARLIN_API_HOST_PATH).c_str(), program.c_str(), FALSE));
        g_InstallPath = install;
    }
    void TearDown() override
    {
        CloseHosts();
        InstallationFixture::TearDown();
    }
    bool StartHost()
    {
        unique_handle process(StartProgram(program, L""));
        for (int i = 0; i < 1500 && process && !HostWindow(); ++i) ::Sleep(20);
        return HostWindow() != nullptr;
    }
    // The lines the stand-in received, oldest first.
    std::string HostLog() const { return ReadTextFile(install + L"MarlinToolbarAPI.log"); }

    std::wstring install, program;
};

TEST_F(ApiHostTest, FirstContactAnnouncesTheFoldersThenMessagesGoOutVerbatim)
{
    ASSERT_TRUE(StartHost());
    SetIni(L"IsLogin", L"0");
    CReadRegistryValues store;
    store.SetMTSettingsFromIniFile(L"IsLogin", L"1"); // not in protected mode: nothing to announce
    SendToApiHost(2, L"LogURL.xml");
    SendToApiHost(3, L"R&D <site>.ico");
    SendToApiHost(2, L"");
    SendToApiHost(2, L"ApplicationSettings.xml");
    EXPECT_TRUE(env().shellExecutes.empty());

    // The host goes away; the next message (settings written in protected
    // mode) starts it from the installation folder, which introduces itself again.
    CloseHosts();
    env().realShellExecute = true;
    g_bProtectedMode = 1;
    store.SetMTSettingsFromIniFile(L"IsLogin", L"0");
    EXPECT_EQ(Ini(L"IsLogin"), L"0");
    ASSERT_EQ(env().shellExecutes.size(), 1u);
    EXPECT_EQ(env().shellExecutes[0].verb, L"open");
    EXPECT_EQ(env().shellExecutes[0].file, program);
    EXPECT_EQ(env().shellExecutes[0].show, SW_SHOWNORMAL);
    ExpectGolden("api-host-first-contact.log", HostLog());
}

TEST_F(ApiHostTest, FailingLaunchIsTriedThreeTimesInTheLifeOfTheProcess)
{
    env().shellExecuteResult = 2; // file not found
    SendToApiHost(2, L"LogURL.xml");
    SendToApiHost(5, L"MarlinToolbar.ini");
    SendToApiHost(2, L"MarlinToolbarLogin.xml");
    ASSERT_EQ(env().shellExecutes.size(), 3u);
    for (const ShellExecuteCall& call : env().shellExecutes) EXPECT_EQ(call.file, program);

    // A host that appears later still gets what is sent from then on.
    ASSERT_TRUE(StartHost());
    SendToApiHost(2, L"LogURL.xml");
    EXPECT_EQ(env().shellExecutes.size(), 3u);
    ExpectGolden("api-host-late.log", HostLog());
}

TEST_F(ApiHostTest, CopyDataCarriesTheTextAndOneByteOfItsTerminator)
{
    FakeApiHost host(scratch() + L"unlocked");
    SendToApiHost(3, L"DropURL.ico");
    // Sender 0, dwData 0, and the extra byte of the terminator, then the text.
    ExpectGolden("copy-data.txt", host.Received());
}

} // namespace
