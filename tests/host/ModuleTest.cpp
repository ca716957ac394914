// The real MarlinToolbar.dll, loaded and driven through its four exports as
// the browser and the registration tool do.
#include "host/ClassIds.h"
#include "platform/ComObject.h"
#include "platform/ComTypes.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "support/Processes.h"
#include "support/TestIsolation.h"

#include "MarlinToolbar_h.h"

#include <ocidl.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

using namespace marlin;
using namespace marlin::test;

namespace {

constexpr wchar_t kBandClsid[] = L"{72D5F972-7F68-44FA-9029-CC178AEA3780}";
constexpr wchar_t kHelperObjects[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr wchar_t kToolbarKey[] = L"Software\\Microsoft\\Internet Explorer\\Toolbar";

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

std::wstring DefaultValue(HKEY root, const std::wstring& path)
{
    unique_hkey key = OpenRegistryKey(root, path, KEY_READ);
    return ReadRegistryString(key.get(), nullptr, 1024).value_or(L"<missing>");
}

DWORD SubkeyCount(HKEY root, const std::wstring& path)
{
    unique_hkey key = OpenRegistryKey(root, path, KEY_READ);
    DWORD count = 0;
    if (key) ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr);
    return count;
}

class ModuleTest : public IsolatedTest {};

TEST_F(ModuleTest, RegistrationWritesOneSetOfKeysAndUnregistrationLeavesTheSharedParents)
{
    LoadedModule module;
    ASSERT_TRUE(module.loaded());
    ASSERT_EQ(module.Register(), S_OK);
    // A leftover below the class key must not survive the next registration.
    CreateRegistryKey(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kBandClsid + L"\\Stale", KEY_WRITE);
    ASSERT_EQ(module.Register(), S_OK);

    const std::wstring bandKey = std::wstring(L"CLSID\\") + kBandClsid;
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, bandKey + L"\\Stale"));
    EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, bandKey), L"Marlin Toolbar");
    EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, bandKey + L"\\ProgID"), L"MarlinToolbar.MarlinToolbarObj.1");
    EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, bandKey + L"\\VersionIndependentProgID"), L"MarlinToolbar.MarlinToolbarObj");
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, bandKey + L"\\Programmable"));
    EXPECT_TRUE(EqualsNoCase(DefaultValue(HKEY_CLASSES_ROOT, bandKey + L"\\InprocServer32"), DllPath()));
    {
        unique_hkey server = OpenRegistryKey(HKEY_CLASSES_ROOT, bandKey + L"\\InprocServer32", KEY_READ);
        EXPECT_EQ(ReadRegistryString(server.get(), L"ThreadingModel", 64).value_or(L""), L"Apartment");
    }
    EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, bandKey + L"\\TypeLib"), L"{353BBECF-C271-4F85-A3DE-3ECD57BFE851}");
    EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, L"MarlinToolbar.MarlinToolbarObj.1"), L"MarlinToolbar");
    EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, L"MarlinToolbar.MarlinToolbarObj\\CLSID"), kBandClsid);
    EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, L"MarlinToolbar.MarlinToolbarObj\\CurVer"), L"MarlinToolbar.MarlinToolbarObj.1");
    EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, L"MarlinToolbar.DocEventHandler\\CurVer"), L"MarlinToolbar.DocEventHandler.1");
    EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, L"CLSID\\{EF8BB66F-7E00-4FE2-B2C5-6F13C32A7AAC}"), L"WindowEventHandler Class");
    EXPECT_EQ(SubkeyCount(HKEY_CLASSES_ROOT, L"CLSID"), 3u);
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\{353BBECF-C271-4F85-A3DE-3ECD57BFE851}"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kHelperObjects) + L"\\" + kBandClsid));
    {
        unique_hkey toolbar = OpenRegistryKey(HKEY_LOCAL_MACHINE, kToolbarKey, KEY_READ);
        DWORD type = 0, size = 123;
        ASSERT_EQ(::RegQueryValueExW(toolbar.get(), kBandClsid, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(size, 0u);
    }

    ASSERT_EQ(module.Unregister(), S_OK);
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, bandKey));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"MarlinToolbar.MarlinToolbarObj"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"MarlinToolbar.WindowEventHandler.1"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kHelperObjects) + L"\\" + kBandClsid));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\{353BBECF-C271-4F85-A3DE-3ECD57BFE851}"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kHelperObjects));
    unique_hkey toolbar = OpenRegistryKey(HKEY_LOCAL_MACHINE, kToolbarKey, KEY_READ);
    ASSERT_TRUE(toolbar);
    EXPECT_NE(::RegQueryValueExW(toolbar.get(), kBandClsid, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);

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

    ComPtr<IUnknown> outer;
    ComPtr<IUnknown> aggregated;
    ASSERT_EQ(first->CreateInstance(nullptr, IID_PPV_ARGS(&outer)), S_OK);
    EXPECT_EQ(first->CreateInstance(outer.Get(), IID_PPV_ARGS(&aggregated)), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
    outer.Reset();
    EXPECT_EQ(module.CanUnloadNow(), S_OK);

    ASSERT_EQ(first->LockServer(TRUE), S_OK);
    EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
    ASSERT_EQ(first->LockServer(FALSE), S_OK);
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

TEST_F(ModuleTest, BandAnswersTheBrowsersInterfacesWithOneIdentity)
{
    LoadedModule module;
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(module.GetClassObject(CLSID_MarlinToolbarObj, IID_PPV_ARGS(&factory)), S_OK);
    ComPtr<IUnknown> band;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&band)), S_OK);

    const IID* expected[] = {&IID_IDeskBand, &IID_IDockingWindow, &IID_IOleWindow, &IID_IObjectWithSite,
                             &IID_IPersistStream, &IID_IPersist, &IID_IInputObject, &IID_IMarlinToolbarObj,
                             &IID_IDispatch};
    for (const IID* iid : expected) {
        ComPtr<IUnknown> answer;
        ASSERT_EQ(band->QueryInterface(*iid, &answer), S_OK);
        ComPtr<IUnknown> identity;
        answer.As(&identity);
        EXPECT_EQ(identity.Get(), band.Get());
    }
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(band->QueryInterface(IID_IOleCommandTarget, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    ComPtr<IPersistStream> persist;
    ASSERT_EQ(band.As(&persist), S_OK);
    CLSID classId{};
    EXPECT_EQ(persist->GetClassID(&classId), S_OK);
    EXPECT_EQ(classId, CLSID_MarlinToolbarObj);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(band.As(&dispatch), S_OK);
    EXPECT_EQ(dispatch->Invoke(250, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    ComPtr<IOleWindow> window;
    ASSERT_EQ(band.As(&window), S_OK);
    EXPECT_EQ(window->GetWindow(nullptr), E_INVALIDARG);
}

TEST_F(ModuleTest, TheModuleCarriesItsTypeLibraryAndVersion)
{
    ComPtr<ITypeLib> library;
    ASSERT_EQ(::LoadTypeLibEx(DllPath().c_str(), REGKIND_NONE, &library), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->guid, LIBID_MarlinToolbarLib);
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    library->ReleaseTLibAttr(attributes);
    UniqueBstr name, help;
    ASSERT_EQ(library->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr), S_OK);
    EXPECT_EQ(name.str(), L"MarlinToolbarLib");
    EXPECT_EQ(help.str(), L"MarlinToolbar 1.0 Type Library");
    ComPtr<ITypeInfo> band;
    ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_MarlinToolbarObj, &band), S_OK);

    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(DllPath().c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(DllPath().c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(8, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(2008, 7));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(1, 0));

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
        EXPECT_EQ(RunProgram(copy, L"--child load-module " + dll), host.expected) << host.name;
    }
}

} // namespace
