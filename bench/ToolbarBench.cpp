// The toolbar window on its own: building the row for the default documents
// and for long toolbars, an idle synchronisation tick, a rebuild after an
// edit, and a soak of 2,000 rebuilds and 2,000 menu openings that prints what
// the process holds before and after. Prints figures; asserts nothing.
#include "config/ApplicationSettings.h"
#include "config/InstallPaths.h"
#include "config/Skins.h"
#include "document/ButtonOperations.h"
#include "document/DocumentStore.h"
#include "document/SharedInstanceState.h"
#include "platform/ComTypes.h"
#include "platform/Registry.h"
#include "support/ScriptedEnvironment.h"
#include "support/TestIsolation.h"
#include "toolbar/IconCache.h"
#include "toolbar/MarlinToolbarCtrl.h"

#include "BenchInstallation.h"
#include "BenchToolbar.h"
#include "BenchTiming.h"

#include <psapi.h>

#include <cstdio>

using namespace marlin;

namespace {

std::wstring ToolbarOf(int buttons)
{
    std::wstring xml = L"<Root Default=\"1\"><Tab Name=\"Main\" TabID=\"1\">"
                       L"<Buttons ID=\"1\" PluginType=\"9\"><ButtDesc name=\"Home\" img=\"MarlinToolbar.ico\"/></Buttons>";
    static const wchar_t* const kIcons[] = {L"Features.ico", L"Search.ico", L"YouTube.ico", L"eBay.ico"};
    for (int i = 2; i <= buttons; ++i) {
        xml += Format(L"<Buttons ID=\"%d\" PluginType=\"0\"><ButtDesc name=\"Button %d\" img=\"%ls\" "
                      L"UrlString=\"http://b%d.example/\"><Item caption=\"Entry\" UrlString=\"http://e.example/\"/>"
                      L"</ButtDesc></Buttons>",
                      i, i, kIcons[i % 4], i);
    }
    return xml + L"</Tab><Tab Name=\"Add Toolbar\" type=\"0\"/></Root>";
}

// What the process holds: private memory, windows of this thread, and the
// value of a fresh GDI handle (Wine hands out the lowest free slot, so the
// value grows only while handles leak; GetGuiResources answers 0 there).
struct Holdings {
    SIZE_T privateBytes = 0;
    int windows = 0;
    ULONG_PTR gdiSlot = 0;
    ULONG_PTR userSlot = 0;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    ::EnumChildWindows(window, [](HWND, LPARAM n) -> BOOL { ++*reinterpret_cast<int*>(n); return TRUE; }, count);
    return TRUE;
}

Holdings Measure()
{
    Holdings holdings;
    PROCESS_MEMORY_COUNTERS_EX memory{sizeof(memory)};
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                               sizeof(memory))) {
        holdings.privateBytes = memory.PagefileUsage;
    }
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&holdings.windows));
    unique_hbrush probe(::CreateSolidBrush(RGB(1, 2, 3)));
    holdings.gdiSlot = reinterpret_cast<ULONG_PTR>(probe.get()) & 0xFFFF;
    unique_hmenu menu(::CreatePopupMenu());
    holdings.userSlot = reinterpret_cast<ULONG_PTR>(menu.get()) & 0xFFFF;
    return holdings;
}

void PrintHoldings(const char* when, const Holdings& h)
{
    std::printf("  %-28s %8zu KB committed, %3d windows, GDI slot %5lu, USER slot %5lu\n", when, h.privateBytes / 1024,
                h.windows, static_cast<unsigned long>(h.gdiSlot), static_cast<unsigned long>(h.userSlot));
}

} // namespace

int main()
{
    OleInitScope ole; // as the browser's window threads
    BenchInstallation installation(L"marlin-toolbar-bench", MARLIN_IMAGES_DIR);
    const std::wstring& data = installation.data;
    test::ScriptedEnvironment::Instance().chooseMenuCommand = [](HMENU) { return 0u; };

    BenchToolbar window(data);
    CMarlinToolbarCtrl& toolbar = window.toolbar;
    const std::wstring login = data + L"XMLS\\MarlinToolbarLogin.xml";

    std::printf("toolbar window (median, ms)\n");
    const double defaultRow = MedianMs(21, [&] { toolbar.RefreshToolbar(0); });
    test::WriteTextFile(login, ToUtf8(ToolbarOf(50)));
    toolbar.RefreshToolbar(0);
    const double fiftyRow = MedianMs(21, [&] { toolbar.RefreshToolbar(0); });
    test::WriteTextFile(login, ToUtf8(ToolbarOf(500)));
    toolbar.RefreshToolbar(0);
    const double fiveHundredRow = MedianMs(5, [&] { toolbar.RefreshToolbar(0); });
    const double resize500 = MedianMs(5, [&] {
        ::SendMessageW(toolbar.hwnd(), WM_SIZE, 0, MAKELPARAM(600, 30));
        ::SendMessageW(toolbar.hwnd(), WM_SIZE, 0, MAKELPARAM(1200, 30));
    });
    test::WriteTextFile(login, ToUtf8(ToolbarOf(50)));
    toolbar.RefreshToolbar(0);

    const double idleTick = MedianMs(51, [&] { toolbar.SynchronizeWithOtherWindows(); });
    const double settingsRead = MedianMs(21, [] { InitializeApplicationSettings(); });
    const double skinLoad = MedianMs(21, [] { LoadSkin(); });
    const double editTick = MedianMs(
        21, [&] { toolbar.SynchronizeWithOtherWindows(); }, [] { RaiseChange(SharedState().ButtonsChanged); });
    CButtonOperations buttons;
    NewButton added{L"Added", L"", L"", L"http://added.example/", 0};
    const double editAndRebuild = MedianMs(11, [&] {
        buttons.AddButton(ToolbarRef{L"Main", 1}, 0, added);
        toolbar.RefreshToolbar(0);
    });

    // The tab strip paints off-screen and copies once, however many tabs it holds.
    const auto stripPaint = [&](int tabCount) {
        std::vector<std::wstring> names;
        for (int i = 1; i <= tabCount; ++i) names.push_back(Format(L"Toolbar %d", i));
        CFlatTabCtrl& strip = toolbar.TabStrip();
        strip.BuildTabs(names, true);
        strip.SelectTab(tabCount / 2);
        return MedianMs(51, [&] {
            ::RedrawWindow(strip.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        });
    };
    const double strip5 = stripPaint(5);
    const double strip40 = stripPaint(40);
    toolbar.RefreshToolbar(0);

    const double smallest = std::min({defaultRow, fiftyRow, fiveHundredRow});
    std::printf("%-44s %10.3f  x%.1f\n", "row for the default login document", defaultRow, defaultRow / smallest);
    std::printf("%-44s %10.3f  x%.1f\n", "row for a 50-button toolbar", fiftyRow, fiftyRow / smallest);
    std::printf("%-44s %10.3f  x%.1f\n", "row for a 500-button toolbar", fiveHundredRow, fiveHundredRow / smallest);
    std::printf("%-44s %10.3f\n", "500 buttons: narrow and widen again", resize500);
    std::printf("%-44s %10.3f  x%.1f\n", "idle synchronisation tick", idleTick, 1.0);
    std::printf("%-44s %10.3f\n", "settings read (each band load)", settingsRead);
    std::printf("%-44s %10.3f\n", "LoadSkin (part of the settings read)", skinLoad);
    std::printf("%-44s %10.3f  x%.1f\n", "tick after another window changed buttons", editTick, editTick / idleTick);
    std::printf("%-44s %10.3f\n", "add a button and rebuild the row", editAndRebuild);
    std::printf("%-44s %10.3f\n", "tab strip paint, 5 tabs", strip5);
    std::printf("%-44s %10.3f  x%.1f\n", "tab strip paint, 40 tabs (scrolled)", strip40, strip40 / strip5);
    ReportFigure("row rebuild, default login document", defaultRow);
    ReportFigure("row rebuild, 50-button toolbar (ratio: default)", fiftyRow, "ms", fiftyRow / defaultRow);
    ReportFigure("row rebuild, 500-button toolbar (ratio: default)", fiveHundredRow, "ms", fiveHundredRow / defaultRow);
    ReportFigure("idle synchronisation tick", idleTick);
    ReportFigure("tick after another window's edit (ratio: idle)", editTick, "ms", editTick / idleTick);
    ReportFigure("tab strip paint, 40 tabs (ratio: 5 tabs)", strip40, "ms", strip40 / strip5);
    ReportFigure("settings read with the skin, each band load", settingsRead);

    // Soak: what 2,000 rebuilds and 2,000 menu openings leave behind.
    test::WriteTextFile(login, ToUtf8(ToolbarOf(12)));
    auto openMenus = [&] {
        NMTOOLBARW notice{};
        notice.hdr.hwndFrom = toolbar.ButtonToolbar();
        notice.hdr.code = TBN_DROPDOWN;
        notice.iItem = 1;
        ::SendMessageW(toolbar.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
        ::SendMessageW(toolbar.hwnd(), WM_SIZE, 0, MAKELPARAM(300, 30));
        ::SendMessageW(toolbar.hwnd(), WM_COMMAND, kChevronCommand, 0); // the overflow menu
        ::SendMessageW(toolbar.hwnd(), WM_SIZE, 0, MAKELPARAM(1200, 30));
    };
    for (int i = 0; i < 20; ++i) {
        toolbar.RefreshToolbar(0);
        openMenus();
    }
    const Holdings early = Measure();
    for (int i = 0; i < 2000; ++i) {
        toolbar.RefreshToolbar(0);
        openMenus();
    }
    const Holdings late = Measure();
    std::printf("soak: 2,000 rebuilds, 4,000 menus, 4,000 overflow layouts\n");
    PrintHoldings("after the first 20", early);
    PrintHoldings("after 2,020", late);
    std::printf("  %-28s %+8lld KB\n", "committed memory growth",
                (static_cast<long long>(late.privateBytes) - static_cast<long long>(early.privateBytes)) / 1024);
    ReportFigure("soak: memory growth over 2,000 rebuilds and 4,000 menus",
                 (static_cast<double>(late.privateBytes) - static_cast<double>(early.privateBytes)) / 1024, "KB");

    toolbar.Destroy(); // before its icons are let go
    ClearIconCache();
    return 0;
}
