#pragma once
// Every method of IHTMLDocument2 and its bases answering E_NOTIMPL, so that the
// document stand-in overrides only what the component uses.
#include "platform/ComObject.h"

#include <mshtml.h>

namespace standin {

template <typename Derived, typename... Extra>
class HtmlDocumentStubs : public marlin::ComObject<Derived, IHTMLDocument2, Extra...> {
public:
    // The base interfaces are reached through IHTMLDocument2.
    void* QueryExtraInterface(REFIID iid) noexcept
    {
        return iid == __uuidof(IDispatch) || iid == __uuidof(IHTMLDocument) ? static_cast<IHTMLDocument2*>(this) : nullptr;
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept override
    {
        return DISP_E_MEMBERNOTFOUND;
    }
    // IHTMLDocument
    STDMETHODIMP get_Script(IDispatch**) noexcept override { return E_NOTIMPL; }
    // IHTMLDocument2
    STDMETHODIMP get_all(IHTMLElementCollection**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_body(IHTMLElement**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_activeElement(IHTMLElement**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_images(IHTMLElementCollection**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_applets(IHTMLElementCollection**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_links(IHTMLElementCollection**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_forms(IHTMLElementCollection**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_anchors(IHTMLElementCollection**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_title(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_title(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_scripts(IHTMLElementCollection**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_designMode(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_designMode(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_selection(IHTMLSelectionObject**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_readyState(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_frames(IHTMLFramesCollection2**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_embeds(IHTMLElementCollection**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_plugins(IHTMLElementCollection**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_alinkColor(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_alinkColor(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_bgColor(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_bgColor(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_fgColor(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_fgColor(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_linkColor(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_linkColor(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_vlinkColor(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_vlinkColor(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_referrer(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_location(IHTMLLocation**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_lastModified(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_URL(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_URL(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_domain(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_domain(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_cookie(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_cookie(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_expando(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_expando(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_charset(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_charset(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_defaultCharset(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_defaultCharset(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_mimeType(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_fileSize(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_fileCreatedDate(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_fileModifiedDate(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_fileUpdatedDate(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_security(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_protocol(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_nameProp(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP write(SAFEARRAY*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP writeln(SAFEARRAY*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP open(BSTR, VARIANT, VARIANT, VARIANT, IDispatch**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP close() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP clear() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP queryCommandSupported(BSTR, VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP queryCommandEnabled(BSTR, VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP queryCommandState(BSTR, VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP queryCommandIndeterm(BSTR, VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP queryCommandText(BSTR, BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP queryCommandValue(BSTR, VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP execCommand(BSTR, VARIANT_BOOL, VARIANT, VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP execCommandShowHelp(BSTR, VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP createElement(BSTR, IHTMLElement**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onhelp(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onhelp(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onclick(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onclick(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_ondblclick(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_ondblclick(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onkeyup(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onkeyup(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onkeydown(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onkeydown(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onkeypress(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onkeypress(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onmouseup(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onmouseup(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onmousedown(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onmousedown(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onmousemove(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onmousemove(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onmouseout(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onmouseout(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onmouseover(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onmouseover(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onreadystatechange(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onreadystatechange(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onafterupdate(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onafterupdate(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onrowexit(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onrowexit(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onrowenter(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onrowenter(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_ondragstart(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_ondragstart(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onselectstart(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onselectstart(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP elementFromPoint(LONG, LONG, IHTMLElement**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_parentWindow(IHTMLWindow2**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_styleSheets(IHTMLStyleSheetsCollection**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onbeforeupdate(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onbeforeupdate(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_onerrorupdate(VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_onerrorupdate(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP toString(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP createStyleSheet(BSTR, LONG, IHTMLStyleSheet**) noexcept override { return E_NOTIMPL; }
};

} // namespace standin
