#pragma once
// What DllRegisterServer writes and DllUnregisterServer removes.
#include "platform/Win32.h"

namespace marlin {

HRESULT RegisterServer() noexcept;
HRESULT UnregisterServer() noexcept;

} // namespace marlin
