#pragma once
// Registry access: a missing key or value is an empty result, never an error.
#include "UniqueHandle.h"

#include <optional>
#include <string>

namespace marlin {

unique_hkey OpenRegistryKey(HKEY root, const std::wstring& path, REGSAM access);
unique_hkey CreateRegistryKey(HKEY root, const std::wstring& path, REGSAM access);

// A REG_SZ or REG_EXPAND_SZ value (not expanded), cut to at most maxChars
// characters. Other types give nothing.
std::optional<std::wstring> ReadRegistryString(HKEY key, const wchar_t* name, size_t maxChars);
bool WriteRegistryString(HKEY key, const wchar_t* name, const std::wstring& value);
bool WriteRegistryBinary(HKEY key, const wchar_t* name, const void* data, DWORD size);
bool DeleteRegistryValue(HKEY key, const wchar_t* name);
// Deletes the subkey and everything below it; true when it is gone afterwards.
bool DeleteRegistryTree(HKEY root, const std::wstring& path);
bool RegistryKeyExists(HKEY root, const std::wstring& path);

} // namespace marlin
