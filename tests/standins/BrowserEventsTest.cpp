// The browser stand-in's events, as a component sited on it receives them:
// order, argument layout, cancelling, frames, and the HTML sinks.
#include "FakeComponent.h"

#include "BrowserFrame.h"

#include <exdispid.h>
#include <mshtmdid.h>

#include <gtest/gtest.h>

using namespace standin;
using namespace standin::test;
using marlin::ComPtr;

namespace {

const void* Address(StandInBrowser& browser) { return browser.AsDispatch(); }

// A browser window hosting two fakes; the test listens through the helper object.
struct OpenBrowser {
    ComPtr<FakeComponent> helper = FakeComponent::Make();
    ComPtr<FakeComponent> band = FakeComponent::Make();
    BrowserFrame frame{Hosting(helper.Get(), band.Get())};

    OpenBrowser() { EXPECT_TRUE(frame.Open()); }
    StandInBrowser& browser() { return frame.Browser(); }
};

TEST(BrowserEvents, NavigationFiresTheBrowsersEventsWithArgumentsLastToFirst)
{
    OpenBrowser open;
    open.helper->events.clear();
    ASSERT_TRUE(open.browser().Navigate(L"http://www.example.com/start"));

    ASSERT_EQ(open.helper->EventIds(),
              (std::vector<DISPID>{DISPID_BEFORENAVIGATE2, DISPID_NAVIGATECOMPLETE2, DISPID_DOCUMENTCOMPLETE}));
    const ReceivedEvent& before = open.helper->events[0];
    ASSERT_EQ(before.args.size(), 7u);
    // BeforeNavigate2(pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel), reversed.
    EXPECT_EQ(before.args[6].vt, VT_DISPATCH);
    EXPECT_EQ(before.args[6].object, Address(open.browser()));
    EXPECT_EQ(before.args[5].vt, VT_VARIANT | VT_BYREF);
    EXPECT_EQ(before.args[5].inner, VT_BSTR);
    EXPECT_EQ(before.args[5].text, L"http://www.example.com/start");
    EXPECT_EQ(before.args[4].inner, VT_I4);
    EXPECT_EQ(before.args[3].inner, VT_BSTR);
    EXPECT_EQ(before.args[2].vt, VT_VARIANT | VT_BYREF);
    EXPECT_EQ(before.args[1].inner, VT_BSTR);
    EXPECT_EQ(before.args[0].vt, VT_BOOL | VT_BYREF);
    for (const ReceivedEvent& event : {open.helper->events[1], open.helper->events[2]}) {
        ASSERT_EQ(event.args.size(), 2u);
        EXPECT_EQ(event.args[1].vt, VT_DISPATCH);
        EXPECT_EQ(event.args[1].object, Address(open.browser()));
        EXPECT_EQ(event.args[0].vt, VT_VARIANT | VT_BYREF);
        EXPECT_EQ(event.args[0].text, L"http://www.example.com/start");
    }
    // By the page's DocumentComplete the browser shows the new page, complete.
    EXPECT_EQ(open.helper->readyStateAtComplete, READYSTATE_COMPLETE);
    EXPECT_EQ(open.helper->urlAtComplete, L"http://www.example.com/start");
    EXPECT_EQ(open.helper->documentUrlAtComplete, L"http://www.example.com/start");
    // The band instance is sited on the band site, not on the browser: it hears nothing.
    EXPECT_TRUE(open.band->events.empty());

    // CommandStateChange(Command, Enable), reversed as well.
    open.browser().Events().CommandStateChange(CSC_NAVIGATEBACK, true);
    const ReceivedEvent& command = open.helper->events.back();
    ASSERT_EQ(command.args.size(), 2u);
    EXPECT_EQ(command.args[1].text, std::to_wstring(CSC_NAVIGATEBACK));
    EXPECT_EQ(command.args[0].vt, VT_BOOL);
}

TEST(BrowserEvents, CancelComesBackFromBeforeNavigate2AndNewWindow2)
{
    OpenBrowser open;
    ASSERT_TRUE(open.browser().Navigate(L"http://first.example/"));
    open.helper->events.clear();
    open.helper->cancelNavigation = true;
    EXPECT_FALSE(open.browser().Navigate(L"http://second.example/"));
    EXPECT_EQ(open.helper->EventIds(), std::vector<DISPID>{DISPID_BEFORENAVIGATE2});
    EXPECT_EQ(open.browser().Url(), L"http://first.example/");
    ASSERT_NE(open.browser().Document(), nullptr);
    EXPECT_EQ(open.browser().Document()->Url(), L"http://first.example/");
    READYSTATE state = READYSTATE_UNINITIALIZED;
    open.browser().get_ReadyState(&state);
    EXPECT_EQ(state, READYSTATE_COMPLETE);

    EXPECT_FALSE(open.browser().Events().NewWindow2());
    open.helper->cancelNewWindow = true;
    EXPECT_TRUE(open.browser().Events().NewWindow2());
    const ReceivedEvent& newWindow = open.helper->events.back();
    ASSERT_EQ(newWindow.args.size(), 2u);
    EXPECT_EQ(newWindow.args[1].vt, VT_DISPATCH | VT_BYREF);
    EXPECT_EQ(newWindow.args[0].vt, VT_BOOL | VT_BYREF);

    // A browser a sink offers for the new window comes back with its reference.
    open.helper->cancelNewWindow = false;
    open.helper->offerNewWindow = true;
    const ULONG before = References(open.helper->Identity());
    ComPtr<IDispatch> offered;
    EXPECT_FALSE(open.browser().Events().NewWindow2(&offered));
    EXPECT_EQ(offered.Get(), static_cast<IDispatch*>(open.helper.Get()));
    offered.Reset();
    EXPECT_EQ(References(open.helper->Identity()), before);
}

TEST(BrowserEvents, AFramePageCompletesEachFrameBeforeThePage)
{
    OpenBrowser open;
    open.helper->events.clear();
    ASSERT_TRUE(open.browser().NavigateWithFrames(L"http://frames.example/",
                                                  {L"http://frames.example/left", L"http://frames.example/right"}));
    const auto& frames = open.browser().Frames();
    ASSERT_EQ(frames.size(), 2u);
    const auto completes = open.helper->EventsWithId(DISPID_DOCUMENTCOMPLETE);
    ASSERT_EQ(completes.size(), 3u);
    EXPECT_EQ(completes[0].args[1].object, Address(*frames[0].Get()));
    EXPECT_EQ(completes[0].args[0].text, L"http://frames.example/left");
    EXPECT_EQ(completes[1].args[1].object, Address(*frames[1].Get()));
    EXPECT_EQ(completes[2].args[1].object, Address(open.browser()));
    EXPECT_EQ(open.helper->EventsWithId(DISPID_BEFORENAVIGATE2).size(), 3u);

    // A frame is a browser of its own, with its own document, but not the top.
    VARIANT_BOOL topLevel = VARIANT_TRUE;
    frames[1]->get_TopLevelContainer(&topLevel);
    EXPECT_EQ(topLevel, VARIANT_FALSE);
    ComPtr<IDispatch> document;
    ASSERT_EQ(frames[1]->get_Document(&document), S_OK);
    EXPECT_EQ(document.Get(), static_cast<IDispatch*>(frames[1]->Document()));
    EXPECT_EQ(frames[1]->Document()->Url(), L"http://frames.example/right");
}

TEST(BrowserEvents, HtmlSinksAreCountedAndTheOldPagesAreDroppedOnNavigation)
{
    OpenBrowser open;
    open.helper->attachToDocuments = true;
    ASSERT_TRUE(open.browser().Navigate(L"http://page.example/one"));
    ComPtr<StandInDocument> first = open.browser().Document();
    EXPECT_EQ(first->EventSinkCount(), 1u);
    EXPECT_EQ(first->Window().EventSinkCount(), 1u);

    first->Window().FireResize();
    const ReceivedEvent& resize = open.helper->events.back();
    EXPECT_EQ(resize.id, DISPID_HTMLWINDOWEVENTS2_ONRESIZE);
    ASSERT_EQ(resize.args.size(), 1u);
    EXPECT_EQ(resize.args[0].vt, VT_DISPATCH);
    EXPECT_EQ(resize.args[0].text, L"resize");

    ASSERT_TRUE(open.browser().Navigate(L"http://page.example/two"));
    EXPECT_EQ(first->EventSinkCount(), 0u);
    EXPECT_EQ(first->Window().EventSinkCount(), 0u);
    EXPECT_EQ(open.browser().Document()->EventSinkCount(), 1u);
}

TEST(BrowserEvents, MalformedEventsReachTheSinkAsBuiltAndASinkMayLeaveDuringAnEvent)
{
    OpenBrowser open;
    ComPtr<FakeComponent> other = FakeComponent::Make();
    ASSERT_EQ(other->SetSite(open.browser().Identity()), S_OK);
    open.helper->events.clear();

    open.browser().Events().WithoutParameters(DISPID_BEFORENAVIGATE2);
    open.browser().Events().WithTooFewArguments(DISPID_DOCUMENTCOMPLETE, 1);
    ASSERT_EQ(open.helper->events.size(), 2u);
    EXPECT_FALSE(open.helper->events[0].withParams);
    EXPECT_EQ(open.helper->events[1].args.size(), 1u);

    // The first sink unadvises itself while OnQuit runs; the next one still hears it.
    open.helper->leaveOnQuit = true;
    open.browser().Events().OnQuit();
    EXPECT_EQ(open.helper->events.back().id, DISPID_ONQUIT);
    ASSERT_FALSE(other->events.empty());
    EXPECT_EQ(other->events.back().id, DISPID_ONQUIT);
    EXPECT_EQ(open.browser().EventSinkCount(), 1u);
    other->SetSite(nullptr);
}

} // namespace
