#include "PageView.h"

#include "LinkDrag.h"

#include "platform/UniqueHandle.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include <mshtmdid.h>

namespace standin {

namespace {

constexpr int kMargin = 16;
constexpr int kLineHeight = 20;
constexpr int kPictureWidth = 96;
constexpr int kPictureHeight = 56;

} // namespace

// One link of the page. Tells its page about a press, a drag (the mouse
// moved past the drag distance with the button down) and a click.
class PageLinkWindow : public marlin::Window<PageLinkWindow> {
public:
    static constexpr const wchar_t* kClassName = L"MarlinStandInLink";

    PageLinkWindow(size_t index, bool picture) : m_index(index), m_picture(picture) {}
    ~PageLinkWindow() { Destroy(); }

    LRESULT OnPaint(WPARAM, LPARAM, bool&)
    {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(hwnd(), &paint);
        RECT client;
        ::GetClientRect(hwnd(), &client);
        ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        wchar_t text[256] = {};
        ::GetWindowTextW(hwnd(), text, 256);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(0, 0, 204));
        if (m_picture) {
            // A small sea with a coral: the picture the link holds.
            RECT sea{0, 0, kPictureWidth, kPictureHeight};
            marlin::unique_hbrush water(::CreateSolidBrush(RGB(40, 120, 190)));
            marlin::unique_hbrush coral(::CreateSolidBrush(RGB(240, 110, 90)));
            ::FillRect(dc, &sea, water.get());
            {
                marlin::SelectedObject brush(dc, coral.get());
                ::Ellipse(dc, 30, 22, 66, 54);
                ::Ellipse(dc, 14, 34, 40, 56);
            }
            RECT caption{0, kPictureHeight + 2, client.right, client.bottom};
            ::DrawTextW(dc, text, -1, &caption, DT_LEFT | DT_TOP | DT_NOPREFIX);
        } else {
            marlin::unique_hfont underlined(Underlined(dc));
            marlin::SelectedObject font(dc, underlined.get());
            ::DrawTextW(dc, text, -1, &client, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        ::EndPaint(hwnd(), &paint);
        return 0;
    }

    LRESULT OnEraseBackground(WPARAM, LPARAM, bool&) { return 1; }

    LRESULT OnSetCursor(WPARAM, LPARAM, bool&)
    {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }

    LRESULT OnButtonDown(WPARAM, LPARAM lParam, bool&)
    {
        m_pressedAt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::SetCapture(hwnd());
        ::SendMessageW(::GetParent(hwnd()), PageView::kLinkPressed, m_index, 0);
        return 0;
    }

    LRESULT OnMouseMove(WPARAM, LPARAM lParam, bool&)
    {
        if (::GetCapture() != hwnd()) return 0;
        const int dx = GET_X_LPARAM(lParam) - m_pressedAt.x;
        const int dy = GET_Y_LPARAM(lParam) - m_pressedAt.y;
        if (std::abs(dx) <= ::GetSystemMetrics(SM_CXDRAG) && std::abs(dy) <= ::GetSystemMetrics(SM_CYDRAG)) return 0;
        ::ReleaseCapture();
        ::SendMessageW(::GetParent(hwnd()), PageView::kLinkDragged, m_index, 0);
        return 0;
    }

    LRESULT OnButtonUp(WPARAM, LPARAM, bool&)
    {
        if (::GetCapture() != hwnd()) return 0;
        ::ReleaseCapture();
        // Posted: the click navigates, and the navigation replaces this window.
        ::PostMessageW(::GetParent(hwnd()), PageView::kLinkClicked, m_index, 0);
        return 0;
    }

    static constexpr marlin::MessageEntry<PageLinkWindow> kMessageMap[] = {
        {WM_PAINT, &PageLinkWindow::OnPaint},         {WM_ERASEBKGND, &PageLinkWindow::OnEraseBackground},
        {WM_SETCURSOR, &PageLinkWindow::OnSetCursor},
        {WM_LBUTTONDOWN, &PageLinkWindow::OnButtonDown}, {WM_MOUSEMOVE, &PageLinkWindow::OnMouseMove},
        {WM_LBUTTONUP, &PageLinkWindow::OnButtonUp},
    };

private:
    static HFONT Underlined(HDC)
    {
        LOGFONTW font{};
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
        font.lfUnderline = TRUE;
        return ::CreateFontIndirectW(&font);
    }

    size_t m_index;
    bool m_picture;
    POINT m_pressedAt{};
};

PageView::PageView(PageHooks hooks) : m_hooks(std::move(hooks)) {}

PageView::~PageView()
{
    m_links.clear();
    Destroy();
}

int PageView::TextBottom() const
{
    return kMargin + kLineHeight * static_cast<int>(1 + m_page.lines.size()) + 8;
}

void PageView::Show(const std::wstring& url, StandInDocument* document)
{
    m_page = PageFor(url);
    m_document = document;
    m_sources.clear();
    m_links.clear();
    if (m_popupButton) ::DestroyWindow(m_popupButton);
    m_popupButton = nullptr;

    StandInElement* body = document ? &document->AddElement(L"BODY") : nullptr;
    if (document) document->SetTitle(m_page.title);
    int y = TextBottom();
    for (size_t i = 0; i < m_page.links.size(); ++i) {
        const PageLink& link = m_page.links[i];
        const bool picture = !link.picture.empty();
        StandInElement* source = nullptr;
        if (document) {
            StandInElement& anchor = document->AddElement(L"A", {{L"href", link.href}}, body);
            source = picture ? &document->AddElement(L"IMG", {{L"src", link.picture}}, &anchor) : &anchor;
        }
        m_sources.push_back(source);
        auto window = std::make_unique<PageLinkWindow>(i, picture);
        const int height = picture ? kPictureHeight + kLineHeight : kLineHeight;
        const RECT rect{kMargin + 8, y, kMargin + 8 + 240, y + height};
        window->Create(hwnd(), rect, link.text.c_str(), WS_CHILD | WS_VISIBLE);
        m_links.push_back(std::move(window));
        y += height + 4;
    }
    if (!m_page.popup.empty()) {
        m_popupButton = ::CreateWindowExW(0, L"BUTTON", L"Open a pop-up window", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                          kMargin + 8, y + 8, 180, 26, hwnd(),
                                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kPopupButtonId)),
                                          marlin::ModuleInstance(), nullptr);
        ::SendMessageW(m_popupButton, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    }
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void PageView::FireDocumentEvent(DISPID id, const wchar_t* type, size_t index, POINT screen)
{
    if (!m_document || index >= m_sources.size()) return;
    // A handler may run a dialog meanwhile; the document and event stay alive for the call.
    const marlin::ComPtr<StandInDocument> document = m_document;
    marlin::ComPtr<StandInEventObject> event = StandInEventObject::Make(type);
    event->SetSource(m_sources[index]);
    event->SetScreenPoint(screen);
    document->FireEvent(id, *event.Get());
}

LRESULT PageView::OnLink(UINT message, WPARAM index)
{
    if (index >= m_page.links.size()) return 0;
    const std::wstring href = m_page.links[index].href;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (message == kLinkPressed) {
        FireDocumentEvent(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN, L"mousedown", index, cursor);
    } else if (message == kLinkDragged) {
        FireDocumentEvent(DISPID_HTMLDOCUMENTEVENTS2_ONDRAGSTART, L"dragstart", index, cursor);
        DragLink(href);
        ::GetCursorPos(&cursor);
        FireDocumentEvent(DISPID_HTMLELEMENTEVENTS2_ONDRAGEND, L"dragend", index, cursor);
    } else if (m_hooks.navigate) {
        m_hooks.navigate(href);
    }
    return 0;
}

void PageView::OnPopupButton(UINT, HWND)
{
    if (m_hooks.openPopup && !m_page.popup.empty()) m_hooks.openPopup(m_page.popup);
}

LRESULT PageView::OnEraseBackground(WPARAM, LPARAM, bool&) { return 1; }

LRESULT PageView::OnPaint(WPARAM, LPARAM, bool&)
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd(), &paint);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    marlin::SelectedObject font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    RECT line{kMargin, kMargin, client.right - kMargin, kMargin + kLineHeight};
    ::DrawTextW(dc, m_page.title.c_str(), -1, &line, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    for (const std::wstring& text : m_page.lines) {
        ::OffsetRect(&line, 0, kLineHeight);
        ::DrawTextW(dc, text.c_str(), -1, &line, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    // Below the page's own content: what the browser knows of the component.
    int bottom = TextBottom();
    for (const auto& link : m_links) {
        RECT rect;
        ::GetWindowRect(link->hwnd(), &rect);
        ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        bottom = std::max<int>(bottom, rect.bottom);
    }
    if (m_popupButton) bottom += 40;
    if (m_hooks.status) {
        const std::wstring status = m_hooks.status();
        RECT rest{kMargin, bottom + 16, client.right - kMargin, client.bottom};
        ::SetTextColor(dc, RGB(96, 96, 96));
        ::DrawTextW(dc, status.c_str(), -1, &rest, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    }
    ::EndPaint(hwnd(), &paint);
    return 0;
}

} // namespace standin
