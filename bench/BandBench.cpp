// The band in the browser stand-in: band load (SetSite on the band site, which
// creates the hidden window and the toolbar window) and one navigation (the
// three navigation events, including the visited-URL log) with a log of 10
// and of 10,000 visits. Prints figures with ratios; asserts nothing.
#include "BrowserFrame.h"

#include "platform/ComTypes.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "support/ScriptedEnvironment.h"
#include "support/TestIsolation.h"

#include "MarlinToolbar_h.h"

#include "BenchInstallation.h"
#include "BenchTiming.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace marlin;

extern "C" __declspec(dllexport) IEnvironment* MarlinToolbarTestEnvironment()
{
    return &test::ScriptedEnvironment::Instance();
}

namespace {


void SeedLog(const std::wstring& path, int visits)
{
    std::string xml = "<?xml version=\"1.0\"?>\n<MTRoot>";
    for (int i = 0; i < visits; ++i) {
        xml += "<VisitedURL timestamp=\"5/3/2009-14:7:9\">http://seed" + std::to_string(i) + ".example/</VisitedURL>";
    }
    xml += "</MTRoot>\n";
    test::WriteTextFile(path, xml);
}

// Ten times the default toolbar: 50 buttons, each with a menu entry.
std::string FiftyButtonDocument()
{
    std::string xml = "<Root Default=\"1\"><Tab Name=\"Main\" TabID=\"1\">"
                      "<Buttons ID=\"1\" PluginType=\"9\"><ButtDesc name=\"Home\" img=\"MarlinToolbar.ico\"/></Buttons>";
    const char* icons[] = {"Features.ico", "Search.ico", "YouTube.ico", "eBay.ico"};
    for (int i = 2; i <= 50; ++i) {
        const std::string n = std::to_string(i);
        xml += "<Buttons ID=\"" + n + "\" PluginType=\"0\"><ButtDesc name=\"Button " + n + "\" img=\"" + icons[i % 4] +
               "\" UrlString=\"http://b" + n + ".example/\"><Item caption=\"Entry\" UrlString=\"http://e.example/\"/>"
               "</ButtDesc></Buttons>";
    }
    return xml + "</Tab><Tab Name=\"Add Toolbar\" type=\"0\"/></Root>";
}

} // namespace

int main()
{
    ComInitScope com;
    BenchInstallation installation(L"marlin-band-bench", MARLIN_IMAGES_DIR);
    const std::wstring& data = installation.data;
    test::WriteTextFile(data + L"XMLS\\ApplicationSettings.xml",
                        "<MTRoot><Popup Status=\"1\"/><LogURL Yes=\"1\"/><AutoUpdate Plugin=\"0\"/><Skin ID=\"1\"/></MTRoot>");

    unique_hmodule module(::LoadLibraryW(test::WinePath(MARLIN_DLL_PATH).c_str()));
    auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(::GetProcAddress(module.get(), "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    if (!getClassObject || FAILED(getClassObject(CLSID_MarlinToolbarObj, IID_PPV_ARGS(&factory)))) return 1;
    DWORD registration = 0;
    ::CoRegisterClassObject(CLSID_MarlinToolbarObj, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                            &registration);

    double bandLoad = 0;
    double bandLoadFifty = 0;
    {
        // A frame without the component: the band is sited by hand and timed,
        // up to a toolbar that has painted.
        standin::BrowserOptions options;
        options.factory = [](standin::ComponentRole, ComPtr<IUnknown>&) { return E_FAIL; };
        standin::BrowserFrame frame(options);
        frame.Open();
        auto load = [&] {
            ComPtr<IObjectWithSite> band;
            factory->CreateInstance(nullptr, IID_PPV_ARGS(&band));
            band->SetSite(static_cast<IOleWindow*>(&frame.Site()));
            ::RedrawWindow(frame.Rebar(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            band->SetSite(nullptr);
        };
        bandLoad = MedianMs(21, load); // the first run creates the default documents
        test::WriteTextFile(data + L"XMLS\\MarlinToolbarLogin.xml", FiftyButtonDocument());
        bandLoadFifty = MedianMs(21, load);
        ::DeleteFileW((data + L"XMLS\\MarlinToolbarLogin.xml").c_str());
        frame.Close();
    }

    standin::BrowserFrame frame;
    frame.Open();
    const std::wstring log = data + L"XMLS\\LogURL.xml";
    double navigation[2] = {};
    const int sizes[2] = {10, 10000};
    for (int i = 0; i < 2; ++i) {
        SeedLog(log, sizes[i]);
        frame.Browser().Navigate(L"http://warm.example/");
        navigation[i] = MedianMs(51, [&] { frame.Browser().Navigate(L"http://page.example/"); });
    }
    frame.Close();

    std::printf("band in the browser stand-in (median, ms)\n");
    std::printf("%-40s %10.3f  x1.0\n", "band load, default documents", bandLoad);
    std::printf("%-40s %10.3f  x%.1f\n", "band load, a 50-button toolbar", bandLoadFifty, bandLoadFifty / bandLoad);
    std::printf("%-40s %10.3f\n", "navigation, log of 10 visits", navigation[0]);
    std::printf("%-40s %10.3f\n", "navigation, log of 10,000 visits", navigation[1]);
    std::printf("%-40s %10.2f\n", "ratio", navigation[1] / navigation[0]);

    ::CoRevokeClassObject(registration);
    return 0;
}
