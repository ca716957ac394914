#pragma once
// Every method of IHTMLElement answering E_NOTIMPL, so that the element
// stand-in overrides only what an event handler reads.
#include "platform/ComObject.h"

#include <mshtml.h>

namespace standin {

template <typename Derived, typename... Extra>
class HtmlElementStubs : public marlin::ComObject<Derived, IHTMLElement, Extra...> {
public:
    // The base interfaces are reached through IHTMLElement.
    void* QueryExtraInterface(REFIID iid) noexcept
    {
        return iid == __uuidof(IDispatch) ? static_cast<IHTMLElement*>(this) : nullptr;
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept override
    {
        return DISP_E_MEMBERNOTFOUND;
    }
    // IHTMLElement
    STDMETHODIMP setAttribute(BSTR, VARIANT, LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP getAttribute(BSTR, LONG, VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP removeAttribute(BSTR, LONG, VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_className(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_className(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_id(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_id(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_tagName(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_parentElement(IHTMLElement**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_style(IHTMLStyle**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onhelp(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onhelp(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onclick(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onclick(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_ondblclick(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_ondblclick(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onkeydown(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onkeydown(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onkeyup(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onkeyup(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onkeypress(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onkeypress(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onmouseout(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onmouseout(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onmouseover(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onmouseover(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onmousemove(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onmousemove(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onmousedown(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onmousedown(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onmouseup(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onmouseup(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_document(IDispatch**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_title(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_title(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_language(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_language(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onselectstart(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onselectstart(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP scrollIntoView(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP contains(IHTMLElement*, VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_sourceIndex(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_recordNumber(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_lang(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_lang(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_offsetLeft(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_offsetTop(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_offsetWidth(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_offsetHeight(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_offsetParent(IHTMLElement**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_innerHTML(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_innerHTML(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_innerText(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_innerText(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_outerHTML(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_outerHTML(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_outerText(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_outerText(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP insertAdjacentHTML(BSTR, BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP insertAdjacentText(BSTR, BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_parentTextEdit(IHTMLElement**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_isTextEdit(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP click() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_filters(IHTMLFiltersCollection**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_ondragstart(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_ondragstart(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP toString(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onbeforeupdate(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onbeforeupdate(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onafterupdate(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onafterupdate(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onerrorupdate(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onerrorupdate(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onrowexit(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onrowexit(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onrowenter(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onrowenter(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_ondatasetchanged(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_ondatasetchanged(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_ondataavailable(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_ondataavailable(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_ondatasetcomplete(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_ondatasetcomplete(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onfilterchange(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onfilterchange(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_children(IDispatch**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_all(IDispatch**) noexcept override { return E_NOTIMPL; }
};

} // namespace standin
