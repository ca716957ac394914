#include "Registration.h"

#include "ClassIds.h"
#include "platform/Module.h"
#include "platform/Registry.h"

#include <oleauto.h>
#include <olectl.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

namespace marlin {

namespace {

// One creatable class as the registry shows it.
struct ClassRegistration {
    const wchar_t* clsid;
    const wchar_t* description;          // default value of the CLSID key
    const wchar_t* progIdDescription;    // default value of both ProgID keys
    const wchar_t* progId;               // versioned ProgID
    const wchar_t* versionIndependentProgId;
    bool helperObject;                   // the band: a toolbar and a browser helper object
};

constexpr ClassRegistration kClasses[] = {
    {kBandClsidText, L"Marlin Toolbar", L"MarlinToolbar", L"MarlinToolbar.MarlinToolbarObj.1",
     L"MarlinToolbar.MarlinToolbarObj", true},
    {kDocEventHandlerClsidText, L"DocEventHandler Class", L"DocEventHandler Class",
     L"MarlinToolbar.DocEventHandler.1", L"MarlinToolbar.DocEventHandler", false},
    {kWindowEventHandlerClsidText, L"WindowEventHandler Class", L"WindowEventHandler Class",
     L"MarlinToolbar.WindowEventHandler.1", L"MarlinToolbar.WindowEventHandler", false},
};

enum class Root { ClassesRoot, LocalMachine };
using enum Root;

enum class Data {
    String,      // a string value
    KeyOnly,     // the key, no value
    EmptyBinary, // a REG_BINARY value of no bytes
};

enum class Removal {
    Tree,       // the key and everything below it go
    Value,      // only the value goes; the key is shared
    WithParent, // goes with a key above it
};

// What else a row says about itself.
enum RowFlags : unsigned {
    kRewritten = 1,        // removed with everything below it before it is written
    kHelperObjectOnly = 2, // only for the class that is a browser helper object
    kMayFail = 4,          // neither writing nor removing it fails the whole
    kMayFailToGo = 8,      // removing it does not fail unregistration
};

// One registry item of a class. Texts may name the class's %CLSID%, %NAME%,
// %PROGID%, %PROGIDNAME%, %VIPROGID% and the module's %MODULE% and %TYPELIB%.
struct RegistryRow {
    Root root;
    const wchar_t* key;
    const wchar_t* name; // nullptr: the key's default value
    Data data;
    const wchar_t* value;
    Removal removal;
    unsigned flags = 0;
};

constexpr RegistryRow kRows[] = {
    // Makes the browser offer the band as a toolbar.
    {LocalMachine, L"Software\\Microsoft\\Internet Explorer\\Toolbar", L"%CLSID%", Data::EmptyBinary, nullptr,
     Removal::Value, kHelperObjectOnly | kMayFail},
    {ClassesRoot, L"%PROGID%", nullptr, Data::String, L"%PROGIDNAME%", Removal::Tree},
    {ClassesRoot, L"%PROGID%\\CLSID", nullptr, Data::String, L"%CLSID%", Removal::WithParent},
    {ClassesRoot, L"%VIPROGID%", nullptr, Data::String, L"%PROGIDNAME%", Removal::Tree},
    {ClassesRoot, L"%VIPROGID%\\CLSID", nullptr, Data::String, L"%CLSID%", Removal::WithParent},
    {ClassesRoot, L"%VIPROGID%\\CurVer", nullptr, Data::String, L"%PROGID%", Removal::WithParent},
    {ClassesRoot, L"CLSID\\%CLSID%", nullptr, Data::String, L"%NAME%", Removal::Tree, kRewritten},
    {ClassesRoot, L"CLSID\\%CLSID%\\ProgID", nullptr, Data::String, L"%PROGID%", Removal::WithParent},
    {ClassesRoot, L"CLSID\\%CLSID%\\VersionIndependentProgID", nullptr, Data::String, L"%VIPROGID%",
     Removal::WithParent},
    {ClassesRoot, L"CLSID\\%CLSID%\\Programmable", nullptr, Data::KeyOnly, nullptr, Removal::WithParent},
    {ClassesRoot, L"CLSID\\%CLSID%\\InprocServer32", nullptr, Data::String, L"%MODULE%", Removal::WithParent},
    {ClassesRoot, L"CLSID\\%CLSID%\\InprocServer32", L"ThreadingModel", Data::String, L"Apartment",
     Removal::WithParent},
    {ClassesRoot, L"CLSID\\%CLSID%\\TypeLib", nullptr, Data::String, L"%TYPELIB%", Removal::WithParent},
    {LocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\%CLSID%",
     nullptr, Data::KeyOnly, nullptr, Removal::Tree, kHelperObjectOnly | kMayFailToGo},
};

HKEY RootKey(Root root) noexcept { return root == LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT; }

// `text` with the class's and the module's names put in.
std::wstring Expand(const wchar_t* text, const ClassRegistration& entry, const std::wstring& modulePath)
{
    const std::pair<std::wstring_view, std::wstring_view> names[] = {
        {L"%CLSID%", entry.clsid},       {L"%NAME%", entry.description},
        {L"%PROGID%", entry.progId},     {L"%PROGIDNAME%", entry.progIdDescription},
        {L"%VIPROGID%", entry.versionIndependentProgId},
        {L"%MODULE%", modulePath},       {L"%TYPELIB%", kTypeLibIdText},
    };
    std::wstring result;
    std::wstring_view rest = text ? text : L"";
    while (!rest.empty()) {
        const size_t open = rest.find(L'%');
        const size_t close = open == std::wstring_view::npos ? open : rest.find(L'%', open + 1);
        if (close == std::wstring_view::npos) break;
        result += rest.substr(0, open);
        const std::wstring_view token = rest.substr(open, close - open + 1);
        const auto* known = std::find_if(std::begin(names), std::end(names),
                                         [&](const auto& name) { return name.first == token; });
        result += known != std::end(names) ? known->second : token;
        rest.remove_prefix(close + 1);
    }
    result += rest;
    return result;
}

bool Applies(const RegistryRow& row, const ClassRegistration& entry)
{
    return !(row.flags & kHelperObjectOnly) || entry.helperObject;
}

bool Write(const RegistryRow& row, const ClassRegistration& entry, const std::wstring& modulePath)
{
    const std::wstring key = Expand(row.key, entry, modulePath);
    if (row.flags & kRewritten) DeleteRegistryTree(RootKey(row.root), key);
    unique_hkey handle = CreateRegistryKey(RootKey(row.root), key, KEY_WRITE);
    if (!handle) return false;
    const std::wstring name = Expand(row.name, entry, modulePath);
    const wchar_t* valueName = row.name ? name.c_str() : nullptr;
    switch (row.data) {
    case Data::String:
        return WriteRegistryString(handle.get(), valueName, Expand(row.value, entry, modulePath));
    case Data::EmptyBinary:
        return WriteRegistryBinary(handle.get(), valueName, nullptr, 0);
    case Data::KeyOnly:
        return true;
    }
    return false;
}

bool Remove(const RegistryRow& row, const ClassRegistration& entry)
{
    const std::wstring key = Expand(row.key, entry, {});
    switch (row.removal) {
    case Removal::Tree:
        return DeleteRegistryTree(RootKey(row.root), key);
    case Removal::Value:
        if (unique_hkey handle = CreateRegistryKey(RootKey(row.root), key, KEY_WRITE)) {
            return DeleteRegistryValue(handle.get(), Expand(row.name, entry, {}).c_str());
        }
        return false;
    case Removal::WithParent:
        return true;
    }
    return false;
}

bool TypeLibRegistered()
{
    return RegistryKeyExists(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kTypeLibIdText);
}

} // namespace

HRESULT RegisterServer() noexcept
{
    try {
        const std::wstring modulePath = ModuleFileName();
        if (modulePath.empty()) return SELFREG_E_CLASS;
        bool written = true;
        for (const ClassRegistration& entry : kClasses) {
            for (const RegistryRow& row : kRows) {
                if (!Applies(row, entry)) continue;
                if (!Write(row, entry, modulePath) && !(row.flags & kMayFail)) written = false;
            }
        }
        if (!written) return SELFREG_E_CLASS;

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
        bool removed = true;
        for (const ClassRegistration& entry : kClasses) {
            for (const RegistryRow& row : kRows) {
                if (!Applies(row, entry)) continue;
                if (!Remove(row, entry) && !(row.flags & (kMayFail | kMayFailToGo))) removed = false;
            }
        }
        if (!removed) return SELFREG_E_CLASS;

        if (!TypeLibRegistered()) return S_OK;
        return ::UnRegisterTypeLib(LIBID_MarlinToolbarLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

} // namespace marlin
