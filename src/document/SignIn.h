#pragma once
// Signing in and out: the sign-in dialog, the stored state ("IsLogin") and
// the rule by which every toolbar window follows it.
#include "platform/Window.h"

#include "resources/resource.h"

#include <functional>
#include <optional>
#include <string>

namespace marlin {

// The dialog that checks the user ID and password against the built-in
// account. DoModal answers IDOK on success, 720 for Cancel, 0 when closed.
class CSignIn : public Dialog<CSignIn> {
public:
    static constexpr int kDialogId = IDD_SIGNIN;
    static constexpr INT_PTR kCancelResult = IDC_SIGNIN_CANCEL;

    // Where the dialog's top-left corner goes (screen coordinates); none: where
    // the template puts it.
    explicit CSignIn(std::optional<POINT> placement = std::nullopt) : m_placement(placement) {}

    LRESULT OnInitDialog(WPARAM, LPARAM, bool&);
    LRESULT OnClose(WPARAM, LPARAM, bool&);
    void OnLogin(UINT, HWND);
    void OnCancel(UINT, HWND);
    void OnDismiss(UINT, HWND);

    static constexpr MessageEntry<CSignIn> kMessageMap[] = {
        {WM_INITDIALOG, &CSignIn::OnInitDialog},
        {WM_CLOSE, &CSignIn::OnClose},
    };
    static constexpr CommandEntry<CSignIn> kCommandMap[] = {
        {IDOK, &CSignIn::OnLogin},
        {IDC_SIGNIN_CANCEL, &CSignIn::OnCancel},
        {IDCANCEL, &CSignIn::OnDismiss},
    };

    // The account check: both texts trimmed, compared without regard to case.
    static bool IsBuiltInAccount(const std::wstring& userId, const std::wstring& password);

private:
    std::wstring FieldText(int id) const;
    void Tell(const wchar_t* message, int focusId);

    std::optional<POINT> m_placement;
};

// The stored state: "1" signed in, anything else signed out.
std::wstring StoredSignInState();
// Writes "IsLogin"; answers whether the stored state now reads as written.
bool StoreSignInState(bool signedIn);

enum class SignInSwitch { None, ToLoginDocument, ToBasicDocument };

// One pass of a toolbar window following the stored state. `showsLogin` is
// the window's login-document flag; `loadIntoWindow` loads a document path
// into the window's DOM document. Sets IsLoggedIn and the flag and answers
// which rebuild the window must do.
SignInSwitch FollowStoredSignInState(const std::wstring& stored, bool& showsLogin,
                                     const std::function<bool(const std::wstring& path)>& loadIntoWindow);

} // namespace marlin
