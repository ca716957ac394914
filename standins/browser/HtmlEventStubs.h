#pragma once
// Every method of IHTMLEventObj answering E_NOTIMPL, so that the event object
// stand-in overrides only what an event handler reads.
#include "platform/ComObject.h"

#include <mshtml.h>

namespace standin {

template <typename Derived, typename... Extra>
class HtmlEventStubs : public marlin::ComObject<Derived, IHTMLEventObj, Extra...> {
public:
    // The base interfaces are reached through IHTMLEventObj.
    void* QueryExtraInterface(REFIID iid) noexcept
    {
        return iid == __uuidof(IDispatch) ? static_cast<IHTMLEventObj*>(this) : nullptr;
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept override
    {
        return DISP_E_MEMBERNOTFOUND;
    }
    // IHTMLEventObj
    STDMETHODIMP get_srcElement(IHTMLElement**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_altKey(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_ctrlKey(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_shiftKey(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_returnValue(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_returnValue(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_cancelBubble(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_cancelBubble(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_fromElement(IHTMLElement**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_toElement(IHTMLElement**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_keyCode(LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_keyCode(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_button(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_type(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_qualifier(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_reason(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_x(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_y(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_clientX(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_clientY(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_offsetX(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_offsetY(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_screenX(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_screenY(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_srcFilter(IDispatch**) noexcept override { return E_NOTIMPL; }
};

} // namespace standin
