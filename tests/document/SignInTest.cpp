// The sign-in dialog as a real modal window, and how windows follow the stored state.
#include "DocumentFixture.h"

#include "document/SignIn.h"

using namespace marlin;
using namespace marlin::test;

namespace {

class SignInTest : public DocumentTest {
protected:
    static std::wstring Text(HWND dialog, int id)
    {
        wchar_t buffer[300] = {};
        ::GetDlgItemTextW(dialog, id, buffer, 300);
        return buffer;
    }
    static void Click(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
};

TEST_F(SignInTest, LoginChecksFieldsInOrderAndAcceptsTheAccountInAnyCase)
{
    std::vector<std::wstring> seen;
    env().dialogScript = [&](HWND dialog) {
        seen.push_back(Text(dialog, IDC_SIGNIN_USERID) + L"|" + Text(dialog, IDC_SIGNIN_PASSWORD));
        ::SetDlgItemTextW(dialog, IDC_SIGNIN_USERID, L"");
        ::SetDlgItemTextW(dialog, IDC_SIGNIN_PASSWORD, L"");
        Click(dialog, IDOK);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, IDC_SIGNIN_USERID));
        ::SetDlgItemTextW(dialog, IDC_SIGNIN_USERID, L" \tKELPORA ");
        Click(dialog, IDOK);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, IDC_SIGNIN_PASSWORD));
        ::SetDlgItemTextW(dialog, IDC_SIGNIN_PASSWORD, L"wrong");
        Click(dialog, IDOK);
        seen.push_back(Text(dialog, IDC_SIGNIN_USERID) + L"|" + Text(dialog, IDC_SIGNIN_PASSWORD));
        ::SetDlgItemTextW(dialog, IDC_SIGNIN_USERID, L"  KelPora ");
        ::SetDlgItemTextW(dialog, IDC_SIGNIN_PASSWORD, L"kelpora\t");
        Click(dialog, IDOK);
    };
    POINT below{40, 60};
    CSignIn dialog(below);
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"kelpora|kelpora", L"|"}));
    ExpectGolden("sign-in-messages.txt", MessageBoxes());
}

TEST_F(SignInTest, CancelAndCloseChangeNothing)
{
    RECT placed{};
    HWND shown = nullptr;
    env().dialogScript = [&](HWND dialog) {
        ::GetWindowRect(shown = dialog, &placed);
        Click(dialog, IDC_SIGNIN_CANCEL);
    };
    CSignIn signIn(POINT{123, 77});
    EXPECT_EQ(signIn.DoModal(nullptr), 720);
    EXPECT_EQ(placed.left, 123);
    EXPECT_EQ(placed.top, 77);
    EXPECT_FALSE(::IsWindow(shown));
    EXPECT_EQ(signIn.hwnd(), nullptr) << "the dialog object lets go of its window";

    env().dialogScript = [](HWND dialog) { ::SendMessageW(dialog, WM_CLOSE, 0, 0); };
    EXPECT_EQ(CSignIn().DoModal(nullptr), 0);
    EXPECT_TRUE(env().messageBoxes.empty());
}

TEST_F(SignInTest, WindowsFollowTheStoredState)
{
    std::vector<std::wstring> loaded;
    auto load = [&](const std::wstring& path) {
        loaded.push_back(path);
        return true;
    };
    bool showsLogin = false;
    SharedState().IsLoggedIn = 0;
    EXPECT_EQ(FollowStoredSignInState(L"1", showsLogin, load), SignInSwitch::ToLoginDocument);
    EXPECT_EQ(SharedState().IsLoggedIn, 1);
    EXPECT_TRUE(showsLogin);
    EXPECT_EQ(FollowStoredSignInState(L"1", showsLogin, load), SignInSwitch::None);

    // Another window signed out; this one still shows the login document.
    EXPECT_EQ(FollowStoredSignInState(L"0", showsLogin, load), SignInSwitch::ToBasicDocument);
    EXPECT_EQ(SharedState().IsLoggedIn, 0);
    EXPECT_FALSE(showsLogin);

    // A window whose flag disagrees with an already switched shared state follows too.
    SharedState().IsLoggedIn = 1;
    EXPECT_EQ(FollowStoredSignInState(L"1", showsLogin, load), SignInSwitch::ToLoginDocument);
    EXPECT_EQ(loaded, (std::vector<std::wstring>{login(), BasicDocumentPath(), login()}));

    // An odd stored value means signed out, and a failed load switches nothing.
    EXPECT_EQ(FollowStoredSignInState(L"yes", showsLogin, load), SignInSwitch::ToBasicDocument);
    EXPECT_EQ(FollowStoredSignInState(L"yes", showsLogin, load), SignInSwitch::None);
    EXPECT_EQ(FollowStoredSignInState(L"1", showsLogin, [](const std::wstring&) { return false; }),
              SignInSwitch::None);
    EXPECT_EQ(SharedState().IsLoggedIn, 0);
}

TEST_F(SignInTest, TheStoredStateIsWrittenToBothStores)
{
    EXPECT_FALSE(StoreSignInState(true)) << "nowhere to store it";
    Install(false);
    EXPECT_TRUE(StoreSignInState(true));
    EXPECT_EQ(StoredSignInState(), L"1");
    EXPECT_EQ(Ini(L"IsLogin"), L"1");
    EXPECT_TRUE(StoreSignInState(false));
    EXPECT_EQ(StoredSignInState(), L"0");
    EXPECT_EQ(Setting(L"IsLogin"), L"0");
}

} // namespace
