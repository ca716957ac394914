#include "ClassTable.h"

#include "ClassIds.h"
#include "EventHandlers.h"
#include "MarlinToolbarObj.h"

#include <array>

namespace marlin {

namespace {

constexpr ClassTableRow kClassTable[] = {
    {&CLSID_MarlinToolbarObj, &CreateComInstance<CMarlinToolbarObj>},
    {&CLSID_DocEventHandler, &CreateComInstance<CDocEventHandler>},
    {&CLSID_WindowEventHandler, &CreateComInstance<CWindowEventHandler>},
};
constexpr size_t kClassCount = std::size(kClassTable);

class FactoryCache {
public:
    FactoryCache() noexcept { ::InitializeCriticalSection(&m_lock); }
    ~FactoryCache() { ::DeleteCriticalSection(&m_lock); }

    // The factory of row `index`, created on first request.
    IClassFactory* Get(size_t index) noexcept
    {
        if (IClassFactory* cached = m_factories[index]) return cached;
        ::EnterCriticalSection(&m_lock);
        if (!m_factories[index]) {
            try {
                m_factories[index] = ClassFactory::Make(kClassTable[index].create).Detach();
            } catch (...) {
                m_factories[index] = nullptr;
            }
        }
        IClassFactory* factory = m_factories[index];
        ::LeaveCriticalSection(&m_lock);
        return factory;
    }

    void ReleaseAll() noexcept
    {
        ::EnterCriticalSection(&m_lock);
        for (auto& factory : m_factories) {
            if (factory) factory->Release();
            factory = nullptr;
        }
        ::LeaveCriticalSection(&m_lock);
    }

private:
    CRITICAL_SECTION m_lock;
    std::array<IClassFactory* volatile, kClassCount> m_factories{};
};

FactoryCache& Factories() noexcept
{
    static FactoryCache cache;
    return cache;
}

} // namespace

std::span<const ClassTableRow> ClassTable() noexcept { return kClassTable; }

HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** object) noexcept
{
    if (!object) return E_POINTER;
    *object = nullptr;
    for (size_t i = 0; i < kClassCount; ++i) {
        if (*kClassTable[i].classId != classId) continue;
        IClassFactory* factory = Factories().Get(i);
        if (!factory) return E_OUTOFMEMORY;
        return factory->QueryInterface(iid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

void ReleaseClassFactories() noexcept { Factories().ReleaseAll(); }

} // namespace marlin
