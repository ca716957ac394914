#pragma once
// The event object an HTML document or window hands to its event sinks: the
// event's type, its source element and screen position, and the two values a
// handler may set (returnValue, to cancel the default action, and cancelBubble).
#include "ConnectionPoint.h"
#include "HtmlEventStubs.h"

#include "platform/ComTypes.h"

#include <optional>
#include <string>
#include <string_view>

namespace standin {

class StandInEventObject final : public HtmlEventStubs<StandInEventObject> {
public:
    explicit StandInEventObject(std::wstring type);

    // Fires HTML event `id` on every sink of `point` with a new event object of
    // `type` ("resize", "click"...) as the one argument; answers the object so
    // that the caller can read what the handlers set.
    static marlin::ComPtr<StandInEventObject> Fire(ConnectionPoint& point, DISPID id, std::wstring_view type);
    // Fires this object as event `id` on every sink of `point`.
    void FireOn(ConnectionPoint& point, DISPID id);

    // The element the event happened on (none: srcElement answers null) and
    // where on the screen (none: screenX and screenY fail, as a malformed event).
    void SetSource(IHTMLElement* element) noexcept { m_source = element; }
    void SetScreenPoint(POINT point) noexcept { m_screen = point; }

    const VARIANT& ReturnValue() const noexcept { return m_returnValue.get(); }
    bool BubbleCancelled() const noexcept { return m_cancelBubble; }

    // IHTMLEventObj
    STDMETHODIMP get_srcElement(IHTMLElement** element) noexcept override;
    STDMETHODIMP get_type(BSTR* type) noexcept override;
    STDMETHODIMP get_screenX(LONG* x) noexcept override;
    STDMETHODIMP get_screenY(LONG* y) noexcept override;
    STDMETHODIMP put_returnValue(VARIANT value) noexcept override;
    STDMETHODIMP get_returnValue(VARIANT* value) noexcept override;
    STDMETHODIMP put_cancelBubble(VARIANT_BOOL cancel) noexcept override;
    STDMETHODIMP get_cancelBubble(VARIANT_BOOL* cancel) noexcept override;

private:
    std::wstring m_type;
    marlin::ComPtr<IHTMLElement> m_source;
    std::optional<POINT> m_screen;
    marlin::Variant m_returnValue;
    bool m_cancelBubble = false;
};

} // namespace standin
