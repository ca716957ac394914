#pragma once
// The event object an HTML document or window hands to its event sinks: the
// event's type, and the two values a handler may set (returnValue, to cancel
// the default action, and cancelBubble).
#include "ConnectionPoint.h"
#include "HtmlEventStubs.h"

#include "platform/ComTypes.h"

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

    const VARIANT& ReturnValue() const noexcept { return m_returnValue.get(); }
    bool BubbleCancelled() const noexcept { return m_cancelBubble; }

    // IHTMLEventObj
    STDMETHODIMP get_type(BSTR* type) noexcept override;
    STDMETHODIMP put_returnValue(VARIANT value) noexcept override;
    STDMETHODIMP get_returnValue(VARIANT* value) noexcept override;
    STDMETHODIMP put_cancelBubble(VARIANT_BOOL cancel) noexcept override;
    STDMETHODIMP get_cancelBubble(VARIANT_BOOL* cancel) noexcept override;

private:
    std::wstring m_type;
    marlin::Variant m_returnValue;
    bool m_cancelBubble = false;
};

} // namespace standin
