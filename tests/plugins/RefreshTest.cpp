// The process's plug-in refresh: one refresh per due minute however many
// windows tick, the sign-in and connection gates, stops and holds that end or
// hold back workers blocked anywhere, and refreshes through the SDK stand-in
// merged into the signed-in document.
#include "PluginsFixture.h"

#include "document/ButtonOperations.h"
#include "document/DocumentStore.h"
#include "document/SharedInstanceState.h"
#include "plugins/PluginRefresh.h"
#include "platform/UniqueHandle.h"
#include "platform/XmlDom.h"
#include "support/PluginSdks.h"

#include <functional>
#include <map>
#include <mutex>

namespace marlin::test {
namespace {

// The fake SDK answers one update entry per plug-in whose content names it;
// GetPluginUpdates can be made to block until the test lets it go.
std::atomic<bool> g_block{false};
std::atomic<int> g_inCall{0};
unique_handle g_release;

std::wstring RefreshAnswer(const std::wstring& call)
{
    if (call.starts_with(L"QueryPlugin(")) return call;
    if (!call.starts_with(L"GetPluginUpdates(")) return L"";
    ++g_inCall;
    if (g_block) ::WaitForSingleObject(g_release.get(), INFINITE);
    --g_inCall;
    return L"<U><E>stamp," + call.substr(17, call.size() - 18) + L"</E></U>";
}

class RefreshTest : public PluginsFixture {
protected:
    void SetUp() override
    {
        PluginsFixture::SetUp();
        ResetPluginRefreshState();
        g_release.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        g_block = false;
        InstallLibrary(1, L"EBay");
        InstallLibrary(3, L"YouTube");
        WriteCatalogue(2, 0);
        SharedState().IsLoggedIn = 1;
        SharedState().CurrentToolbar = 2;
        FakeSdk::made = FakeSdk::Make();
        FakeSdk::made->answer = &RefreshAnswer;
        SetPluginSdkFactory(&FakeSdk::Factory);
        SetPluginMerge([this](const std::wstring& id, const std::wstring& toolbar, const std::wstring& content,
                              const std::wstring& image) {
            std::lock_guard lock(m_lock);
            m_merges.push_back(id + L"|" + toolbar + L"|" + content + L"|" + image);
            return m_mergeAnswer.load();
        });
    }
    void TearDown() override
    {
        ::SetEvent(g_release.get());
        StopPluginRefresh();
        StartPluginRefresh();
        WaitUntil([] { return g_inCall == 0; });
        SetPluginMerge(nullptr);
        SetPluginSdkFactory(nullptr);
        FakeSdk::made.Reset();
        ResetSharedState();
        PluginsFixture::TearDown();
    }

    void WriteCatalogue(int ebayFrequency, int youTubeFrequency) const
    {
        WriteTextFile(xmls + L"Plug-in.xml",
                      ToUtf8(Format(L"<R><PlugIn Name=\"EBay\"><ID>1</ID><Frequency>%d</Frequency></PlugIn>"
                                    L"<PlugIn Name=\"YouTube\"><ID>3</ID><Frequency>%d</Frequency></PlugIn></R>",
                                    ebayFrequency, youTubeFrequency)));
    }
    static void WaitUntil(const std::function<bool()>& done)
    {
        for (int i = 0; i < 4000 && !done(); ++i) ::Sleep(5);
    }
    static void WaitIdle()
    {
        WaitUntil([] { return QueuedPluginRefreshes().empty(); });
    }
    std::vector<std::wstring> TakeMerges()
    {
        std::lock_guard lock(m_lock);
        return std::exchange(m_merges, {});
    }
    size_t Count(const char* logEntry) const
    {
        const std::string log = ReadTextFile(errorLog);
        size_t count = 0;
        for (size_t at = log.find(logEntry); at != std::string::npos; at = log.find(logEntry, at + 1)) ++count;
        return count;
    }

    std::mutex m_lock;
    std::vector<std::wstring> m_merges;
    std::atomic<bool> m_mergeAnswer{true};
};

TEST_F(RefreshTest, UpdateListsSplitAtTheFirstComma)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"<U><E>s1,7</E><E>8</E><E>a,b,c</E><E>,9</E></U>", L"s1/7 /8 a/bc /9 "},
        {L"<U>text only</U>", L""},
        {L"not xml", L""},
    };
    for (const auto& [xml, expected] : cases) {
        std::wstring answer;
        for (const PluginUpdate& update : ParsePluginUpdates(xml)) answer += update.stamp + L"/" + update.entry + L" ";
        EXPECT_EQ(answer, expected) << ToUtf8(xml);
    }
    std::wstring many = L"<U>";
    for (int i = 0; i < 1000; ++i) many += L"<E>s,1</E>";
    EXPECT_EQ(ParsePluginUpdates(many + L"</U>").size(), kMaxPluginUpdateEntries);
}

// Frequency 2 refreshes at minutes 2, 4, ... 58 and 0, once, whether one window
// ticks or four; frequency 0 never. The driving window may go: the next drives.
TEST_F(RefreshTest, APluginIsRefreshedOncePerDueMinuteHoweverManyWindowsTick)
{
    for (const size_t windows : {1u, 4u}) {
        ResetMinuteCounter();
        std::vector<PluginRefreshRegistration> registered;
        for (size_t i = 0; i < windows; ++i) registered.push_back(PluginRefreshRegistration::Register(true));
        std::map<int, std::vector<std::wstring>> byMinute;
        for (int round = 1; round <= 60; ++round) {
            if (round == 30 && windows > 1) {
                registered.front() = {};
                EXPECT_TRUE(registered[1].Drives());
                EXPECT_FALSE(registered[2].Drives());
            }
            for (PluginRefreshRegistration& window : registered) window.Tick();
            WaitIdle();
            if (auto merges = TakeMerges(); !merges.empty()) byMinute[round % 60] = merges;
        }
        std::map<int, std::vector<std::wstring>> expected;
        const std::wstring merge = Format(L"1|2|QueryPlugin(%ld,1,2,%lsPlugins\\1\\EBay.dll)|%lsImages\\eBay.ico",
                                          kQueryPluginUpdate, install.c_str(), data.c_str());
        for (int minute = 0; minute < 60; minute += 2) expected[minute] = {merge};
        EXPECT_EQ(byMinute, expected) << windows << " windows";
    }
    EXPECT_EQ(ReadTextFile(errorLog), "");
}

// Signed out nothing runs and nothing is logged; offline is logged when it
// starts; a stop lasts until a start.
TEST_F(RefreshTest, GatesAndStops)
{
    WriteCatalogue(1, 0);
    enum Action { None, Stop, Start, SignOut };
    struct Step {
        const char* what;
        LONG signedIn;
        BOOL connected;
        Action action;
        size_t started, offlineLogs;
    };
    const Step steps[] = {
        {"signed out and offline", 0, FALSE, None, 0, 0},
        {"still signed out", 0, FALSE, None, 0, 0},
        {"signed in, offline", 1, FALSE, None, 0, 1},
        {"still offline", 1, FALSE, None, 0, 1},
        {"online", 1, TRUE, None, 1, 1},
        {"offline again", 1, FALSE, None, 0, 2},
        {"stopped", 1, TRUE, Stop, 0, 2},
        {"still stopped", 1, TRUE, None, 0, 2},
        {"started", 1, TRUE, Start, 1, 2},
        {"stopped again", 1, TRUE, Stop, 0, 2},
        {"signed out, still stopped", 0, TRUE, None, 0, 2},
        {"signed in, still stopped", 1, TRUE, None, 0, 2},
        {"signed out: the workers stop, nothing starts", 0, TRUE, SignOut, 0, 2},
        {"signed in again", 1, TRUE, None, 1, 2},
    };
    PluginRefreshRegistration window = PluginRefreshRegistration::Register(true);
    for (const Step& step : steps) {
        SharedState().IsLoggedIn = step.signedIn;
        env().connected = step.connected;
        if (step.action == Stop || step.action == SignOut) StopPluginRefresh();
        if (step.action == Start) StartPluginRefresh();
        if (step.action == SignOut) StartPluginRefresh(); // the sign-in button stops and starts
        EXPECT_EQ(window.Tick(), step.started) << step.what;
        WaitIdle();
        EXPECT_EQ(TakeMerges().size(), step.started) << step.what;
        EXPECT_EQ(Count("Not Connected to Network"), step.offlineLogs) << step.what;
    }
    EXPECT_EQ(Count("RunPluginUpdate failed"), 0u);

    // A failed merge is a failed refresh.
    m_mergeAnswer = false;
    window.Tick();
    WaitIdle();
    EXPECT_EQ(Count("[ThreadFunction][RunAutoUpdates][RunPluginUpdate failed]"), 1u);
}

// A worker blocked inside the SDK is not started twice; a stop returns within
// its bound, and once the call returns nothing is left running or locked. A
// worker held back by an open menu ends at a stop.
TEST_F(RefreshTest, StopsEndBlockedAndHeldWorkers)
{
    WriteCatalogue(1, 0);
    PluginRefreshRegistration window = PluginRefreshRegistration::Register(true);
    g_block = true;
    EXPECT_EQ(window.Tick(), 1u);
    WaitUntil([] { return g_inCall == 1; });
    EXPECT_EQ(window.Tick(), 0u) << "still being refreshed";
    EXPECT_FALSE(StopPluginRefresh(50));
    EXPECT_EQ(Count("[CInvisibleWnd][StopPluginTimer][Failed to Terminate Thread]"), 1u);
    EXPECT_TRUE(QueuedPluginRefreshes().empty());
    ::SetEvent(g_release.get());
    WaitUntil([] { return g_inCall == 0; });
    g_block = false;

    StartPluginRefresh();
    EXPECT_EQ(window.Tick(), 1u);
    WaitIdle();
    EXPECT_EQ(TakeMerges().size(), 1u) << "the stopped refresh merged nothing; the next one runs";

    {
        const PluginRefreshHold hold;
        EXPECT_EQ(window.Tick(), 1u);
        ::Sleep(50);
        EXPECT_EQ(QueuedPluginRefreshes().size(), 1u) << "held back";
        EXPECT_TRUE(StopPluginRefresh()) << "a held worker ends at a stop";
        EXPECT_TRUE(QueuedPluginRefreshes().empty());
        StartPluginRefresh();
        EXPECT_EQ(window.Tick(), 1u);
    }
    WaitIdle();
    EXPECT_EQ(TakeMerges().size(), 1u) << "released when the hold goes";
    EXPECT_EQ(Count("RunPluginUpdate failed"), 0u);
}

// End to end with the SDK stand-in and its script: no SDK, no refresh; with
// it, the update list's entries are asked for and merged; an entry without
// content fails the refresh (the others are still merged).
TEST_F(RefreshTest, RefreshesThroughTheSdkStandIn)
{
    WriteCatalogue(1, 0);
    FakeSdk::made.Reset();
    {
        PluginRefreshRegistration window =
            PluginRefreshRegistration::Register(PluginSdkLink::InitializeMarlinToolbarPluginSDK());
        EXPECT_EQ(window.Tick(), 1u);
        WaitIdle();
    }
    EXPECT_TRUE(TakeMerges().empty());
    EXPECT_EQ(ReadTextFile(errorLog), "");

    const std::wstring sdkFolder = MakeFolder(L"Sdk");
    const StandInSdk standIn(sdkFolder,
                             "<PluginSdk><GetPartnerKey Text=\"KEY\"/><Plugin ID=\"1\"><Updates><U>s1,7</U><U>s2,8</U></Updates>"
                             "<Content Number=\"7\"><ButtDesc name=\"E\"><Item caption=\"A\"/></ButtDesc></Content>"
                             "<Content Number=\"9\"><ButtDesc name=\"E\"><Item caption=\"B\"/></ButtDesc></Content></Plugin>"
                             "</PluginSdk>");
    {
        PluginRefreshRegistration window =
            PluginRefreshRegistration::Register(PluginSdkLink::InitializeMarlinToolbarPluginSDK());
        EXPECT_EQ(window.Tick(), 1u);
        WaitIdle();
    }
    std::wstring transcript;
    for (const std::wstring& merge : TakeMerges()) transcript += merge + L"\r\n";
    transcript += L"--- PluginSdk.log\r\n" + FromUtf8(ReadTextFile(sdkFolder + L"PluginSdk.log"));
    ExpectGolden("refresh-through-stand-in.txt", ToUtf8(transcript));
    EXPECT_EQ(Count("[ThreadFunction][RunAutoUpdates][RunPluginUpdate failed]"), 1u) << "entry 8 has no content";
}

// Workers merging into the signed-in document while the window's thread adds
// buttons to it: every edit of both is kept.
TEST_F(RefreshTest, WorkersAndTheWindowEditTheDocumentTogetherWithoutLoss)
{
    WriteCatalogue(1, 1);
    WriteTextFile(LoginDocumentPath(), "<Root><Tab Name=\"A\" TabID=\"1\"><Buttons ID=\"1\" PluginType=\"1\" PluginId=\"1\">"
                                       "<ButtDesc name=\"EBay\"/></Buttons><Buttons ID=\"2\" PluginType=\"1\" PluginId=\"3\">"
                                       "<ButtDesc name=\"YouTube\"/></Buttons></Tab><Tab Name=\"Add\" type=\"0\"/></Root>");
    std::atomic<int> merged{0}, calls{0};
    SetPluginMerge([&](const std::wstring& id, const std::wstring&, const std::wstring& content, const std::wstring& image) {
        // A caption of its own each time: every merge changes the document.
        PluginEntry entry{content + Format(L" #%d", ++calls), image, L"", L"", {}};
        const bool stored = CButtonOperations().SetPluginData({L"A", 1}, id, {entry});
        merged += stored;
        return stored;
    });
    PluginRefreshRegistration window = PluginRefreshRegistration::Register(true);
    constexpr int kRounds = 5, kAddsPerRound = 4;
    for (int round = 0; round < kRounds; ++round) {
        EXPECT_EQ(window.Tick(), 2u);
        for (int add = 0; add < kAddsPerRound; ++add) {
            EXPECT_TRUE(CButtonOperations().AddButton({L"A", 1}, 99, {Format(L"Mine %d.%d", round, add), L"", L"", L""}));
        }
        WaitIdle();
    }
    EXPECT_EQ(merged, 2 * kRounds);
    auto document = XmlDocument::Create();
    ASSERT_TRUE(document->Load(LoginDocumentPath()));
    const auto buttons = ChildElements(ChildElements(document->Root().Get())[0].Get());
    ASSERT_EQ(buttons.size(), 2u + kRounds * kAddsPerRound);
    for (int plugin = 0; plugin < 2; ++plugin) {
        const auto items = ChildElements(ChildElements(buttons[plugin].Get())[0].Get());
        ASSERT_EQ(items.size(), 1u);
        EXPECT_NE(GetAttribute(items[0].Get(), L"caption").value_or(L"").find(L"Plugins\\"), std::wstring::npos);
    }
    EXPECT_EQ(ReadTextFile(errorLog), "");
}

} // namespace
} // namespace marlin::test
