// The toolbar's background in each kind of skin, read back pixel by pixel
// from its erase; skins change through the shared settings flag.
#include "ToolbarFixture.h"

#include "config/Skins.h"

#include <optional>

using namespace marlin;
using namespace marlin::test;

namespace {

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

    struct Case {
        const char* what;
        std::optional<std::string> database; // nothing: no database
        int skin;
        COLORREF solid;                      // CLR_NONE: the skin's toolbar picture as a pattern
    };
    const Case cases[] = {
        {"colours only", build, 1, RGB(186, 206, 234)},
        {"pictures", build, 2, CLR_NONE},
        {"no such skin", build, 9, kBuiltInToolbarBackground},
        {"no database", std::nullopt, 2, kBuiltInToolbarBackground},
        {"picture that is text", pictureSkin("Text.bmp"), 7, RGB(1, 2, 3)},
        {"picture of 10,000 x 10,000", pictureSkin("Huge.bmp"), 7, RGB(1, 2, 3)},
        {"picture outside the folder", pictureSkin("..\\2\\ToolbarPattern.bmp"), 7, RGB(1, 2, 3)},
        {"picture in the folder", pictureSkin("ToolbarPattern.bmp"), 7, CLR_NONE},
        {"black for none", pictureSkin(""), 8, kBuiltInToolbarBackground},
    };
    unique_hbitmap pattern(static_cast<HBITMAP>(::LoadImageW(nullptr, (Skins() + L"2\\ToolbarPattern.bmp").c_str(),
                                                             IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    Canvas expected(32, 32);
    ::SelectObject(expected.dc(), pattern.get()); // the canvas's own bitmap goes back with it
    for (const Case& c : cases) {
        if (c.database) {
            WriteTextFile(Skins() + L"MTSkins.xml", *c.database);
        } else {
            ::DeleteFileW((Skins() + L"MTSkins.xml").c_str());
        }
        ChooseInOtherWindow(c.skin);
        Canvas canvas(40, 30);
        ::SendMessageW(m_toolbar.hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0);
        // A transparent inner row erases through the toolbar, its drawing offset to the toolbar's coordinates.
        Canvas child(8, 8);
        ::SetWindowOrgEx(child.dc(), 37, 5, nullptr);
        ::SendMessageW(m_toolbar.hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(child.dc()), 0);
        for (const POINT at : {POINT{0, 0}, POINT{5, 3}, POINT{33, 29}}) {
            const COLORREF want = c.solid == CLR_NONE ? expected.At(at.x % 32, at.y % 32) : c.solid;
            EXPECT_EQ(canvas.At(at.x, at.y), want) << c.what << " at " << at.x << "," << at.y;
        }
        EXPECT_EQ(child.At(37, 5), c.solid == CLR_NONE ? expected.At(37 % 32, 5) : c.solid) << c.what << ": offset";
        EXPECT_EQ(m_toolbar.Skin().HasPicture(SkinPart::ToolbarBackground), c.solid == CLR_NONE) << c.what;
    }
    EXPECT_EQ(env().messageBoxes.size(), 1u) << "the missing database is told once";
}

} // namespace
