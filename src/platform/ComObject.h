#pragma once
// Base for the product's COM objects: interlocked reference count,
// QueryInterface over the listed interfaces, and the module lock count.
#include "Module.h"
#include "Win32.h"

#include <wrl/client.h>

#include <new>
#include <type_traits>
#include <utility>

namespace marlin {

using Microsoft::WRL::ComPtr;

// Runs the body of a COM method or export so that no exception leaves it:
// out of memory becomes E_OUTOFMEMORY, anything else E_UNEXPECTED.
template <typename F>
HRESULT ComBoundary(F&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// Derived lists the interfaces it implements; the first one also provides the
// object's IUnknown identity. Derived may add
//   void* QueryExtraInterface(REFIID) noexcept
// for base interfaces reached through a listed one (IOleWindow via IDeskBand),
// and may declare `static constexpr bool kHoldsModuleLock = false;` for objects
// that must not keep the module loaded (cached class factories).
template <typename Derived, typename First, typename... Rest>
class ComObject : public First, public Rest... {
public:
    ComObject() noexcept
    {
        if (HoldsModuleLock()) ModuleLock::Lock();
    }
    virtual ~ComObject()
    {
        if (HoldsModuleLock()) ModuleLock::Unlock();
    }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        void* found = nullptr;
        if (iid == __uuidof(IUnknown)) {
            found = Identity();
        } else {
            found = Find<First, Rest...>(iid);
        }
        if (!found) {
            if constexpr (requires(Derived& d) { d.QueryExtraInterface(iid); }) {
                found = static_cast<Derived*>(this)->QueryExtraInterface(iid);
            }
        }
        if (!found) return E_NOINTERFACE;
        AddRef();
        *object = found;
        return S_OK;
    }

    STDMETHODIMP_(ULONG) AddRef() noexcept override
    {
        return static_cast<ULONG>(::InterlockedIncrement(&m_references));
    }

    STDMETHODIMP_(ULONG) Release() noexcept override
    {
        LONG remaining = ::InterlockedDecrement(&m_references);
        if (remaining == 0) delete this;
        return static_cast<ULONG>(remaining);
    }

    IUnknown* Identity() noexcept { return static_cast<First*>(this); }

    // Creates an object with one reference, owned by the returned pointer.
    template <typename... Args>
    static ComPtr<Derived> Make(Args&&... args)
    {
        // mingw's ComPtr::Attach adds a reference (unlike the Windows SDK's), so
        // the new object's first reference is handed over through the address.
        ComPtr<Derived> result;
        *result.GetAddressOf() = new Derived(std::forward<Args>(args)...);
        return result;
    }

private:
    static constexpr bool HoldsModuleLock() noexcept
    {
        if constexpr (requires { Derived::kHoldsModuleLock; }) {
            return Derived::kHoldsModuleLock;
        } else {
            return true;
        }
    }

    template <typename... Interfaces>
    void* Find(REFIID iid) noexcept
    {
        void* found = nullptr;
        ((found == nullptr && iid == __uuidof(Interfaces) ? (found = static_cast<Interfaces*>(this), true) : false), ...);
        return found;
    }

    volatile LONG m_references = 1;
};

// The factory behind every creatable class: a create function per class.
using CreateInstanceFunction = HRESULT (*)(REFIID iid, void** object);

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
public:
    // Factories are cached for the life of the module; they must not keep it loaded.
    static constexpr bool kHoldsModuleLock = false;

    explicit ClassFactory(CreateInstanceFunction create) noexcept : m_create(create) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) noexcept override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return ComBoundary([&] { return m_create(iid, object); });
    }

    STDMETHODIMP LockServer(BOOL lock) noexcept override
    {
        if (lock) {
            ModuleLock::Lock();
        } else {
            ModuleLock::Unlock();
        }
        return S_OK;
    }

private:
    CreateInstanceFunction m_create;
};

// Creates a T and answers QueryInterface for `iid` on it.
template <typename T>
HRESULT CreateComInstance(REFIID iid, void** object)
{
    ComPtr<T> instance = T::Make();
    return instance->QueryInterface(iid, object);
}

} // namespace marlin
