// Plug-in data as plug-ins answer it, hostile or not, and how it is stored.
#include "PluginsFixture.h"

#include "document/DocumentStore.h"
#include "plugins/PluginData.h"

namespace marlin::test {
namespace {

std::wstring Flags(const PluginSubEntry& sub)
{
    return std::wstring(sub.popup ? L"p" : L"") + (sub.newWindow ? L"n" : L"") + (sub.sliderWindow ? L"s" : L"") +
           (sub.enabled ? L"" : L"x");
}

// "(refused)", or the button and each entry with its sub-entries, in a line.
std::wstring Render(const std::optional<PluginDescription>& description)
{
    if (!description) return L"(refused)";
    const EntryRecord& button = description->button;
    std::wstring text = L"[" + button.caption + L"|" + button.iconPath + L"|" + button.url + L"]";
    for (const PluginEntry& entry : description->entries) {
        text += L" " + entry.caption + L"(" + entry.iconPath + L"|" + entry.toolTip + L"|" + entry.keywordSearchUrl + L")";
        for (const PluginSubEntry& sub : entry.subEntries) {
            text += L" <" + sub.caption + L"|" + sub.url + L"|" + Flags(sub) + L"|" + sub.cid + L"," + sub.catId + L">";
        }
    }
    return text;
}

std::wstring Repeat(const std::wstring& part, size_t times)
{
    std::wstring text;
    text.reserve(part.size() * times);
    for (size_t i = 0; i < times; ++i) text += part;
    return text;
}

class PluginDataTest : public PluginsFixture {};

TEST_F(PluginDataTest, ParsesButtDescInAnyCaseAndRefusesTheRest)
{
    ExpectGoldenTable("plugin-data.txt", [](const std::wstring& input) { return Render(ParsePluginData(input)); });
}

TEST_F(PluginDataTest, HostileDataIsBoundedOrRefused)
{
    const std::wstring manyItems = L"<ButtDesc name=\"b\">" + Repeat(L"<Item caption=\"i\"/>", 10000) + L"</ButtDesc>";
    const std::wstring manySubItems =
        L"<ButtDesc><Item caption=\"i\">" + Repeat(L"<SubItem caption=\"s\"/>", 10000) + L"</Item></ButtDesc>";
    const std::wstring deep = L"<ButtDesc>" + Repeat(L"<Item>", 100000) + Repeat(L"</Item>", 100000) + L"</ButtDesc>";
    const std::wstring huge = L"<ButtDesc name=\"" + std::wstring(10 * 1024 * 1024, L'x') + L"\"/>";
    struct Case {
        const char* what;
        const std::wstring& text;
        bool parsed;
        size_t entries, subEntries;
    } cases[] = {
        {"10,000 items: the first 20 children", manyItems, true, 20, 0},
        {"10,000 sub-items: the first kMaxSubEntries", manySubItems, true, 1, kMaxSubEntries},
        {"10 MB: refused before parsing", huge, false, 0, 0},
    };
    for (const Case& test : cases) {
        const auto description = ParsePluginData(test.text);
        ASSERT_EQ(description.has_value(), test.parsed) << test.what;
        if (!description) continue;
        EXPECT_EQ(description->entries.size(), test.entries) << test.what;
        EXPECT_EQ(description->entries.front().subEntries.size(), test.subEntries) << test.what;
    }
    // Deep nesting: refused by the parser or read as the one top entry; either way no crash.
    const auto nested = ParsePluginData(deep);
    EXPECT_LE(nested ? nested->entries.size() : 0u, 1u);
}

class StorePluginDataTest : public PluginsFixture {
protected:
    void SetUp() override
    {
        PluginsFixture::SetUp();
        Install(true);
        ASSERT_TRUE(WriteTextFile(LoginDocumentPath(), ToUtf8(DocumentTemplate(true))));
    }
};

TEST_F(StorePluginDataTest, WritesThePluginsEntriesAndLeavesEverythingElse)
{
    const std::wstring data =
        L"<buttdesc name=\"Other name\" img=\"Other.ico\">"
        L"<Item caption=\"Deals &amp; offers\" img=\"Ebay.ico\" ToolTipText=\"Deals\">"
        L"<SubItem caption=\"Today\" UrlString=\"http://deals.example/?a=1&amp;b=2\" newwindow=\"popup\" cid=\"4\"/>"
        L"</Item><Item caption=\"Settings\" img=\"pluginsettings.ico\"/></buttdesc>";
    const std::string before = ReadTextFile(LoginDocumentPath());
    const long stored = PluginDataChanges();
    // Refused, nothing written: bad data, an index that is no real toolbar, an unknown plug-in.
    EXPECT_FALSE(StorePluginData(L"1", L"0", L"<ButtDesc><Item caption=\"x\">"));
    EXPECT_FALSE(StorePluginData(L"1", L"1", data)) << "the pseudo-toolbar";
    EXPECT_FALSE(StorePluginData(L"1", L"-1", data));
    EXPECT_FALSE(StorePluginData(L"1", L"0x0", data));
    EXPECT_FALSE(StorePluginData(L"9", L"0", data));
    EXPECT_FALSE(StorePluginData(L"", L"0", data));
    EXPECT_EQ(ReadTextFile(LoginDocumentPath()), before);
    EXPECT_EQ(PluginDataChanges(), stored);

    ASSERT_TRUE(StorePluginData(L"1", L"0", data));
    EXPECT_EQ(PluginDataChanges(), stored + 1);
    ExpectGolden("plugin-data-stored.xml", ReadTextFile(LoginDocumentPath()));
}

} // namespace
} // namespace marlin::test
