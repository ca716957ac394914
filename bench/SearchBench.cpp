// The search box of the real band in the browser stand-in, with 50 stored
// history entries: one keystroke (key down, its character, key up, each
// through the band's TranslateAcceleratorIO, suggestions included) and one
// search (Return to the browser's Navigate2, the history recorded), each set
// against the bare cost of the same messages and navigation under Wine.
// Prints figures; asserts nothing.
#include "BrowserFrame.h"

#include "platform/ComTypes.h"
#include "platform/Registry.h"
#include "search/SearchBox.h"
#include "search/SearchHistory.h"
#include "config/InstallPaths.h"
#include "support/ScriptedEnvironment.h"

#include "BenchInstallation.h"
#include "BenchTiming.h"
#include "ProductDll.h"

#include <shobjidl.h>

#include <cstdio>
#include <string>

using namespace marlin;

extern "C" __declspec(dllexport) IEnvironment* MarlinToolbarTestEnvironment()
{
    return &test::ScriptedEnvironment::Instance();
}

namespace {

constexpr int kRuns = 201;

MSG KeyMessage(HWND window, UINT kind, UINT key)
{
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    return MSG{window, kind, key, scan | (kind == WM_KEYUP ? 0xC0000001 : 1)};
}

// One key as the browser hands it over: the key down, the character its
// translation posts, the key up; `handle` takes each message.
template <typename Handle>
void PressKey(HWND window, UINT key, Handle handle)
{
    MSG down = KeyMessage(window, WM_KEYDOWN, key);
    handle(down);
    MSG posted;
    while (::PeekMessageW(&posted, window, WM_CHAR, WM_CHAR, PM_REMOVE)) handle(posted);
    MSG up = KeyMessage(window, WM_KEYUP, key);
    handle(up);
}

void Bare(MSG& message)
{
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

void Pump()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) Bare(message);
}

} // namespace

int main()
{
    OleInitScope ole; // as the browser's window threads
    BenchInstallation installation(L"marlin-search-bench", MARLIN_IMAGES_DIR);
    {
        unique_hkey history = CreateRegistryKey(HKEY_CURRENT_USER, L"software\\MarlinToolbar\\All\\History", KEY_ALL_ACCESS);
        const DWORD one = 1;
        for (int i = 0; i < 50; ++i) {
            const std::wstring name = L"alpha " + std::to_wstring(100 + i);
            ::RegSetValueExW(history.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
        }
    }
    ProductDll dll(MARLIN_DLL_PATH);
    if (!dll.Registered()) return 1;

    standin::BrowserFrame frame;
    frame.Open(L"http://start.example/");
    ComPtr<IInputObject> input;
    if (!frame.Component().Band() || FAILED(frame.Component().Band()->QueryInterface(IID_PPV_ARGS(&input)))) return 1;
    input->UIActivateIO(TRUE, nullptr);
    const HWND edit = ::GetFocus();
    const HWND plain = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 60, 200, 20,
                                         frame.hwnd(), nullptr, nullptr, nullptr);
    const auto throughBand = [&](MSG& message) {
        if (input->TranslateAcceleratorIO(&message) != S_OK) Bare(message);
    };
    const auto clear = [&](HWND window) {
        return [window] {
            ::SetWindowTextW(window, L"");
            Pump();
        };
    };

    // The first letter of the stored entries opens the suggestions; another does not.
    const double keyWithSuggestions = MedianMs(kRuns, [&] { PressKey(edit, 'A', throughBand); }, clear(edit));
    const double keyWhileShown = MedianMs(kRuns, [&] { PressKey(edit, 'L', throughBand); }, [&] {
        ::SetWindowTextW(edit, L"a");
        Pump();
    });
    const double keyPlain = MedianMs(kRuns, [&] { PressKey(edit, 'Z', throughBand); }, clear(edit));
    const double keyBare = MedianMs(kRuns, [&] { PressKey(plain, 'A', Bare); }, clear(plain));

    int query = 0;
    const auto typeQuery = [&] {
        // No stored query begins with the next one: no suggestion shows.
        ::SetWindowTextW(edit, (L"x" + std::to_wstring(query++) + L"y").c_str());
        Pump();
    };
    const double search = MedianMs(kRuns, [&] { PressKey(edit, VK_RETURN, throughBand); }, typeQuery);
    const double storedSearch = MedianMs(kRuns, [&] { PressKey(edit, VK_RETURN, throughBand); }, [&] {
        ::SetWindowTextW(edit, L"alpha 120");
        Pump();
    });
    // The stores' share of it, in this process.
    CSearchHistory history;
    history.LoadHistory();
    const double recording = MedianMs(kRuns, [&] { history.RecordSearch(L"alpha 120", true); });
    int recorded = 0;
    const double recordingNew =
        MedianMs(kRuns, [&] { history.RecordSearch(L"z" + std::to_wstring(recorded++) + L"w", true); });
    const double navigation = MedianMs(kRuns, [&] {
        Variant url = Variant::FromString(L"https://www.google.com/search?hl=en&q=query&meta=");
        Variant empty;
        frame.Browser().Navigate2(&url.get(), &empty.get(), &empty.get(), &empty.get(), &empty.get());
    });
    const size_t searches = frame.Browser().NavigationRequests().size();

    // What a band's load pays for its search box: the windows, their
    // pictures and the stored history, made in this process.
    g_InstallPath = installation.data;
    const double made = MedianMs(51, [&] {
        CSearchBox box;
        box.LayoutSearchBox(frame.hwnd(), RECT{300, 60, 440, 80});
        box.Destroy();
    });

    ::DestroyWindow(plain);
    frame.Close();

    std::printf("search box of the band in the browser stand-in, 50 history entries (median, ms)\n");
    std::printf("%-52s %10.3f\n", "keystroke through the band, suggestions appear", keyWithSuggestions);
    std::printf("%-52s %10.3f\n", "keystroke through the band, suggestions refilled", keyWhileShown);
    std::printf("%-52s %10.3f\n", "keystroke through the band, no suggestion", keyPlain);
    std::printf("%-52s %10.3f\n", "the same messages to a plain edit box (Wine)", keyBare);
    std::printf("%-52s %10.3f\n", "search: Return to Navigate2, history recorded", search);
    std::printf("%-52s %10.3f\n", "of which recording a new query (registry, ini)", recordingNew);
    std::printf("%-52s %10.3f\n", "search of a stored query (its suggestion closes)", storedSearch);
    std::printf("%-52s %10.3f\n", "of which recording a stored query (registry, ini)", recording);
    std::printf("%-52s %10.3f\n", "the browser's Navigate2 of a search address alone", navigation);
    std::printf("%-52s %10.3f\n", "new-query search beyond recording and navigation",
                search - recordingNew - navigation);
    std::printf("%-52s %10zu\n", "navigations made", searches);
    std::printf("%-52s %10.3f\n", "search box made and destroyed (band load's share)", made);
    ReportFigure("keystroke through the band (ratio: plain edit box)", keyPlain, "ms", keyPlain / keyBare);
    ReportFigure("search: Return to Navigate2, history recorded", search);
    return 0;
}
