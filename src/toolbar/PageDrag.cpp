#include "PageDrag.h"

#include "platform/ComObject.h"
#include "platform/ComTypes.h"
#include "platform/Strings.h"

#include <mshtmdid.h>

#include <utility>

namespace marlin {

namespace {

// The event object, the one argument of an HTML document event.
ComPtr<IHTMLEventObj> EventObject(const DISPPARAMS* params)
{
    if (!params || params->cArgs < 1 || !params->rgvarg) return nullptr;
    const VARIANT& argument = params->rgvarg[0];
    IUnknown* object = nullptr;
    if (argument.vt == VT_DISPATCH || argument.vt == VT_UNKNOWN) {
        object = argument.punkVal;
    } else if (argument.vt == (VT_DISPATCH | VT_BYREF) && argument.ppdispVal) {
        object = *argument.ppdispVal;
    }
    ComPtr<IHTMLEventObj> event;
    if (!object || FAILED(object->QueryInterface(IID_PPV_ARGS(&event)))) return nullptr;
    return event;
}

std::wstring TagOf(IHTMLElement* element)
{
    UniqueBstr tag;
    if (FAILED(element->get_tagName(tag.put()))) return {};
    return tag.str();
}

// The attribute's text as a full address, or nothing when it is missing, not
// text, or longer than an address may be.
std::wstring AddressAttribute(IHTMLElement* element, const wchar_t* name)
{
    UniqueBstr attribute(name);
    Variant value;
    // 4: a URL attribute fully expanded, not as the page wrote it.
    if (!attribute.valid() || FAILED(element->getAttribute(attribute.get(), 4, value.put()))) return {};
    if (value.get().vt != VT_BSTR || !value.get().bstrVal) return {};
    const UINT length = ::SysStringLen(value.get().bstrVal);
    if (length > CPageDrag::kMaxAddress) return {};
    return std::wstring(value.get().bstrVal, length);
}

} // namespace

std::wstring PageDragAddress(IHTMLElement* start)
{
    std::wstring picture;
    ComPtr<IHTMLElement> element(start);
    for (int depth = 0; element && depth < CPageDrag::kMaxWalk; ++depth) {
        const std::wstring tag = TagOf(element.Get());
        if (EqualsNoCase(tag, L"BODY")) break;
        if (EqualsNoCase(tag, L"A") || EqualsNoCase(tag, L"AREA")) {
            std::wstring link = AddressAttribute(element.Get(), L"href");
            return link.empty() ? picture : link;
        }
        if (picture.empty() && (EqualsNoCase(tag, L"IMG") || EqualsNoCase(tag, L"INPUT"))) {
            picture = AddressAttribute(element.Get(), L"src");
        }
        ComPtr<IHTMLElement> parent;
        if (FAILED(element->get_parentElement(&parent))) break;
        element = std::move(parent);
    }
    return picture;
}

std::optional<std::wstring> CPageDrag::OnEvent(DISPID id, const DISPPARAMS* params, HWND toolbar, bool signedIn)
{
    if (id == DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN || id == DISPID_HTMLDOCUMENTEVENTS2_ONDRAGSTART) {
        ComPtr<IHTMLEventObj> event = EventObject(params);
        if (!event) return std::nullopt;
        ComPtr<IHTMLElement> source;
        m_address = SUCCEEDED(event->get_srcElement(&source)) && source ? PageDragAddress(source.Get()) : L"";
        m_dragging = true;
        m_startedAt = ::GetTickCount64();
        return std::nullopt;
    }
    if (id != DISPID_HTMLELEMENTEVENTS2_ONDRAGEND) return std::nullopt;

    const bool dragging = std::exchange(m_dragging, false);
    std::wstring address = std::exchange(m_address, std::wstring());
    if (!dragging || !signedIn || address.empty()) return std::nullopt;
    ComPtr<IHTMLEventObj> event = EventObject(params);
    LONG x = 0;
    LONG y = 0;
    if (!event || FAILED(event->get_screenX(&x)) || FAILED(event->get_screenY(&y))) return std::nullopt;
    RECT place{};
    const bool overToolbar = toolbar && ::IsWindowVisible(toolbar) && ::GetWindowRect(toolbar, &place) &&
                             ::PtInRect(&place, POINT{x, y});
    return overToolbar ? std::optional<std::wstring>(std::move(address)) : std::nullopt;
}

} // namespace marlin
