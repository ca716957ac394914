#pragma once
// The browser stand-in's frame: a top-level window with a rebar holding an
// address bar, a plain page area below, and the component created through its
// registered COM class, twice, as the browser does (helper object and band).
#include "platform/ComObject.h"
#include "platform/UniqueHandle.h"
#include "platform/Window.h"

#include <string>

namespace standin {

class BrowserFrame : public marlin::Window<BrowserFrame> {
public:
    static constexpr const wchar_t* kClassName = L"MarlinStandInBrowserFrame";

    // Creates the frame and the component; false when the window cannot be made.
    bool Open(const std::wstring& startAddress);

    // What the frame knows of the component: shown in the page area.
    const std::wstring& Status() const noexcept { return m_status; }
    HWND Rebar() const noexcept { return m_rebar; }
    bool ComponentCreated() const noexcept { return m_band && m_helper; }
    // Releases the component's objects (as the browser does when it closes).
    void ReleaseComponent() noexcept;

    LRESULT OnCreate(WPARAM, LPARAM, bool&);
    LRESULT OnSize(WPARAM, LPARAM, bool&);
    LRESULT OnPaint(WPARAM, LPARAM, bool&);
    LRESULT OnDestroy(WPARAM, LPARAM, bool&);

    static constexpr marlin::MessageEntry<BrowserFrame> kMessageMap[] = {
        {WM_CREATE, &BrowserFrame::OnCreate},
        {WM_SIZE, &BrowserFrame::OnSize},
        {WM_PAINT, &BrowserFrame::OnPaint},
        {WM_DESTROY, &BrowserFrame::OnDestroy},
    };

private:
    void CreateComponent();

    HWND m_rebar = nullptr;
    HWND m_address = nullptr;
    std::wstring m_startAddress;
    std::wstring m_status;
    marlin::ComPtr<IUnknown> m_helper;
    marlin::ComPtr<IUnknown> m_band;
};

} // namespace standin
