#include "PluginsFixture.h"

#include "plugins/PluginLibrary.h"

namespace marlin::test {
namespace {

class LibraryTest : public PluginsFixture {};

// Each line names a plug-in (identifier,name) and who calls it; the answer
// gives the outcome, what reached the sink and the messages shown. No library
// stays loaded.
TEST_F(LibraryTest, FetchDataIsCalledOnceAndItsAnswerTakenOrRefused)
{
    for (const wchar_t* name : {L"Echo", L"Empty", L"Null", L"Huge", L"Faults", L"Bogus", L"Throws", L"Hangs"}) {
        InstallLibrary(1, name);
    }
    const unique_handle release(::CreateEventW(nullptr, TRUE, FALSE, L"MarlinTestPluginRelease"));
    InstallLibrary(2, L"Bare", MARLIN_TEST_PLUGIN_BARE);
    ASSERT_TRUE(WriteTextFile(MakeFolder(L"Install\\Plugins\\3") + L"Text.dll", "not a library"));
    // Where "..\..\Echo" of plug-in 1 leads.
    const std::wstring outside = install + L"Echo.dll";
    ASSERT_TRUE(::CopyFileW(WinePath(MARLIN_TEST_PLUGIN).c_str(), outside.c_str(), FALSE));

    ExpectGoldenTable("fetch-data.txt", [&](const std::wstring& input) {
        const size_t comma = input.find(L','), blank = input.find(L' ');
        const PluginRecord plugin{ParseInt(input), 0, input.substr(comma + 1, blank - comma - 1)};
        const auto caller = input.ends_with(L"manager") ? PluginCaller::Manager : PluginCaller::Toolbar;
        std::wstring stored;
        ::ResetEvent(release.get());
        const auto outcome = CallFetchData(
            plugin, RECT{-10, 20, 300, 44}, 2, caller,
            [&](const std::wstring& id, const std::wstring& toolbar, const std::wstring& data) {
                stored += id + L"|" + toolbar + L"|" + data;
            },
            plugin.name == L"Hangs" ? 50 : kFetchDataTimeoutMs);
        const auto path = PluginLibraryPath(plugin.id, plugin.name);
        // A call left running unloads its library once it returns.
        ::SetEvent(release.get());
        for (int i = 0; i < 400 && path && ::GetModuleHandleW(path->c_str()); ++i) ::Sleep(50);
        EXPECT_EQ(::GetModuleHandleW((path ? *path : outside).c_str()), nullptr) << "left loaded: " << ToUtf8(input);
        const std::wstring boxes = ReplaceAll(FromUtf8(MessageBoxes()), L"\r\n", L"; ");
        env().messageBoxes.clear();
        return Format(L"%d %ls %ls", static_cast<int>(outcome), stored.c_str(), boxes.c_str());
    });
    ExpectGolden("fetch-data-log.xml", ReadTextFile(errorLog));
}

} // namespace
} // namespace marlin::test
