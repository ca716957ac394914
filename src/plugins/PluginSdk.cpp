#include "PluginSdk.h"

#include "config/ErrorLog.h"
#include "config/Messages.h"
#include "platform/Environment.h"

#include <atomic>

namespace marlin {

namespace {

HRESULT CreateWithCom(DWORD context, IPluginSdk** sdk)
{
    return ::CoCreateInstance(kPluginSdkClsid, nullptr, context, kPluginSdkIid, reinterpret_cast<void**>(sdk));
}

std::atomic<PluginSdkFactory> g_factory{&CreateWithCom};
std::atomic<bool> g_authenticationShown{false};
std::atomic<bool> g_startShown{false};

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

} // namespace

PluginSdkFactory SetPluginSdkFactory(PluginSdkFactory factory) noexcept
{
    return g_factory.exchange(factory ? factory : &CreateWithCom);
}

PluginSdkLink PluginSdkLink::InitializeMarlinToolbarPluginSDK() noexcept { return Initialize(true); }

PluginSdkLink PluginSdkLink::InitializeForRefresh() noexcept { return Initialize(false); }

PluginSdkLink PluginSdkLink::Initialize(bool tellUser) noexcept
{
    try {
        PluginSdkLink link(CreateSdk(CLSCTX_INPROC_SERVER));
        if (!link.m_sdk) return link;

        UniqueBstr key;
        if (link.m_sdk->GetPartnerKey(key.put()) != S_OK) {
            LogError(kRiskLow, ErrorMessages::kPartnerKeyMissing);
            return link;
        }
        link.m_partnerKey = Text(key);

        const UniqueBstr partnerKey(link.m_partnerKey), user(kPluginSdkUserName), password(kPluginSdkPassword);
        UniqueBstr answer;
        if (link.m_sdk->AuthenticateUser(partnerKey.get(), user.get(), password.get(), answer.put()) != S_OK) {
            if (tellUser) ShowOnce(g_authenticationShown, kUserAuthenticationFailed, ErrorMessages::kAuthenticationFailed);
            else LogError(kRiskLow, ErrorMessages::kAuthenticationFailed);
            return link;
        }
        if (link.m_sdk->StartSdk(partnerKey.get(), user.get(), answer.put()) != S_OK) {
            if (tellUser) ShowOnce(g_startShown, kUnableToStartSdk, ErrorMessages::kStartSdkFailed);
            else LogError(kRiskLow, ErrorMessages::kStartSdkFailed);
            return link;
        }
        link.m_ready = true;
        return link;
    } catch (...) {
        return PluginSdkLink();
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

void ResetPluginSdkState() noexcept
{
    g_factory = &CreateWithCom;
    g_authenticationShown = false;
    g_startShown = false;
}

} // namespace marlin
