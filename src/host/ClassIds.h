#pragma once
// Identifiers the component is known by: its classes, its type library.
#include "platform/Win32.h"

namespace marlin {

// {72D5F972-7F68-44FA-9029-CC178AEA3780}
inline constexpr CLSID CLSID_MarlinToolbarObj = {0x72D5F972, 0x7F68, 0x44FA, {0x90, 0x29, 0xCC, 0x17, 0x8A, 0xEA, 0x37, 0x80}};
// {4FC25D02-BAC2-4687-B969-652DFF029ED7}
inline constexpr CLSID CLSID_DocEventHandler = {0x4FC25D02, 0xBAC2, 0x4687, {0xB9, 0x69, 0x65, 0x2D, 0xFF, 0x02, 0x9E, 0xD7}};
// {EF8BB66F-7E00-4FE2-B2C5-6F13C32A7AAC}
inline constexpr CLSID CLSID_WindowEventHandler = {0xEF8BB66F, 0x7E00, 0x4FE2, {0xB2, 0xC5, 0x6F, 0x13, 0xC3, 0x2A, 0x7A, 0xAC}};
// {353BBECF-C271-4F85-A3DE-3ECD57BFE851}
inline constexpr GUID LIBID_MarlinToolbarLib = {0x353BBECF, 0xC271, 0x4F85, {0xA3, 0xDE, 0x3E, 0xCD, 0x57, 0xBF, 0xE8, 0x51}};

inline constexpr wchar_t kBandClsidText[] = L"{72D5F972-7F68-44FA-9029-CC178AEA3780}";
inline constexpr wchar_t kDocEventHandlerClsidText[] = L"{4FC25D02-BAC2-4687-B969-652DFF029ED7}";
inline constexpr wchar_t kWindowEventHandlerClsidText[] = L"{EF8BB66F-7E00-4FE2-B2C5-6F13C32A7AAC}";
inline constexpr wchar_t kTypeLibIdText[] = L"{353BBECF-C271-4F85-A3DE-3ECD57BFE851}";

} // namespace marlin
