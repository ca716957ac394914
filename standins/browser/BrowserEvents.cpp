#include "BrowserEvents.h"

#include "platform/ComTypes.h"
#include "platform/Strings.h"

#include <exdispid.h>

#include <iterator>
#include <utility>
#include <vector>

namespace standin {

namespace {

constexpr std::size_t kRecentEvents = 8;

// Argument slots point at values the caller keeps alive for the call: the
// browser passes borrowed pointers, never copies a sink must free.
VARIANT DispatchArgument(IDispatch* value) noexcept
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = value;
    return v;
}

VARIANT ReferenceTo(marlin::Variant& value) noexcept
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_VARIANT | VT_BYREF;
    v.pvarVal = &value.get();
    return v;
}

VARIANT BoolReference(VARIANT_BOOL* value) noexcept
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BOOL | VT_BYREF;
    v.pboolVal = value;
    return v;
}

VARIANT Number(long value) noexcept
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

} // namespace

bool BrowserEvents::BeforeNavigate2(IDispatch* browser, const std::wstring& url, long flags,
                                    const std::wstring& targetFrame, const std::wstring& headers)
{
    marlin::Variant urlValue = marlin::Variant::FromString(url);
    marlin::Variant flagsValue = marlin::Variant::FromInt(flags);
    marlin::Variant targetValue = marlin::Variant::FromString(targetFrame);
    marlin::Variant postData; // VT_EMPTY: nothing posted
    marlin::Variant headersValue = marlin::Variant::FromString(headers);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    // BeforeNavigate2(pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
    VARIANT arguments[] = {BoolReference(&cancel),     ReferenceTo(headersValue), ReferenceTo(postData),
                           ReferenceTo(targetValue),   ReferenceTo(flagsValue),   ReferenceTo(urlValue),
                           DispatchArgument(browser)};
    DISPPARAMS params{arguments, nullptr, static_cast<UINT>(std::size(arguments)), 0};
    Fire(DISPID_BEFORENAVIGATE2, &params, L"BeforeNavigate2 " + url);
    return cancel != VARIANT_FALSE;
}

bool BrowserEvents::NewWindow2()
{
    IDispatch* supplied = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT window;
    ::VariantInit(&window);
    window.vt = VT_DISPATCH | VT_BYREF;
    window.ppdispVal = &supplied;
    // NewWindow2(ppDisp, Cancel)
    VARIANT arguments[] = {BoolReference(&cancel), window};
    DISPPARAMS params{arguments, nullptr, static_cast<UINT>(std::size(arguments)), 0};
    Fire(DISPID_NEWWINDOW2, &params, L"NewWindow2");
    // A sink that supplies a browser hands over a reference with it; no window opens here.
    marlin::ComPtr<IDispatch> adopted;
    *adopted.GetAddressOf() = supplied;
    return cancel != VARIANT_FALSE;
}

void BrowserEvents::NavigateComplete2(IDispatch* browser, const std::wstring& url)
{
    marlin::Variant urlValue = marlin::Variant::FromString(url);
    VARIANT arguments[] = {ReferenceTo(urlValue), DispatchArgument(browser)};
    DISPPARAMS params{arguments, nullptr, static_cast<UINT>(std::size(arguments)), 0};
    Fire(DISPID_NAVIGATECOMPLETE2, &params, L"NavigateComplete2 " + url);
}

void BrowserEvents::DocumentComplete(IDispatch* browser, const std::wstring& url)
{
    marlin::Variant urlValue = marlin::Variant::FromString(url);
    VARIANT arguments[] = {ReferenceTo(urlValue), DispatchArgument(browser)};
    DISPPARAMS params{arguments, nullptr, static_cast<UINT>(std::size(arguments)), 0};
    Fire(DISPID_DOCUMENTCOMPLETE, &params, L"DocumentComplete " + url);
}

void BrowserEvents::WindowStateChanged(DWORD flags, DWORD validFlags)
{
    // WindowStateChanged(dwWindowStateFlags, dwValidFlagsMask)
    VARIANT arguments[] = {Number(static_cast<long>(validFlags)), Number(static_cast<long>(flags))};
    DISPPARAMS params{arguments, nullptr, static_cast<UINT>(std::size(arguments)), 0};
    Fire(DISPID_WINDOWSTATECHANGED, &params, marlin::Format(L"WindowStateChanged 0x%lX", flags));
}

void BrowserEvents::CommandStateChange(long command, bool enable)
{
    VARIANT enabled;
    ::VariantInit(&enabled);
    enabled.vt = VT_BOOL;
    enabled.boolVal = enable ? VARIANT_TRUE : VARIANT_FALSE;
    // CommandStateChange(Command, Enable)
    VARIANT arguments[] = {enabled, Number(command)};
    DISPPARAMS params{arguments, nullptr, static_cast<UINT>(std::size(arguments)), 0};
    Fire(DISPID_COMMANDSTATECHANGE, &params, marlin::Format(L"CommandStateChange %ld", command));
}

void BrowserEvents::PropertyChange(const std::wstring& property)
{
    marlin::Variant name = marlin::Variant::FromString(property);
    DISPPARAMS params{&name.get(), nullptr, 1, 0};
    Fire(DISPID_PROPERTYCHANGE, &params, L"PropertyChange " + property);
}

void BrowserEvents::OnQuit()
{
    DISPPARAMS params{nullptr, nullptr, 0, 0};
    Fire(DISPID_ONQUIT, &params, L"OnQuit");
}

void BrowserEvents::WithoutParameters(DISPID id)
{
    Fire(id, nullptr, marlin::Format(L"Event %ld without parameters", static_cast<long>(id)));
}

void BrowserEvents::WithTooFewArguments(DISPID id, UINT count)
{
    std::vector<VARIANT> arguments(count);
    for (VARIANT& argument : arguments) ::VariantInit(&argument);
    DISPPARAMS params{arguments.empty() ? nullptr : arguments.data(), nullptr, count, 0};
    Fire(id, &params, marlin::Format(L"Event %ld with %u arguments", static_cast<long>(id), count));
}

void BrowserEvents::Fire(DISPID id, DISPPARAMS* params, std::wstring description)
{
    // Logged first, so that events a sink causes while handling this one follow it.
    m_recent.push_back(std::move(description));
    while (m_recent.size() > kRecentEvents) m_recent.pop_front();
    m_point.Invoke(id, params);
    if (onFired) onFired();
}

} // namespace standin
