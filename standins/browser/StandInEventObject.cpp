#include "StandInEventObject.h"

#include <utility>

namespace standin {

StandInEventObject::StandInEventObject(std::wstring type) : m_type(std::move(type)) {}

marlin::ComPtr<StandInEventObject> StandInEventObject::Fire(ConnectionPoint& point, DISPID id, std::wstring_view type)
{
    marlin::ComPtr<StandInEventObject> event = Make(std::wstring(type));
    event->FireOn(point, id);
    return event;
}

void StandInEventObject::FireOn(ConnectionPoint& point, DISPID id)
{
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_DISPATCH;
    argument.pdispVal = static_cast<IHTMLEventObj*>(this); // borrowed for the call
    DISPPARAMS params{&argument, nullptr, 1, 0};
    point.Invoke(id, &params);
}

STDMETHODIMP StandInEventObject::get_srcElement(IHTMLElement** element) noexcept
{
    if (!element) return E_POINTER;
    *element = m_source.Get();
    if (*element) (*element)->AddRef();
    return S_OK;
}

STDMETHODIMP StandInEventObject::get_screenX(LONG* x) noexcept
{
    if (!x) return E_POINTER;
    if (!m_screen) return E_FAIL;
    *x = m_screen->x;
    return S_OK;
}

STDMETHODIMP StandInEventObject::get_screenY(LONG* y) noexcept
{
    if (!y) return E_POINTER;
    if (!m_screen) return E_FAIL;
    *y = m_screen->y;
    return S_OK;
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
