// Browser windows of the stand-in loading and unloading a component the way
// the browser does, and the band site the band lives on.
#include "FakeComponent.h"

#include "BrowserFrame.h"

#include <exdispid.h>
#include <shlguid.h>

#include <gtest/gtest.h>

#include <memory>

using namespace standin;
using namespace standin::test;
using marlin::ComPtr;

namespace {

struct Component {
    ComPtr<FakeComponent> helper = FakeComponent::Make();
    ComPtr<FakeComponent> band = FakeComponent::Make();
    BrowserOptions Options(BandSiteOptions site = {}) const { return Hosting(helper.Get(), band.Get(), site); }
};

REBARBANDINFOW RebarBand(HWND rebar, UINT id)
{
    REBARBANDINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE;
    const LRESULT index = ::SendMessageW(rebar, RB_IDTOINDEX, id, 0);
    if (index >= 0) ::SendMessageW(rebar, RB_GETBANDINFOW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
    return info;
}

TEST(BrowserWindow, OpeningSitesBothInstancesAndPutsTheBandIntoTheRebar)
{
    Component component;
    BrowserFrame frame(component.Options());
    ASSERT_TRUE(frame.Open(L"http://start.example/"));

    const LoadResults& loaded = frame.Component().Loaded();
    for (HRESULT hr : {loaded.createHelper, loaded.helperSetSite, loaded.createBand, loaded.bandSetSite,
                       loaded.bandWindow, loaded.bandInfo, loaded.showBand}) {
        EXPECT_EQ(hr, S_OK);
    }
    EXPECT_EQ(component.helper->calls, std::vector<std::wstring>{L"SetSite(browser)"});
    EXPECT_EQ(component.band->calls,
              (std::vector<std::wstring>{L"SetSite(band site)", L"GetWindow", L"GetBandInfo", L"ShowDW(TRUE)"}));
    EXPECT_EQ(component.band->bandInfoMask, BandSite::kBandInfoMask);
    const REBARBANDINFOW band = RebarBand(frame.Rebar(), BrowserFrame::kComponentBandId);
    EXPECT_EQ(band.hwndChild, component.band->window);
    EXPECT_EQ(band.cyMinChild, 24u);
    EXPECT_EQ(::GetParent(component.band->window), frame.Rebar());
    // The start page was navigated once the component was in place.
    EXPECT_EQ(component.helper->EventsWithId(DISPID_DOCUMENTCOMPLETE).size(), 1u);

    SHANDLE_PTR window = 0;
    ASSERT_EQ(frame.Browser().get_HWND(&window), S_OK);
    EXPECT_EQ(reinterpret_cast<HWND>(window), frame.hwnd());
    marlin::UniqueBstr path;
    ASSERT_EQ(frame.Browser().get_FullName(path.put()), S_OK);
    EXPECT_EQ(path.str(), L"C:\\Program Files\\Internet Explorer\\iexplore.exe");
}

TEST(BrowserWindow, TheBandSiteLeadsToTheBrowserAndPassesBandInfoChangesToTheRebar)
{
    Component component;
    BrowserFrame frame(component.Options());
    ASSERT_TRUE(frame.Open());
    ComPtr<IUnknown> site = frame.Site().Identity();

    ComPtr<IServiceProvider> services;
    ASSERT_EQ(site.As(&services), S_OK);
    ComPtr<IWebBrowser2> browser;
    ASSERT_EQ(services->QueryService(SID_SWebBrowserApp, IID_PPV_ARGS(&browser)), S_OK);
    EXPECT_EQ(browser.Get(), static_cast<IWebBrowser2*>(&frame.Browser()));

    marlin::Variant bar = marlin::Variant::FromString(L"{30D02401-6A81-11D0-8274-00C04FD5AE38}");
    marlin::Variant hide = marlin::Variant::FromBool(false);
    ASSERT_EQ(browser->ShowBrowserBar(&bar.get(), &hide.get(), nullptr), S_OK);
    ASSERT_EQ(browser->ShowBrowserBar(&bar.get(), nullptr, nullptr), S_OK);
    const auto& bars = frame.Browser().BrowserBarCalls();
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].clsid, L"{30D02401-6A81-11D0-8274-00C04FD5AE38}");
    EXPECT_FALSE(bars[0].show);
    EXPECT_TRUE(bars[1].show);

    // The band grew: it tells its site, which asks again and resizes the rebar band.
    ComPtr<IOleCommandTarget> commands;
    ASSERT_EQ(site.As(&commands), S_OK);
    component.band->bandHeight = 40;
    ASSERT_EQ(commands->Exec(&CGID_DeskBand, DBID_BANDINFOCHANGED, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(frame.Site().BandInfoQueries(), 2);
    EXPECT_EQ(RebarBand(frame.Rebar(), BrowserFrame::kComponentBandId).cyMinChild, 40u);
    EXPECT_EQ(commands->Exec(nullptr, DBID_BANDINFOCHANGED, 0, nullptr, nullptr), OLECMDERR_E_UNKNOWNGROUP);
}

TEST(BrowserWindow, AWindowStillOpensOnADegradedSiteAndLetsARefusingBandGo)
{
    Component component;
    BandSiteOptions degraded{false, false, false, false};
    BrowserFrame frame(component.Options(degraded));
    ASSERT_TRUE(frame.Open(L"http://start.example/"));
    ASSERT_TRUE(::IsWindow(frame.hwnd()));

    // The fake band cannot make its window without the site's, so it refuses the site.
    EXPECT_EQ(frame.Component().Loaded().bandSetSite, E_FAIL);
    EXPECT_EQ(frame.Component().Loaded().bandWindow, kNotAttempted);
    EXPECT_EQ(References(component.band->Identity()), 1u);
    EXPECT_EQ(frame.Component().Loaded().helperSetSite, S_OK);

    ComPtr<IUnknown> site = frame.Site().Identity();
    ComPtr<IInputObjectSite> input;
    ComPtr<IOleCommandTarget> commands;
    EXPECT_EQ(site.As(&input), E_NOINTERFACE);
    EXPECT_EQ(site.As(&commands), E_NOINTERFACE);
    ComPtr<IServiceProvider> services;
    ASSERT_EQ(site.As(&services), S_OK);
    ComPtr<IWebBrowser2> browser;
    EXPECT_HRESULT_FAILED(services->QueryService(SID_SWebBrowserApp, IID_PPV_ARGS(&browser)));
    EXPECT_EQ(browser, nullptr);
}

TEST(BrowserWindow, ClosingRunsTheBrowsersSequenceAndReleasesEverythingWhileOtherWindowsGoOn)
{
    Component first, second;
    auto firstFrame = std::make_unique<BrowserFrame>(first.Options());
    auto secondFrame = std::make_unique<BrowserFrame>(second.Options());
    ASSERT_TRUE(firstFrame->Open(L"http://one.example/"));
    ASSERT_TRUE(secondFrame->Open(L"http://two.example/"));
    first.helper->attachToDocuments = true;
    ASSERT_TRUE(firstFrame->Browser().Navigate(L"http://one.example/again"));
    HWND bandWindow = first.band->window;

    firstFrame->Close();
    EXPECT_EQ(first.helper->events.back().id, DISPID_ONQUIT);
    EXPECT_EQ(first.helper->calls.back(), L"SetSite(null)");
    const std::vector<std::wstring> bandCalls(first.band->calls.end() - 3, first.band->calls.end());
    EXPECT_EQ(bandCalls, (std::vector<std::wstring>{L"ShowDW(FALSE)", L"CloseDW", L"SetSite(null)"}));
    const CloseResults& closed = firstFrame->Component().Closed();
    for (HRESULT hr : {closed.hideBand, closed.closeBand, closed.bandSetSite, closed.helperSetSite}) {
        EXPECT_EQ(hr, S_OK);
    }
    EXPECT_EQ(firstFrame->LeftAtClose().browser, 0u);
    EXPECT_EQ(firstFrame->LeftAtClose().documents, 0u);
    EXPECT_EQ(firstFrame->LeftAtClose().windows, 0u);
    EXPECT_FALSE(::IsWindow(bandWindow));
    EXPECT_FALSE(::IsWindow(firstFrame->hwnd()));
    EXPECT_EQ(References(first.helper->Identity()), 1u);
    EXPECT_EQ(References(first.band->Identity()), 1u);

    // The other window is untouched and goes on navigating.
    const std::size_t heard = first.helper->events.size();
    ASSERT_TRUE(secondFrame->Browser().Navigate(L"http://two.example/next"));
    EXPECT_EQ(second.helper->EventsWithId(DISPID_DOCUMENTCOMPLETE).size(), 2u);
    EXPECT_EQ(first.helper->events.size(), heard);

    // A component that forgets to unadvise is reported, and the closing browser
    // still lets it go. Closed by the user this time.
    second.helper->leaveSinksAtClose = true;
    ::SendMessageW(secondFrame->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(second.band->calls.back(), L"SetSite(null)");
    EXPECT_EQ(secondFrame->LeftAtClose().browser, 1u);
    EXPECT_EQ(References(second.helper->Identity()), 1u);
    EXPECT_EQ(References(second.band->Identity()), 1u);
}

} // namespace
