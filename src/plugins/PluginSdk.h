#pragma once
// The link to the plug-in API SDK, a COM component outside the product that
// authenticates plug-ins and hands out their update lists and button icons.
#include "platform/ComObject.h"
#include "platform/ComTypes.h"
#include "platform/UniqueHandle.h"

#include <optional>
#include <string>
#include <vector>

// The SDK's dual interface, declared once for the product and the SDK's
// stand-in (PluginSdk.idl): the methods the product calls sit at their slots,
// the others are reserved.
#include "PluginSdk_h.h"

namespace marlin {

inline constexpr CLSID kPluginSdkClsid = {0xF24F8F0F, 0xB8AB, 0x488E, {0x9B, 0x8A, 0xAE, 0x3E, 0x02, 0x28, 0x77, 0xA0}};
inline constexpr IID kPluginSdkIid = {0x714AD02D, 0xE763, 0x4B1A, {0xAB, 0xEB, 0x5C, 0x5B, 0xD3, 0x62, 0x09, 0x59}};

// The fixed credentials the product signs in to the SDK with.
inline constexpr wchar_t kPluginSdkUserName[] = L"JX";
inline constexpr wchar_t kPluginSdkPassword[] = L"JX";

inline constexpr wchar_t kUserAuthenticationFailed[] = L"User Authentication Failed";
inline constexpr wchar_t kUnableToStartSdk[] = L"Unable to Start Marlin Toolbar Plugin API SDK";

// QueryPlugin's kinds.
inline constexpr LONG kQueryPluginIcon = 1;
inline constexpr LONG kQueryPluginText = 2;
inline constexpr LONG kQueryPluginUpdate = 3;

// Texts the SDK answers are cut to this length; an update list or plug-in
// content larger than this is no answer.
inline constexpr size_t kMaxSdkTextChars = 1 << 20;

// How the SDK object is made: CoCreateInstance by default; tests put in their own.
using PluginSdkFactory = HRESULT (*)(DWORD context, IPluginSdk** sdk);
// Installs `factory` (nullptr: the default) and answers the one it replaced.
PluginSdkFactory SetPluginSdkFactory(PluginSdkFactory factory) noexcept;

struct QueryPluginAnswer {
    std::wstring text1, text2;
    LONG value = 0; // kind 1: the icon handle
};

// One SDK object and what the product holds for it. Every call answers
// nothing (or false) on any result but S_OK, and never throws. Used on the
// thread (apartment) that made it.
class PluginSdkLink {
public:
    PluginSdkLink() noexcept = default;

    // The band's hidden window's start: on a bounded SDK call (SdkCall.h), an
    // SDK object made in-process, asked for the partner key, authenticated and
    // started, then released there. True when it signed in and started.
    // Failures are logged, and the two that the user is told of are shown on
    // this thread once per process (logged after that); an SDK that does not
    // answer in time is not ready and shows nothing. The first answer in the
    // process is kept: later windows take it (and its message) without
    // calling the SDK again, until another SDK factory is installed.
    static bool InitializeMarlinToolbarPluginSDK() noexcept;
    // The same steps for a refresh worker's own object (an SDK object is
    // bound to the thread that made it): failures are only logged.
    static PluginSdkLink InitializeForRefresh() noexcept;
    // The toolbar's own instance, made in any server context, for icons,
    // texts and QueryDataChanged; not signed in.
    static PluginSdkLink CreateForToolbar() noexcept;

    bool exists() const noexcept { return m_sdk != nullptr; }
    // Signed in and started: the refresh may use it.
    bool ready() const noexcept { return m_ready; }
    const std::wstring& partnerKey() const noexcept { return m_partnerKey; }

    // The plug-in's update list (an XML text).
    std::optional<std::wstring> GetPluginUpdates(int pluginId) const noexcept;
    std::optional<QueryPluginAnswer> QueryPlugin(LONG kind, LONG number, LONG toolbar,
                                                 const std::wstring& libraryPath) const noexcept;
    // Whether the toolbar documents are to count as changed.
    bool QueryDataChanged() const noexcept;

private:
    enum class SignInOutcome { NoSdk, KeyMissing, AuthenticationFailed, StartFailed, Ready };

    explicit PluginSdkLink(ComPtr<IPluginSdk> sdk) noexcept : m_sdk(std::move(sdk)) {}
    SignInOutcome SignIn() noexcept;
    static void Report(SignInOutcome outcome, bool tellUser) noexcept;

    ComPtr<IPluginSdk> m_sdk;
    std::wstring m_partnerKey;
    bool m_ready = false;
};

// A picture the SDK gave a plug-in button: a copy of its own of the SDK's
// icon (null: none, or the answer was no icon) and the icon's width.
struct SdkPicture {
    unique_hicon icon;
    int width = 0;
};

// The toolbar's SDK uses, each on one bounded SDK call (SdkCall.h) with a
// toolbar instance (`CreateForToolbar`) made, used and released on the call's
// thread. When the call does not end in time, or the SDK is known not to
// answer, they answer nothing.
//
// `QueryPlugin` kind 1 for each library in turn: one picture per library.
std::vector<SdkPicture> QueryToolbarPictures(const std::vector<std::wstring>& libraries, LONG toolbar) noexcept;
// `QueryDataChanged`: whether the toolbar documents are to count as changed.
bool QueryToolbarDataChanged() noexcept;

// Forgets which SDK messages were shown, the installed factory and the
// SDK call state (tests).
void ResetPluginSdkState() noexcept;

} // namespace marlin
