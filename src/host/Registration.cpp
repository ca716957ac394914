#include "Registration.h"

#include "ClassIds.h"
#include "platform/Module.h"
#include "platform/Registry.h"

#include <oleauto.h>
#include <olectl.h>

#include <string>

namespace marlin {

namespace {

constexpr wchar_t kToolbarKey[] = L"Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr wchar_t kHelperObjectsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";

// One creatable class as the registry shows it.
struct ClassRegistration {
    const wchar_t* clsid;
    const wchar_t* description;          // default value of the CLSID key
    const wchar_t* progIdDescription;    // default value of both ProgID keys
    const wchar_t* progId;               // versioned ProgID
    const wchar_t* versionIndependentProgId;
    bool helperObject;                   // also registered as a browser helper object
};

constexpr ClassRegistration kClasses[] = {
    {kBandClsidText, L"Marlin Toolbar", L"MarlinToolbar", L"MarlinToolbar.MarlinToolbarObj.1",
     L"MarlinToolbar.MarlinToolbarObj", true},
    {kDocEventHandlerClsidText, L"DocEventHandler Class", L"DocEventHandler Class",
     L"MarlinToolbar.DocEventHandler.1", L"MarlinToolbar.DocEventHandler", false},
    {kWindowEventHandlerClsidText, L"WindowEventHandler Class", L"WindowEventHandler Class",
     L"MarlinToolbar.WindowEventHandler.1", L"MarlinToolbar.WindowEventHandler", false},
};

class KeyWriter {
public:
    // Creates root\path and sets its value `name` (nullptr: the default value).
    void Set(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value)
    {
        unique_hkey key = CreateRegistryKey(root, path, KEY_WRITE);
        if (!key || !WriteRegistryString(key.get(), name, value)) m_ok = false;
    }
    void CreateOnly(HKEY root, const std::wstring& path)
    {
        if (!CreateRegistryKey(root, path, KEY_WRITE)) m_ok = false;
    }
    bool ok() const noexcept { return m_ok; }

private:
    bool m_ok = true;
};

std::wstring ClsidKey(const ClassRegistration& entry) { return std::wstring(L"CLSID\\") + entry.clsid; }

void WriteClass(KeyWriter& writer, const ClassRegistration& entry, const std::wstring& modulePath)
{
    const std::wstring progId = entry.progId;
    const std::wstring independent = entry.versionIndependentProgId;
    writer.Set(HKEY_CLASSES_ROOT, progId, nullptr, entry.progIdDescription);
    writer.Set(HKEY_CLASSES_ROOT, progId + L"\\CLSID", nullptr, entry.clsid);
    writer.Set(HKEY_CLASSES_ROOT, independent, nullptr, entry.progIdDescription);
    writer.Set(HKEY_CLASSES_ROOT, independent + L"\\CLSID", nullptr, entry.clsid);
    writer.Set(HKEY_CLASSES_ROOT, independent + L"\\CurVer", nullptr, progId);

    // The class key is rewritten from scratch on every registration.
    const std::wstring classKey = ClsidKey(entry);
    DeleteRegistryTree(HKEY_CLASSES_ROOT, classKey);
    writer.Set(HKEY_CLASSES_ROOT, classKey, nullptr, entry.description);
    writer.Set(HKEY_CLASSES_ROOT, classKey + L"\\ProgID", nullptr, progId);
    writer.Set(HKEY_CLASSES_ROOT, classKey + L"\\VersionIndependentProgID", nullptr, independent);
    writer.CreateOnly(HKEY_CLASSES_ROOT, classKey + L"\\Programmable");
    writer.Set(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", nullptr, modulePath);
    writer.Set(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    writer.Set(HKEY_CLASSES_ROOT, classKey + L"\\TypeLib", nullptr, kTypeLibIdText);

    if (entry.helperObject) {
        writer.CreateOnly(HKEY_LOCAL_MACHINE, std::wstring(kHelperObjectsKey) + L"\\" + entry.clsid);
    }
}

bool RemoveClass(const ClassRegistration& entry)
{
    bool ok = DeleteRegistryTree(HKEY_CLASSES_ROOT, entry.progId);
    ok = DeleteRegistryTree(HKEY_CLASSES_ROOT, entry.versionIndependentProgId) && ok;
    ok = DeleteRegistryTree(HKEY_CLASSES_ROOT, ClsidKey(entry)) && ok;
    return ok;
}

bool TypeLibRegistered()
{
    return RegistryKeyExists(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kTypeLibIdText);
}

} // namespace

HRESULT RegisterServer() noexcept
{
    try {
        // The value that makes the browser offer the band as a toolbar; a failure
        // here does not fail the registration.
        if (unique_hkey toolbar = CreateRegistryKey(HKEY_LOCAL_MACHINE, kToolbarKey, KEY_WRITE)) {
            WriteRegistryBinary(toolbar.get(), kBandClsidText, nullptr, 0);
        }

        const std::wstring modulePath = ModuleFileName();
        if (modulePath.empty()) return SELFREG_E_CLASS;
        KeyWriter writer;
        for (const auto& entry : kClasses) WriteClass(writer, entry, modulePath);
        if (!writer.ok()) return SELFREG_E_CLASS;

        ITypeLib* typeLib = nullptr;
        HRESULT hr = ::LoadTypeLibEx(modulePath.c_str(), REGKIND_REGISTER, &typeLib);
        if (typeLib) typeLib->Release();
        return hr;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT UnregisterServer() noexcept
{
    try {
        if (unique_hkey toolbar = CreateRegistryKey(HKEY_LOCAL_MACHINE, kToolbarKey, KEY_WRITE)) {
            DeleteRegistryValue(toolbar.get(), kBandClsidText);
        }
        if (unique_hkey helpers = OpenRegistryKey(HKEY_LOCAL_MACHINE, kHelperObjectsKey, KEY_ALL_ACCESS)) {
            DeleteRegistryTree(helpers.get(), kBandClsidText);
        }

        bool removed = true;
        for (const auto& entry : kClasses) removed = RemoveClass(entry) && removed;
        if (!removed) return SELFREG_E_CLASS;

        if (!TypeLibRegistered()) return S_OK;
        return ::UnRegisterTypeLib(LIBID_MarlinToolbarLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

} // namespace marlin
