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
    // A case a line: what, the skin chosen, the database ("none": no file; "same": the case before's; "1000": a
    // thousand skins), then what loads and applies.
    ExpectGoldenTable("skins.txt", [&](const std::wstring& input) {
        const size_t chosen = input.find(L"; ") + 2, database = input.find(L"; ", chosen) + 2;
        if (input.substr(database) == L"none") {
            ::DeleteFileW((skins + L"MTSkins.xml").c_str());
        } else if (input.substr(database) != L"same") {
            WriteDatabase(input.substr(database) == L"1000" ? ThousandSkins() : ToUtf8(input.substr(database)));
        }
        g_Skin = ParseInt(input.substr(chosen));
        const int loaded = LoadSkin();
        return Format(L"%d %ls", loaded, Render(CurrentSkin()).c_str());
    });

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
