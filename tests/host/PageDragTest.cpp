// Links and pictures dragged out of a page: the document sink the band
// attaches to each page, advised on the browser stand-in's document and fed
// its events as the browser fires them, offers what the drag carried when it
// ends over the toolbar window, and nothing for anything else.
#include "StandInDocument.h"

#include "document/SharedInstanceState.h"
#include "host/EventHandlers.h"
#include "platform/ConnectionPointConnection.h"
#include "platform/UniqueHandle.h"
#include "support/TestIsolation.h"

#include <mshtmdid.h>

#include <gtest/gtest.h>

#include <optional>

using namespace marlin;
using namespace marlin::test;
using standin::StandInDocument;
using standin::StandInElement;
using standin::StandInEventObject;

namespace {

constexpr DISPID kMouseDown = DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN;
constexpr DISPID kDragStart = DISPID_HTMLDOCUMENTEVENTS2_ONDRAGSTART;
constexpr DISPID kDragEnd = DISPID_HTMLELEMENTEVENTS2_ONDRAGEND;
constexpr POINT kOverToolbar{150, 110};
constexpr POINT kOverPage{150, 300};

class PageDragTest : public IsolatedTest {
protected:
    void SetUp() override
    {
        IsolatedTest::SetUp();
        m_toolbar.reset(::CreateWindowExW(0, L"STATIC", L"toolbar", WS_POPUP | WS_VISIBLE, 100, 100, 400, 30, nullptr,
                                          nullptr, nullptr, nullptr));
        m_document = StandInDocument::Make(L"http://page.example/");
        m_body = &m_document->AddElement(L"BODY", {}, &m_document->AddElement(L"HTML"));
        m_sink = CDocEventHandler::Make();
        m_sink->Attach(nullptr, m_toolbar.get(), [this](const std::wstring& address, ULONGLONG) { m_offers.push_back(address); });
        m_connection = ConnectionPointConnection::Advise(m_document->Identity(), DIID_HTMLDocumentEvents2, m_sink->Identity());
        ASSERT_TRUE(m_connection);
        SharedState().IsLoggedIn = 1;
    }
    void TearDown() override
    {
        m_connection = {};
        SharedState().IsLoggedIn = 0;
        IsolatedTest::TearDown();
    }

    StandInElement& Add(const wchar_t* tag, StandInElement::Attributes attributes, StandInElement* parent)
    {
        return m_document->AddElement(tag, std::move(attributes), parent);
    }
    void Fire(DISPID id, IHTMLElement* source, std::optional<POINT> screen = std::nullopt)
    {
        ComPtr<StandInEventObject> event = StandInEventObject::Make(L"drag");
        event->SetSource(source);
        if (screen) event->SetScreenPoint(*screen);
        m_document->FireEvent(id, *event.Get());
    }
    // A drag from `source` that ends at `end`: what it offered.
    std::vector<std::wstring> DragFrom(IHTMLElement* source, POINT end = kOverToolbar, DISPID start = kDragStart)
    {
        m_offers.clear();
        Fire(start, source, POINT{10, 10});
        Fire(kDragEnd, source, end);
        return m_offers;
    }

    unique_hwnd m_toolbar;
    ComPtr<StandInDocument> m_document;
    StandInElement* m_body = nullptr;
    ComPtr<CDocEventHandler> m_sink;
    ConnectionPointConnection m_connection;
    std::vector<std::wstring> m_offers;
};

using Offers = std::vector<std::wstring>;

TEST_F(PageDragTest, ALinkOrPictureDraggedOntoTheToolbarIsOffered)
{
    StandInElement& link = Add(L"A", {{L"href", L"http://link.example/page"}}, m_body);
    StandInElement& picture = Add(L"IMG", {{L"src", L"http://img.example/p.png"}}, &Add(L"SPAN", {}, &link));
    StandInElement& lonePicture = Add(L"img", {{L"SRC", L"http://img.example/alone.png"}}, m_body);
    StandInElement& area = Add(L"AREA", {{L"href", L"http://map.example/"}}, &Add(L"MAP", {}, m_body));
    StandInElement& anchor = Add(L"IMG", {{L"src", L"http://img.example/named.png"}}, &Add(L"A", {{L"name", L"x"}}, m_body));
    StandInElement& imageButton = Add(L"INPUT", {{L"type", L"image"}, {L"src", L"http://img.example/go.png"}}, m_body);
    StandInElement& text = Add(L"SPAN", {}, &Add(L"DIV", {}, m_body));
    StandInElement& aboveBody = Add(L"SPAN", {}, &Add(L"BODY", {}, &Add(L"A", {{L"href", L"http://out.example/"}}, nullptr)));
    StandInElement& longLink = Add(L"A", {{L"href", L"http://long.example/" + std::wstring(2100, L'x')}}, m_body);
    StandInElement* deep = &Add(L"A", {{L"href", L"http://deep.example/"}}, m_body);
    for (int i = 0; i < 300; ++i) deep = &Add(L"SPAN", {}, deep);

    const std::tuple<const char*, IHTMLElement*, Offers> cases[] = {
        {"a picture inside a link offers the link", &picture, {L"http://link.example/page"}},
        {"a link", &link, {L"http://link.example/page"}},
        {"a picture alone offers its source", &lonePicture, {L"http://img.example/alone.png"}},
        {"an area of an image map", &area, {L"http://map.example/"}},
        {"a picture in an anchor without address", &anchor, {L"http://img.example/named.png"}},
        {"a picture button", &imageButton, {L"http://img.example/go.png"}},
        {"text offers nothing", &text, {}},
        {"the walk stops at the body", &aboveBody, {}},
        {"an address longer than any", &longLink, {}},
        {"a link too far up", deep, {}},
        {"no element", nullptr, {}},
    };
    for (const auto& [what, source, offers] : cases) EXPECT_EQ(DragFrom(source), offers) << what;

    EXPECT_EQ(DragFrom(&picture, kOverPage), Offers{}) << "a drag that ends elsewhere";
    EXPECT_EQ(DragFrom(&picture, POINT{500, 110}), Offers{}) << "just right of the toolbar";
    EXPECT_EQ(DragFrom(&picture, POINT{100, 100}), Offers{L"http://link.example/page"}) << "its top left corner";
    EXPECT_EQ(DragFrom(&picture, kOverToolbar, kMouseDown), Offers{L"http://link.example/page"}) << "a press marks too";
    ::ShowWindow(m_toolbar.get(), SW_HIDE);
    EXPECT_EQ(DragFrom(&picture), Offers{}) << "a hidden toolbar";
    ::ShowWindow(m_toolbar.get(), SW_SHOW);
    SharedState().IsLoggedIn = 0;
    EXPECT_EQ(DragFrom(&picture), Offers{}) << "signed out";
}

TEST_F(PageDragTest, MalformedEventsOfferNothingAndEveryDragEndClearsTheMark)
{
    StandInElement& link = Add(L"A", {{L"href", L"http://link.example/"}}, m_body);
    auto invoke = [&](DISPID id, DISPPARAMS* params) {
        return m_sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
    };
    VARIANT number;
    number.vt = VT_I4;
    number.lVal = 7;
    VARIANT nothing;
    nothing.vt = VT_DISPATCH;
    nothing.pdispVal = nullptr;
    DISPPARAMS noArguments{nullptr, nullptr, 0, 0};
    DISPPARAMS aNumber{&number, nullptr, 1, 0};
    DISPPARAMS aNullObject{&nothing, nullptr, 1, 0};
    for (DISPID id : {kMouseDown, kDragStart, kDragEnd, DISPID(0)}) {
        for (DISPPARAMS* params : {static_cast<DISPPARAMS*>(nullptr), &noArguments, &aNumber, &aNullObject}) {
            Fire(kDragStart, &link, POINT{1, 1});
            EXPECT_EQ(invoke(id, params), DISP_E_MEMBERNOTFOUND);
            Fire(kDragEnd, &link, kOverToolbar);
        }
        EXPECT_EQ(m_offers.size(), id == kDragEnd ? 0u : 4u) << "event " << id;
        m_offers.clear();
    }

    // A drag end without a position offers nothing, and the next one finds no drag.
    Fire(kDragStart, &link, POINT{1, 1});
    Fire(kDragEnd, &link);
    Fire(kDragEnd, &link, kOverToolbar);
    EXPECT_TRUE(m_offers.empty());
}

} // namespace
