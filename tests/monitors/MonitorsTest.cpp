// The pop-up blocker's decision and count, and the visited-URL log.
#include "config/ApplicationSettings.h"
#include "config/InstallPaths.h"
#include "monitors/PopupBlocker.h"
#include "monitors/VisitedUrlLog.h"
#include "platform/ComTypes.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "platform/XmlDom.h"
#include "support/LockProbes.h"
#include "support/Processes.h"
#include "support/TestIsolation.h"

#include <algorithm>

using namespace marlin;
using namespace marlin::test;

namespace {

constexpr wchar_t kAllowList[] = L"Software\\Microsoft\\Internet Explorer\\New Windows\\Allow";

class PopupBlockerTest : public IsolatedTest {
protected:
    void Allow(const wchar_t* site)
    {
        unique_hkey key = CreateRegistryKey(HKEY_CURRENT_USER, kAllowList, KEY_ALL_ACCESS);
        ::RegSetValueExW(key.get(), site, 0, REG_BINARY, nullptr, 0);
    }
};

TEST_F(PopupBlockerTest, TheAllowListAndTheSchemesDecide)
{
    EXPECT_EQ(IsPopupBlockedForUrl(L""), 0);
    EXPECT_EQ(IsPopupBlockedForUrl(L"about:blank"), 0);
    EXPECT_EQ(IsPopupBlockedForUrl(L"C:\\pages\\local.htm"), 0);
    EXPECT_EQ(IsPopupBlockedForUrl(L"HTTP://upper.example/"), 0) << "the scheme test is case-sensitive";
    EXPECT_EQ(IsPopupBlockedForUrl(L"http://any.example/"), 1) << "no allow list";
    CreateRegistryKey(HKEY_CURRENT_USER, kAllowList, KEY_ALL_ACCESS);
    EXPECT_EQ(IsPopupBlockedForUrl(L"ftp://any.example/"), 1) << "an empty allow list";
    Allow(L"friends.example");
    Allow(L"");
    EXPECT_EQ(IsPopupBlockedForUrl(L"https://www.friends.example/page"), 0);
    EXPECT_EQ(IsPopupBlockedForUrl(L"https://www.FRIENDS.example/page"), 1);
    EXPECT_EQ(IsPopupBlockedForUrl(L"telnet://other.example"), 1) << "an empty name allows nothing";
}

TEST_F(PopupBlockerTest, RefusalsAreCountedUntilAWindowIsAllowed)
{
    g_PopupMgr = 1;
    std::vector<std::wstring> captions;
    int repaints = 0;
    PopupBlockerDisplay display{[&](const std::wstring& caption) { captions.push_back(caption); return true; },
                                [&] { ++repaints; }};
    CPopupBlocker blocker;
    LONG script = 0;
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(blocker.OnNewWindow2(L"http://ads.example/", script, display));
    EXPECT_EQ(blocker.BlockedCount(), 3);
    EXPECT_EQ(captions.back(), L"(3) Blocked");
    EXPECT_TRUE(IsPopupBlockerCaption(captions.back()));
    EXPECT_EQ(repaints, 3);

    env().keysDown = {VK_CONTROL};
    script = 1;
    EXPECT_FALSE(blocker.OnNewWindow2(L"http://ads.example/", script, display));
    EXPECT_EQ(script, 1) << "a modifier key leaves the flag alone";
    env().keysDown.clear();
    EXPECT_FALSE(blocker.OnNewWindow2(L"http://ads.example/", script, display)) << "script navigation";
    EXPECT_EQ(script, 0);
    EXPECT_EQ(blocker.BlockedCount(), 3);

    EXPECT_FALSE(blocker.OnNewWindow2(L"about:blank", script, display));
    EXPECT_EQ(blocker.BlockedCount(), 0);
    EXPECT_EQ(captions.back(), L"Pop-up Blocker (ON)");
    EXPECT_EQ(blocker.OpenerUrl(), L"about:blank");

    g_PopupMgr = 0;
    EXPECT_FALSE(blocker.OnNewWindow2(L"http://ads.example/", script, display));
    EXPECT_FALSE(IsPopupBlockerCaption(L"Blocked")) << "\"Blocked\" must follow something";
    EXPECT_TRUE(IsPopupBlockerCaption(L"pop-up blocker (off)"));
}

class VisitedUrlLogTest : public IsolatedTest {
protected:
    void SetUp() override
    {
        IsolatedTest::SetUp();
        g_ApplicationPath = MakeFolder(L"Data");
        MakeFolder(L"Data\\XMLS");
    }
    std::wstring path() const { return VisitedUrlLogPath(); }
    std::vector<std::wstring> Visits() const
    {
        std::vector<std::wstring> visits;
        auto document = XmlDocument::Create();
        if (!document->Load(path())) return {L"<does not load>"};
        for (const XmlElement& visit : ChildElements(document->Root().Get())) {
            visits.push_back(AttributeText(visit.Get(), L"timestamp") + L" " + GetText(visit.Get()));
        }
        return visits;
    }
    static std::wstring AttributeText(IXMLDOMNode* node, const wchar_t* name)
    {
        return GetAttribute(node, name).value_or(L"");
    }
};

TEST_F(VisitedUrlLogTest, VisitsAreAppendedAsTheDocumentWouldWriteThem)
{
    LogVisitedUrl(L"about:blank");
    LogVisitedUrl(L"C:\\page.htm");
    EXPECT_FALSE(FileExists(path())) << "nothing to log, no file";

    LogVisitedUrl(L"https://secure.example/");
    env().localTime.wHour = 9;
    LogVisitedUrl(L"x-local://page?from=http://a.example/&b=<c>");
    LogVisitedUrl(L"http://\u00e9t\u00e9.example/");
    LogVisitedUrl(L"http://odd.example/\xFFFE"); // not XML text: dropped, the log intact
    EXPECT_EQ(Visits(), (std::vector<std::wstring>{L"5/3/2009-14:7:9 https://secure.example/",
                                                   L"5/3/2009-9:7:9 x-local://page?from=http://a.example/&b=<c>",
                                                   L"5/3/2009-9:7:9 http://\u00e9t\u00e9.example/"}));

    // Byte for byte what the DOM writes for the same document.
    auto document = XmlDocument::Create();
    ASSERT_TRUE(document->Load(path()));
    const std::wstring copy = scratch() + L"copy.xml";
    ASSERT_TRUE(document->Save(copy));
    EXPECT_EQ(ReadTextFile(path()), ReadTextFile(copy));
}

TEST_F(VisitedUrlLogTest, AFileChangedByOthersIsReadAgainAndABrokenOneLeftAlone)
{
    LogVisitedUrl(L"http://one.example/");
    LogVisitedUrl(L"http://two.example/");
    // Someone trims the log by hand to a well-formed file of another size.
    WriteTextFile(path(), "<?xml version=\"1.0\"?>\r\n<MTRoot><VisitedURL timestamp=\"1/1/2000-0:0:0\">kept</VisitedURL>"
                          "</MTRoot>  \r\n");
    LogVisitedUrl(L"http://three.example/");
    EXPECT_EQ(Visits(), (std::vector<std::wstring>{L"1/1/2000-0:0:0 kept", L"5/3/2009-14:7:9 http://three.example/"}));

    const std::string broken = "<MTRoot><VisitedURL>half";
    WriteTextFile(path(), broken);
    LogVisitedUrl(L"http://four.example/");
    EXPECT_EQ(ReadTextFile(path()), broken);
}

TEST_F(VisitedUrlLogTest, AUtf16LogStaysUtf16AndNavigationNeverWaitsForTheHost)
{
    const std::wstring text = L"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?><MTRoot/>";
    WriteTextFile(path(), std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    g_bProtectedMode = 1;
    env().shellExecuteResult = 2;
    LogVisitedUrl(L"http://one.example/");
    EXPECT_TRUE(env().shellExecutes.empty()) << "no host is started from the navigation path";
    {
        FakeApiHost host(path());
        LogVisitedUrl(L"http://\u00e9.example/");
        EXPECT_TRUE(host.SentOnlyWithTheLockFree());
    }
    EXPECT_EQ(ReadTextFile(path()).substr(0, 2), "\xff\xfe");
    EXPECT_EQ(Visits(), (std::vector<std::wstring>{L"5/3/2009-14:7:9 http://one.example/",
                                                   L"5/3/2009-14:7:9 http://\u00e9.example/"}));
}

int LogVisitsChild(const std::vector<std::wstring>& args)
{
    if (args.size() < 2) return 3;
    ComInitScope com;
    g_ApplicationPath = WithTrailingBackslash(args[0]);
    for (int i = 0; i < 40; ++i) LogVisitedUrl(Format(L"http://%ls.example/%d", args[1].c_str(), i));
    return 0;
}
ChildRegistration g_logVisits(L"log-visits", &LogVisitsChild);

TEST_F(VisitedUrlLogTest, TwoProcessesLoggingAtOnceLoseNoVisit)
{
    LogVisitedUrl(L"http://first.example/");
    std::wstring folder = g_ApplicationPath.get();
    folder.pop_back();
    void* left = StartChild(CurrentProgram(), L"log-visits", L"\"" + folder + L"\" left");
    void* right = StartChild(CurrentProgram(), L"log-visits", L"\"" + folder + L"\" right");
    EXPECT_EQ(WaitChild(left), 0);
    EXPECT_EQ(WaitChild(right), 0);
    const auto visits = Visits();
    EXPECT_EQ(visits.size(), 81u);
    EXPECT_EQ(std::count_if(visits.begin(), visits.end(), [](const std::wstring& v) { return v.find(L"left") != std::wstring::npos; }), 40);
}

} // namespace
