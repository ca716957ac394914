#include "SignIn.h"

#include "DocumentStore.h"
#include "SharedInstanceState.h"
#include "config/Messages.h"
#include "config/SettingsStore.h"
#include "platform/Strings.h"

#include <vector>

namespace marlin {

namespace {
constexpr wchar_t kAccount[] = L"kelpora";
constexpr int kFieldMaxChars = 259;
} // namespace

bool CSignIn::IsBuiltInAccount(const std::wstring& userId, const std::wstring& password)
{
    return EqualsNoCase(Trim(userId), kAccount) && EqualsNoCase(Trim(password), kAccount);
}

LRESULT CSignIn::OnInitDialog(WPARAM, LPARAM, bool&)
{
    ::SendMessageW(Item(IDC_SIGNIN_USERID), EM_LIMITTEXT, kFieldMaxChars, 0);
    ::SendMessageW(Item(IDC_SIGNIN_PASSWORD), EM_LIMITTEXT, kFieldMaxChars, 0);
    ::SetDlgItemTextW(hwnd(), IDC_SIGNIN_USERID, kAccount);
    ::SetDlgItemTextW(hwnd(), IDC_SIGNIN_PASSWORD, kAccount);
    if (m_placement) {
        ::SetWindowPos(hwnd(), nullptr, m_placement->x, m_placement->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Env().AnimateWindow(hwnd(), 800, AW_ACTIVATE | AW_SLIDE | AW_VER_POSITIVE);
    return TRUE;
}

LRESULT CSignIn::OnClose(WPARAM, LPARAM, bool&)
{
    End(0);
    return 0;
}

std::wstring CSignIn::FieldText(int id) const
{
    std::vector<wchar_t> buffer(kFieldMaxChars + 1, L'\0');
    UINT length = ::GetDlgItemTextW(hwnd(), id, buffer.data(), static_cast<int>(buffer.size()));
    return Trim(std::wstring(buffer.data(), length));
}

void CSignIn::Tell(const wchar_t* message, int focusId)
{
    Env().ShowMessageBox(hwnd(), message, kCaption, MB_OK | MB_ICONINFORMATION);
    ::SetFocus(Item(focusId));
}

void CSignIn::OnLogin(UINT, HWND)
{
    const std::wstring userId = FieldText(IDC_SIGNIN_USERID);
    const std::wstring password = FieldText(IDC_SIGNIN_PASSWORD);
    if (userId.empty()) {
        Tell(L"Please enter UserID", IDC_SIGNIN_USERID);
        return;
    }
    if (password.empty()) {
        Tell(L"Please enter Password", IDC_SIGNIN_PASSWORD);
        return;
    }
    if (IsBuiltInAccount(userId, password)) {
        End(IDOK);
        return;
    }
    ::SetDlgItemTextW(hwnd(), IDC_SIGNIN_USERID, L"");
    ::SetDlgItemTextW(hwnd(), IDC_SIGNIN_PASSWORD, L"");
    Tell(L"Invalid UserID/Password", IDC_SIGNIN_USERID);
}

void CSignIn::OnCancel(UINT, HWND) { End(kCancelResult); }

void CSignIn::OnDismiss(UINT, HWND) { End(0); }

std::wstring StoredSignInState() { return CReadRegistryValues().GetRegistryValue(L"IsLogin"); }

bool StoreSignInState(bool signedIn)
{
    const std::wstring value = signedIn ? L"1" : L"0";
    CReadRegistryValues().SetRegistryValue(L"IsLogin", value);
    return StoredSignInState() == value;
}

SignInSwitch FollowStoredSignInState(const std::wstring& stored, bool& showsLogin,
                                     const std::function<bool(const std::wstring& path)>& loadIntoWindow)
{
    SharedInstanceState& state = SharedState();
    // A window whose document disagrees with the stored state is made to look
    // out of step, so that the switch below happens for it too.
    if (stored == L"0" && showsLogin) {
        ::InterlockedExchange(&state.IsLoggedIn, 1);
        showsLogin = false;
    } else if (stored == L"1" && !showsLogin) {
        ::InterlockedExchange(&state.IsLoggedIn, 0);
        showsLogin = true;
    }

    if (stored == L"1" && state.IsLoggedIn == 0) {
        if (!loadIntoWindow(LoginDocumentPath())) return SignInSwitch::None;
        ::InterlockedExchange(&state.IsLoggedIn, 1);
        showsLogin = true;
        return SignInSwitch::ToLoginDocument;
    }
    if (stored != L"1" && state.IsLoggedIn == 1) {
        loadIntoWindow(BasicDocumentPath());
        ::InterlockedExchange(&state.IsLoggedIn, 0);
        showsLogin = false;
        return SignInSwitch::ToBasicDocument;
    }
    return SignInSwitch::None;
}

} // namespace marlin
