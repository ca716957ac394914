#pragma once
// The band object the browser creates for every window, once as a desk band
// and once as a browser helper object. This module version answers the
// browser's interface queries and the fixed identity calls; the band's
// start-up sequence and window behaviour are not built yet and answer
// E_NOTIMPL.
#include "platform/ComObject.h"

#include "MarlinToolbar_h.h"

#include <ocidl.h>
#include <shobjidl.h>

class CMarlinToolbarObj final
    : public marlin::ComObject<CMarlinToolbarObj, IDeskBand, IObjectWithSite, IPersistStream, IInputObject,
                               IMarlinToolbarObj> {
public:
    void* QueryExtraInterface(REFIID iid) noexcept;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) noexcept override;
    // IDockingWindow
    STDMETHODIMP ShowDW(BOOL show) noexcept override;
    STDMETHODIMP CloseDW(DWORD reserved) noexcept override;
    STDMETHODIMP ResizeBorderDW(LPCRECT border, IUnknown* site, BOOL reserved) noexcept override;
    // IDeskBand
    STDMETHODIMP GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) noexcept override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) noexcept override;
    STDMETHODIMP GetSite(REFIID iid, void** site) noexcept override;

    // IPersist / IPersistStream
    STDMETHODIMP GetClassID(CLSID* classId) noexcept override;
    STDMETHODIMP IsDirty() noexcept override;
    STDMETHODIMP Load(IStream* stream) noexcept override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) noexcept override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) noexcept override;

    // IInputObject
    STDMETHODIMP UIActivateIO(BOOL activate, MSG* message) noexcept override;
    STDMETHODIMP HasFocusIO() noexcept override;
    STDMETHODIMP TranslateAcceleratorIO(MSG* message) noexcept override;

    // IDispatch (IMarlinToolbarObj)
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) noexcept override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) noexcept override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) noexcept override;
};
