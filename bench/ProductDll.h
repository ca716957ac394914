#pragma once
// The built MarlinToolbar.dll loaded into a benchmark, with its class factory
// registered for this process: CoCreateInstance does not see a redirected
// HKCR under Wine, and the browser stand-in creates the component through it.
// The program that includes this also exports MarlinToolbarTestEnvironment,
// so that the DLL takes the scripted environment.
#include "platform/ComObject.h"
#include "platform/UniqueHandle.h"
#include "support/TestIsolation.h"

#include "MarlinToolbar_h.h"

class ProductDll {
public:
    explicit ProductDll(const char* path) : m_module(::LoadLibraryW(marlin::test::WinePath(path).c_str()))
    {
        auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
            reinterpret_cast<void*>(::GetProcAddress(m_module.get(), "DllGetClassObject")));
        if (!getClassObject || FAILED(getClassObject(CLSID_MarlinToolbarObj, IID_PPV_ARGS(&m_factory)))) return;
        if (FAILED(::CoRegisterClassObject(CLSID_MarlinToolbarObj, m_factory.Get(), CLSCTX_INPROC_SERVER,
                                           REGCLS_MULTIPLEUSE, &m_registration))) {
            m_registration = 0;
        }
    }
    ~ProductDll()
    {
        if (m_registration) ::CoRevokeClassObject(m_registration);
        m_factory.Reset();
    }
    ProductDll(const ProductDll&) = delete;
    ProductDll& operator=(const ProductDll&) = delete;

    bool Registered() const noexcept { return m_registration != 0; }
    IClassFactory* Factory() const noexcept { return m_factory.Get(); }

private:
    marlin::unique_hmodule m_module;
    marlin::ComPtr<IClassFactory> m_factory;
    DWORD m_registration = 0;
};
