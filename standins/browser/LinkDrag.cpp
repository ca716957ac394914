#include "LinkDrag.h"

#include "platform/Strings.h"

#include <shlobj.h>

#include <cstring>

namespace standin {

namespace {

bool Offered(const FORMATETC& format) noexcept
{
    return (format.cfFormat == CF_UNICODETEXT || format.cfFormat == CF_TEXT) && (format.tymed & TYMED_HGLOBAL);
}

} // namespace

DWORD DragLink(const std::wstring& address) noexcept
{
    try {
        DWORD effect = DROPEFFECT_NONE;
        ::DoDragDrop(LinkDataObject::Make(address).Get(), LinkDropSource::Make().Get(),
                     DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
        return effect;
    } catch (...) {
        return DROPEFFECT_NONE;
    }
}

STDMETHODIMP LinkDataObject::GetData(FORMATETC* wanted, STGMEDIUM* medium) noexcept
{
    if (!wanted || !medium) return E_INVALIDARG;
    if (!Offered(*wanted)) return DV_E_FORMATETC;
    return marlin::ComBoundary([&] {
        std::string bytes;
        if (wanted->cfFormat == CF_UNICODETEXT) {
            bytes.assign(reinterpret_cast<const char*>(m_address.c_str()), (m_address.size() + 1) * sizeof(wchar_t));
        } else {
            bytes = marlin::ToAnsi(m_address);
            bytes.push_back('\0');
        }
        HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        if (!global) return E_OUTOFMEMORY;
        std::memcpy(::GlobalLock(global), bytes.data(), bytes.size());
        ::GlobalUnlock(global);
        *medium = STGMEDIUM{TYMED_HGLOBAL, {}, nullptr};
        medium->hGlobal = global;
        return S_OK;
    });
}

STDMETHODIMP LinkDataObject::QueryGetData(FORMATETC* wanted) noexcept
{
    return wanted && Offered(*wanted) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP LinkDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept
{
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP LinkDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) noexcept
{
    if (!formats) return E_INVALIDARG;
    *formats = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC list[] = {{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
                        {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}};
    return ::SHCreateStdEnumFmtEtc(2, list, formats);
}

} // namespace standin
