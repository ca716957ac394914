// The pop-up blocker's decision and count; "Pop-up Blocker Settings": the
// system's dialog where there is one, else the product's dialog over the allow
// list, which the blocker reads at once; the visited-URL log.
#include "config/ApplicationSettings.h"
#include "monitors/PopupBlocker.h"
#include "monitors/VisitedUrlLog.h"
#include "platform/ComTypes.h"
#include "platform/XmlDom.h"
#include "resources/resource.h"
#include "support/Dialogs.h"
#include "support/Installation.h"
#include "support/LockProbes.h"
#include "support/Processes.h"

#include <algorithm>

using namespace marlin;
using namespace marlin::test;

namespace {

using PopupBlockerTest = InstallationFixture;

TEST_F(PopupBlockerTest, TheAllowListAndTheSchemesDecide)
{
    const auto blocked = [](const std::vector<std::wstring>& urls) {
        std::wstring answers;
        for (const std::wstring& url : urls) answers += IsPopupBlockedForUrl(url) ? L'1' : L'0';
        return answers;
    };
    // Only the five schemes, case-sensitive, are blocked.
    EXPECT_EQ(blocked({L"", L"about:blank", L"C:\\pages\\local.htm", L"HTTP://upper.example/", L"http://any.example/"}),
              L"00001") << "no allow list";
    unique_hkey key = CreateRegistryKey(HKEY_CURRENT_USER, kPopupAllowListKey, KEY_ALL_ACCESS);
    EXPECT_EQ(blocked({L"ftp://any.example/"}), L"1") << "an empty allow list";
    for (const wchar_t* site : {L"friends.example", L""}) WriteRegistryBinary(key.get(), site, nullptr, 0);
    // An empty name allows nothing.
    EXPECT_EQ(blocked({L"https://www.friends.example/page", L"https://www.FRIENDS.example/page", L"telnet://other.example"}),
              L"011");
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
    EXPECT_EQ(blocker.OpenerUrl(), L"about:blank");
    g_PopupMgr = 0;
    EXPECT_FALSE(blocker.OnNewWindow2(L"http://ads.example/", script, display));
    EXPECT_EQ(captions, (std::vector<std::wstring>{L"(1) Blocked", L"(2) Blocked", L"(3) Blocked", L"Pop-up Blocker (ON)"}));
    for (const std::wstring& caption : captions) EXPECT_TRUE(IsPopupBlockerCaption(caption)) << caption;
    EXPECT_FALSE(IsPopupBlockerCaption(L"Blocked")) << "\"Blocked\" must follow something";
    EXPECT_TRUE(IsPopupBlockerCaption(L"pop-up blocker (off)"));
}

// The dialog's list, an entry after each ",".
std::wstring ListedSites(HWND dialog)
{
    std::wstring sites;
    HWND list = ::GetDlgItem(dialog, IDC_POPUP_SITES);
    for (int i = 0, count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0)); i < count; ++i) {
        wchar_t text[300] = {};
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        sites += L"," + std::wstring(text);
    }
    return sites;
}

TEST(PopupAllowListSite, TypedTextBecomesTheHostTheBlockerMatches)
{
    ExpectGoldenTable("allow-list-sites.txt",
                      [](const std::wstring& typed) { return AllowListSite(typed).value_or(L"refused"); });
}

TEST_F(PopupBlockerTest, TheOwnDialogEditsTheAllowListTheBlockerReads)
{
    // A name longer than any site (enumerated first) hides none of the others.
    unique_hkey allowList = CreateRegistryKey(HKEY_CURRENT_USER, kPopupAllowListKey, KEY_ALL_ACCESS);
    for (const std::wstring& name : {std::wstring(L"Friends.example"), std::wstring(300, L'a'), std::wstring(L"later.example")}) {
        WriteRegistryBinary(allowList.get(), name.c_str(), nullptr, 0);
    }
    std::wstring title;
    env().dialogScript = [&](HWND dialog) {
        title = WindowText(dialog);
        EXPECT_EQ(ListedSites(dialog), L",Friends.example,later.example");
        EXPECT_EQ(IsPopupBlockedForUrl(L"http://later.example/"), 0);
        // What is typed, then the list and the number of refusals so far.
        ExpectGoldenTable("allow-list-dialog.txt", [&](const std::wstring& typed) {
            ::SetDlgItemTextW(dialog, IDC_POPUP_ADDRESS, typed.c_str());
            ClickButton(dialog, IDC_POPUP_ADD);
            return ListedSites(dialog) + Format(L" (%zu refused)", env().messageBoxes.size());
        });
        EXPECT_EQ(IsPopupBlockedForUrl(L"http://www.example.com/x"), 0);

        HWND list = ::GetDlgItem(dialog, IDC_POPUP_SITES);
        ::SendMessageW(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"www.example.com"));
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_POPUP_SITES, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        ClickButton(dialog, IDC_POPUP_REMOVE);
        EXPECT_EQ(ListedSites(dialog), L",Friends.example,later.example");
        EXPECT_EQ(IsPopupBlockedForUrl(L"http://www.example.com/x"), 1);

        ClickButton(dialog, IDC_POPUP_REMOVEALL);
        EXPECT_EQ(ListedSites(dialog), L"");
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_POPUP_REMOVEALL)));
        ClickButton(dialog, IDCANCEL);
    };
    ShowPopupBlockerSettings(nullptr);
    EXPECT_EQ(env().popupSettingsRequests, 1) << "the system's dialog is asked for first";
    EXPECT_EQ(title, L"Pop-up Blocker Settings");
    ExpectGolden("refusals.txt", MessageBoxes());
    EXPECT_TRUE(AllowedSites().empty());
    EXPECT_EQ(IsPopupBlockedForUrl(L"http://friends.example/"), 1);

    // Written as the browser writes it: a zero-length binary value.
    ASSERT_TRUE(AllowSite(L"www.example.com"));
    DWORD type = 0, size = 1;
    EXPECT_EQ(::RegQueryValueExW(allowList.get(), L"www.example.com", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 0u);

    // Where the system shows its own dialog, the product's stays closed.
    env().systemPopupSettings = true;
    env().dialogScript = [](HWND) { ADD_FAILURE() << "no dialog expected"; };
    ShowPopupBlockerSettings(nullptr);
    EXPECT_EQ(env().popupSettingsRequests, 2);
}

TEST(PopupSettingsRealEnvironment, WinesStubIsNeverCalled)
{
    // Wine exports the entry, as a stub that would end this process.
    unique_hmodule library(::LoadLibraryW(L"inetcpl.cpl"));
    EXPECT_TRUE(library && ::GetProcAddress(library.get(), "DisplayPopupWindowManagementDialog"));
    EXPECT_FALSE(RealEnvironment().DisplayPopupWindowManagementDialog(nullptr));
}


class VisitedUrlLogTest : public InstallationFixture {
protected:
    std::wstring path() const { return VisitedUrlLogPath(); }
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
    ExpectGolden("visits.xml", ReadTextFile(path()));

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
    ExpectGolden("visits-after-trim.xml", ReadTextFile(path()));

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
    ExpectGolden("visits-utf16.xml", ReadTextFile(path()));
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
    const std::wstring folder = data.substr(0, data.size() - 1);
    void* left = StartChild(CurrentProgram(), L"log-visits", L"\"" + folder + L"\" left");
    void* right = StartChild(CurrentProgram(), L"log-visits", L"\"" + folder + L"\" right");
    EXPECT_EQ(WaitChild(left), 0);
    EXPECT_EQ(WaitChild(right), 0);
    auto log = XmlDocument::Create();
    ASSERT_TRUE(log->Load(path()));
    std::wstring sides;
    for (const XmlElement& visit : ChildElements(log->Root().Get())) sides += GetText(visit.Get())[7];
    EXPECT_EQ(sides.size(), 81u);
    EXPECT_EQ(std::count(sides.begin(), sides.end(), L'l'), 40);
}

} // namespace
