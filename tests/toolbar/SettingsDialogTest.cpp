// The settings dialog as a real window opened from the home menu: what it
// shows, when "Apply" is enabled, what applying writes and who hears of it;
// the toolbar's background in each kind of skin, read back pixel by pixel from
// its erase (skins change through the shared settings flag).
#include "ToolbarFixture.h"

#include "config/ApplicationSettings.h"
#include "config/InstallPaths.h"
#include "config/Skins.h"
#include "config/SettingsStore.h"
#include "resources/resource.h"
#include "support/LockProbes.h"

#include <functional>

using namespace marlin;
using namespace marlin::test;

namespace {

class SettingsDialogTest : public ToolbarFixture {
protected:
    void SetUp() override
    {
        ToolbarFixture::SetUp();
        InstallSkins();
        WriteSettings(2);
        WriteLogin(Golden(L"Sync.xml")); // with a pop-up blocker button
        ASSERT_EQ(InitializeApplicationSettings(), 1);
        Create();
    }

    static bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)); }
    static void ClickBox(HWND page, int id) { ::SendMessageW(::GetDlgItem(page, id), BM_CLICK, 0, 0); }
    static void ChooseSkin(HWND page, const wchar_t* name)
    {
        HWND list = ::GetDlgItem(page, IDC_APP_SKINS);
        const LRESULT index = ::SendMessageW(list, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(name));
        ASSERT_GE(index, 0) << "no skin named so";
        ::SendMessageW(list, CB_SETCURSEL, index, 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_APP_SKINS, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    std::string SettingsDocument() const { return ReadTextFile(m_data + L"XMLS\\ApplicationSettings.xml"); }
};

TEST_F(SettingsDialogTest, ApplyWritesOnlyChangesAndTheChosenSkinsNumber)
{
    const std::string before = SettingsDocument();
    const LONG flag = SharedState().SettingsChanged;
    InSettings([&](HWND dialog, HWND page) {
        EXPECT_EQ(WindowText(dialog), L"Settings");
        EXPECT_EQ(::SendDlgItemMessageW(dialog, IDC_SETTINGS_TABS, TCM_GETITEMCOUNT, 0, 0), 1)
            << "no plug-in button: one tab";
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, IDC_SETTINGS_OK)));
        RECT placed{}, toolbar{};
        ::GetWindowRect(dialog, &placed);
        ::GetWindowRect(m_toolbar.hwnd(), &toolbar);
        EXPECT_EQ(placed.left, toolbar.left);
        EXPECT_EQ(placed.top, toolbar.bottom) << "below the toolbar";
        // Sorted by name, each entry keeping its number; the current skin chosen, its preview shown.
        EXPECT_EQ(ComboText(::GetDlgItem(page, IDC_APP_SKINS), true), L"Graphite=4\nMarlin Blue=1\nSea Glass=2 *\nSunset=3\n");
        EXPECT_TRUE(::SendDlgItemMessageW(page, IDC_APP_SAMPLE, STM_GETIMAGE, IMAGE_BITMAP, 0));
        EXPECT_FALSE(Enabled(page, IDC_APP_AUTOUPDATE));

        // Nothing changed: "Apply" is disabled and pressing it writes nothing.
        EXPECT_FALSE(Enabled(dialog, IDC_SETTINGS_APPLY));
        Press(dialog, IDC_SETTINGS_APPLY);
        EXPECT_EQ(SettingsDocument(), before);
        EXPECT_EQ(SharedState().SettingsChanged, flag);

        // Only "Log URL", while another window holds the document: nothing
        // written, the user told, "Apply" left to try again.
        ClickBox(page, IDC_APP_LOGURL);
        EXPECT_TRUE(Enabled(dialog, IDC_SETTINGS_APPLY));
        {
            CrossProcessLock::SetDefaultTimeoutMs(20);
            HeldLock held(m_data + L"XMLS\\ApplicationSettings.xml");
            Press(dialog, IDC_SETTINGS_APPLY);
        }
        EXPECT_EQ(env().messageBoxes.size(), 1u);
        EXPECT_EQ(g_LogURL, 0);
        EXPECT_EQ(SharedState().SettingsChanged, flag);
        EXPECT_TRUE(Enabled(dialog, IDC_SETTINGS_APPLY));
        Press(dialog, IDC_SETTINGS_APPLY);
        EXPECT_FALSE(Enabled(dialog, IDC_SETTINGS_APPLY));
        EXPECT_EQ(g_LogURL, 1);
        EXPECT_EQ(g_Skin, 2) << "the skin stays what it was";
        EXPECT_EQ(SharedState().SettingsChanged, flag + 1);

        // A skin whose name sorts first although its number is last.
        ChooseSkin(page, L"Graphite");
        Press(dialog, IDC_SETTINGS_APPLY);
    });
    EXPECT_EQ(g_Skin, 4);
    EXPECT_EQ(FromUtf8(SettingsDocument()), Golden(L"SettingsApplied.xml"));
    EXPECT_EQ(m_toolbar.Skin().State().number, 4) << "this window paints the new skin at once";
    EXPECT_TRUE(m_toolbar.Skin().HasPicture(SkinPart::ToolbarBackground));
    // This window has what it saved: its own pass reads nothing again.
    const unsigned builds = m_toolbar.RowBuilds();
    m_toolbar.SynchronizeWithOtherWindows();
    EXPECT_EQ(m_toolbar.RowBuilds(), builds);
}

TEST_F(SettingsDialogTest, ThePopupSwitchFollowsTheToolbarButtonsRule)
{
    struct Case {
        const char* what;
        std::function<void()> arrange;
        bool enabled;
        bool apply; // a save in protected mode would go through the API host
    };
    const Case cases[] = {
        {"protected mode", [] { g_bProtectedMode = 1; }, false, false},
        {"no blocker button", [this] {
             SetSignedIn(false);
             m_toolbar.SynchronizeWithOtherWindows();
         }, false, true},
        {"a browser that can block", [this] {
             SetSignedIn(true);
             m_toolbar.SynchronizeWithOtherWindows();
         }, true, true},
    };
    for (const Case& c : cases) {
        c.arrange();
        InSettings([&](HWND dialog, HWND page) {
            EXPECT_EQ(Enabled(page, IDC_APP_POPUP), c.enabled) << c.what;
            if (!c.apply) return;
            if (c.enabled) {
                ClickBox(page, IDC_APP_POPUP);
            } else {
                // Checked behind the user's back: a switch the page may not move stays where it is.
                ::SendDlgItemMessageW(page, IDC_APP_POPUP, BM_SETCHECK, BST_CHECKED, 0);
                ClickBox(page, IDC_APP_LOGURL);
            }
            Press(dialog, IDC_SETTINGS_APPLY);
        });
        int on = 0;
        CReadRegistryValues().GetPopupMgr(on);
        EXPECT_EQ(on, c.enabled ? 1 : 0) << c.what;
        g_bProtectedMode = 0;
    }
    EXPECT_EQ(m_toolbar.GetButton(2)->caption, L"Pop-up Blocker (ON)") << "the button follows the page";
}

// A memory canvas the toolbar erases into.
class Canvas {
public:
    Canvas(int width, int height)
    {
        WindowDC screen(nullptr);
        m_dc.reset(::CreateCompatibleDC(screen.get()));
        m_bitmap.reset(::CreateCompatibleBitmap(screen.get(), width, height));
        m_old = ::SelectObject(m_dc.get(), m_bitmap.get());
    }
    ~Canvas() { ::SelectObject(m_dc.get(), m_old); }
    HDC dc() const { return m_dc.get(); }
    COLORREF At(int x, int y) const { return ::GetPixel(m_dc.get(), x, y); }

private:
    unique_hdc m_dc;
    unique_hbitmap m_bitmap;
    HGDIOBJ m_old = nullptr;
};

class SkinPaintTest : public ToolbarFixture {
protected:
    void SetUp() override
    {
        ToolbarFixture::SetUp();
        InstallSkins();
        WriteSettings(1);
        Create();
    }
    // Another window chose `skin`: this one follows on its next pass.
    void ChooseInOtherWindow(int skin)
    {
        WriteSettings(skin);
        RaiseChange(SharedState().SettingsChanged);
        m_toolbar.SynchronizeWithOtherWindows();
    }
    std::wstring Skins() const { return m_data + L"Skins\\"; }
};

TEST_F(SkinPaintTest, BackgroundOfColoursPicturesAndEveryFallback)
{
    const std::string build = ReadTextFile(Skins() + L"MTSkins.xml");
    // Skin 7's picture is named by the case; its colour is what a picture that does not load leaves.
    auto pictureSkin = [](const char* image) {
        return std::string("<Skins><Skin ID=\"7\" SkinType=\"1\"><ToolbarBackground R=\"1\" G=\"2\" B=\"3\" Image=\"") +
               image + "\"/></Skin><Skin ID=\"8\" SkinType=\"0\"><ToolbarBackground R=\"0\" G=\"0\" B=\"0\"/></Skin></Skins>";
    };
    MakeFolder(L"Data\\Skins\\7");
    WriteTextFile(Skins() + L"7\\Text.bmp", "not a picture");
    // A header that claims 10,000 x 10,000 pixels over a few bytes.
    std::string huge = "BM" + std::string(12, '\0');
    BITMAPINFOHEADER info{sizeof(info), 10000, 10000, 1, 24};
    huge.append(reinterpret_cast<const char*>(&info), sizeof(info));
    huge[10] = 54;
    WriteTextFile(Skins() + L"7\\Huge.bmp", huge + std::string(64, '\x7f'));
    CopyFiles(Skins() + L"2", L"ToolbarPattern.bmp", Skins() + L"7");

    unique_hbitmap pattern(static_cast<HBITMAP>(::LoadImageW(nullptr, (Skins() + L"2\\ToolbarPattern.bmp").c_str(),
                                                             IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    Canvas expected(32, 32);
    ::SelectObject(expected.dc(), pattern.get()); // the canvas's own bitmap goes back with it
    // A point's colour, "pattern" where it is the skin's toolbar picture repeated.
    auto colour = [&](const Canvas& canvas, int x, int y) {
        const COLORREF at = canvas.At(x, y);
        return at == expected.At(x % 32, y % 32) ? std::wstring(L"pattern")
                                                 : Format(L"%d,%d,%d", GetRValue(at), GetGValue(at), GetBValue(at));
    };
    // A case a line: what; the database ("build", "none", or "picture=" skin 7's picture); the skin chosen =>
    // three points of the toolbar, one of an inner row that erases through it at an offset, whether it has a picture.
    ExpectGoldenTable("SkinPaint.txt", [&](const std::wstring& line) {
        const size_t database = line.find(L"; ") + 2, skin = line.rfind(L"; ");
        const std::wstring source = line.substr(database, skin - database);
        if (source == L"none") {
            ::DeleteFileW((Skins() + L"MTSkins.xml").c_str());
        } else {
            WriteTextFile(Skins() + L"MTSkins.xml", source == L"build" ? build : pictureSkin(ToUtf8(source.substr(8)).c_str()));
        }
        ChooseInOtherWindow(ParseInt(line.substr(skin + 2)));
        Canvas canvas(40, 30), child(8, 8);
        ::SendMessageW(m_toolbar.hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
        ::SetWindowOrgEx(child.dc(), 37, 5, nullptr);
        ::SendMessageW(m_toolbar.hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(child.dc()), 0);
        return colour(canvas, 0, 0) + L" " + colour(canvas, 5, 3) + L" " + colour(canvas, 33, 29) + L", offset " +
               colour(child, 37, 5) + (m_toolbar.Skin().HasPicture(SkinPart::ToolbarBackground) ? L", picture" : L"");
    });
    EXPECT_EQ(env().messageBoxes.size(), 1u) << "the missing database is told once";
}

} // namespace
