// Messages to the plug-in API host, delivered to the real stand-in program by
// real WM_COPYDATA (and once to a window of the test's own, to see the bytes).
#include "ConfigTestHelpers.h"

#include "config/ApiHost.h"
#include "config/InstallPaths.h"
#include "config/SettingsStore.h"
#include "platform/Strings.h"

using namespace marlin;
using namespace marlin::test;

namespace {

std::wstring Message(int id, const std::wstring& data)
{
    return L"<MarlinToolbar><MessageID>" + std::to_wstring(id) + L"</MessageID><Data>" + data +
           L"</Data></MarlinToolbar>";
}

HWND HostWindow() { return ::FindWindowW(nullptr, L"MarlinToolbarAPI"); }

bool WaitForHostWindow()
{
    for (int i = 0; i < 1500 && !HostWindow(); ++i) ::Sleep(20);
    return HostWindow() != nullptr;
}

// Asks every running stand-in to close and waits until its process has ended.
void CloseHosts()
{
    for (int i = 0; i < 10; ++i) {
        HWND window = HostWindow();
        if (!window) return;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        if (process) {
            ::WaitForSingleObject(process, 20000);
            ::CloseHandle(process);
        } else {
            ::Sleep(200);
        }
    }
}

class ApiHostTest : public IsolatedTest {
protected:
    void SetUp() override
    {
        IsolatedTest::SetUp();
        CloseHosts();
        ASSERT_EQ(HostWindow(), nullptr);
        install = MakeFolder(L"Install");
        program = install + L"MarlinToolbarAPI.exe";
        ASSERT_TRUE(::CopyFileW(WinePath(MARLIN_API_HOST_PATH).c_str(), program.c_str(), FALSE));
        data = MakeFolder(L"Low\\MarlinToolbar\\MarlinToolbar");
        g_InstallPath = install;
        g_ApplicationPath = data;
    }

    void TearDown() override
    {
        CloseHosts();
        IsolatedTest::TearDown();
    }

    bool StartHost()
    {
        STARTUPINFOW startup{sizeof(startup)};
        PROCESS_INFORMATION process{};
        std::wstring commandLine = L"\"" + program + L"\"";
        if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process)) {
            return false;
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return WaitForHostWindow();
    }

    // The lines the stand-in received, oldest first.
    std::vector<std::wstring> HostLog() const
    {
        std::wstring text = FromUtf8(ReadTextFile(install + L"MarlinToolbarAPI.log"));
        std::vector<std::wstring> lines;
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find(L"\r\n", start);
            if (end == std::wstring::npos) end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    std::wstring install;
    std::wstring program;
    std::wstring data;
};

TEST_F(ApiHostTest, FirstContactAnnouncesTheFoldersThenMessagesGoOutVerbatim)
{
    ASSERT_TRUE(StartHost());
    SendToApiHost(2, L"LogURL.xml");
    SendToApiHost(3, L"R&D <site>.ico");
    SendToApiHost(2, L"");
    SendToApiHost(2, L"ApplicationSettings.xml");
    EXPECT_TRUE(env().shellExecutes.empty());
    std::vector<std::wstring> expected = {
        Message(0, data),
        Message(1, install),
        L"<MarlinToolbar><MessageID>2</MessageID><Data>LogURL.xml</Data></MarlinToolbar>",
        L"<MarlinToolbar><MessageID>3</MessageID><Data>R&D <site>.ico</Data></MarlinToolbar>",
        Message(2, L"ApplicationSettings.xml"),
    };
    EXPECT_EQ(HostLog(), expected);

    // The host goes away; the next message starts it from the installation
    // folder and introduces itself again.
    CloseHosts();
    env().realShellExecute = true;
    SendToApiHost(5, L"MarlinToolbar.ini");
    ASSERT_EQ(env().shellExecutes.size(), 1u);
    EXPECT_EQ(env().shellExecutes[0].verb, L"open");
    EXPECT_EQ(env().shellExecutes[0].file, program);
    EXPECT_EQ(env().shellExecutes[0].show, SW_SHOWNORMAL);
    expected.push_back(Message(0, data));
    expected.push_back(Message(1, install));
    expected.push_back(Message(5, L"MarlinToolbar.ini"));
    EXPECT_EQ(HostLog(), expected);
}

TEST_F(ApiHostTest, FailingLaunchIsTriedThreeTimesInTheLifeOfTheProcess)
{
    env().shellExecuteResult = 2; // file not found
    SendToApiHost(2, L"LogURL.xml");
    SendToApiHost(5, L"MarlinToolbar.ini");
    SendToApiHost(2, L"MarlinToolbarLogin.xml");
    ASSERT_EQ(env().shellExecutes.size(), 3u);
    for (const ShellExecuteCall& call : env().shellExecutes) {
        EXPECT_EQ(call.verb, L"open");
        EXPECT_EQ(call.file, program);
    }

    // A host that appears later still gets what is sent from then on.
    ASSERT_TRUE(StartHost());
    SendToApiHost(2, L"LogURL.xml");
    EXPECT_EQ(env().shellExecutes.size(), 3u);
    EXPECT_EQ(HostLog(), (std::vector<std::wstring>{Message(0, data), Message(1, install), Message(2, L"LogURL.xml")}));
}

TEST_F(ApiHostTest, SettingsWrittenInProtectedModeAreAnnounced)
{
    ASSERT_TRUE(StartHost());
    const std::wstring windowsIni = env().windowsDirectory + L"\\MarlinToolbar.ini";
    SetIni(windowsIni, L"IsLogin", L"0");
    CReadRegistryValues store;

    store.SetMTSettingsFromIniFile(L"IsLogin", L"1");
    EXPECT_TRUE(HostLog().empty());

    g_bProtectedMode = 1;
    store.SetMTSettingsFromIniFile(L"IsLogin", L"0");
    EXPECT_EQ(GetIni(windowsIni, L"IsLogin"), L"0");
    EXPECT_EQ(HostLog(),
              (std::vector<std::wstring>{Message(0, data), Message(1, install), Message(5, L"MarlinToolbar.ini")}));
}

struct Received {
    WPARAM sender;
    ULONG_PTR dwData;
    DWORD cbData;
    std::wstring text;
};
std::vector<Received> g_received;

LRESULT CALLBACK CapturingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        g_received.push_back({wParam, copy->dwData, copy->cbData,
                              std::wstring(static_cast<const wchar_t*>(copy->lpData), copy->cbData / sizeof(wchar_t))});
        return TRUE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(ApiHostTest, CopyDataCarriesTheTextAndOneByteOfItsTerminator)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CapturingProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MarlinConfigTestsHost";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"MarlinToolbarAPI", WS_OVERLAPPED, 0, 0, 10, 10,
                                    nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_TRUE(window);
    g_received.clear();
    SendToApiHost(3, L"DropURL.ico");
    ::DestroyWindow(window);

    const std::vector<std::wstring> texts = {Message(0, data), Message(1, install), Message(3, L"DropURL.ico")};
    ASSERT_EQ(g_received.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(g_received[i].sender, 0u);
        EXPECT_EQ(g_received[i].dwData, 0u);
        EXPECT_EQ(g_received[i].cbData, texts[i].size() * 2 + 1);
        EXPECT_EQ(g_received[i].text, texts[i]);
    }
}

} // namespace
