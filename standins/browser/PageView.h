#pragma once
// The page area of a browser window: the current page's title, text, links
// (one a picture inside a link) and pop-up button from DemoPages, and below
// them the component's load results and the last browser events. Each link
// is a window of its own, named by its text, and an element of the page's
// document: a press fires the document's mousedown, a drag fires dragstart,
// runs OLE's drag loop with the address (as the browser does) and fires
// dragend where the mouse was let go; a click navigates.
#include "DemoPages.h"
#include "StandInDocument.h"

#include "platform/Window.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace standin {

class PageLinkWindow;

struct PageHooks {
    std::function<void(const std::wstring& url)> navigate;
    // The page's button: the browser asks its sinks (NewWindow2) and opens the window.
    std::function<void(const std::wstring& url)> openPopup;
    std::function<std::wstring()> status;
};

class PageView : public marlin::Window<PageView> {
public:
    static constexpr const wchar_t* kClassName = L"MarlinStandInPage";
    static constexpr UINT kPopupButtonId = 100;
    static constexpr UINT kLinkPressed = WM_APP + 1; // wParam: link index
    static constexpr UINT kLinkDragged = WM_APP + 2;
    static constexpr UINT kLinkClicked = WM_APP + 3;

    explicit PageView(PageHooks hooks);
    ~PageView();

    // Shows the page of `url` and gives `document` its elements (BODY, an A
    // per link, an IMG inside a picture's link).
    void Show(const std::wstring& url, StandInDocument* document);

    LRESULT OnPaint(WPARAM, LPARAM, bool&);
    LRESULT OnEraseBackground(WPARAM, LPARAM, bool&);
    LRESULT OnLink(UINT message, WPARAM index);
    LRESULT OnLinkPressed(WPARAM wParam, LPARAM, bool&) { return OnLink(kLinkPressed, wParam); }
    LRESULT OnLinkDragged(WPARAM wParam, LPARAM, bool&) { return OnLink(kLinkDragged, wParam); }
    LRESULT OnLinkClicked(WPARAM wParam, LPARAM, bool&) { return OnLink(kLinkClicked, wParam); }
    void OnPopupButton(UINT, HWND);

    static constexpr marlin::MessageEntry<PageView> kMessageMap[] = {
        {WM_PAINT, &PageView::OnPaint},
        {WM_ERASEBKGND, &PageView::OnEraseBackground},
        {kLinkPressed, &PageView::OnLinkPressed},
        {kLinkDragged, &PageView::OnLinkDragged},
        {kLinkClicked, &PageView::OnLinkClicked},
    };
    static constexpr marlin::CommandEntry<PageView> kCommandMap[] = {
        {kPopupButtonId, &PageView::OnPopupButton},
    };

private:
    void FireDocumentEvent(DISPID id, const wchar_t* type, size_t index, POINT screen);
    int TextBottom() const;

    PageHooks m_hooks;
    DemoPage m_page;
    marlin::ComPtr<StandInDocument> m_document;
    std::vector<StandInElement*> m_sources; // per link: the element a press starts on
    std::vector<std::unique_ptr<PageLinkWindow>> m_links;
    HWND m_popupButton = nullptr;
};

} // namespace standin
