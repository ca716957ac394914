// The button model built from a toolbar document.
#include "document/DocumentStore.h"
#include "document/SharedInstanceState.h"
#include "platform/Strings.h"
#include "toolbar/IconCache.h"
#include "toolbar/ToolbarModel.h"
#include "support/TestIsolation.h"

using namespace marlin;
using namespace marlin::test;

namespace {

std::vector<std::wstring> Captions(const std::vector<ToolbarButton>& model)
{
    std::vector<std::wstring> captions;
    for (const ToolbarButton& button : model) captions.push_back(button.caption);
    return captions;
}

TEST(ToolbarModel, TheSignedInTemplateBuildsItsButtonsAndTheChevron)
{
    auto document = XmlDocument::Create();
    ASSERT_TRUE(document->LoadXml(DocumentTemplate(true)));
    SearchAddressTarget search;
    ToolbarModelContext context{L"C:\\Images\\", false, &search};
    auto model = LoadToolbarButtons(*document, L"marlin toolbar", L"1", context);

    EXPECT_EQ(Captions(model), (std::vector<std::wstring>{L"MarlinToolbar", L"Pop-up Blocker (OFF)", L"EBay",
                                                          L"YouTube", L" "}));
    EXPECT_EQ(model[0].commandId, 1);
    EXPECT_EQ(model[1].commandId, 3) << "the Combo between them keeps its number";
    EXPECT_EQ(model[1].iconPath, L"C:\\Images\\PopupOff.ico");
    ASSERT_EQ(model[1].menu.size(), 1u);
    EXPECT_EQ(model[1].menu[0].entry.caption, L"Pop-up Blocker Settings");
    EXPECT_EQ(model[2].kind, L"1");
    EXPECT_EQ(model[2].pluginId, L"1");
    EXPECT_EQ(model[3].url, L"http://www.youtube.com/");
    EXPECT_TRUE(model.back().IsChevron());
    EXPECT_EQ(model.back().iconPath, L"C:\\Images\\Chevron_Arrow.ico");

    context.popupBlockerOn = true;
    model = LoadToolbarButtons(*document, L"Marlin Toolbar", L"1", context);
    EXPECT_EQ(model[1].caption, L"Pop-up Blocker (ON)");
    EXPECT_EQ(model[1].iconPath, L"C:\\Images\\PopupOn.ico");

    EXPECT_EQ(LoadToolbarButtons(*document, L"Marlin Toolbar", L"2", context).size(), 1u) << "no such toolbar";
}

TEST(ToolbarModel, CommandIdentifiersMenusAndStyles)
{
    auto document = XmlDocument::Create();
    ASSERT_TRUE(document->LoadXml(
        L"<Root><Tab Name=\"T\" TabID=\"1\">"
        L"<Buttons ID=\"1\"><ButtDesc name=\"Home\"/></Buttons>"
        L"<Buttons Cols=\"7\" ID=\"2\" PluginType=\"2\"><ButtDesc name=\"Kind2\"><Item caption=\"i\"/></ButtDesc></Buttons>"
        L"<Buttons ID=\"3\"><ButtDesc name=\"Menu\"><Item caption=\"a\"><SubItem caption=\"a1\"/><SubItem caption=\"a2\"/>"
        L"</Item><Item caption=\"b\" Enable=\"no\"/></ButtDesc></Buttons>"
        L"<Buttons ID=\"4\"><ButtDesc name=\"Plain\"/></Buttons>"
        L"</Tab></Root>"));
    auto model = LoadToolbarButtons(*document, L"T", L"1", {});
    ASSERT_EQ(model.size(), 5u);
    EXPECT_EQ(model[1].commandId, 7) << "the first attribute, whatever its name";
    EXPECT_EQ(model[1].position, 2);
    EXPECT_EQ(model[2].menu.size(), 2u);
    EXPECT_EQ(model[2].menu[0].subEntries.size(), 2u);
    EXPECT_FALSE(model[2].menu[1].entry.enabled);

    EXPECT_EQ(ButtonStyle(model[0], true), kStyleWithArrow) << "the home button always has an arrow";
    EXPECT_EQ(ButtonStyle(model[1], false), kStylePlain) << "kind 2 never does";
    EXPECT_EQ(ButtonStyle(model[2], false), kStyleWithArrow);
    EXPECT_EQ(ButtonStyle(model[3], false), kStylePlain);
}

TEST(ToolbarModel, TooltipsDoubleAmpersandsAndAreCut)
{
    EXPECT_EQ(TooltipText(L"Tom & Jerry"), L"Tom &&& Jerry");
    const std::wstring hundred(100, L'x');
    EXPECT_EQ(TooltipText(hundred), std::wstring(77, L'x') + L"...");
    EXPECT_EQ(TooltipText(std::wstring(79, L'y')), std::wstring(79, L'y'));
}

} // namespace

namespace {

class IconCacheTest : public IsolatedTest {};

TEST_F(IconCacheTest, AHeldIconOutlivesItsReloadAndTheCachesStayBounded)
{
    const std::wstring folder = MakeFolder(L"Icons");
    CopyFiles(WinePath(MARLIN_IMAGES_DIR), L"*.ico", folder);
    const std::wstring path = folder + L"Held.ico";
    ASSERT_TRUE(::CopyFileW((folder + L"Default.ico").c_str(), path.c_str(), FALSE));
    ButtonIconRef held = CachedButtonIcon(path);
    ASSERT_TRUE(held);
    unique_himagelist before(ImageListOf({held}));

    // Another picture in the same file: the cache reloads it, the holder keeps the old one.
    ASSERT_TRUE(::CopyFileW((folder + L"Chevron_Arrow.ico").c_str(), path.c_str(), FALSE));
    HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME later{0x7FFFFFFF, 0x01E00000};
    ::SetFileTime(file, nullptr, nullptr, &later);
    ::CloseHandle(file);
    ButtonIconRef reloaded = CachedButtonIcon(path);
    ASSERT_TRUE(reloaded);
    EXPECT_NE(reloaded->serial(), held->serial());
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(held->get(), &info)) << "the held icon is still alive";
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);

    // Many files and many sequences: both caches stop growing at their bounds.
    for (size_t i = 0; i < kMaxCachedIcons + 20; ++i) {
        const std::wstring copy = folder + Format(L"Copy%zu.ico", i);
        ::CopyFileW(path.c_str(), copy.c_str(), FALSE);
        ButtonIconRef icon = CachedButtonIcon(copy);
        unique_himagelist list(ImageListOf({icon, held}));
    }
    EXPECT_LE(CachedIconCount(), kMaxCachedIcons);
    EXPECT_LE(CachedImageListCount(), kMaxCachedImageLists);
}

} // namespace
