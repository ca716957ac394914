// The demo browser's window going back and forward (the end-to-end tests
// drive the rest of it with real input).
#include "BrowserFrame.h"

#include <gtest/gtest.h>

using namespace marlin;
using namespace standin;

TEST(BrowserWindow, GoesBackAndForwardAndANewAddressDropsWhatLayAhead)
{
    BrowserFrame frame(BrowserOptions{.factory = [](ComponentRole, ComPtr<IUnknown>&) { return E_NOINTERFACE; }});
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
    ASSERT_TRUE(browser.Navigate(L"http://c.example/"));
    EXPECT_FALSE(frame.GoForward());
    EXPECT_TRUE(frame.GoBack());
    EXPECT_EQ(browser.Url(), L"http://a.example/");
    frame.Close();
}
