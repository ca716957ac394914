// The band's start-up as the browser does it, against a floor. The browser
// stand-in's ComponentHost loads the component into an open frame (helper
// object and band created and sited, the band put into the rebar and shown),
// the rebar and the band paint, and the component is unloaded again
// (ShowDW(FALSE), CloseDW, SetSite(nullptr), released). The same loads run
// with FloorBand, a band of one toolbar control with the same buttons and
// icons; product and floor loads alternate in this one process, so that the
// machine's load falls on both alike. Prints figures with the ratio to the
// floor; asserts nothing.
//
// `startup_bench --one-load CASE...` (CASE: product-default, floor-default,
// product-50, floor-50, product-500, floor-500) runs each case twice untimed
// and once more between named markers instead: scripts/bench counts the
// wineserver requests of that load in a +server trace.
#include "BrowserFrame.h"
#include "ComponentHost.h"

#include "platform/ComTypes.h"
#include "platform/Strings.h"
#include "platform/UniqueHandle.h"
#include "support/ScriptedEnvironment.h"
#include "support/TestIsolation.h"
#include "document/ToolbarDocument.h"
#include "toolbar/ToolbarModel.h"

#include "BenchInstallation.h"
#include "BenchTiming.h"
#include "FloorBand.h"
#include "ProductDll.h"
#include "TimedComponent.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace marlin;

extern "C" __declspec(dllexport) IEnvironment* MarlinToolbarTestEnvironment()
{
    return &test::ScriptedEnvironment::Instance();
}

namespace {

// One toolbar the loads are timed with.
struct ToolbarCase {
    const char* name;  // on the command line and in the markers
    const char* title; // in the table
    int buttons;       // 0: the default documents, which the product makes on its first load;
                       // kWithoutPlugins: the default login document without its plug-in buttons
    int runs;          // timed loads of each kind, after one that is not counted
};

constexpr int kWithoutPlugins = -1;

constexpr ToolbarCase kCases[] = {
    {"default", "default documents", 0, 21},
    {"noplugins", "default without plug-in buttons", kWithoutPlugins, 21},
    {"50", "50-button toolbar", 50, 21},
    {"500", "500-button toolbar", 500, 15},
};

struct ButtonSpec {
    std::wstring caption;
    std::wstring icon; // a file of the Images folder
};

// What the default login document shows.
std::vector<ButtonSpec> DefaultLoginButtons()
{
    return {{L"MarlinToolbar", L"MarlinToolbar.ico"},
            {L"Pop-up Blocker (ON)", L"PopupOn.ico"},
            {L"EBay", L"Ebay.ico"},
            {L"YouTube", L"YouTube.ico"}};
}

// The default login document without its buttons of PluginType "1".
std::wstring DefaultWithoutPlugins()
{
    std::wstring xml = DocumentTemplate(true);
    for (size_t mark; (mark = xml.find(L"PluginType=\"1\"")) != std::wstring::npos;) {
        const size_t begin = xml.rfind(L"<Buttons", mark);
        const size_t end = xml.find(L"</Buttons>", mark);
        if (begin == std::wstring::npos || end == std::wstring::npos) break;
        xml.erase(begin, end + 10 - begin);
    }
    return xml;
}

// Home, then numbered buttons with the icons in turn.
std::vector<ButtonSpec> LongToolbar(int buttons)
{
    static const wchar_t* const kIcons[] = {L"Features.ico", L"Search.ico", L"YouTube.ico", L"eBay.ico"};
    std::vector<ButtonSpec> specs{{L"Home", L"MarlinToolbar.ico"}};
    for (int i = 2; i <= buttons; ++i) specs.push_back({Format(L"Button %d", i), kIcons[i % 4]});
    return specs;
}

// A login document of `specs`: each button with its icon, a link and one menu entry.
std::wstring DocumentOf(const std::vector<ButtonSpec>& specs)
{
    std::wstring xml = L"<Root Default=\"1\"><Tab Name=\"Main\" TabID=\"1\">";
    for (size_t i = 0; i < specs.size(); ++i) {
        const auto id = static_cast<int>(i + 1);
        const wchar_t* caption = specs[i].caption.c_str();
        const wchar_t* icon = specs[i].icon.c_str();
        if (i == 0) {
            xml += Format(L"<Buttons ID=\"1\" PluginType=\"9\"><ButtDesc name=\"%ls\" img=\"%ls\"/></Buttons>", caption,
                          icon);
            continue;
        }
        xml += Format(L"<Buttons ID=\"%d\" PluginType=\"0\"><ButtDesc name=\"%ls\" img=\"%ls\" "
                      L"UrlString=\"http://b%d.example/\"><Item caption=\"Entry\" UrlString=\"http://e.example/\"/>"
                      L"</ButtDesc></Buttons>",
                      id, caption, icon, id);
    }
    return xml + L"</Tab><Tab Name=\"Add Toolbar\" type=\"0\"/></Root>";
}

// Lays out the login document of `toolbar` (removed for the default
// documents, so that the product makes them again) and answers its buttons.
std::vector<ButtonSpec> PrepareCase(const ToolbarCase& toolbar, const std::wstring& data)
{
    const std::wstring login = data + L"XMLS\\MarlinToolbarLogin.xml";
    if (toolbar.buttons == 0) {
        ::DeleteFileW(login.c_str());
        return DefaultLoginButtons();
    }
    if (toolbar.buttons == kWithoutPlugins) {
        test::WriteTextFile(login, ToUtf8(DefaultWithoutPlugins()));
        std::vector<ButtonSpec> specs = DefaultLoginButtons();
        std::erase_if(specs, [](const ButtonSpec& spec) { return spec.caption == L"EBay" || spec.caption == L"YouTube"; });
        return specs;
    }
    std::vector<ButtonSpec> specs = LongToolbar(toolbar.buttons);
    test::WriteTextFile(login, ToUtf8(DocumentOf(specs)));
    return specs;
}

standin::ComponentFactory FloorFactory(const std::vector<ButtonSpec>& specs, const std::wstring& images)
{
    auto buttons = std::make_shared<std::vector<FloorButton>>();
    for (const ButtonSpec& spec : specs) buttons->push_back({spec.caption, images + spec.icon});
    return [buttons = std::shared_ptr<const std::vector<FloorButton>>(buttons)](standin::ComponentRole role,
                                                                               ComPtr<IUnknown>& instance) -> HRESULT {
        // A band only: the floor has no helper object.
        if (role != standin::ComponentRole::Band) return REGDB_E_CLASSNOTREG;
        instance = FloorBand::Make(buttons)->Identity();
        return S_OK;
    };
}

// A request that shows in the wineserver's trace under this name (the event
// does not exist), and nothing more.
void Mark(const std::wstring& name)
{
    unique_handle event(::OpenEventW(SYNCHRONIZE, FALSE, name.c_str()));
}

void PumpMessages()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// The buttons of a row, without separators and the product's chevron.
int CountButtons(HWND row)
{
    int buttons = 0;
    const auto count = static_cast<int>(::SendMessageW(row, TB_BUTTONCOUNT, 0, 0));
    for (int position = 0; position < count; ++position) {
        TBBUTTON button{};
        ::SendMessageW(row, TB_GETBUTTON, position, reinterpret_cast<LPARAM>(&button));
        if (!(button.fsStyle & BTNS_SEP) && button.idCommand != kChevronCommand) ++buttons;
    }
    return buttons;
}

bool Painted(HWND window)
{
    RECT client{};
    return ::IsWindowVisible(window) && ::GetClientRect(window, &client) && client.right > 0 && client.bottom > 0 &&
           !::GetUpdateRect(window, nullptr, FALSE);
}

// What a loaded band shows: its buttons, and whether its window and its row
// are visible and painted.
struct BandCheck {
    int buttons = -1;
    bool painted = false;
};

BandCheck CheckBand(const standin::ComponentHost& host)
{
    BandCheck check;
    ComPtr<IOleWindow> band;
    HWND window = nullptr;
    if (!host.Band() || FAILED(host.Band()->QueryInterface(IID_PPV_ARGS(&band))) || FAILED(band->GetWindow(&window)) ||
        !window) {
        return check;
    }
    // The product's window holds its row of buttons; the floor's window is the row.
    HWND row = ::FindWindowExW(window, nullptr, TOOLBARCLASSNAMEW, nullptr);
    if (!row) row = window;
    check.buttons = CountButtons(row);
    check.painted = Painted(window) && Painted(row);
    return check;
}

struct LoadFigures {
    bool shown = false;    // created, sited, in the rebar and shown
    double setSite = 0;    // the band's SetSite
    double showBand = 0;   // ShowDW(TRUE)
    double firstPaint = 0; // from the start of the load until the rebar and the band have painted
    double teardown = 0;   // ShowDW(FALSE), CloseDW, SetSite(nullptr), out of the rebar, released
};

// One load and unload into `frame`. With a marker, the load is bracketed by
// marker.begin, marker.painted and marker.end.
LoadFigures LoadOnce(standin::BrowserFrame& frame, const standin::ComponentFactory& factory,
                     const std::wstring& marker = {}, BandCheck* check = nullptr)
{
    StepTimes steps;
    standin::ComponentHost host(Timed(factory, steps));
    LoadFigures figures;
    if (!marker.empty()) Mark(marker + L".begin");
    const double start = NowMs();
    host.Load(frame.Browser().Identity(), frame.Site());
    ::RedrawWindow(frame.Rebar(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double painted = NowMs();
    figures.shown = SUCCEEDED(host.Loaded().showBand);
    if (check) *check = CheckBand(host);
    if (!marker.empty()) Mark(marker + L".painted");
    const double closing = NowMs();
    host.Unload(frame.Site());
    const double closed = NowMs();
    if (!marker.empty()) Mark(marker + L".end");
    figures.setSite = steps.bandSetSite;
    figures.showBand = steps.showBand;
    figures.firstPaint = painted - start;
    figures.teardown = closed - closing;
    // What the load left queued (the frame's repaint) is done before the next one.
    PumpMessages();
    return figures;
}

struct Medians {
    double setSite = 0;
    double showBand = 0;
    double firstPaint = 0;
    double teardown = 0;
};

Medians MediansOf(const std::vector<LoadFigures>& runs)
{
    std::vector<double> setSite, showBand, firstPaint, teardown;
    for (const LoadFigures& run : runs) {
        setSite.push_back(run.setSite);
        showBand.push_back(run.showBand);
        firstPaint.push_back(run.firstPaint);
        teardown.push_back(run.teardown);
    }
    return {Median(setSite), Median(showBand), Median(firstPaint), Median(teardown)};
}

bool AllShown(const std::vector<LoadFigures>& runs)
{
    for (const LoadFigures& run : runs) {
        if (!run.shown) return false;
    }
    return true;
}

void PrintRow(const char* figure, double product, double floor)
{
    // A floor of a few microseconds (the floor's ShowDW, which finds its
    // window already shown by the rebar) gives no ratio worth printing.
    char ratio[32] = "-";
    if (floor >= 0.01) std::snprintf(ratio, sizeof(ratio), "x%.1f", product / floor);
    std::printf("  %-32s %10.3f %10.3f %8s\n", figure, product, floor, ratio);
}

int TimedLoads(standin::BrowserFrame& frame, const std::wstring& data, const std::wstring& images)
{
    const standin::ComponentFactory product = standin::RegisteredComponent();
    std::printf("band start-up in the browser stand-in (median of the loads after the first, ms; floor: one\n"
                "toolbar control with the same buttons and icons, loaded alternately; ratio: product / floor)\n");
    std::printf("  %-32s %10s %10s %8s\n", "figure", "product", "floor", "ratio");
    double withPlugins = 0;
    double withoutPlugins = 0;
    for (const ToolbarCase& toolbar : kCases) {
        const std::vector<ButtonSpec> specs = PrepareCase(toolbar, data);
        const standin::ComponentFactory floor = FloorFactory(specs, images);
        std::vector<LoadFigures> productRuns;
        std::vector<LoadFigures> floorRuns;
        BandCheck productCheck;
        BandCheck floorCheck;
        for (int run = 0; run <= toolbar.runs; ++run) {
            // The first load of each kind also checks what its band shows.
            auto loadProduct = [&] {
                productRuns.push_back(LoadOnce(frame, product, {}, run == 0 ? &productCheck : nullptr));
            };
            auto loadFloor = [&] { floorRuns.push_back(LoadOnce(frame, floor, {}, run == 0 ? &floorCheck : nullptr)); };
            if (run % 2 == 0) {
                loadProduct();
                loadFloor();
            } else {
                loadFloor();
                loadProduct();
            }
        }
        if (!AllShown(productRuns) || !AllShown(floorRuns)) {
            std::printf("%s: a band was not shown (product %s, floor %s)\n", toolbar.title,
                        AllShown(productRuns) ? "shown" : "failed", AllShown(floorRuns) ? "shown" : "failed");
            return 1;
        }
        // The first load of each kind pays for what the process had not loaded yet.
        productRuns.erase(productRuns.begin());
        floorRuns.erase(floorRuns.begin());
        const Medians p = MediansOf(productRuns);
        const Medians f = MediansOf(floorRuns);
        std::printf("%s, %d loads: buttons in the row: product %d, floor %d%s\n", toolbar.title, toolbar.runs,
                    productCheck.buttons, floorCheck.buttons,
                    productCheck.painted && floorCheck.painted ? "" : " (a band had not painted)");
        PrintRow("SetSite", p.setSite, f.setSite);
        PrintRow("ShowDW(TRUE)", p.showBand, f.showBand);
        PrintRow("load to first paint", p.firstPaint, f.firstPaint);
        PrintRow("teardown", p.teardown, f.teardown);
        const std::string figure = std::string("band load to first paint, ") + toolbar.title + " (ratio: floor)";
        ReportFigure(figure.c_str(), p.firstPaint, "ms", f.firstPaint >= 0.01 ? p.firstPaint / f.firstPaint : 0);
        if (toolbar.buttons == 0) withPlugins = p.firstPaint;
        if (toolbar.buttons == kWithoutPlugins) withoutPlugins = p.firstPaint;
    }
    if (withoutPlugins > 0) {
        std::printf("default documents: load with the two plug-in buttons against without: x%.2f\n",
                    withPlugins / withoutPlugins);
        ReportFigure("band load, two plug-in buttons (ratio: without them)", withPlugins, "ms",
                     withPlugins / withoutPlugins);
    }
    return 0;
}

// The cases named on the command line, each loaded twice and then once between markers.
int MarkedLoads(standin::BrowserFrame& frame, const std::wstring& data, const std::wstring& images,
                const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        const ToolbarCase* toolbar = nullptr;
        const bool isFloor = name.rfind("floor-", 0) == 0;
        const std::string caseName = name.substr(name.find('-') + 1);
        for (const ToolbarCase& known : kCases) {
            if (caseName == known.name && (isFloor || name.rfind("product-", 0) == 0)) toolbar = &known;
        }
        if (!toolbar) {
            std::fprintf(stderr, "unknown case %s\n", name.c_str());
            return 2;
        }
        const std::vector<ButtonSpec> specs = PrepareCase(*toolbar, data);
        const standin::ComponentFactory factory =
            isFloor ? FloorFactory(specs, images) : standin::RegisteredComponent();
        LoadOnce(frame, factory);
        LoadOnce(frame, factory);
        if (!LoadOnce(frame, factory, L"MarlinStartupBench." + FromUtf8(name)).shown) {
            std::fprintf(stderr, "%s: the band was not shown\n", name.c_str());
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    OleInitScope ole; // as the browser's window threads
    BenchInstallation installation(L"marlin-startup-bench", MARLIN_IMAGES_DIR);
    test::WriteTextFile(installation.data + L"XMLS\\ApplicationSettings.xml",
                        "<MTRoot><Popup Status=\"1\"/><LogURL Yes=\"1\"/><AutoUpdate Plugin=\"0\"/><Skin ID=\"1\"/></MTRoot>");
    const std::wstring images = installation.data + L"Images\\";
    ProductDll dll(MARLIN_DLL_PATH);
    if (!dll.Registered()) {
        std::fprintf(stderr, "MarlinToolbar.dll did not load\n");
        return 1;
    }

    // The frame's own component slot stays empty: the loads go into its rebar.
    standin::BrowserOptions options;
    options.factory = [](standin::ComponentRole, ComPtr<IUnknown>&) { return E_FAIL; };
    standin::BrowserFrame frame(options);
    if (!frame.Open()) return 1;
    PumpMessages();

    int status = 0;
    if (argc > 1 && std::string(argv[1]) == "--one-load") {
        status = MarkedLoads(frame, installation.data, images, std::vector<std::string>(argv + 2, argv + argc));
    } else {
        status = TimedLoads(frame, installation.data, images);
    }
    frame.Close();
    return status;
}
