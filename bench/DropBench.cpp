// A link dropped on the toolbar window until the row shows its button, and
// until the favicon served from 127.0.0.1 shows in it: the toolbar's real
// drop target, the button dialog answered by the scripted seam, on the
// default document and on a 50-button toolbar. Prints figures; asserts nothing.
#include "document/DocumentStore.h"
#include "platform/ComTypes.h"
#include "support/DropObjects.h"
#include "support/LocalHttpServer.h"
#include "support/ScriptedEnvironment.h"
#include "toolbar/FaviconDownload.h"
#include "toolbar/IconCache.h"
#include "toolbar/MarlinToolbarCtrl.h"

#include "BenchInstallation.h"
#include "BenchToolbar.h"
#include "BenchTiming.h"

#include <cstdio>
#include <string>

using namespace marlin;

namespace {

std::wstring ToolbarOf(int buttons)
{
    std::wstring xml = L"<Root Default=\"1\"><Tab Name=\"Main\" TabID=\"1\">"
                       L"<Buttons ID=\"1\" PluginType=\"9\"><ButtDesc name=\"Home\" img=\"MarlinToolbar.ico\"/></Buttons>";
    for (int i = 2; i <= buttons; ++i) {
        xml += Format(L"<Buttons ID=\"%d\" PluginType=\"0\"><ButtDesc name=\"Button %d\" img=\"Features.ico\" "
                      L"UrlString=\"http://b%d.example/\"/></Buttons>", i, i, i);
    }
    return xml + L"</Tab><Tab Name=\"Add Toolbar\" type=\"0\"/></Root>";
}

void Pump()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

// Pumps until the row has been built `builds` times (or a generous bound passed).
void PumpUntil(const CMarlinToolbarCtrl& toolbar, unsigned builds)
{
    for (int i = 0; i < 100000 && toolbar.RowBuilds() < builds; ++i) {
        Pump();
        if (toolbar.RowBuilds() < builds) ::Sleep(0);
    }
}

constexpr int kRuns = 21;

struct Figures {
    double rebuild = 0;  // the row rebuilt after a plain edit, for scale
    double dropped = 0;  // drop to the rebuilt row with the new button
    double favicon = 0;  // drop to the row showing the favicon
};

Figures Measure(CMarlinToolbarCtrl& toolbar, const std::wstring& login, const std::wstring& document,
                const std::wstring& images, const std::wstring& address)
{
    auto prepare = [&] {
        // No download of an earlier run, nor its message, is left over.
        while (RunningFaviconDownloads() > 0) Pump();
        Pump();
        test::WriteTextFile(login, ToUtf8(document));
        for (const std::wstring& file : test::FilesIn(images)) {
            if (file.rfind(L"127.0.0.1_", 0) == 0) ::DeleteFileW((images + file).c_str());
        }
        toolbar.RefreshToolbar(0);
    };
    auto drop = [&] {
        auto object = test::TextObject(address);
        IDropTarget* target = toolbar.DropTarget();
        DWORD effect = DROPEFFECT_COPY;
        const POINTL at{300, 10};
        target->DragEnter(object.Get(), MK_LBUTTON, at, &effect);
        target->DragOver(MK_LBUTTON, at, &effect);
        target->Drop(object.Get(), 0, at, &effect);
    };
    Figures figures;
    figures.rebuild = MedianMs(kRuns, [&] { toolbar.RefreshToolbar(0); }, prepare);
    figures.dropped = MedianMs(kRuns, [&] {
        const unsigned builds = toolbar.RowBuilds();
        drop();
        PumpUntil(toolbar, builds + 1);
    }, prepare);
    figures.favicon = MedianMs(kRuns, [&] {
        const unsigned builds = toolbar.RowBuilds();
        drop();
        PumpUntil(toolbar, builds + 1);
        while (RunningFaviconDownloads() > 0) Pump();
        PumpUntil(toolbar, builds + 2); // the favicon's own rebuild
    }, prepare);
    prepare();
    return figures;
}

} // namespace

int main()
{
    OleInitScope ole; // as the browser's window threads
    BenchInstallation installation(L"marlin-drop-bench", MARLIN_IMAGES_DIR);
    const std::wstring& data = installation.data;
    auto& env = test::ScriptedEnvironment::Instance();
    env.dialogScript = [](HWND dialog) { ::SendMessageW(dialog, WM_COMMAND, IDOK, 0); };
    test::LocalHttpServer site;
    site.Serve("/favicon.ico", {*ReadFileBytes(data + L"Images\\Search.ico", 1 << 16)});
    const std::wstring address = L"http://" + site.Host() + L"/page.html";

    BenchToolbar window(data);
    CMarlinToolbarCtrl& toolbar = window.toolbar;
    if (!toolbar.DropTarget()) {
        std::printf("the toolbar has no drop target\n");
        return 1;
    }
    const std::wstring login = data + L"XMLS\\MarlinToolbarLogin.xml";
    const std::wstring images = data + L"Images\\";
    const std::wstring defaultDocument = FromUtf8(test::ReadTextFile(login));

    std::printf("link drop on the toolbar window (median of 21, ms)\n");
    const struct {
        const char* name;
        std::wstring document;
    } cases[] = {{"default document", defaultDocument}, {"50-button toolbar", ToolbarOf(50)}};
    for (const auto& test : cases) {
        const Figures figures = Measure(toolbar, login, test.document, images, address);
        std::printf("%-18s row rebuild %8.3f | drop to rebuilt row %8.3f (x%.1f) | drop to favicon shown %8.3f (x%.1f)\n",
                    test.name, figures.rebuild, figures.dropped, figures.dropped / figures.rebuild, figures.favicon,
                    figures.favicon / figures.rebuild);
        const std::string figure = std::string("link drop to rebuilt row, ") + test.name + " (ratio: rebuild)";
        ReportFigure(figure.c_str(), figures.dropped, "ms", figures.dropped / figures.rebuild);
    }
    std::printf("favicon requests served: %zu\n", site.Requests().size());

    toolbar.Destroy(); // before its icons are let go
    ClearIconCache();
    return 0;
}
