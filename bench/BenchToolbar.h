#pragma once
// A toolbar window as the benchmarks time it: 1200 pixels wide in a plain host
// window, over a scratch installation whose settings pick skin 1 and leave the
// pop-up blocker off. Creating it writes the default documents.
#include "platform/UniqueHandle.h"
#include "support/TestIsolation.h"
#include "toolbar/MarlinToolbarCtrl.h"

#include <string>

class BenchToolbar {
public:
    explicit BenchToolbar(const std::wstring& data)
    {
        marlin::test::WriteTextFile(
            data + L"XMLS\\ApplicationSettings.xml",
            "<MTRoot><Popup Status=\"0\"/><LogURL Yes=\"0\"/><AutoUpdate Plugin=\"0\"/><Skin ID=\"1\"/></MTRoot>");
        m_parent.reset(::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 1200, 40, nullptr,
                                         nullptr, nullptr, nullptr));
        toolbar.CreateIn(m_parent.get(), RECT{0, 0, 1200, 30});
        ::SendMessageW(toolbar.hwnd(), WM_SIZE, 0, MAKELPARAM(1200, 30));
    }
    ~BenchToolbar() { toolbar.Destroy(); }
    BenchToolbar(const BenchToolbar&) = delete;
    BenchToolbar& operator=(const BenchToolbar&) = delete;

private:
    marlin::unique_hwnd m_parent; // declared first: it goes after the toolbar

public:
    CMarlinToolbarCtrl toolbar;
};
