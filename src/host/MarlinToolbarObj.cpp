#include "MarlinToolbarObj.h"

#include "ClassIds.h"

void* CMarlinToolbarObj::QueryExtraInterface(REFIID iid) noexcept
{
    if (iid == __uuidof(IOleWindow)) return static_cast<IOleWindow*>(static_cast<IDeskBand*>(this));
    if (iid == __uuidof(IDockingWindow)) return static_cast<IDockingWindow*>(static_cast<IDeskBand*>(this));
    if (iid == __uuidof(IPersist)) return static_cast<IPersist*>(static_cast<IPersistStream*>(this));
    if (iid == __uuidof(IDispatch)) return static_cast<IDispatch*>(static_cast<IMarlinToolbarObj*>(this));
    return nullptr;
}

// IOleWindow

STDMETHODIMP CMarlinToolbarObj::GetWindow(HWND* window) noexcept
{
    if (!window) return E_INVALIDARG;
    *window = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CMarlinToolbarObj::ContextSensitiveHelp(BOOL) noexcept { return S_OK; }

// IDockingWindow

STDMETHODIMP CMarlinToolbarObj::ShowDW(BOOL) noexcept { return E_NOTIMPL; }
STDMETHODIMP CMarlinToolbarObj::CloseDW(DWORD) noexcept { return E_NOTIMPL; }
STDMETHODIMP CMarlinToolbarObj::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) noexcept { return E_NOTIMPL; }

// IDeskBand

STDMETHODIMP CMarlinToolbarObj::GetBandInfo(DWORD, DWORD, DESKBANDINFO*) noexcept { return E_NOTIMPL; }

// IObjectWithSite

STDMETHODIMP CMarlinToolbarObj::SetSite(IUnknown*) noexcept { return E_NOTIMPL; }

STDMETHODIMP CMarlinToolbarObj::GetSite(REFIID, void** site) noexcept
{
    if (!site) return E_POINTER;
    *site = nullptr;
    return E_FAIL;
}

// IPersistStream

STDMETHODIMP CMarlinToolbarObj::GetClassID(CLSID* classId) noexcept
{
    if (!classId) return E_POINTER;
    *classId = CLSID_MarlinToolbarObj;
    return S_OK;
}

STDMETHODIMP CMarlinToolbarObj::IsDirty() noexcept { return S_FALSE; }
STDMETHODIMP CMarlinToolbarObj::Load(IStream*) noexcept { return E_NOTIMPL; }
STDMETHODIMP CMarlinToolbarObj::Save(IStream*, BOOL) noexcept { return E_NOTIMPL; }
STDMETHODIMP CMarlinToolbarObj::GetSizeMax(ULARGE_INTEGER*) noexcept { return E_NOTIMPL; }

// IInputObject

STDMETHODIMP CMarlinToolbarObj::UIActivateIO(BOOL, MSG*) noexcept { return E_NOTIMPL; }
STDMETHODIMP CMarlinToolbarObj::HasFocusIO() noexcept { return S_FALSE; }
STDMETHODIMP CMarlinToolbarObj::TranslateAcceleratorIO(MSG*) noexcept { return S_FALSE; }

// IDispatch

STDMETHODIMP CMarlinToolbarObj::GetTypeInfoCount(UINT*) noexcept { return E_NOTIMPL; }
STDMETHODIMP CMarlinToolbarObj::GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept { return E_NOTIMPL; }
STDMETHODIMP CMarlinToolbarObj::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept { return E_NOTIMPL; }

STDMETHODIMP CMarlinToolbarObj::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept
{
    return DISP_E_MEMBERNOTFOUND;
}
