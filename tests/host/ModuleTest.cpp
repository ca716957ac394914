// The real MarlinToolbar.dll, loaded and driven through its four exports as
// the browser and the registration tool do.
#include "host/ClassIds.h"
#include "platform/ComObject.h"
#include "platform/ComTypes.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "support/Processes.h"
#include "support/Golden.h"

#include "MarlinToolbar_h.h"

#include <ocidl.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

using namespace marlin;
using namespace marlin::test;

namespace {

constexpr wchar_t kBandClsid[] = L"{72D5F972-7F68-44FA-9029-CC178AEA3780}";

std::wstring DllPath() { return WinePath(MARLIN_DLL_PATH); }

// The module and its exports, loaded for one test.
class LoadedModule {
public:
    LoadedModule() : m_module(::LoadLibraryW(DllPath().c_str())) {}
    bool loaded() const { return static_cast<bool>(m_module); }

    template <typename F>
    F Export(const char* name) const
    {
        return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(m_module.get(), name)));
    }
    HRESULT Register() const { return Export<HRESULT(WINAPI*)()>("DllRegisterServer")(); }
    HRESULT Unregister() const { return Export<HRESULT(WINAPI*)()>("DllUnregisterServer")(); }
    HRESULT CanUnloadNow() const { return Export<HRESULT(WINAPI*)()>("DllCanUnloadNow")(); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const
    {
        return Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, iid, out);
    }

private:
    unique_hmodule m_module;
};

// Every key and value below `path`, a line each, the module's path as <module>.
// The type library's own keys are the system's: only their root is listed.
std::wstring Dump(HKEY root, const std::wstring& path)
{
    unique_hkey key = OpenRegistryKey(root, path, KEY_READ);
    if (!key) return {};
    std::wstring dump = path.empty() ? L"" : path + L"\n";
    wchar_t name[256];
    wchar_t data[512];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = 256, size = sizeof(data) - sizeof(wchar_t), type = 0;
        if (::RegEnumValueW(key.get(), i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &size)) break;
        data[size / sizeof(wchar_t)] = L'\0';
        std::wstring value = type == REG_SZ ? data : Format(L"type %lu, %lu bytes", type, size);
        const size_t module = ToLowerAscii(value).find(ToLowerAscii(DllPath()));
        if (module != std::wstring::npos) value.replace(module, DllPath().size(), L"<module>");
        dump += path + L" [" + name + L"] = " + value + L"\n";
    }
    for (DWORD i = 0; path != L"Interface" && !ToLowerAscii(path).starts_with(L"typelib\\"); ++i) {
        DWORD nameSize = 256;
        if (::RegEnumKeyExW(key.get(), i, name, &nameSize, nullptr, nullptr, nullptr, nullptr)) break;
        dump += Dump(root, path.empty() ? name : path + L"\\" + name);
    }
    return dump;
}
std::wstring Registry() { return L"HKCR:\n" + Dump(HKEY_CLASSES_ROOT, L"") + L"HKLM:\n" + Dump(HKEY_LOCAL_MACHINE, L""); }

class ModuleTest : public IsolatedTest {};

TEST_F(ModuleTest, RegistrationWritesOneSetOfKeysAndUnregistrationLeavesTheSharedParents)
{
    LoadedModule module;
    ASSERT_TRUE(module.loaded());
    ASSERT_EQ(module.Register(), S_OK);
    // A leftover below the class key must not survive the next registration.
    CreateRegistryKey(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kBandClsid + L"\\Stale", KEY_WRITE);
    ASSERT_EQ(module.Register(), S_OK);
    EXPECT_EQ(Registry(), Golden(L"Registered.txt"));

    ASSERT_EQ(module.Unregister(), S_OK);
    EXPECT_EQ(Registry(), Golden(L"Unregistered.txt"));
    // Nothing left to remove is not a failure.
    EXPECT_EQ(module.Unregister(), S_OK);
}

TEST_F(ModuleTest, ClassObjectsAreCachedAndObjectsHoldTheModule)
{
    LoadedModule module;
    ASSERT_TRUE(module.loaded());
    EXPECT_EQ(module.GetClassObject(CLSID_MarlinToolbarObj, IID_IClassFactory, nullptr), E_POINTER);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(module.GetClassObject(IID_IUnknown, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(none, nullptr);

    ComPtr<IClassFactory> first, again;
    ASSERT_EQ(module.GetClassObject(CLSID_MarlinToolbarObj, IID_PPV_ARGS(&first)), S_OK);
    ASSERT_EQ(module.GetClassObject(CLSID_MarlinToolbarObj, IID_PPV_ARGS(&again)), S_OK);
    EXPECT_EQ(first.Get(), again.Get());
    // A cached factory alone does not keep the module loaded.
    EXPECT_EQ(module.CanUnloadNow(), S_OK);

    // Objects hold the module (aggregation and LockServer are the factory's own tests').
    ComPtr<IUnknown> band;
    ASSERT_EQ(first->CreateInstance(nullptr, IID_PPV_ARGS(&band)), S_OK);
    EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
    band.Reset();
    EXPECT_EQ(module.CanUnloadNow(), S_OK);

    for (const CLSID* sink : {&CLSID_DocEventHandler, &CLSID_WindowEventHandler}) {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(module.GetClassObject(*sink, IID_PPV_ARGS(&factory)), S_OK);
        ComPtr<IDispatch> dispatch;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&dispatch)), S_OK);
        EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
        const IID& own = *sink == CLSID_DocEventHandler ? IID_IDocEventHandler : IID_IWindowEventHandler;
        ComPtr<IUnknown> ownInterface;
        EXPECT_EQ(dispatch->QueryInterface(own, &ownInterface), S_OK);
    }
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
}

TEST_F(ModuleTest, TheModuleCarriesItsTypeLibraryVersionAndManifest)
{
    ComPtr<ITypeLib> library;
    ASSERT_EQ(::LoadTypeLibEx(DllPath().c_str(), REGKIND_NONE, &library), S_OK);
    ComPtr<ITypeInfo> band;
    EXPECT_EQ(library->GetTypeInfoOfGuid(CLSID_MarlinToolbarObj, &band), S_OK);
    DWORD ignored = 0;
    EXPECT_GT(::GetFileVersionInfoSizeW(DllPath().c_str(), &ignored), 0u);
    // The manifest for common controls 6 is resource 2.
    unique_hmodule module(::LoadLibraryExW(DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    EXPECT_TRUE(::FindResourceW(module.get(), MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24)));
}

// Child: loads the module into this process and answers 0 when it loaded.
int LoadModuleChild(const std::vector<std::wstring>& args)
{
    if (args.empty()) return 3;
    HMODULE module = ::LoadLibraryW(args[0].c_str());
    if (!module) return 1;
    ::FreeLibrary(module);
    return 0;
}
ChildRegistration g_loadModule(L"load-module", &LoadModuleChild);

TEST_F(ModuleTest, TheWindowsShellCannotLoadTheModule)
{
    const std::wstring program = CurrentProgram();
    const std::wstring dll = L"\"" + DllPath() + L"\"";
    struct Host {
        const wchar_t* folder;
        const wchar_t* name;
        int expected;
    };
    for (const Host& host : {Host{L"shell", L"EXPLORER.EXE", 1}, Host{L"shell2", L"Explorer.exe", 1},
                             Host{L"browser", L"iexplore.exe", 0}}) {
        const std::wstring copy = MakeFolder(host.folder) + host.name;
        ASSERT_TRUE(::CopyFileW(program.c_str(), copy.c_str(), FALSE));
        EXPECT_EQ(WaitChild(StartProgram(copy, L"--child load-module " + dll)), host.expected) << host.name;
    }
}

} // namespace
