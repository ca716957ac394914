#include "Registry.h"

#include <algorithm>
#include <vector>

namespace marlin {

unique_hkey OpenRegistryKey(HKEY root, const std::wstring& path, REGSAM access)
{
    unique_hkey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, access, key.put()) != ERROR_SUCCESS) key.reset();
    return key;
}

unique_hkey CreateRegistryKey(HKEY root, const std::wstring& path, REGSAM access)
{
    unique_hkey key;
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key.put(), nullptr)
        != ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

std::optional<std::wstring> ReadRegistryString(HKEY key, const wchar_t* name, size_t maxChars)
{
    if (!key || maxChars == 0) return std::nullopt;
    // One query into a buffer that holds the usual value (each query is a
    // wineserver request under Wine); a longer value is asked for again with
    // the size the first answer gave.
    DWORD type = 0;
    std::vector<wchar_t> buffer(std::min<size_t>(maxChars, 1024) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    LONG status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status == ERROR_MORE_DATA) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
        buffer.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    // The stored data need not be terminated; stop at the first null either way.
    size_t chars = bytes / sizeof(wchar_t);
    std::wstring value(buffer.data(), chars);
    if (size_t end = value.find(L'\0'); end != std::wstring::npos) value.resize(end);
    if (value.size() > maxChars) value.resize(maxChars);
    return value;
}

bool WriteRegistryString(HKEY key, const wchar_t* name, const std::wstring& value)
{
    if (!key) return false;
    DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}

bool WriteRegistryBinary(HKEY key, const wchar_t* name, const void* data, DWORD size)
{
    if (!key) return false;
    return ::RegSetValueExW(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool DeleteRegistryValue(HKEY key, const wchar_t* name)
{
    return key && ::RegDeleteValueW(key, name) == ERROR_SUCCESS;
}

bool DeleteRegistryTree(HKEY root, const std::wstring& path)
{
    if (path.empty()) return false;
    LSTATUS status = ::RegDeleteTreeW(root, path.c_str());
    if (status == ERROR_SUCCESS) {
        status = ::RegDeleteKeyW(root, path.c_str());
    }
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool RegistryKeyExists(HKEY root, const std::wstring& path)
{
    return static_cast<bool>(OpenRegistryKey(root, path, KEY_READ));
}

} // namespace marlin
