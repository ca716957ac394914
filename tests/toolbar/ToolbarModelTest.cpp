// The button model built from a toolbar document, as text against
// golden/Model.txt, and the icons it loads.
#include "ToolbarFixture.h"

#include "document/DocumentStore.h"
#include "toolbar/IconCache.h"
#include "toolbar/ToolbarModel.h"

using namespace marlin;
using namespace marlin::test;

namespace {

// The model as text: a button a line, its menu entries indented below it.
std::wstring Render(const std::vector<ToolbarButton>& model)
{
    std::wstring text;
    for (const ToolbarButton& button : model) {
        text += Format(L"#%d at %d \"%ls\" kind=%ls plugin=%ls style=0x%X url=%ls icon=%ls\n", button.commandId,
                       button.position, button.caption.c_str(), button.kind.c_str(), button.pluginId.c_str(),
                       ButtonStyle(button, &button == &model.front()), button.url.c_str(), button.iconPath.c_str());
        for (const MenuEntry& entry : button.menu) {
            text += L"    " + entry.entry.caption + (entry.entry.enabled ? L"\n" : L" (disabled)\n");
            for (const MenuEntry& sub : entry.subEntries) text += L"        " + sub.entry.caption + L"\n";
        }
    }
    return text;
}

TEST(ToolbarModel, DocumentsBuildTheirButtonsMenusStylesAndTheChevron)
{
    // The Combo between buttons keeps its number; the first attribute is the
    // command identifier whatever its name; the home button always has an
    // arrow, kind 2 never; a toolbar that is not there is the chevron alone.
    auto signedIn = XmlDocument::Create();
    auto other = XmlDocument::Create();
    ASSERT_TRUE(signedIn->LoadXml(DocumentTemplate(true)));
    ASSERT_TRUE(other->LoadXml(Golden(L"ModelDocument.xml")));
    SearchAddressTarget search;
    ToolbarModelContext context{L"C:\\Images\\", false, &search};
    std::wstring text = L"Template:\n" + Render(LoadToolbarButtons(*signedIn, L"marlin toolbar", L"1", context));
    context.popupBlockerOn = true;
    text += L"Blocker on:\n" + Render(LoadToolbarButtons(*signedIn, L"Marlin Toolbar", L"1", context));
    text += L"No such toolbar:\n" + Render(LoadToolbarButtons(*signedIn, L"Marlin Toolbar", L"2", context));
    text += L"Another document:\n" + Render(LoadToolbarButtons(*other, L"T", L"1", {}));
    EXPECT_EQ(text, Golden(L"Model.txt"));

    EXPECT_EQ(TooltipText(L"Tom & Jerry"), L"Tom &&& Jerry");
    EXPECT_EQ(TooltipText(std::wstring(100, L'x')), std::wstring(77, L'x') + L"...");
    EXPECT_EQ(TooltipText(std::wstring(79, L'y')), std::wstring(79, L'y'));
}

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
