// The demo browser's window: back and forward, the start page's links as
// elements of its document (a press on the picture starts on the IMG inside
// the link), and new windows only for pop-ups no sink refused.
#include "BrowserFrame.h"

#include "platform/ComTypes.h"
#include "platform/ConnectionPointConnection.h"

#include <exdispid.h>
#include <mshtmdid.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace marlin;
using namespace standin;

namespace {

// Notes the events it hears ("NewWindow2", "mousedown IMG") and refuses pop-ups when told to.
class EventNotes final : public ComObject<EventNotes, IDispatch> {
public:
    bool refusePopups = false;
    std::vector<std::wstring> heard;

    STDMETHODIMP GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) noexcept override
    {
        if (id == DISPID_NEWWINDOW2) {
            heard.push_back(L"NewWindow2");
            if (refusePopups) *params->rgvarg[0].pboolVal = VARIANT_TRUE;
        } else if (id == DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN && params->cArgs == 1) {
            ComPtr<IHTMLEventObj> event;
            ComPtr<IHTMLElement> source;
            UniqueBstr tag;
            params->rgvarg[0].pdispVal->QueryInterface(IID_PPV_ARGS(&event));
            if (event && SUCCEEDED(event->get_srcElement(&source)) && source) source->get_tagName(tag.put());
            heard.push_back(L"mousedown " + tag.str());
        }
        return S_OK;
    }
};

void Pump()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

std::wstring Title(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

} // namespace

TEST(BrowserWindow, GoesBackAndForwardFollowsThePagesLinksAndOpensOnlyThePopupsNoSinkRefused)
{
    std::vector<std::wstring> opened;
    BrowserFrame frame(BrowserOptions{.factory = [](ComponentRole, ComPtr<IUnknown>&) { return E_NOINTERFACE; },
                                      .openWindow = [&](const std::wstring& url) { opened.push_back(url); }});
    ASSERT_TRUE(frame.Open(kStartPage));
    StandInBrowser& browser = frame.Browser();
    ASSERT_TRUE(browser.Navigate(L"http://a.example/"));
    ASSERT_TRUE(browser.Navigate(L"http://b.example/"));
    EXPECT_TRUE(frame.GoBack());
    EXPECT_TRUE(frame.GoBack());
    EXPECT_EQ(browser.Url(), kStartPage);
    EXPECT_FALSE(frame.GoBack());
    EXPECT_TRUE(frame.GoForward());
    EXPECT_EQ(frame.Address().Text(), L"http://a.example/");
    // A new address drops what lay ahead.
    ASSERT_TRUE(browser.Navigate(L"http://c.example/?q=blue+marlin"));
    EXPECT_FALSE(frame.GoForward());
    EXPECT_EQ(Title(frame.hwnd()), L"http://c.example/?q=blue+marlin - Marlin Demo Browser");
    EXPECT_TRUE(frame.GoBack());
    EXPECT_EQ(browser.Url(), L"http://a.example/");

    // The start page: a press on the picture starts on its IMG; a click follows the link around it.
    ASSERT_TRUE(browser.Navigate(kStartPage));
    EXPECT_EQ(Title(frame.hwnd()), L"Marlin Toolbar start page - http://www.marlintoolbar.example/ - Marlin Demo Browser");
    ComPtr<EventNotes> notes = EventNotes::Make();
    ConnectionPointConnection page =
        ConnectionPointConnection::Advise(browser.Document()->Identity(), DIID_HTMLDocumentEvents2, notes->Identity());
    HWND picture = ::FindWindowExW(frame.Page().hwnd(), nullptr, L"MarlinStandInLink", L"Coral picture");
    ASSERT_TRUE(picture);
    ::SendMessageW(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageW(picture, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
    EXPECT_EQ(notes->heard, std::vector<std::wstring>{L"mousedown IMG"});
    EXPECT_EQ(browser.Url(), L"http://www.reef.example/");
    page.Abandon();

    // Pop-ups: the page's button opens one unless a sink refuses it; so does a navigation for a new window.
    ASSERT_TRUE(browser.Navigate(kStartPage));
    ConnectionPointConnection events =
        ConnectionPointConnection::Advise(browser.Identity(), DIID_DWebBrowserEvents2, notes->Identity());
    HWND button = ::FindWindowExW(frame.Page().hwnd(), nullptr, L"BUTTON", L"Open a pop-up window");
    ::SendMessageW(button, BM_CLICK, 0, 0);
    notes->refusePopups = true;
    ::SendMessageW(button, BM_CLICK, 0, 0);
    Variant address = Variant::FromString(L"http://new.example/");
    Variant target = Variant::FromString(L"_blank");
    Variant empty;
    EXPECT_EQ(browser.Navigate2(&address.get(), &empty.get(), &target.get(), &empty.get(), &empty.get()), S_OK);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"http://ads.reef.example/popup.htm", L"http://new.example/"}));
    EXPECT_EQ(browser.Url(), kStartPage);
    frame.Close();
}
