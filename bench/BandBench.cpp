// The band in the browser stand-in: one navigation (the three navigation
// events, including the visited-URL log) with a log of 10 and of 10,000
// visits. Prints figures with ratios; asserts nothing. The band's start-up is
// startup_bench's.
#include "BrowserFrame.h"

#include "platform/ComTypes.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "support/ScriptedEnvironment.h"
#include "support/TestIsolation.h"

#include "BenchInstallation.h"
#include "BenchTiming.h"
#include "ProductDll.h"

#include <cstdio>
#include <string>

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

} // namespace

int main()
{
    OleInitScope ole; // as the browser's window threads
    BenchInstallation installation(L"marlin-band-bench", MARLIN_IMAGES_DIR);
    const std::wstring& data = installation.data;
    test::WriteTextFile(data + L"XMLS\\ApplicationSettings.xml",
                        "<MTRoot><Popup Status=\"1\"/><LogURL Yes=\"1\"/><AutoUpdate Plugin=\"0\"/><Skin ID=\"1\"/></MTRoot>");

    ProductDll dll(MARLIN_DLL_PATH);
    if (!dll.Registered()) return 1;

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
    std::printf("%-40s %10.3f\n", "navigation, log of 10 visits", navigation[0]);
    std::printf("%-40s %10.3f\n", "navigation, log of 10,000 visits", navigation[1]);
    std::printf("%-40s %10.2f\n", "ratio", navigation[1] / navigation[0]);
    ReportFigure("navigation, log of 10 visits", navigation[0]);
    ReportFigure("navigation, log of 10,000 visits (ratio: 10 visits)", navigation[1], "ms",
                 navigation[1] / navigation[0]);
    return 0;
}
