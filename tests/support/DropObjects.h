#pragma once
// OLE data objects as a drag source hands them over: each format's bytes in
// global memory, exactly as given (a test may leave out the terminating null).
#include "platform/ComObject.h"

#include <shlobj.h>

#include <string>
#include <utility>
#include <vector>

namespace marlin::test {

class TestDataObject final : public ComObject<TestDataObject, IDataObject> {
public:
    void Add(CLIPFORMAT format, std::string bytes) { m_formats.emplace_back(format, std::move(bytes)); }

    STDMETHODIMP GetData(FORMATETC* wanted, STGMEDIUM* medium) noexcept override
    {
        if (!wanted || !medium) return E_INVALIDARG;
        const std::string* bytes = Find(*wanted);
        if (!bytes) return DV_E_FORMATETC;
        HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE, bytes->size());
        if (!global) return E_OUTOFMEMORY;
        if (!bytes->empty()) {
            void* data = ::GlobalLock(global);
            memcpy(data, bytes->data(), bytes->size());
            ::GlobalUnlock(global);
        }
        *medium = STGMEDIUM{TYMED_HGLOBAL, {}, nullptr};
        medium->hGlobal = global;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* wanted) noexcept override
    {
        return wanted && Find(*wanted) ? S_OK : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept override
    {
        if (out) out->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) noexcept override
    {
        if (!formats) return E_INVALIDARG;
        *formats = nullptr;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> list;
        for (const auto& [format, bytes] : m_formats) list.push_back({format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
        return ::SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), formats);
    }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    const std::string* Find(const FORMATETC& wanted) const noexcept
    {
        if (!(wanted.tymed & TYMED_HGLOBAL)) return nullptr;
        for (const auto& [format, bytes] : m_formats) {
            if (format == wanted.cfFormat) return &bytes;
        }
        return nullptr;
    }

    std::vector<std::pair<CLIPFORMAT, std::string>> m_formats;
};

inline std::string UnicodeBytes(std::wstring_view text, bool terminated = true)
{
    std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    if (terminated) bytes.append(sizeof(wchar_t), '\0');
    return bytes;
}

// A link as a browser offers it: Unicode and ANSI text.
inline ComPtr<IDataObject> TextObject(const std::wstring& text)
{
    auto object = TestDataObject::Make();
    object->Add(CF_UNICODETEXT, UnicodeBytes(text));
    std::string ansi(text.begin(), text.end());
    object->Add(CF_TEXT, ansi + '\0');
    return object;
}

// Files as the shell offers them: CF_HDROP only.
inline ComPtr<IDataObject> FilesObject(const std::vector<std::wstring>& paths)
{
    DROPFILES header{};
    header.pFiles = sizeof(header);
    header.fWide = TRUE;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
    for (const std::wstring& path : paths) bytes += UnicodeBytes(path);
    bytes += UnicodeBytes(L"");
    auto object = TestDataObject::Make();
    object->Add(CF_HDROP, std::move(bytes));
    return object;
}

} // namespace marlin::test
