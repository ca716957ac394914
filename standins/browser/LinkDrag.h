#pragma once
// What the browser hands to OLE when a link is dragged out of a page: the
// address as Unicode and as ANSI text, and a drop source that follows the
// left mouse button.
#include "platform/ComObject.h"

#include <objidl.h>
#include <oleidl.h>

#include <string>

namespace standin {

// Runs OLE's drag loop for `address`; answers the effect the target chose.
DWORD DragLink(const std::wstring& address) noexcept;

class LinkDataObject final : public marlin::ComObject<LinkDataObject, IDataObject> {
public:
    explicit LinkDataObject(std::wstring address) : m_address(std::move(address)) {}

    STDMETHODIMP GetData(FORMATETC* wanted, STGMEDIUM* medium) noexcept override;
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* wanted) noexcept override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept override;
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) noexcept override;
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::wstring m_address;
};

class LinkDropSource final : public marlin::ComObject<LinkDropSource, IDropSource> {
public:
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) noexcept override
    {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    STDMETHODIMP GiveFeedback(DWORD) noexcept override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

} // namespace standin
