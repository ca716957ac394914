// The plug-in refresh through the SDK stand-in (a copy of PluginSdk.dll
// beside a script of this program's, made through the SDK factory as the
// product's tests do): one refresh pass of a plug-in with two update entries
// merged into the signed-in document, against the same pass with a merge that
// stores nothing (the SDK's share); a toolbar window's idle synchronisation
// tick with the two sample plug-ins installed against the same tick without
// them; and a hidden window's refresh tick to the moment its workers have
// refreshed both plug-ins. Prints figures; asserts nothing.
#include "config/InstallPaths.h"
#include "document/DocumentStore.h"
#include "document/SharedInstanceState.h"
#include "document/ToolbarDocument.h"
#include "platform/ComTypes.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "plugins/PluginCatalogue.h"
#include "plugins/PluginRefresh.h"
#include "plugins/PluginSdk.h"
#include "support/ScriptedEnvironment.h"
#include "support/TestIsolation.h"
#include "toolbar/IconCache.h"

#include "BenchInstallation.h"
#include "BenchTiming.h"
#include "BenchToolbar.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using namespace marlin;

namespace {

// The SDK stand-in's library, loaded from the scratch installation.
HMODULE g_sdkModule = nullptr;

HRESULT MakeStandInSdk(DWORD, IPluginSdk** sdk)
{
    using GetClassObject = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
    const auto get = reinterpret_cast<GetClassObject>(::GetProcAddress(g_sdkModule, "DllGetClassObject"));
    ComPtr<IClassFactory> factory;
    if (!get || FAILED(get(kPluginSdkClsid, IID_PPV_ARGS(&factory)))) return REGDB_E_CLASSNOTREG;
    return factory->CreateInstance(nullptr, kPluginSdkIid, reinterpret_cast<void**>(sdk));
}

HRESULT NoSdk(DWORD, IPluginSdk**) { return REGDB_E_CLASSNOTREG; }

// Each plug-in answers an update list of two entries, each with a ButtDesc of three items.
constexpr char kSdkScript[] =
    "<PluginSdk><GetPartnerKey Text=\"BENCH\"/><AuthenticateUser Text=\"Authenticated\"/><StartSdk Text=\"Started\"/>"
    "<QueryDataChanged Value=\"0\"/>"
    "<Plugin ID=\"1\" Icon=\"..\\Images\\EbayWide.ico\"><Updates><U>20261206-1,7</U><U>20261206-2,8</U></Updates>"
    "<Content Number=\"7\"><ButtDesc name=\"EBay\" img=\"Ebay.ico\" UrlString=\"http://www.ebay.example/\">"
    "<Item caption=\"Today's deals\" img=\"Ebay.ico\" UrlString=\"http://deals.ebay.example/today\"/>"
    "<Item caption=\"New this hour\" img=\"Ebay.ico\" UrlString=\"http://deals.ebay.example/new\"/>"
    "<Item caption=\"Settings\" img=\"pluginsettings.ico\"/></ButtDesc></Content>"
    "<Content Number=\"8\"><ButtDesc name=\"EBay\" img=\"Ebay.ico\" UrlString=\"http://www.ebay.example/\">"
    "<Item caption=\"Ending soon\" UrlString=\"http://deals.ebay.example/ending\"/>"
    "<Item caption=\"Watched\" UrlString=\"http://deals.ebay.example/watched\"/>"
    "<Item caption=\"Settings\" img=\"pluginsettings.ico\"/></ButtDesc></Content></Plugin>"
    "<Plugin ID=\"3\" Icon=\"..\\Images\\YouTube.ico\"><Updates><U>20261206-3,4</U><U>20261206-4,5</U></Updates>"
    "<Content Number=\"4\"><ButtDesc name=\"YouTube\" img=\"YouTube.ico\" UrlString=\"http://www.youtube.example/\">"
    "<Item caption=\"Popular videos\" UrlString=\"http://www.youtube.example/popular\"/>"
    "<Item caption=\"Trending now\" UrlString=\"http://www.youtube.example/trending\"/>"
    "<Item caption=\"Settings\" img=\"pluginsettings.ico\"/></ButtDesc></Content>"
    "<Content Number=\"5\"><ButtDesc name=\"YouTube\" img=\"YouTube.ico\" UrlString=\"http://www.youtube.example/\">"
    "<Item caption=\"Music\" UrlString=\"http://www.youtube.example/music\"/>"
    "<Item caption=\"News\" UrlString=\"http://www.youtube.example/news\"/>"
    "<Item caption=\"Settings\" img=\"pluginsettings.ico\"/></ButtDesc></Content></Plugin></PluginSdk>";

// Both plug-ins due at every minute tick.
constexpr char kCatalogue[] = "<PlugIns><PlugIn Name=\"EBay\"><ID>1</ID><Frequency>1</Frequency></PlugIn>"
                              "<PlugIn Name=\"YouTube\"><ID>3</ID><Frequency>1</Frequency></PlugIn></PlugIns>";

// Runs what the window's thread has been sent or posted (the plug-in pictures are asked after a build).
void PumpMessages()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// The idle tick of a fresh toolbar window over the installation as it stands.
double IdleTick(const std::wstring& data)
{
    BenchToolbar window(data);
    PumpMessages();
    for (int i = 0; i < 5; ++i) window.toolbar.SynchronizeWithOtherWindows();
    PumpMessages();
    return MedianMs(51, [&] { window.toolbar.SynchronizeWithOtherWindows(); });
}

// Puts the sample libraries (Plugins\<id>\<name>.dll under the installation
// folder), the catalogue and the SDK stand-in with its script in place.
bool InstallPlugins(const std::wstring& data)
{
    bool ok = true;
    for (const auto& [id, name] : {std::pair{1, L"EBay"}, std::pair{3, L"YouTube"}}) {
        const std::wstring folder = data + Format(L"Plugins\\%d\\", id);
        EnsureFolder(data + L"Plugins");
        EnsureFolder(folder);
        const std::wstring from = test::WinePath(MARLIN_PLUGINS_DIR) + Format(L"\\%d\\%ls.dll", id, name);
        ok = ::CopyFileW(from.c_str(), (folder + name + L".dll").c_str(), FALSE) && ok;
    }
    ok = test::WriteTextFile(data + L"XMLS\\Plug-in.xml", kCatalogue) && ok;
    const std::wstring sdk = data + L"PluginSdk\\";
    EnsureFolder(sdk);
    ok = ::CopyFileW(test::WinePath(MARLIN_PLUGIN_SDK_PATH).c_str(), (sdk + L"PluginSdk.dll").c_str(), FALSE) && ok;
    ok = test::WriteTextFile(sdk + L"PluginSdk.xml", kSdkScript) && ok;
    g_sdkModule = ::LoadLibraryW((sdk + L"PluginSdk.dll").c_str());
    return ok && g_sdkModule;
}

// The signed-in template as the document the refresh merges into, toolbar 0 shown.
void SignIn()
{
    test::WriteTextFile(LoginDocumentPath(), ToUtf8(DocumentTemplate(true)));
    ::InterlockedExchange(&SharedState().IsLoggedIn, 1);
    ::InterlockedExchange(&SharedState().CurrentToolbar, 0);
}

} // namespace

int main()
{
    OleInitScope ole; // as the browser's window threads
    BenchInstallation installation(L"marlin-plugin-bench", MARLIN_IMAGES_DIR);
    const std::wstring& data = installation.data;
    g_ApplicationPath = data;
    g_InstallPath = data; // as the band's start-up sets it

    // The idle tick without plug-ins: no libraries, no catalogue, no SDK.
    SetPluginSdkFactory(&NoSdk);
    const double idleWithout = IdleTick(data);

    if (!InstallPlugins(data)) std::printf("(the plug-ins or the SDK stand-in did not install)\n");
    SetPluginSdkFactory(&MakeStandInSdk);
    const double idleWith = IdleTick(data);

    // One refresh pass of plug-in 1 on this thread, with its own SDK object.
    g_ApplicationPath = data;
    SignIn();
    std::vector<PluginRecord> plugins;
    LoadPluginCatalogue(plugins);
    double pass = 0, sdkShare = 0;
    bool passOk = true;
    {
        const PluginSdkLink sdk = PluginSdkLink::InitializeForRefresh();
        if (!sdk.ready()) std::printf("(the SDK stand-in is not ready)\n");
        const std::atomic<bool> stopping{false};
        const PluginMerge store = &MergePluginContent;
        const PluginMerge storeNothing = [](const std::wstring&, const std::wstring&, const std::wstring&,
                                            const std::wstring&) { return true; };
        for (int i = 0; i < 3; ++i) passOk = RunPluginUpdate(1, plugins, sdk, 0, store, stopping) && passOk;
        pass = MedianMs(21, [&] { passOk = RunPluginUpdate(1, plugins, sdk, 0, store, stopping) && passOk; });
        sdkShare = MedianMs(21, [&] { passOk = RunPluginUpdate(1, plugins, sdk, 0, storeNothing, stopping) && passOk; });
    }
    if (!passOk) std::printf("(a refresh pass failed)\n");

    // A hidden window's minute tick to its workers' end: both plug-ins refreshed.
    ResetPluginRefreshState();
    SignIn();
    int unfinished = 0, partial = 0;
    double fullRefresh = 0;
    {
        PluginRefreshRegistration window = PluginRefreshRegistration::Register(true);
        const auto tickToIdle = [&] {
            const double start = NowMs();
            if (window.Tick() != 2) ++partial;
            while (!QueuedPluginRefreshes().empty()) {
                if (NowMs() - start > 10000) {
                    ++unfinished;
                    break;
                }
                ::Sleep(0);
            }
        };
        for (int i = 0; i < 2; ++i) tickToIdle();
        partial = unfinished = 0;
        fullRefresh = MedianMs(21, tickToIdle);
    }
    if (partial || unfinished) {
        std::printf("(%d ticks started fewer than 2 refreshes, %d did not end within 10 s)\n", partial, unfinished);
    }
    StopPluginRefresh();

    std::printf("plug-in refresh through the SDK stand-in (median, ms)\n");
    std::printf("%-52s %10.3f  x%.1f\n", "refresh pass, 2 entries, merge stores nothing", sdkShare, 1.0);
    std::printf("%-52s %10.3f  x%.1f\n", "refresh pass, 2 entries stored (StorePluginData)", pass, pass / sdkShare);
    std::printf("%-52s %10.3f\n", "  of which the document edits", pass - sdkShare);
    std::printf("%-52s %10.3f  x%.1f\n", "idle synchronisation tick, no plug-ins", idleWithout, 1.0);
    std::printf("%-52s %10.3f  x%.1f\n", "idle synchronisation tick, 2 plug-ins installed", idleWith,
                idleWith / idleWithout);
    std::printf("%-52s %10.3f\n", "hidden-window tick to both plug-ins refreshed", fullRefresh);
    ReportFigure("plug-in refresh pass, 2 entries, SDK only", sdkShare);
    ReportFigure("plug-in refresh pass, 2 entries stored (ratio: SDK only)", pass, "ms", pass / sdkShare);
    ReportFigure("idle tick with 2 plug-ins installed (ratio: none)", idleWith, "ms", idleWith / idleWithout);
    ReportFigure("hidden-window refresh tick, 2 plug-ins to workers done", fullRefresh);

    SetPluginSdkFactory(nullptr);
    ClearIconCache();
    if (g_sdkModule) ::FreeLibrary(std::exchange(g_sdkModule, nullptr)); // before the installation goes
    return 0;
}
