// The error log (including two processes appending at once) and the
// environment probes.
#include "config/ErrorLog.h"
#include "config/Probes.h"
#include "platform/XmlDom.h"
#include "support/Installation.h"
#include "support/Processes.h"

using namespace marlin;
using namespace marlin::test;

namespace {

constexpr int kEntriesPerChild = 40;

// Child: appends kEntriesPerChild entries to the log of the data folder
// args[0], tagged args[1], once the event args[2] is set.
int AppendToLogChild(const std::vector<std::wstring>& args)
{
    g_ApplicationPath = WithTrailingBackslash(args.at(0));
    unique_handle start(::OpenEventW(SYNCHRONIZE, FALSE, args.at(2).c_str()));
    if (!start || ::WaitForSingleObject(start.get(), 60000) != WAIT_OBJECT_0) return 3;
    for (int i = 0; i < kEntriesPerChild; ++i) LogError(L"0", Format(L"[%ls][%d]", args[1].c_str(), i));
    return 0;
}
const ChildRegistration g_appendChild(L"append-to-log", &AppendToLogChild);

using ErrorLogTest = InstallationFixture;

TEST_F(ErrorLogTest, EntriesAreAppendedInOrderToAWellFormedLogOnly)
{
    LogError(L"1", L"[CInvisibleWnd][OnTimer][Not Connected to Network]");
    env().localTime = SYSTEMTIME{2010, 12, 5, 31, 0, 0, 0, 0};
    LogError(L"0", L"AddFixedMenuesinHomeButton failed");
    env().localTime = SYSTEMTIME{2011, 1, 6, 1, 23, 59, 58, 999};
    LogError(L"0", L"third & <last>");
    ExpectGolden("error-log.xml", ReadTextFile(errorLog));

    const std::string broken = "<?xml version='1.0'?><MTRoot><Error risk=\"1\">cut off";
    ASSERT_TRUE(WriteTextFile(errorLog, broken));
    LogError(L"1", L"[CInvisibleWnd][StopPluginTimer][Failed to Terminate Thread]");
    EXPECT_EQ(ReadTextFile(errorLog), broken);

    // Without a data folder nothing is written, not even below the current folder.
    ::DeleteFileW(errorLog.c_str());
    const std::wstring current = MakeFolder(L"Current\\XMLS");
    wchar_t previous[MAX_PATH * 2] = {};
    ::GetCurrentDirectoryW(MAX_PATH * 2, previous);
    ::SetCurrentDirectoryW((current + L"..").c_str());
    g_ApplicationPath = std::wstring();
    LogError(L"1", L"nowhere to go");
    ::SetCurrentDirectoryW(previous);
    EXPECT_FALSE(FileExists(current + L"MarlinToolbarErrorLog.xml"));
    EXPECT_FALSE(FileExists(current + L"..\\MarlinToolbarErrorLog.xml"));
    EXPECT_FALSE(FileExists(errorLog));
}

TEST_F(ErrorLogTest, TwoProcessesAppendingAtOnceLoseNothing)
{
    const std::wstring eventName = Format(L"MarlinConfigTests.LogStart.%lu", ::GetCurrentProcessId());
    unique_handle start(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    const std::wstring folder = L"\"" + data.substr(0, data.size() - 1) + L"\"";
    void* a = StartChild(CurrentProgram(), L"append-to-log", folder + L" A " + eventName);
    void* b = StartChild(CurrentProgram(), L"append-to-log", folder + L" B " + eventName);
    ::SetEvent(start.get());
    EXPECT_EQ(WaitChild(a, 120000), 0);
    EXPECT_EQ(WaitChild(b, 120000), 0);

    // Each child's entries are all there, in the order it wrote them.
    auto log = XmlDocument::Create();
    ASSERT_TRUE(log->Load(errorLog)) << "the log is not well formed";
    std::wstring written[2], expected;
    for (const XmlElement& entry : ChildElements(log->Root().Get())) {
        const std::wstring text = GetText(entry.Get()); // "[A][7]"
        written[text[1] == L'A' ? 0 : 1] += text.substr(3);
    }
    for (int i = 0; i < kEntriesPerChild; ++i) expected += Format(L"[%d]", i);
    EXPECT_EQ(written[0], expected);
    EXPECT_EQ(written[1], expected);
}

using ProbesTest = InstallationFixture;

TEST_F(ProbesTest, OperatingSystemNames)
{
    const DWORD nt = VER_PLATFORM_WIN32_NT, windows = VER_PLATFORM_WIN32_WINDOWS;
    std::wstring names;
    for (auto [platform, major, minor] : {std::tuple{nt, 6, 0}, {nt, 5, 2}, {nt, 5, 1}, {nt, 5, 0}, {nt, 4, 0}, {nt, 3, 51},
                                          {windows, 4, 0}, {windows, 4, 10}, {windows, 4, 90}, {nt, 6, 1}, {nt, 10, 0},
                                          {windows, 4, 3}, {DWORD{VER_PLATFORM_WIN32s}, 4, 0}}) {
        env().osPlatform = platform;
        env().osMajor = major;
        env().osMinor = minor;
        names += Format(L"%lu %d.%d \"%ls\"\r\n", platform, major, minor, GetOSName().c_str());
    }
    env().versionReadable = false;
    names += L"unreadable \"" + GetOSName() + L"\"\r\n";
    ExpectGolden("os-names.txt", ToUtf8(names));
}

TEST_F(ProbesTest, BrowserVersionAndUserKey)
{
    EXPECT_EQ(GetBrowserVersion(), L"");
    unique_hkey browser = CreateRegistryKey(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", KEY_ALL_ACCESS);
    WriteRegistryString(browser.get(), L"Build", L"62800");
    EXPECT_EQ(GetBrowserVersion(), L"");
    WriteRegistryString(browser.get(), L"Version", L"6.0.2800.1106");
    EXPECT_EQ(GetBrowserVersion(), L"6.0.2800.1106");
    WriteRegistryString(browser.get(), L"Version", std::wstring(400, L'9'));
    EXPECT_EQ(GetBrowserVersion(), std::wstring(259, L'9'));

    // The user's key is made when missing, and writable.
    ASSERT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, L"software\\MarlinToolbar"));
    EXPECT_TRUE(WriteRegistryString(OpenUserKey().get(), L"Probe", L"marlin"));
    unique_hkey user = OpenRegistryKey(HKEY_CURRENT_USER, L"Software\\MarlinToolbar", KEY_READ);
    EXPECT_EQ(ReadRegistryString(user.get(), L"Probe", 9), L"marlin");
}

} // namespace
