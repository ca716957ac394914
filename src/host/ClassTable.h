#pragma once
// The module's creatable classes and their cached class factories.
#include "platform/ComObject.h"

#include <span>

namespace marlin {

struct ClassTableRow {
    const CLSID* classId;
    CreateInstanceFunction create;
};

std::span<const ClassTableRow> ClassTable() noexcept;

// DllGetClassObject: the row's factory, created once under the module lock.
HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** object) noexcept;
// Releases the cached factories (process detach).
void ReleaseClassFactories() noexcept;

} // namespace marlin
