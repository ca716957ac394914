// The toolbar window built from a document, read back through the toolbar
// control's own messages; the button model it is built from, as text against
// golden/Model.txt, and the icons it loads.
#include "ToolbarFixture.h"

#include "config/InstallPaths.h"
#include "document/DocumentStore.h"
#include "toolbar/IconCache.h"
#include "toolbar/ToolbarModel.h"

using namespace marlin;
using namespace marlin::test;

namespace {

class ToolbarWindowTest : public ToolbarFixture {
protected:
    // A signed-in document whose first toolbar holds the home button and `extra` more.
    void WriteToolbar(int extra, const std::wstring& tooltip = L"tip")
    {
        std::wstring xml = L"<Root Default=\"1\"><Tab Name=\"Main\" TabID=\"1\">"
                           L"<Buttons ID=\"1\" PluginType=\"9\"><ButtDesc name=\"Home\"/></Buttons>";
        for (int i = 2; i <= extra + 1; ++i) {
            xml += Format(L"<Buttons ID=\"%d\" PluginType=\"0\"><ButtDesc name=\"Button number %d\" ToolTipText=\"%ls\">",
                          i, i, tooltip.c_str());
            if (i == 2) xml += L"<Item caption=\"entry\"/>";
            xml += L"</ButtDesc></Buttons>";
        }
        xml += L"</Tab><Tab Name=\"Add Toolbar\" type=\"0\"/></Root>";
        WriteLogin(xml);
    }
    // The row as the control holds it, a button a line: command, caption, the
    // image (a separator's width), the arrow and whether it is hidden.
    std::wstring Row() const
    {
        std::wstring text;
        for (int position = 0; position < Count(); ++position) {
            const TBBUTTON button = ButtonAt(position);
            text += Format(L"#%d \"%ls\" %ls=%d%ls%ls\n", button.idCommand,
                           CaptionOf(m_toolbar.ButtonToolbar(), button.idCommand).c_str(),
                           button.fsStyle & BTNS_SEP ? L"separator" : L"image", button.iBitmap,
                           button.fsStyle & BTNS_DROPDOWN ? L" arrow" : L"", Hidden(button.idCommand) ? L" hidden" : L"");
        }
        return text;
    }
};

TEST_F(ToolbarWindowTest, RowsOfSeveralButtonsOfTheHomeButtonAloneAndOfIconsThatDoNotLoad)
{
    // golden/Rows.txt: home, two separators around the search box's place,
    // the buttons, the chevron hidden while all fit; arrows on the home button
    // and on buttons with entries; icons that do not load get the built-in one.
    // A tooltip comes from the model, cut.
    WriteToolbar(3, std::wstring(100, L'a'));
    Create();
    std::wstring rows = L"Home and three buttons:\n" + Row();
    NMTTDISPINFOW tooltip{{nullptr, 2, static_cast<UINT>(TTN_GETDISPINFOW)}};
    ::SendMessageW(m_toolbar.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tooltip));
    EXPECT_EQ(std::wstring(tooltip.lpszText ? tooltip.lpszText : L""), std::wstring(77, L'a') + L"...");
    EXPECT_TRUE(tooltip.uFlags & TTF_DI_SETITEM);
    RECT placeholder{};
    ::SendMessageW(m_toolbar.ButtonToolbar(), TB_GETRECT, kSearchPlaceholder, reinterpret_cast<LPARAM>(&placeholder));
    EXPECT_EQ(placeholder.right - placeholder.left, kSearchPlaceholderWidth);

    WriteToolbar(0);
    m_toolbar.RefreshToolbar(0);
    rows += L"Home alone:\n" + Row();

    WriteLogin(Golden(L"Icons.xml"));
    WriteTextFile(m_data + L"Images\\broken.ico", "not an icon");
    m_toolbar.RefreshToolbar(0);
    rows += L"Missing, broken and no icon:\n" + Row();
    EXPECT_EQ(m_toolbar.GetButton(2)->imageIndex, -1) << "no icon named, no image";
    auto images = reinterpret_cast<HIMAGELIST>(::SendMessageW(m_toolbar.ButtonToolbar(), TB_GETIMAGELIST, 0, 0));
    ASSERT_TRUE(images);
    EXPECT_GE(::ImageList_GetImageCount(images), 2);
    EXPECT_EQ(rows, Golden(L"Rows.txt"));
}

TEST_F(ToolbarWindowTest, NarrowingHidesTheRestBehindTheChevronAndWideningShowsItAgain)
{
    WriteToolbar(8);
    Create();
    // Buttons 1 to 9, then the chevron: "h" hidden, "-" shown.
    auto hidden = [&] {
        std::wstring map;
        for (int command = 1; command <= 9; ++command) map += Hidden(command) ? L'h' : L'-';
        return map + (Hidden(kChevronCommand) ? L'h' : L'-');
    };
    Resize(1600);
    EXPECT_EQ(hidden(), L"---------h");
    EXPECT_EQ(m_toolbar.HiddenButtonCount(), 0u);
    // The home button stays; hidden from the first that does not fit to the end; the chevron shows.
    Resize(450);
    const size_t shown = hidden().find(L'h');
    ASSERT_TRUE(shown > 0 && shown < 9) << hidden();
    EXPECT_EQ(hidden(), std::wstring(shown, L'-') + std::wstring(9 - shown, L'h') + L'-');
    EXPECT_EQ(m_toolbar.HiddenButtonCount(), 9 - shown);
    Resize(1600);
    EXPECT_EQ(hidden(), L"---------h");
}

TEST_F(ToolbarWindowTest, TheClassicLookGetsTheTallerRowAndAThemeChangeKeepsItUntilTheNextBuild)
{
    WriteToolbar(1);
    Create();
    EXPECT_EQ(m_toolbar.RowHeight(), 16) << "no theme value: themed";
    unique_hkey theme = CreateRegistryKey(HKEY_CURRENT_USER,
                                          L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", KEY_ALL_ACCESS);
    WriteRegistryString(theme.get(), L"ThemeActive", L"0");
    m_toolbar.RefreshToolbar(0);
    EXPECT_EQ(m_toolbar.RowHeight(), 20);

    // On XP a theme change keeps the height for one build.
    g_OSName = std::wstring(L"XP");
    WriteRegistryString(theme.get(), L"ThemeActive", L"1");
    ::SendMessageW(m_toolbar.hwnd(), WM_THEMECHANGED, 0, 0);
    m_toolbar.RefreshToolbar(0);
    EXPECT_EQ(m_toolbar.RowHeight(), 20);
    m_toolbar.RefreshToolbar(0);
    EXPECT_EQ(m_toolbar.RowHeight(), 16);

    // The mode message: 1 goes back to the first toolbar.
    SharedState().CurrentToolbar = 3;
    ::SendMessageW(m_toolbar.hwnd(), CMarlinToolbarCtrl::kModeMessage, 1, 0);
    EXPECT_EQ(SharedState().CurrentToolbar, 0);
}

// A 24-bit bitmap file of any size, filled with one colour.
std::string BitmapFile(int width, int height)
{
    const DWORD rowSize = (width * 3 + 3) / 4 * 4;
    const BITMAPINFOHEADER info{sizeof(info), width, height, 1, 24, BI_RGB};
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(info);
    const BITMAPFILEHEADER file{0x4D42, headers + rowSize * height, 0, 0, headers};
    return std::string(reinterpret_cast<const char*>(&file), sizeof(file)) +
           std::string(reinterpret_cast<const char*>(&info), sizeof(info)) + std::string(rowSize * height, '\x7f');
}

TEST_F(ToolbarWindowTest, FiveHundredButtonsWithLongCaptionsAndOddBitmapsStayUsable)
{
    WriteTextFile(m_data + L"Images\\wide.bmp", BitmapFile(203, 7));
    WriteTextFile(m_data + L"Images\\tall.bmp", BitmapFile(3, 90));
    std::wstring xml = L"<Root Default=\"1\"><Tab Name=\"Main\" TabID=\"1\">"
                       L"<Buttons ID=\"1\" PluginType=\"9\"><ButtDesc name=\"Home\" img=\"wide.bmp\"/></Buttons>";
    const std::wstring longCaption(1000, L'x');
    for (int i = 2; i <= 500; ++i) {
        xml += Format(L"<Buttons ID=\"%d\"><ButtDesc name=\"%ls\" img=\"%ls\" ToolTipText=\"%ls\"/></Buttons>", i,
                      longCaption.c_str(), i % 2 ? L"tall.bmp" : L"missing.ico", longCaption.c_str());
    }
    WriteLogin(xml + L"</Tab><Tab Name=\"Add Toolbar\" type=\"0\"/></Root>");
    Create();
    ASSERT_EQ(Count(), 504);
    EXPECT_GE(m_toolbar.GetButton(0)->imageIndex, 0) << "a bitmap of any size becomes a 16 x 16 image";
    EXPECT_GE(m_toolbar.GetButton(3)->imageIndex, 0);
    Resize(800);
    EXPECT_FALSE(Hidden(1));
    EXPECT_FALSE(Hidden(kChevronCommand));
    EXPECT_GE(m_toolbar.HiddenButtonCount(), 498u);
    RECT chevron{};
    ::SendMessageW(m_toolbar.ButtonToolbar(), TB_GETRECT, kChevronCommand, reinterpret_cast<LPARAM>(&chevron));
    EXPECT_LT(chevron.right, 800) << "the chevron stays on screen";
    // The overflow menu of 499 buttons cuts every caption.
    const auto overflow = Track([&] { Click(kChevronCommand); }, 0);
    ASSERT_FALSE(overflow.empty());
    EXPECT_EQ(overflow.back().text, std::wstring(14, L'x') + L"...");
}

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
