#include "StandInEventObject.h"

#include <utility>

namespace standin {

StandInEventObject::StandInEventObject(std::wstring type) : m_type(std::move(type)) {}

marlin::ComPtr<StandInEventObject> StandInEventObject::Fire(ConnectionPoint& point, DISPID id, std::wstring_view type)
{
    marlin::ComPtr<StandInEventObject> event = Make(std::wstring(type));
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_DISPATCH;
    argument.pdispVal = static_cast<IHTMLEventObj*>(event.Get()); // borrowed for the call
    DISPPARAMS params{&argument, nullptr, 1, 0};
    point.Invoke(id, &params);
    return event;
}

STDMETHODIMP StandInEventObject::get_type(BSTR* type) noexcept
{
    if (!type) return E_POINTER;
    *type = ::SysAllocStringLen(m_type.data(), static_cast<UINT>(m_type.size()));
    return *type ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP StandInEventObject::put_returnValue(VARIANT value) noexcept
{
    return ::VariantCopy(m_returnValue.put(), &value);
}

STDMETHODIMP StandInEventObject::get_returnValue(VARIANT* value) noexcept
{
    if (!value) return E_POINTER;
    ::VariantInit(value);
    return ::VariantCopy(value, &m_returnValue.get());
}

STDMETHODIMP StandInEventObject::put_cancelBubble(VARIANT_BOOL cancel) noexcept
{
    m_cancelBubble = cancel != VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP StandInEventObject::get_cancelBubble(VARIANT_BOOL* cancel) noexcept
{
    if (!cancel) return E_POINTER;
    *cancel = m_cancelBubble ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

} // namespace standin
