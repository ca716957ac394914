#pragma once
// The HTML document and window event sinks that the band attaches to each
// completed document. Creatable classes of the module.
#include "platform/ComObject.h"

#include "MarlinToolbar_h.h"

namespace marlin {

// IDispatch that answers the type-information calls as the band does; what an
// event does is the derived sink's business.
template <typename Derived, typename Interface>
class EventSinkBase : public ComObject<Derived, Interface> {
public:
    void* QueryExtraInterface(REFIID iid) noexcept
    {
        return iid == __uuidof(IDispatch) ? static_cast<IDispatch*>(this) : nullptr;
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept override
    {
        return DISP_E_MEMBERNOTFOUND;
    }
};

class CDocEventHandler final : public EventSinkBase<CDocEventHandler, IDocEventHandler> {};
class CWindowEventHandler final : public EventSinkBase<CWindowEventHandler, IWindowEventHandler> {};

} // namespace marlin
