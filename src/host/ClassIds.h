#pragma once
// Identifiers the component is known by: its classes, its type library.
#include "platform/Win32.h"

#include "MarlinToolbar_h.h"

namespace marlin {

// CLSID_MarlinToolbarObj, CLSID_DocEventHandler, CLSID_WindowEventHandler and
// LIBID_MarlinToolbarLib come from the type library's generated header.
inline constexpr wchar_t kBandClsidText[] = L"{72D5F972-7F68-44FA-9029-CC178AEA3780}";
inline constexpr wchar_t kDocEventHandlerClsidText[] = L"{4FC25D02-BAC2-4687-B969-652DFF029ED7}";
inline constexpr wchar_t kWindowEventHandlerClsidText[] = L"{EF8BB66F-7E00-4FE2-B2C5-6F13C32A7AAC}";
inline constexpr wchar_t kTypeLibIdText[] = L"{353BBECF-C271-4F85-A3DE-3ECD57BFE851}";

} // namespace marlin
