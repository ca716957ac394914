#pragma once
// Owners for BSTR and VARIANT, and a scope that initialises COM for the thread.
#include "Win32.h"

#include <string>
#include <string_view>
#include <utility>

namespace marlin {

class UniqueBstr {
public:
    UniqueBstr() noexcept = default;
    explicit UniqueBstr(std::wstring_view text)
        : m_value(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    ~UniqueBstr() { reset(); }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    UniqueBstr(UniqueBstr&& other) noexcept : m_value(other.release()) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }

    BSTR get() const noexcept { return m_value; }
    BSTR* put() noexcept
    {
        reset();
        return &m_value;
    }
    BSTR release() noexcept { return std::exchange(m_value, nullptr); }
    void reset(BSTR value = nullptr) noexcept { ::SysFreeString(std::exchange(m_value, value)); }
    // A BSTR made from text that is not empty: true unless allocation failed.
    bool valid() const noexcept { return m_value != nullptr; }
    std::wstring str() const { return m_value ? std::wstring(m_value, ::SysStringLen(m_value)) : std::wstring(); }

private:
    BSTR m_value = nullptr;
};

class Variant {
public:
    Variant() noexcept { ::VariantInit(&m_value); }
    ~Variant() { ::VariantClear(&m_value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    static Variant FromString(std::wstring_view text)
    {
        Variant v;
        v.m_value.vt = VT_BSTR;
        v.m_value.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!v.m_value.bstrVal) v.m_value.vt = VT_EMPTY;
        return v;
    }
    static Variant FromBool(bool value) noexcept
    {
        Variant v;
        v.m_value.vt = VT_BOOL;
        v.m_value.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    static Variant FromInt(int value) noexcept
    {
        Variant v;
        v.m_value.vt = VT_I4;
        v.m_value.lVal = value;
        return v;
    }
    Variant(Variant&& other) noexcept
    {
        m_value = other.m_value;
        ::VariantInit(&other.m_value);
    }

    VARIANT& get() noexcept { return m_value; }
    const VARIANT& get() const noexcept { return m_value; }
    VARIANT* put() noexcept
    {
        ::VariantClear(&m_value);
        return &m_value;
    }
    // The string held, or empty text when the value is not a BSTR.
    std::wstring str() const
    {
        if (m_value.vt != VT_BSTR || !m_value.bstrVal) return {};
        return std::wstring(m_value.bstrVal, ::SysStringLen(m_value.bstrVal));
    }

private:
    VARIANT m_value;
};

// Initialises COM (apartment model) for the current thread for the life of the
// scope. When the thread already runs another model, COM is still usable and
// nothing is undone at the end.
// OLE on the calling thread for the scope, as a browser's window threads
// have it (drag and drop, the clipboard): hosts and benchmarks of the band.
class OleInitScope {
public:
    OleInitScope() noexcept : m_hr(::OleInitialize(nullptr)) {}
    ~OleInitScope()
    {
        if (SUCCEEDED(m_hr)) ::OleUninitialize();
    }
    OleInitScope(const OleInitScope&) = delete;
    OleInitScope& operator=(const OleInitScope&) = delete;

private:
    HRESULT m_hr;
};

class ComInitScope {
public:
    ComInitScope() noexcept : m_hr(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComInitScope()
    {
        if (SUCCEEDED(m_hr)) ::CoUninitialize();
    }
    ComInitScope(const ComInitScope&) = delete;
    ComInitScope& operator=(const ComInitScope&) = delete;
    bool usable() const noexcept { return SUCCEEDED(m_hr) || m_hr == RPC_E_CHANGED_MODE; }
    // True when COM was already running on this thread before the scope, so
    // it outlives the scope.
    bool outlivesScope() const noexcept { return m_hr == S_FALSE || m_hr == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_hr;
};

} // namespace marlin
