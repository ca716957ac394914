// The skin database read against hostile files: what applies is rendered a
// line per case into one golden file; the failure message is shown once per
// process and logged each time the database starts failing.
#include "config/ApplicationSettings.h"
#include "config/Skins.h"
#include "support/Installation.h"

using namespace marlin;
using namespace marlin::test;

namespace {

std::wstring Render(const SkinState& state)
{
    static const wchar_t* const kNames[] = {L"line", L"tab", L"strip", L"toolbar"};
    std::wstring text = Format(L"skin %d %ls type %d", state.number, state.found ? L"found" : L"built-in", state.type);
    for (size_t part = 0; part < kSkinPartCount; ++part) {
        const SkinPartValue& value = state.parts[part];
        text += Format(L" | %ls ", kNames[part]);
        text += value.colour ? Format(L"%d,%d,%d", GetRValue(*value.colour), GetGValue(*value.colour),
                                      GetBValue(*value.colour))
                             : L"-";
        if (!value.image.empty()) text += L" " + value.image;
    }
    return text;
}

std::string ThousandSkins()
{
    std::string xml = "<Skins>";
    for (int id = 1; id <= 1000; ++id) {
        xml += "<Skin ID=\"" + std::to_string(id) + "\" SkinType=\"0\" Name=\"S" + std::to_string(id) +
               "\"><TabColor R=\"" + std::to_string(id % 256) + "\" G=\"1\" B=\"2\"/></Skin>";
    }
    return xml + "</Skins>";
}

class SkinsTest : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        Install(false);
        skins = MakeFolder(L"Data\\Skins");
    }
    void WriteDatabase(const std::string& xml) { ASSERT_TRUE(WriteTextFile(skins + L"MTSkins.xml", xml)); }
    std::wstring skins;
};

TEST_F(SkinsTest, WhatAppliesFromHostileDatabases)
{
    const std::string thousand = ThousandSkins();
    struct Case {
        const char* what;
        const char* xml; // null: no database; "": the database of the case before
        int selected;
    };
    const Case cases[] = {
        {"missing", nullptr, 1},
        {"broken", "<Skins><Skin ID=\"1\" SkinType=\"0\">", 1},
        {"not XML", "\x89PNG\r\n\x1a\n", 1},
        {"colours", "<Skins><Skin ID=\"1\" SkinType=\"0\" Name=\"A\"><TabLineColor R=\"1\" G=\"2\" B=\"3\"/>"
                    "<TabColor R=\" 4 \" G=\"5\" B=\"6\"/><TabBackground R=\"7\" G=\"8\" B=\"9\"/>"
                    "<ToolbarBackground R=\"10\" G=\"11\" B=\"12\"/><Unknown R=\"1\" G=\"1\" B=\"1\"/></Skin></Skins>", 1},
        {"bad colour values", "<Skins><Skin ID=\"1\" SkinType=\"1\"><TabLineColor R=\"-1\" G=\"2\" B=\"3\"/>"
                              "<TabColor R=\"1\" G=\"256\" B=\"3\"/><TabBackground R=\"red\" G=\"2\" B=\"3\"/>"
                              "<ToolbarBackground R=\"99999999999999999999\" G=\"2\"/></Skin></Skins>", 1},
        {"unknown number", "<Skins><Skin ID=\"1\" SkinType=\"1\"><TabColor R=\"1\" G=\"2\" B=\"3\"/></Skin>"
                           "<Skin ID=\"2\" SkinType=\"2\"/></Skins>", 7},
        {"type of the selected skin only", "<Skins><Skin ID=\"1\" SkinType=\"3\"/><Skin ID=\"2\"/>"
                                           "<Skin ID=\"3\" SkinType=\"1\"/></Skins>", 2},
        {"repeated number", "<Skins><Skin ID=\"3\" SkinType=\"0\"><TabColor R=\"1\" G=\"1\" B=\"1\"/></Skin>"
                            "<Skin ID=\"3\" SkinType=\"1\"><TabColor R=\"2\" G=\"2\" B=\"2\"/></Skin></Skins>", 3},
        {"numbers that are not", "<Skins><Skin ID=\"2abc\" SkinType=\"1\"/><Skin ID=\"-2\"/><Skin ID=\"0\"/>"
                                 "<Skin ID=\"\"/><Skin/></Skins>", 2},
        {"pictures", "<Skins><Skin ID=\"5\" SkinType=\"x\"><TabLineColor Image=\"..\\..\\x.bmp\"/>"
                     "<TabColor Image=\"C:\\x.bmp\"/><TabBackground Image=\"CON.bmp\"/>"
                     "<ToolbarBackground Image=\"Bar.bmp\"/></Skin>"
                     "<Skin ID=\"6\" SkinType=\"1\"><TabLineColor Image=\"..\"/><TabColor Image=\"a/b.bmp\"/>"
                     "<TabBackground Image=\". .\"/><ToolbarBackground Image=\"x.bmp:stream\"/></Skin></Skins>", 5},
        {"picture names that leave the folder", "", 6},
        {"a thousand skins", thousand.c_str(), 1000},
        {"missing again", nullptr, 1},
    };
    std::wstring lines;
    for (const Case& c : cases) {
        if (!c.xml) {
            ::DeleteFileW((skins + L"MTSkins.xml").c_str());
        } else if (*c.xml) {
            WriteDatabase(c.xml);
        }
        g_Skin = c.selected;
        const int loaded = LoadSkin();
        lines += Format(L"%hs: %d %ls\r\n", c.what, loaded, Render(CurrentSkin()).c_str());
    }
    ExpectGolden("skins.txt", ToUtf8(lines));

    // Three failing loads, then a fourth after the database came back: one
    // message for the process, an entry each time the database starts failing.
    ExpectGolden("skins-message.txt", MessageBoxes());
    const std::string log = ReadTextFile(errorLog);
    size_t entries = 0;
    for (size_t at = 0; (at = log.find("[LoadSkin]", at)) != std::string::npos; ++at) ++entries;
    EXPECT_EQ(entries, 2u);
}

TEST_F(SkinsTest, TheListKeepsEveryUsableNumberOnceWithAName)
{
    EXPECT_TRUE(LoadSkinList().empty());
    WriteDatabase("<Skins><Skin ID=\"4\" Name=\"Graphite\"/><Skin ID=\"x\" Name=\"No number\"/>"
                  "<Skin ID=\"1\" Name=\"   \"/><Skin ID=\"4\" Name=\"Again\"/><Other ID=\"9\" Name=\"Not a skin\"/>"
                  "<Skin ID=\"2\" Name=\"" + std::string(500, 'n') + "\"/></Skins>");
    std::wstring lines;
    for (const SkinListEntry& entry : LoadSkinList()) lines += Format(L"%d %ls\r\n", entry.number, entry.name.c_str());
    ExpectGolden("skin-list.txt", ToUtf8(lines));
}

TEST_F(SkinsTest, SkinsComeFromTheInstallationAlsoInProtectedModeAndNeverFromTheCurrentFolder)
{
    // On Vista the data folder may be the writable copy; skins stay with the installation.
    env().osMajor = 6;
    const std::wstring install = MakeFolder(L"Install");
    SetIni(L"ApplicationPath", install);
    g_ApplicationPath = MakeFolder(L"Writable");
    EXPECT_EQ(SkinDatabasePath(), install + L"Skins\\MTSkins.xml");
    EXPECT_EQ(SkinPicturePath(3, SkinPartValue{std::nullopt, L"Bar.bmp"}), install + L"Skins\\3\\Bar.bmp");
    EXPECT_EQ(SkinPicturePath(3, SkinPartValue{std::nullopt, L"..\\Bar.bmp"}), L"");
    // No installation folder known: no path relative to the current folder either.
    env().osMajor = 5;
    g_ApplicationPath = std::wstring();
    EXPECT_EQ(SkinDatabasePath(), L"");
    EXPECT_EQ(SkinPicturePath(3, SkinPartValue{std::nullopt, L"Bar.bmp"}), L"");
}

} // namespace
