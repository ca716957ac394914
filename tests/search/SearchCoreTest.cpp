// The engines and the composition of a search address; the search history and
// the keyword list against the real registry and settings file, from one and
// from several windows and processes.
#include "document/SharedInstanceState.h"
#include "search/SearchEngines.h"
#include "search/SearchHistory.h"
#include "search/WebSearch.h"
#include "support/Installation.h"
#include "support/Processes.h"

#include "StandInBrowser.h"

#include <algorithm>

using namespace marlin;
using namespace marlin::test;

namespace {

TEST(SearchEngineTest, EnginesAreFoundAndQueriesComposed)
{
    EXPECT_STREQ(FindEngineByName(L"MyGoogleSearch")->name, L"Google");
    EXPECT_STREQ(FindEngineByName(L"Yahoo")->name, L"Yahoo");
    EXPECT_EQ(FindEngineByName(L"msn"), nullptr) << "names match case-sensitively";
    EXPECT_STREQ(FindEngineByCommand(32790)->name, L"MSN");
    EXPECT_EQ(FindEngineByCommand(32793), nullptr);

    const std::wstring google = EngineUrlTemplate(*FindEngineByName(L"Google"));
    struct Case {
        std::wstring urlTemplate, query, address;
    };
    const Case cases[] = {
        {google, L"a b&c", L"https://www.google.com/search?hl=en&q=a%20b%26c&meta="},
        {L"q=TEXT", L" &><[]\"^`+$?,@:;/!#=*",
         L"q=%20%26%3E%3C%5B%5D%22%5E%60%2B%24%3F%2C%40%3A%3B%2F%21%23%3D%2A"},
        {L"q=TEXT", L"100% \\{}|~'()-_.\x00e9\x4e2d", L"q=100%%20\\{}|~'()-_.\x00e9\x4e2d"},
        {L"q=TEXT&r=TEXT", L"TEXT TEXT", L"q=TEXT%20TEXT&r=TEXT%20TEXT"},
        {L"https://host/?q=", L"a b", L"https://host/?q=a%20b"},
    };
    for (const Case& c : cases) EXPECT_EQ(ComposeSearchAddress(c.urlTemplate, c.query), c.address) << c.query;
}

TEST(SearchEngineTest, KeywordsAreNeverCut)
{
    const std::wstring full(251, L'x'); // one keyword of 251 characters
    struct Case {
        std::wstring keywords, query, expected;
    };
    const Case cases[] = {
        {L"", L"cars", L"cars"},
        {L"cars\tboats", L"car", L"cars\tboats"}, // part of a stored keyword
        {L"cars\tboats", L"Cars", L"cars\tboats\tCars"},
        {L"a\tb\t" + full, L"c", full + L"\tc"},         // the oldest whole keywords go
        {full, L"abcd", L"abcd"},                         // 255 would not fit
        {L"cars", std::wstring(255, L'y'), L"cars"},      // too long to be stored at all
        {L"\t\tnonsense\t", L"z", L"\t\tnonsense\t\tz"},  // hand-edited: kept as it is
    };
    for (const Case& c : cases) {
        const std::wstring result = AppendKeyword(c.keywords, c.query);
        EXPECT_EQ(result, c.expected) << c.keywords.size() << " + " << c.query.size();
        EXPECT_LE(result.size(), kMaxKeyWordsChars);
    }
}

class SearchHistoryTest : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        Install(true);
    }

    static std::vector<std::wstring> Stored()
    {
        std::vector<std::wstring> names;
        const unique_hkey key = OpenRegistryKey(HKEY_CURRENT_USER, kSearchHistoryKey, KEY_READ);
        wchar_t name[16384];
        for (DWORD i = 0, length = 16384; key && ::RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr,
                                                                  nullptr, nullptr) == ERROR_SUCCESS;
             ++i, length = 16384) {
            names.emplace_back(name, length);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static void Store(const std::wstring& name)
    {
        const DWORD one = 1;
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kSearchHistoryKey, name.c_str(), REG_DWORD, &one, sizeof one);
    }
    std::wstring Keywords() const { return Ini(kKeyWordsSetting); }
};

TEST_F(SearchHistoryTest, RecordingFollowsTheRulesOfBothStores)
{
    CSearchHistory history;
    Store(L"shoes");
    history.LoadHistory();
    history.RecordSearch(L"Shoes", true);
    EXPECT_EQ(Stored(), std::vector<std::wstring>{L"shoes"}) << "already stored, case ignored";
    EXPECT_EQ(Keywords(), L"Shoes");

    history.RecordSearch(L"boots", false);
    EXPECT_EQ(Stored(), std::vector<std::wstring>{L"shoes"}) << "signed out";
    EXPECT_EQ(Keywords(), L"Shoes\tboots");

    history.ClearHistory();
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kSearchHistoryKey));
    EXPECT_EQ(Keywords(), L"");
    history.LoadHistory();
    EXPECT_TRUE(history.Entries().empty());

    SetIni(kKeyWordsSetting, L"cars\tboats\t\tvans");
    history.LoadStoredHistory();
    EXPECT_TRUE(history.Entries().empty()) << "keywords are no stored history";
    history.LoadHistory();
    EXPECT_EQ(history.Entries(), (std::vector<std::wstring>{L"", L"boats", L"cars", L"vans"})) << "seeded and sorted";
}

TEST_F(SearchHistoryTest, TheFiftiethEntryEvictsTheLastAndSuggestionsPreferRecentOnes)
{
    for (int i = 0; i < 50; ++i) Store(Format(L"query %02d", i));
    CSearchHistory history;
    history.LoadHistory();
    history.RecordSearch(L"Query new", true);
    const std::vector<std::wstring> stored = Stored();
    EXPECT_EQ(stored.size(), 50u);
    EXPECT_EQ(stored.back(), L"query 48") << "query 49 was the last of the list";
    EXPECT_EQ(history.Entries().front(), L"Query new");

    history.RecordSearch(L"query zz", true);
    EXPECT_EQ(history.Suggestions(L"QUERY"),
              (std::vector<std::wstring>{L"query zz", L"Query new", L"query 00", L"query 01", L"query 02",
                                         L"query 03", L"query 04", L"query 05", L"query 06", L"query 07"}));
    EXPECT_TRUE(history.Suggestions(L"").empty());
    EXPECT_TRUE(history.Suggestions(L"nothing").empty());
}

TEST_F(SearchHistoryTest, StrayAndOverlongNamesNeitherStopNorSwellTheHistory)
{
    const unique_hkey key = CreateRegistryKey(HKEY_CURRENT_USER, kSearchHistoryKey, KEY_ALL_ACCESS);
    for (int i = 0; i < 3000; ++i) WriteRegistryString(key.get(), Format(L"stray %05d", i).c_str(), L"x");
    const std::wstring overlong(300, L'o');
    Store(overlong);
    CSearchHistory history;
    history.LoadHistory();
    EXPECT_EQ(history.Entries().size(), 3001u);
    EXPECT_EQ(history.Entries().front(), overlong);
    history.RecordSearch(L"fresh", true);
    const std::vector<std::wstring> stored = Stored();
    EXPECT_EQ(stored.size(), kMaxHistoryEntries);
    EXPECT_EQ(stored.front(), L"fresh");
}

// One window of another process: loads, then records its queries. Args:
// registry root, Windows folder, queries.
int SearchFromOtherProcess(const std::vector<std::wstring>& args)
{
    RedirectRegistry(args.at(0));
    ScriptedEnvironment::Instance().windowsDirectory = args.at(1);
    CSearchHistory history;
    history.LoadHistory();
    for (size_t i = 2; i < args.size(); ++i) history.RecordSearch(args[i], true);
    return 0;
}
const ChildRegistration kSearchChild{L"search", &SearchFromOtherProcess};

TEST_F(SearchHistoryTest, WindowsAndProcessesSearchingInTurnLoseNothing)
{
    CSearchHistory first, second;
    first.LoadHistory();
    second.LoadHistory();
    for (int i = 0; i < 20; ++i) {
        first.RecordSearch(Format(L"first %d", i), true);
        second.RecordSearch(Format(L"second %d", i), true);
    }
    EXPECT_EQ(Stored().size(), 40u);

    first.RecordSearch(L"before", true);
    ASSERT_EQ(WaitChild(StartChild(CurrentProgram(), L"search", QuoteCommandLineArgument(registryRoot()) + L" " +
                                                      QuoteCommandLineArgument(env().windowsDirectory) +
                                                      L" other1 other2")), 0);
    first.RecordSearch(L"after", true);
    const std::vector<std::wstring> stored = Stored();
    EXPECT_EQ(stored.size(), 44u);
    EXPECT_TRUE(std::ranges::find(stored, L"other2") != stored.end());
}

TEST_F(SearchHistoryTest, ASearchRecordsThenNavigatesAndBlanksDoNothing)
{
    ComPtr<standin::StandInBrowser> browser = standin::StandInBrowser::Make(nullptr);
    SharedState().IsLoggedIn = 1;
    CWebSearch search;
    search.SetBrowser(browser.Get());
    EXPECT_FALSE(search.RunSearch(L" \t \t"));
    EXPECT_FALSE(search.SetEngine(L"Bing"));
    EXPECT_TRUE(search.RunSearch(L"  a b&c\t"));
    EXPECT_TRUE(search.SetEngine(L"AOL"));
    EXPECT_TRUE(search.RunSearch(L"x"));
    ASSERT_EQ(browser->NavigationRequests().size(), 2u);
    EXPECT_EQ(browser->NavigationRequests()[0].url, L"https://www.google.com/search?hl=en&q=a%20b%26c&meta=");
    EXPECT_EQ(browser->NavigationRequests()[1].url, L"https://search.aol.com/aol/search?query=x");
    EXPECT_EQ(Stored(), (std::vector<std::wstring>{L"a b&c", L"x"}));
    EXPECT_EQ(Keywords(), L"a b&c\tx");

    search.SetBrowser(nullptr);
    EXPECT_FALSE(search.RunSearch(L"y")) << "no browser: recorded, not navigated";
    EXPECT_EQ(Keywords(), L"a b&c\tx\ty");
}

} // namespace
