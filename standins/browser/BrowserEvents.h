#pragma once
// Fires DWebBrowserEvents2 on the browser's connection point with the
// argument layout Internet Explorer uses: DISPPARAMS lists the arguments last
// to first (the event's last argument is rgvarg[0]), and every value a sink
// may read or change is passed by reference. Keeps the last few events for
// the demo's page area.
#include "ConnectionPoint.h"

#include "platform/ComObject.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

namespace standin {

class BrowserEvents {
public:
    explicit BrowserEvents(ConnectionPoint& point) noexcept : m_point(point) {}
    BrowserEvents(const BrowserEvents&) = delete;
    BrowserEvents& operator=(const BrowserEvents&) = delete;

    // Each answers true when a sink set Cancel.
    bool BeforeNavigate2(IDispatch* browser, const std::wstring& url, long flags = 0,
                         const std::wstring& targetFrame = {}, const std::wstring& headers = {});
    bool NewWindow2();

    void NavigateComplete2(IDispatch* browser, const std::wstring& url);
    void DocumentComplete(IDispatch* browser, const std::wstring& url);
    void WindowStateChanged(DWORD flags, DWORD validFlags);
    void CommandStateChange(long command, bool enable);
    void PropertyChange(const std::wstring& property);
    void OnQuit();

    // For robustness tests: an event with no parameter block at all, and one
    // whose block holds fewer arguments (all VT_EMPTY) than the event has.
    void WithoutParameters(DISPID id);
    void WithTooFewArguments(DISPID id, UINT count);

    // The last few events fired, oldest first ("DocumentComplete http://...").
    const std::deque<std::wstring>& Recent() const noexcept { return m_recent; }
    // Called after every event (the frame repaints its page area).
    std::function<void()> onFired;

private:
    void Fire(DISPID id, DISPPARAMS* params, std::wstring description);

    ConnectionPoint& m_point;
    std::deque<std::wstring> m_recent;
};

} // namespace standin
