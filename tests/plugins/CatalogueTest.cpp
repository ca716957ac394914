#include "PluginsFixture.h"

#include "plugins/PluginCatalogue.h"

namespace marlin::test {
namespace {

class CatalogueTest : public PluginsFixture {};

// Each line of the table is a catalogue; the answer gives what the scheduler's
// and manager's reader lists, what the toolbar's lists, and the category of plug-in 1.
TEST_F(CatalogueTest, ReadersListWhatTheCatalogueNames)
{
    for (const auto& [id, name] : {std::pair{1, L"Data"}, {3, L"Other"}}) InstallLibrary(id, name);
    // Files a path leaving Plugins\<id>\ would reach.
    ASSERT_TRUE(WriteTextFile(install + L"Evil.dll", "MZ"));
    ASSERT_TRUE(WriteTextFile(install + L"Plugins\\1\\.dll", "MZ"));
    ExpectGoldenTable("catalogues.txt", [&](const std::wstring& input) {
        const std::wstring path = xmls + L"Plug-in.xml";
        ::DeleteFileW(path.c_str());
        if (input != L"(missing)") WriteTextFile(path, ToUtf8(input));
        std::vector<PluginRecord> records;
        std::vector<PluginTextRecord> texts;
        std::wstring answer = LoadPluginCatalogue(records) ? L"" : L"(failed) ";
        for (const PluginRecord& r : records) answer += Format(L"{%d,%d,%ls} ", r.id, r.frequency, r.name.c_str());
        answer += LoadPluginCatalogue(texts) ? L"| " : L"| (failed) ";
        for (const auto& t : texts) answer += L"{" + t.id + L"," + t.frequency + L"," + t.name + L"} ";
        return answer + L"| " + GetSuggestedCategory(1);
    });
}

TEST_F(CatalogueTest, LibraryPathsStayInsideThePluginsFolder)
{
    ExpectGoldenTable("library-paths.txt", [](const std::wstring& input) {
        const size_t comma = input.find(L',');
        const PluginTextRecord text{input.substr(0, comma), L"", input.substr(comma + 1)};
        const auto path = PluginLibraryPath(text.id, text.name);
        const auto record = ToPluginRecord(text);
        // The text form and the record it converts to lead to the same library.
        EXPECT_EQ(path, record ? PluginLibraryPath(record->id, record->name) : std::nullopt) << ToUtf8(input);
        return path ? *path : std::wstring(L"(refused)");
    }, install);
}

} // namespace
} // namespace marlin::test
