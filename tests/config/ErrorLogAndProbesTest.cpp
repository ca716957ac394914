// The error log (including two processes appending at once) and the
// environment probes.
#include "ConfigTestHelpers.h"

#include "config/ErrorLog.h"
#include "config/InstallPaths.h"
#include "config/Probes.h"
#include "platform/Strings.h"
#include "support/Processes.h"

using namespace marlin;
using namespace marlin::test;

namespace {

constexpr int kEntriesPerChild = 40;

// Child: appends kEntriesPerChild entries to the log of the data folder
// args[0], tagged args[1], once the event args[2] is set.
int AppendToLogChild(const std::vector<std::wstring>& args)
{
    if (args.size() < 3) return 2;
    g_ApplicationPath = WithTrailingBackslash(args[0]);
    HANDLE start = ::OpenEventW(SYNCHRONIZE, FALSE, args[2].c_str());
    if (!start) return 3;
    const DWORD wait = ::WaitForSingleObject(start, 60000);
    ::CloseHandle(start);
    if (wait != WAIT_OBJECT_0) return 4;
    for (int i = 0; i < kEntriesPerChild; ++i) LogError(L"0", Format(L"[%ls][%d]", args[1].c_str(), i));
    return 0;
}
const ChildRegistration g_appendChild(L"append-to-log", &AppendToLogChild);

class ErrorLogTest : public IsolatedTest {
protected:
    void SetUp() override
    {
        IsolatedTest::SetUp();
        data = MakeFolder(L"Data");
        MakeFolder(L"Data\\XMLS");
        g_ApplicationPath = data;
        log = data + L"XMLS\\MarlinToolbarErrorLog.xml";
    }
    std::wstring data;
    std::wstring log;
};

TEST_F(ErrorLogTest, FirstEntryCreatesTheLogAndLaterOnesAppendInOrder)
{
    ASSERT_FALSE(Exists(log));
    env().localTime = SYSTEMTIME{2009, 3, 4, 5, 14, 7, 9, 0};
    LogError(L"1", L"[CInvisibleWnd][OnTimer][Not Connected to Network]");

    auto document = XmlDocument::Create();
    ASSERT_TRUE(document && document->Load(log));
    ComPtr<IXMLDOMNode> first;
    ASSERT_EQ(document->get()->get_firstChild(&first), S_OK);
    DOMNodeType type = NODE_INVALID;
    first->get_nodeType(&type);
    EXPECT_EQ(type, NODE_PROCESSING_INSTRUCTION);
    EXPECT_EQ(NodeName(first.Get()), L"xml");

    auto entries = ReadErrorLog(log);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].attributeNames, (std::vector<std::wstring>{L"risk", L"timestamp"}));
    EXPECT_EQ((*entries)[0].risk, L"1");
    EXPECT_EQ((*entries)[0].timestamp, L"Date:[3/5/2009]-Time:[14:7:9]");
    EXPECT_EQ((*entries)[0].text, L"[CInvisibleWnd][OnTimer][Not Connected to Network]");

    env().localTime = SYSTEMTIME{2010, 12, 5, 31, 0, 0, 0, 0};
    LogError(L"0", L"AddFixedMenuesinHomeButton failed");
    env().localTime = SYSTEMTIME{2011, 1, 6, 1, 23, 59, 58, 999};
    LogError(L"0", L"third & <last>");
    entries = ReadErrorLog(log);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[0].text, L"[CInvisibleWnd][OnTimer][Not Connected to Network]");
    EXPECT_EQ((*entries)[1].risk, L"0");
    EXPECT_EQ((*entries)[1].timestamp, L"Date:[12/31/2010]-Time:[0:0:0]");
    EXPECT_EQ((*entries)[1].text, L"AddFixedMenuesinHomeButton failed");
    EXPECT_EQ((*entries)[2].timestamp, L"Date:[1/1/2011]-Time:[23:59:58]");
    EXPECT_EQ((*entries)[2].text, L"third & <last>");
}

TEST_F(ErrorLogTest, UnparsableLogIsLeftAlone)
{
    const std::string broken = "<?xml version='1.0'?><MTRoot><Error risk=\"1\">cut off";
    ASSERT_TRUE(WriteTextFile(log, broken));
    LogError(L"1", L"[CInvisibleWnd][StopPluginTimer][Failed to Terminate Thread]");
    LogError(L"0", L"again");
    EXPECT_EQ(ReadTextFile(log), broken);
}

TEST_F(ErrorLogTest, WithoutDataFolderNothingIsWritten)
{
    const std::wstring current = MakeFolder(L"Current");
    MakeFolder(L"Current\\XMLS");
    g_ApplicationPath = std::wstring();
    {
        CurrentFolderScope inCurrent(current);
        LogError(L"1", L"nowhere to go");
    }
    EXPECT_FALSE(Exists(current + L"XMLS\\MarlinToolbarErrorLog.xml"));
    EXPECT_FALSE(Exists(current + L"MarlinToolbarErrorLog.xml"));
    EXPECT_FALSE(Exists(log));
}

TEST_F(ErrorLogTest, TwoProcessesAppendingAtOnceLoseNothing)
{
    const std::wstring eventName = Format(L"MarlinConfigTests.LogStart.%lu", ::GetCurrentProcessId());
    HANDLE start = ::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_TRUE(start);
    const std::wstring folder = L"\"" + data.substr(0, data.size() - 1) + L"\"";
    void* a = StartChild(CurrentProgram(), L"append-to-log", folder + L" A " + eventName);
    void* b = StartChild(CurrentProgram(), L"append-to-log", folder + L" B " + eventName);
    ::SetEvent(start);
    EXPECT_EQ(WaitChild(a, 120000), 0);
    EXPECT_EQ(WaitChild(b, 120000), 0);
    ::CloseHandle(start);

    auto entries = ReadErrorLog(log);
    ASSERT_TRUE(entries) << "the log is not well formed";
    EXPECT_EQ(entries->size(), 2u * kEntriesPerChild);
    // Each child's entries are all there, in the order it wrote them.
    std::vector<std::wstring> written[2], expected[2];
    for (const LogEntry& entry : *entries) written[entry.text.rfind(L"[A]", 0) == 0 ? 0 : 1].push_back(entry.text);
    for (int i = 0; i < kEntriesPerChild; ++i) {
        expected[0].push_back(Format(L"[A][%d]", i));
        expected[1].push_back(Format(L"[B][%d]", i));
    }
    EXPECT_EQ(written[0], expected[0]);
    EXPECT_EQ(written[1], expected[1]);
}

using ProbesTest = IsolatedTest;

TEST_F(ProbesTest, OperatingSystemNames)
{
    struct Case {
        DWORD platform, major, minor;
        const wchar_t* name;
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32_NT, 6, 0, L"Vista"},        {VER_PLATFORM_WIN32_NT, 5, 2, L"2003"},
        {VER_PLATFORM_WIN32_NT, 5, 1, L"XP"},           {VER_PLATFORM_WIN32_NT, 5, 0, L"2000 "},
        {VER_PLATFORM_WIN32_NT, 4, 0, L"NT "},          {VER_PLATFORM_WIN32_NT, 3, 51, L"NT "},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, L"Windows95  "}, {VER_PLATFORM_WIN32_WINDOWS, 4, 10, L"Windows98 "},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, L"WINME "}, {VER_PLATFORM_WIN32_NT, 6, 1, L""},
        {VER_PLATFORM_WIN32_NT, 10, 0, L""},            {VER_PLATFORM_WIN32_WINDOWS, 4, 3, L""},
        {VER_PLATFORM_WIN32s, 4, 0, L""},
    };
    for (const Case& c : cases) {
        env().osPlatform = c.platform;
        env().osMajor = c.major;
        env().osMinor = c.minor;
        EXPECT_EQ(GetOSName(), c.name) << c.platform << " " << c.major << "." << c.minor;
    }
    env().osPlatform = VER_PLATFORM_WIN32_NT;
    env().osMajor = 5;
    env().osMinor = 1;
    env().versionReadable = false;
    EXPECT_EQ(GetOSName(), L"");
}

TEST_F(ProbesTest, BrowserVersionAndUserKey)
{
    const wchar_t* const browserKey = L"Software\\Microsoft\\Internet Explorer";
    EXPECT_EQ(GetBrowserVersion(), L"");
    SetRegistryText(HKEY_LOCAL_MACHINE, browserKey, L"Build", L"62800");
    EXPECT_EQ(GetBrowserVersion(), L"");
    SetRegistryText(HKEY_LOCAL_MACHINE, browserKey, L"Version", L"6.0.2800.1106");
    EXPECT_EQ(GetBrowserVersion(), L"6.0.2800.1106");
    SetRegistryText(HKEY_LOCAL_MACHINE, browserKey, L"Version", std::wstring(400, L'9'));
    EXPECT_EQ(GetBrowserVersion(), std::wstring(259, L'9'));

    ASSERT_FALSE(RegistryKeyPresent(HKEY_CURRENT_USER, L"software\\MarlinToolbar"));
    {
        unique_hkey key = OpenUserKey();
        ASSERT_TRUE(key);
        const wchar_t value[] = L"marlin";
        EXPECT_EQ(::RegSetValueExW(key.get(), L"Probe", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof(value)),
                  ERROR_SUCCESS);
    }
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, L"Software\\MarlinToolbar", L"Probe"), L"marlin");
    unique_hkey again = OpenUserKey();
    EXPECT_TRUE(again);
}

} // namespace
