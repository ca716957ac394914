// The toolbar window built from a document, read back through the toolbar
// control's own messages.
#include "ToolbarFixture.h"

#include "config/InstallPaths.h"

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
    EXPECT_EQ(m_toolbar.ButtonCount(), 5u);
    EXPECT_TRUE(m_toolbar.GetButton(4)->IsChevron());

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

} // namespace
