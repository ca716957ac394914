#pragma once
// Every method of IWebBrowser2 and its bases answering E_NOTIMPL, so that the
// browser stand-in overrides only what the component uses.
#include "platform/ComObject.h"

#include <exdisp.h>

namespace standin {

template <typename Derived, typename... Extra>
class WebBrowserStubs : public marlin::ComObject<Derived, IWebBrowser2, Extra...> {
public:
    // The base interfaces are reached through IWebBrowser2.
    void* QueryExtraInterface(REFIID iid) noexcept
    {
        return iid == __uuidof(IDispatch) || iid == __uuidof(IWebBrowser) || iid == __uuidof(IWebBrowserApp) ? static_cast<IWebBrowser2*>(this) : nullptr;
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept override
    {
        return DISP_E_MEMBERNOTFOUND;
    }
    // IWebBrowser
    STDMETHODIMP GoBack() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GoForward() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GoHome() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GoSearch() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Navigate(BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Refresh() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Refresh2(VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Stop() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Application(IDispatch**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Parent(IDispatch**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Container(IDispatch**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Document(IDispatch**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Type(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Left(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_Left(LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Top(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_Top(LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Width(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_Width(LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Height(LONG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_Height(LONG) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_LocationName(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_LocationURL(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Busy(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    // IWebBrowserApp
    STDMETHODIMP Quit() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP ClientToWindow(int*, int*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP PutProperty(BSTR, VARIANT) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetProperty(BSTR, VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Name(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_HWND(SHANDLE_PTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_FullName(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Path(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Visible(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_Visible(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_StatusBar(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_StatusBar(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_StatusText(BSTR*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_StatusText(BSTR) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_ToolBar(int*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_ToolBar(int) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_MenuBar(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_MenuBar(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_FullScreen(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_FullScreen(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    // IWebBrowser2
    STDMETHODIMP Navigate2(VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP QueryStatusWB(OLECMDID, OLECMDF*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_ReadyState(READYSTATE*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Offline(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_Offline(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Silent(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_Silent(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_RegisterAsBrowser(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_RegisterAsBrowser(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_RegisterAsDropTarget(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_TheaterMode(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_TheaterMode(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_AddressBar(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_AddressBar(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP get_Resizable(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP put_Resizable(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
};

} // namespace standin
