#pragma once
// The plug-in SDK as tests give it to the product: a fake whose results and
// answers the test scripts, or the SDK stand-in loaded from a scratch folder
// with a script of the test's own.
#include "TestIsolation.h"

#include "platform/Strings.h"
#include "platform/UniqueHandle.h"
#include "plugins/PluginSdk.h"

#include <functional>
#include <mutex>

namespace marlin::test {

// Writes every call to `calls`; every out string is `answer(call)` when set, else `text` (null: none).
// Refresh workers call it from their threads.
class FakeSdk final : public ComObject<FakeSdk, IPluginSdk> {
public:
    HRESULT keyResult = S_OK, authResult = S_OK, startResult = S_OK, queryResult = S_OK;
    const wchar_t* text = L"answer";
    std::function<std::wstring(const std::wstring& call)> answer;
    LONG value = 7;
    // An SDK that hangs: while `gate` is set, each call signals `entered` and
    // waits for `gate`; `gone` is signalled when the object goes.
    HANDLE gate = nullptr, entered = nullptr, gone = nullptr;

    ~FakeSdk()
    {
        if (gone) ::SetEvent(gone);
    }

    std::wstring Calls()
    {
        std::lock_guard lock(m_lock);
        return std::exchange(m_calls, {});
    }

    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetPartnerKey(BSTR* key) override { return Answer(L"GetPartnerKey()", key, keyResult); }
    STDMETHODIMP AuthenticateUser(BSTR key, BSTR user, BSTR password, BSTR* out) override
    {
        return Answer(Format(L"AuthenticateUser(%ls,%ls,%ls)", key, user, password), out, authResult);
    }
    STDMETHODIMP StartSdk(BSTR key, BSTR user, BSTR* out) override
    {
        return Answer(Format(L"StartSdk(%ls,%ls)", key, user), out, startResult);
    }
    STDMETHODIMP QueryPlugin(LONG kind, LONG number, LONG toolbar, BSTR path, BSTR* text1, BSTR* text2, LONG* out) override
    {
        *out = value;
        Answer(L"", text1, S_OK);
        return Answer(Format(L"QueryPlugin(%ld,%ld,%ld,%ls)", kind, number, toolbar, path), text2, queryResult);
    }
    STDMETHODIMP GetPluginUpdates(BSTR id, BSTR* out) override
    {
        return Answer(Format(L"GetPluginUpdates(%ls)", id), out, queryResult);
    }
    STDMETHODIMP QueryDataChanged(LONG* changed) override
    {
        *changed = value;
        return Answer(L"QueryDataChanged()", nullptr, queryResult);
    }
#define UNUSED_SLOT(n) \
    STDMETHODIMP Reserved##n() override { return E_NOTIMPL; }
    UNUSED_SLOT(3) UNUSED_SLOT(5) UNUSED_SLOT(6) UNUSED_SLOT(7) UNUSED_SLOT(8) UNUSED_SLOT(9) UNUSED_SLOT(10)
    UNUSED_SLOT(11) UNUSED_SLOT(12) UNUSED_SLOT(14) UNUSED_SLOT(15) UNUSED_SLOT(16) UNUSED_SLOT(18)
#undef UNUSED_SLOT

    // The product's factory while a test uses fakes: `made` (none: not registered); each context asked for is noted.
    static inline ComPtr<FakeSdk> made;
    static inline std::wstring contexts;
    static inline std::mutex factoryLock;
    static HRESULT Factory(DWORD context, IPluginSdk** sdk)
    {
        std::lock_guard lock(factoryLock);
        contexts += Format(L"%lu ", context);
        if (!made) return REGDB_E_CLASSNOTREG;
        *sdk = made.Get();
        (*sdk)->AddRef();
        return S_OK;
    }

private:
    HRESULT Answer(const std::wstring& call, BSTR* out, HRESULT result)
    {
        if (gate) {
            ::SetEvent(entered);
            ::WaitForSingleObject(gate, INFINITE);
        }
        if (!call.empty()) {
            std::lock_guard lock(m_lock);
            m_calls += call + L" ";
        }
        if (out) *out = answer ? ::SysAllocString(answer(call).c_str()) : text ? ::SysAllocString(text) : nullptr;
        return result;
    }

    std::mutex m_lock;
    std::wstring m_calls;
};

// The SDK stand-in copied into `folder` beside `script`; while this lives the
// product's SDK objects come from that copy.
class StandInSdk {
public:
    StandInSdk(const std::wstring& folder, const std::string& script)
    {
        EXPECT_TRUE(::CopyFileW(WinePath(MARLIN_PLUGIN_SDK_PATH).c_str(), (folder + L"PluginSdk.dll").c_str(), FALSE));
        EXPECT_TRUE(WriteTextFile(folder + L"PluginSdk.xml", script));
        Module().reset(::LoadLibraryW((folder + L"PluginSdk.dll").c_str()));
        EXPECT_TRUE(Module());
        SetPluginSdkFactory(&Make);
    }
    ~StandInSdk()
    {
        SetPluginSdkFactory(nullptr);
        Module().reset();
    }

    static HMODULE module() { return Module().get(); }
    static HRESULT Make(DWORD, IPluginSdk** sdk)
    {
        using GetClassObject = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
        const auto get = reinterpret_cast<GetClassObject>(::GetProcAddress(Module().get(), "DllGetClassObject"));
        ComPtr<IClassFactory> factory;
        if (!get || FAILED(get(kPluginSdkClsid, IID_PPV_ARGS(&factory)))) return REGDB_E_CLASSNOTREG;
        return factory->CreateInstance(nullptr, kPluginSdkIid, reinterpret_cast<void**>(sdk));
    }

private:
    static unique_hmodule& Module()
    {
        static unique_hmodule module;
        return module;
    }
};

} // namespace marlin::test
