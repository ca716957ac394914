#pragma once
// Every method of IHTMLWindow2 and its bases answering E_NOTIMPL, so that the
// window stand-in overrides only what the component uses.
#include "platform/ComObject.h"

#include <mshtml.h>

namespace standin {

template <typename Derived, typename... Extra>
class HtmlWindowStubs : public marlin::ComObject<Derived, IHTMLWindow2, Extra...> {
public:
    // The base interfaces are reached through IHTMLWindow2.
    void* QueryExtraInterface(REFIID iid) noexcept
    {
        return iid == __uuidof(IDispatch) || iid == __uuidof(IHTMLFramesCollection2) ? static_cast<IHTMLWindow2*>(this) : nullptr;
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept override
    {
        return DISP_E_MEMBERNOTFOUND;
    }
    // IHTMLFramesCollection2
    STDMETHODIMP item(VARIANT*, VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_length(LONG*) noexcept override { return E_NOTIMPL; }
    // IHTMLWindow2
    STDMETHODIMP get_frames(IHTMLFramesCollection2**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_defaultStatus(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_defaultStatus(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_status(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_status(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP setTimeout(BSTR, LONG, VARIANT*, LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP clearTimeout(LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP alert(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP confirm(BSTR, VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP prompt(BSTR, BSTR, VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Image(IHTMLImageElementFactory**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_location(IHTMLLocation**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_history(IOmHistory**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP close() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_opener(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_opener(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_navigator(IOmNavigator**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_name(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_name(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_parent(IHTMLWindow2**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP open(BSTR, BSTR, BSTR, VARIANT_BOOL, IHTMLWindow2**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_self(IHTMLWindow2**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_top(IHTMLWindow2**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_window(IHTMLWindow2**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP navigate(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onfocus(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onfocus(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onblur(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onblur(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onload(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onload(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onbeforeunload(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onbeforeunload(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onunload(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onunload(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onhelp(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onhelp(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onerror(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onerror(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onresize(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onresize(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onscroll(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onscroll(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_document(IHTMLDocument2**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_event(IHTMLEventObj**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get__newEnum(IUnknown**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP showModalDialog(BSTR, VARIANT*, VARIANT*, VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP showHelp(BSTR, VARIANT, BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_screen(IHTMLScreen**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Option(IHTMLOptionElementFactory**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP focus() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_closed(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP blur() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP scroll(LONG, LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_clientInformation(IOmNavigator**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP setInterval(BSTR, LONG, VARIANT*, LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP clearInterval(LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_offscreenBuffering(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_offscreenBuffering(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP execScript(BSTR, BSTR, VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP toString(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP scrollBy(LONG, LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP scrollTo(LONG, LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP moveTo(LONG, LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP moveBy(LONG, LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP resizeTo(LONG, LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP resizeBy(LONG, LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_external(IDispatch**) noexcept override { return E_NOTIMPL; }
};

} // namespace standin
