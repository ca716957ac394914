// The button and toolbar dialog as a real window in each of its modes,
// opened by the home menu's toolbar entries and the button context actions.
#include "ToolbarFixture.h"

#include "document/DocumentStore.h"
#include "toolbar/DragDropButtonInfo.h"

using namespace marlin;
using namespace marlin::test;

namespace {

class ButtonDialogTest : public ToolbarFixture {
protected:
    void SetUp() override
    {
        ToolbarFixture::SetUp();
        WriteLogin(Golden(L"TwoToolbars.xml"));
        Create();
    }

    // Runs `steps` inside the next dialog; records its title and which fields it showed.
    void Script(std::function<void(HWND)> steps)
    {
        env().dialogScript = [this, steps](HWND dialog) {
            m_log += WindowText(dialog) + L": " + ItemText(dialog, IDC_DRAGDROP_NAME_LABEL) + L", " +
                     ItemText(dialog, IDC_DRAGDROP_MID_LABEL) + (Shown(dialog, IDC_DRAGDROP_BROWSE) ? L" ..." : L"") +
                     (Shown(dialog, IDC_DRAGDROP_URL) ? L", " + ItemText(dialog, IDC_DRAGDROP_URL_LABEL) : L"") + L"\r\n";
            steps(dialog);
        };
    }
    // Presses OK with `id` empty: notes whether the focus went to that field.
    void Refused(HWND dialog, int id)
    {
        const std::wstring kept = ItemText(dialog, id);
        ::SetDlgItemTextW(dialog, id, L"   ");
        Press(dialog, IDOK);
        const bool focused = ::GetFocus() == ::GetDlgItem(dialog, id);
        ::SetDlgItemTextW(dialog, id, kept.c_str());
        m_log += Format(L"refused %d%ls\r\n", id, focused ? L" (focus)" : L"");
    }
    std::string Login() const { return ReadTextFile(LoginPath()); }
    // Chooses the home menu's entry `caption` (within the toolbar sub-menu `toolbar`).
    void ChooseHomeEntry(const std::wstring& caption, const std::wstring& toolbar = L"")
    {
        const std::vector<CapturedItem> menu = DropDown(1);
        const CapturedItem* parent = toolbar.empty() ? nullptr : Find(menu, toolbar);
        const CapturedItem* entry = Find(parent ? parent->children : menu, caption);
        ASSERT_TRUE(entry) << ToUtf8(caption);
        DropDown(1, entry->id);
    }

    std::wstring m_log; // the dialogs shown and the refusals
};

TEST_F(ButtonDialogTest, EachModeShowsItsFieldsChecksThemAndWritesWhatWasEntered)
{
    const std::wstring icon = m_data + L"Images\\DefToolbar.ico";

    // Mode 1 from the home menu's pseudo entry: "..." fills the image path.
    env().openFileAnswer = icon;
    Script([&](HWND dialog) {
        Refused(dialog, IDC_DRAGDROP_NAME);
        ::SetDlgItemTextW(dialog, IDC_DRAGDROP_NAME, L"  New one  ");
        Press(dialog, IDC_DRAGDROP_BROWSE);
        EXPECT_EQ(ItemText(dialog, IDC_DRAGDROP_MIDDLE), icon);
        Press(dialog, IDOK);
    });
    ChooseHomeEntry(L"Add Toolbar");
    EXPECT_NE(Login().find(ToUtf8(L"<Tab Name=\"New one\" img=\"" + icon + L"\" TabID=\"3\"")), std::string::npos);
    EXPECT_EQ(env().openFileFilters, std::vector<std::wstring>{L"Icon Files(*.ico)|*.ico (must exist)"});

    // Mode 2 from "Modify", on the toolbar's own name; typing stops at 20 characters.
    Script([&](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, IDC_DRAGDROP_NAME), L"Second");
        ::SetDlgItemTextW(dialog, IDC_DRAGDROP_NAME, L"");
        ::SendMessageW(::GetDlgItem(dialog, IDC_DRAGDROP_NAME), EM_REPLACESEL, FALSE,
                       reinterpret_cast<LPARAM>(L"Twenty-five characters!!!"));
        Press(dialog, IDOK);
    });
    ChooseHomeEntry(L"Modify", L"Second");
    EXPECT_NE(Login().find("<Tab Name=\"Twenty-five characte\""), std::string::npos);

    // Mode 4 from "Properties": each empty field is asked for, with the focus on it.
    Script([&](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, IDC_DRAGDROP_NAME) + L"|" + ItemText(dialog, IDC_DRAGDROP_URL),
                  L"Fourth|http://fourth.example/");
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, IDC_DRAGDROP_MIDDLE)) << "the empty tooltip wants filling";
        ::SetDlgItemTextW(dialog, IDC_DRAGDROP_MIDDLE, L" Tip ");
        for (int id : {IDC_DRAGDROP_NAME, IDC_DRAGDROP_MIDDLE, IDC_DRAGDROP_URL}) Refused(dialog, id);
        Press(dialog, IDOK);
    });
    RightClick(4, kContextProperties);
    EXPECT_NE(Login().find("<ButtDesc name=\"Fourth\" UrlString=\"http://fourth.example/\" ToolTipText=\"Tip\""),
              std::string::npos);

    // Cancel in any mode writes nothing.
    const std::string before = Login();
    Script([](HWND dialog) { Press(dialog, IDCANCEL); });
    ChooseHomeEntry(L"Add Toolbar");
    RightClick(4, kContextProperties);
    EXPECT_EQ(Login(), before);

    // Each mode's fields; each refusal a message with the focus on its field.
    ExpectGolden("ButtonDialog.txt", ToUtf8(m_log) + MessageBoxes());
}

TEST_F(ButtonDialogTest, ChangeIconAndDeleteActOnTheRightClickedButton)
{
    const std::wstring icon = m_data + L"Images\\YouTube.ico";
    env().openFileAnswer = icon;
    const unsigned builds = m_toolbar.RowBuilds();
    RightClick(4, kContextChangeIcon);
    EXPECT_NE(Login().find(ToUtf8(L"<ButtDesc name=\"Fourth\" UrlString=\"http://fourth.example/\" img=\"" + icon)),
              std::string::npos);
    EXPECT_EQ(m_toolbar.RowBuilds(), builds + 1) << "the row was rebuilt";

    const std::string before = Login();
    env().openFileAnswer.clear();
    RightClick(4, kContextChangeIcon);
    env().messageBoxAnswers = {IDNO};
    RightClick(4, kContextDelete);
    EXPECT_EQ(Login(), before) << "cancelled and refused";

    env().messageBoxAnswers = {IDYES};
    RightClick(4, kContextDelete);
    EXPECT_EQ(env().messageBoxes.back().text, L"Are you sure you want to delete  Fourth Button?");
    EXPECT_EQ(Login().find("Fourth"), std::string::npos);
}

} // namespace
