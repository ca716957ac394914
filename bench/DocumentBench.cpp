// Load, renumber and save of a large login document (10 toolbars of 50
// buttons) and one add-button edit on it, next to the same on the signed-in
// template, with the ratio. Prints figures; asserts nothing.
#include "config/InstallPaths.h"
#include "document/ButtonOperations.h"
#include "document/DocumentStore.h"
#include "document/SharedInstanceState.h"
#include "platform/ComTypes.h"
#include "platform/Files.h"
#include "platform/Strings.h"

#include "BenchTiming.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace marlin;

namespace {

std::wstring LargeDocument(int toolbars, int buttons)
{
    std::wstring xml = L"<Root Default=\"1\">";
    for (int t = 1; t <= toolbars; ++t) {
        xml += Format(L"<Tab Name=\"Toolbar %d\" img=\"MarlinToolbar.ico\" TabID=\"%d\" IDGen=\"%d\" IsActiveTab=\"0\""
                      L" Privacy=\"0\" IsDefault=\"0\" IsImported=\"0\" IsAdded=\"0\">",
                      t, t, buttons);
        for (int b = 1; b <= buttons; ++b) {
            xml += Format(L"<Buttons ID=\"%d\" Privacy=\"0\" IsImported=\"0\" IsActiveTablet=\"0\" Cols=\"2\""
                          L" PluginType=\"0\" PluginId=\"\" PlugInPath=\"\"><ButtDesc name=\"Button %d\" img=\"b.ico\""
                          L" ToolTipText=\"Button %d\" UrlString=\"http://site%d.example/?a=1&amp;amp;b=2\""
                          L" newwindow=\"no\"><Item caption=\"Entry\" img=\"e.ico\"/></ButtDesc></Buttons>",
                          b, b, b, b);
        }
        xml += L"</Tab>";
    }
    xml += Format(L"<Tab Name=\"Add Toolbar\" img=\"addToolbar.ico\" TabID=\"%d\" IDGen=\"0\" type=\"0\" UrlString=\"\"/>",
                  toolbars + 1);
    return xml + L"</Root>";
}


struct Figures {
    double loadRenumberSave;
    double addButton;
    double addButtonAfterOtherWindow;
};

Figures Measure(const std::wstring& xml, const wchar_t* firstToolbar)
{
    const std::wstring path = LoginDocumentPath();
    auto seed = XmlDocument::Create();
    seed->LoadXml(xml);
    seed->Save(path);
    Figures figures{};
    figures.loadRenumberSave = MedianMs(21, [&] {
        auto document = XmlDocument::Create();
        document->Load(path);
        RenumberDocument(*document);
        document->SaveAtomically(path);
    });
    CButtonOperations buttons;
    figures.addButton = MedianMs(21, [&] {
        buttons.AddButton({firstToolbar, 1}, 2, {L"Dropped", L"DropURL.ico", L"Dropped", L"http://drop.example/?x=1&y=2"});
    });
    // Another window saved in between: the edit has to parse the file again.
    figures.addButtonAfterOtherWindow = MedianMs(
        21,
        [&] { buttons.AddButton({firstToolbar, 1}, 2, {L"Dropped", L"", L"", L"http://drop.example/"}); },
        [&] {
            auto other = XmlDocument::Create();
            other->Load(path);
            other->SaveAtomically(path);
        });
    return figures;
}

} // namespace

int main()
{
    ComInitScope com;
    UseBenchDataFolder();
    SharedState().IsLoggedIn = 1;

    const Figures small = Measure(DocumentTemplate(true), L"Marlin Toolbar");
    const Figures large = Measure(LargeDocument(10, 50), L"Toolbar 1");
    std::printf("document edit benchmark (median of 21 runs, ms)\n");
    std::printf("%-28s %10s %10s %8s\n", "", "template", "10x50", "ratio");
    std::printf("%-28s %10.3f %10.3f %8.1f\n", "load + renumber + save", small.loadRenumberSave,
                large.loadRenumberSave, large.loadRenumberSave / small.loadRenumberSave);
    std::printf("%-28s %10.3f %10.3f %8.1f\n", "add button (locked edit)", small.addButton, large.addButton,
                large.addButton / small.addButton);
    std::printf("%-28s %10.3f %10.3f %8.1f\n", "add button, file changed", small.addButtonAfterOtherWindow,
                large.addButtonAfterOtherWindow, large.addButtonAfterOtherWindow / small.addButtonAfterOtherWindow);
    ReportFigure("add a button, default document", small.addButton);
    ReportFigure("add a button, 10 toolbars of 50 buttons (ratio: default)", large.addButton, "ms",
                 large.addButton / small.addButton);
    ::DeleteFileW(LoginDocumentPath().c_str());
    return 0;
}
