#include "PluginSdk.h"

#include "SdkCall.h"

#include "config/ErrorLog.h"
#include "config/Messages.h"
#include "platform/Environment.h"

#include <atomic>
#include <memory>

namespace marlin {

namespace {

HRESULT CreateWithCom(DWORD context, IPluginSdk** sdk)
{
    return ::CoCreateInstance(kPluginSdkClsid, nullptr, context, kPluginSdkIid, reinterpret_cast<void**>(sdk));
}

std::atomic<PluginSdkFactory> g_factory{&CreateWithCom};
std::atomic<bool> g_authenticationShown{false};
std::atomic<bool> g_startShown{false};
// What the first start in the process answered (-1: not started yet). Every
// browser window's band objects start the SDK; the answer does not change
// while the process runs, so later windows take it without a thread and the
// SDK's calls on their way to the screen.
std::atomic<int> g_startOutcome{-1};

ComPtr<IPluginSdk> CreateSdk(DWORD context) noexcept
{
    ComPtr<IPluginSdk> sdk;
    if (g_factory.load()(context, sdk.GetAddressOf()) != S_OK) sdk.Reset();
    return sdk;
}

// Shown the first time in the process; logged every time after that.
void ShowOnce(std::atomic<bool>& shown, const wchar_t* text, const wchar_t* logEntry) noexcept
{
    if (shown.exchange(true)) {
        LogError(kRiskLow, logEntry);
        return;
    }
    Env().ShowMessageBox(nullptr, text, kPluginSdkCaption, MB_OK);
}

// An answer text, cut to its bound; a null answer is empty text.
std::wstring Text(const UniqueBstr& text)
{
    if (!text.get()) return {};
    const size_t length = std::min<size_t>(::SysStringLen(text.get()), kMaxSdkTextChars);
    return std::wstring(text.get(), length);
}

// An answer that may not be cut: nothing when it is over the bound.
std::optional<std::wstring> WholeText(const UniqueBstr& text)
{
    if (text.get() && ::SysStringLen(text.get()) > kMaxSdkTextChars) return std::nullopt;
    return Text(text);
}

// The SDK hands out an icon handle it keeps (icons are the process's, not a
// thread's): the caller gets a copy of its own, and nothing that is not an icon.
SdkPicture PictureFromHandle(LONG value)
{
    const auto handle = reinterpret_cast<HICON>(static_cast<LONG_PTR>(value));
    ICONINFO info{};
    if (!handle || !::GetIconInfo(handle, &info)) return {};
    const unique_hbitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    if (!::GetObjectW(colour ? colour.get() : mask.get(), sizeof(bitmap), &bitmap) || bitmap.bmWidth <= 0) return {};
    unique_hicon copy(::CopyIcon(handle));
    if (!copy) return {};
    return {std::move(copy), static_cast<int>(bitmap.bmWidth)};
}

} // namespace

PluginSdkFactory SetPluginSdkFactory(PluginSdkFactory factory) noexcept
{
    g_startOutcome = -1; // another SDK: its start is still to be seen
    return g_factory.exchange(factory ? factory : &CreateWithCom);
}

bool PluginSdkLink::InitializeMarlinToolbarPluginSDK() noexcept
{
    try {
        if (const int known = g_startOutcome.load(); known >= 0) {
            const auto outcome = static_cast<SignInOutcome>(known);
            Report(outcome, true); // shown once in the process, logged after that
            return outcome == SignInOutcome::Ready;
        }
        const auto outcome = std::make_shared<SignInOutcome>(SignInOutcome::NoSdk);
        if (!RunSdkCall([outcome] { *outcome = PluginSdkLink(CreateSdk(CLSCTX_INPROC_SERVER)).SignIn(); })) {
            return false;
        }
        g_startOutcome = static_cast<int>(*outcome);
        Report(*outcome, true);
        return *outcome == SignInOutcome::Ready;
    } catch (...) {
        return false;
    }
}

PluginSdkLink PluginSdkLink::InitializeForRefresh() noexcept
{
    PluginSdkLink link(CreateSdk(CLSCTX_INPROC_SERVER));
    Report(link.SignIn(), false);
    return link;
}

PluginSdkLink::SignInOutcome PluginSdkLink::SignIn() noexcept
{
    try {
        if (!m_sdk) return SignInOutcome::NoSdk;
        UniqueBstr key;
        if (m_sdk->GetPartnerKey(key.put()) != S_OK) return SignInOutcome::KeyMissing;
        m_partnerKey = Text(key);

        const UniqueBstr partnerKey(m_partnerKey), user(kPluginSdkUserName), password(kPluginSdkPassword);
        UniqueBstr answer;
        if (m_sdk->AuthenticateUser(partnerKey.get(), user.get(), password.get(), answer.put()) != S_OK) {
            return SignInOutcome::AuthenticationFailed;
        }
        if (m_sdk->StartSdk(partnerKey.get(), user.get(), answer.put()) != S_OK) return SignInOutcome::StartFailed;
        m_ready = true;
        return SignInOutcome::Ready;
    } catch (...) {
        return SignInOutcome::NoSdk;
    }
}

void PluginSdkLink::Report(SignInOutcome outcome, bool tellUser) noexcept
{
    switch (outcome) {
    case SignInOutcome::KeyMissing:
        LogError(kRiskLow, ErrorMessages::kPartnerKeyMissing);
        break;
    case SignInOutcome::AuthenticationFailed:
        if (tellUser) ShowOnce(g_authenticationShown, kUserAuthenticationFailed, ErrorMessages::kAuthenticationFailed);
        else LogError(kRiskLow, ErrorMessages::kAuthenticationFailed);
        break;
    case SignInOutcome::StartFailed:
        if (tellUser) ShowOnce(g_startShown, kUnableToStartSdk, ErrorMessages::kStartSdkFailed);
        else LogError(kRiskLow, ErrorMessages::kStartSdkFailed);
        break;
    case SignInOutcome::NoSdk:
    case SignInOutcome::Ready:
        break;
    }
}

PluginSdkLink PluginSdkLink::CreateForToolbar() noexcept { return PluginSdkLink(CreateSdk(CLSCTX_ALL)); }

std::optional<std::wstring> PluginSdkLink::GetPluginUpdates(int pluginId) const noexcept
{
    try {
        if (!m_sdk) return std::nullopt;
        const UniqueBstr id(std::to_wstring(pluginId));
        UniqueBstr updates;
        if (m_sdk->GetPluginUpdates(id.get(), updates.put()) != S_OK) return std::nullopt;
        return WholeText(updates);
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<QueryPluginAnswer> PluginSdkLink::QueryPlugin(LONG kind, LONG number, LONG toolbar,
                                                            const std::wstring& libraryPath) const noexcept
{
    try {
        if (!m_sdk) return std::nullopt;
        const UniqueBstr path(libraryPath);
        UniqueBstr text1, text2;
        LONG value = 0;
        if (m_sdk->QueryPlugin(kind, number, toolbar, path.get(), text1.put(), text2.put(), &value) != S_OK) {
            return std::nullopt;
        }
        auto first = WholeText(text1), second = WholeText(text2);
        if (!first || !second) return std::nullopt;
        return QueryPluginAnswer{std::move(*first), std::move(*second), value};
    } catch (...) {
        return std::nullopt;
    }
}

bool PluginSdkLink::QueryDataChanged() const noexcept
{
    LONG changed = 0;
    return m_sdk && m_sdk->QueryDataChanged(&changed) == S_OK && changed != 0;
}

std::vector<SdkPicture> QueryToolbarPictures(const std::vector<std::wstring>& libraries, LONG toolbar) noexcept
{
    try {
        auto pictures = std::make_shared<std::vector<SdkPicture>>(libraries.size());
        if (!RunSdkCall([pictures, libraries, toolbar] {
                const PluginSdkLink sdk = PluginSdkLink::CreateForToolbar();
                if (!sdk.exists()) return;
                for (size_t i = 0; i < libraries.size(); ++i) {
                    if (const auto answer = sdk.QueryPlugin(kQueryPluginIcon, 0, toolbar, libraries[i])) {
                        (*pictures)[i] = PictureFromHandle(answer->value);
                    }
                }
            })) {
            return std::vector<SdkPicture>(libraries.size());
        }
        return std::move(*pictures);
    } catch (...) {
        return {};
    }
}

bool QueryToolbarDataChanged() noexcept
{
    try {
        const auto changed = std::make_shared<bool>(false);
        return RunSdkCall([changed] { *changed = PluginSdkLink::CreateForToolbar().QueryDataChanged(); }) && *changed;
    } catch (...) {
        return false;
    }
}

void ResetPluginSdkState() noexcept
{
    ResetSdkCallState();
    g_factory = &CreateWithCom;
    g_authenticationShown = false;
    g_startShown = false;
    g_startOutcome = -1;
}

} // namespace marlin
